# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
"""Writes and checks the data that a release carries beside its programs (the
notices of other projects' code, the bills of materials, the manifests of
winget and Scoop, the packages' changelogs, the plain-text guide) and answers
what the table of builds, CMakePresets.json, says of each build. The same
inputs give the same bytes: keys and lists are sorted, and the time is
SOURCE_DATE_EPOCH's."""


class Failure(Exception):
    """A fault in what the command was given: said in one line, status 2."""
