#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# The release script, run twice on copies of the checkout in other folders (on
# another file system where there is one), with another umask, time zone,
# locale and clock, and the second with an uncommitted change that it names,
# makes the same bytes, with the packager's name and home page in its
# packages; the first, given a throwaway key, signs the checksums and the
# source archive, the second, given none, says that it signs nothing; its
# packages pass the linters; its zips hold the program, licence, notices and
# Windows guide, its archives for any Linux a folder with the program, the
# manual, the notices, the README and the Linux guides, and a small static
# program; each has a bill of materials that the CycloneDX schema and the
# checks of check-sboms.py pass, and faults planted in one fail them; the page's
# lines check a download and install an archive.
# Outside a git checkout (a source archive), the script says that it makes a
# release of a git checkout, and the test is skipped with that as the reason;
# where a package that the script installs is missing, the test is skipped.
# Usage: release_test.sh SOURCE_DIR VERSION
set -u
source=$1 version=$2
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
needs lintian lintian
needs rpmlint rpmlint
[ -z "$(bash "$source/scripts/install-packages.sh" --missing python3-jsonschema)" ] &&
    python3 -c 'import jsonschema' 2>/dev/null || lacks+=("Python's jsonschema (Debian package python3-jsonschema)")
lacking
# Without the schemas, the rest is checked, and the test then says that it was
# skipped, and why.
schemas=$source/build/cyclonedx unchecked=
[ -e "$schemas/bom-1.6.SNAPSHOT.schema.json" ] ||
    unchecked="the CycloneDX schemas that check the bills of materials (bash scripts/cyclonedx-schemas.sh)"

# Two releases of the tree as it is (the source archive is made from its
# commit), by one packager with a home page: the second in another folder, on
# another file system where there is one, with another umask, time zone, locale
# and clock. They must be the same, byte for byte, but for the signatures.
export MEROVAK_MAINTAINER='A Packager <packager@example.net>' MEROVAK_HOMEPAGE=https://example.net/merovak
elsewhere=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
export GNUPGHOME=$work/gnupg
trap 'gpgconf --kill all; rm -rf "$work" "$elsewhere"' EXIT
mkdir -m 700 "$GNUPGHOME"
expect 'signing key' gpg --batch --passphrase '' --quick-gen-key 'Merovak test <test@example.org>' ed25519 sign never
key=$(gpg --list-keys --with-colons | awk -F: '$1 == "fpr" { print $10; exit }')
first=$work/merovak second=$elsewhere/a/deeper/folder/merovak
for copy in "$first" "$second"; do # the tree's files, committed or not, and its history
    mkdir -p "$copy" && git -C "$source" ls-files -co --exclude-standard -z |
        tar -C "$source" --null -cf - -T - .git | tar -C "$copy" -xf -
done
# The second has a change that it does not commit, which no program may hold.
sed -i 's/Usage: Merovak/Usage: Changed/' "$second/src/main.cpp"
expect 'release' env TZ=UTC LC_ALL=C.UTF-8 MEROVAK_SIGNING_KEY="$key" bash "$first/scripts/release.sh"
has 'release says it signs' "^Signed SHA256SUMS and merovak-$version.tar.gz with $key\$"
# libfaketime makes shared memory for each process tree that it starts in,
# named by the process id, and leaves it; among a release's thousands of
# processes, a reused id could take it from a running build. One holder makes
# it for the whole release, and it goes with the test.
env LD_PRELOAD="$fakeLibrary" FAKETIME=+3d sleep 3600 </dev/null >/dev/null 2>&1 &
holder=$!
shared="/dev/shm/sem.faketime_sem_$holder /dev/shm/faketime_shm_$holder"
trap 'kill "$holder"; rm -f $shared; gpgconf --kill all; rm -rf "$work" "$elsewhere"' EXIT
for _ in {1..50}; do [ -e "/dev/shm/faketime_shm_$holder" ] || sleep 0.1; done
expect 'release elsewhere' bash -c 'umask 002 && cd "$1" &&
    TZ=Asia/Kolkata LC_ALL=C NO_FAKE_STAT=1 "${@:2}" bash scripts/release.sh 2>&1' - "$second" \
    env LD_PRELOAD="$fakeLibrary" FAKETIME=+3d FAKETIME_SHARED="/faketime_sem_$holder /faketime_shm_$holder"
has 'release elsewhere says it signs nothing' '^Not signed'
has 'release elsewhere names what it leaves out' '^release.sh: not in the release, .*: .*src/main.cpp'
dist=$first/dist
expect 'the same bytes but the signatures' diff -r -x '*.asc' "$dist" "$second/dist"
expect 'no signatures without a key' bash -c '! compgen -G "$1/*.asc"' - "$second/dist"
expect 'merovak-$version.tar.gz.asc verifies' gpg --verify "$dist/merovak-$version.tar.gz.asc" \
    "$dist/merovak-$version.tar.gz"
