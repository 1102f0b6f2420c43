#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Runs the built command as a user runs it, with the local clock set by
# libfaketime in a time zone other than UTC, and compares standard output byte
# for byte, standard error (always empty) and the exit status. EMULATOR, where
# the program is for another processor, runs it (qemu-user). libfaketime for
# the program's processor (TRIPLET) sets its clock; a static program takes no
# preloaded library, so the host's libfaketime, loaded into qemu-user, sets it
# instead: qemu gives its guest no vDSO.
# With "real-clock", a static program runs on the real clock instead, and each
# report is judged against the local minutes read before and after the run, in
# zones with odd offsets. With "empty-root", it does so in an empty root that
# holds nothing but itself and those zones' files (as root only).
# With "writes", each line is checked to reach standard output in one write.
# Skipped where what runs the program or sets its clock is lacking.
# Usage: end_to_end.sh set-clock|real-clock|empty-root|writes PROGRAM TRIPLET|static [EMULATOR...]
set -u
mode=$1 merovak=$2 triplet=$3
runner=("${@:4}")
# Central European time, as a rule: no zone data needed.
export TZ=CET-1CEST,M3.5.0,M10.5.0/3
# shellcheck source=harness.sh
. "$(dirname "$0")/harness.sh"
realClockZones=(Asia/Kathmandu America/St_Johns Australia/Eucla)

