#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks that the 32-bit Windows program is a PE32 console program that
# imports only DLLs every Windows has (no C++ or GCC runtime DLLs).
# Usage: windows_program.sh path/to/Merovak.exe
set -u
exe=$1
. "$(dirname "$0")/harness.sh"
headers=$(i686-w64-mingw32-objdump -p "$exe")

if grep -q '^Magic[[:space:]]*010b' <<<"$headers"; then
    report 'PE32 (32-bit)' ok
else
    report 'PE32 (32-bit)' fail "$(grep '^Magic' <<<"$headers")"
fi
if grep -q '^Subsystem.*Windows CUI' <<<"$headers"; then
    report 'console subsystem' ok
else
    report 'console subsystem' fail "$(grep '^Subsystem' <<<"$headers")"
fi
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
for dll in $imports; do
    case ${dll,,} in
    kernel32.dll | msvcrt.dll | user32.dll | advapi32.dll | ntdll.dll) report "imports $dll" ok ;;
    *) report "imports $dll" fail 'not a DLL that every Windows has' ;;
    esac
done
[ -n "$imports" ] || report 'imports' fail 'none found'
finish