# A download checked, and a static archive installed, with the page's lines.
check=$(page "$source/docs/install.md" check-download) || exit 1
expect 'checking a download' bash -c "cd \"\$1\" && {
$check
} 2>&1" - "$dist"
has 'checking a download: the signature' '^gpg: Good signature from'
# The bills of materials checked in a download's folder, with the README's lines.
sboms=$(page "$source/README.md" check-sboms) || exit 1
mkdir -p "$work/download/merovak-$version/build" && cp "$dist"/* "$work/download"
cp -r "$schemas" "$work/download/merovak-$version/build"
[ -n "$unchecked" ] || expect 'checking the bills of materials' bash -c "cd \"\$1\" && $sboms" - "$work/download"
expect 'checksums' bash -c 'cd "$1" && sha256sum -c SHA256SUMS' - "$dist"
for artifact in merovak-$version.tar.gz merovak_${version}_{amd64,arm64}.deb \
    merovak-$version-1.{x86_64,aarch64}.rpm merovak-$version-linux-{x86_64,arm64,arm}.tar.gz \
    merovak-$version-windows-{x86,x64}.zip; do
    has "release holds $artifact" "^$artifact: OK\$"
    [[ $artifact == *-$version.tar.gz ]] || has "release holds $artifact.cdx.json" "^$artifact.cdx.json: OK\$"
done

# The packages as shipped pass the linters, and the bills of materials are
# valid and true; faults planted in one are found.
for package in "$dist"/*.deb "$dist"/*.rpm; do
    lints "${package##*/}" "$package"
done
checker=$source/scripts/check-sboms.py
artifact=merovak-$version-linux-x86_64.tar.gz
mkdir "$work/planted" && cp "$dist/$artifact" "$work/planted"
[ -n "$unchecked" ] || expect 'bills of materials' python3 "$checker" --installed "$schemas" "$dist"/*.cdx.json
[ -n "$unchecked" ] || while IFS=% read -r fault edit finding; do
    sed "$edit" "$dist/$artifact.cdx.json" >"$work/planted/$artifact.cdx.json"
    expect "planted: $fault" bash -c '! python3 "$@"' - "$checker" --installed "$schemas" \
        "$work/planted/$artifact.cdx.json"
    has "planted: $fault, found" "$finding"
done <<'EOF'
a hash of no such algorithm%s/"SHA-512"/"SHA-5l2"/%not CycloneDX 1.6
a reference to nothing%0,/"ref" : "/s//&x/%a reference to nothing
a version not installed%s/musl-dev@/&9:/g%is installed at
a linked file left out%0,/libc\.a(/s//libc.b(/%the notices list
not JSON%1s/{/[/%not JSON
EOF

# The packager's name and home page, in each package.
expect 'packages' bash -c 'for deb in "$1"/*.deb; do dpkg-deb -f "$deb" Maintainer Homepage; done
    rpm -qp --qf "Maintainer: %{PACKAGER}\nHomepage: %{URL}\n" "$1"/*.rpm' - "$dist"
count=$(grep -cxF -e "Maintainer: $MEROVAK_MAINTAINER" -e "Homepage: $MEROVAK_HOMEPAGE" "$work/out")
expect 'packager and home page in each of the four packages' test "$count" -eq 8

# The zips hold the program, the licence, the notices of other projects' code in
# it and the guide for Windows at their root; the archives for any Linux hold a
# folder with the program, the manual page, the licence, the notices, the README
# and the guides for Linux.
for archive in windows-x86.zip:mingw-w64 windows-x64.zip:mingw-w64 linux-{x86_64,arm64,arm}.tar.gz:musl; do
    upstream=${archive#*:} archive=${archive%:*}
    expect "$archive" cmake -E tar tf "$dist/merovak-$version-$archive"
    folder='' files=(Merovak.exe LICENSE THIRD-PARTY-NOTICES README.txt)
    [[ $archive == *.zip ]] || folder=merovak-$version-${archive%.tar.gz}/ files=(Merovak Merovak.1 LICENSE
        THIRD-PARTY-NOTICES README.md docs/linux.md docs/install.md)
    for file in "${files[@]}"; do
        has "$archive holds $folder$file" "^$folder$file\$"
    done
    rm -rf "$work/unpacked" && mkdir "$work/unpacked"
    expect "$archive notices" bash -c 'cd "$1" && cmake -E tar xf "$2" &&
        find . -name THIRD-PARTY-NOTICES -exec cat {} +' - "$work/unpacked" "$dist/merovak-$version-$archive"
    noticesHold "$archive notices" "$upstream"
done
mkdir "$work/zip" && (cd "$work/zip" && cmake -E tar xf "$dist/merovak-$version-windows-x86.zip")
cp "$work/zip/README.txt" "$work/out"
has "the zip's guide is the one for Windows" '^# Merovak on Windows'$'\r''$'
hasNot "the zip's guide names no apt-get" apt-get
mkdir "$work/home" && cp "$dist/merovak-$version-linux-x86_64.tar.gz" "$work/home"
unpack=$(page "$source/docs/install.md" static-archive) || exit 1
expect 'static archive installed' env HOME="$work/home" bash -c "cd ~ && $unpack && ~/.local/bin/Merovak"
has 'static archive: the command answers' '^Usage: Merovak'

expect 'static archive: the manual' test -s "$work/home/.local/share/man/man1/Merovak.1"
# Their programs are static, and small.
for program in x86_64:65536 arm64:131072 arm:98304; do
    limit=${program#*:} program=${program%:*}
    tar -xzOf "$dist/merovak-$version-linux-$program.tar.gz" --wildcards '*/Merovak' >"$work/static"
    expect "$program program" file "$work/static"
    has "$program program is static" 'static-pie linked\|statically linked'
    hasNot "$program program has no interpreter" interpreter
    expect "$program program within $limit bytes" test "$(stat -c %s "$work/static")" -le "$limit"
done
if [ -n "$unchecked" ] && [ "$failed" -eq 0 ]; then
    echo "$passed passed, 0 failed"
    echo "SKIPPED: this machine lacks $unchecked"
    exit 77
fi
finish
