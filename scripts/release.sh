#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Makes a release of the checked-out commit in dist/: the source archive, the
# Debian packages and RPMs for x86-64 and arm64, the static programs for any
# Linux on x86-64, arm64 and 32-bit ARM, the Windows zips (x86, x64), each of
# these with a CycloneDX bill of materials beside it, and SHA256SUMS over them
# all. Every program is built from the source archive; uncommitted changes are
# named, and left out. The same commit gives the same bytes wherever, whenever
# and by whomever it is built: time stamps come from SOURCE_DATE_EPOCH (the
# commit's time unless it is set), umask, time zone and locale are fixed, and
# every archive lists its files in name order, owned by root.
# Installs what it needs (apt-get, as root or through sudo). A packager names
# themselves with MEROVAK_MAINTAINER="Name <address>", and a home page with
# MEROVAK_HOMEPAGE, in the environment; a maintainer who names an OpenPGP key
# of their GnuPG keyring in MEROVAK_SIGNING_KEY (its fingerprint) gets
# SHA256SUMS.asc and merovak-VERSION.tar.gz.asc, detached armoured signatures.
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
packages=(git gnupg g++ cmake make dpkg-dev file rpm zip g++-aarch64-linux-gnu libc6:arm64 musl-dev
    musl-dev:arm64 g++-arm-linux-gnueabi musl-dev:armel g++-mingw-w64-i686 g++-mingw-w64-x86-64)
if [ "${1:-}" = --missing ]; then
    exec bash scripts/install-packages.sh --missing "${packages[@]}"
fi
bash scripts/install-packages.sh "${packages[@]}"

export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export TZ=UTC LC_ALL=C.UTF-8
unset LANG LANGUAGE
umask 022

settings=()
for name in MEROVAK_MAINTAINER MEROVAK_HOMEPAGE; do
    [ -z "${!name:-}" ] || settings+=("-D$name=${!name}")
done
version=$(sed -n 's/^project(Merovak VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt)
dist=$PWD/dist
builds=$PWD/build/dist
rm -rf "$dist" "$builds"
mkdir -p "$dist"

# archive FOLDER FILE: the files below FOLDER in a zip, or FOLDER itself in a
# .tar.gz, with their modes, owned by root and all of the same time.
archive() {
    find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
    case $2 in
    *.zip) (cd "$1" && find . -type f -printf '%P\n' | sort | zip -q -X -@ "$2") ;;
    *.tar.gz)
        tar -C "$(dirname "$1")" --sort=name --owner=0 --group=0 --numeric-owner --format=gnu \
            -cf - "$(basename "$1")" | gzip -9n >"$2"
        ;;
    esac
}

# CPack counts the size of each folder as the file system reports it into a
# Debian package's Installed-Size; count as dpkg-gencontrol does instead: each
# file's KiB, rounded up, and one for every other entry.
installedSize() {
    local tree=$builds/deb-tree size
    rm -rf "$tree" && dpkg-deb -R "$1" "$tree"
    size=$(find "$tree" -path "$tree/DEBIAN" -prune -o -printf '%y %s\n' |
        awk '{ total += $1 == "f" || $1 == "l" ? int(($2 + 1023) / 1024) : 1 } END { print total }')
    sed -i "s/^Installed-Size: .*/Installed-Size: $size/" "$tree/DEBIAN/control"
    dpkg-deb --root-owner-group -Zgzip -b "$tree" "$1" >/dev/null
}

# Every artifact is built from the source archive, unpacked in a folder of its
# own: the archive is proven to build, and the programs hold what it holds.
# What is not committed is not in the release, and is named.
git archive --format=tar.gz --prefix="merovak-$version/" -o "$dist/merovak-$version.tar.gz" HEAD
changes=$(git status --porcelain | cut -c4- | paste -sd ' ')
if [ -n "$changes" ]; then
    echo "release.sh: not in the release, which is commit $(git rev-parse --short HEAD) as its source archive holds it: $changes" >&2
fi
mkdir -p "$builds/source"
tar -xzf "$dist/merovak-$version.tar.gz" -C "$builds/source"
cd "$builds/source/merovak-$version"

# sbom FILE: the bill of materials beside the artifact FILE that $build made.
sbom() {
    cmake -DBUILD="$build" -DARTIFACT="$1" -P cmake/sbom.cmake
}

# Each build in a folder of its own, from scratch. The Linux distributions'
# packages come from CPack; the zips and the static programs' archives hold
# what cmake --install puts in place, under the name CPack would give them.
# Each has its bill of materials beside it.
for preset in release linux-arm64 linux-x86_64-static linux-arm64-static linux-arm-static windows-x86 \
    windows-x64; do
    build=$builds/$preset
    cmake --preset "$preset" -B "$build" "${settings[@]}" >/dev/null
    cmake --build "$build" -j"$(nproc)" >/dev/null
    case $preset in
    release | linux-arm64)
        cpack --config "$build/CPackConfig.cmake" -B "$build/packages" >/dev/null
        for deb in "$build"/packages/*.deb; do installedSize "$deb"; done
        for package in "$build"/packages/*.deb "$build"/packages/*.rpm; do
            mv "$package" "$dist" && sbom "$dist/${package##*/}"
        done
        ;;
    *)
        # A program whose notices lack their licence texts is not shipped.
        if grep -q 'could not be gathered' "$build/THIRD-PARTY-NOTICES"; then
            echo "release.sh: $build/THIRD-PARTY-NOTICES lacks the licences of the code linked in" >&2
            exit 1
        fi
        name=$(sed -n 's/^set(CPACK_PACKAGE_FILE_NAME "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
        if [[ $preset == windows-* ]]; then
            cmake --install "$build" --prefix "$build/stage" >/dev/null
            archive "$build/stage" "$dist/$name.zip" && sbom "$dist/$name.zip"
        else
            cmake --install "$build" --prefix "$build/stage/$name" --strip >/dev/null
            archive "$build/stage/$name" "$dist/$name.tar.gz" && sbom "$dist/$name.tar.gz"
        fi
        ;;
    esac
done

cd "$dist"
sha256sum -- * >SHA256SUMS
cat SHA256SUMS

# Signatures come last, over files that are final. A signature holds the time
# it was made: it is the one file that two releases of a commit do not share.
if [ -n "${MEROVAK_SIGNING_KEY:-}" ]; then
    for file in SHA256SUMS "merovak-$version.tar.gz"; do
        gpg --batch --yes --local-user "$MEROVAK_SIGNING_KEY" --armor --detach-sign \
            --output "$file.asc" "$file"
    done
    echo "Signed SHA256SUMS and merovak-$version.tar.gz with $MEROVAK_SIGNING_KEY"
else
    echo "Not signed: MEROVAK_SIGNING_KEY names no key"
fi
