# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
"""The parsing of release-data, in tables: the table of builds, the link maps
of GNU ld and lld, the checks of a bill of materials against the file beside
it, of the manifests against the zips, of a release against its list,
CHANGELOG.md made into packages' changelogs and cut into a version, the
releases that the download site takes, and each command's answer to input it
cannot read. Run by ctest; by hand: python3 -m pytest tests/release_data_test.py"""
import hashlib
import json
import re
import sys
import zipfile
from pathlib import Path

import pytest

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "scripts"))
from release_data import Failure, changelog, checks, manifests, notices, presets, sbom, site  # noqa
from release_data.__main__ import main  # noqa


# fmt: off
TABLE = {
    "vendor": {"merovak": {"release": ["gnupg"]}},
    "configurePresets": [
        {"name": "base", "hidden": True,
         "vendor": {"merovak": {"build": ["g++"], "test": ["tzdata"]}}},
        {"name": "one", "inherits": "base", "vendor": {"merovak": {
            "build": ["rpm"], "packages": ["deb", "rpm"],
            "processor": {"debian": "arm64", "rpm": "aarch64"}}}},
        {"name": "two", "inherits": ["one"], "vendor": {"merovak": {"test": ["qemu-user"]}}},
        {"name": "plain", "inherits": "base"},
    ],
    "buildPresets": [{"name": "one-package", "configurePreset": "one"},
                     {"name": "two", "configurePreset": "two"}],
    "workflowPresets": [{"name": "one"}, {"name": "two"}],
}


@pytest.mark.parametrize("question, answer", [
    (lambda t: t.workflows(), ["one", "two"]),
    (lambda t: t.shipping(), ["one"]),
    (lambda t: t.debian_packages(["build", "test"], ["two"]),
     ["g++", "rpm", "tzdata", "qemu-user"]),
    (lambda t: t.debian_packages(["release", "build"], ["plain"]), ["gnupg", "g++"]),
    (lambda t: t.artifacts("two", "1.2.3"), [("merovak_1.2.3_arm64.deb", "deb", "arm64"),
                                             ("merovak-1.2.3-1.aarch64.rpm", "rpm", "aarch64")]),
    (lambda t: t.processor("plain", "debian"), "plain does not name its processor as debian does"),
    (lambda t: t.artifacts("plain", "1"), "names no packages of plain"),
    (lambda t: t.facts("none"), "has no configure preset none"),
])
# fmt: on
def test_table(tmp_path, question, answer):
    path = tmp_path / "CMakePresets.json"
    path.write_text(json.dumps(TABLE))
    if isinstance(answer, str):
        with pytest.raises(Failure, match=answer):
            question(presets.Table(path))
    else:
        assert question(presets.Table(path)) == answer


def test_table_unreadable(tmp_path):
    path = tmp_path / "CMakePresets.json"
    path.write_text(json.dumps(TABLE)[1:])
    with pytest.raises(Failure, match=f"the table of builds cannot be read: {path}"):
        presets.Table(path)


GNU_LD_MAP = """Archive member included to satisfy reference by file (symbol)

/usr/lib/musl/lib/libc.a(printf.lo)
                              main.cpp.o (printf)
/usr/lib/musl/lib/../lib/libc.a(write.lo)
                              /usr/lib/musl/lib/libc.a(printf.lo) (write)

Discarded input sections

 .text          0x0  0x0 CMakeFiles/Merovak.dir/src/main.cpp.o
LOAD /usr/lib/musl/lib/rcrt1.o
LOAD CMakeFiles/Merovak.dir/src/main.cpp.o
LOAD /usr/lib/musl/lib/libc.a
"""
LLD_MAP = """     VMA      LMA     Size Align Out     In      Symbol
     2a8      2a8       1c     1 .interp
     2a8      2a8       1c     1         /usr/lib/musl/lib/rcrt1.o:(.text)
     2c4      2c4       10     4         CMakeFiles/Merovak.dir/src/main.cpp.o:(.text)
     2d4      2d4       10     4         /usr/lib/musl/lib/libc.a(printf.lo):(.text)
     2e4      2e4       10     4         /usr/lib/musl/lib/../lib/libc.a(write.lo):(.text)
"""


