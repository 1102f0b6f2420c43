#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
"""Writes and checks the data that a release carries beside its programs.

  notices MAP TITLE OUTPUT   THIRD-PARTY-NOTICES for a program that holds code of
                             other projects: the files that the linker took in, as
                             its map (GNU ld's or lld's) says, and the copyright file
                             of each Debian package that holds them
  sbom ... ARTIFACT          ARTIFACT.cdx.json, a CycloneDX 1.6 bill of materials
  check [--installed] SCHEMAS SBOM...
                             checks bills of materials against the CycloneDX schemas
                             in SCHEMAS and against the files beside them
  rpm-changelog CHANGELOG    the entries of a Debian changelog, as an RPM's
  text MARKDOWN OUTPUT       a guide as plain text with Windows line ends
  manifests URL DIST         the manifests of winget and Scoop for the Windows zips
                             in DIST, to be downloaded from the folder URL
  check-manifests SCHEMAS DIST
                             checks them against the schemas of winget (SCHEMAS/
                             winget-1.12.0) and Scoop (SCHEMAS/scoop) and the zips

The same inputs give the same bytes: keys and lists are sorted, the time is
SOURCE_DATE_EPOCH's, and the serial number comes from the artifact's hash."""
import argparse
import hashlib
import json
import os
import re
import shutil
import subprocess
import sys
import tarfile
import time
import uuid
import zipfile
from email.utils import parsedate_to_datetime
from pathlib import Path

# The licence of the code that packages link in, by the package's name: musl's C
# library, MinGW-w64's runtime, the GNU C library (also as a cross compiler's),
# and GCC's runtime, under its exception.
LICENCES = [(r"musl-dev", "MIT"), (r"mingw-w64-.*", "ZPL-2.1"),
            (r"libc6(-dev)?(-[a-z0-9]+-cross)?", "LGPL-2.1-or-later"),
            (r"libgcc-[0-9]+-dev(-[a-z0-9]+-cross)?|gcc-mingw-w64-.*", "GPL-3.0-or-later WITH GCC-exception-3.1")]
NOTICES_END = "\nThe copyright and licence of each package"


def fail(message):
    sys.exit(f"release_data.py: {message}")


def linkedFiles(mapPath):
    """The files of other projects in a program, as its link map names them:
    objects loaded whole (start files) and archive members, as ARCHIVE(MEMBER),
    each once and sorted. The program's own files have relative paths and are
    left out. A map that names none of them stops the script."""
    text = Path(mapPath).read_text(errors="replace")
    if re.match(r"\s*VMA\s+LMA\s+Size\s+Align\s+Out\s+In\s+Symbol", text):  # lld
        objects = re.findall(r"\s(/[^\s():]+\.o):\(", text)
        members = re.findall(r"\s(/[^\s()]+\.a\([^)]+\)):\(", text)
    else:  # GNU ld: members under their heading, objects as LOAD lines
        included = re.search(r"^Archive member included.*?(?=^Discarded input sections|^Memory Configuration)",
                             text, re.M | re.S)
        members = re.findall(r"^(/[^(\s]+\.a\([^)]+\))", included[0] if included else "", re.M)
        objects = re.findall(r"^LOAD (/\S+\.o)$", text, re.M)
    normal = lambda path: re.sub(r"^[^(]+", lambda m: os.path.normpath(m[0]), path)
    objects, members = sorted({normal(o) for o in objects}), sorted({normal(m) for m in members})
    if not objects and not members:
        fail(f"{mapPath}: no file linked into the program can be read from this map of the link")
    return objects, members


def archiveOf(file):
    return file.split("(")[0]


def owners(paths):
    """Each path's Debian package, as NAME:ARCHITECTURE or NAME (dpkg -S)."""
    answer = subprocess.run(["dpkg", "-S", *paths], capture_output=True, text=True)
    if answer.returncode:
        fail(f"no package owns a file linked into the program: {answer.stderr.strip()}")
    return {path: package for package, path in re.findall(r"^([^:, ]+(?::[a-z0-9]+)?): (/.+)$", answer.stdout, re.M)}


