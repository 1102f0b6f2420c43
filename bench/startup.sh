#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Start-up cost of the command, which is nearly its whole cost, for the
# packaged (dynamic) build and the static one: instructions under callgrind,
# each against its floor, a minimal C program that does the same job built the
# same way (bench/floor.c), and against /bin/true; and wall time against
# /bin/true and the shell one-liner a user would otherwise write. Instruction
# counts differ by processor; the ratios to the floors hardly do. A benchmark,
# not a test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-packages.sh g++ cmake make valgrind hyperfine tzdata musl-dev
for preset in release linux-x86_64-static; do
    cmake --preset "$preset" -B "build/bench/$preset" -DMEROVAK_BENCHMARK=ON -DBUILD_TESTING=OFF >/dev/null
    cmake --build "build/bench/$preset" >/dev/null
done
merovak=$PWD/build/bench/release/Merovak
static=$PWD/build/bench/linux-x86_64-static/Merovak
export TZ=Europe/Amsterdam

# The count for one run, in an environment of TZ alone (every variable costs a
# little); the command's own status (5 after the time) is no error, but a run
# that gives no count is.
instructions() {
    local count
    count=$(env -i TZ="$TZ" valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
        sed -n 's/.*Collected : *//p'; exit "${PIPESTATUS[1]}")
    [ -n "$count" ] || { echo "startup.sh: callgrind gave no count for $*" >&2 && return 1; }
    echo "$count"
}
ours=$(instructions "$merovak" 0930)
floor=$(instructions "${merovak%/*}/startup_floor")
staticCount=$(instructions "$static" 0930)
staticFloor=$(instructions "${static%/*}/startup_floor")
true=$(instructions /bin/true)
echo "Instructions: Merovak 0930 $ours, its floor $floor; static $staticCount, its floor $staticFloor;" \
    "/bin/true $true"
awk -v a="$ours" -v f="$floor" -v s="$staticCount" -v g="$staticFloor" -v t="$true" 'BEGIN {
    printf "Ratio to the floor: %.3f (goal: at most 1.03), static: %.3f (goal: at most 1.40)\n", a / f, s / g
    printf "Ratio to /bin/true: %.3f, static: %.3f\n", a / t, s / t
    exit !(a / f <= 1.03 && s / g <= 1.40) }' || echo "A goal is missed."

echo
hyperfine -N --ignore-failure --warmup 50 --runs 1000 --style basic \
    "$merovak 0930" "$static 0930" /bin/true "sh -c '[ \"\$(date +%H%M)\" -ge 0930 ]'"
