# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
"""The download site that scripts/publish.sh keeps: which releases it admits
(a release true to its SHA256SUMS, made for the site, not published already
with other files, not older than the newest published), the versions it
holds, and its home page, index.html, made from the newest release's own
CHANGELOG.md and guides, with the site's address and the signing key's
fingerprint filled in."""
import hashlib
import html
import json
import re
import tarfile
from datetime import datetime, timezone
from pathlib import Path

from . import Failure, changelog, documents

SOURCE = re.compile(r"merovak-(\d[\d.]*)\.tar\.gz")
# The home page's lines for each system: (heading, [(what, guide, block)]),
# each block as the newest release's guide marks it.
SYSTEMS = [
    (
        "Debian 12 or later, Ubuntu 22.04 or later",
        [
            ("Install (as root; needs curl and gpg)", "docs/install.md", "apt-repository"),
            ("Update Merovak alone", "docs/install.md", "apt-upgrade"),
            ("Uninstall, with the repository and its key", "docs/install.md", "apt-remove"),
        ],
    ),
    (
        "Fedora, RHEL 9 and its rebuilds",
        [
            ("Add the repository (as root), then install", "docs/install.md", "dnf-repository"),
            ("", "docs/install.md", "dnf-install"),
            ("Update Merovak alone", "docs/install.md", "dnf-upgrade"),
            ("Uninstall, with the repository and its key", "docs/install.md", "dnf-remove"),
        ],
    ),
    (
        "Windows",
        [
            ("Install with Scoop, from this site's bucket", "docs/windows.md", "scoop-install"),
            ("Update, uninstall", "docs/windows.md", "scoop-update"),
            (
                "On many machines, as an administrator: the Windows Installer package, to"
                " install or upgrade it, and to uninstall it",
                "docs/windows.md",
                "msi",
            ),
            (
                "With winget, once its community repository has Merovak",
                "docs/windows.md",
                "winget",
            ),
        ],
    ),
    (
        "Any Linux, any age or C library: the static program",
        [
            (
                "Download an archive below, check it, then unpack it",
                "docs/install.md",
                "check-download",
            ),
            ("", "docs/install.md", "static-archive"),
        ],
    ),
]


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
    lines = (Path(folder) / "SHA256SUMS").read_text().splitlines()
    return dict(reversed(line.split("  ", 1)) for line in lines)


def files(folder):
    return sorted(
        path.relative_to(folder).as_posix() for path in Path(folder).rglob("*") if path.is_file()
    )


