# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
"""Documents made from others: a guide in Markdown as plain text for Notepad,
and a Debian changelog's entries as an RPM's."""
import re
from email.utils import parsedate_to_datetime
from pathlib import Path

from . import Failure


def plain_text(markdown):
    """No comments, headings underlined, code blocks indented, no inline
    markup, lines ending CR LF."""
    lines, code = [], False
    for line in markdown.splitlines():
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
            line = re.sub(
                r"\[([^]]+)\]\(([^)]+)\)",
                lambda link: link[1] + (f" ({link[2]})" if link[2].startswith("http") else ""),
                line,
            )
            lines.append(line.replace("`", ""))
    return ("\r\n".join(lines).strip() + "\r\n").encode()


def rpm_changelog(debian_changelog):
    """The entries of a Debian changelog, newest first, as an RPM's %changelog."""
    from debian.changelog import Changelog, ChangelogParseError

    try:
        entries = list(Changelog(Path(debian_changelog).read_text(), strict=True))
    except ChangelogParseError as error:
        raise Failure(f"{debian_changelog}: not a Debian changelog: {error}") from None
    texts = []
    for entry in entries:
        day = parsedate_to_datetime(entry.date).strftime("%a %b %d %Y")
        changes = "\n".join(entry.changes()).strip("\n")
        changes = re.sub(r"^  \* ", "- ", changes, flags=re.M).replace("\n    ", "\n  ")
        texts.append(f"* {day} {entry.author} - {entry.version}-1\n{changes}")
    return "\n\n".join(texts) + "\n"
