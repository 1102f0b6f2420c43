# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
"""Writes and checks the data that a release carries beside its programs, and
answers what the table of builds says. The same inputs give the same bytes:
keys and lists are sorted, and the time is SOURCE_DATE_EPOCH's."""
import gzip
import json
import subprocess
from pathlib import Path


class Failure(Exception):
    """A fault in what the command was given: said in one line, status 2."""


def load(path, form="text"):
    """The file PATH (gunzipped where it is .gz), as text or read as JSON or YAML:
    a file that is missing, or not of its form, is a Failure that names it."""
    try:
        data = Path(path).read_bytes()
        text = (gzip.decompress(data) if str(path).endswith(".gz") else data).decode()
    except (OSError, UnicodeDecodeError) as error:
        what = getattr(error, "strerror", None) or error
        raise Failure(f"{path} cannot be read: {what}") from None
    try:
        if form == "JSON":
            return json.loads(text)
        if form == "YAML":
            import yaml

            return yaml.safe_load(text)
    except Exception as error:  # json's ValueError, yaml's YAMLError
        raise Failure(f"{path} is not {form}: {' '.join(str(error).split())}") from None
    return text


def run(*command):
    """What COMMAND writes on standard output; its failure is a Failure."""
    answer = subprocess.run(command, capture_output=True, text=True)
    if answer.returncode:
        raise Failure(f"{' '.join(map(str, command))} failed: {answer.stderr.strip()}")
    return answer.stdout
