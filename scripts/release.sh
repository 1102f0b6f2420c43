#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Makes a release of the checked-out commit in dist/: the source archive, the
# packages of every build that the table of builds ships (each has a build
# preset NAME-package), each with a CycloneDX bill of materials beside it, and
# SHA256SUMS over them all. Every program is built from the source archive;
# uncommitted changes are named, and left out. The same commit gives the same
# bytes wherever, whenever and by whomever it is built: time stamps come from
# SOURCE_DATE_EPOCH (the commit's time unless it is set), umask, time zone and
# locale are fixed, and every archive lists its files in name order, owned by
# root.
# Installs what it needs, as the table names it (apt-get, as root or through
# sudo). The version is the one that CMake gives the project. The settings, in
# the environment: MEROVAK_MAINTAINER="Name <address>", the packager the
# packages name, and MEROVAK_HOMEPAGE, a home page; MEROVAK_AUTHENTICODE_CERT
# and MEROVAK_AUTHENTICODE_KEY, a code-signing certificate (chain) and its
# private key in PEM files, which sign the Windows programs; MEROVAK_DOWNLOAD_URL,
# the folder that the release's files are downloaded from, for the manifests
# of winget (dist/winget) and Scoop (dist/merovak.json); MEROVAK_SIGNING_KEY,
# the fingerprint of an OpenPGP key of the maintainer's GnuPG keyring, which
# signs the RPMs, an APT repository (dist/apt) and a dnf repository (dist/rpm)
# of the packages, whose public key it exports (dist/merovak-archive-keyring.gpg
# and .asc), and SHA256SUMS and merovak-VERSION.tar.gz (detached, armoured
# .asc). Each that is not set is left out, and the release says so in one line.
# Signatures are of SOURCE_DATE_EPOCH's time, so an Ed25519 or RSA key signs
# alike every time: the key must be older than that.
# With --missing, it makes nothing and names the packages it would install.
# Usage: release.sh [--missing]
set -euo pipefail
cd "$(dirname "$0")/.."
# The source archive and the time stamps are the commit's: before anything is
# installed, this must be the top of a git checkout.
if [ ! -e .git ] || { command -v git >/dev/null && [ -n "$(git rev-parse --show-cdup 2>&1)" ]; }; then
    echo "release.sh makes a release of a git checkout; $PWD is not the top of one" >&2
    exit 1
fi
# The table is read with Python: a machine without it is told so with --missing.
if [ "${1:-}" = --missing ] && [ ! -x /usr/bin/python3 ]; then
    echo python3
    exit 0
fi
bash scripts/install-packages.sh python3
builds=$(scripts/release-data presets shipping)
mapfile -t builds <<<"$builds"
packages=$(scripts/release-data presets debian build,release "${builds[@]}")
mapfile -t packages <<<"$packages"
if [ "${1:-}" = --missing ]; then
    exec bash scripts/install-packages.sh --missing "${packages[@]}"
fi
bash scripts/install-packages.sh "${packages[@]}"

export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export TZ=UTC LC_ALL=C.UTF-8 CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
unset LANG LANGUAGE
umask 022

settings=()
for name in MEROVAK_MAINTAINER MEROVAK_HOMEPAGE MEROVAK_AUTHENTICODE_CERT MEROVAK_AUTHENTICODE_KEY; do
    value=${!name:-}
    [[ $name != *_AUTHENTICODE_* || -z $value ]] || value=$(realpath "$value")
    [ -z "$value" ] || settings+=("-D$name=$value")
done
if [ -z "${MEROVAK_AUTHENTICODE_CERT:-}" ] || [ -z "${MEROVAK_AUTHENTICODE_KEY:-}" ]; then
    [ -z "${MEROVAK_AUTHENTICODE_CERT:-}${MEROVAK_AUTHENTICODE_KEY:-}" ] ||
        { echo "release.sh: MEROVAK_AUTHENTICODE_CERT and MEROVAK_AUTHENTICODE_KEY go together" >&2 && exit 1; }
    echo "Windows programs not signed: MEROVAK_AUTHENTICODE_CERT and MEROVAK_AUTHENTICODE_KEY name no certificate"
fi
key=${MEROVAK_SIGNING_KEY:-}
if [ -n "$key" ]; then
    made=$(gpg --with-colons --list-keys "$key" | awk -F: '$1 == "pub" || $1 == "sub" { print $6 }' | sort -n |
        tail -n 1) || { echo "release.sh: MEROVAK_SIGNING_KEY: no key $key in the GnuPG keyring" >&2 && exit 1; }
    if [ "$made" -gt "$SOURCE_DATE_EPOCH" ]; then
        echo "release.sh: $key is younger than the release's time, $(date -u -d "@$SOURCE_DATE_EPOCH"): its signatures cannot be of that time" >&2
        exit 1
    fi
