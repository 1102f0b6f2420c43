#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# A Windows build's Windows Installer package under Wine, as an administrator
# deploys it, silently, in a prefix made on the real clock: it installs for the
# machine, puts its folder on the system PATH once, where a new cmd finds
# Merovak, and has one entry in the installed programs with its version; the
# next version's package, made from a copy of the source with the version
# raised, upgrades it in place; this version's is then refused and changes
# nothing; uninstalling leaves no file, PATH entry or installed entry. Skipped
# where Wine or wixl is lacking, and on a kernel that runs no program of Wine's
# loader, with its own answer as the reason.
# Usage: msi_test.sh BUILD_DIR SOURCE_DIR TOOLCHAIN_FILE PRESET VERSION WINE_LOADER
set -u
build=$1 source=$2 toolchain=$3 preset=$4 version=$5 wine=$6
# shellcheck source=harness.sh
. "$(dirname "$0")/harness.sh"
needsFile "$wine" "Debian package wine64, or wine32:i386"
needsFile "$build/Merovak.exe" "its build"
needs wixl wixl
needs msibuild msitools
lacking
wineRuns "$wine"
[ "$(file -b "$build/Merovak.exe" | cut -d' ' -f1)" != PE32 ] || export WINEARCH=win32
export WINEPREFIX=$work/prefix WINEDEBUG=-all
onExit '"${wine%/*}/wineserver" -k 2>/dev/null'

# This version's package, as its build makes it, and the next version's.
nextVersion=${version%.*}.$((${version##*.} + 1))
mkdir "$work/next" && tar -C "$source" --exclude=./build --exclude=./dist --exclude=./.git -cf - . |
    tar -C "$work/next" -xf -
sed -i "s/\(project(Merovak VERSION \)$version\b/\1$nextVersion/" "$work/next/CMakeLists.txt"
expect 'the package' cmake --build "$build" --target package
expect "the next version's package" bash -c 'cmake -S "$1" -B "$1/build" --toolchain "$2" -DMEROVAK_PRESET="$3" \
    -DBUILD_TESTING=OFF && cmake --build "$1/build" --target package' - "$work/next" "$toolchain" "$preset"
packages=("$build"/packages/*.msi "$work"/next/build/packages/*.msi)
if [ ${#packages[@]} -ne 2 ] || [ ! -e "${packages[1]}" ]; then finish; exit; fi

win() { "$wine" "$@" 2>/dev/null | tr -d '\r'; }
# installed MSI VERSION|none: the state of the machine, as Wine's registry and
# folders hold it, is that of MSI's version installed (one entry in the
# installed programs, the folder once on the system PATH, the program there),
# or of nothing installed.
installed() {
    local entries path programs
    entries=$(win reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s |
        grep -A 20 -E '^ +DisplayName +REG_SZ +Merovak$' | grep -E '^ +(DisplayName|DisplayVersion|Publisher) ')
    path=$(win reg query 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' /v PATH)
    programs=$(find "$WINEPREFIX/drive_c" -path '*/Merovak/Merovak.exe' | wc -l)
    if [ "$2" = none ]; then
        expect "$1: nothing installed" test -z "$entries" -a "$programs" -eq 0
        if [[ $path == *"\\Merovak\\"* ]]; then report "$1: no PATH entry" fail "$path"; else report "$1: no PATH entry" ok; fi
        return
    fi
    printf '%s\n' "$entries" >"$work/out"
    has "$1: the installed entry" '^ *DisplayName *REG_SZ *Merovak$'
    has "$1: its version" "^ *DisplayVersion *REG_SZ *$2\$"
    has "$1: its publisher" '^ *Publisher *REG_SZ *The Merovak authors$'
    expect "$1: one installed entry, one program" test "$(grep -c DisplayName <<<"$entries")" -eq 1 -a \
        "$programs" -eq 1
    expect "$1: the folder once on the system PATH" test "$(grep -o "Program Files[^;]*\\\\Merovak\\\\" <<<"$path" |
        wc -l)" -eq 1
}
# msiexec NAME /i|/x PACKAGE: msiexec, silently, given the package's Windows path.
msiexec() { expect "$1" "$wine" msiexec "$2" "Z:${3//\//\\}" /qn; }

"$wine" wineboot -i >/dev/null 2>&1
"${wine%/*}/wineserver" -w
msiexec 'installed silently' /i "${packages[0]}"
installed 'installed' "$version"
expect 'a new cmd finds Merovak' bash -c '"$1" cmd /c "cd /d C:\\windows && Merovak 2400" 2>/dev/null; [ $? -eq 10 ]' - \
    "$wine"
msiexec 'upgrade: the next version installed over it' /i "${packages[1]}"
installed 'upgraded' "$nextVersion"
expect 'an older version refused' bash -c '! "$@"' - "$wine" msiexec /i "Z:${packages[0]//\//\\}" /qn
installed 'an older version refused: nothing changed' "$nextVersion"
msiexec 'uninstalled silently' /x "${packages[1]}"
installed 'uninstalled' none
finish
