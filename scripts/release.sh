#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Makes a release of the checked-out commit in dist/: the source archive, the
# packages of every build that the presets package (CMake lists each as a build
# preset NAME-package), each with a CycloneDX bill of materials beside it, and
# SHA256SUMS over them all. Every program is built from the source archive;
# uncommitted changes are named, and left out. The same commit gives the same
# bytes wherever, whenever and by whomever it is built: time stamps come from
# SOURCE_DATE_EPOCH (the commit's time unless it is set), umask, time zone and
# locale are fixed, and every archive lists its files in name order, owned by
# root.
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
packages=(git gnupg python3 g++ cmake make dpkg-dev file rpm zip g++-aarch64-linux-gnu libc6:arm64 musl-dev
    musl-dev:arm64 g++-arm-linux-gnueabi musl-dev:armel g++-mingw-w64-i686 g++-mingw-w64-x86-64)
if [ "${1:-}" = --missing ]; then
    exec bash scripts/install-packages.sh --missing "${packages[@]}"
fi
bash scripts/install-packages.sh "${packages[@]}"

export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export TZ=UTC LC_ALL=C.UTF-8 CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
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

# Each build that packages, in a folder of its own, from scratch, and its
# packages with their bills of materials. A program whose notices lack their
# licence texts is not shipped.
for preset in $(cmake --build --list-presets | sed -n 's/^  "\(.*\)-package"$/\1/p'); do
    cmake --preset "$preset" "${settings[@]}" >/dev/null
    cmake --build --preset "$preset-package" >/dev/null
    if grep -qs 'could not be gathered' "build/$preset/THIRD-PARTY-NOTICES"; then
        echo "release.sh: build/$preset/THIRD-PARTY-NOTICES lacks the licences of the code linked in" >&2
        exit 1
    fi
    cp "build/$preset"/packages/* "$dist"
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
