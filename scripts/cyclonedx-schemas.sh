#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Puts the CycloneDX project's JSON schemas, which release-data checks the
# bills of materials against, in build/cyclonedx: from its JavaScript library
# on the npm registry, at a pinned version whose SHA-512 the registry states.
# Installs what fetching and checking need where it is missing (apt-get, as
# root or through sudo): curl, Python's jsonschema, and what reads the
# packages (python3-debian, rpm2cpio).
set -euo pipefail
cd "$(dirname "$0")/.."
library=cyclonedx-library-10.3.0.tgz
sha512=4484f6f2ca755343c21da69e177c8d47093a26283f5c9f14b1801538c61a1d0fb45553afb23729d0f4d64052d4a89145f1732e77e29daba1bec2d0c087e40914
bash scripts/install-packages.sh python3-jsonschema python3-debian rpm2cpio cpio
[ ! -e build/cyclonedx/bom-1.6.SNAPSHOT.schema.json ] || exit 0
bash scripts/install-packages.sh curl ca-certificates
mkdir -p build/cyclonedx
curl -fsSL -o "build/$library" "https://registry.npmjs.org/@cyclonedx/cyclonedx-library/-/$library"
echo "$sha512  build/$library" | sha512sum -c --quiet
tar -xzf "build/$library" -C build/cyclonedx --strip-components=3 package/res/schema
rm "build/$library"
