#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Signs FILE with the OpenPGP keys KEY... (by default MEROVAK_SIGNING_KEY),
# armoured, into OUTPUT, detached or in clear text, at SOURCE_DATE_EPOCH's time
# (whose warning gpg gives is left out): Ed25519 and RSA keys sign alike.
# Usage: sign.sh --detach-sign|--clearsign OUTPUT FILE [KEY...]
set -euo pipefail
users=()
for key in "${@:4}"; do users+=(--local-user "$key"); done
[ ${#users[@]} -gt 0 ] || users=(--local-user "${MEROVAK_SIGNING_KEY:?}")
{ gpg --batch --yes --faked-system-time "${SOURCE_DATE_EPOCH:?}!" "${users[@]}" \
    --armor "$1" --output "$2" "$3" 2>&1 >&3 | { grep -v 'faked system time' >&2 || true; }; } 3>&1
