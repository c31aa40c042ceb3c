#!/usr/bin/env python3
"""The built Windows Installer package's tables against what its WiX source asks for:
    check_msi_tables.py WXS SHARED_NAMES_WXI MSI
Each custom action's type read back as when, as whom and how it returns; the execute sequence's
order and conditions; the component conditions; the secure properties; each registry value's type.
Prints one line per difference and exits 1 when there is any."""
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

NS = "{http://schemas.microsoft.com/wix/2006/wi}"
# Properties a maintenance run could use to write the machine's registry or choose the folder:
# none may reach the elevated part of an installation.
NEVER_SECURE = {"INSTALLDIR", "RUNATLOGON", "DEACTIVATEONLOCK", "DEACTIVATEONSLEEP",
                "DEACTIVATEAFTERIDLE", "RECORDEDFOLDER"}


def defined(wxi):
    """The $(var.NAME) values the source includes."""
    with open(wxi, encoding="utf-8") as f:
        return dict(re.findall(r'<\?define (\w+) = "([^"]*)" \?>', f.read()))


def table(msi, name):
    out = subprocess.run(["msiinfo", "export", msi, name], check=True, capture_output=True,
                         text=True).stdout
    return [line.rstrip("\r").split("\t") for line in out.splitlines()[3:] if line]


def scheduling(action_type):
    """(Execute, Impersonate, Return) as the WiX attributes name what the type's bits say."""
    timing = action_type & 0x700
    execute = {0: "immediate", 0x400: "deferred", 0x500: "rollback", 0x600: "commit"}.get(
        timing, f"timing {timing:#x}")
    impersonate = "no" if execute != "immediate" and action_type & 0x800 else "yes"
    returns = {0: "check", 64: "ignore", 128: "asyncWait", 192: "asyncNoWait"}[action_type & 0xC0]
    return execute, impersonate, returns


def differences(root, names, msi):
    actions = {row[0]: int(row[1]) for row in table(msi, "CustomAction")}
    for action in root.iter(NS + "CustomAction"):
        name = action.get("Id")
        if name not in actions:
            continue  # left out of this build (an <?if?> block)
        wanted = (action.get("Execute", "immediate"),
                  action.get("Impersonate", "yes") if action.get("Execute", "immediate") !=
                  "immediate" else "yes", action.get("Return", "check"))
        if scheduling(actions[name]) != wanted:
            yield f"action {name}: type {actions[name]} is {scheduling(actions[name])}, not {wanted}"

    sequence = {row[0]: (row[1], int(row[2])) for row in table(msi, "InstallExecuteSequence")}
    steps = {}  # an action scheduled in each branch of an <?if?> has one of its places
    for step in root.find(f".//{NS}InstallExecuteSequence"):
        name = step.get("Action") or step.tag.replace(NS, "")
        if not step.get("Action") or name in actions:
            steps.setdefault(name, []).append(((step.text or "").strip(), int(step.get("Sequence"))))
    for name, wanted in steps.items():
        if sequence.get(name) not in wanted:
            yield f"sequence: {name} is {sequence.get(name)}, not one of {wanted}"

    conditions = {row[0]: row[4] for row in table(msi, "Component")}
    registry = table(msi, "Registry")
    for component in root.iter(NS + "Component"):
        name = component.get("Id")
        if name not in conditions:
            continue
        condition = component.find(NS + "Condition")
        wanted = condition.text.strip() if condition is not None else ""
        if conditions[name] != wanted:
            yield f"component {name}: condition {conditions[name]!r}, not {wanted!r}"
        for value in component.iter(NS + "RegistryValue"):
            value_name = re.sub(r"\$\(var\.(\w+)\)", lambda m: names[m[1]], value.get("Name"))
            rows = [r for r in registry if r[5] == name and r[3] == value_name]
            kind = value.get("Type")
            for row in rows:
                written = ("expandable" if row[4].startswith("#%") else
                           "string" if row[4].startswith("##") or not row[4].startswith("#")
                           else "integer")
                if written != kind:
                    yield f"registry {name}/{value.get('Name')}: {row[4]!r} is {written}, not {kind}"
            if not rows:
                yield f"registry {name}/{value.get('Name')} is missing"
    # A value that names the program names the installed file, never the folder a maintenance
    # run could be given; only the folder's own record holds it.
    for row in registry:
        if "[INSTALLDIR]" in row[4] and row[3] != names["InstallFolderValue"]:
            yield f"registry {row[2]}\\{row[3]} names the folder property: {row[4]!r}"

    properties = dict((row[0], row[1]) for row in table(msi, "Property"))
    secure = set(properties.get("SecureCustomProperties", "").split(";")) - {""}
    wanted = {p.get("Id") for p in root.iter(NS + "Property") if p.get("Secure") == "yes"}
    wanted |= {u.get("Property") for u in root.iter(NS + "UpgradeVersion")}
    if secure != wanted:
        yield f"secure properties {sorted(secure)}, not {sorted(wanted)}"
    for name in sorted(secure & NEVER_SECURE):
        yield f"secure property {name} lets a maintenance run choose what it writes"


def main(argv):
    found = list(differences(ET.parse(argv[1]).getroot(), defined(argv[2]), argv[3]))
    for line in found:
        print("FAIL", line)
    print(f"{len(found)} differences")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
