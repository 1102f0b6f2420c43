#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# What a user does with a build, from the source folder as the README says it.
# With "install": the manual page renders without warnings within 80 columns;
# the install line, under a prefix of the test's own, puts the command, its
# manual and its documents in place, the installed command answers on a set
# clock, and the uninstall line leaves nothing behind; the release build
# compiles each source once.
# With "packages": the package lines, cpack -G DEB and cpack -G RPM in the
# release build's folder and the arm64 build's, with no SOURCE_DATE_EPOCH,
# make packages with the project's metadata that lintian and rpmlint pass; the
# notices beside the self-contained programs hold the texts of the code linked
# into them, and without dpkg say that those could not be gathered.
# Skipped where a build or a tool is lacking.
# Usage: install_test.sh install|packages SOURCE_DIR VERSION
set -u
mode=$1 source=$2 version=$3
manual=man/Merovak.1
# shellcheck source=harness.sh
. "$(dirname "$0")/harness.sh"
cd "$source" || exit 1
unset SOURCE_DATE_EPOCH
needsBuild release
if [ "$mode" = install ]; then
        needs groff groff-base
        needs man man-db
        missing=$(bash scripts/install-packages.sh --missing g++ cmake make)
        [ -z "$missing" ] || lacks+=("what the README's build line installs (Debian packages $missing)")
        libfaketime fakeLibrary
    else
        needsBuild linux-arm64
        for build in linux-x86_64-static linux-arm64-static linux-arm-static windows-x86 windows-x64; do
            needsFile "build/$build/THIRD-PARTY-NOTICES" "cmake --preset $build && cmake --build --preset $build"
        done
        for tool in dpkg-deb:dpkg dpkg-shlibdeps:dpkg-dev file:file rpmbuild:rpm lintian:lintian rpmlint:rpmlint; do
            needs "${tool%:*}" "${tool#*:}"
        done
        needsFile /usr/aarch64-linux-gnu/lib/libc.so.6 "the arm64 C library: Debian package libc6:arm64"
fi
lacking

# warnsNot NAME: the last command wrote nothing on standard error.
warnsNot() {
    if [ -s "$work/err" ]; then report "$1" fail "$(head -n 5 "$work/err")"; else report "$1" ok; fi
}

if [ "$mode" = install ]; then
    expect 'manual renders with groff' groff -man -ww -z -Tutf8 "$manual"
    warnsNot 'groff gives no warnings'
    expect 'manual renders with man' env LC_ALL=C MANWIDTH=80 man --warnings -l "$manual"
    warnsNot 'man gives no warnings'
    has 'manual has EXIT STATUS' '^EXIT STATUS'
    has 'manual has ENVIRONMENT' '^ENVIRONMENT'
    hasNot 'manual within 80 columns' '^.\{81,\}'

    # The README's build line, and the install lines of the page on
    # installing, as they stand there, with a home of the test's own.
    build=$(page README.md build-and-run) || exit 1
    expect 'build and run' bash -c "$build"
    has 'build and run: a status' '^status [05]$'
    install=$(page docs/install.md install-prefix) || exit 1
    uninstall=$(page docs/install.md uninstall) || exit 1
    destdir=$(page docs/install.md install-destdir) || exit 1
    export HOME=$work
    prefix=$HOME/.local
    expect 'cmake --install' bash -c "$install"
    expect 'installed command' test -x "$prefix/bin/Merovak"
    expect 'installed manual' cmp "$manual" <(gzip -dc "$prefix/share/man/man1/Merovak.1.gz")
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
    expect 'DESTDIR: manifest' cat build/release/install_manifest.txt
    hasNot 'DESTDIR: manifest without the staging folder' stage

    expect 'release build' bash -c 'find build/release -name "*.cpp.o" -printf "%f\n" | sort | uniq -c'
    has 'release build compiles main.cpp' '^ *1 main.cpp.o$'
    hasNot 'release build compiles each source once' '^ *[^ 1] '
    finish
    exit
fi

# Beside each self-contained program, the notices of the code it holds: the C
# runtime's copyright and licence text, and GCC's runtime exception.
for build in 'linux-x86_64-static musl' 'linux-arm64-static musl' 'linux-arm-static musl' \
    'windows-x86 mingw-w64' 'windows-x64 mingw-w64'; do
    read -r build upstream <<<"$build"
    expect "$build notices" cat "build/$build/THIRD-PARTY-NOTICES"
    noticesHold "$build notices" "$upstream"
done
# Without dpkg, the files linked in are listed all the same, and the notices say
# that their licences could not be gathered.
expect 'notices without dpkg' cmake -DMAP=build/linux-x86_64-static/Merovak.map -DDPKG= \
    -DOUTPUT="$work/notices" -DTITLE=test -P cmake/notices.cmake
expect 'notices without dpkg, read' cat "$work/notices"
has 'notices without dpkg: the C library' '^  /usr/lib/x86_64-linux-musl/libc.a (.* of its members)$'
has 'notices without dpkg: what is missing' 'could not be gathered'

maintainer='The Merovak authors <merovak@example.org>'
for build in 'release packages amd64 x86_64 x86-64' \
    'linux-arm64 packages-arm64 arm64 aarch64 ARM aarch64'; do
    read -r build block architecture rpmArchitecture machine <<<"$build"
    lines=$(page docs/install.md "$block") || exit 1
    expect "$build: cpack -G DEB, cpack -G RPM" bash -c "$lines"
    deb=build/$build/merovak_${version}_$architecture.deb
    expect "$architecture package" bash -c 'dpkg-deb -c "$1" && dpkg-deb -f "$1" &&
        dpkg-deb --fsys-tarfile "$1" | tar -xOf - ./usr/share/doc/merovak/copyright &&
        dpkg-deb --fsys-tarfile "$1" | tar -xOf - ./usr/bin/Merovak | file -' - "$deb"
    has "$architecture package: a PIE for $machine" "ELF 64-bit LSB pie executable, $machine,"
    for line in ' ./usr/bin/Merovak' ' ./usr/share/man/man1/Merovak.1.gz' \
        ' ./usr/share/doc/merovak/copyright' '^Package: merovak' "^Version: $version" \
        "^Architecture: $architecture" '^Depends: .*libc6.*' '^Recommends: tzdata' \
        "^Maintainer: $maintainer" "^Upstream-Contact: $maintainer"; do
        has "$architecture package: $line" "$line\$"
    done
    lints "$architecture" "$deb"

    rpm=build/$build/merovak-$version-1.$rpmArchitecture.rpm
    expect "$rpmArchitecture RPM" rpm -qp --qf '%{LICENSE}|%{VERSION}|%{ARCH}|%{PACKAGER}|%{PREFIXES}
[%{FILEFLAGS:fflags} %{FILENAMES}\n][Recommends: %{RECOMMENDNAME}\n][* %{CHANGELOGTIME:day} %{CHANGELOGNAME}\n%{CHANGELOGTEXT}\n]' "$rpm"
    for line in "^MIT|$version|$rpmArchitecture|$maintainer|(none)" \
        ' /usr/bin/Merovak' ' /usr/share/man/man1/Merovak.1.gz' '^l /usr/share/licenses/merovak/LICENSE' \
        '^Recommends: tzdata' "^\* Tue Dec 08 2026 $maintainer - $version-1" \
        '^- First release: Merovak TIME tells a script by its exit status whether'; do
        has "$rpmArchitecture RPM: $line" "$line\$"
    done
    lints "$rpmArchitecture" "$rpm"
done
finish
