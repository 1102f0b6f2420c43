#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# A static program reads every TZ value as the packaged one does. Both run at
# the same moment, with other variables that start like TZ before it in the
# environment, and must report the same line; when a minute turns between
# them, both run again.
# With "machine": every zone name in the machine's zone data (each file outside
# posix/ and right/; for the arm64 program, run under qemu-user, the names that
# are also rules), rules with and without switch dates and with odd offsets,
# the ':' and path forms, an empty TZ and none.
# With "own": in a root whose zone data is the test's own, the names that are
# also rules, plain and after a ':', each with a file of that name (another
# zone's data, so that reading the file shows) and without one (as on a system
# without Debian's tzdata-legacy; a folder of that name stands there instead).
# Needs root, or user namespaces.
# Usage: time_zones.sh machine|own PACKAGED STATIC x86_64|arm64
set -u
mode=$1 packaged=$2 static=$3 processor=$4
zones=/usr/share/zoneinfo
rulesToo=(EST5EDT GB-Eire NZ-CHAT W-SU CET-1CEST)

# shellcheck source=harness.sh
. "$(dirname "$0")/harness.sh"
program=("$static")
needsBuild "linux-$processor-static" "$static"
if [ "$processor" = arm64 ]; then
    needs qemu-aarch64 qemu-user
    program=("$(command -v qemu-aarch64)" "$static")
fi
needsFile "$zones/Asia/Kathmandu" "Debian package tzdata"
lacking

# The own zone data is in a root of the test's own, which holds both programs
# (and qemu-user) and the libraries they load; chroot takes root, or a user
# namespace. A program is named by its absolute path, which it keeps there.
inRoot=()
if [ "$mode" = own ]; then
    root=$work/root
    packaged=$(realpath "$packaged")
    mapfile -t program < <(realpath "${program[@]}")
    for file in "$packaged" "${program[@]}"; do
        mapfile -t libraries < <(ldd "$file" 2>/dev/null | grep -o '/[^ ]*')
        mkdir -p "$root" && cp --parents -L "$file" "${libraries[@]}" "$root"
    done
    inRoot=("$(command -v chroot)" "$root")
    [ "$(id -u)" -eq 0 ] || inRoot=("$(command -v unshare)" --user --map-root-user "${inRoot[@]}")
    if ! answer=$("${inRoot[@]}" "$packaged" 2>&1 >/dev/null); then
        echo "SKIPPED: no root of the test's own can be made here (as root, or with user namespaces): $answer"
        exit 77
    fi
fi

# same TZ|- PROGRAM...: PROGRAM reports what the packaged program does, in the
# zone TZ (or with TZ unset, for -).
same() {
    local settings=(env -i TZX=x AZ=x TA=x TZ="$1") ours theirs
    [ "$1" != - ] || settings=(env -i TZX=x AZ=x TA=x)
    for _ in 1 2; do
        theirs=$("${settings[@]}" "${inRoot[@]}" "$packaged" 0000)
        ours=$("${settings[@]}" "${inRoot[@]}" "${@:2}" 0000 2>&1)
        [ "$ours" != "$theirs" ] || { report "$1" ok; return; }
    done
    report "TZ='$1'${where:-} for ${*:2}" fail "'$ours', where the packaged program says '$theirs'"
}

if [ "$mode" = own ]; then
    mkdir -p "$root$zones"
    for data in with without; do
        where=" $data its file"
        for name in "${rulesToo[@]}"; do # without a file, a folder of that name at most
            [ $data = without ] || cp "$zones/Asia/Kathmandu" "$root$zones/$name"
            [ $data = with ] || mkdir "$root$zones/$name"
        done
        for name in "${rulesToo[@]}"; do
            same "$name" "${program[@]}"
            same ":$name" "${program[@]}"
        done
        rm -rf "${root:?}$zones"/*
    done
elif [ "$processor" = arm64 ]; then
    for zone in "${rulesToo[@]}" EST5EDT4; do
        same "$zone" "${program[@]}"
    done
else
    while read -r tz; do
        same "$tz" "${program[@]}"
    done < <(find "$zones" \( -path "$zones/posix" -o -path "$zones/right" \) -prune -o \
        \( -type f -o -type l \) -printf '%P\n' | sort
        printf '%s\n' CET-1CEST EST5EDT4 'AAA-5:45BBB' 'NST3:30NDT' 'CET-1CEST,M3.5.0,M10.5.0/3' \
            'NZST-12NZDT,M9.5.0,M4.1.0/3' '<+0545>-5:45' 'IST-5:30' 'XXX+13:45' \
            '<-03>3<-02>,M3.5.0/-2,M10.5.0/-1' :EST5EDT :GB-Eire "$zones/NZ-CHAT" '' -)
fi
finish