fi
# sign OPTION OUTPUT FILE: an armoured OpenPGP signature by the key, of the
# release's time (of which gpg warns every time).
sign() {
    { gpg --batch --yes --faked-system-time "$SOURCE_DATE_EPOCH!" --local-user "$key" --armor "$1" \
        --output "$2" "$3" 2>&1 >&3 | { grep -v 'faked system time' >&2 || true; }; } 3>&1
}
dist=$PWD/dist
folder=$PWD/build/dist
rm -rf "$dist" "$folder"
mkdir -p "$dist" "$folder"
# The version, as CMake configures the project.
cmake -S . -B "$folder/version" -DBUILD_TESTING=OFF >"$folder/version.log" ||
    { cat "$folder/version.log" >&2 && exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$folder/version/CMakeCache.txt")
[ -n "$version" ] || { echo "release.sh: CMake gives the project no version" >&2 && exit 1; }

# Every artifact is built from the source archive, unpacked in a folder of its
# own: the archive is proven to build, and the programs hold what it holds.
# What is not committed is not in the release, and is named.
git archive --format=tar.gz --prefix="merovak-$version/" -o "$dist/merovak-$version.tar.gz" HEAD
changes=$(git status --porcelain | cut -c4- | paste -sd ' ')
if [ -n "$changes" ]; then
    echo "release.sh: not in the release, which is commit $(git rev-parse --short HEAD) as its source archive holds it: $changes" >&2
fi
mkdir -p "$folder/source"
tar -xzf "$dist/merovak-$version.tar.gz" -C "$folder/source"
cd "$folder/source/merovak-$version"

# Each build that packages, in a folder of its own, from scratch, and its
# packages with their bills of materials. A program whose notices lack their
# licence texts is not shipped.
for preset in "${builds[@]}"; do
    cmake --preset "$preset" "${settings[@]}" >/dev/null
    cmake --build --preset "$preset-package" >/dev/null
    if grep -qs 'could not be gathered' "build/$preset/THIRD-PARTY-NOTICES"; then
        echo "release.sh: build/$preset/THIRD-PARTY-NOTICES lacks the licences of the code linked in" >&2
        exit 1
    fi
    cp "build/$preset"/packages/* "$dist"
done

# The manifests of winget and Scoop, for the zips as they are downloaded.
if [ -n "${MEROVAK_DOWNLOAD_URL:-}" ]; then
    scripts/release-data manifests "$MEROVAK_DOWNLOAD_URL" "$dist" "$version"
else
    echo "No manifests for winget and Scoop: MEROVAK_DOWNLOAD_URL names no download folder"
fi

# The repositories, signed: APT's (suite stable, component main), of the
# Debian packages, made by apt-ftparchive, and dnf's, of the RPMs, made by
# createrepo_c; and the key that checks them.
if [ -n "$key" ]; then
    apt=$dist/apt
    mkdir -p "$apt/pool/main/m/merovak" "$dist/rpm"
    cp "$dist"/*.deb "$apt/pool/main/m/merovak"
    cp "$dist"/*.rpm "$dist/rpm"
    architectures=$(for deb in "$dist"/*.deb; do dpkg-deb -f "$deb" Architecture; done | sort -u | paste -sd ' ')
    for architecture in $architectures; do
        index=$apt/dists/stable/main/binary-$architecture/Packages
        mkdir -p "${index%/*}"
        (cd "$apt" && apt-ftparchive --arch "$architecture" packages pool) >"$index"
        gzip -9nk "$index" && xz -T1 -k "$index"
    done
    fields=(Origin=Merovak Label=Merovak Suite=stable Codename=stable Components=main
        "Architectures=$architectures" "Date=$(date -u -R -d "@$SOURCE_DATE_EPOCH")")
    apt-ftparchive "${fields[@]/#/-oAPT::FTPArchive::Release::}" release "$apt/dists/stable" >"$dist/Release"
    mv "$dist/Release" "$apt/dists/stable/Release"
    sign --clearsign "$apt/dists/stable/InRelease" "$apt/dists/stable/Release"
    sign --detach-sign "$apt/dists/stable/Release.gpg" "$apt/dists/stable/Release"
    find "$dist/rpm" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
    createrepo_c --no-database --revision "$SOURCE_DATE_EPOCH" --set-timestamp-to-revision "$dist/rpm" >/dev/null
    sign --detach-sign "$dist/rpm/repodata/repomd.xml.asc" "$dist/rpm/repodata/repomd.xml"
    gpg --export "$key" >"$dist/merovak-archive-keyring.gpg"
    gpg --armor --export "$key" >"$dist/merovak-archive-keyring.asc"
else
    echo "No apt or dnf repository: MEROVAK_SIGNING_KEY names no key"
fi

cd "$dist"
find . -type f -printf '%P\n' | LC_ALL=C sort | xargs -d '\n' sha256sum -- >"$folder/SHA256SUMS"
mv "$folder/SHA256SUMS" .
cat SHA256SUMS

# Signatures come last, over files that are final.
if [ -n "$key" ]; then
    for file in SHA256SUMS "merovak-$version.tar.gz"; do
        sign --detach-sign "$file.asc" "$file"
    done
    echo "Signed SHA256SUMS and merovak-$version.tar.gz with $MEROVAK_SIGNING_KEY"
else
    echo "Not signed: MEROVAK_SIGNING_KEY names no key"
fi
