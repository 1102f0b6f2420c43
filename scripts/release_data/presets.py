# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
"""The table of builds: CMakePresets.json, each build's facts in its configure
preset's "vendor": {"merovak": {...}} (CONTRIBUTING.md names them). A preset
inherits its parents' facts as CMake inherits presets: lists are joined,
parents first, and names are taken from the nearest preset that gives them."""
import json
from pathlib import Path

from . import Failure

TABLE = Path(__file__).resolve().parents[2] / "CMakePresets.json"
# Each format's file name, and which of the processor's names it takes.
FILE_NAMES = {
    "deb": ("debian", "merovak_{version}_{processor}.deb"),
    "rpm": ("rpm", "merovak-{version}-1.{processor}.rpm"),
    "tar.gz": ("linux", "merovak-{version}-linux-{processor}.tar.gz"),
    "zip": ("winget", "merovak-{version}-windows-{processor}.zip"),
    "msi": ("winget", "merovak-{version}-windows-{processor}.msi"),
}


class Table:
    def __init__(self, path=TABLE):
        try:
            self.document = json.loads(Path(path).read_text())
            self.configure = {
                preset["name"]: preset for preset in self.document["configurePresets"]
            }
        except (OSError, ValueError, KeyError, TypeError) as error:
            raise Failure(f"the table of builds cannot be read: {path}: {error}") from None
        self.path = path

    def facts(self, name):
        """The vendor facts of a configure preset, with those it inherits."""
        if name not in self.configure:
            raise Failure(f"{self.path} has no configure preset {name}")
        preset = self.configure[name]
        parents = preset.get("inherits", [])
        given = [
            self.facts(parent) for parent in ([parents] if isinstance(parents, str) else parents)
        ]
        facts = {}
        for more in given + [preset.get("vendor", {}).get("merovak", {})]:
            for key, value in more.items():
                if isinstance(value, list):
                    value = facts.get(key, []) + value
                elif isinstance(value, dict):
                    value = {**facts.get(key, {}), **value}
                facts[key] = value
        return facts

    def workflows(self):
        """Every build's workflow, as its configure preset names it."""
        names = [workflow["name"] for workflow in self.document.get("workflowPresets", [])]
        return self.answer(names, "workflow presets")

    def shipping(self):
        """The builds that make packages: each has a build preset NAME-package."""
        names = [
            preset["configurePreset"]
            for preset in self.document.get("buildPresets", [])
            if preset["name"] == f"{preset['configurePreset']}-package"
        ]
        for name in names:
            if not self.facts(name).get("packages"):
                raise Failure(f"{self.path}: {name} has a preset {name}-package, but no packages")
        return self.answer(names, "build presets NAME-package")

    def debian_packages(self, kinds, names):
        """The Debian packages of the builds NAMES, of the KINDS given (build, test), and
        those that the table names for a step of its own (release, publish), once each."""
        steps = self.document.get("vendor", {}).get("merovak", {})
        lists = [steps[kind] for kind in kinds if kind in steps]
        lists += [
            self.facts(name).get(kind, []) for name in names for kind in kinds if kind not in steps
        ]
        packages = list(dict.fromkeys(package for packages in lists for package in packages))
        return self.answer(packages, "Debian packages")

    def artifacts(self, name, version):
        """The packages that a build makes: (file, format, processor name)."""
        facts = self.facts(name)
        made = []
        for kind in facts.get("packages", []):
            if kind not in FILE_NAMES:
                raise Failure(f"{self.path}: {name} names packages of an unknown format: {kind}")
            naming, pattern = FILE_NAMES[kind]
            processor = self.processor(name, naming)
            made.append((pattern.format(version=version, processor=processor), kind, processor))
        return self.answer(made, f"packages of {name}")

    def processor(self, name, naming):
        """The build's processor, as NAMING (debian, rpm, winget...) names it."""
        processor = self.facts(name).get("processor", {}).get(naming)
        if not processor:
            raise Failure(f"{self.path}: {name} does not name its processor as {naming} does")
        return processor

    def answer(self, items, what):
        if not items:
            raise Failure(f"{self.path} names no {what}")
        return items
