#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the Windows program under Wine from a real cmd.exe batch file, as a user
# on Windows calls it: each run redirected to a file, %ERRORLEVEL% recorded, and
# IF ERRORLEVEL acting on the status. Compares the files byte for byte.
# The clock ticks from 09:30:00 local time (a frozen clock stalls Wine).
# Usage: wine_batch.sh path/to/Merovak.exe WINE_PREFIX_FOLDER
set -u
exe=$1
export WINEPREFIX=$(realpath -m "$2") WINEDEBUG=-all TZ=Europe/Amsterdam
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
. "$(dirname "$0")/harness.sh"
trap '"$wineserver" -k 2>/dev/null; rm -rf "$work"' EXIT

# Each case: the batch line's arguments, the expected output (without its last
# line end; CURRENT stands for the current time) and status.
cases=(
    ''                 "$usage"                  0
    '0930'             "$(expired CURRENT 09:30)"   5
    '0959'             "$(notExpired CURRENT 09:59)" 0
    '"" 0930'          "$(expired CURRENT 09:30)"   5
    '09"3"0'           "$(expired CURRENT 09:30)"   5
    '0930 2400 extra'  "$(expired CURRENT 09:30)"   5
    '"09 30"'          "$usage"                  0
    '093'              "$usage"                  0
    '2400'             "$(illegal 24:00)"         10
    '-930'             "$(illegal 0-9:0-30)"      10
    '$abc'             "$(illegal 27:48)"         10
    '09"30'            "$(expired CURRENT 09:30)"   5
)

cp "$exe" "$work/Merovak.exe"
cd "$work" || exit 1
{
    printf '@echo off\r\n'
    for ((i = 0; i < ${#cases[@]}; i += 3)); do
        # The redirect comes first: an unterminated quote would swallow it.
        printf '>out%d.txt Merovak.exe %s\r\n>status%d.txt echo %%ERRORLEVEL%%\r\n' \
            "$i" "${cases[i]}" "$i"
    done
    printf 'CALL :branch 0930 branch-expired.txt\r\n'
    printf 'CALL :branch 0959 branch-not-yet.txt\r\n'
    printf 'CALL :branch 2400 branch-illegal.txt\r\n'
    printf 'GOTO :EOF\r\n'
    # ERRORLEVEL n means "at least n", so the highest status is tested first.
    printf ':branch\r\nMerovak.exe %%1 >NUL\r\n'
    printf 'IF ERRORLEVEL 10 GOTO illegal\r\nIF ERRORLEVEL 5 GOTO expired\r\n'
    printf '>%%2 echo not yet\r\nGOTO :EOF\r\n'
    printf ':illegal\r\n>%%2 echo illegal\r\nGOTO :EOF\r\n'
    printf ':expired\r\n>%%2 echo expired\r\nGOTO :EOF\r\n'
} >t.bat

"$wine" wineboot -i >/dev/null 2>&1 # makes the prefix on the first run
"$wineserver" -w                     # the batch then starts a server on the set clock
faketime -f '@2026-12-08 09:30:00' "$wine" cmd /c t.bat >/dev/null 2>&1

# The clock ticks, so the current time is any minute from 09:30 to 09:39.
matchesSomeMinute() { # FILE EXPECTED
    local minute
    for minute in 30 31 32 33 34 35 36 37 38 39; do
        printf '%s\r\n' "${2//CURRENT/09:$minute}" | cmp -s - "$1" && return 0
    done
    return 1
}
for ((i = 0; i < ${#cases[@]}; i += 3)); do
    name="Merovak.exe ${cases[i]}"
    status=$(tr -d ' \r\n' <"status$i.txt" 2>/dev/null)
    if ! matchesSomeMinute "out$i.txt" "${cases[i + 1]}"; then
        report "$name" fail "output differs: $(od -c "out$i.txt" 2>&1 | head -n 4)"
    elif [ "$status" != "${cases[i + 2]}" ]; then
        report "$name" fail "ERRORLEVEL $status, expected ${cases[i + 2]}"
    else
        report "$name" ok
    fi
done
for branch in expired not-yet illegal; do
    taken=$(tr -d '\r\n' <"branch-$branch.txt" 2>/dev/null)
    if [ "$taken" = "${branch/-/ }" ]; then
        report "IF ERRORLEVEL, $branch" ok
    else
        report "IF ERRORLEVEL, $branch" fail "took the branch '$taken'"
    fi
done
finish
