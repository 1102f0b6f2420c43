#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Before a build's tests, lists /dev/shm in LIST; after them, fails where a
# name is there that was not before (a test's shared memory, left behind).
# Usage: shared_memory.sh before|after LIST
set -euo pipefail
export LC_ALL=C
if [ "$1" = before ]; then
    find /dev/shm -mindepth 1 -maxdepth 1 -printf '%f\n' | sort >"$2"
    exit
fi
left=$(find /dev/shm -mindepth 1 -maxdepth 1 -printf '%f\n' | sort | comm -13 "$2" -)
[ -z "$left" ] || { echo "The tests left in /dev/shm: $(paste -sd ' ' <<<"$left")" && exit 1; }
