#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The manual page renders without warnings; cmake --install puts the command and
# the manual in place; cpack makes a Debian package holding both and, from a
# Windows build, a zip holding the program and the README.
# Usage: install_test.sh BUILD_DIR MANUAL_PAGE [WINDOWS_BUILD_DIR]
set -u
build=$1 manual=$2 windows=${3:-}
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

expect 'manual renders with groff' groff -man -ww -z -Tutf8 "$manual"
warnsNot 'groff gives no warnings'
expect 'manual renders with man' env MANWIDTH=80 man --warnings -l "$manual"
warnsNot 'man gives no warnings'
has 'manual has EXIT STATUS' '^EXIT STATUS'

expect 'cmake --install' cmake --install "$build" --prefix "$work/prefix"
expect 'installed command' test -x "$work/prefix/bin/Merovak"
expect 'installed manual' cmp "$manual" "$work/prefix/share/man/man1/Merovak.1"
expect 'installed command runs' "$work/prefix/bin/Merovak"

expect 'cpack -G DEB' cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb"
deb=$(ls "$work"/deb/*.deb 2>/dev/null | head -n 1)
expect 'package contents' dpkg-deb -c "$deb"
has 'package holds the command' ' ./usr/bin/Merovak$'
has 'package holds the manual' ' ./usr/share/man/man1/Merovak.1$'
expect 'package fields' dpkg-deb -f "$deb" Package Version Depends
has 'package name' '^Package: merovak$'
has 'package version' '^Version: [0-9]'
has 'package dependencies' '^Depends: .*libc6'

if [ -n "$windows" ]; then
    expect 'cpack -G ZIP' cpack -G ZIP --config "$windows/CPackConfig.cmake" -B "$work/zip"
    expect 'zip contents' cmake -E tar tf "$(ls "$work"/zip/*.zip 2>/dev/null | head -n 1)"
    has 'zip holds the program' '/Merovak.exe$'
    has 'zip holds the README' '/README.md$'
fi
finish
