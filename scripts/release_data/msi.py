# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
"""The codes of a Windows Installer package, which follow from the build's
UpgradeCode (one for each processor, never changed) and the version: the same
inputs give the same codes, and each version has a ProductCode of its own, so
that a newer version upgrades an older one in place."""
import uuid

from . import Failure


def codes(upgrade_code, version):
    """The ProductCode, the package code and the component's code, braced and
    in capitals, as Windows Installer writes them."""
    try:
        namespace = uuid.UUID(upgrade_code)
    except ValueError:
        raise Failure(f"not an UpgradeCode: {upgrade_code}") from None
    names = {"product": f"Merovak {version}", "package": f"Merovak {version} package",
             "component": "Merovak program"}  # fmt: skip
    return {
        key: "{" + str(uuid.uuid5(namespace, name)).upper() + "}" for key, name in names.items()
    }
