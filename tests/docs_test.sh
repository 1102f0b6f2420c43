#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# The pages' commands for scripts, read from the pages and run with the clock
# set: the README's shell idiom under sh; the crontab line's command under sh,
# as cron runs it, and the systemd service's command, as systemd hands it to
# sh, at checks before and after half past nine on two days, each with its job
# started once a day; each says so on standard error and fails where the
# program is not there; and systemd-analyze verify on the systemd units, in a
# root of their own that holds the program where they name it.
# Usage: docs_test.sh path/to/Merovak SOURCE_DIR
set -u
merovak=$(realpath "$1") source=$2
# shellcheck source=harness.sh
. "$(dirname "$0")/harness.sh"
libfaketime fakeLibrary
needs systemd-analyze systemd
needsFile /usr/share/zoneinfo/Europe/Amsterdam "Debian package tzdata"
lacking
export TZ=CET-1CEST,M3.5.0,M10.5.0/3 HOME=$work
mkdir "$work/bin" && ln -s "$merovak" "$work/bin/Merovak"
cd "$work" || exit 1

# answers NAME CLOCK EXPECTED SCRIPT: SCRIPT under sh, at CLOCK, writes EXPECTED.
answers() {
    expect "$1" fakeClock "$2" env PATH="$work/bin:$PATH" sh -c "$4"
    if [ "$(cat "$work/out")" = "$3" ]; then report "$1 says" ok; else report "$1 says" fail "$(cat "$work/out")"; fi
}
# withoutProgram SCRIPT: SCRIPT, calling a program that is not there.
withoutProgram() { printf '%s\n' "${1//Merovak 0930/no-such-Merovak 0930}"; }
idiom=$(page "$source/README.md" shell-idiom) || exit 1
answers 'shell idiom at 09:29' '2026-12-08 09:29:00' 'not yet' "$idiom"
answers 'shell idiom at 09:30' '2026-12-08 09:30:00' 'past half past nine' "$idiom"
answers 'shell idiom under set -e' '2026-12-08 12:00:00' 'past half past nine' "set -e; $idiom"
expect 'shell idiom without the program fails' bash -c '! sh -c "$1" 2>&1' - "$(withoutProgram "$idiom")"
has 'shell idiom without the program says so' 'did not answer: status 127$'

# The crontab line's command, as cron hands it to sh: without its five time
# fields, up to its first bare "%", with "\%" as "%"; the job counts its runs.
crontab=$(page "$source/docs/linux.md" crontab) || exit 1
rm -f checks.log
command=$(sed 's/^\([^ ]* \)\{5\}//; s/\([^\\]\)%.*/\1/; s/\\%/%/g; s|/usr/bin/Merovak|Merovak|' <<<"$crontab")
printf '#!/bin/sh\necho ran >>"$HOME/late-job.runs"\n' >"$HOME/bin/late-job"
chmod +x "$HOME/bin/late-job"
clocks=('2026-12-08 09:15:00' '2026-12-08 09:30:00' '2026-12-08 09:45:00' '2026-12-09 00:00:00'
    '2026-12-09 10:00:00' '2026-12-09 10:15:00')
for clock in "${clocks[@]}"; do
    fakeClock "$clock" env PATH="$work/bin:$PATH" sh -c "$command"
done
expect 'crontab line logs every check' test "$(wc -l <checks.log)" -eq 6
expect 'crontab line starts the job once a day' test "$(wc -l <late-job.runs)" -eq 2
expect 'crontab line without the program' bash -c 'sh -c "$1" 2>&1' - "$(withoutProgram "$command")"
has 'crontab line without the program says so' 'did not answer: status 127$'

# The service's command, as systemd hands it to sh: "$$" is "$", "%%" is "%",
# in the zone the unit sets, with its state folder.
service=$(page "$source/docs/linux.md" systemd-service) || exit 1
zone=$(sed -n 's/^Environment=TZ=//p' <<<"$service")
command=$(sed -n "s/^ExecStart=\/bin\/sh -c '\(.*\)'$/\1/p" <<<"$service" | sed 's/\$\$/$/g; s/%%/%/g;
    s|/usr/bin/Merovak|Merovak|; s|/usr/local/bin/late-job|late-job|')
rm -f late-job.runs && mkdir state
statuses=
for clock in "${clocks[@]}"; do
    fakeClock "$clock" env TZ="$zone" STATE_DIRECTORY="$work/state" PATH="$work/bin:$PATH" sh -c "$command"
    statuses+="$?"
done
expect 'systemd service succeeds at every check' test "$statuses" = 000000
expect 'systemd service starts the job once a day' test "$(wc -l <late-job.runs)" -eq 2
expect 'systemd service without the program fails' bash -c '! env STATE_DIRECTORY="$1" sh -c "$2" 2>&1' - \
    "$work/state" "$(withoutProgram "$command")"
has 'systemd service without the program says so' 'did not answer: status 127$'

# The units where they say they go, and the program where they name it.
root=$work/root
mkdir -p "$root/etc/systemd/system" "$root/usr/bin" "$root/usr/lib/systemd"
cp -r /usr/lib/systemd/system "$root/usr/lib/systemd/" && cp "$merovak" "$root/usr/bin/Merovak"
mkdir -p "$root/bin" && cp -L /bin/sh "$root/bin/sh" # which the service runs
units=()
for unit in service timer; do
    text=$(page "$source/docs/linux.md" "systemd-$unit") || exit 1
    path=$(sed -n '1s/^# \([^:]*\).*/\1/p' <<<"$text")
    printf '%s\n' "$text" >"$root$path" && units+=("$path")
done
expect 'systemd-analyze verify' systemd-analyze verify --root="$root" "${units[@]}"
if [ -s "$work/err" ]; then report 'systemd-analyze has nothing to say' fail "$(cat "$work/err")"; else report 'systemd-analyze has nothing to say' ok; fi
finish
