#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Start-up cost of the command, which is nearly its whole cost, for the
# packaged (dynamic) build and the static one: instructions under callgrind
# against /bin/true, and wall time against /bin/true and the shell one-liner a
# user would otherwise write. A benchmark, not a test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-packages.sh g++ cmake make valgrind hyperfine tzdata musl-dev
for preset in release linux-x86_64-static; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" >/dev/null
done
merovak=$PWD/build/release/Merovak
static=$PWD/build/linux-x86_64-static/Merovak
export TZ=Europe/Amsterdam

# The count for one run; the command's own status (5 after the time) is no error.
instructions() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
        sed -n 's/.*Collected : *//p' || true
}
ours=$(instructions "$merovak" 0930)
staticCount=$(instructions "$static" 0930)
baseline=$(instructions /bin/true)
echo "Instructions: Merovak 0930 $ours, static $staticCount, /bin/true $baseline"
awk -v a="$ours" -v s="$staticCount" -v b="$baseline" 'BEGIN {
    printf "Instruction ratio: %.3f (goal: at most 1.15), static: %.3f (goal: at most 0.06)\n", a / b, s / b }'

echo
hyperfine -N --ignore-failure --warmup 50 --runs 1000 --style basic \
    "$merovak 0930" "$static 0930" /bin/true "sh -c '[ \"\$(date +%H%M)\" -ge 0930 ]'"
