# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
"""CHANGELOG.md, in the form of Keep a Changelog: its entries, where a line that
is not blank, a "###" heading, an item ("- ") or an item's next line (indented)
is a fault; cutting a version; and the Debian and RPM changelogs made from it."""
import re
import textwrap
from datetime import date, datetime, timezone

from . import Failure

ENTRY = re.compile(r"## \[(?P<version>[^\]]+)\](?: - (?P<date>\S+))?\s*")
UNRELEASED = "Unreleased"
NUMBER = re.compile(r"(0|[1-9]\d*)\.(0|[1-9]\d*)\.(0|[1-9]\d*)")


def entries(text):
    """Every entry, newest first, [Unreleased] among them: (version, date or
    None, [(section, [item])], the numbers of its first and last lines)."""
    found, section = [], None
    for number, line in enumerate(text.splitlines(), 1):
        heading = ENTRY.fullmatch(line)
        if heading:
            version, day = heading["version"], heading["date"]
            if version != UNRELEASED:
                if not day:
                    raise Failure(f"line {number}: the entry of {version} has no date YYYY-MM-DD")
                try:
                    day = date.fromisoformat(day)
                except ValueError:
                    raise Failure(f"line {number}: {day} is not a date YYYY-MM-DD") from None
            found.append([version, day, [], number, number])
            section = None
        elif not found or not line.strip():
            continue
        elif line.startswith("### "):
            section = (line[4:].strip(), [])
            found[-1][2].append(section)
        elif line.startswith("- ") and section:
            section[1].append(line[2:].strip())
        elif line.startswith("  ") and section and section[1]:
            section[1][-1] += " " + line.strip()
        else:
            what = "not an entry's line"
            what = "an item outside a ### heading" if line.startswith("- ") else what
            raise Failure(f"line {number}: {what}: {line}")
        found[-1][4] = number
    return found


def entry(text, version):
    """The entry of VERSION, with its items, or a Failure that says what to do."""
    for found in entries(text):
        if found[0] == version and version != UNRELEASED:
            if not found[2]:
                raise Failure(f"the entry of {version} has no items: write what changed in it")
            return found[:3]
    raise Failure(
        f"no entry for version {version}: bash scripts/version.sh {version} makes it from the"
        " items under [Unreleased]"
    )


def releasable(text, version):
    """The entry of VERSION, where the changelog holds nothing unreleased."""
    found = entry(text, version)
    unreleased = [sections for _, day, sections, *_ in entries(text) if day is None]
    waiting = sum(len(items) for sections in unreleased for _, items in sections)
    if waiting:
        raise Failure(
            f"{waiting} items under [Unreleased] are not in version {version}: cut the next"
            " version with bash scripts/version.sh VERSION"
        )
    return found


def cut(text, cmake, version, today=None):
    """CHANGELOG.md's TEXT and CMakeLists.txt's CMAKE with the items under
    [Unreleased] moved into VERSION's entry, of today, and VERSION the project's."""
    if not NUMBER.fullmatch(version):
        raise Failure(f"{version} is not a version MAJOR.MINOR.PATCH")
    current = re.findall(r"^project\(Merovak VERSION (\S+)", cmake, re.M)
    if len(current) != 1 or not NUMBER.fullmatch(current[0]):
        raise Failure("CMakeLists.txt names no version in project(Merovak VERSION ...)")
    numbers = [tuple(map(int, NUMBER.fullmatch(v).groups())) for v in (version, current[0])]
    if numbers[0] <= numbers[1]:
        raise Failure(f"{version} is not above the version of the project, {current[0]}")
    held = entries(text)
    waiting = [found for found in held if found[0] == UNRELEASED]
    if not waiting or not any(items for _, items in waiting[0][2]):
        raise Failure("nothing to release: [Unreleased] holds no items")
    if any(found[0] == version for found in held):
        raise Failure(f"CHANGELOG.md has an entry for {version} already")
    day = today or datetime.now(timezone.utc).date()
    lines = text.splitlines()
    first, last = waiting[0][3:]
    moved = [f"## [{UNRELEASED}]", "", f"## [{version}] - {day.isoformat()}", ""]
    lines[first - 1 : last] = moved + "\n".join(lines[first:last]).strip("\n").splitlines()
    made = re.sub(r"^(project\(Merovak VERSION )\S+", rf"\g<1>{version}", cmake, flags=re.M)
    return "\n".join(lines) + "\n", made


def text_of(text, version):
    """The Markdown of VERSION's entry, without its heading."""
    _, _, _, first, last = next(found for found in entries(text) if found[0] == version)
    return "\n".join(text.splitlines()[first:last])


def plain(item):
    """An item without Markdown's inline markup."""
    return re.sub(r"\[([^]]+)\]\([^)]+\)", r"\1", item).replace("`", "")


def up_to(text, version):
    """The entries of VERSION and those before it, newest first."""
    from debian.debian_support import Version

    entry(text, version)
    return [
        found[:3] for found in entries(text) if found[1] and Version(found[0]) <= Version(version)
    ]


def items(sections, first, then):
    """Each item of an entry, as "Section: text", without inline markup, wrapped."""
    return "\n".join(
        textwrap.fill(f"{name}: {plain(item)}", 79, initial_indent=first, subsequent_indent=then)
        for name, section in sections
        for item in section
    )


def debian(text, version, maintainer):
    """A Debian changelog of VERSION and the versions before it."""
    return "\n".join(
        f"merovak ({number}) unstable; urgency=medium\n\n{items(sections, '  * ', '    ')}\n\n"
        f" -- {maintainer}  {day:%a, %d %b %Y} 12:00:00 +0000\n"
        for number, day, sections in up_to(text, version)
    )


def rpm(text, version, maintainer):
    """An RPM's %changelog of VERSION and the versions before it."""
    return (
        "\n\n".join(
            f"* {day:%a %b %d %Y} {maintainer} - {number}-1\n{items(sections, '- ', '  ')}"
            for number, day, sections in up_to(text, version)
        )
        + "\n"
    )
