# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
"""The manifests of winget (DIST/winget, its multi-file form) and Scoop
(DIST/merovak.json) for a release's Windows zips and, for winget, its Windows
Installer packages, as their bills of materials describe them, at URL."""
import json
import uuid
from pathlib import Path

from . import Failure, load
from .checks import WINGET_VERSION
from .presets import Table


def msi_codes(upgrade_code, version):
    """A Windows Installer package's ProductCode, package code and component
    code, which follow from its UpgradeCode and the version, as it writes them."""
    try:
        namespace = uuid.UUID(upgrade_code)
    except ValueError:
        raise Failure(f"not an UpgradeCode: {upgrade_code}") from None
    names = {"product": f"Merovak {version}", "package": f"Merovak {version} package",
             "component": "Merovak program"}  # fmt: skip
    return {key: f"{{{uuid.uuid5(namespace, name)}}}".upper() for key, name in names.items()}


def sha256(component):
    return next(entry["content"] for entry in component["hashes"] if entry["alg"] == "SHA-256")


def installer(table, build, kind, version, url, component):
    """winget's installer of a Windows file: a zip, of a portable program that a
    user installs for themselves, or an MSI, installed for the machine."""
    entry = {"Architecture": table.processor(build, "winget"), "InstallerType": kind}
    if kind == "zip":
        nested = [{"RelativeFilePath": "Merovak.exe", "PortableCommandAlias": "Merovak"}]
        entry.update(NestedInstallerType="portable", NestedInstallerFiles=nested, Scope="user")
    else:
        upgrade = table.facts(build)["upgradeCode"]
        entry.update(Scope="machine", ProductCode=msi_codes(upgrade, version)["product"])
        entry["AppsAndFeaturesEntries"] = [{"UpgradeCode": upgrade}]
    entry.update(InstallerUrl=url + component["bom-ref"], InstallerSha256=sha256(component).upper())
    return entry


def write(url, dist, version, table=None):
    import yaml

    table, dist = table or Table(), Path(dist)
    url += "" if url.endswith("/") else "/"
    files = []  # (build, format, the file's metadata), of the zips and MSIs
    for build in table.shipping():
        for file, kind, _ in table.artifacts(build, version):
            bom = dist / f"{file}.cdx.json"
            if kind in ("zip", "msi") and bom.exists():
                files.append((build, kind, load(bom, "JSON")["metadata"]))
    zips = [(build, metadata) for build, kind, metadata in files if kind == "zip"]
    if not zips:
        raise Failure(f"no Windows zip with its bill of materials in {dist}")
    metadata = zips[0][1]
    root = metadata["component"]
    homepage = root["supplier"].get("url", [None])[0]
    identity = {"PackageIdentifier": "Merovak.Merovak", "PackageVersion": version}
    installers = [
        installer(table, build, kind, version, url, metadata["component"])
        for build, kind, metadata in files
    ]
    locale = {
        "PackageLocale": "en-US",
        "Publisher": root["manufacturer"]["name"],
        "PackageName": "Merovak",
        **({"PackageUrl": homepage} if homepage else {}),
        "License": "MIT",
        "ShortDescription": root["description"],
        "Moniker": "merovak",
    }
    files = {
        "": {"DefaultLocale": "en-US", "ManifestType": "version"},
        ".installer": {
            "Installers": installers,
            "ReleaseDate": metadata["timestamp"][:10],
            "ManifestType": "installer",
        },
        ".locale.en-US": {**locale, "ManifestType": "defaultLocale"},
    }
    (dist / "winget").mkdir(exist_ok=True)
    for suffix, manifest in files.items():
        kind = manifest["ManifestType"]
        schema = f"https://aka.ms/winget-manifest.{kind}.{WINGET_VERSION}.schema.json"
        text = f"# yaml-language-server: $schema={schema}\n\n"
        text += yaml.safe_dump(
            {**identity, **manifest, "ManifestVersion": WINGET_VERSION}, sort_keys=False, width=1000
        )
        (dist / "winget" / f"Merovak.Merovak{suffix}.yaml").write_text(text)
    # A bucket finds a newer version by the name of a zip on the home page (or
    # else in the download folder), and takes its files from where this
    # version's are, with the version in the URL replaced, and their SHA-256
    # from the SHA256SUMS beside them.
    newest = zips[0][1]["component"]["bom-ref"]
    scoop = {
        "version": version,
        "description": root["description"],
        "homepage": homepage or url,
        "license": "MIT",
        "architecture": {
            table.processor(build, "scoop"): {
                "url": url + zip["component"]["bom-ref"],
                "hash": sha256(zip["component"]),
            }
            for build, zip in zips
        },
        "bin": "Merovak.exe",
        "checkver": {
            "url": homepage or url,
            "regex": newest.replace(version, "([\\d.]+)", 1).replace(".zip", "\\.zip"),
        },
        "autoupdate": {
            "architecture": {
                table.processor(build, "scoop"): {
                    "url": (url + zip["component"]["bom-ref"]).replace(version, "$version")
                }
                for build, zip in zips
            },
            "hash": {"url": "$baseurl/SHA256SUMS"},
        },
    }
    (dist / "merovak.json").write_text(json.dumps(scoop, indent=4) + "\n")
