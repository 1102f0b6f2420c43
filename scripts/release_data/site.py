# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
"""The download site that scripts/publish.sh keeps: which releases it admits,
the versions it holds, the keys that signed them, and its home page, made from
page.html and the newest release's own CHANGELOG.md and guides."""
import re
import subprocess
import tarfile
import tempfile
from datetime import datetime, timezone
from pathlib import Path

from . import Failure, changelog, documents, load, run

SOURCE = re.compile(r"merovak-(\d[\d.]*)\.tar\.gz")
SUM = re.compile(r"([0-9a-f]{64})  (\S.*)")


def version_of(dist):
    """The version of the release in DIST, as its source archive names it."""
    found = [
        match[1]
        for path in Path(dist).glob("merovak-*.tar.gz")
        if (match := SOURCE.fullmatch(path.name))
    ]
    if len(found) != 1:
        raise Failure(f"{dist} holds {len(found)} source archives, not one: it is not a release")
    return found[0]


def versions(site):
    """The versions that SITE holds, oldest first."""
    from debian.debian_support import Version

    held = [
        path.parent.name
        for path in Path(site).glob("*/SHA256SUMS")
        if (path.parent / f"merovak-{path.parent.name}.tar.gz").is_file()
    ]
    return sorted(held, key=Version)


def checksums(folder):
    """The files that a release's SHA256SUMS lists, with their SHA-256."""
    path = Path(folder) / "SHA256SUMS"
    listed = {}
    for number, line in enumerate(load(path).splitlines(), 1):
        if not (entry := SUM.fullmatch(line)):
            raise Failure(f"{path}: line {number} is not a SHA-256 and a file name: {line!r}")
        listed[entry[2]] = entry[1]
    return listed


def files(folder):
    return sorted(
        path.relative_to(folder).as_posix() for path in Path(folder).rglob("*") if path.is_file()
    )


def admit(site, dist, url):
    """The version of the release in DIST, where SITE at URL may take it."""
    from debian.debian_support import Version

    version, dist = version_of(dist), Path(dist)
    signatures = {"SHA256SUMS", "SHA256SUMS.asc", f"merovak-{version}.tar.gz.asc"}
    unlisted = sorted(set(files(dist)) - set(checksums(dist)) - signatures)
    if unlisted:
        raise Failure(f"{dist}/SHA256SUMS does not list {', '.join(unlisted)}")
    scoop = dist / "merovak.json"
    if not scoop.exists():
        raise Failure(f"{dist} holds no manifests: make the release with MEROVAK_SITE_URL={url}")
    try:
        addresses = [entry["url"] for entry in load(scoop, "JSON")["architecture"].values()]
    except (KeyError, TypeError, AttributeError):
        raise Failure(f"{scoop}: no address of a zip for each processor") from None
    for address in addresses:
        if not address.startswith(f"{url}/{version}/"):
            raise Failure(
                f"the release names its files at {address.rsplit('/', 1)[0]}/, "
                f"not at {url}/{version}/: make it with MEROVAK_SITE_URL={url}"
            )
    published = versions(site)
    if version in published:
        held = Path(site) / version
        differ = [
            name
            for name in sorted(set(files(dist)) | set(files(held)))
            if not (dist / name).is_file()
            or not (held / name).is_file()
            or (dist / name).read_bytes() != (held / name).read_bytes()
        ]
        if differ:
            raise Failure(f"{version} is published already, with other files: {', '.join(differ)}")
    elif published and Version(version) < Version(published[-1]):
        raise Failure(f"{version} is older than the newest version published, {published[-1]}")
    return version


def release_time(dist):
    """The time of a release (SOURCE_DATE_EPOCH when it was made), in seconds."""
    for path in sorted(Path(dist).glob("*.cdx.json")):
        try:
            stamp = load(path, "JSON")["metadata"]["timestamp"]
            made = datetime.strptime(stamp, "%Y-%m-%dT%H:%M:%SZ")
        except (KeyError, TypeError, ValueError):
            raise Failure(f"{path}: no time of the form YYYY-MM-DDTHH:MM:SSZ") from None
        return int(made.replace(tzinfo=timezone.utc).timestamp())
    raise Failure(f"{dist} holds no bill of materials, whose time is the release's")


