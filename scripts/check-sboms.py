#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
"""Checks the bills of materials beside a release's artifacts: each is valid
CycloneDX 1.6 by the schemas in SCHEMAS (scripts/cyclonedx-schemas.sh fetches
them); every reference in it resolves; its hashes are the artifact's; every
file that the artifact's notices list is among those linked in, with as many
members of each archive as the notices count; with --installed, on the machine
that made them, each Debian package in it is at the version installed. Says
what is wrong with each, and exits with 1 if anything is.
Usage: check-sboms.py [--installed] SCHEMAS SBOM..."""
import hashlib
import json
import re
import subprocess
import sys
import tarfile
import warnings
import zipfile
from pathlib import Path

warnings.simplefilter("ignore", DeprecationWarning)
import jsonschema  # noqa: E402

arguments = sys.argv[1:]
installed = arguments[0] == "--installed"
schemas = Path(arguments[installed])
store = {"http://cyclonedx.org/schema/" + f.name: json.loads(f.read_text()) for f in schemas.glob("*.json")}
schema = json.loads((schemas / "bom-1.6.SNAPSHOT.schema.json").read_text())
validator = jsonschema.Draft7Validator(schema, resolver=jsonschema.RefResolver.from_schema(schema, store=store),
                                       format_checker=jsonschema.FormatChecker())


def linkedFiles(artifact):
    """The list of files linked in, from the notices that the artifact holds, if any."""
    text = ""
    if artifact.suffix == ".zip":
        with zipfile.ZipFile(artifact) as z:
            text = z.read("THIRD-PARTY-NOTICES").decode()
    elif artifact.name.endswith(".tar.gz") and "linux" in artifact.name:
        with tarfile.open(artifact) as t:
            text = t.extractfile(next(m for m in t if m.name.endswith("/THIRD-PARTY-NOTICES"))).read().decode()
    return text.split("\nThe copyright and licence of each package")[0]


def faults(path):
    try:
        bom = json.loads(path.read_text())
    except json.JSONDecodeError as error:
        yield f"not JSON: {error}"
        return
    errors = [f"{e.message}, at /{'/'.join(map(str, e.absolute_path))}" for e in validator.iter_errors(bom)]
    if errors:
        yield from (f"not CycloneDX 1.6: {error}" for error in errors)
        return
    root = bom.get("metadata", {}).get("component", {})
    components = bom.get("components", [])
    refs = {component.get("bom-ref") for component in [root, *components]}
    for dependency in bom.get("dependencies", []):
        for ref in [dependency.get("ref"), *dependency.get("dependsOn", [])]:
            if ref not in refs:
                yield f"a reference to nothing: {ref}"
    artifact = path.with_name(path.name.removesuffix(".cdx.json"))
    if sorted(entry["alg"] for entry in root.get("hashes", [])) != ["SHA-256", "SHA-512"]:
        yield "the artifact's hashes are not its SHA-256 and SHA-512"
    for entry in root.get("hashes", []):
        if hashlib.new(entry["alg"].replace("-", ""), artifact.read_bytes()).hexdigest() != entry["content"]:
            yield f"{entry['alg']} is not that of {artifact.name}"
    linked = []
    for component in components:
        url = re.fullmatch(r"pkg:deb/debian/([^@?]+)@([^?]+)\?arch=([^&]+).*", component.get("purl", ""))
        if url and installed:
            version = url[2].replace("%2B", "+")
            here = subprocess.run(["dpkg-query", "-W", "-f=${Version}", f"{url[1]}:{url[3]}"],
                                  capture_output=True, text=True).stdout
            if not here == version == component.get("version"):
                yield f"{url[1]}:{url[3]}, named at {version} and {component.get('version')}, is installed at " \
                    + (here or "no version")
        linked += [p["value"] for p in component.get("properties", []) if p["name"] == "merovak:linked"]
    for file, count in re.findall(r"^  (/\S+?),? (?:\((\d+) of its members\))?", linkedFiles(artifact), re.M):
        found = sum(value == file or value.startswith(file + "(") for value in linked)
        if found != int(count or 1):
            yield f"{file}: the notices list {count or 1}, the bill of materials {found}"


failed = False
for path in map(Path, arguments[installed + 1:]):
    for fault in faults(path):
        print(f"{path.name}: {fault}")
        failed = True
sys.exit(failed)