def notices(args):
    objects, members = linkedFiles(args.map)
    archives = sorted({archiveOf(m) for m in members})
    owner = owners(objects + archives) if shutil.which("dpkg") and not args.no_dpkg else {}
    source = "these files of Debian's packages" if owner else "these files of the build machine"
    text = f"{args.title}\n\nBesides its own code (see LICENSE), the program holds code of other projects,\n" \
           f"linked in from {source}:\n\n"
    for path in objects + archives:
        count = f" ({sum(archiveOf(m) == path for m in members)} of its members)" if path in archives else ""
        origin = f", from {owner[path].split(':')[0]}" if path in owner else ""
        text += f"  {path}{count}{origin}\n"
    if not owner:
        text += "\nTheir copyright and licence texts could not be gathered: this build machine\n" \
                "has no Debian package tools to tell which packages hold them. Find them in\n" \
                "the documentation of the packages that installed these files.\n"
    packages = sorted({package.split(":")[0] for package in owner.values()})
    if packages:
        text += f"{NOTICES_END}, as it states them, follow.\n"
    for package in packages:
        copyright = Path(f"/usr/share/doc/{package}/copyright").read_text()
        text += f"\n\n==== {package}: /usr/share/doc/{package}/copyright ====\n\n{copyright}"
    Path(args.output).write_text(text)


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, check=True).stdout


def hashes(path):
    data = Path(path).read_bytes()
    return [{"alg": f"SHA-{bits}", "content": hashlib.new(f"sha{bits}", data).hexdigest()} for bits in (256, 512)]


def licensed(expression):
    return [{"expression": expression}] if " " in expression else [{"license": {"id": expression}}]


def licenceOf(package):
    for pattern, expression in LICENCES:
        if re.fullmatch(pattern, package):
            return expression
    fail(f"the licence of the code in {package} is not known: name it in {__file__}")


def distribution():
    """The namespace and qualifier of a Debian package's URL, for this machine's system."""
    release = Path("/etc/os-release")
    fields = dict(re.findall(r'^([A-Z_]+)="?([^"\n]*)"?$', release.read_text(), re.M)) if release.exists() else {}
    codename = fields.get("VERSION_CODENAME")
    return fields.get("ID", "debian"), f"&distro={codename}" if codename else ""


def purl(name, version, architecture):
    namespace, distro = distribution()
    at = f"@{version}".replace("+", "%2B") if version else ""
    return f"pkg:deb/{namespace}/{name}{at}?arch={architecture}{distro}"


def packageComponent(package, files):
    """A Debian package whose files were linked in, at its installed version."""
    fields = run("dpkg-query", "-W", "-f=${Version};${Architecture};${source:Package};${source:Version}", package)
    version, architecture, sourceName, sourceVersion = fields.split(";")
    name = package.split(":")[0]
    ancestor = {"type": "library", "name": sourceName, "version": sourceVersion,
                "purl": purl(sourceName, sourceVersion, "source")}
    url = purl(name, version, architecture)
    return {"bom-ref": url, "type": "library", "name": name, "version": version, "purl": url,
            "supplier": {"name": "Debian"}, "pedigree": {"ancestors": [ancestor]}, "licenses": licensed(licenceOf(name)),
            "properties": [{"name": "merovak:linked", "value": file} for file in sorted(files)]}


def requiredLibrary(artifact):
    """The C library that a Debian package or an RPM requires, at the least version it names."""
    if artifact.suffix == ".deb":
        depends = run("dpkg-deb", "-f", str(artifact), "Depends")
        required = re.search(r"libc6 \(>= ([^)]+)\)", depends)
        if not required:
            return None
        url = purl("libc6", "", run("dpkg-deb", "-f", str(artifact), "Architecture").strip())
        entry, least, requirement = {"bom-ref": url, "purl": url, "name": "libc6"}, required[1], required[0]
    elif artifact.suffix == ".rpm":
        requires = re.findall(r"^(libc\.so\.6\(GLIBC_([0-9.]+)\).*)$", run("rpm", "-qp", "--requires", str(artifact)), re.M)
        if not requires:
            return None
        requirement, least = max(requires, key=lambda r: [int(n) for n in r[1].split(".")])
        entry = {"bom-ref": "glibc", "name": "glibc"}
    else:
        return None
    return {**entry, "type": "library", "version": least, "scope": "required", "licenses": licensed(licenceOf("libc6")),
            "description": f"The C library, at version {least} or later, which the package requires",
            "properties": [{"name": "merovak:requires", "value": requirement}]}


