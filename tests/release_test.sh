#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# The release script, run twice on copies of the checkout in other folders (on
# another file system where there is one), with another umask, time zone,
# locale and clock, and the second with an uncommitted change that it names,
# makes the same bytes; the first, given a throwaway key, signs the checksums
# and the source archive, the second, given none, says that it signs nothing.
# Its files are the packages of every build that packages, as CMake lists them,
# each with its bill of materials, and the source archive. Every fact of what
# it ships is checked here, on the files in dist/: the packages pass the
# linters and carry the project's metadata, the packager's name and home page;
# the zips hold the program, licence, notices and Windows guide, the archives
# for any Linux a folder with the program, the manual, the notices, the README
# and the Linux guides, and a small static program; the notices hold the texts
# of the code linked in; each bill of materials is true to the file beside it
# and the program inside; the pages' lines check a download and install an
# archive; the first and the next release are published into a site, served
# here. The first release and the site are kept in KEPT_DIR, for the tests of
# the release's files against their schemas and of the site in a root of their
# own.
# Outside a git checkout (a source archive), the script says that it makes a
# release of a git checkout, and the test is skipped with that as the reason;
# where a package that the script installs is missing, the test is skipped.
# Usage: release_test.sh SOURCE_DIR VERSION KEPT_DIR
set -u
source=$1 version=$2 kept=$3
# shellcheck source=harness.sh
. "$(dirname "$0")/harness.sh"

# Outside a git checkout, release.sh says so, and that is the reason to skip.
if ! answer=$(bash "$source/scripts/release.sh" --missing 2>&1); then
    if [[ $answer == *'makes a release of a git checkout'* ]]; then
        echo "SKIPPED: ${answer##*$'\n'}"
        exit 77
    fi
    echo "FAIL release.sh --missing: $(tail -n 5 <<<"$answer")"
    exit 1
fi
[ -z "$answer" ] || lacks+=("what release.sh installs (Debian packages $answer)")
libfaketime fakeLibrary
for tool in lintian:lintian rpmlint:rpmlint openssl:openssl osslsigncode:osslsigncode gpgv:gpgv; do
    needs "${tool%:*}" "${tool#*:}"
done
# shellcheck source=channels.sh
. "$(dirname "$0")/channels.sh"
lacking
rm -rf "$kept"
releaseData=$source/scripts/release-data

# The releases of the tree as it is (the source archive is made from its
# commit), by one packager with a home page, with the trial key and
# code-signing certificate that the releasing guide makes, for a site served
# here: the first; the second in another folder, on another file system where
# there is one, with another umask, time zone, locale and clock, and a change
# that it does not commit, the same byte for byte; a third without the
# settings, which says what it leaves out and makes the rest alike; and the
# next version's, with its entry in CHANGELOG.md, for the same site.
export MEROVAK_MAINTAINER='A Packager <packager@example.net>' MEROVAK_HOMEPAGE=https://example.net/merovak
if ! elsewhere=$(mktemp -d -p /dev/shm); then elsewhere=$(mktemp -d); fi
onExit 'gpgconf --kill all; rm -rf "$elsewhere"'
trial=$(page "$source/docs/release.md" trial-keys) || exit 1
expect 'the trial key and certificate' env HOME="$work" bash -euc "$trial"'
    printf "%s\n" "$GNUPGHOME" "$MEROVAK_SIGNING_KEY" "$MEROVAK_AUTHENTICODE_CERT" "$MEROVAK_AUTHENTICODE_KEY"'
{ read -r GNUPGHOME && read -r key && read -r certificate && read -r privateKey; } <"$work/out"
export GNUPGHOME
site=$work/site
serve "$site" # $url
settings=(MEROVAK_SIGNING_KEY="$key" MEROVAK_AUTHENTICODE_CERT="$certificate"
    MEROVAK_AUTHENTICODE_KEY="$privateKey" MEROVAK_SITE_URL="$url")
first=$work/merovak second=$elsewhere/a/deeper/folder/merovak third=$work/third next=$work/next
for copy in "$first" "$second" "$third" "$next"; do # the tree's files, committed or not, and its history
    mkdir -p "$copy" && git -C "$source" ls-files -co --exclude-standard -z |
        tar -C "$source" --null -cf - -T - .git | tar -C "$copy" -xf -
