# shellcheck shell=bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Shared by the tests that run the built command: a scratch folder ($work,
# removed at exit, after what onExit names, unless MEROVAK_KEEP_WORK is set),
# what a test needs and the skip when it lacks any, a clock set by libfaketime,
# the commands of the documentation's pages, checks of commands and their
# output and of what a release ships, the command's output texts, and a tally
# of cases that ends in one line "N passed, N failed".

# As root, a test runs with a /dev/shm of its own, empty at its start: what
# other programs leave in the machine's is neither the test's to fail on nor in
# its way, and whatever the test leaves in its own fails it. (Without root, or
# where it can make no mount namespace, as in a chroot, it uses the machine's,
# and what it leaves there is not told apart.)
if [ "${MEROVAK_OWN_SHM:-}" != $$ ] && [ "$(id -u)" -eq 0 ] &&
    unshare --mount sh -c 'mount -t tmpfs -o mode=1777 tmpfs /dev/shm' 2>/dev/null; then
    MEROVAK_OWN_SHM=$$ exec unshare --mount sh -c 'mount -t tmpfs -o mode=1777 tmpfs /dev/shm &&
        exec bash "$0" "$@"' "$0" "$@"
fi
work=$(mktemp -d)
atExit=()
onExit() { atExit=("$1" "${atExit[@]}"); } # onExit COMMAND: run at exit, the last named first
finally() {
    local command left
    for command in "${atExit[@]}"; do eval "$command"; done
    if [ -n "${MEROVAK_KEEP_WORK:-}" ]; then echo "Kept: $work"; else rm -rf "$work"; fi
    [ "${MEROVAK_OWN_SHM:-}" = $$ ] && left=$(ls -A /dev/shm) && [ -n "$left" ] || return 0
    echo "FAIL the test left in /dev/shm: $(paste -sd ' ' <<<"$left")"
    exit 1
}
trap finally EXIT
passed=0
failed=0