def sbom(args):
    artifact = Path(args.artifact)
    if not shutil.which("dpkg-query"):
        fail("a bill of materials names the Debian packages linked in: dpkg is needed")
    stage = Path(args.stage)
    program = next(p for p in sorted(stage.rglob("*")) if p.name in ("Merovak", "Merovak.exe") and p.is_file())
    supplier = {"name": args.supplier}
    named = re.fullmatch(r"([^<]*[^< ]) *<([^>]+)>", args.supplier)
    if named:
        supplier = {"name": named[1], "contact": [{"email": named[2]}]}
    if args.homepage:
        supplier["url"] = [args.homepage]
    root = {"bom-ref": artifact.name, "type": "application", "name": args.name, "version": args.version,
            "description": args.summary, "supplier": supplier, "manufacturer": {"name": args.vendor},
            "licenses": licensed("MIT"), "hashes": hashes(artifact)}
    programRef = program.relative_to(stage).as_posix()
    components = [{"bom-ref": programRef, "type": "application", "name": "Merovak",
                   "version": args.version, "copyright": "Copyright (c) 2026 the Merovak authors",
                   "licenses": licensed("MIT"), "hashes": hashes(program)}]
    objects, members = linkedFiles(args.map)
    owner = owners(objects + sorted({archiveOf(m) for m in members}))
    for package in sorted(set(owner.values())):
        components.append(packageComponent(package, [f for f in objects + members if owner[archiveOf(f)] == package]))
    required = requiredLibrary(artifact)
    components += [required] if required else []
    components.sort(key=lambda component: component["bom-ref"])
    others = sorted(c["bom-ref"] for c in components if c["bom-ref"] != programRef)
    dependencies = [{"ref": artifact.name, "dependsOn": [programRef]}, {"ref": programRef, "dependsOn": others}]
    dependencies += [{"ref": ref, "dependsOn": []} for ref in others]
    moment = int(os.environ.get("SOURCE_DATE_EPOCH", time.time()))
    bom = {"$schema": "http://cyclonedx.org/schema/bom-1.6.schema.json", "bomFormat": "CycloneDX",
           "specVersion": "1.6", "version": 1,
           "serialNumber": f"urn:uuid:{uuid.uuid5(uuid.NAMESPACE_URL, root['hashes'][0]['content'])}",
           "metadata": {"timestamp": time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime(moment)),
                        "lifecycles": [{"phase": "build"}], "supplier": supplier, "component": root},
           "components": components, "dependencies": sorted(dependencies, key=lambda d: d["ref"])}
    Path(f"{artifact}.cdx.json").write_text(json.dumps(bom, indent=2, sort_keys=True) + "\n")


def validator(schemas):
    """A validator for CycloneDX 1.6, whose schema refers to others in SCHEMAS."""
    import jsonschema
    store = {"http://cyclonedx.org/schema/" + f.name: json.loads(f.read_text()) for f in Path(schemas).glob("*.json")}
    schema = store["http://cyclonedx.org/schema/bom-1.6.SNAPSHOT.schema.json"]
    try:
        from referencing import Registry, Resource
        registry = Registry().with_resources((uri, Resource.from_contents(s)) for uri, s in store.items())
        return jsonschema.Draft7Validator(schema, registry=registry, format_checker=jsonschema.FormatChecker())
    except ImportError:  # jsonschema before 4.18, as Debian 12's
        return jsonschema.Draft7Validator(schema, resolver=jsonschema.RefResolver.from_schema(schema, store=store),
                                          format_checker=jsonschema.FormatChecker())