@pytest.mark.parametrize("text", [GNU_LD_MAP, LLD_MAP], ids=["GNU ld", "lld"])
def test_linked_files(tmp_path, text):
    (tmp_path / "Merovak.map").write_text(text)
    members = ["/usr/lib/musl/lib/libc.a(printf.lo)", "/usr/lib/musl/lib/libc.a(write.lo)"]
    assert notices.linked_files(tmp_path / "Merovak.map") == (
        ["/usr/lib/musl/lib/rcrt1.o"],
        members,
    )
    text = notices.notices(tmp_path / "Merovak.map", "Title", ask_dpkg=False)
    assert "  /usr/lib/musl/lib/libc.a (2 of its members)\n" in text
    assert "could not be gathered" in text


def test_map_without_files(tmp_path):
    (tmp_path / "other.map").write_text("Memory map of another linker\n")
    with pytest.raises(Failure, match=f"{tmp_path}/other.map: no file linked into the program"):
        notices.linked_files(tmp_path / "other.map")


def digests(data):
    return [{"alg": f"SHA-{bits}", "content": hashlib.new(f"sha{bits}", data).hexdigest()}
            for bits in (256, 512)]  # fmt: skip


def release(folder, inside=b"MZ program", members=2):
    """A zip that holds a program (INSIDE) and notices that list MEMBERS of an
    archive, and the bill of materials of such a zip whose program is "MZ
    program" and which takes two of the archive's members."""
    zip_path = folder / "merovak-1.0.0-windows-x64.zip"
    listed = (
        f"  /usr/lib/libc.a ({members} of its members), from musl-dev\n{notices.END_OF_LIST}.\n"
    )
    with zipfile.ZipFile(zip_path, "w") as archive:
        archive.writestr("Merovak.exe", inside)
        archive.writestr("THIRD-PARTY-NOTICES", listed)
    library = "pkg:deb/debian/musl-dev@1.2?arch=amd64"
    linked = [{"name": "merovak:linked", "value": f"/usr/lib/libc.a({name}.o)"} for name in "ab"]
    root = {"bom-ref": zip_path.name, "hashes": digests(zip_path.read_bytes())}
    components = [
        {"bom-ref": "Merovak.exe", "name": "Merovak", "hashes": digests(b"MZ program")},
        {"bom-ref": library, "purl": library, "name": "musl-dev", "version": "1.2",
         "properties": linked},
    ]  # fmt: skip
    dependencies = [{"ref": zip_path.name, "dependsOn": ["Merovak.exe"]},
                    {"ref": "Merovak.exe", "dependsOn": [library]}]  # fmt: skip
    return zip_path, {"metadata": {"component": root}, "components": components,
                      "dependencies": dependencies}  # fmt: skip


# fmt: off
@pytest.mark.parametrize("made, change, installed, fault", [
    ({}, lambda z, b: None, "", None),
    ({}, lambda z, b: z.unlink(), "", "windows-x64.zip, which it describes, is not beside it"),
    ({}, lambda z, b: z.write_bytes(b"x"), "", "SHA-256 is not that of merovak-1.0.0-windows"),
    ({"inside": b"MZ other"}, lambda z, b: None, "", "SHA-256 is not that of Merovak.exe in"),
    ({}, lambda z, b: b["dependencies"][0]["dependsOn"].append("x"), "", "to nothing: x"),
    ({}, lambda z, b: b["components"][0].update({"bom-ref": "bin/x.exe"}), "", "holds no bin/x"),
    ({"members": 3}, lambda z, b: None, "", "libc.a: the notices list 3, the bill of materials 2"),
    ({}, lambda z, b: None, "1.3", "musl-dev:amd64, named at 1.2 and 1.2, is installed at 1.3"),
    ({}, lambda z, b: None, "1.2", None),
])
# fmt: on
def test_bom_faults(tmp_path, monkeypatch, made, change, installed, fault):
    zip_path, bom = release(tmp_path, **made)
    change(zip_path, bom)
    path = tmp_path / f"{zip_path.name}.cdx.json"
    path.write_text(json.dumps(bom))
    monkeypatch.setattr(checks, "installed_version", lambda package: installed)
    faults = list(checks.bom_faults(path, installed=bool(installed)))
    assert [found for found in faults if fault in found] if fault else faults == [], faults


