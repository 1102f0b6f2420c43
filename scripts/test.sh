#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Installs what the tests need, builds the command for Linux (x86-64 and arm64,
# each also as a static program, and 32-bit ARM as one) and Windows (x86 and
# x64) and runs every test:
# unit tables, the Linux commands end to end (the arm64 ones under qemu-user),
# the Windows programs under Wine and as files, installing and the release,
# whose bills of materials are checked against the CycloneDX schemas.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-packages.sh git g++ cmake make libgtest-dev libfaketime tzdata strace \
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 wine32:i386 python3-pefile \
    man-db groff-base dpkg-dev file lintian rpm rpmlint zip g++-aarch64-linux-gnu qemu-user \
    libc6:arm64 libfaketime:arm64 musl-dev musl-dev:arm64 g++-arm-linux-gnueabi musl-dev:armel \
    reuse shellcheck gnupg systemd python3-jsonschema
# Without them (no way to the npm registry), the release test says that it
# checks the bills of materials against no schema, and is counted as skipped.
bash scripts/cyclonedx-schemas.sh || echo "scripts/cyclonedx-schemas.sh failed: no CycloneDX schemas for the release test"
for preset in release linux-arm64 linux-x86_64-static linux-arm64-static linux-arm-static windows-x86 \
    windows-x64 test; do
    cmake --preset "$preset"
    cmake --build --preset "$preset" -j"$(nproc)"
done
status=0
ctest --preset test -j"$(nproc)" || status=$?

# A test that cannot run on this machine says why; list them so no skip goes unseen.
awk '/^[0-9]+\/[0-9]+ Testing: / { test = $3 }
    sub(/^SKIPPED: /, "") { if (!skipped++) print "Skipped on this machine:"; print "  " test ": " $0 }' \
    build/test/Testing/Temporary/LastTest.log
exit "$status"
