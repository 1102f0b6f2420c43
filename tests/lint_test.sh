#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Every file of the tree says its copyright and licence (reuse lint), the
# licence names the authors, and shellcheck finds nothing in any shell script.
# The tree is copied without its builds and history first, so that a checkout
# and the source archive are checked alike. Skipped without reuse or shellcheck.
# Usage: lint_test.sh SOURCE_DIR
set -u
source=$1
# shellcheck source=harness.sh
. "$(dirname "$0")/harness.sh"
needs reuse reuse
needs shellcheck shellcheck
lacking

tree=$work/tree
mkdir "$tree" && tar -C "$source" --exclude=./build --exclude=./dist --exclude=./.git -cf - . |
    tar -C "$tree" -xf -
# reuse before 4.0 (Debian 12's) reads no REUSE.toml: it is given the same
# facts in the older form, in the copy only.
if [ "$(reuse --version | grep -o '[0-9][0-9]*' | head -n 1)" -lt 4 ]; then
    mkdir "$tree/.reuse" && python3 -c '
import sys, tomllib
toml = tomllib.load(open(sys.argv[1], "rb"))
print("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")
for note in toml["annotations"]:
    print("\nFiles:", *[path.replace("**", "*") for path in note["path"]])
    print("Copyright:", note["SPDX-FileCopyrightText"])
    print("License:", note["SPDX-License-Identifier"])' "$tree/REUSE.toml" >"$tree/.reuse/dep5"
fi
expect 'reuse lint' reuse --root "$tree" lint
expect 'licence' grep -q 'Copyright (c) 2026 the Merovak authors' "$tree/LICENSE"
cd "$tree" || exit 1
expect 'shellcheck' find . -name '*.sh' -exec shellcheck -x .ci/run {} +
finish
