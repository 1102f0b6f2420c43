# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
"""Checks of what a release holds: its files against the releasing guide's
list, each bill of materials against the artifact beside it, the manifests of
winget and Scoop against the zips they name; each yields its faults, a line each."""
import hashlib
import re
import subprocess
import tarfile
import tempfile
import zipfile
from pathlib import Path

from . import Failure, load
from .notices import listed

WINGET_VERSION = "1.12.0"


def listed_files(page, version, settings):
    """The files that the list in PAGE names for a release of VERSION with SETTINGS: a
    name with "+.cdx.json" and its bill, where the settings that the line names are given."""
    block = re.search(r"^<!-- test: release-files -->\n```text\n(.*?)^```", load(page), re.M | re.S)
    if not block:
        raise Failure(f"{page} has no list of a release's files, <!-- test: release-files -->")
    names = []
    for line in block[1].splitlines():
        name, *words = line.replace("VERSION", version).split()
        if all(word in settings for word in words if word.startswith("MEROVAK_")):
            names += [name] + [name + word[1:] for word in words if word.startswith("+")]
    return names


def release_faults(dist, page, version, settings):
    """The files that DIST lacks, or holds besides, those of the list in PAGE."""
    listed = set(listed_files(page, version, settings))
    held = {path.relative_to(dist).as_posix() for path in Path(dist).rglob("*") if path.is_file()}
    return [f"{name}: missing, though {page} lists it" for name in sorted(listed - held)] + [
        f"{name}: made, though {page} does not list it" for name in sorted(held - listed)
    ]


def validator(schema, store=()):
    """A JSON schema validator (draft 7), references resolved in STORE: (address, schema)."""
    import jsonschema

    checks = {"format_checker": jsonschema.FormatChecker()}
    try:
        from referencing import Registry, Resource

        checks["registry"] = Registry().with_resources(
            (address, Resource.from_contents(contents)) for address, contents in store
        )
    except ImportError:  # jsonschema before 4.18, as Debian 12's
        checks["resolver"] = jsonschema.RefResolver.from_schema(schema, store=dict(store))
    return jsonschema.Draft7Validator(schema, **checks)


def schema_faults(validate, document):
    return [
        f"{error.message}, at /{'/'.join(map(str, error.absolute_path))}"
        for error in validate.iter_errors(document)
    ]


def cyclonedx_validator(folder):
    """A validator of CycloneDX 1.6, from the schemas in FOLDER."""
    store = [
        ("http://cyclonedx.org/schema/" + path.name.removesuffix(".gz"), load(path, "JSON"))
        for path in Path(folder).glob("*.json.gz")
    ]
    schema = dict(store).get("http://cyclonedx.org/schema/bom-1.6.SNAPSHOT.schema.json")
    if not schema:
        raise Failure(f"{folder} holds no CycloneDX 1.6 schema, bom-1.6.SNAPSHOT.schema.json.gz")
    return validator(schema, store)


def member(artifact, path):
    """The bytes of the file PATH in a package, archive or zip, or None."""
    try:
        return read_member(artifact, path)
    except Exception as error:  # whatever a damaged file makes its reader raise
        raise Failure(f"{artifact.name} cannot be read: {error}") from None


def read_member(artifact, path):
    name = artifact.name
    if name.endswith(".deb"):
        from debian.debfile import DebFile

        data = DebFile(str(artifact)).data
        return data.get_content(path) if data.has_file(path) else None
    if name.endswith(".rpm"):
        payload = subprocess.run(
            ["rpm2cpio", str(artifact)], capture_output=True, check=True
        ).stdout
        files = subprocess.run(
            ["cpio", "-i", "--quiet", "--to-stdout", f"./{path}"],
            input=payload,
            capture_output=True,
        )
        return files.stdout if files.returncode == 0 and files.stdout else None
    if name.endswith(".zip"):
        with zipfile.ZipFile(artifact) as archive:
            return archive.read(path) if path in archive.namelist() else None
    if name.endswith(".msi"):  # its files, in the folder that it installs them into
        with tempfile.TemporaryDirectory() as folder:
            subprocess.run(
                ["msiextract", "-C", folder, str(artifact)], capture_output=True, check=True
            )
            found = sorted(Path(folder).glob(f"**/Merovak/{path}"))
            return found[0].read_bytes() if found else None
    if name.endswith(".tar.gz"):
        with tarfile.open(artifact) as archive:
            found = next(
                (entry for entry in archive if entry.name == path and entry.isfile()), None
            )
            return archive.extractfile(found).read() if found else None
    return None


def installed_version(package):
    answer = subprocess.run(
        ["dpkg-query", "-W", "-f=${Version}", package], capture_output=True, text=True
    )
    return answer.stdout if answer.returncode == 0 else ""


def hash_faults(entries, data, what):
    if sorted(entry.get("alg", "") for entry in entries) != ["SHA-256", "SHA-512"]:
        yield f"the hashes of {what} are not its SHA-256 and SHA-512"
        return
    for entry in entries:
        if hashlib.new(entry["alg"].replace("-", ""), data).hexdigest() != entry["content"]:
            yield f"{entry['alg']} is not that of {what}"


