#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Makes a release of the checked-out commit in dist/, the files that
# docs/release.md lists, every program built from the source archive; the
# same commit (and keys) give the same bytes wherever, whenever and by whomever
# it is built. The settings, in the environment, are in docs/release.md; each
# that is not set is left out, and said so in one line. Installs what it needs
# (apt-get, as root or through sudo); with --missing, it names those packages.
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
[ "${1:-}" != --missing ] || exec bash scripts/install-packages.sh --missing "${packages[@]}"
bash scripts/install-packages.sh "${packages[@]}"

export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export TZ=UTC LC_ALL=C.UTF-8 CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
unset LANG LANGUAGE
umask 022

scripts=$PWD/scripts dist=$PWD/dist folder=$PWD/build/dist
site=${MEROVAK_SITE_URL:-}
site=${site%/}
[ -z "$site" ] || export MEROVAK_SITE_URL=$site MEROVAK_HOMEPAGE=${MEROVAK_HOMEPAGE:-$site/}
settings=() given=()
for name in MEROVAK_MAINTAINER MEROVAK_HOMEPAGE MEROVAK_SITE_URL MEROVAK_AUTHENTICODE_CERT \
    MEROVAK_AUTHENTICODE_KEY; do
    value=${!name:-}
    [[ $name != *_AUTHENTICODE_* || -z $value ]] || value=$(realpath "$value")
    [ -z "$value" ] || settings+=("-D$name=$value") given+=("$name")
done
if [ -z "${MEROVAK_AUTHENTICODE_CERT:-}" ] || [ -z "${MEROVAK_AUTHENTICODE_KEY:-}" ]; then
    [ -z "${MEROVAK_AUTHENTICODE_CERT:-}${MEROVAK_AUTHENTICODE_KEY:-}" ] ||
        { echo "release.sh: MEROVAK_AUTHENTICODE_CERT and MEROVAK_AUTHENTICODE_KEY go together" >&2 && exit 1; }
    echo "Windows programs not signed: MEROVAK_AUTHENTICODE_CERT and MEROVAK_AUTHENTICODE_KEY name no certificate"
fi
# The keys that the release trusts, by their fingerprints: the key that signs
# it, and the next and the previous one where they are given. Each signs at
# SOURCE_DATE_EPOCH's time (the next one, the repositories), so it must be older.
key=${MEROVAK_SIGNING_KEY:-} trusted=()
for name in MEROVAK_SIGNING_KEY MEROVAK_NEXT_SIGNING_KEY MEROVAK_PREVIOUS_SIGNING_KEY; do
    [ -n "${!name:-}" ] || continue
    [ -n "$key" ] || { echo "release.sh: $name names a key, but MEROVAK_SIGNING_KEY none" >&2 && exit 1; }
    listed=$(gpg --with-colons --list-keys "${!name}") ||
        { echo "release.sh: $name: no key ${!name} in the GnuPG keyring" >&2 && exit 1; }
    made=$(awk -F: '$1 == "pub" || $1 == "sub" { print $6 }' <<<"$listed" | sort -n | tail -n 1)
    [ "$made" -le "$SOURCE_DATE_EPOCH" ] || { echo "release.sh: ${!name} is younger than the release's time," \
        "$(date -u -d "@$SOURCE_DATE_EPOCH"): sign with a key made before the commit (docs/release.md" \
        "makes one for a trial), or release a commit made after the key" >&2 && exit 1; }
    trusted+=("$(awk -F: '$1 == "fpr" { print $10; exit }' <<<"$listed")")
done
[ -z "$key" ] || settings+=("-DMEROVAK_FINGERPRINT=${trusted[0]}") given+=(MEROVAK_SIGNING_KEY)
rm -rf "$dist" "$folder" && mkdir -p "$dist" "$folder/source"
# logged NAME COMMAND...: COMMAND, its output in NAME.log; where it fails, its last lines.
logged() {
    "${@:2}" >"$folder/$1.log" 2>&1 ||
        { tail -n 25 "$folder/$1.log" >&2 && echo "release.sh: ${*:2} failed; all it said: $folder/$1.log" >&2 &&
            exit 1; }
}
logged version cmake -S . -B "$folder/version" -DBUILD_TESTING=OFF
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$folder/version/CMakeCache.txt")
[ -n "$version" ] || { echo "release.sh: CMake gives the project no version" >&2 && exit 1; }