done
# The second has a change that it does not commit, which no program may hold.
sed -i 's/Usage: Merovak/Usage: Changed/' "$second/src/main.cpp"
nextVersion=${version%.*}.$((${version##*.} + 1))
sed -i "s/\(project(Merovak VERSION \)$version\b/\1$nextVersion/" "$next/CMakeLists.txt"
sed -i "0,/^## \[$version\]/s//## [$nextVersion] - 2026-12-09\n\n### Fixed\n\n- A fault of $version.\n\n&/" \
    "$next/CHANGELOG.md"
expect 'the next version committed' git -C "$next" -c user.name=Test -c user.email=test@example.org \
    commit -q -a -m "Version $nextVersion"

# Two releases at a time, each in the background: start NAME COMMAND...;
# released NAME waits for it, passes where it succeeded, and keeps its output.
declare -A releases
start() {
    (cd "$work" && "${@:2}" >"$work/$1.log" 2>&1) &
    releases[$1]=$!
}
released() {
    wait "${releases[$1]}"
    local status=$?
    cp "$work/$1.log" "$work/out"
    if [ $status -eq 0 ]; then report "$1" ok; else report "$1" fail "$(tail -n 5 "$work/out")"; fi
}
start release env TZ=UTC LC_ALL=C.UTF-8 "${settings[@]}" bash "$first/scripts/release.sh"
start 'release without settings' bash "$third/scripts/release.sh"
released release
has 'release says it signs' "^Signed SHA256SUMS and merovak-$version.tar.gz with $key\$"
released 'release without settings'
for line in '^Windows programs not signed: ' '^No manifests for winget and Scoop: ' '^Not signed: '; do
    has "release without settings: $line" "$line"
done
start 'release elsewhere' bash -c 'umask 002 && cd "$1" &&
    TZ=Asia/Kolkata LC_ALL=C NO_FAKE_STAT=1 "${@:2}" bash scripts/release.sh 2>&1' - "$second" \
    env "${settings[@]}" LD_PRELOAD="$fakeLibrary" FAKETIME=+3d
start 'next release' env "${settings[@]}" bash "$next/scripts/release.sh"
released 'release elsewhere'
has 'release elsewhere names what it leaves out' '^release.sh: not in the release, .*: .*src/main.cpp'
released 'next release'
dist=$first/dist
expect 'the same bytes elsewhere' diff -r "$dist" "$second/dist"
# Without the settings, the same files but for what the settings sign, add or
# name (the archives' guides name the site).
expect 'the same bytes without the settings, but for the signed' diff -r -x '*windows*' -x '*.rpm*' \
    -x '*-linux-*.tar.gz*' -x 'SHA256SUMS*' -x '*.asc' -x '*.gpg' -x winget -x merovak.json "$third/dist" "$dist"
expect 'without the settings, nothing signed and no manifests' bash -c '! compgen -G "$1/*.asc" &&
    ! compgen -G "$1/merovak.json" && ! compgen -G "$1/winget"' - "$third/dist"
expect 'merovak-$version.tar.gz.asc verifies' gpg --verify "$dist/merovak-$version.tar.gz.asc" \
    "$dist/merovak-$version.tar.gz"
# A download checked, and a static archive installed, with the page's lines.
check=$(page "$source/docs/install.md" check-download) || exit 1
expect 'checking a download' bash -c "cd \"\$1\" && {
${check//FINGERPRINT/$key}
} 2>&1" - "$dist"
has 'checking a download: the signature' '^gpgv: Good signature from'
has 'checking a download: the checksum' "^merovak-$version-windows-x64.zip: OK"
# The files are those that the table of builds names for each build that
# ships, each made by its build with its bill of materials, and the source
# archive, all in SHA256SUMS.
builds=$("$releaseData" presets shipping) || exit 1
mapfile -t builds <<<"$builds"
made=$first/build/dist/source/merovak-$version/build
expected=("merovak-$version.tar.gz")
for build in "${builds[@]}"; do
    files=$("$releaseData" presets artifacts "$build" "$version") || exit 1
    mapfile -t files <<<"$files"
    expect "$build made its packages" ls "$made/$build/packages"
    for file in "${files[@]}"; do
        expected+=("$file" "$file.cdx.json")
        has "$build made $file" "^$file\$"
        has "$build made $file.cdx.json" "^$file.cdx.json\$"
    done
    expect "$build made no others" test "$(wc -l <"$work/out")" -eq $((2 * ${#files[@]}))
done
expected+=(merovak.json merovak-archive-keyring.gpg merovak-archive-keyring.asc)
expect 'checksums' bash -c 'cd "$1" && sha256sum -c SHA256SUMS' - "$dist"
for artifact in "${expected[@]}"; do
    has "release holds $artifact" "^$artifact: OK\$"
done
expect 'release holds nothing else at its top' test "$(grep -c '^[^/]*: OK$' "$work/out")" -eq ${#expected[@]}
sed -i '\|^winget/Merovak\.Merovak\(\.installer\|\.locale\.en-US\)\?\.yaml: OK$|d' "$work/out"
hasNot 'release holds nothing else below its top' /
# The packages as shipped pass the linters, and the bills of materials are
# true to the files beside them, the programs inside and the packages
# installed here.
for package in "$dist"/*.deb "$dist"/*.rpm; do
    lints "${package##*/}" "$package"
done
expect 'bills of materials' "$releaseData" check --installed "$dist"/*.cdx.json

# The packages hold the program, built for the processor of their build, its
# manual page and copyright or licence, and name the project's metadata, the
# packager and the home page.
upstream='The Merovak authors <merovak@example.org>'
for build in "${builds[@]}"; do
    "$releaseData" presets artifacts "$build" "$version" | grep -q '\.deb$' || continue
    architecture=$("$releaseData" presets processor "$build" debian) || exit 1
    elf=$("$releaseData" presets processor "$build" file) || exit 1
    deb=$dist/merovak_${version}_$architecture.deb
    expect "$architecture package" bash -c 'dpkg-deb -c "$1" && dpkg-deb -f "$1" &&
        dpkg-deb --fsys-tarfile "$1" | tar -xOf - ./usr/share/doc/merovak/copyright &&
        dpkg-deb --fsys-tarfile "$1" | tar -xOf - ./usr/bin/Merovak | file -' - "$deb"
    for line in ' ./usr/bin/Merovak' ' ./usr/share/man/man1/Merovak.1.gz' \
        ' ./usr/share/doc/merovak/copyright' ' ./usr/share/doc/merovak/changelog.gz' '^Package: merovak' \
        "^Version: $version" "^Architecture: $architecture" '^Depends: .*libc6.*' '^Recommends: tzdata' \
        "^Maintainer: $MEROVAK_MAINTAINER" "^Homepage: $MEROVAK_HOMEPAGE" "^Upstream-Contact: $upstream"; do
        has "$architecture package: $line" "$line\$"
    done
    has "$architecture package: a PIE for its processor" "ELF 64-bit LSB pie executable, $elf,"
    architecture=$("$releaseData" presets processor "$build" rpm) || exit 1
    rpm=$dist/merovak-$version-1.$architecture.rpm
    expect "$architecture RPM" rpm -qp --qf '%{LICENSE}|%{VERSION}|%{ARCH}|%{PACKAGER}|%{URL}|%{PREFIXES}
[%{FILEFLAGS:fflags} %{FILENAMES}\n][Recommends: %{RECOMMENDNAME}\n][* %{CHANGELOGTIME:day} %{CHANGELOGNAME}\n%{CHANGELOGTEXT}\n]' "$rpm"
    for line in "^MIT|$version|$architecture|$MEROVAK_MAINTAINER|$MEROVAK_HOMEPAGE|(none)" \
        ' /usr/bin/Merovak' ' /usr/share/man/man1/Merovak.1.gz' '^l /usr/share/licenses/merovak/LICENSE' \
        '^Recommends: tzdata' "^\\* Tue Dec 08 2026 $MEROVAK_MAINTAINER - $version-1" \
        '^- Added: Merovak TIME tells a script by its exit status whether the local time'; do
        has "$architecture RPM: $line" "$line\$"
    done
    expect "$architecture RPM's program" bash -c 'rpm2cpio "$1" | (cd "$2" && cpio -id --quiet ./usr/bin/Merovak) &&
        file "$2/usr/bin/Merovak"' - "$rpm" "$(mkdir -p "$work/$architecture" && echo "$work/$architecture")"
    has "$architecture RPM's program: for its processor" "ELF 64-bit LSB pie executable, $elf,"
done

# The zips hold the program, the licence, the notices of other projects' code in
# it and the guide for Windows at their root; the archives for any Linux hold a
# folder with the program, the manual page, the licence, the notices, the README
# and the guides for Linux, and a small static program. The notices hold the
# copyright and licence of the C runtime built in (MinGW-w64's or musl), and
# GCC's runtime exception.
for archive in "$dist"/*.zip "$dist"/*-linux-*.tar.gz; do
    name=${archive##*/}
    expect "$name" cmake -E tar tf "$archive"
    folder='' files=(Merovak.exe LICENSE THIRD-PARTY-NOTICES README.txt) upstream=mingw-w64
    [[ $name == *.zip ]] || folder=${name%.tar.gz}/ files=(Merovak Merovak.1 LICENSE THIRD-PARTY-NOTICES
        README.md docs/linux.md docs/install.md) upstream=musl
    for file in "${files[@]}"; do
        has "$name holds $folder$file" "^$folder$file\$"
    done
    rm -rf "$work/unpacked" && mkdir "$work/unpacked"
    expect "$name notices" bash -c 'cd "$1" && cmake -E tar xf "$2" &&
        find . -name THIRD-PARTY-NOTICES -exec cat {} +' - "$work/unpacked" "$archive"
    noticesHold "$name notices" "$upstream"
    if [[ $name == *.zip ]]; then
        cp "$work/unpacked/README.txt" "$work/out"
        has "$name: its guide is the one for Windows" '^Merovak on Windows'$'\r''$'
        hasNot "$name: its guide names no apt-get" apt-get
        hasNot "$name: its guide is plain text" '<!--\|^#\|```'
        hasNot "$name: its guide's lines end CR LF" $'[^\r]$'
        continue
    fi
    expect "$name: its program" file "$work/unpacked/${folder}Merovak"
    has "$name: its program is static" 'static-pie linked\|statically linked'
    hasNot "$name: its program has no interpreter" interpreter
    expect "$name: its program within 128 KiB" test "$(stat -c %s "$work/unpacked/${folder}Merovak")" -le 131072
done
# The Windows Installer packages install for the machine, name the release's
# version and home page, put their folder on the system PATH and take it off
# again, and refuse an older version over a newer one.
for msi in "$dist"/*.msi; do
    expect "${msi##*/}" bash -c 'for table in Property LaunchCondition Environment InstallExecuteSequence; do
        msiinfo export "$1" "$table" | tr -d "\\r"; done' - "$msi"
    for line in '^ALLUSERS	1$' "^ProductVersion	$version\$" "^ARPURLINFOABOUT	$MEROVAK_HOMEPAGE\$" \
        '^NOT WIX_DOWNGRADE_DETECTED	A newer version of Merovak is already installed\.$' \
        '^PATH	=-\*PATH	\[~\];\[INSTALLDIR\]	Program$' '^WriteEnvironmentStrings		5200$' \
        '^RemoveEnvironmentStrings		3300$'; do
        has "${msi##*/}: $line" "$line"
    done
done
unpack=$(page "$source/docs/install.md" static-archive) || exit 1
mkdir "$work/home" && cp "$dist/$(grep -o -m 1 'merovak-[^ ]*\.tar\.gz' <<<"$unpack")" "$work/home"
expect 'static archive installed' env HOME="$work/home" bash -c "cd ~ && $unpack && ~/.local/bin/Merovak"
has 'static archive: the command answers' '^Usage: Merovak'
expect 'static archive: the manual' test -s "$work/home/.local/share/man/man1/Merovak.1"
# The signed Windows programs pass their builds' tests, as the release built
# them; the release reaches users through winget and Scoop, and, once it is
# published with the next into the site, through its home page, apt and dnf.
for build in "${builds[@]}"; do
    nestedTests "$build: the Windows tests of the release's programs" "$made/$build" -L windows --no-tests=ignore
done
windowsChannels "$dist" "$certificate"
siteChannels "$dist" "$next/dist" "$nextVersion" "$third/dist/merovak-$version-1.$(uname -m).rpm"

# The first release and the site, for the tests of the release's files against
# their schemas and of the site in a root of their own.
if [ "$failed" -eq 0 ]; then
    mkdir -p "$kept" && cp -r "$dist" "$kept/dist" && cp -a "$site" "$kept/site" && echo "${url##*:}" >"$kept/port"
fi
finish
