#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Installs what the tests need, then runs the workflow of every build that the
# presets list: it configures the build, builds it, runs its tests and makes
# its packages. Each build tests its own program (the ARM ones under qemu-user,
# the Windows ones under Wine); the native one also the pages' commands, the
# install lines, the lint and the release, whose bills of materials are checked
# against the CycloneDX schemas; the sanitized and fuzzing builds run the unit
# tables and the command under the sanitizers, and each fuzz target. Runs the
# builds' tests CTEST_PARALLEL_LEVEL at a time (by default, as many as there
# are processors), and lists at its end every test that was skipped, and why.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-packages.sh git g++ cmake make libgtest-dev libfaketime tzdata strace \
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 wine32:i386 python3 python3-pefile \
    man-db groff-base dpkg-dev file lintian rpm rpmlint zip g++-aarch64-linux-gnu qemu-user \
    libc6:arm64 libfaketime:arm64 musl-dev musl-dev:arm64 g++-arm-linux-gnueabi musl-dev:armel \
    reuse shellcheck gnupg gpgv systemd python3-jsonschema python3-yaml lld clang openssl osslsigncode curl \
    apt-utils createrepo-c dnf dnf-plugins-core ||
    echo "test.sh: going on; a test that needs what is missing says SKIPPED and why"
# The sanitizers' runtime of the clang installed (Debian 12's is 14, 13's is 19).
bash scripts/install-packages.sh "libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev"
# Without them (no way to the npm registry), the release test says that it
# checks the bills of materials against no schema, and is counted as skipped.
bash scripts/cyclonedx-schemas.sh || echo "scripts/cyclonedx-schemas.sh failed: no CycloneDX schemas for the release test"

export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
export CTEST_PARALLEL_LEVEL=${CTEST_PARALLEL_LEVEL:-$(nproc)}
status=0 failedBuilds=()
for preset in $(cmake --workflow --list-presets | sed -n 's/^  "\(.*\)".*/\1/p'); do
    cmake --workflow --preset "$preset" || { status=1 && failedBuilds+=("$preset"); }
done

# A test that cannot run on this machine says why; list them so no skip goes unseen.
for log in build/*/Testing/Temporary/LastTest.log; do
    build=${log#build/} build=${build%%/*}
    while read -r line; do
        if [[ $line =~ ^[0-9]+/[0-9]+\ Testing:\ ([^ ]+) ]]; then test=${BASH_REMATCH[1]}; fi
        if [[ $line == 'SKIPPED: '* ]]; then echo "  $build: $test: ${line#SKIPPED: }"; fi
    done <"$log"
done | sed '1i Skipped on this machine:'
[ $status -eq 0 ] || echo "Failed: ${failedBuilds[*]}"
exit "$status"
