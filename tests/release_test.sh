#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# The release script, in copies of the checkout, as the releases below say:
# the same commit gives the same bytes elsewhere; a release holds the files
# that the releasing guide lists, and fails where a build's package is taken
# out; it refuses a changelog that does not say what it holds; the next
# versions are cut with version.sh, and each step of a change of keys makes
# the keys package it should. Every fact of what it ships is checked here, on
# the files in dist/: the packages pass the linters and carry the project's
# metadata, the packager's name and home page; the zips and archives hold what
# they should, with notices of the code linked in and guides of their own
# version; each bill of materials is true to the file beside it; the pages'
# lines install an archive; the first release and the transition are published
# into the trial's site. The releases and the site are kept in KEPT_DIR, for the
# tests of the files' schemas, of the home page and of the site on machines.
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

# The releases of the tree (the source archive is made from its commit, where
# items wait under [Unreleased], after they are cut into the next patch
# version), by one packager with a home page, with the trial key and
# code-signing certificate that the releasing guide makes: the first, with
# the guide's trial lines, published into the trial's site, served here as
# the guide serves it; the second in another folder, on another file system
# where there is one, with another umask, time zone, locale and clock, and a
# change that it does not commit, the same byte for byte; a third without the
# settings and with one build's package taken out of the table, which says
# what it leaves out, fails naming the files it lacks, and makes the rest
# alike; and the next version's, cut with the guide's line, for the same site.
# Before them, a release refuses a changelog that does not say what it holds.
export MEROVAK_MAINTAINER='A Packager <packager@example.net>' MEROVAK_HOMEPAGE=https://example.net/merovak
if ! elsewhere=$(mktemp -d -p /dev/shm); then elsewhere=$(mktemp -d); fi
onExit 'gpgconf --kill all; rm -rf "$elsewhere"'
trial=$(page "$source/docs/release.md" trial-keys) || exit 1
trialRelease=$(page "$source/docs/release.md" trial-release) || exit 1
trialServe=$(page "$source/docs/release.md" trial-serve) || exit 1
trialNext=$(page "$source/docs/release.md" trial-next-key) || exit 1
trialSwitch=$(page "$source/docs/release.md" trial-switch) || exit 1
trialRetire=$(page "$source/docs/release.md" trial-retire) || exit 1
expect 'the trial keys and certificate' env HOME="$work" bash -euc "$trial"'
    printf "%s\n" "$GNUPGHOME" "$MEROVAK_SIGNING_KEY" "$MEROVAK_AUTHENTICODE_CERT" "$MEROVAK_AUTHENTICODE_KEY"
    stat -c "%a %n" ~/merovak-trial "$GNUPGHOME"'
{ read -r GNUPGHOME && read -r key && read -r certificate && read -r privateKey; } <"$work/out"
has 'the trial keys: the key it made' "^[0-9A-F]\{40\}$"
has 'the trial keys: its folder private' "^700 $work/merovak-trial$"
has 'the trial keys: its keyring private' "^700 $GNUPGHOME$"
export GNUPGHOME
# The keys of a change of keys, as the guide's lines for each step set them,
# and a third key, that no release announces.
expect 'the trial keys of each step' env MEROVAK_SIGNING_KEY="$key" bash -euc "$trialNext"'
    echo "$MEROVAK_NEXT_SIGNING_KEY"
    '"$trialSwitch"'
    echo "$MEROVAK_SIGNING_KEY ${MEROVAK_NEXT_SIGNING_KEY:-none} $MEROVAK_PREVIOUS_SIGNING_KEY"
    '"$trialRetire"'
    echo "$MEROVAK_SIGNING_KEY ${MEROVAK_PREVIOUS_SIGNING_KEY:-none}"
    '"$trialNext"'
    echo "$MEROVAK_NEXT_SIGNING_KEY"'
{ read -r nextKey && read -r switched && read -r retired && read -r thirdKey; } <"$work/out"
expect 'the trial keys of each step: the switch' test "$switched" = "$nextKey none $key"
expect 'the trial keys of each step: the retirement' test "$retired" = "$nextKey none"
expect 'the trial keys of each step: a key each' test "$(printf '%s\n' "$key" "$nextKey" "$thirdKey" | sort -u |
    grep -c '^[0-9A-F]\{40\}$')" -eq 3
