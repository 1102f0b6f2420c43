#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes a release of the checked-out commit in dist/: the source archive, the
# Debian packages and RPMs for x86-64 and arm64, the Windows zips (x86, x64),
# and SHA256SUMS over them. The same commit gives the same bytes wherever and
# whenever it is built: time stamps come from SOURCE_DATE_EPOCH (the commit's
# time unless it is set), and umask, time zone and locale are fixed.
# Installs what it needs (apt-get, as root or through sudo). A packager names
# themselves with MEROVAK_MAINTAINER="Name <address>", and a home page with
# MEROVAK_HOMEPAGE, in the environment.
# Usage: release.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-packages.sh git g++ cmake make dpkg-dev file rpm g++-aarch64-linux-gnu \
    libc6:arm64 g++-mingw-w64-i686 g++-mingw-w64-x86-64

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

git archive --format=tar.gz --prefix="merovak-$version/" -o "$dist/merovak-$version.tar.gz" HEAD
# Each build in a folder of its own, from scratch; its packages go to dist/.
for preset in release linux-arm64 windows-x86 windows-x64; do
    cmake --preset "$preset" -B "$builds/$preset" "${settings[@]}" >/dev/null
    cmake --build "$builds/$preset" -j"$(nproc)" >/dev/null
    cpack --config "$builds/$preset/CPackConfig.cmake" -B "$builds/$preset/packages" >/dev/null
    find "$builds/$preset/packages" -maxdepth 1 -type f -exec mv -t "$dist" {} +
done

cd "$dist"
sha256sum -- * >SHA256SUMS
cat SHA256SUMS
