#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# What a user does with the source, in a copy of it, with the pages' lines as
# they stand. With "install": the manual page renders without warnings within
# 80 columns, its header naming the version and the day of its changelog entry;
# the README's build line builds and runs the command, which
# compiles each source once; the install line, under a prefix of the test's
# own, puts the command, its manual and its documents in place, the installed
# command answers on a set clock, and the uninstall line leaves nothing behind;
# a staged install lists no folders. With "packages": the package line makes
# the packages that the table of builds names for the build, each with its bill
# of materials, and no others. Skipped where a tool is lacking.
# Usage: install_test.sh install|packages SOURCE_DIR VERSION
set -u
mode=$1 source=$2 version=$3
manual=man/Merovak.1
# shellcheck source=harness.sh
. "$(dirname "$0")/harness.sh"
missing=$(bash "$source/scripts/install-packages.sh" --missing g++ cmake make)
[ -z "$missing" ] || lacks+=("what the README's build line installs (Debian packages $missing)")
if [ "$mode" = install ]; then
    needs groff groff-base
    needs man man-db
    libfaketime fakeLibrary
else
    for tool in dpkg-deb:dpkg dpkg-shlibdeps:dpkg-dev rpmbuild:rpm dpkg-query:dpkg; do
        needs "${tool%:*}" "${tool#*:}"
    done
    needsFile /usr/bin/python3 "Debian package python3"
fi
lacking

# The source, without its builds and history, in a folder of the test's own.
tree=$work/merovak
mkdir "$tree" && tar -C "$source" --exclude=./build --exclude=./dist --exclude=./.git -cf - . |
    tar -C "$tree" -xf -
cd "$tree" || exit 1
build=$(page README.md build-and-run) || exit 1
folder=$(grep -o -m 1 'build/[^/]*' <<<"$build") # where the page's build line builds

if [ "$mode" = packages ]; then
    lines=$(page docs/install.md packages) || exit 1
    expect 'build' bash -c "$build"
    expect 'the package line' bash -c "$lines"
    files=$(scripts/release-data presets artifacts "${folder#build/}" "$version") || exit 1
    mapfile -t files <<<"$files"
    expect 'packages made' ls "$folder/packages"
    for file in "${files[@]}"; do
        has "packages made: $file" "^$file\$"
        has "packages made: $file.cdx.json" "^$file.cdx.json\$"
    done
    expect 'no other packages' test "$(wc -l <"$work/out")" -eq $((2 * ${#files[@]}))
    finish
    exit
fi

expect 'manual renders with groff' groff -man -ww -z -Tutf8 "$manual"
# warnsNot NAME: the last command wrote nothing on standard error.
warnsNot() {
    if [ -s "$work/err" ]; then report "$1" fail "$(head -n 5 "$work/err")"; else report "$1" ok; fi
}
warnsNot 'groff gives no warnings'
expect 'manual renders with man' env LC_ALL=C MANWIDTH=80 man --warnings -l "$manual"
warnsNot 'man gives no warnings'
has 'manual has EXIT STATUS' '^EXIT STATUS'
has 'manual has ENVIRONMENT' '^ENVIRONMENT'
hasNot 'manual within 80 columns' '^.\{81,\}'

# The README's build line, and the install lines of the page on installing, as
# they stand there, with a home of the test's own.
expect 'build and run' bash -c "$build"
has 'build and run: a status' '^status [05]$'
expect 'the build' bash -c 'find "$1" -name "*.cpp.o" -printf "%f\n" | sort | uniq -c' - "$folder"
has 'the build compiles main.cpp' '^ *1 main.cpp.o$'
hasNot 'the build compiles each source once' '^ *[^ 1] '
install=$(page docs/install.md install-prefix) || exit 1
uninstall=$(page docs/install.md uninstall) || exit 1
destdir=$(page docs/install.md install-destdir) || exit 1
export HOME=$work
prefix=$HOME/.local
expect 'cmake --install' bash -c "$install"
expect 'installed command' test -x "$prefix/bin/Merovak"
expect 'installed manual' cmp <(grep -v '^\.TH ' "$manual") <(gzip -dc "$prefix/share/man/man1/Merovak.1.gz" |
    grep -v '^\.TH ')
gzip -dc "$prefix/share/man/man1/Merovak.1.gz" >"$work/out"
day=$(sed -n "s/^## \[$version\] - //p" CHANGELOG.md)
has 'installed manual: its version and the day of its entry' "^\.TH MEROVAK 1 \"$day\" \"Merovak $version\" "
expect 'installed copyright' grep -q '^License: Expat' "$prefix/share/doc/merovak/copyright"
expect 'installed changelog' gzip -t "$prefix/share/doc/merovak/changelog.gz"
expect 'installed command answers 5' fakeClock '2026-12-08 09:30:00' bash -c \
    'TZ=CET-1CEST,M3.5.0,M10.5.0/3 "$1" 0930 >"$2"; [ $? -eq 5 ]' - "$prefix/bin/Merovak" "$work/report"
expect 'installed command reports' cmp <(printf '%s\r\n' "$(expired 09:30 09:30)") "$work/report"
expect 'installed again' bash -c "$install"
expect 'uninstall' bash -c "$uninstall"
expect 'nothing left behind' test ! -e "$prefix"
expect 'DESTDIR' bash -c "$destdir"
expect 'DESTDIR: the command under the prefix' test -x "$HOME/stage/usr/bin/Merovak"
expect 'DESTDIR: no folders listed' test ! -s "$folder/install_folders.txt"
finish
