#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Installs those of the named Debian packages that are missing (not installed,
# nor provided by one that is), with apt-get, as root or through sudo; one
# named with an architecture (wine32:i386) has it added to dpkg first. With
# --missing, it names them on one line instead. A package that cannot be
# installed (a mirror in the middle of a sync can leave one without what it
# depends on) is named, after each of the others is installed alone: status 1.
# Usage: install-packages.sh [--missing] PACKAGE...
set -euo pipefail
list=no
[ "${1:-}" != --missing ] || { list=yes && shift; }
provided=$(dpkg-query -W -f='${db:Status-Abbrev},${Provides}\n' | sed -n 's/^ii *,//p' | tr , '\n')
missing=()
for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' &&
        ! sed 's/ *(.*//; s/^ *//' <<<"$provided" | grep -qx -- "$package"; then
        missing+=("$package")
    fi
done
if [ $list = yes ]; then
    [ ${#missing[@]} -eq 0 ] || echo "${missing[*]}"
    exit 0
fi
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
for package in "${missing[@]}"; do
    architecture=${package#*:}
    if [ "$architecture" != "$package" ] &&
        [ "$architecture" != "$(dpkg --print-architecture)" ] &&
        ! dpkg --print-foreign-architectures | grep -qx "$architecture"; then
        "${sudo[@]}" dpkg --add-architecture "$architecture"
    fi
done
# A mirror in the middle of a sync fails an index or two: try again. apt then
# drops the whole suite of a failed index, those of other architectures with it,
# so the foreign architectures whose indexes fail are left out of the next tries. Then
# go on with the lists there are; the install fails if a package is not in them.
options=()
for try in 1 2 3; do
    { errors=$("${sudo[@]}" apt-get update -q "${options[@]}" 2>&1 >&3); } 3>&1 && break
    echo "$errors" >&2
    [ $try -eq 3 ] && echo "install-packages.sh: apt-get update failed; installing from the lists there are" >&2
    options=(-o "APT::Architectures::=$(dpkg --print-architecture)")
    for architecture in $(dpkg --print-foreign-architectures); do
        [[ $errors == *"/binary-$architecture/"* ]] || options+=(-o "APT::Architectures::=$architecture")
    done
    sleep $((try * 5))
done
install=("${sudo[@]}" apt-get install -y -q --no-install-recommends "${options[@]}")
"${install[@]}" "${missing[@]}" </dev/null && exit 0
failed=()
for package in "${missing[@]}"; do
    "${install[@]}" "$package" </dev/null >/dev/null 2>&1 ||
        failed+=("$package")
done
[ ${#failed[@]} -eq 0 ] && exit 0
echo "install-packages.sh: could not install ${failed[*]}" >&2
exit 1