def bom_faults(path, validate=None, installed=False):
    """What is wrong with the bill of materials at PATH."""
    artifact = path.with_name(path.name.removesuffix(".cdx.json"))
    bom = load(path, "JSON")
    if validate:
        errors = schema_faults(validate, bom)
        yield from (f"not CycloneDX 1.6: {error}" for error in errors)
        if errors:
            return
    if not artifact.is_file():
        yield f"{artifact.name}, which it describes, is not beside it"
        return
    root = bom.get("metadata", {}).get("component", {})
    components = bom.get("components", [])
    refs = {component.get("bom-ref") for component in [root, *components]}
    for dependency in bom.get("dependencies", []):
        for ref in [dependency.get("ref"), *dependency.get("dependsOn", [])]:
            if ref not in refs:
                yield f"a reference to nothing: {ref}"
    yield from hash_faults(root.get("hashes", []), artifact.read_bytes(), artifact.name)
    programs = [component for component in components if component.get("name") == "Merovak"]
    if len(programs) != 1:
        yield f"{len(programs)} programs named, not one"
    try:
        inside = [(program, member(artifact, program.get("bom-ref", ""))) for program in programs]
        notices_listed = listed(notices_in(artifact))
    except Failure as error:
        yield str(error)
        return
    for program, data in inside:
        if data is None:
            yield f"{artifact.name} holds no {program.get('bom-ref')}"
        else:
            yield from hash_faults(
                program.get("hashes", []), data, f"{program['bom-ref']} in {artifact.name}"
            )
    linked = []
    for component in components:
        url = re.fullmatch(
            r"pkg:deb/[^/]+/([^@?]+)@([^?]+)\?arch=([^&]+).*", component.get("purl", "")
        )
        if url and installed:
            version = url[2].replace("%2B", "+")
            here = installed_version(f"{url[1]}:{url[3]}")
            if not here == version == component.get("version"):
                named = f"{url[1]}:{url[3]}, named at {version} and {component.get('version')}"
                yield f"{named}, is installed at {here or 'no version'}"
        linked += [
            entry["value"]
            for entry in component.get("properties", [])
            if entry["name"] == "merovak:linked"
        ]
    for file, count in notices_listed:
        found = sum(value == file or value.startswith(file + "(") for value in linked)
        if found != count:
            yield f"{file}: the notices list {count}, the bill of materials {found}"


def notices_in(artifact):
    """The notices that an archive or zip holds, or nothing."""
    if artifact.name.endswith((".zip", ".tar.gz")):
        top = "" if artifact.name.endswith(".zip") else artifact.name.removesuffix(".tar.gz") + "/"
        data = member(artifact, f"{top}THIRD-PARTY-NOTICES")
        return data.decode() if data else ""
    return ""


def msi_property(path, name):
    """A property of a Windows Installer package, as its Property table holds it."""
    table = subprocess.run(
        ["msiinfo", "export", str(path), "Property"], capture_output=True, text=True
    )
    found = re.search(rf"^{name}\t(.*)$", table.stdout, re.M)
    return found[1] if found else None


def manifest_faults(dist, schemas=None):
    """What is wrong with the manifests in DIST: each valid by its schema, where SCHEMAS
    holds them, and naming each Windows zip and MSI beside it, as its bytes, codes and files say."""
    dist = Path(dist)
    files = {
        path.name: path
        for pattern in ("*-windows-*.zip", "*-windows-*.msi")
        for path in dist.glob(pattern)
    }
    named = []  # (manifest, address, SHA-256, the files it points into, its installer)

    def validate(name, manifest, schema):
        if schemas:
            schema = load(Path(schemas) / schema, "JSON")
            yield from (f"{name}: {fault}" for fault in schema_faults(validator(schema), manifest))

    winget = sorted((dist / "winget").glob("*.yaml"))
    for path in winget:
        manifest = load(path, "YAML")
        kind = manifest.get("ManifestType")
        schema = f"winget-{WINGET_VERSION}/manifest.{kind}.{WINGET_VERSION}.json"
        yield from validate(path.name, manifest, schema)
        for entry in manifest.get("Installers", []):
            inside = [file["RelativeFilePath"] for file in entry.get("NestedInstallerFiles", [])]
            address, sha256 = entry["InstallerUrl"], entry["InstallerSha256"].lower()
            named.append((path.name, address, sha256, inside or ["Merovak.exe"], entry))
    scoop = load(dist / "merovak.json", "JSON")
    yield from validate("merovak.json", scoop, "scoop/schema.json")
    for entry in scoop["architecture"].values():
        named.append(("merovak.json", entry["url"], entry["hash"], [scoop["bin"]], {}))
    for manifest, address, sha256, inside, entry in named:
        name = address.rsplit("/", 1)[-1]
        if name not in files:
            yield f"{manifest}: {address} names nothing beside it"
            continue
        if hashlib.sha256(files[name].read_bytes()).hexdigest() != sha256:
            yield f"{manifest}: {sha256} is not the SHA-256 of {name}"
        yield from (
            f"{manifest}: {name} holds no {file}"
            for file in inside
            if member(files[name], file) is None
        )
        if name.endswith(".msi"):
            upgrades = [held.get("UpgradeCode") for held in entry.get("AppsAndFeaturesEntries", [])]
            for code, stated in [
                ("ProductCode", entry.get("ProductCode")),
                ("UpgradeCode", (upgrades or [None])[0]),
            ]:
                if stated != msi_property(files[name], code):
                    yield f"{manifest}: {name} holds another {code} than {stated}"
    for name in files:
        sources = sorted(
            manifest for manifest, address, *_ in named if address.endswith("/" + name)
        )
        wanted = ["Merovak.Merovak.installer.yaml"] + (
            ["merovak.json"] if name.endswith(".zip") else []
        )
        if sources != wanted:
            yield f"{name} is named by {sources or 'no manifest'}, not by {' and '.join(wanted)}"
