#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every source file carries the licence; the manual page renders without
# warnings within 80 columns; cmake --install puts the command, its manual and
# its documents in place, and the installed command answers on a set clock.
# The release script, run twice on copies of the tree in other folders (on
# another file system where there is one), with another umask, time zone,
# locale and clock, makes the same bytes; its Debian
# packages pass lintian and its RPMs rpmlint, each with the project's metadata
# and the packager's name; its zips hold the program, licence and README.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR VERSION
set -u
build=$1 source=$2 version=$3
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

# Two releases of the tree as it is (the source archive is made from its
# commit), by one packager with a home page: the second in another folder, on
# another file system where there is one, with another umask, time zone, locale
# and clock. They must be the same, byte for byte.
export MEROVAK_MAINTAINER='A Packager <packager@example.net>' MEROVAK_HOMEPAGE=https://example.net/merovak
elsewhere=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$work" "$elsewhere"' EXIT
first=$work/merovak second=$elsewhere/a/deeper/folder/merovak
for copy in "$first" "$second"; do # the tree's files, committed or not, and its history
    mkdir -p "$copy" && git -C "$source" ls-files -co --exclude-standard -z |
        tar -C "$source" --null -cf - -T - .git | tar -C "$copy" -xf -
done
expect 'release' env TZ=UTC LC_ALL=C.UTF-8 bash "$first/scripts/release.sh"
expect 'release elsewhere' bash -c 'umask 002 && cd "$1" &&
    TZ=Asia/Kolkata LC_ALL=C NO_FAKE_STAT=1 faketime -f +3d bash scripts/release.sh' - "$second"
dist=$first/dist
expect 'the same bytes' diff -r "$dist" "$second/dist"
expect 'checksums' bash -c 'cd "$1" && sha256sum -c SHA256SUMS' - "$dist"
for artifact in merovak-$version.tar.gz merovak_${version}_{amd64,arm64}.deb \
    merovak-$version-1.{x86_64,aarch64}.rpm merovak-$version-linux-{x86_64,arm64}.tar.gz \
    merovak-$version-windows-{x86,x64}.zip; do
    has "release holds $artifact" "^$artifact: OK\$"
done
expect 'release build' bash -c 'find "$1" -name "*.cpp.o" -printf "%f\n" | sort | uniq -c' \
    - "$first/build/dist/release"
has 'release build compiles main.cpp' '^ *1 main.cpp.o$'
hasNot 'release build compiles each source once' '^ *[^ 1] '

for architecture in amd64:x86-64 'arm64:ARM aarch64'; do
    machine=${architecture#*:} architecture=${architecture%:*}
    deb=$dist/merovak_${version}_$architecture.deb
    expect "$architecture package" bash -c 'dpkg-deb -c "$1" && dpkg-deb -f "$1" &&
        dpkg-deb --fsys-tarfile "$1" | tar -xOf - ./usr/share/doc/merovak/copyright &&
        dpkg-deb --fsys-tarfile "$1" | tar -xOf - ./usr/bin/Merovak | file -' - "$deb"
    has "$architecture package: a PIE for $machine" "ELF 64-bit LSB pie executable, $machine,"
    for line in ' ./usr/bin/Merovak' ' ./usr/share/man/man1/Merovak.1.gz' \
        ' ./usr/share/doc/merovak/copyright' '^Package: merovak' "^Version: $version" \
        "^Architecture: $architecture" '^Depends: .*libc6.*' '^Recommends: tzdata' \
        "^Maintainer: $MEROVAK_MAINTAINER" "^Homepage: $MEROVAK_HOMEPAGE" \
        '^Upstream-Contact: The Merovak authors <merovak@example.org>'; do
        has "$architecture package: $line" "$line\$"
    done
    expect "$architecture lintian" lintian --pedantic -I "$deb"
    hasNot "$architecture lintian says nothing" .
done

# rpmlint as on Debian, told that manuals are gzipped and MIT is a licence.
# Left out: the Group tag, deprecated and no longer used by current
# distributions, and rpmlint 2.4's missing manual, which it reports for any
# command whose manual is there.
printf '%s\n' 'CompressExtension = "gz"' 'ValidLicenses = ["MIT"]' \
    'Filters = ["no-group-tag", "no-manual-page-for-binary"]' >"$work/rpmlint.toml"
for architecture in x86_64 aarch64; do
    rpm=$dist/merovak-$version-1.$architecture.rpm
    expect "$architecture RPM" rpm -qp --qf '%{LICENSE}|%{VERSION}|%{ARCH}|%{PACKAGER}|%{URL}|%{PREFIXES}
[%{FILEFLAGS:fflags} %{FILENAMES}\n][Recommends: %{RECOMMENDNAME}\n][* %{CHANGELOGTIME:day} %{CHANGELOGNAME}\n%{CHANGELOGTEXT}\n]' "$rpm"
    for line in "^MIT|$version|$architecture|$MEROVAK_MAINTAINER|$MEROVAK_HOMEPAGE|(none)" \
        ' /usr/bin/Merovak' ' /usr/share/man/man1/Merovak.1.gz' '^l /usr/share/licenses/merovak/LICENSE' \
        '^Recommends: tzdata' "^\* Tue Dec 08 2026 $MEROVAK_MAINTAINER - $version-1" \
        '^- First release: Merovak TIME tells a script by its exit status whether'; do
        has "$architecture RPM: $line" "$line\$"
    done
    rpmlint -c "$work/rpmlint.toml" "$rpm" 2>&1 | grep -v ': E: no-signature$' >"$work/out"
    hasNot "$architecture rpmlint: no errors or warnings but the signature" ': [EW]: '
done

# The zips hold the program, the licence and the README at their root; the
# archives for any Linux hold a folder with them and the manual page.
for archive in windows-x86.zip windows-x64.zip linux-x86_64.tar.gz linux-arm64.tar.gz; do
    expect "$archive" cmake -E tar tf "$dist/merovak-$version-$archive"
    folder= files=(Merovak.exe LICENSE README.md)
    [[ $archive == *.zip ]] || folder=merovak-$version-${archive%.tar.gz}/ files=(Merovak Merovak.1 LICENSE README.md)
    for file in "${files[@]}"; do
        has "$archive holds $folder$file" "^$folder$file\$"
    done
done
# Their programs are static, and small.
for program in x86_64:65536 arm64:131072; do
    limit=${program#*:} program=${program%:*}
    tar -xzOf "$dist/merovak-$version-linux-$program.tar.gz" --wildcards '*/Merovak' >"$work/static"
    expect "$program program" file "$work/static"
    has "$program program is static" 'static-pie linked\|statically linked'
    hasNot "$program program has no interpreter" interpreter
    expect "$program program within $limit bytes" test "$(stat -c %s "$work/static")" -le "$limit"
done
finish
