# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
"""CHANGELOG.md, in the form of Keep a Changelog, the one history of the
project: its entries ("## [VERSION] - YYYY-MM-DD", then "### Added" and the
like with their items) and the changelogs made from them, a Debian package's
and an RPM's."""
import re
import textwrap
from datetime import date

from . import Failure

ENTRY = re.compile(r"^## \[(?P<version>[^\]]+)\](?: - (?P<date>\d{4}-\d{2}-\d{2}))?\s*$")


def entries(text):
    """The released entries, newest first: (version, date, [(section, [item])])."""
    found, section = [], None
    for line in text.splitlines():
        heading = ENTRY.match(line)
        if heading:
            found.append([heading["version"], heading["date"], []])
        elif line.startswith("### ") and found:
            section = (line[4:].strip(), [])
            found[-1][2].append(section)
        elif line.startswith("- ") and found and found[-1][2]:
            section[1].append(line[2:].strip())
        elif line.startswith("  ") and line.strip() and section and section[1]:
            section[1][-1] += " " + line.strip()
    released = []
    for version, day, sections in found:
        if version.lower() == "unreleased":
            continue
        if not day:
            raise Failure(f"the entry of {version} has no date: ## [{version}] - YYYY-MM-DD")
        released.append((version, date.fromisoformat(day), sections))
    return released


def entry(text, version):
    """The entry of VERSION, or a Failure that says to write one."""
    for found in entries(text):
        if found[0] == version:
            return found
    raise Failure(
        f"CHANGELOG.md has no entry for version {version}: add one, "
        f"## [{version}] - YYYY-MM-DD, with what changed"
    )


def plain(item):
    """An item without Markdown's inline markup."""
    return re.sub(r"\[([^]]+)\]\([^)]+\)", r"\1", item).replace("`", "")


def up_to(text, version):
    """The entries of VERSION and those before it, newest first."""
    from debian.debian_support import Version

    entry(text, version)
    return [found for found in entries(text) if Version(found[0]) <= Version(version)]


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
