#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Runs a Windows program under Wine from a real cmd.exe batch file, as a user
# on Windows calls it: each run redirected to a file, %ERRORLEVEL% recorded, and
# IF ERRORLEVEL acting on the status. Compares the files byte for byte.
# Under 64-bit Wine, the clock ticks from 09:30:00 local time, set by
# libfaketime (a frozen clock stalls Wine). libfaketime does not reach 32-bit
# Wine, so there the clock is the real one, and a verdict is checked against
# the minutes read before and after the run. Skipped where Wine is lacking, and
# on a kernel that runs no program of Wine's loader, with its own answer as the
# reason. The batch files of the guide for Windows run too, read from the page.
# Usage: wine_batch.sh path/to/Merovak.exe WINE_PREFIX_FOLDER SOURCE_DIR WINE_LOADER
set -u
exe=$1 source=$3 wine=$4
WINEPREFIX=$(realpath -m "$2")
export WINEPREFIX WINEDEBUG=-all TZ=Europe/Amsterdam
wineserver=/usr/lib/wine/wineserver
# shellcheck source=harness.sh
. "$(dirname "$0")/harness.sh"
needsFile "$exe" "its build"
if [ "$(file -b "$exe" 2>/dev/null | cut -d' ' -f1)" = PE32 ]; then
    export WINEARCH=win32
    needsFile "$wine" "Debian package wine32:i386"
else
    needsFile "$wine" "Debian package wine64"
    libfaketime fakeLibrary
fi
needsFile "$wineserver" "Debian package wine"
needs file file
lacking
wineRuns "$wine"
onExit '"$wineserver" -k 2>/dev/null'

# Each case: the batch line's arguments, then either the expected output
# (without its last line end) and status, or "verdict" and the check time, for
# a report line whose current time and status depend on the clock.
cases=(
    ''                 "$usage"               0
    '0930'             verdict                09:30
    '0959'             verdict                09:59
    '0000'             verdict                00:00
    '"" 0930'          verdict                09:30
    '09"3"0'           verdict                09:30
    '0930 2400 extra'  verdict                09:30
    '09"30'            verdict                09:30
    '"09 30"'          "$usage"               0
    '093'              "$usage"               0
    '09:30'            "$usage"               0
    '2400'             "$(illegal 24:00)"     10
    '1260'             "$(illegal 12:60)"     10
    '-930'             "$(illegal 0-9:0-30)"  10
    '$abc'             "$(illegal 27:48)"     10
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
    printf 'CALL :branch 0000 branch-expired.txt\r\n'
    printf 'CALL :branch 093 branch-not-yet.txt\r\n'
    printf 'CALL :branch 2400 branch-illegal.txt\r\n'
    printf 'CALL guide.bat >guide.txt\r\nCALL check.bat\r\n'
    # The guide's batch files where there is no Merovak.exe: status 9009.
    printf 'cd missing\r\nCALL guide.bat >guide.txt 2>&1\r\n>status.txt echo %%ERRORLEVEL%%\r\n'
    printf 'CALL check.bat\r\n>check-status.txt echo %%ERRORLEVEL%%\r\ncd ..\r\n'
    printf 'GOTO :EOF\r\n'
    # ERRORLEVEL n means "at least n", so the highest status is tested first.
    printf ':branch\r\nMerovak.exe %%1 >NUL\r\n'
    printf 'IF ERRORLEVEL 10 GOTO illegal\r\nIF ERRORLEVEL 5 GOTO expired\r\n'
    printf '>%%2 echo not yet\r\nGOTO :EOF\r\n'
    printf ':illegal\r\n>%%2 echo illegal\r\nGOTO :EOF\r\n'
    printf ':expired\r\n>%%2 echo expired\r\nGOTO :EOF\r\n'
} >t.bat
# The guide's batch files as the page gives them, and a late job that leaves a mark.
guide=$(page "$source/docs/windows.md" batch) || exit 1
check=$(page "$source/docs/windows.md" task-batch) || exit 1
printf '%s\n' "$guide" | sed 's/$/\r/' >guide.bat
printf '%s\n' "$check" | sed 's/$/\r/' >check.bat
printf '@echo off\r\n>late-job.txt echo ran\r\n' >late-job.bat
mkdir missing && cp guide.bat check.bat late-job.bat missing/

# Prefixes are made on the real clock; the batch then starts a server of its own.
"$wine" wineboot -i >/dev/null 2>&1
"$wineserver" -w
if [ -z "${fakeLibrary:-}" ]; then
    before=$(date +%s)
    "$wine" cmd /c t.bat >/dev/null 2>&1
    after=$(date +%s)
else
    fakeClock '@2026-12-08 09:30:00' "$wine" cmd /c t.bat >/dev/null 2>&1
    before=$(date -d '2026-12-08 09:30:00' +%s) after=$((before + 9 * 60))
fi
# matches FILE STATUS_FILE EXPECTED STATUS: the output and status are the
# expected ones; for a verdict, at some minute of the run.
matches() {
    local status
    status=$(tr -d ' \r\n' <"$2" 2>/dev/null)
    if [ "$3" = verdict ]; then
        verdictMatches "$1" "$status" "$4" "$before" "$after"
    else
        printf '%s\r\n' "$3" | cmp -s - "$1" && [ "$status" = "$4" ]
    fi
}
for ((i = 0; i < ${#cases[@]}; i += 3)); do
    if matches "out$i.txt" "status$i.txt" "${cases[i + 1]}" "${cases[i + 2]}"; then
        report "Merovak.exe ${cases[i]}" ok
    else
        report "Merovak.exe ${cases[i]}" fail "ERRORLEVEL $(tr -d '\r\n' <"status$i.txt" 2>/dev/null), \
output: $(od -c "out$i.txt" 2>&1 | head -n 4)"
    fi
done
# The guide's batch files say, and do, what their logs say the time is.
passed() { grep -q 'returncode=5' "$1"; }
if passed log.txt; then said='Half past nine has passed'; else said='Not yet half past nine'; fi
expect "the guide's batch file says '$said'" grep -qx "$said"$'\r' guide.txt
if passed check.log; then
    expect 'check.bat called late-job.bat' test -s late-job.txt
else
    expect 'check.bat called no late-job.bat' test ! -e late-job.txt
fi
# Without the program, the batch files say so and fail; they take it for no answer.
expect 'without Merovak.exe, the guide says so' grep -q 'Merovak did not answer: status 9009' missing/guide.txt
expect "without Merovak.exe, the guide's batch file fails" grep -qx '1'$'\r' missing/status.txt
cp missing/guide.txt "$work/out"
hasNot 'without Merovak.exe, not "Not a time of day"' 'Not a time of day'
expect 'without Merovak.exe, check.bat logs the status' grep -q 'answered with status 9009' missing/check.log
expect 'without Merovak.exe, check.bat fails' grep -qx '1'$'\r' missing/check-status.txt
expect 'without Merovak.exe, check.bat calls no late-job.bat' test ! -e missing/late-job.txt
for branch in expired not-yet illegal; do
    taken=$(tr -d '\r\n' <"branch-$branch.txt" 2>/dev/null)
    if [ "$taken" = "${branch/-/ }" ]; then
        report "IF ERRORLEVEL, $branch" ok
    else
        report "IF ERRORLEVEL, $branch" fail "took the branch '$taken'"
    fi
done
finish