def source_file(archive, path):
    """A file of a release's source archive, as text."""
    try:
        with tarfile.open(archive) as source:
            found = next((entry for entry in source if entry.name.split("/", 1)[-1] == path), None)
            if found:
                return source.extractfile(found).read().decode()
    except tarfile.TarError as error:
        raise Failure(f"{archive}: {error}") from None
    raise Failure(f"{archive} holds no {path}")


def fingerprints(keyring):
    """The fingerprints of the keys in KEYRING, in its order."""
    with tempfile.TemporaryDirectory() as home:
        listed = run("gpg", "--homedir", home, "--with-colons", "--show-keys", keyring)
    lines = listed.splitlines()
    return [
        line.split(":")[9]
        for before, line in zip(lines, lines[1:])
        if before.startswith("pub:") and line.startswith("fpr:")
    ]


def signer(folder, keyring):
    """The fingerprint of the key in KEYRING that signed FOLDER/SHA256SUMS."""
    answer = subprocess.run(
        ["gpgv", "--status-fd", "1", "--keyring", keyring, "SHA256SUMS.asc", "SHA256SUMS"],
        cwd=folder,
        capture_output=True,
        text=True,
    )
    for line in answer.stdout.splitlines():
        if line.startswith("[GNUPG:] VALIDSIG "):
            return line.split()[-1]
    raise Failure(f"{folder}/SHA256SUMS.asc is not a signature by a key of {keyring}")


def page(site, url):
    """The home page of SITE, at URL."""
    import jinja2
    import markdown

    site, held = Path(site), versions(site)
    if not held:
        raise Failure(f"{site} holds no release")
    newest = held[-1]
    archive = site / newest / f"merovak-{newest}.tar.gz"
    text = source_file(archive, "CHANGELOG.md")
    _, day, _ = changelog.entry(text, newest)
    guides = "\n".join(source_file(archive, f"docs/{name}.md") for name in ("install", "windows"))
    keyring = site / "merovak-archive-keyring.gpg"
    signed = {version: signer(site / version, keyring) for version in held}
    raw = dict(re.findall(r"^<!-- test: (\S+) -->\n```[a-z]*\n(.*?)^```", guides, re.M | re.S))

    def fill(name, version):
        """A guide's block, for VERSION, with the key that signed it or signs now."""
        if name not in raw:
            raise Failure(f"the guides of {newest} have no block marked <!-- test: {name} -->")
        return documents.filled(raw[name], url, signed.get(version, signed[newest]), version)

    trusted = fingerprints(site / newest / "merovak-archive-keyring.gpg")
    history = []  # each key, the versions it signed, and what the repositories make of it
    for key in fingerprints(keyring):
        versions_signed = [version for version in held if signed[version] == key]
        role = "retired: the repositories no longer trust it"
        if key in trusted:
            role = "still trusted" if versions_signed else "the next key, not yet used"
        role = "signs now" if key == signed[newest] else role
        history.append((key, versions_signed, role))
    installers = load(site / newest / "winget/Merovak.Merovak.installer.yaml", "YAML")
    loader = jinja2.FileSystemLoader(Path(__file__).parent)
    pages = jinja2.Environment(loader=loader, autoescape=True, undefined=jinja2.StrictUndefined)
    try:
        return pages.get_template("page.html").render(
            url=url,
            newest=newest,
            earlier=held[-2] if len(held) > 1 else "",
            day=day,
            news=markdown.markdown(changelog.text_of(text, newest)),
            history=history,
            signing=signed[newest],
            fill=fill,
            msis=[entry for entry in installers["Installers"] if entry["InstallerType"] == "msi"],
            releases=[(v, signed[v], checksums(site / v)) for v in reversed(held)],
        )
    except (KeyError, TypeError, jinja2.UndefinedError) as error:
        raise Failure(f"the home page of {site}: what it needs is not there: {error}") from None
