#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every source file carries the licence; the manual page renders without
# warnings within 80 columns; cmake --install puts the command, its manual and
# its documents in place, and the installed command answers on a set clock;
# cpack makes a lintian-clean Debian package, an RPM and, from a Windows build,
# a zip holding the program, the licence and the README at its root, and from
# an arm64 build, an arm64 Debian package.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR VERSION [--windows WINDOWS_BUILD_DIR]
#                        [--arm64 ARM64_BUILD_DIR]
set -u
build=$1 source=$2 version=$3 windows= arm64=
shift 3
while [ $# -ge 2 ]; do
    case $1 in
    --windows) windows=$2 ;;
    --arm64) arm64=$2 ;;
    esac
    shift 2
done
manual=$source/man/Merovak.1
. "$(dirname "$0")/harness.sh"

# expect NAME COMMAND...: the command succeeds; its standard output is kept in
# $work/out for the checks that follow.
expect() {
    local name=$1
    shift
    if "$@" >"$work/out" 2>"$work/err"; then
        report "$name" ok
    else
        report "$name" fail "$(cat "$work/err" "$work/out" | head -n 5)"
    fi
}
# warnsNot NAME: the last command wrote nothing on standard error.
warnsNot() {
    if [ -s "$work/err" ]; then report "$1" fail "$(head -n 5 "$work/err")"; else report "$1" ok; fi
}
# has NAME PATTERN: the last command's output has a line that matches.
has() {
    if grep -q -- "$2" "$work/out"; then report "$1" ok; else report "$1" fail "no line matches $2"; fi
}
# hasNot NAME PATTERN: no line of the last command's output matches.
hasNot() {
    if grep -q -- "$2" "$work/out"; then report "$1" fail "$(grep -- "$2" "$work/out" | head -n 3)"; else report "$1" ok; fi
}

expect 'source files' find "$source/src" "$source/tests" "$source/fuzz" "$source/cmake" \
    "$source/scripts" "$source/bench" "$source/man" "$source/.ci" "$source/CMakeLists.txt" \
    -path "$source/fuzz/corpus" -prune -o -type f -print
for file in $(cat "$work/out"); do
    head -n 2 "$file" | grep -q 'SPDX-License-Identifier: MIT' ||
        report 'SPDX line' fail "${file#"$source"/} has none in its first two lines"
done
expect 'licence' grep -q 'Copyright (c) 2026 the Merovak authors' "$source/LICENSE"

expect 'manual renders with groff' groff -man -ww -z -Tutf8 "$manual"
warnsNot 'groff gives no warnings'
expect 'manual renders with man' env LC_ALL=C MANWIDTH=80 man --warnings -l "$manual"
warnsNot 'man gives no warnings'
has 'manual has EXIT STATUS' '^EXIT STATUS'
has 'manual has ENVIRONMENT' '^ENVIRONMENT'
hasNot 'manual within 80 columns' '^.\{81,\}'

expect 'cmake --install' cmake --install "$build" --prefix "$work/prefix" --strip
expect 'installed command' test -x "$work/prefix/bin/Merovak"
expect 'installed manual' cmp "$manual" <(gzip -dc "$work/prefix/share/man/man1/Merovak.1.gz")
expect 'installed copyright' grep -q '^License: Expat' "$work/prefix/share/doc/merovak/copyright"
expect 'installed changelog' gzip -t "$work/prefix/share/doc/merovak/changelog.gz"
TZ=Europe/Amsterdam faketime -f '2026-12-08 09:30:00' "$work/prefix/bin/Merovak" 0930 >"$work/out"
status=$?
if [ "$status" -ne 5 ] || ! printf '%s\r\n' "$(expired 09:30 09:30)" | cmp -s - "$work/out"; then
    report 'installed command answers' fail "status $status, output $(od -c "$work/out" | head -n 3)"
else
    report 'installed command answers' ok
fi

expect 'cpack -G DEB' cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb"
deb=$(ls "$work"/deb/*.deb 2>/dev/null | head -n 1)
expect 'package contents' dpkg-deb -c "$deb"
has 'package holds the command' ' ./usr/bin/Merovak$'
has 'package holds the manual' ' ./usr/share/man/man1/Merovak.1.gz$'
has 'package holds the copyright' ' ./usr/share/doc/merovak/copyright$'
expect 'package fields' dpkg-deb -f "$deb" Package Version Depends
has 'package name' '^Package: merovak$'
has 'package version' "^Version: $version\$"
has 'package dependencies' '^Depends: .*libc6'
expect 'lintian: no errors or warnings' lintian --fail-on error,warning "$deb"

expect 'cpack -G RPM' cpack -G RPM --config "$build/CPackConfig.cmake" -B "$work/rpm"
rpm=$(ls "$work"/rpm/*.rpm 2>/dev/null | head -n 1)
expect 'RPM contents' rpm -qpl "$rpm"
has 'RPM holds the command' '^/usr/bin/Merovak$'
has 'RPM holds the manual' '^/usr/share/man/man1/Merovak.1.gz$'
expect 'RPM fields' rpm -qpi "$rpm"
has 'RPM licence' '^License *: MIT$'
has 'RPM version' "^Version *: $version\$"

if [ -n "$arm64" ]; then
    expect 'cpack -G DEB, arm64' cpack -G DEB --config "$arm64/CPackConfig.cmake" -B "$work/arm64"
    deb=$work/arm64/merovak_${version}_arm64.deb
    expect 'arm64 package contents' dpkg-deb -c "$deb"
    has 'arm64 package holds the command' ' ./usr/bin/Merovak$'
    has 'arm64 package holds the manual' ' ./usr/share/man/man1/Merovak.1.gz$'
    expect 'arm64 package fields' dpkg-deb -f "$deb" Architecture Depends
    has 'arm64 package architecture' '^Architecture: arm64$'
    has 'arm64 package dependencies' '^Depends: .*libc6'
    expect 'arm64 program' file -L "$arm64/Merovak"
    has 'arm64 program is an aarch64 PIE' 'ELF 64-bit LSB pie executable, ARM aarch64'
fi

if [ -n "$windows" ]; then
    expect 'cpack -G ZIP' cpack -G ZIP --config "$windows/CPackConfig.cmake" -B "$work/zip"
    zip=$work/zip/merovak-$version-windows-x86.zip
    expect 'zip name' test -f "$zip"
    expect 'zip contents' cmake -E tar tf "$zip"
    has 'zip holds the program at its root' '^Merovak.exe$'
    has 'zip holds the licence at its root' '^LICENSE$'
    has 'zip holds the README at its root' '^README.md$'
fi
finish
