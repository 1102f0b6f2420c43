#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Installs the Debian packages that the table of builds (CMakePresets.json)
# names for building, testing, releasing and publishing, then runs the
# workflow of every build (configure, build, test, package; CONTRIBUTING.md
# says what each tests), CTEST_PARALLEL_LEVEL tests at a time (by default one
# per processor), and lists at its end every test that was skipped, and why.
set -euo pipefail
cd "$(dirname "$0")/.."
# The table is read with Python and, where its packages cannot all be
# installed, the tests that need what is missing say SKIPPED and why.
bash scripts/install-packages.sh python3
workflows=$(scripts/release-data presets workflows)
mapfile -t workflows <<<"$workflows"
packages=$(scripts/release-data presets debian build,test,release,publish "${workflows[@]}")
mapfile -t packages <<<"$packages"
bash scripts/install-packages.sh "${packages[@]}" ||
    echo "test.sh: going on; a test that needs what is missing says SKIPPED and why"

export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
export CTEST_PARALLEL_LEVEL=${CTEST_PARALLEL_LEVEL:-$(nproc)}
status=0 failedBuilds=()
for preset in "${workflows[@]}"; do
    cmake --workflow --preset "$preset" || { status=1 && failedBuilds+=("$preset"); }
done

# A test that cannot run on this machine says why; list them so no skip goes unseen.
shopt -s nullglob
awk 'FNR == 1 { split(FILENAME, path, "/") } /^[0-9]+\/[0-9]+ Testing: / { test = $3 }
    sub(/^SKIPPED: /, "") { print "  " path[2] ": " test ": " $0 }' /dev/null build/*/Testing/Temporary/LastTest.log |
    sed '1i Skipped on this machine:'
[ $status -eq 0 ] || echo "Failed: ${failedBuilds[*]}"
exit "$status"
