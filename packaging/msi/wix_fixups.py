#!/usr/bin/env python3
"""What wixl 0.101 leaves out of a package, read from the WiX source's own attributes.

    wix_fixups.py strip WXS OUT     writes the source without what wixl refuses (a component's
                                    Condition, Property/@Secure), for wixl to build
    wix_fixups.py apply WXS MSI     sets in the built package's tables what the source says and
                                    wixl did not write: component conditions, secure properties,
                                    expandable registry strings, and the custom actions' types
                                    (rollback, commit, deferred, no impersonation, return ignored)

Nothing here names an action, a component or a property: a renamed or new one gets what its
attributes say.
"""
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

NS = "{http://schemas.microsoft.com/wix/2006/wi}"

# A component's condition (a Condition element without a Message, which only a launch condition
# has) and a property's Secure attribute: wixl stops at the first and ignores the second.
COMPONENT_CONDITION = re.compile(r"\n[ \t]*<Condition>[^<]*</Condition>")
SECURE = re.compile(r'\s+Secure="yes"')

# CustomAction type bits (Windows Installer): how it returns, when and as whom it runs.
RETURN_BITS = {"check": 0, "ignore": 64, "asyncWait": 128, "asyncNoWait": 192}
EXECUTE_BITS = {
    "immediate": 0,
    "firstSequence": 256,
    "oncePerProcess": 512,
    "secondSequence": 768,
    "deferred": 1024,
    "rollback": 1024 + 256,
    "commit": 1024 + 512,
}
IN_SCRIPT = 1024
NO_IMPERSONATE = 2048
SCHEDULING_BITS = 64 | 128 | 256 | 512 | 1024 | 2048
# A registry value's type as the Registry table's Value column marks it.
VALUE_PREFIX = {"expandable": "#%", "integer": "#"}


def named(text):
    """A name with the shared names (SharedNames.wxi in the current folder) put in."""
    with open("SharedNames.wxi", encoding="utf-8") as f:
        names = dict(re.findall(r'<\?define (\w+) = "([^"]*)" \?>', f.read()))
    return re.sub(r"\$\(var\.(\w+)\)", lambda m: names[m[1]], text)


def source(wxs):
    return ET.parse(wxs).getroot()


def quoted(text):
    if "'" in text:
        sys.exit(f"wix_fixups: a quote in {text!r} cannot go into the tables")
    return f"'{text}'"


def table(msi, name):
    """The rows of a table as lists of columns (msiinfo's export, its three header lines dropped)."""
    out = subprocess.run(["msiinfo", "export", msi, name], check=True, capture_output=True,
                         text=True).stdout
    return [line.rstrip("\r").split("\t") for line in out.splitlines()[3:] if line]


def action_type(written, action):
    """The type the CustomAction element's attributes give, over the source and target bits wixl
    wrote."""
    execute = action.get("Execute", "immediate")
    bits = RETURN_BITS[action.get("Return", "check")] | EXECUTE_BITS[execute]
    if action.get("Impersonate") == "no" and bits & IN_SCRIPT:
        bits |= NO_IMPERSONATE
    return (written & ~SCHEDULING_BITS) | bits


def statements(root, msi):
    for component in root.iter(NS + "Component"):
        condition = component.find(NS + "Condition")
        if condition is not None:
            yield (f"UPDATE Component SET Condition = {quoted(condition.text.strip())} "
                   f"WHERE Component = {quoted(component.get('Id'))}")
        for value in component.iter(NS + "RegistryValue"):
            prefix = VALUE_PREFIX.get(value.get("Type"), "")
            for row in table(msi, "Registry"):
                if (row[3] == named(value.get("Name")) and row[5] == component.get("Id")
                        and not row[4].startswith(prefix)):
                    yield (f"UPDATE Registry SET Value = {quoted(prefix + row[4])} "
                           f"WHERE Registry = {quoted(row[0])}")
    secure = [p.get("Id") for p in root.iter(NS + "Property") if p.get("Secure") == "yes"]
    written = dict((row[0], row[1]) for row in table(msi, "Property"))
    listed = [p for p in written.get("SecureCustomProperties", "").split(";") if p]
    if [p for p in secure if p not in listed]:
        value = quoted(";".join(listed + [p for p in secure if p not in listed]))
        if "SecureCustomProperties" in written:
            yield f"UPDATE Property SET Value = {value} WHERE Property = 'SecureCustomProperties'"
        else:
            yield f"INSERT INTO Property (Property, Value) VALUES ('SecureCustomProperties', {value})"
    actions = dict((a.get("Id"), a) for a in root.iter(NS + "CustomAction"))
    for row in table(msi, "CustomAction"):
        if row[0] not in actions:
            sys.exit(f"wix_fixups: the package's action {row[0]} is not in the source")
        wanted = action_type(int(row[1]), actions[row[0]])
        if wanted != int(row[1]):
            yield f"UPDATE CustomAction SET Type = {wanted} WHERE Action = {quoted(row[0])}"


def main(argv):
    if len(argv) != 4 or argv[1] not in ("strip", "apply"):
        sys.exit(__doc__)
    if argv[1] == "strip":
        with open(argv[2], encoding="utf-8") as f:
            text = f.read()
        with open(argv[3], "w", encoding="utf-8") as f:
            f.write(SECURE.sub("", COMPONENT_CONDITION.sub("", text)))
        return
    msi = argv[3]
    for statement in list(statements(source(argv[2]), msi)):
        subprocess.run(["msibuild", msi, "-q", statement], check=True)


if __name__ == "__main__":
    main(sys.argv)