def noticesIn(artifact):
    """The list of files linked in, from the notices that the artifact holds, if any."""
    text = ""
    if artifact.suffix == ".zip":
        with zipfile.ZipFile(artifact) as z:
            text = z.read("THIRD-PARTY-NOTICES").decode()
    elif artifact.name.endswith(".tar.gz"):
        with tarfile.open(artifact) as t:
            member = next((m for m in t if m.name.endswith("/THIRD-PARTY-NOTICES")), None)
            text = t.extractfile(member).read().decode() if member else ""
    return text.split(NOTICES_END)[0]


def faults(validate, path, installed):
    try:
        bom = json.loads(path.read_text())
    except json.JSONDecodeError as error:
        yield f"not JSON: {error}"
        return
    errors = [f"{e.message}, at /{'/'.join(map(str, e.absolute_path))}" for e in validate.iter_errors(bom)]
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
        url = re.fullmatch(r"pkg:deb/[^/]+/([^@?]+)@([^?]+)\?arch=([^&]+).*", component.get("purl", ""))
        if url and installed:
            version = url[2].replace("%2B", "+")
            here = subprocess.run(["dpkg-query", "-W", "-f=${Version}", f"{url[1]}:{url[3]}"],
                                  capture_output=True, text=True).stdout
            if not here == version == component.get("version"):
                yield f"{url[1]}:{url[3]}, named at {version} and {component.get('version')}, is installed at " \
                    + (here or "no version")
        linked += [p["value"] for p in component.get("properties", []) if p["name"] == "merovak:linked"]
    for file, count in re.findall(r"^  (/\S+?),? (?:\((\d+) of its members\))?", noticesIn(artifact), re.M):
        found = sum(value == file or value.startswith(file + "(") for value in linked)
        if found != int(count or 1):
            yield f"{file}: the notices list {count or 1}, the bill of materials {found}"


def check(args):
    validate, failed = validator(args.schemas), False
    for path in map(Path, args.sboms):
        for fault in faults(validate, path, args.installed):
            print(f"{path.name}: {fault}")
            failed = True
    sys.exit(failed)


def rpmChangelog(args):
    entries = re.findall(r"^\S+ \(([^)]+)\)[^\n]*\n\n(.*?)\n\n -- (.+?)  (.+)$", Path(args.changelog).read_text(),
                         re.M | re.S)
    print("\n\n".join(f"* {parsedate_to_datetime(date).strftime('%a %b %d %Y')} {maintainer} - {version}-1\n"
                       + re.sub(r"^  \* ", "- ", changes, flags=re.M).replace("\n    ", "\n  ")
                       for version, changes, maintainer, date in entries))


def text(args):
    """A guide in Markdown as plain text for Notepad: no comments, headings
    underlined, code blocks indented, no inline markup, lines ending CR LF."""
    lines, code = [], False
    for line in Path(args.markdown).read_text().splitlines():
        heading = re.fullmatch(r"(#+) (.*)", line)
        if line.startswith("```"):
            code = not code
        elif code:
            lines.append(f"    {line}".rstrip())
        elif re.fullmatch(r"<!--.*-->", line):
            continue
        elif heading:
            lines += [heading[2], ("=" if len(heading[1]) == 1 else "-") * len(heading[2])]
        else:
            line = re.sub(r"\[([^]]+)\]\(([^)]+)\)", lambda link: link[1] + (
                f" ({link[2]})" if link[2].startswith("http") else ""), line)
            lines.append(line.replace("`", ""))
    Path(args.output).write_bytes(("\r\n".join(lines).strip() + "\r\n").encode())


# The processors of the Windows zips, as winget and Scoop name them.
SCOOP_ARCHITECTURES = {"x86": "32bit", "x64": "64bit", "arm64": "arm64"}
WINGET_VERSION = "1.12.0"