def test_manifests(tmp_path):
    zip_path, bom = release(tmp_path)
    bom["metadata"]["timestamp"] = "2026-12-08T12:00:00Z"
    bom["metadata"]["component"].update(
        {"description": "Tells", "supplier": {"name": "A"}, "manufacturer": {"name": "B"}}
    )
    (tmp_path / f"{zip_path.name}.cdx.json").write_text(json.dumps(bom))
    manifests.write("https://example.org/1.0.0", tmp_path, "1.0.0")
    assert list(checks.manifest_faults(tmp_path)) == []
    zip_path.write_bytes(zip_path.read_bytes() + b"x")
    assert len([f for f in checks.manifest_faults(tmp_path) if "is not the SHA-256 of" in f]) == 2


CHANGES = """# Changelog

## [Unreleased]

### Fixed

- Not yet.

## [1.0.1] - 2026-12-09

### Fixed

- `a`, in a
  [long](https://example.org) line.

### Added

- b.

## [1.0.0] - 2026-12-08

### Added

- First.
"""


@pytest.mark.parametrize("form, version, made", [
    ("debian", "1.0.1", "merovak (1.0.1) unstable; urgency=medium\n\n"
     "  * Fixed: a, in a long line.\n"
     "  * Added: b.\n\n -- A <a@example.org>  Wed, 09 Dec 2026 12:00:00 +0000\n\n"
     "merovak (1.0.0)"),
    ("rpm", "1.0.0", "* Tue Dec 08 2026 A <a@example.org> - 1.0.0-1\n- Added: First.\n"),
    ("rpm", "0.9", "no entry for version 0.9: bash scripts/version.sh 0.9 makes it"),
])  # fmt: skip
def test_changelog(form, version, made):
    if made.startswith("no entry"):
        with pytest.raises(Failure, match=re.escape(made)):
            getattr(changelog, form)(CHANGES, version, "A <a@example.org>")
    else:
        assert getattr(changelog, form)(CHANGES, version, "A <a@example.org>").startswith(made)


def folder(path, version, url="http://site", extra=b""):
    """A release of VERSION in PATH, for the site at URL, with its SHA256SUMS."""
    path.mkdir(parents=True)
    (path / f"merovak-{version}.tar.gz").write_bytes(b"source" + extra)
    scoop = {
        "architecture": {"64bit": {"url": f"{url}/{version}/merovak-{version}-windows-x64.zip"}}
    }
    (path / "merovak.json").write_text(json.dumps(scoop))
    sums = [
        f"{hashlib.sha256(file.read_bytes()).hexdigest()}  {file.name}" for file in path.iterdir()
    ]
    (path / "SHA256SUMS").write_text("\n".join(sorted(sums)) + "\n")
    return path


@pytest.mark.parametrize("version, url, published, change, refusal", [
    ("1.0.1", "http://site", ["1.0.0"], None, None),
    ("1.0.0", "http://site", ["1.0.0"], None, None),
    ("1.0.0", "http://site", ["1.0.0"], "extra", "already, with other files: SHA256SUMS, m"),
    ("1.0.0", "http://site", ["1.0.1", "1.0.10"], None, "the newest version published, 1.0.10"),
    ("1.0.0", "http://other", [], None, "files at http://other/1.0.0/, not at http://site/1.0.0/"),
    ("1.0.0", "http://site", [], "unlisted", "/SHA256SUMS does not list x"),
])  # fmt: skip
def test_admit(tmp_path, version, url, published, change, refusal):
    for held in published:
        folder(tmp_path / "site" / held, held)
    dist = folder(tmp_path / "dist", version, url, b"x" if change == "extra" else b"")
    if change == "unlisted":
        (dist / "x").write_text("x")
    if refusal:
        with pytest.raises(Failure, match=re.escape(refusal)):
            site.admit(tmp_path / "site", dist, "http://site")
    else:
        assert site.admit(tmp_path / "site", dist, "http://site") == version


CUT = CHANGES.replace("## [1.0.1] - 2026-12-09", "## [1.0.1] - 2026-12-09")
CMAKE = "project(Merovak VERSION 1.0.1\n  LANGUAGES CXX)\n"


