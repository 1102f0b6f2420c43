#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Runs the unit tests under AddressSanitizer and UndefinedBehaviorSanitizer and
# the x86-64 command's end-to-end cases under UndefinedBehaviorSanitizer (any
# finding fails), then each fuzz target for a bounded number of runs.
# Usage: harden.sh [RUNS]   (default 200000 runs per fuzz target)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-200000}
bash scripts/install-packages.sh clang libclang-rt-14-dev cmake make libgtest-dev \
    libfaketime tzdata strace systemd
for preset in sanitize fuzz; do
    cmake --preset "$preset"
    cmake --build --preset "$preset" -j"$(nproc)"
done
ctest --preset sanitize -j"$(nproc)"

# New inputs go to a scratch folder; the seed corpus in the tree is only read.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for target in number_reader clock_display command_line; do
    mkdir -p "$scratch/$target"
    if ! build/fuzz/fuzz/fuzz_"$target" -runs="$runs" -max_len=4096 -artifact_prefix=build/fuzz/ \
        "$scratch/$target" "fuzz/corpus/$target" >"$scratch/$target.log" 2>&1; then
        cat "$scratch/$target.log"
        echo "fuzz_$target FAILED"
        exit 1
    fi
    echo "fuzz_$target: $(grep '^Done' "$scratch/$target.log")"
    passed=$((${passed:-0} + 1))
done
echo "fuzz: $passed passed, 0 failed"