site=$work/merovak-trial/site
url=http://127.0.0.1:$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
settings=(MEROVAK_SIGNING_KEY="$key" MEROVAK_AUTHENTICODE_CERT="$certificate"
    MEROVAK_AUTHENTICODE_KEY="$privateKey" MEROVAK_SITE_URL="$url")
first=$work/merovak second=$elsewhere/a/deeper/folder/merovak third=$work/third next=$work/next
switch=$work/switch retire=$work/retire
mkdir -p "$first" && git -C "$source" ls-files -co --exclude-standard -z | # the tree's files, and its history
    tar -C "$source" --null -cf - -T - .git | tar -C "$first" -xf -
author=(env GIT_AUTHOR_NAME=Test GIT_AUTHOR_EMAIL=test@example.org GIT_COMMITTER_NAME=Test
    GIT_COMMITTER_EMAIL=test@example.org)
commit() { # commit COPY MESSAGE, at the time of the tree's commit, as its releases are
    "${author[@]}" GIT_COMMITTER_DATE="$(git -C "$1" log -1 --format=%cI)" git -C "$1" commit -q -a -m "$2"
}
bump() { echo "${1%.*}.$((${1##*.} + 1))"; }
if ! "$releaseData" changelog release "$first/CHANGELOG.md" "$version" >/dev/null 2>&1; then
    version=$(bump "$version")
    expect "the items waiting cut into $version" "${author[@]}" bash "$first/scripts/version.sh" "$version"
fi
nextVersion=$(bump "$version")
for copy in "$second" "$third"; do mkdir -p "$copy" && cp -a "$first/." "$copy"; done
# The second has a change that it does not commit, which no program may hold.
sed -i 's/Usage: Merovak/Usage: Changed/' "$second/src/main.cpp"
# The third's table without the package preset of the 32-bit ARM static program.
sed -i 's/, {"type": "build", "name": "linux-arm-static-package"}//; /"name": "linux-arm-static-package"/d' \
    "$third/CMakePresets.json"
commit "$third" 'No package of the 32-bit ARM program'
# The next versions, each the one before it with an item under [Unreleased],
# cut with the guide's line: the transition to the next key, the switch to it,
# and the retirement of the first key. cut COPY FROM VERSION
cut() {
    mkdir -p "$1" && cp -a "$2/." "$1"
    sed -i "0,/^## \[Unreleased\]/s//&\n\n### Fixed\n\n- A fault before $3./" "$1/CHANGELOG.md"
    commit "$1" "A fault before $3"
    expect "version $3 cut" "${author[@]}" bash "$1/scripts/version.sh" "$3"
    has "version $3 cut: it says so" "^Version $3 is committed"
}
switchVersion=$(bump "$nextVersion")
retireVersion=$(bump "$switchVersion")
cut "$next" "$first" "$nextVersion"
cut "$switch" "$next" "$switchVersion"
cut "$retire" "$switch" "$retireVersion"
nextSettings=("${settings[@]}" MEROVAK_NEXT_SIGNING_KEY="$nextKey")
switchSettings=("${settings[@]}" MEROVAK_SIGNING_KEY="$nextKey" MEROVAK_PREVIOUS_SIGNING_KEY="$key")
retireSettings=("${settings[@]}" MEROVAK_SIGNING_KEY="$nextKey")

# A release stops before it builds where the changelog does not say what it
# holds, saying why: an item waiting under [Unreleased], an entry without
# items, an item outside a heading.
while IFS='|' read -r what edit reason; do
    rm -rf "$work/refused" && cp -a "$first" "$work/refused"
    sed -i "$edit" "$work/refused/CHANGELOG.md" && commit "$work/refused" "$what"
    expect "a release of $what refused" bash -c '! bash "$1/scripts/release.sh" 2>&1' - "$work/refused"
    has "a release of $what refused, saying why" "$reason"
    expect "a release of $what refused: nothing built" test ! -e "$work/refused/build/dist/source/merovak-$version/build"