# fmt: off
@pytest.mark.parametrize("text, version, made", [
    (CHANGES, "1.1.0", "## [Unreleased]\n\n## [1.1.0] - 2026-12-11\n\n### Fixed\n\n- Not yet.\n\n"
     "## [1.0.1] - 2026-12-09"),
    (CHANGES, "1.0.1", "not above the version of the project, 1.0.1"),
    (CHANGES, "1.1", "1.1 is not a version MAJOR.MINOR.PATCH"),
    (CHANGES.replace("- Not yet.\n", ""), "1.1.0", "nothing to release: [Unreleased] holds no items"),
])
# fmt: on
def test_cut(text, version, made):
    if made.startswith("## "):
        changes, cmake = changelog.cut(text, CMAKE, version, today=changelog.date(2026, 12, 11))
        assert made in changes and cmake.startswith(f"project(Merovak VERSION {version}\n")
        assert changelog.releasable(changes, version)[0] == version
    else:
        with pytest.raises(Failure, match=re.escape(made)):
            changelog.cut(text, CMAKE, version)


def files_of(folder, made):
    for name, text in made.items():
        path = folder / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(text)


LIST = "<!-- test: release-files -->\n```text\nm-VERSION.deb +.cdx.json\nS.asc   with MEROVAK_SIGNING_KEY\n```\n"


@pytest.mark.parametrize("held, settings, faults", [
    (["m-1.deb", "m-1.deb.cdx.json"], [], []),
    (["m-1.deb", "m-1.deb.cdx.json", "S.asc"], ["MEROVAK_SIGNING_KEY"], []),
    (["m-1.deb", "m-1.deb.cdx.json"], ["MEROVAK_SIGNING_KEY"], ["S.asc: missing, though"]),
    (["m-1.deb", "m-1.deb.cdx.json", "S.asc"], [], ["S.asc: made, though"]),
])  # fmt: skip
def test_release_faults(tmp_path, held, settings, faults):
    files_of(tmp_path, {"release.md": LIST, **{f"dist/{name}": "" for name in held}})
    found = checks.release_faults(tmp_path / "dist", tmp_path / "release.md", "1", settings)
    assert [fault.split(f" {tmp_path}")[0] for fault in found] == faults


MALFORMED = [("- Not yet.", "Not yet."), ("2026-12-09", "2026-13-45"), ("### Added\n\n- First.", "- First.")]
BOM = json.dumps({"metadata": {"timestamp": "yesterday"}})


# Each command, given input it cannot read: one line, naming the file, status 2.
# fmt: off
@pytest.mark.parametrize("command, made, said", [
    ("site time {t}", {"a.cdx.json": "{"}, "a.cdx.json is not JSON"),
    ("site time {t}", {"a.cdx.json": BOM}, "a.cdx.json: no time of the form"),
    ("site admit {t}/site {t} http://s", {"merovak-1.tar.gz": "", "SHA256SUMS": "x  y\n"},
     "SHA256SUMS: line 1 is not a SHA-256"),
    ("site admit {t}/site {t} http://s", {"merovak-1.tar.gz": ""}, "SHA256SUMS cannot be read"),
    ("site page {t} http://s", {}, "holds no release"),
    ("check-manifests {t}", {"winget/a.yaml": "a: [", "merovak.json": "{}"}, "a.yaml is not YAML"),
    ("check-manifests {t}", {}, "merovak.json cannot be read"),
    ("check {t}/a.cdx.json", {"a.cdx.json": "["}, "a.cdx.json is not JSON"),
    ("check --schemas {t} {t}/a.cdx.json", {"a.cdx.json": "{}"}, "holds no CycloneDX 1.6 schema"),
    ("check-release {t} {t}/release.md 1", {"release.md": ""}, "has no list of a release's files"),
    ("changelog debian {t}/C.md 1.0.1", {"C.md": CHANGES.replace(*MALFORMED[1])},
     "C.md: line 9: 2026-13-45 is not a date"),
    ("changelog release {t}/C.md 1.0.1", {"C.md": CHANGES.replace(*MALFORMED[0])},
     "C.md: line 7: not an entry's line: Not yet."),
    ("changelog release {t}/C.md 1.0.1", {"C.md": CHANGES.replace(*MALFORMED[2])},
     "C.md: line 22: an item outside a ### heading: - First."),
    ("changelog release {t}/C.md 1.0.1", {"C.md": CHANGES}, "1 items under [Unreleased] are not in"),
    ("changelog rpm {t}/C.md 1.0.1", {"C.md": CHANGES.replace("- `a`, in a\n  [long](https://example.org) line.\n", "")
     .replace("### Added\n\n- b.\n", "").replace("### Fixed\n\n\n", "")}, "the entry of 1.0.1 has no items"),
    ("version 2.0.0 {t}/C.md {t}/CMakeLists.txt", {"C.md": CHANGES.replace(*MALFORMED[2]),
     "CMakeLists.txt": CMAKE}, "C.md: line 22: an item outside"),
    ("version 2.0.0 {t}/C.md {t}/CMakeLists.txt", {"C.md": CHANGES, "CMakeLists.txt": ""},
     "CMakeLists.txt names no version"),
    ("guide {t} docs/none.md {t}/out", {}, "none.md cannot be read"),
    ("notices {t}/none.map Title {t}/out", {}, "none.map"),
    ("sbom --map m --stage {t} --name n --version 1 --summary s --supplier s --vendor v {t}/a.zip", {},
     "holds no program"),
    ("manifests http://s {t} 1", {}, "no Windows zip with its bill of materials"),
    ("msi-codes {{x}} 1", {}, "not an UpgradeCode: {x}"),
])
# fmt: on
def test_input_it_cannot_read(tmp_path, capsys, command, made, said):
    files_of(tmp_path, made)
    assert main(command.format(t=tmp_path).split()) == 2
    lines = capsys.readouterr().err.splitlines()
    assert len(lines) == 1 and said in lines[0] and f"release-data {command.split()[0]}:" in lines[0]


