# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
"""The command line: release-data COMMAND ..., one command for each thing it
writes or checks. Input that it cannot read is said in one line on standard
error, naming the file, with status 2; a check that finds faults prints them,
one a line, with status 1."""
import argparse
import json
import sys
from pathlib import Path

from . import Failure, changelog, checks, documents, load, manifests, notices, sbom, site
from .presets import Table


def said(faults):
    for fault in faults:
        print(fault)
    return 1 if faults else 0


def write_notices(args):
    Path(args.output).write_text(notices.notices(args.map, args.title, not args.no_dpkg))


def write_bill(args):
    facts = [args.name, args.version, args.summary, args.supplier, args.vendor, args.homepage]
    bill = sbom.bill(args.artifact, args.map, args.stage, *facts)
    Path(f"{args.artifact}.cdx.json").write_text(bill)


def check_bills(args):
    validate = checks.cyclonedx_validator(args.schemas) if args.schemas else None
    faults = [
        f"{path.name}: {fault}"
        for path in map(Path, args.sboms)
        for fault in checks.bom_faults(path, validate, args.installed)
    ]
    return said(faults)


def write_manifests(args):
    manifests.write(args.url, args.dist, args.version)


def check_manifests(args):
    return said(list(checks.manifest_faults(args.dist, args.schemas)))


def check_release(args):
    return said(checks.release_faults(args.dist, args.page, args.version, args.settings))


def write_changelog(args):
    text = load(args.changelog)
    try:
        if args.form == "release":
            changelog.releasable(text, args.version)
            return
        made = getattr(changelog, args.form)(text, args.version, args.maintainer)
    except Failure as error:
        raise Failure(f"{args.changelog}: {error}") from None
    Path(args.output).write_text(made) if args.output else print(made, end="")


def cut_version(args):
    text = load(args.changelog)
    try:
        changelog.entries(text)
    except Failure as error:
        raise Failure(f"{args.changelog}: {error}") from None
    made = changelog.cut(text, load(args.cmake), args.version)
    for path, text in zip((args.changelog, args.cmake), made):
        Path(path).write_text(text)


def write_guide(args):
    text = load(Path(args.source, args.guide))
    text = documents.filled(text, args.site, args.fingerprint, args.version)
    if args.plain:
        Path(args.output).write_bytes(documents.plain_text(text))
    else:
        Path(args.output).write_text(documents.linked(text, args.guide, set(args.holds)))


def answer_site(args):
    if args.question == "admit":
        print(site.admit(args.site, args.dist, args.url.rstrip("/")))
    elif args.question == "time":
        print(site.release_time(args.dist))
    elif args.question == "versions":
        print("\n".join(site.versions(args.site)))
    else:
        page = site.page(args.site, args.url.rstrip("/"))
        (Path(args.site) / "index.html").write_text(page)


def write_msi_codes(args):
    print("\n".join(manifests.msi_codes(args.upgrade_code, args.version).values()))


def answer_presets(args):
    table = Table()
    if args.question == "workflows":
        answers = table.workflows()
    elif args.question == "shipping":
        answers = table.shipping()
    elif args.question == "debian":
        answers = table.debian_packages(args.kinds.split(","), args.builds)
    elif args.question == "processor":
        answers = [table.processor(args.build, args.naming)]
    elif args.question == "artifacts":
        answers = [file for file, _, _ in table.artifacts(args.build, args.version)]
    elif not table.facts(args.build).get("packages"):
        answers = ["[]"]  # cmake, for a build that makes no packages
    else:  # cmake: what the build's target package makes, for the processor CMake builds for
        processor = table.processor(args.build, "cmake")
        if processor != args.system_processor:
            compiler = f"this build's compiler builds for {args.system_processor}"
            raise Failure(f"{args.build} makes packages for {processor}, and {compiler}")
        upgrade = table.facts(args.build).get("upgradeCode", "")
        made = [
            dict(zip(("file", "format", "processor"), entry), upgradeCode=upgrade)
            for entry in table.artifacts(args.build, args.version)
        ]
        answers = [json.dumps(made)]
    print("\n".join(answers))


