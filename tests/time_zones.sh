#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# The static program reads every TZ value as the packaged one does: every zone
# name in the machine's zone data (each file outside posix/ and right/), rules
# with and without switch dates and with odd offsets, the ':' and path forms,
# an empty TZ and none. Both programs run at the same moment and must report the
# same line; when a minute turns between them, both run again. The arm64 static
# program, under qemu-user, on a few names that are also rules.
# Usage: time_zones.sh PACKAGED STATIC [ARM64_STATIC]
set -u
packaged=$1 static=$2 arm64=${3:-}
zones=/usr/share/zoneinfo
# shellcheck source=harness.sh
. "$(dirname "$0")/harness.sh"

# same TZ|- PROGRAM...: PROGRAM reports what the packaged program does, in the
# zone TZ (or with TZ unset, for -).
same() {
    local settings=(env TZ="$1") ours theirs
    [ "$1" != - ] || settings=(env -u TZ)
    for _ in 1 2; do
        theirs=$("${settings[@]}" "$packaged" 0000) ours=$("${settings[@]}" "${@:2}" 0000 2>&1)
        [ "$ours" != "$theirs" ] || { report "$1" ok; return; }
    done
    report "TZ='$1' for ${*:2}" fail "'$ours', where the packaged program says '$theirs'"
}

while read -r tz; do
    same "$tz" "$static"
done < <(find "$zones" \( -path "$zones/posix" -o -path "$zones/right" \) -prune -o \
    \( -type f -o -type l \) -printf '%P\n' | sort
    printf '%s\n' CET-1CEST EST5EDT4 'AAA-5:45BBB' 'NST3:30NDT' 'CET-1CEST,M3.5.0,M10.5.0/3' \
        'NZST-12NZDT,M9.5.0,M4.1.0/3' '<+0545>-5:45' 'IST-5:30' 'XXX+13:45' \
        '<-03>3<-02>,M3.5.0/-2,M10.5.0/-1' :EST5EDT :GB-Eire "$zones/NZ-CHAT" '' -)
for zone in EST5EDT GB-Eire NZ-CHAT W-SU CET-1CEST EST5EDT4; do
    [ -z "$arm64" ] || same "$zone" qemu-aarch64 "$arm64"
done
finish