GUIDE = "# Title\n\n<!-- test: x -->\n```sh\ncurl https://SITE/VERSION/x\n```\nSee [install](install.md), [the README](../README.md), `a`.\n"


@pytest.mark.parametrize("options, made", [
    ([], "# Title\n\n<!-- test: x -->\n```sh\ncurl http://s/1.2.0/x\n```\nSee [install](install.md), the README, `a`.\n"),
    (["--plain"], "Title\r\n=====\r\n\r\n    curl http://s/1.2.0/x\r\nSee install, the README, a.\r\n"),
])  # fmt: skip
def test_guide(tmp_path, options, made):
    files_of(tmp_path, {"docs/g.md": GUIDE})
    filled = ["--site=http://s/", "--version=1.2.0", "--holds", "docs/install.md"]
    assert main(["guide", str(tmp_path), "docs/g.md", str(tmp_path / "out"), *options, *filled]) == 0
    assert (tmp_path / "out").read_bytes().decode() == made


def test_bill(tmp_path, monkeypatch):
    files_of(tmp_path, {"stage/bin/Merovak": "ELF", "Merovak.map": GNU_LD_MAP, "m.zip": "zip"})
    libc = "/usr/lib/musl/lib/libc.a"
    monkeypatch.setattr(sbom, "owners", lambda paths: {path: "musl-dev:amd64" for path in paths})
    monkeypatch.setattr(sbom, "run", lambda *command: "1.2-1;amd64;musl;1.2-1")
    bom = json.loads(sbom.bill(tmp_path / "m.zip", tmp_path / "Merovak.map", tmp_path / "stage",
                               "merovak", "1", "Tells", "A <a@example.org>", "B"))  # fmt: skip
    program, library = bom["components"]
    assert program["bom-ref"] == "bin/Merovak" and program["hashes"] == digests(b"ELF")
    assert library["licenses"] == [{"license": {"id": "MIT"}}] and library["version"] == "1.2-1"
    assert [entry["value"] for entry in library["properties"]] == [
        "/usr/lib/musl/lib/libc.a(printf.lo)", "/usr/lib/musl/lib/libc.a(write.lo)",
        "/usr/lib/musl/lib/rcrt1.o"]  # fmt: skip
    assert bom["metadata"]["supplier"] == {"name": "A", "contact": [{"email": "a@example.org"}]}
    assert libc in json.dumps(bom)


if __name__ == "__main__":
    sys.exit(pytest.main([__file__, "-q", "-p", "no:cacheprovider"]))
