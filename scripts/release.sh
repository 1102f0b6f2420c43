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
# packages name; MEROVAK_SITE_URL, the address of the download site that
# scripts/publish.sh keeps, where this version's files will be at
# MEROVAK_SITE_URL/VERSION/, for the manifests of winget (dist/winget) and
# Scoop (dist/merovak.json) and the guides that the archives and zips hold;
# MEROVAK_HOMEPAGE, the home page that the packages name (the site's, by
# default); MEROVAK_AUTHENTICODE_CERT and MEROVAK_AUTHENTICODE_KEY, a
# code-signing certificate (chain) and its private key in PEM files, which sign
# the Windows programs and installer packages; MEROVAK_SIGNING_KEY, the
# fingerprint of an OpenPGP key of the maintainer's GnuPG keyring, which signs
# the RPMs, and SHA256SUMS and merovak-VERSION.tar.gz (detached, armoured
# .asc), and whose public key it exports (dist/merovak-archive-keyring.gpg and
# .asc). Each that is not set is left out, and the release says so in one
# line. Signatures are of SOURCE_DATE_EPOCH's time, so an Ed25519 or RSA key
# signs alike every time: the key must be older than that. A version without an
# entry in CHANGELOG.md is not released.
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

scripts=$PWD/scripts
site=${MEROVAK_SITE_URL:-}
site=${site%/}
[ -z "$site" ] || export MEROVAK_SITE_URL=$site MEROVAK_HOMEPAGE=${MEROVAK_HOMEPAGE:-$site/}
settings=()
for name in MEROVAK_MAINTAINER MEROVAK_HOMEPAGE MEROVAK_SITE_URL MEROVAK_AUTHENTICODE_CERT \
    MEROVAK_AUTHENTICODE_KEY; do
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
        echo "release.sh: $key is younger than the release's time, $(date -u -d "@$SOURCE_DATE_EPOCH")," \
            "so its signatures cannot be of that time: sign with a key made before the commit (for a" \
            "trial, docs/release.md shows how to make one), or release a commit made after the key" >&2
        exit 1
    fi
    fingerprint=$(gpg --with-colons --list-keys "$key")
    fingerprint=$(awk -F: '$1 == "fpr" { print $10; exit }' <<<"$fingerprint")
    settings+=("-DMEROVAK_FINGERPRINT=$fingerprint")
fi
dist=$PWD/dist
folder=$PWD/build/dist
rm -rf "$dist" "$folder"
mkdir -p "$dist" "$folder"
# The version, as CMake configures the project.
cmake -S . -B "$folder/version" -DBUILD_TESTING=OFF >"$folder/version.log" ||
    { cat "$folder/version.log" >&2 && exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$folder/version/CMakeCache.txt")
[ -n "$version" ] || { echo "release.sh: CMake gives the project no version" >&2 && exit 1; }
scripts/release-data changelog entry CHANGELOG.md "$version"

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

# The manifests of winget and Scoop, for the zips as the site will hold them.
if [ -n "$site" ]; then
    scripts/release-data manifests "$site/$version/" "$dist" "$version"
else
    echo "No manifests for winget and Scoop: MEROVAK_SITE_URL names no download site"
fi

# The key that checks the signatures, for apt (.gpg) and for rpm and gpg (.asc).
if [ -n "$key" ]; then
    gpg --export "$key" >"$dist/merovak-archive-keyring.gpg"
    gpg --armor --export "$key" >"$dist/merovak-archive-keyring.asc"
fi

cd "$dist"
find . -type f -printf '%P\n' | LC_ALL=C sort | xargs -d '\n' sha256sum -- >"$folder/SHA256SUMS"
mv "$folder/SHA256SUMS" .
cat SHA256SUMS

# Signatures come last, over files that are final.
if [ -n "$key" ]; then
    for file in SHA256SUMS "merovak-$version.tar.gz"; do
        bash "$scripts/sign.sh" --detach-sign "$file.asc" "$file"
    done
    echo "Signed SHA256SUMS and merovak-$version.tar.gz with $MEROVAK_SIGNING_KEY"
else
    echo "Not signed: MEROVAK_SIGNING_KEY names no key"
fi