def admit(site, dist, url):
    """The version of the release in DIST, where SITE at URL may take it."""
    from debian.debian_support import Version

    version, dist = version_of(dist), Path(dist)
    listed = checksums(dist)
    signatures = {"SHA256SUMS", "SHA256SUMS.asc", f"merovak-{version}.tar.gz.asc"}
    unlisted = sorted(set(files(dist)) - set(listed) - signatures)
    wrong = sorted(
        name
        for name, digest in listed.items()
        if not (dist / name).is_file()
        or hashlib.sha256((dist / name).read_bytes()).hexdigest() != digest
    )
    if wrong or unlisted:
        raise Failure(
            f"{dist} does not match its SHA256SUMS: "
            + ", ".join(wrong + [f"{name} (not listed)" for name in unlisted])
        )
    scoop = dist / "merovak.json"
    if not scoop.exists():
        raise Failure(f"{dist} holds no manifests: make the release with MEROVAK_SITE_URL={url}")
    for entry in json.loads(scoop.read_text())["architecture"].values():
        if not entry["url"].startswith(f"{url}/{version}/"):
            raise Failure(
                f"the release names its files at {entry['url'].rsplit('/', 1)[0]}/, "
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
        stamp = json.loads(path.read_text())["metadata"]["timestamp"]
        return int(
            datetime.strptime(stamp, "%Y-%m-%dT%H:%M:%SZ").replace(tzinfo=timezone.utc).timestamp()
        )
    raise Failure(f"{dist} holds no bill of materials, whose time is the release's")


def source_file(archive, path):
    """A file of a release's source archive, as text."""
    with tarfile.open(archive) as source:
        found = next((entry for entry in source if entry.name.split("/", 1)[-1] == path), None)
        if not found:
            raise Failure(f"{archive} holds no {path}")
        return source.extractfile(found).read().decode()


def block(guide, text, name):
    """The lines of the block that a guide marks with <!-- test: NAME -->."""
    marked = re.search(
        rf"^<!-- test: {re.escape(name)} -->\n```[a-z]*\n(.*?)^```", text, re.M | re.S
    )
    if not marked:
        raise Failure(f"{guide} has no block marked <!-- test: {name} -->")
    return marked[1]


def inline(text):
    """Markdown's inline code and links, as HTML."""
    text = html.escape(text, quote=False)
    text = re.sub(r"`([^`]+)`", r"<code>\1</code>", text)
    return re.sub(r"\[([^]]+)\]\(([^)]+)\)", r'<a href="\2">\1</a>', text)


def msi_codes(release):
    """The codes of a release's Windows Installer packages, as a table."""
    import yaml

    installers = yaml.safe_load((release / "winget/Merovak.Merovak.installer.yaml").read_text())
    rows = "".join(
        f"<tr><td>{entry['Architecture']}</td><td><code>{entry['ProductCode']}</code></td>"
        f"<td><code>{entry['AppsAndFeaturesEntries'][0]['UpgradeCode']}</code></td></tr>\n"
        for entry in installers["Installers"]
        if entry["InstallerType"] == "msi"
    )
    head = "<tr><th>Package</th><th>ProductCode</th><th>UpgradeCode (never changes)</th></tr>"
    return f"<p>The packages' codes, for deployment tools:</p>\n<table>\n{head}\n{rows}</table>\n"


def page(site, url, fingerprint):
    """The home page of SITE, at URL, whose releases the key FINGERPRINT signs."""
    held = versions(site)
    if not held:
        raise Failure(f"{site} holds no release")
    newest = held[-1]
    archive = Path(site) / newest / f"merovak-{newest}.tar.gz"
    number, day, sections = changelog.entry(source_file(archive, "CHANGELOG.md"), newest)
    guides = {name: source_file(archive, name) for name in ("docs/install.md", "docs/windows.md")}
    grouped = " ".join(fingerprint[i : i + 4] for i in range(0, len(fingerprint), 4))
    changes = "".join(
        f"<h3>{html.escape(name)}</h3>\n<ul>\n"
        + "".join(f"<li>{inline(item)}</li>\n" for item in items)
        + "</ul>\n"
        for name, items in sections
    )
    systems = ""
    for heading, lines in SYSTEMS:
        systems += f"<h3>{html.escape(heading)}</h3>\n"
        for what, guide, name in lines:
            text = documents.filled(block(guide, guides[guide], name), url, fingerprint)
            text = re.sub(r"merovak([-_])\d[\d.]*(?=[-_])", rf"merovak\g<1>{newest}", text)
            systems += f"<p>{html.escape(what)}</p>\n" if what else ""
            systems += f'<pre data-block="{name}"><code>{html.escape(text)}</code></pre>\n'
            systems += msi_codes(Path(site) / newest) if name == "msi" else ""
    downloads = ""
    for version in reversed(held):
        rows = "".join(
            f'<tr><td><a href="{version}/{html.escape(name)}">{html.escape(name)}</a></td>'
            f"<td><code>{digest}</code></td></tr>\n"
            for name, digest in sorted(checksums(Path(site) / version).items())
        )
        downloads += (
            f'<h3 id="v{version}">{version}</h3>\n<p><a href="{version}/SHA256SUMS">'
            f'SHA256SUMS</a>, signed: <a href="{version}/SHA256SUMS.asc">SHA256SUMS.asc</a>;'
            f' the source archive\'s signature: <a href="{version}/merovak-{version}.tar.gz.asc">'
            f"merovak-{version}.tar.gz.asc</a></p>\n"
            f"<table>\n<tr><th>File</th><th>SHA-256</th></tr>\n{rows}</table>\n"
        )
    return TEMPLATE.format(
        url=html.escape(url),
        winget=f"winget/manifests/m/Merovak/Merovak/{newest}",
        newest=newest,
        day=day.isoformat(),
        changes=changes,
        fingerprint=grouped,
        systems=systems,
        downloads=downloads,
    )


TEMPLATE = """<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Merovak: has the local time of day reached a given time?</title>
<style>
body {{ font: 1rem/1.5 system-ui, sans-serif; margin: 0 auto; max-width: 60rem;
       padding: 0 1rem 2rem; color: #1d1d1d; background: #fff; }}
h1 {{ margin: 1.5rem 0 0; font-size: 2rem; }}
h2 {{ margin-top: 2.5rem; border-bottom: 1px solid #ccc; }}
h3 {{ margin-bottom: 0.25rem; }}
pre, table {{ display: block; overflow-x: auto; }}
pre {{ background: #f3f3f0; padding: 0.75rem; border-radius: 4px; font-size: 0.85rem; }}
code {{ font-family: ui-monospace, monospace; }}
table {{ border-collapse: collapse; font-size: 0.85rem; }}
td, th {{ text-align: left; padding: 0.2rem 1rem 0.2rem 0; border-bottom: 1px solid #eee;
         white-space: nowrap; }}
td code {{ font-size: 0.75rem; }}
.key {{ font: 1.05rem ui-monospace, monospace; word-spacing: 0.2rem; }}
a {{ color: #0b57a4; }}
</style>
</head>
<body>
<header>
<h1>Merovak</h1>
<p>Tells a script whether the local time of day has reached a given time.</p>
</header>
<main>
<p><code>Merovak TIME</code> compares the local time of day with TIME, written as four digits
HHMM (<code>0930</code> is half past nine), answers with its exit status and writes a one-line
report to standard output:</p>
<pre><code>$ Merovak 0930
Current Time : 10:15   Check Time : 09:30  Time Expired !!! (returncode=5)</code></pre>
<table>
<tr><th>Status</th><th>Meaning</th></tr>
<tr><td>5</td><td>the local time is at or past TIME</td></tr>
<tr><td>0</td><td>not yet; also after the usage text</td></tr>
<tr><td>10</td><td>TIME is not a time of day</td></tr>
</table>

<h2 id="news">Version {newest}, {day}</h2>
{changes}
<h2 id="key">The signing key</h2>
<p>Every release's <code>SHA256SUMS</code>, its RPMs and the repositories are signed by the
OpenPGP key with this fingerprint; the lines below check it before they trust the key:</p>
<p class="key">{fingerprint}</p>
<p><a href="merovak-archive-keyring.asc">merovak-archive-keyring.asc</a>,
<a href="merovak-archive-keyring.gpg">merovak-archive-keyring.gpg</a></p>

<h2 id="install">Install, update, uninstall</h2>
<p>Each block stops at the first command that fails, having changed nothing.</p>
{systems}
<h2 id="files">Every file of every version</h2>
<p>Each version's files are at <code>{url}/VERSION/</code>. winget's manifests of each
version are in <code>{url}/winget/manifests/m/Merovak/Merovak/VERSION/</code>, as winget's
community repository holds them ({newest}'s:
<a href="{winget}/Merovak.Merovak.yaml">version</a>,
<a href="{winget}/Merovak.Merovak.installer.yaml">installer</a>,
<a href="{winget}/Merovak.Merovak.locale.en-US.yaml">locale</a>);
the Scoop bucket is <code>{url}/scoop.git</code>.</p>
{downloads}
</main>
<footer>
<p>Merovak is free software under the MIT licence. Copyright (c) 2026 the Merovak authors.</p>
</footer>
</body>
</html>
"""