def manifests(args):
    """winget's multi-file manifests in DIST/winget and Scoop's DIST/merovak.json,
    for the Windows zips in DIST as their bills of materials describe them."""
    import yaml
    dist = Path(args.dist)
    zips = {}
    for bom in sorted(dist.glob("*-windows-*.zip.cdx.json")):
        root = json.loads(bom.read_text())["metadata"]
        zips[re.search(r"-windows-([a-z0-9]+)\.zip$", root["component"]["bom-ref"])[1]] = root
    if not zips:
        fail(f"no Windows zip with its bill of materials in {dist}")
    metadata = next(iter(zips.values()))
    root = metadata["component"]
    version, homepage = root["version"], root["supplier"].get("url", [None])[0]
    url = lambda name: args.url + ("" if args.url.endswith("/") else "/") + name
    sha256 = lambda root: next(h["content"] for h in root["hashes"] if h["alg"] == "SHA-256")
    identity = {"PackageIdentifier": "Merovak.Merovak", "PackageVersion": version}
    installers = [{"Architecture": architecture, "InstallerType": "zip", "NestedInstallerType": "portable",
                   "NestedInstallerFiles": [{"RelativeFilePath": "Merovak.exe", "PortableCommandAlias": "Merovak"}],
                   "InstallerUrl": url(meta["component"]["bom-ref"]), "InstallerSha256": sha256(meta["component"]).upper()}
                  for architecture, meta in zips.items()]
    locale = {"PackageLocale": "en-US", "Publisher": root["manufacturer"]["name"], "PackageName": "Merovak",
              **({"PackageUrl": homepage} if homepage else {}), "License": "MIT",
              "ShortDescription": root["description"], "Moniker": "merovak"}
    files = {"": {"DefaultLocale": "en-US", "ManifestType": "version"},
             ".installer": {"Installers": installers, "ReleaseDate": metadata["timestamp"][:10],
                            "ManifestType": "installer"},
             ".locale.en-US": {**locale, "ManifestType": "defaultLocale"}}
    (dist / "winget").mkdir(exist_ok=True)
    for suffix, manifest in files.items():
        kind = manifest["ManifestType"]
        text = f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}.{WINGET_VERSION}.schema.json\n\n"
        text += yaml.safe_dump({**identity, **manifest, "ManifestVersion": WINGET_VERSION}, sort_keys=False, width=1000)
        (dist / "winget" / f"Merovak.Merovak{suffix}.yaml").write_text(text)
    # A bucket finds a newer version by the name of its x64 zip on the home page
    # (or else in the download folder), and takes its files from where this
    # version's are, with the version in the URL replaced, and their SHA-256
    # from the SHA256SUMS beside them.
    newest = max(zips, key=lambda architecture: architecture == "x64")
    scoop = {"version": version, "description": root["description"], "homepage": homepage or args.url,
             "license": "MIT",
             "architecture": {SCOOP_ARCHITECTURES[architecture]: {"url": url(meta["component"]["bom-ref"]),
                                                                   "hash": sha256(meta["component"])}
                              for architecture, meta in zips.items()},
             "bin": "Merovak.exe",
             "checkver": {"url": homepage or args.url,
                          "regex": zips[newest]["component"]["bom-ref"].replace(version, "([\\d.]+)", 1)
                          .replace(".zip", "\\.zip")},
             "autoupdate": {"architecture": {SCOOP_ARCHITECTURES[architecture]: {
                 "url": url(meta["component"]["bom-ref"]).replace(version, "$version")}
                 for architecture, meta in zips.items()}, "hash": {"url": "$baseurl/SHA256SUMS"}}}
    (dist / "merovak.json").write_text(json.dumps(scoop, indent=4) + "\n")