report() { # report NAME ok|fail DETAIL (anything but ok is a failure)
    if [ "$2" = ok ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        printf 'FAIL %s: %s\n' "$1" "$3"
    fi
}

# Checks of commands. expect NAME COMMAND...: the command succeeds; its
# standard output is kept in $work/out for the checks that follow.
expect() {
    local name=$1
    shift
    if "$@" >"$work/out" 2>"$work/err"; then
        report "$name" ok
    else
        report "$name" fail "$(cat "$work/out" "$work/err" | tail -n 8)"
    fi
}
# nestedTests NAME BUILD_DIR CTEST_OPTION...: the tests of another build pass;
# where they do not, its own output says why: its last lines, and its log.
nestedTests() {
    if ctest --test-dir "$2" --output-on-failure "${@:3}" >"$work/out" 2>&1; then
        report "$1" ok
    else
        report "$1" fail "$(tail -n 20 "$work/out" && cat "$2/Testing/Temporary/LastTest.log")"
    fi
}
# has NAME PATTERN: the last command's output has a line that matches.
has() {
    if grep -q -- "$2" "$work/out"; then report "$1" ok; else report "$1" fail "no line matches $2"; fi
}
# hasNot NAME PATTERN: no line of the last command's output matches.
hasNot() {
    if grep -q -- "$2" "$work/out"; then report "$1" fail "$(grep -- "$2" "$work/out" | head -n 3)"; else report "$1" ok; fi
}

# What the test needs. Each need that is not met is noted; lacking then ends
# the test as skipped (status 77), with everything it lacks as the reason.
lacks=()
needs() { # needs COMMAND DEBIAN_PACKAGE
    command -v "$1" >/dev/null || lacks+=("$1 (Debian package $2)")
}
needsFile() { # needsFile PATH WHAT_MAKES_IT
    [ -e "$1" ] || lacks+=("$1 ($2)")
}
lacking() {
    [ ${#lacks[@]} -eq 0 ] && return
    local lack reason=
    for lack in "${lacks[@]}"; do
        reason+="${reason:+; }$lack"
    done
    echo "SKIPPED: this machine lacks $reason"
    exit 77
}

# wineRuns LOADER: where the kernel refuses to run Wine's LOADER, with "Exec
# format error" (the shell's status 126), as some refuse every 32-bit program,
# the test is skipped with that as the reason. Anything else goes on, and fails
# or passes on the cases.
wineRuns() {
    local answer
    answer=$(export LC_ALL=C; "$1" --version 2>&1)
    if [ $? -eq 126 ] && [[ $answer == *'Exec format error'* ]]; then
        echo "SKIPPED: this machine's kernel runs no program of $1: ${answer##*: }"
        exit 77
    fi
}
# libfaketime VARIABLE [TRIPLET]: sets VARIABLE to libfaketime for the
# processor of a Debian triplet (the host's by default), where Debian or, for
# the host, another system installs it, or notes it as lacking. The clock is
# set through LD_PRELOAD and FAKETIME. libfaketime makes a pair of shared
# memory files for each process it starts in, named by its process id, and
# removes them only when that process exits normally (not after an exec, not
# when it is killed). So one pair is made for the whole test, by a process that
# holds it, and handed to every process in FAKETIME_SHARED (which qemu-user
# hands its guests too); it goes with the test. Where a pair was left at the
# holder's process id before (by a process killed outside a /dev/shm of the
# test's own), it is not the test's: none is handed on, and each process makes
# its own or, where one is left at its id, none.
libfaketime() {
    local path
    if path=$(fakeLibraryFor "${2:-$(uname -m)-linux-gnu}"); then
        printf -v "$1" %s "$path"
        shareClock
    else
        lacks+=("libfaketime for ${2:-$(uname -m)-linux-gnu} (Debian package libfaketime for that processor)")
    fi
}
fakeLibraryFor() { # fakeLibraryFor TRIPLET: prints the path of libfaketime for it, where there is one
    local folder folders=("/usr/lib/$1")
    [ "$1" != "$(uname -m)-linux-gnu" ] || folders+=(/usr/lib64 /usr/lib /usr/local/lib)
    for folder in "${folders[@]}"; do
        [ ! -e "$folder/faketime/libfaketime.so.1" ] || { echo "$folder/faketime/libfaketime.so.1" && return; }
    done
    return 1
}
shareClock() { # the pair of the test, held by a process that the host's libfaketime starts in
    local host holder
    [ -z "${clockShared:-}" ] && host=$(fakeLibraryFor "$(uname -m)-linux-gnu") || return 0
    clockShared=yes
    unset FAKETIME_SHARED # a pair of the test that started this one is not this test's
    touch "$work/clock"
    env LD_PRELOAD="$host" FAKETIME=+0 sleep 3600 </dev/null >/dev/null 2>&1 &
    holder=$!
    disown "$holder" # a test's wait for its own jobs does not wait for it
    for _ in {1..100}; do [ -e "/dev/shm/faketime_shm_$holder" ] || sleep 0.05; done
    if [ "/dev/shm/faketime_shm_$holder" -nt "$work/clock" ]; then
        onExit "kill $holder; rm -f /dev/shm/faketime_shm_$holder /dev/shm/sem.faketime_sem_$holder"
        export FAKETIME_SHARED="/faketime_sem_$holder /faketime_shm_$holder"
    else
        kill "$holder"
    fi
}
# fakeClock CLOCK COMMAND...: COMMAND with the clock set, as libfaketime's
# FAKETIME reads CLOCK: "2026-12-08 09:30:00" stands still, "@2026-12-08
# 09:30:00" ticks from there, "+3d" is three days ahead.
fakeClock() {
    local clock=$1
    shift
    env LD_PRELOAD="${fakeLibrary:?}" FAKETIME="$clock" "$@"
}

# page PAGE NAME: the lines of the block that the page marks with
# <!-- test: NAME --> before it; fails, and says so, where there is none.
page() {
    awk -v mark="<!-- test: $2 -->" '$0 == mark { marked = 1; next }
        marked && /^```/ { if (inside) exit; inside = 1; next }
        inside { print; printed = 1 }
        END { if (!printed) { print "FAIL " FILENAME " has no block marked " mark >"/dev/stderr"; exit 1 } }' "$1"
}

# The checks of what a release ships, on packages and notices where they are
# built and where they are shipped. lints NAME PACKAGE: lintian finds nothing
# in a .deb, rpmlint as on Debian nothing in an RPM (told that manuals are
# gzipped and MIT is a licence; left out: the Group tag, deprecated and no
# longer used by current distributions; rpmlint 2.4's missing manual, which it
# reports for any command whose manual is there; the home page, which a
# packager names; documents, which the keys package has none of; the
# signature, or the key that made it, which the system has not imported).
lints() {
    if [[ $2 == *.deb ]]; then
        expect "$1 lintian" lintian --pedantic -I "$2"
        hasNot "$1 lintian says nothing" .
        return
    fi
    printf '%s\n' 'CompressExtension = "gz"' 'ValidLicenses = ["MIT"]' \
        'Filters = ["no-group-tag", "no-manual-page-for-binary", "no-url-tag", "no-documentation"]' \
        >"$work/rpmlint.toml"
    rpmlint -c "$work/rpmlint.toml" "$2" 2>&1 | grep -v ': E: \(no-signature\|unknown-key [0-9a-f]*\)$' >"$work/out"
    hasNot "$1 rpmlint: no errors or warnings but the signature" ': [EW]: '
}
# noticesHold NAME UPSTREAM: the notices in the last command's output hold
# UPSTREAM's copyright and licence text, and GCC's runtime exception.
noticesHold() {
    has "$1: $2" "^Upstream-Name: $2\$"
    has "$1: its licence" ' Permission is hereby granted\| Redistributions in binary form must'
    has "$1: GCC's runtime" '^GCC RUNTIME LIBRARY EXCEPTION$'
}

finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}

# The command's output texts.
# Each text comes without its last line end, which is CR LF (bytes 13 10).
# shellcheck disable=SC2034 # read by the scripts that source this one
usage=$'Merovak v1.0 (c) 2026 the Merovak authors\r\n\r\nChecks if a given time has already passed\r\nUsage: Merovak [>OutputFile] TIME\r\n - Outputfile determines where the info goes\r\n - Time is a time in format UUMM for example 0930\r\nReturn code will be 5 if it is past 09:30 else 0'
expired() { printf 'Current Time : %s   Check Time : %s  Time Expired !!! (returncode=5)' "$1" "$2"; }
notExpired() { printf 'Current Time : %s   Check Time : %s  Not Expired (returncode=0)' "$1" "$2"; }
illegal() { printf 'Illegal Time : %s  Aborted check !!! (returncode=10)' "$1"; }

# For programs on the real clock: verdictMatches FILE STATUS CHECK_TIME BEFORE
# AFTER: FILE holds the report line, and STATUS is the status, for CHECK_TIME
# (HH:MM) at some local minute from BEFORE to AFTER (seconds since the epoch).
verdictMatches() {
    local t minute verdict
    for ((t = $4 - $4 % 60; t <= $5; t += 60)); do
        minute=$(date -d "@$t" +%H:%M) verdict=(expired 5)
        [ "${minute/:/}" \< "${3/:/}" ] && verdict=(notExpired 0)
        printf '%s\r\n' "$("${verdict[0]}" "$minute" "$3")" | cmp -s - "$1" &&
            [ "$2" = "${verdict[1]}" ] && return 0
    done
    return 1
}
