#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# A static program reads every TZ value as this machine's C library does: it
# reports the minute that date, run at the same moment with other variables
# that start like TZ before TZ in the environment, gives; when a minute turns
# between them, both run again.
# With "machine": every zone name in the machine's zone data (each file outside
# posix/ and right/; for a program that an emulator runs, the names that are
# also rules), rules with and without switch dates and with odd offsets, the
# ':' and path forms, an empty TZ and none.
# With "own": in a root whose zone data is the test's own, the names that are
# also rules, plain and after a ':', each with a file of that name (another
# zone's data, so that reading the file shows) and without one (as on a system
# without Debian's tzdata-legacy; a folder of that name stands there instead).
# Needs root, or user namespaces.
# Usage: time_zones.sh machine|own PROGRAM [EMULATOR...]
set -u
mode=$1
program=("${@:3}" "$2")
zones=/usr/share/zoneinfo
rulesToo=(EST5EDT GB-Eire NZ-CHAT W-SU CET-1CEST)

# shellcheck source=harness.sh
. "$(dirname "$0")/harness.sh"
needsFile "$2" "its build"
[ $# -eq 2 ] || needs "$3" qemu-user
needsFile "$zones/Asia/Kathmandu" "Debian package tzdata"
lacking
date=$(command -v date)

# The own zone data is in a root of the test's own, which holds the program (and
# qemu-user) and date, and the libraries they load; chroot takes root, or a user
# namespace. A program is named by its absolute path, which it keeps there.
inRoot=()
if [ "$mode" = own ]; then
    root=$work/root
    resolved=()
    for word in "$date" "${program[@]}"; do # the files, by their paths, with their libraries
        if path=$(command -v -- "$word") && [ -f "$path" ] && word=$(realpath "$path"); then
            libraries=$(ldd "$word" 2>&1) || [[ $libraries == *'not a dynamic executable'* ]] ||
                { echo "FAIL ldd $word: $libraries" && exit 1; }
            mapfile -t libraries < <(grep -o '/[^ ]*' <<<"$libraries")
            mkdir -p "$root" && cp --parents -L "$word" "${libraries[@]}" "$root" || exit 1
        fi
        resolved+=("$word")
    done
    date=${resolved[0]} program=("${resolved[@]:1}")
    inRoot=("$(command -v chroot)" "$root")
    [ "$(id -u)" -eq 0 ] || inRoot=("$(command -v unshare)" --user --map-root-user "${inRoot[@]}")
    if ! answer=$("${inRoot[@]}" "$date" 2>&1 >/dev/null); then
        echo "SKIPPED: no root of the test's own can be made here (as root, or with user namespaces): $answer"
        exit 77
    fi
fi

# same TZ|- PROGRAM...: PROGRAM reports the minute that date gives in the zone
# TZ (or with TZ unset, for -).
same() {
    local settings=(env -i TZX=x AZ=x TA=x TZ="$1") ours theirs
    [ "$1" != - ] || settings=(env -i TZX=x AZ=x TA=x)
    for _ in 1 2; do
        theirs=$(expired "$("${settings[@]}" "${inRoot[@]}" "$date" +%H:%M)" 00:00)$'\r'
        ours=$("${settings[@]}" "${inRoot[@]}" "${@:2}" 0000 2>&1)
        [ "$ours" != "$theirs" ] || { report "$1" ok; return; }
    done
    report "TZ='$1'${where:-} for ${*:2}" fail "'$ours', where date says '$theirs'"
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
elif [ ${#program[@]} -gt 1 ]; then
    for zone in "${rulesToo[@]}" EST5EDT4; do
        same "$zone" "${program[@]}"
    done
else
    names=$(find "$zones" \( -path "$zones/posix" -o -path "$zones/right" \) -prune -o \
        \( -type f -o -type l \) -printf '%P\n' | sort) && [ -n "$names" ] || exit 1
    while read -r tz; do
        same "$tz" "${program[@]}"
    done < <(printf '%s\n' "$names" CET-1CEST EST5EDT4 'AAA-5:45BBB' 'NST3:30NDT' \
        'CET-1CEST,M3.5.0,M10.5.0/3' 'NZST-12NZDT,M9.5.0,M4.1.0/3' '<+0545>-5:45' 'IST-5:30' 'XXX+13:45' \
        '<-03>3<-02>,M3.5.0/-2,M10.5.0/-1' :EST5EDT :GB-Eire "$zones/NZ-CHAT" '' -)
fi
finish
