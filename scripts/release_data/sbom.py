# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
"""The bill of materials beside a package, archive or zip, ARTIFACT.cdx.json in
CycloneDX 1.6, as docs/release.md describes it; its time is SOURCE_DATE_EPOCH's
and its serial number comes from the artifact's hash."""
import hashlib
import json
import os
import platform
import re
import time
import uuid
from pathlib import Path

from . import Failure, run
from .notices import archive_of, linked_files, owners

# The licence of the code that packages link in, by the package's name: musl's C
# library, MinGW-w64's runtime, the GNU C library (also as a cross compiler's),
# and GCC's runtime, under its exception.
GCC = r"libgcc-[0-9]+-dev(-[a-z0-9]+-cross)?|gcc-mingw-w64-.*"
LICENCES = [
    (r"musl-dev", "MIT"),
    (r"mingw-w64-.*", "ZPL-2.1"),
    (r"libc6(-dev)?(-[a-z0-9]+-cross)?", "LGPL-2.1-or-later"),
    (GCC, "GPL-3.0-or-later WITH GCC-exception-3.1"),
]
PROGRAMS = ("Merovak", "Merovak.exe")


def hashes(data):
    return [
        {"alg": f"SHA-{bits}", "content": hashlib.new(f"sha{bits}", data).hexdigest()}
        for bits in (256, 512)
    ]


def licensed(expression):
    return [{"expression": expression}] if " " in expression else [{"license": {"id": expression}}]


def licence_of(package):
    for pattern, expression in LICENCES:
        if re.fullmatch(pattern, package):
            return expression
    raise Failure(f"the licence of the code in {package} is not known: name it in {__file__}")


def purl(name, version, architecture):
    """A Debian package's URL, in the namespace of this machine's system."""
    try:
        fields = platform.freedesktop_os_release()
    except OSError:
        fields = {}
    codename = fields.get("VERSION_CODENAME")
    at = f"@{version}".replace("+", "%2B") if version else ""
    distro = f"&distro={codename}" if codename else ""
    return f"pkg:deb/{fields.get('ID', 'debian')}/{name}{at}?arch={architecture}{distro}"


def package_component(package, files):
    """A Debian package whose files were linked in, at its installed version."""
    asked = "-f=${Version};${Architecture};${source:Package};${source:Version}"
    version, architecture, source, source_ver = run("dpkg-query", "-W", asked, package).split(";")
    name = package.split(":")[0]
    url = purl(name, version, architecture)
    return {
        "bom-ref": url,
        "type": "library",
        "name": name,
        "version": version,
        "purl": url,
        "supplier": {"name": "Debian"},
        "licenses": licensed(licence_of(name)),
        "pedigree": {
            "ancestors": [
                {
                    "type": "library",
                    "name": source,
                    "version": source_ver,
                    "purl": purl(source, source_ver, "source"),
                }
            ]
        },
        "properties": [{"name": "merovak:linked", "value": file} for file in sorted(files)],
    }


def required_library(artifact):
    """The C library that a Debian package or an RPM requires, at the least
    version it names, or None."""
    if artifact.suffix == ".deb":
        from debian.debfile import DebFile
        from debian.deb822 import PkgRelation

        control = DebFile(str(artifact)).debcontrol()
        least = [
            relation["version"][1]
            for alternatives in PkgRelation.parse_relations(control.get("Depends", ""))
            for relation in alternatives
            if relation["name"] == "libc6" and (relation["version"] or ("",))[0] == ">="
        ]
        if not least:
            return None
        url = purl("libc6", "", control["Architecture"])
        entry, least, requirement = (
            {"bom-ref": url, "purl": url, "name": "libc6"},
            least[0],
            f"libc6 (>= {least[0]})",
        )
    elif artifact.suffix == ".rpm":
        requires = re.findall(
            r"^(libc\.so\.6\(GLIBC_([0-9.]+)\).*)$",
            run("rpm", "-qp", "--requires", str(artifact)),
            re.M,
        )
        if not requires:
            return None
        requirement, least = max(requires, key=lambda found: [int(n) for n in found[1].split(".")])
        entry = {"bom-ref": "glibc", "name": "glibc"}
    else:
        return None
    return {
        **entry,
        "type": "library",
        "version": least,
        "scope": "required",
        "licenses": licensed(licence_of("libc6")),
        "description": f"The C library, at version {least} or later, which the package requires",
        "properties": [{"name": "merovak:requires", "value": requirement}],
    }


def supplier_of(supplier, homepage):
    """The supplier, from "Name <address>" or a name alone."""
    named = re.fullmatch(r"([^<]*[^< ]) *<([^>]+)>", supplier)
    entry = {"name": named[1], "contact": [{"email": named[2]}]} if named else {"name": supplier}
    return {**entry, **({"url": [homepage]} if homepage else {})}


def bill(artifact, link_map, stage, name, version, summary, supplier, vendor, homepage=""):
    """The bill of materials of ARTIFACT, whose files were staged in STAGE."""
    artifact, stage = Path(artifact), Path(stage)
    programs = [
        path for path in sorted(stage.rglob("*")) if path.name in PROGRAMS and path.is_file()
    ]
    if not programs:
        raise Failure(f"{stage} holds no program")
    program = programs[0].relative_to(stage).as_posix()
    supplier = supplier_of(supplier, homepage)
    root = {
        "bom-ref": artifact.name,
        "type": "application",
        "name": name,
        "version": version,
        "description": summary,
        "supplier": supplier,
        "manufacturer": {"name": vendor},
        "licenses": licensed("MIT"),
        "hashes": hashes(artifact.read_bytes()),
    }
    components = [
        {
            "bom-ref": program,
            "type": "application",
            "name": "Merovak",
            "version": version,
            "copyright": "Copyright (c) 2026 the Merovak authors",
            "licenses": licensed("MIT"),
            "hashes": hashes(programs[0].read_bytes()),
        }
    ]
    objects, members = linked_files(link_map)
    owner = owners(objects + sorted({archive_of(member) for member in members}))
    for package in sorted(set(owner.values())):
        components.append(
            package_component(
                package, [file for file in objects + members if owner[archive_of(file)] == package]
            )
        )
    components += [library for library in [required_library(artifact)] if library]
    components.sort(key=lambda component: component["bom-ref"])
    others = sorted(
        component["bom-ref"] for component in components if component["bom-ref"] != program
    )
    dependencies = [
        {"ref": artifact.name, "dependsOn": [program]},
        {"ref": program, "dependsOn": others},
    ]
    dependencies += [{"ref": ref, "dependsOn": []} for ref in others]
    moment = int(os.environ.get("SOURCE_DATE_EPOCH", time.time()))
    bom = {
        "$schema": "http://cyclonedx.org/schema/bom-1.6.schema.json",
        "bomFormat": "CycloneDX",
        "specVersion": "1.6",
        "version": 1,
        "serialNumber": f"urn:uuid:{uuid.uuid5(uuid.NAMESPACE_URL, root['hashes'][0]['content'])}",
        "metadata": {
            "timestamp": time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime(moment)),
            "lifecycles": [{"phase": "build"}],
            "supplier": supplier,
            "component": root,
        },
        "components": components,
        "dependencies": sorted(dependencies, key=lambda entry: entry["ref"]),
    }
    return json.dumps(bom, indent=2, sort_keys=True) + "\n"