def manifestFaults(schemas, dist):
    """What is wrong with the manifests in DIST: each valid by its schema, and
    naming each Windows zip beside it, by its SHA-256, with the program at its root."""
    import jsonschema
    import yaml
    zips = {path.name: path for path in dist.glob("*-windows-*.zip")}
    named = []  # (manifest, URL, SHA-256, the files it points into)

    def validate(name, manifest, schema):
        schema = json.loads(schema.read_text())
        for error in jsonschema.Draft7Validator(schema, format_checker=jsonschema.FormatChecker()).iter_errors(manifest):
            yield f"{name}: {error.message}, at /{'/'.join(map(str, error.absolute_path))}"

    winget = sorted((dist / "winget").glob("*.yaml"))
    for path in winget:
        manifest = yaml.safe_load(path.read_text())
        kind = manifest.get("ManifestType")
        yield from validate(path.name, manifest, Path(schemas) / f"winget-{WINGET_VERSION}/manifest.{kind}.{WINGET_VERSION}.json")
        named += [(path.name, installer["InstallerUrl"], installer["InstallerSha256"].lower(),
                   [file["RelativeFilePath"] for file in installer["NestedInstallerFiles"]])
                  for installer in manifest.get("Installers", [])]
    scoop = json.loads((dist / "merovak.json").read_text())
    yield from validate("merovak.json", scoop, Path(schemas) / "scoop/schema.json")
    named += [("merovak.json", entry["url"], entry["hash"], [scoop["bin"]]) for entry in scoop["architecture"].values()]
    for manifest, link, sha256, inside in named:
        name = link.rsplit("/", 1)[-1]
        if name not in zips:
            yield f"{manifest}: {link} names no zip beside it"
            continue
        if hashlib.sha256(zips[name].read_bytes()).hexdigest() != sha256:
            yield f"{manifest}: {sha256} is not the SHA-256 of {name}"
        with zipfile.ZipFile(zips[name]) as z:
            yield from (f"{manifest}: {file} is not at the root of {name}" for file in inside if file not in z.namelist())
    for name in zips:
        sources = sorted(manifest for manifest, link, *_ in named if link.endswith("/" + name))
        if sources != ["Merovak.Merovak.installer.yaml", "merovak.json"]:
            yield f"{name} is named by {sources or 'no manifest'}, not by winget's installer and Scoop's manifest"
    if len(winget) != 3:
        yield f"winget: {len(winget)} manifests, not the version, installer and default locale"


def checkManifests(args):
    faults = list(manifestFaults(args.schemas, Path(args.dist)))
    for fault in faults:
        print(fault)
    sys.exit(bool(faults))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    commands = parser.add_subparsers(dest="command", required=True)
    command = commands.add_parser("notices", help="a program's THIRD-PARTY-NOTICES, from its link map")
    command.add_argument("--no-dpkg", action="store_true", help="list the files without asking dpkg for their packages")
    command.add_argument("map")
    command.add_argument("title")
    command.add_argument("output")
    command.set_defaults(run=notices)
    command = commands.add_parser("sbom", help="ARTIFACT.cdx.json, the artifact's bill of materials")
    for option in ("map", "stage", "name", "version", "summary", "supplier", "vendor"):
        command.add_argument(f"--{option}", required=True)
    command.add_argument("--homepage", default="")
    command.add_argument("artifact")
    command.set_defaults(run=sbom)
    command = commands.add_parser("check", help="check bills of materials")
    command.add_argument("--installed", action="store_true", help="each package at the version installed here")
    command.add_argument("schemas")
    command.add_argument("sboms", nargs="+")
    command.set_defaults(run=check)
    command = commands.add_parser("rpm-changelog", help="a Debian changelog's entries, as an RPM's")
    command.add_argument("changelog")
    command.set_defaults(run=rpmChangelog)
    command = commands.add_parser("text", help="a guide as plain text, lines ending CR LF")
    command.add_argument("markdown")
    command.add_argument("output")
    command.set_defaults(run=text)
    command = commands.add_parser("manifests", help="the manifests of winget and Scoop for the Windows zips")
    command.add_argument("url", help="the folder that the zips are downloaded from")
    command.add_argument("dist", help="the folder of the zips and their bills of materials")
    command.set_defaults(run=manifests)
    command = commands.add_parser("check-manifests", help="check the manifests of winget and Scoop")
    command.add_argument("schemas", help="the folder of their schemas: winget-1.12.0/ and scoop/")
    command.add_argument("dist")
    command.set_defaults(run=checkManifests)
    args = parser.parse_args()
    args.run(args)


if __name__ == "__main__":
    main()