# How the clock is set: libfaketime preloaded into the program (by qemu's own
# -E switches where qemu runs it: the host's LD_PRELOAD would load it into
# qemu instead), or, for a static program, into qemu; or the clock is the
# real one.
static='' guestLibrary=''
needsFile "$merovak" "its build"
case $mode-$triplet in
set-clock-static) libfaketime fakeLibrary ;;
set-clock-*) libfaketime guestLibrary "$triplet" ;;
real-clock-* | empty-root-*) static=yes ;;
writes-*) needs strace strace ;;
esac
if [ ${#runner[@]} -gt 0 ]; then
    needs "${runner[0]}" qemu-user
    for ((i = 1; i < ${#runner[@]}; i++)); do # the root of the guest's C library
        [ "${runner[i]}" != -L ] || needsFile "${runner[i + 1]}" "the C library for $triplet (Debian package libc6 for that processor)"
    done
elif [ -n "$guestLibrary" ]; then
    fakeLibrary=$guestLibrary guestLibrary=''
fi
[ -z "$static" ] || needsFile /usr/share/zoneinfo/Asia/Kathmandu "Debian package tzdata"
[ "$mode" != empty-root ] || [ "$(id -u)" -eq 0 ] || lacks+=("root, which chroot needs")
lacking
if [ "$mode" = empty-root ]; then # the program and the zones' files, each at its own path in the root
    merovak=$(realpath "$merovak") runner=(chroot "$work/root")
    mkdir "$work/root" && cp --parents "$merovak" "${realClockZones[@]/#//usr/share/zoneinfo/}" "$work/root"
    answer=$("${runner[@]}" "$merovak" 2>&1 >/dev/null)
    if [ $? -eq 125 ]; then # chroot's own failure
        echo "SKIPPED: chroot is not allowed here: $answer"
        exit 77
    fi
fi

# run CLOCK ARGUMENT...: the command with the local clock set. CLOCK is a local
# date and time for libfaketime, or @SECONDS since the epoch.
run() {
    local clock=$1 settings=() setting switches=()
    shift
    if [ "${clock:0:1}" = @ ]; then
        clock=${clock:1} settings=(FAKETIME_FMT=%s)
    fi
    if [ ${#runner[@]} -eq 0 ]; then
        env "${settings[@]}" LD_PRELOAD="$fakeLibrary" FAKETIME="$clock" "$merovak" "$@"
        return
    elif [ -z "$guestLibrary" ]; then # into qemu, and not into its guest
        env "${settings[@]}" LD_PRELOAD="$fakeLibrary" FAKETIME="$clock" "${runner[@]}" -U LD_PRELOAD \
            "$merovak" "$@"
        return
    fi
    settings+=("LD_PRELOAD=$guestLibrary" "FAKETIME=$clock")
    for setting in "${settings[@]}"; do
        switches+=(-E "$setting")
    done
    "${runner[@]}" "${switches[@]}" "$merovak" "$@"
}
# A static program runs on the real clock: CLOCK is not used.
[ -z "$static" ] || run() { shift && "${runner[@]}" "$merovak" "$@"; }
# A statically linked qemu-user (Debian 13's) loads no libfaketime: the clock of
# its guest cannot be set, and the real-clock run is the one that checks it.
if [ -z "$guestLibrary$static" ] && [ ${#runner[@]} -gt 0 ]; then
    answer=$(run '2026-12-08 09:30:00' 0000 2>&1)
    if [[ $answer != 'Current Time : 09:30'* ]]; then
        echo "SKIPPED: this machine's ${runner[0]} does not load the host's libfaketime (it is" \
            "statically linked, as in Debian 13), so its guest's clock cannot be set: $answer"
        exit 77
    fi
fi

# statusWhen NAME STATUS COMMAND...: COMMAND ends with STATUS and writes nothing
# on standard error.
statusWhen() {
    local name=$1 status=$2
    shift 2
    "$@" 2>"$work/err"
    local actual=$?
    if [ -s "$work/err" ]; then
        report "$name" fail "standard error: $(cat "$work/err")"
    elif [ "$actual" -ne "$status" ]; then
        report "$name" fail "status $actual, expected $status"
    else
        report "$name" ok
    fi
}

# check NAME CLOCK STATUS EXPECTED_LINES [ARGUMENT...]: as statusWhen, and the
# standard output is EXPECTED_LINES and a last line end (CR LF), byte for byte.
# On the real clock, a report is judged instead, in each zone, by its check
# time and the local minutes read just before and after the run.
check() {
    local name=$1 clock=$2 status=$3 checkTime=${4#*Check Time : } zone before
    if [ -n "$static" ] && [[ $4 == 'Current Time'* ]]; then
        shift 4
        for zone in "${realClockZones[@]}"; do # standard error, if any, spoils the report
            before=$(date +%s)
            TZ=$zone run now "$@" >"$work/out" 2>&1
            status=$?
            report "$name in $zone" "$(TZ=$zone verdictMatches "$work/out" "$status" \
                "${checkTime:0:5}" "$before" "$(date +%s)" && echo ok)" "status $status, $(od -c "$work/out" | head -n 4)"
        done
        return
    fi
    printf '%s\r\n' "$4" >"$work/expected"
    shift 4
    statusWhen "$name" "$status" run "$clock" "$@" >"$work/out"
    if ! cmp -s "$work/out" "$work/expected"; then
        report "$name" fail "standard output differs: $(od -c "$work/out" | head -n 4)"
    fi
}

# onSetClock COMMAND...: runs a check whose status depends on the clock only
# where the clock can be set.
onSetClock() { [ -n "$static" ] || "$@"; }

# Each line reaches standard output in one write, so lines of jobs appending to
# one log never mix.
writesOnce() { # NAME ARGUMENT...
    local name=$1
    shift
    strace -f -o "$work/trace" -e trace=write "${runner[@]}" "$merovak" "$@" >/dev/null
    local writes
    writes=$(grep -cE '^([0-9]+ +)?write\(1,' "$work/trace")
    if [ "$writes" -eq 1 ]; then
        report "$name" ok
    else
        report "$name" fail "$writes writes to standard output: $(head -n 5 "$work/trace")"
    fi
}
if [ "$mode" = writes ]; then
    writesOnce 'one write for the report line' 0930
    writesOnce 'one write for the illegal-time line' 2400
    writesOnce 'one write for the usage text'
    finish
    exit
fi

morning='2026-12-08 09:29:59.999'
ninethirty='2026-12-08 09:30:00'
long255=$(printf '0%.0s' {1..255})
long256=$(printf '0%.0s' {1..256})
long100k=$(head -c 100000 /dev/zero | tr '\0' 0)

# Usage text: no argument, or a first argument of any size but four bytes.
check 'no argument' "$morning" 0 "$usage"
check 'three bytes' "$morning" 0 "$usage" 093
check 'five bytes' "$morning" 0 "$usage" 09300
check '255 bytes' "$morning" 0 "$usage" "$long255"
check '256 bytes' "$morning" 0 "$usage" "$long256"
check '100000 bytes' "$morning" 0 "$usage" "$long100k"
check 'only empty arguments' "$morning" 0 "$usage" '' ''
check 'one byte, then 0930' "$morning" 0 "$usage" 5 0930

# The verdict at the edges of the minute.
check '0930 a millisecond early' "$morning" 0 "$(notExpired 09:29 09:30)" 0930
check '0930 on time' "$ninethirty" 5 "$(expired 09:30 09:30)" 0930
check '0000 at midnight' '2026-12-08 00:00:00' 5 "$(expired 00:00 00:00)" 0000
check '0000 at noon' '2026-12-08 12:00:00' 5 "$(expired 12:00 00:00)" 0000
check '2359 at 23:58' '2026-12-08 23:58:59.999' 0 "$(notExpired 23:58 23:59)" 2359
check '2359 at 23:59' '2026-12-08 23:59:00' 5 "$(expired 23:59 23:59)" 2359
check '1300 on the 24-hour clock' '2026-12-08 13:00:00' 5 "$(expired 13:00 13:00)" 1300

# Local time: 08:30 UTC is 09:30 in Central Europe in winter, 07:30 UTC in summer.
check 'winter local time' "@$(date -u -d '2026-12-08 08:30:00' +%s)" 5 "$(expired 09:30 09:30)" 0930
check 'summer local time' "@$(date -u -d '2026-07-01 07:30:00' +%s)" 5 "$(expired 09:30 09:30)" 0930
check 'summer a minute early' "@$(date -u -d '2026-07-01 07:29:00' +%s)" 0 "$(notExpired 09:29 09:30)" 0930

# When New York's clocks go back, on the first Sunday of November, the hour
# from 01:00 comes twice: passed, then not yet again.
newYork=EST5EDT,M3.2.0,M11.1.0
TZ=$newYork check 'the repeated hour' "@$(date -u -d '2026-11-01 05:59:00' +%s)" 5 "$(expired 01:59 01:45)" 0145
TZ=$newYork check 'the repeated hour again' "@$(date -u -d '2026-11-01 06:00:00' +%s)" 0 \
    "$(notExpired 01:00 01:45)" 0145

# Past the ends of 32-bit counts of seconds, signed (2038) and unsigned (2106).
check 'last second of a signed 32-bit count' @2147483647 5 "$(expired 04:14 04:14)" 0414
check 'first second past it' @2147483648 0 "$(notExpired 04:14 04:15)" 0415
check 'a summer day in 2100' "@$(date -u -d '2100-07-01 10:00:00' +%s)" 5 "$(expired 12:00 12:00)" 1200
check 'past an unsigned 32-bit count' @4294967296 5 "$(expired 07:28 07:28)" 0728

# Times out of range, negative ones included; the clock is never read.
check '2400' "$morning" 10 "$(illegal 24:00)" 2400
check '0960' "$morning" 10 "$(illegal 09:60)" 0960
check '9999' "$morning" 10 "$(illegal 99:99)" 9999
check '1260' "$morning" 10 "$(illegal 12:60)" 1260
check '-930' "$morning" 10 "$(illegal 0-9:0-30)" -930
check '-001' "$morning" 10 "$(illegal 00:0-1)" -001
check '$abc' "$morning" 10 "$(illegal 27:48)" '$abc'

# Lenient reading of four bytes.
check '9:30 before 00:09' '2026-12-08 00:08:59' 0 "$(notExpired 00:08 00:09)" 9:30
check '9:30 after 00:09' "$morning" 5 "$(expired 09:29 00:09)" 9:30
check 'abcd' "$morning" 5 "$(expired 09:29 00:00)" abcd
check '-000' "$morning" 5 "$(expired 09:29 00:00)" -000
check 'four blanks' "$morning" 5 "$(expired 09:29 00:00)" '    '

# Only the first non-empty argument counts.
check 'empty argument first' "$ninethirty" 5 "$(expired 09:30 09:30)" '' 0930
check 'arguments after the first' "$morning" 0 "$(notExpired 09:29 09:30)" 0930 2400 x
check 'a long second argument' "$morning" 0 "$(notExpired 09:29 09:30)" 0930 "$long256"

# Output errors change nothing: not the flow, not the status, no standard error.
closedOutput() { run "$@" >&-; }
fullDisk() { run "$@" >/dev/full; }
goneReader() { # the reader exits before the command writes
    local fifo=$work/fifo
    rm -f "$fifo" && mkfifo "$fifo"
    (exec 0<"$fifo") &
    local reader=$!
    run "$@" >"$fifo"
    local status=$?
    wait "$reader"
    return "$status"
}
shortReader() {
    run "$@" | head -c 5 >/dev/null
    return "${PIPESTATUS[0]}"
}
sizeLimit() { # appends to a file already past the limit (1 KiB), which faketime stays within
    head -c 2048 /dev/zero >"$work/limited"
    (ulimit -f 1 && run "$@" >>"$work/limited")
}
statusWhen 'standard output closed, expired' 5 closedOutput "$ninethirty" 0000
statusWhen 'standard output closed, illegal' 10 closedOutput "$morning" 2400
statusWhen 'standard output closed, usage' 0 closedOutput "$morning"
statusWhen '/dev/full, expired' 5 fullDisk "$ninethirty" 0000
onSetClock statusWhen '/dev/full, not expired' 0 fullDisk "$morning" 0930
statusWhen '/dev/full, illegal' 10 fullDisk "$morning" -930
statusWhen 'reader gone, expired' 5 goneReader "$ninethirty" 0000
statusWhen 'reader gone, illegal' 10 goneReader "$morning" 9999
statusWhen 'head -c 5, expired' 5 shortReader "$ninethirty" 0000
onSetClock statusWhen 'head -c 5, not expired' 0 shortReader "$morning" 0930
statusWhen 'file size limit, expired' 5 sizeLimit "$ninethirty" 0000

finish
