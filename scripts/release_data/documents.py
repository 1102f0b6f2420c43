# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
"""The guides as a release carries them: their placeholders filled in, links
only to the files beside them and, for Windows, as plain text for Notepad."""
import posixpath
import re

LINK = re.compile(r"\[([^]]+)\]\(([^)]+)\)")
PLACEHOLDERS = ("https://SITE", "FINGERPRINT", "VERSION")


def filled(text, site="", fingerprint="", version=""):
    """TEXT with the site's address, the key's fingerprint and the version,
    where known."""
    for placeholder, value in zip(PLACEHOLDERS, (site.rstrip("/"), fingerprint, version)):
        if value:
            text = re.sub(rf"\b{re.escape(placeholder)}\b", lambda _: value, text)
    return text


def linked(text, path, held):
    """TEXT, the file PATH of a folder that holds HELD, with each link to a
    file of the project that the folder does not hold as its words alone."""
    folder = posixpath.dirname(path)

    def link(match):
        target = match[2].split("#")[0]
        if not target or re.match(r"[a-z]+:", target):
            return match[0]
        return match[0] if posixpath.normpath(posixpath.join(folder, target)) in held else match[1]

    return LINK.sub(link, text)


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