done <<TABLE
an item under [Unreleased]|0,/^## \[Unreleased\]/s//&\n\n### Added\n\n- More./|1 items under \[Unreleased\] are not in version $version: cut
an entry without items|/^## \[$version\]/,/^## \[/{/^### /d;/^- /d;/^  /d}|the entry of $version has no items
an item outside a heading|0,/^### /{/^### /d}|an item outside a ### heading
TABLE

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
start release env TZ=UTC LC_ALL=C.UTF-8 HOME="$work" "${settings[@]}" bash -c "cd \"\$1\" && $trialRelease" - "$first"
start 'release without settings' bash -c '! bash "$1/scripts/release.sh"' - "$third"
released release
has 'release says it signs' "^Signed SHA256SUMS and merovak-$version.tar.gz with $key\$"
has 'release, published into the trial site' "^Published $version in $site, for $url\$"
env HOME="$work" MEROVAK_SITE_URL="$url" bash -c "$trialServe" >"$work/served.log" 2>&1 &
onExit "kill $!"
released 'release without settings'
for line in '^Windows programs not signed: ' '^No manifests for winget and Scoop: ' '^Not signed: ' \
    "^merovak-$version-linux-arm.tar.gz: missing, though .*docs/release.md lists it" \
    "^merovak-$version-linux-arm.tar.gz.cdx.json: missing" '^release.sh: dist/ is not the release that'; do
    has "release without settings or one package: $line" "$line"
done
start 'release elsewhere' bash -c 'umask 002 && cd "$1" &&
    TZ=Asia/Kolkata LC_ALL=C NO_FAKE_STAT=1 "${@:2}" bash scripts/release.sh 2>&1' - "$second" \
    env "${settings[@]}" LD_PRELOAD="$fakeLibrary" FAKETIME=+3d
start 'next release' env "${nextSettings[@]}" bash "$next/scripts/release.sh"
released 'release elsewhere'
has 'release elsewhere names what it leaves out' '^release.sh: not in the release, .*: .*src/main.cpp'
released 'next release'
start 'release by the next key' env "${switchSettings[@]}" bash "$switch/scripts/release.sh"
start 'release without the first key' env "${retireSettings[@]}" bash "$retire/scripts/release.sh"
released 'release by the next key'
released 'release without the first key'
dist=$first/dist
expect 'the same bytes elsewhere' diff -r "$dist" "$second/dist"
# Without the settings, the same files but for what the settings sign, add or
# name (the archives' guides name the site), and the source archive, whose
# table lacks a package.
expect 'the same bytes without the settings, but for the signed' diff -r -x '*windows*' -x '*.rpm*' \
    -x '*-linux-*.tar.gz*' -x 'SHA256SUMS*' -x '*.asc' -x '*.gpg' -x winget -x merovak.json \
    -x "merovak-$version.tar.gz" -x 'merovak-archive-keyring*' "$third/dist" "$dist"
expect 'without the settings, nothing signed and no manifests' bash -c '! compgen -G "$1/*.asc" &&
    ! compgen -G "$1/merovak.json" && ! compgen -G "$1/winget"' - "$third/dist"
expect 'merovak-$version.tar.gz.asc verifies' gpg --verify "$dist/merovak-$version.tar.gz.asc" \
    "$dist/merovak-$version.tar.gz"
expect 'checksums' bash -c 'cd "$1" && sha256sum --strict -c SHA256SUMS' - "$dist"
# The next version's packages, archives and zips name no file of this one
# (their changelogs and the tests' own files aside), and its manual is its own.
unpacked=$work/next-unpacked
for file in "$next"/dist/*.{deb,rpm,tar.gz,zip,msi}; do
    mkdir -p "$unpacked/${file##*/}" && (cd "$unpacked/${file##*/}" && case $file in
        *.deb) dpkg-deb -x "$file" . ;; *.rpm) rpm2cpio "$file" | cpio -id --quiet ;;
        *.msi) msiextract "$file" >/dev/null ;; *) cmake -E tar xf "$file" ;; esac)