def parser():
    parse = argparse.ArgumentParser(prog="release-data", description=__doc__.splitlines()[0])
    commands = parse.add_subparsers(dest="command", required=True)

    def command(name, run, help, *arguments, under=commands):
        sub = under.add_parser(name, help=help)
        sub.set_defaults(run=run)
        for argument in arguments:
            sub.add_argument(argument)
        return sub

    sub = command("notices", write_notices, "a program's notices, from its map", "map", "title")
    sub.add_argument("output")
    sub.add_argument("--no-dpkg", action="store_true", help="list the files without asking dpkg")
    sub = command("sbom", write_bill, "ARTIFACT.cdx.json, the artifact's bill of materials")
    for option in ("map", "stage", "name", "version", "summary", "supplier", "vendor"):
        sub.add_argument(f"--{option}", required=True)
    sub.add_argument("--homepage", default="")
    sub.add_argument("artifact")
    sub = command("check", check_bills, "check bills of materials against the files beside them")
    sub.add_argument("--installed", action="store_true", help="each package as installed here")
    sub.add_argument("--schemas", help="a folder of the CycloneDX schemas, to check against")
    sub.add_argument("sboms", nargs="+")
    command("manifests", write_manifests, "winget's and Scoop's", "url", "dist", "version")
    sub = command("check-manifests", check_manifests, "check the manifests against the zips")
    sub.add_argument("--schemas", help="a folder of winget-1.12.0/ and scoop/, to check against")
    sub.add_argument("dist")
    sub = command("check-release", check_release, "DIST by PAGE's list", "dist", "page", "version")
    sub.add_argument("settings", nargs="*", help="the settings given, of those the list names")
    sub = command("changelog", write_changelog, "CHANGELOG.md up to VERSION, as a package's")
    sub.add_argument("form", choices=("debian", "rpm", "release"), help="release: check it for one")
    sub.add_argument("changelog")
    sub.add_argument("version")
    sub.add_argument("maintainer", nargs="?", default="The Merovak authors <merovak@example.org>")
    sub.add_argument("--output", help="the file to write, instead of standard output")
    command("version", cut_version, "cut from [Unreleased]", "version", "changelog", "cmake")
    sub = command("guide", write_guide, "a guide, as a release has it", "source", "guide", "output")
    sub.add_argument("--site", default="", help="the address of the site it is made for")
    sub.add_argument("--fingerprint", default="", help="the fingerprint of the site's key")
    sub.add_argument("--version", default="", help="the version of the release that holds it")
    sub.add_argument("--plain", action="store_true", help="as plain text, lines ending CR LF")
    sub.add_argument("--holds", nargs="*", default=[], help="the files beside it, by their paths")
    sub = command("site", answer_site, "what the download site takes and holds, and its home page")
    questions = sub.add_subparsers(dest="question", required=True)
    for name, arguments, help in [
        ("admit", ("site", "dist", "url"), "the version of the release in DIST, if SITE takes it"),
        ("time", ("dist",), "the release's time, in seconds since 1970"),
        ("versions", ("site",), "the versions that SITE holds, oldest first"),
        ("page", ("site", "url"), "SITE/index.html, its home page"),
    ]:
        command(name, answer_site, help, *arguments, under=questions)
    command("msi-codes", write_msi_codes, "an MSI's codes", "upgrade_code", "version")
    sub = command("presets", answer_presets, "what the table of builds says, one answer a line")
    questions = sub.add_subparsers(dest="question", required=True)
    questions.add_parser("workflows", help="every build's workflow")
    questions.add_parser("shipping", help="the builds that make packages")
    question = questions.add_parser("debian", help="the Debian packages that builds need")
    question.add_argument("kinds", help="build, test or release, or several, joined by commas")
    question.add_argument("builds", nargs="*")
    question = questions.add_parser("processor", help="a build's processor, as a system names it")
    question.add_argument("build")
    question.add_argument("naming", help="cmake, debian, rpm, file, linux, winget or scoop")
    for name in ("artifacts", "cmake"):
        question = questions.add_parser(name, help="the packages that a build makes")
        question.add_argument("build")
        question.add_argument("version")
    question.add_argument("system_processor", help="the processor that CMake builds for")
    return parse


def main(argv=None):
    args = parser().parse_args(argv)
    try:
        return args.run(args) or 0
    except (Failure, OSError) as error:
        print(f"release-data {args.command}: {error}", file=sys.stderr)
        return 2
