#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# A self-contained program's notices list the files of other projects that the
# linker took in, whichever linker it is: the same build linked with lld, in a
# folder of the test's own, writes the same notices as this one. Skipped
# without lld.
# Usage: notices_test.sh BUILD_DIR SOURCE_DIR TOOLCHAIN_FILE
set -u
build=$1 source=$2 toolchain=$3
# shellcheck source=harness.sh
. "$(dirname "$0")/harness.sh"
needs ld.lld lld
needsFile "$build/THIRD-PARTY-NOTICES" "its build"
lacking
# A cross compiler looks for ld.lld under its own prefix: -B shows it the machine's.
mkdir "$work/bin" && ln -s "$(command -v ld.lld)" "$work/bin/ld.lld"
expect 'linked with lld' bash -c 'cmake -S "$1" -B "$2" --toolchain "$3" -DBUILD_TESTING=OFF \
    "-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld -B$4" && cmake --build "$2"' - "$source" "$work/lld" "$toolchain" "$work/bin"
expect 'linked with lld: the same notices' cmp "$build/THIRD-PARTY-NOTICES" "$work/lld/THIRD-PARTY-NOTICES"
expect 'linked with lld: notices' cat "$work/lld/THIRD-PARTY-NOTICES"
has 'linked with lld: the C library' '^  /usr/lib/[^ ]*/libc\.a ([0-9]* of its members), from musl-dev$'
finish
