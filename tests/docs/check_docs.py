#!/usr/bin/env python3
"""The shipped help documents and the README tell the truth about the profiles: each shipped
document names the installed copy's store and the portable copy's, the folder beside the program
is named only for a portable copy or the older shared store, and none says that Quit does not
save, that the program's Profiles folder should be made writable, or that uninstalling may
remove the profiles. Usage: check_docs.py SOURCE_FOLDER
"""

import html
import os
import re
import sys

SHIPPED = ("docs/ReadMe.htm", "docs/Getting Started.htm")
CHECKED = SHIPPED + ("README.md",)
INSTALLED_STORE = "%LOCALAPPDATA%\\Veltarion\\profiles.omx"
PORTABLE_STORE = "Profiles\\profiles.omx"
# Claims no document may make, as patterns over its text (tags removed, blanks collapsed).
FALSE_CLAIMS = {
    "Quit does not save": r"without saving|(does|do) not save|not saved? when you quit",
    "the program's Profiles folder made writable": r"Profiles (folder )?[^.]*\bwritable",
    "the uninstaller may remove the profiles": r"unless (you )?chos|profiles stay unless",
}


def text_of(path):
    raw = open(path, encoding="utf-8").read()
    if path.endswith(".htm"):
        raw = html.unescape(re.sub(r"<[^>]+>", "", raw))
    return re.sub(r"\s+", " ", raw.replace("`", ""))


def faults(name, text):
    found = []
    if name in SHIPPED:
        for store in (INSTALLED_STORE, PORTABLE_STORE):
            if store not in text:
                found.append(f"does not name {store}")
    for sentence in re.split(r"(?<=[.;:])\s", text):
        if PORTABLE_STORE in sentence and not re.search(r"portable|older", sentence):
            found.append(f"names {PORTABLE_STORE} for every copy: {sentence!r}")
    for claim, pattern in FALSE_CLAIMS.items():
        for match in re.finditer(pattern, text, re.IGNORECASE):
            found.append(f"says {claim}: {text[max(0, match.start() - 60):match.end() + 20]!r}")
    return found


def main():
    failures = [f"{name}: {fault}" for name in CHECKED
                for fault in faults(name, text_of(os.path.join(sys.argv[1], name)))]
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