# Every artifact is built from the source archive, unpacked in a folder of its
# own: the archive is proven to build, and the programs hold what it holds.
# What is not committed is not in the release, and is named. Before anything
# is built, the commit's changelog must say what the version holds.
git archive --format=tar.gz --prefix="merovak-$version/" -o "$dist/merovak-$version.tar.gz" HEAD
changes=$(git status --porcelain | cut -c4- | paste -sd ' ')
[ -z "$changes" ] || echo "release.sh: not in the release, which is commit $(git rev-parse --short HEAD)" \
    "as its source archive holds it: $changes" >&2
tar -xzf "$dist/merovak-$version.tar.gz" -C "$folder/source"
cd "$folder/source/merovak-$version"
"$scripts/release-data" changelog release CHANGELOG.md "$version"

# Each build that packages, in a folder of its own, from scratch, and its
# packages with their bills of materials; not a program whose notices lack
# their licence texts.
for preset in "${builds[@]}"; do
    logged "$preset-configure" cmake --preset "$preset" "${settings[@]}"
    logged "$preset-build" cmake --build --preset "$preset-package"
    ! grep -qs 'could not be gathered' "build/$preset/THIRD-PARTY-NOTICES" ||
        { echo "release.sh: build/$preset/THIRD-PARTY-NOTICES lacks the licences of the code linked in" >&2 &&
            exit 1; }
    cp "build/$preset"/packages/* "$dist"
done

# The manifests of winget and Scoop, for the zips as the site will hold them.
if [ -n "$site" ]; then
    scripts/release-data manifests "$site/$version/" "$dist" "$version"
else
    echo "No manifests for winget and Scoop: MEROVAK_SITE_URL names no download site"
fi

# The keys that the release trusts, for apt (.gpg) and for rpm and gpg (.asc),
# in the order of their fingerprints; for a site, also in a package of their
# own, with the repositories' source, made from a build of Debian packages.
if [ -n "$key" ]; then
    mapfile -t trusted < <(printf '%s\n' "${trusted[@]}" | LC_ALL=C sort -u)
    for fingerprint in "${trusted[@]}"; do
        gpg --export "$fingerprint" >>"$dist/merovak-archive-keyring.gpg"
        gpg --armor --export "$fingerprint" >>"$dist/merovak-archive-keyring.asc"
    done
fi
if [ -n "$key" ] && [ -n "$site" ]; then
    packager=$(dirname "$(find build -path '*/debian/control' -print -quit)")/..
    maintainer=$(sed -n 's/^MEROVAK_MAINTAINER:STRING=//p' "$packager/CMakeCache.txt")
    for made in "merovak-archive-keyring_${version}_all.deb all" "merovak-archive-keyring-$version-1.noarch.rpm noarch"; do
        MEROVAK_KEYRING=$dist/merovak-archive-keyring.gpg bash "$scripts/package.sh" "$packager" "$folder/keys" \
            "$dist/${made% *}" "${made#* }" "$version" "$maintainer"
    done
fi

cd "$dist"
find . -type f -printf '%P\n' | LC_ALL=C sort | xargs -d '\n' sha256sum -- >"$folder/SHA256SUMS"
mv "$folder/SHA256SUMS" . && cat SHA256SUMS
# Signatures come last, over files that are final.
if [ -n "$key" ]; then
    for file in SHA256SUMS "merovak-$version.tar.gz"; do
        bash "$scripts/sign.sh" --detach-sign "$file.asc" "$file"
    done
    echo "Signed SHA256SUMS and merovak-$version.tar.gz with $MEROVAK_SIGNING_KEY"
else
    echo "Not signed: MEROVAK_SIGNING_KEY names no key"
fi
# The release holds the files that the releasing guide lists, and no others.
"$scripts/release-data" check-release "$dist" "$folder/source/merovak-$version/docs/release.md" "$version" \
    "${given[@]}" >&2 || { echo "release.sh: dist/ is not the release that docs/release.md lists" >&2 && exit 1; }
