# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
"""The code of other projects in a program, as its link map names it, the
Debian packages that hold it, and THIRD-PARTY-NOTICES, with their copyrights."""
import os
import re
import shutil
import subprocess
from pathlib import Path

from . import Failure

# Where the list of files in the notices ends.
END_OF_LIST = "\nThe copyright and licence of each package"
LLD_HEADING = re.compile(r"\s*VMA\s+LMA\s+Size\s+Align\s+Out\s+In\s+Symbol")
GNU_MEMBERS = re.compile(
    r"^Archive member included.*?(?=^Discarded input sections|^Memory Configuration)", re.M | re.S
)


def normal(path):
    """A path with its folder part normalised; an archive member keeps its name."""
    folder, bracket, member = path.partition("(")
    return os.path.normpath(folder) + bracket + member


def linked_files(map_path):
    """The files of other projects in a program, as its link map names them:
    objects loaded whole (start files) and archive members, as ARCHIVE(MEMBER),
    each once and sorted. The program's own files have relative paths and are
    left out."""
    text = Path(map_path).read_text(errors="replace")
    if LLD_HEADING.match(text):
        objects = re.findall(r"\s(/[^\s():]+\.o):\(", text)
        members = re.findall(r"\s(/[^\s()]+\.a\([^)]+\)):\(", text)
    else:  # GNU ld: members under their heading, objects as LOAD lines
        included = GNU_MEMBERS.search(text)
        members = re.findall(r"^(/[^(\s]+\.a\([^)]+\))", included[0] if included else "", re.M)
        objects = re.findall(r"^LOAD (/\S+\.o)$", text, re.M)
    objects, members = sorted({normal(o) for o in objects}), sorted({normal(m) for m in members})
    if not objects and not members:
        raise Failure(
            f"{map_path}: no file linked into the program can be read from this map of the link"
        )
    return objects, members


def archive_of(file):
    return file.split("(")[0]


def owners(paths):
    """Each path's Debian package, as NAME:ARCHITECTURE or NAME (dpkg -S)."""
    answer = subprocess.run(["dpkg", "-S", *paths], capture_output=True, text=True)
    if answer.returncode:
        raise Failure(f"no package owns a file linked into the program: {answer.stderr.strip()}")
    return dict(
        (path, package)
        for package, path in re.findall(r"^([^:, ]+(?::[a-z0-9]+)?): (/.+)$", answer.stdout, re.M)
    )


def notices(map_path, title, ask_dpkg=True):
    """The text of THIRD-PARTY-NOTICES for the program that MAP_PATH maps."""
    objects, members = linked_files(map_path)
    archives = sorted({archive_of(member) for member in members})
    owner = owners(objects + archives) if ask_dpkg and shutil.which("dpkg") else {}
    source = "these files of Debian's packages" if owner else "these files of the build machine"
    text = (
        f"{title}\n\nBesides its own code (see LICENSE), the program holds code of other"
        f" projects,\nlinked in from {source}:\n\n"
    )
    for path in objects + archives:
        count = sum(archive_of(member) == path for member in members)
        text += f"  {path}" + (f" ({count} of its members)" if path in archives else "")
        text += (f", from {owner[path].split(':')[0]}" if path in owner else "") + "\n"
    if not owner:
        text += (
            "\nTheir copyright and licence texts could not be gathered: this build machine\n"
            "has no Debian package tools to tell which packages hold them. Find them in\n"
            "the documentation of the packages that installed these files.\n"
        )
        return text
    packages = sorted({package.split(":")[0] for package in owner.values()})
    text += f"{END_OF_LIST}, as it states them, follow.\n"
    for package in packages:
        copyright = Path(f"/usr/share/doc/{package}/copyright")
        text += f"\n\n==== {package}: {copyright} ====\n\n{copyright.read_text()}"
    return text


def listed(notices_text):
    """The files that notices list, each with the count of its members (1 for
    a file loaded whole)."""
    return [
        (path, int(count or 1))
        for path, count in re.findall(
            r"^  (/\S+?),? (?:\((\d+) of its members\))?", notices_text.split(END_OF_LIST)[0], re.M
        )
    ]
