#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Cuts VERSION as docs/release.md says: the items under [Unreleased] become
# its entry in CHANGELOG.md, CMakeLists.txt takes it, and both are committed.
# Usage: version.sh VERSION
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -eq 1 ] || { echo "Usage: version.sh VERSION" >&2 && exit 2; }
if ! git diff --quiet HEAD -- CHANGELOG.md CMakeLists.txt; then
    echo "version.sh: CHANGELOG.md or CMakeLists.txt has changes that are not committed: commit them first" >&2
    exit 1
fi
git var GIT_COMMITTER_IDENT >/dev/null # who commits it, known before anything changes
bash scripts/install-packages.sh python3
scripts/release-data version "$1" CHANGELOG.md CMakeLists.txt
git commit -q -m "Version $1" -- CHANGELOG.md CMakeLists.txt
echo "Version $1 is committed: bash scripts/release.sh makes its release"
