#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# The files of the release that the release test keeps, against their schemas.
# With "cyclonedx", every bill of materials against CycloneDX 1.6, with the
# README's lines in a download's folder, and one made invalid is refused; the
# schemas are those of the tree. With
# "manifests", winget's and Scoop's manifests against theirs, which the
# project does not hold: they are read from the folder schemas/ of the one
# beside the project (../shared/schemas). Skipped where the schemas or the
# kept release are lacking.
# Usage: schemas_test.sh cyclonedx|manifests SOURCE_DIR KEPT_DIR
set -u
mode=$1 source=$2 kept=$3
# shellcheck source=harness.sh
. "$(dirname "$0")/harness.sh"
needsFile "$kept/dist/SHA256SUMS" "a release that the release test keeps (ctest -R '^release\$' first)"
/usr/bin/python3 -c 'import jsonschema, yaml' 2>/dev/null ||
    lacks+=("Python's jsonschema and yaml (Debian packages python3-jsonschema, python3-yaml)")
if [ "$mode" = cyclonedx ]; then
    for tool in rpm2cpio:rpm2cpio msiextract:msitools; do needs "${tool%:*}" "${tool#*:}"; done
else
    schemas=$(realpath -m "$source/../shared/schemas")
    needsFile "$schemas/winget-1.12.0" "the schemas of winget's and Scoop's manifests, beside the project"
fi
lacking
if [ "$mode" = manifests ]; then
    expect "manifests valid by their schemas" "$source/scripts/release-data" check-manifests --schemas "$schemas" \
        "$kept/dist"
    finish
    exit
fi
sboms=$(page "$source/README.md" check-sboms) || exit 1
archive=$(find "$kept/dist" -name 'merovak-*.tar.gz' ! -name 'merovak-*-*-*' -printf '%f') # the source's
version=${archive#merovak-} version=${version%.tar.gz}
sboms=${sboms//VERSION/$version}
download=$work/download
mkdir "$download"
expect 'the release files' find "$kept/dist" -maxdepth 1 -type f -exec cp -t "$download" {} +
expect 'bills of materials valid, as the README checks them' bash -c "cd \"\$1\" && $sboms" - "$download"
boms=("$download"/*.tar.gz.cdx.json)
sed -i 's/"SHA-512"/"SHA-5l2"/' "${boms[0]}"
expect 'a hash of no such algorithm refused' bash -c "cd \"\$1\" && ! { $sboms; }" - "$download"
has 'a hash of no such algorithm: not CycloneDX' 'not CycloneDX 1.6'
finish
