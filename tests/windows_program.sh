#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Reads a built Windows program back: a PE32 (x86) or PE32+ (x64) console
# program that imports only DLLs every Windows has (no C++ or GCC runtime DLLs),
# with a version resource that carries the project's version and an application
# manifest that asks for the caller's rights and names the supported Windows.
# Skipped where pefile is lacking.
# Usage: windows_program.sh path/to/Merovak.exe POINTER_BYTES VERSION
set -u
exe=$1 pointerBytes=$2 version=$3
# shellcheck source=harness.sh
. "$(dirname "$0")/harness.sh"
needsFile "$exe" "its build"
/usr/bin/python3 -c 'import pefile' 2>/dev/null || lacks+=("pefile (Debian package python3-pefile)")
lacking

# One line per fact: a name, a blank and the value. Debian's own Python, which
# python3-pefile serves, whatever python3 comes first on the PATH.
facts=$(/usr/bin/python3 - "$exe" <<'EOF'
import sys
import pefile

pe = pefile.PE(sys.argv[1])
print("magic", hex(pe.OPTIONAL_HEADER.Magic))
print("subsystem", pe.OPTIONAL_HEADER.Subsystem)
for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
    print("import", entry.dll.decode())
fixed = pe.VS_FIXEDFILEINFO[0] if hasattr(pe, "VS_FIXEDFILEINFO") else None
if fixed:
    ms, ls = fixed.FileVersionMS, fixed.FileVersionLS
    print("fixed", f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}")
for info in getattr(pe, "FileInfo", [[]])[0]:
    for table in getattr(info, "StringTable", []):
        for key, value in table.entries.items():
            print(key.decode(), value.decode())
resources = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
for kind in resources.entries if resources else []:
    if kind.id != 24:  # RT_MANIFEST
        continue
    for name in kind.directory.entries:
        for language in name.directory.entries:
            data = language.data.struct
            text = pe.get_data(data.OffsetToData, data.Size).decode()
            print("manifest", name.id, " ".join(text.split()))
EOF
)
printf '%s\n' "$facts" >"$work/out"
magic=0x20b # PE32+
[ "$pointerBytes" = 8 ] || magic=0x10b
# Subsystem 3 is the console; the manifest's two Ids are Windows 10 and 11, and 7.
for fact in "magic $magic" 'subsystem 3' "fixed $version.0" "FileVersion $version" \
    "ProductVersion $version" 'ProductName Merovak' 'OriginalFilename Merovak.exe' \
    'LegalCopyright Copyright (c) 2026 the Merovak authors' \
    'FileDescription Tell a script whether the local time of day has reached a given time' \
    'manifest 1 .*level="asInvoker".*' \
    'manifest 1 .*supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}".*' \
    'manifest 1 .*supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}".*'; do
    has "$fact" "^$fact\$"
done
imports=$(sed -n 's/^import //p' <<<"$facts")
for dll in $imports; do
    case ${dll,,} in
    kernel32.dll | msvcrt.dll | user32.dll | advapi32.dll | ntdll.dll) report "imports $dll" ok ;;
    *) report "imports $dll" fail 'not a DLL that every Windows has' ;;
    esac
done
[ -n "$imports" ] || report 'imports' fail "none found: $facts"
finish