done
expect 'the next version names no file of this one' bash -c '! grep -rIl --exclude="changelog*" \
    --exclude=CHANGELOG.md --exclude-dir=tests "merovak[-_]${1//./\\.}[-_]" "$2"' - "$version" "$unpacked"
static=merovak-$nextVersion-linux-x86_64
expect "the next version's guide for Linux names its files" grep -q "$static.tar.gz" \
    "$unpacked/$static.tar.gz/$static/docs/install.md"
expect "the next version's guide for Windows names its files" grep -q "merovak-$nextVersion-windows-x64.msi" \
    "$unpacked/merovak-$nextVersion-windows-x64.zip/README.txt"
expect "the next version's manual" cat "$unpacked/$static.tar.gz/$static/Merovak.1"
has "the next version's manual: its version and day" "^\.TH MEROVAK 1 \"$(date -u +%F)\" \"Merovak $nextVersion\" "
builds=$("$releaseData" presets shipping) || exit 1
mapfile -t builds <<<"$builds"
made=$first/build/dist/source/merovak-$version/build
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
day=$(date -d "$(sed -n "s/^## \[$version\] - //p" "$first/CHANGELOG.md")" '+%a %b %d %Y')
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
        '^Recommends: tzdata' "^\\* $day $MEROVAK_MAINTAINER - $version-1" \
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
unpack=${unpack//VERSION/$version}
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

# The keys package of each step of a change of keys holds the keys that its
# release trusts, for apt and for dnf: the first key; it and the next one; the
# next one and, until it is retired, the first one.
fingerprints() { gpg --with-colons --show-keys | awk -F: '$1 == "pub" { k = 1 } $1 == "fpr" && k { print $10; k = 0 }' |
    sort | paste -sd ' '; }
export -f fingerprints
while read -r copy keys; do
    expect "${copy##*/}: the keys of its keys package for apt" bash -c 'dpkg-deb --fsys-tarfile "$1"/dist/*_all.deb |
        tar -xOf - ./usr/share/keyrings/merovak-archive-keyring.gpg | "${@:2}"' - "$copy" fingerprints
    has "${copy##*/}: the keys of its keys package for apt: $keys" "^$keys$"
    expect "${copy##*/}: the keys of its keys package for dnf" bash -c 'rpm2cpio "$1"/dist/*.noarch.rpm |
        cpio -i --quiet --to-stdout ./etc/pki/rpm-gpg/RPM-GPG-KEY-merovak | "${@:2}"' - "$copy" fingerprints
    has "${copy##*/}: the keys of its keys package for dnf: $keys" "^$keys$"
done <<TABLE
$first $key
$next $(printf '%s\n' "$key" "$nextKey" | sort | paste -sd ' ')
$switch $(printf '%s\n' "$key" "$nextKey" | sort | paste -sd ' ')
$retire $nextKey
TABLE

# The first release and the site, for the tests of the release's files against
# their schemas and of the site in a root of their own.
if [ "$failed" -eq 0 ]; then
    mkdir -p "$kept/releases" "$kept/gnupg" && cp -r "$dist" "$kept/dist" && cp -a "$site" "$kept/site" &&
        echo "${url##*:}" >"$kept/port" && tar -C "$GNUPGHOME" --exclude='S.*' -cf - . | tar -C "$kept/gnupg" -xf -
    # Each release of a change of keys, and the settings that made it.
    cp -r "$first/dist" "$kept/releases/$version" && printf '%s\n' "${settings[@]}" >"$kept/releases/$version.settings"
    cp -r "$next/dist" "$kept/releases/$nextVersion" &&
        printf '%s\n' "${nextSettings[@]}" >"$kept/releases/$nextVersion.settings"
    cp -r "$switch/dist" "$kept/releases/$switchVersion" &&
        printf '%s\n' "${switchSettings[@]}" >"$kept/releases/$switchVersion.settings"
    cp -r "$retire/dist" "$kept/releases/$retireVersion" &&
        printf '%s\n' "${retireSettings[@]}" >"$kept/releases/$retireVersion.settings"
    echo "$thirdKey" >"$kept/third-key"
fi
finish
