#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Runs a table of pytest cases with Debian's own Python, whose packages the
# code under test uses. Skipped where it or pytest is lacking.
# Usage: python_test.sh FILE
set -u
# shellcheck source=harness.sh
. "$(dirname "$0")/harness.sh"
needsFile /usr/bin/python3 "Debian package python3"
lacking
for module in pytest:python3-pytest debian:python3-debian yaml:python3-yaml; do
    /usr/bin/python3 -c "import ${module%:*}" 2>/dev/null || lacks+=("Python's ${module%:*} (Debian package ${module#*:})")
done
lacking
tests=$(dirname "$(realpath "$0")")
cd "$work" && PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 -m pytest -q -p no:cacheprovider "$tests/$1"
