#!/usr/bin/env python3
"""Refuses a name of cmake/shared-names.txt written out as a literal in the program's or the
installers' sources, which must take it from the files the build generates from that list
(SharedNames.h, SetupNames.h, SharedNames.nsh, SharedNames.wxi).

    scripts/check-shared-names.py [FILE...]    (no FILE: every C, C++, NSIS and WiX file of the
                                                git index under src/ and packaging/)

Only what the source hands over as text is read: C and C++ string literals, NSIS quoted
strings, WiX attribute values; comments are left out. A value is refused where it stands as a
word of such a text (case-insensitive: Windows compares these names so), with these exceptions:
the product's own name is a word of every text and is not checked, and a value that is also an
ordinary word (Profiles, stand-in) is refused only as a whole text or as one part of a path. Exits 1 and
names each place when it finds one.
"""
import pathlib
import re
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
NAMES = ROOT / "cmake" / "shared-names.txt"
# Values that are the product's name: words of every text, never checked.
UNCHECKED = {"WindowCaption", "EventSource"}
# Values that are also ordinary words: refused as a whole text or a path part only.
PATH_PART_ONLY = {"ProfilesFolder", "StandInMark"}
EXTENSIONS = {".c", ".h", ".cpp", ".nsi", ".nsh", ".wxs", ".wxi"}


def read_names():
    names = []
    for line in NAMES.read_text(encoding="utf-8").splitlines():
        match = re.match(r"^([A-Za-z]+) +(\S.*)$", line)
        if match and match.group(1) not in UNCHECKED:
            names.append((match.group(1), match.group(2)))
    return names


def c_texts(text):
    """The string literals of C or C++ source, unescaped, with their line numbers."""
    out = []
    i, line, n = 0, 1, len(text)
    while i < n:
        c = text[i]
        if c == "\n":
            line += 1
            i += 1
        elif text.startswith("//", i):
            i = text.find("\n", i) if "\n" in text[i:] else n
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            line += text.count("\n", i, end)
            i = end
        elif c == "#" and text[text.rfind("\n", 0, i) + 1:i].strip() == "" and \
                re.match(r"#\s*include\b", text[i:]):
            i = text.find("\n", i) if "\n" in text[i:] else n
        elif c in "\"'":
            j, value = i + 1, []
            while j < n and text[j] != c and text[j] != "\n":
                if text[j] == "\\" and j + 1 < n:
                    value.append(text[j + 1] if text[j + 1] in "\\\"'" else "\\" + text[j + 1])
                    j += 2
                else:
                    value.append(text[j])
                    j += 1
            if c == '"':
                out.append((line, "".join(value)))
            i = j + 1
        else:
            i += 1
    return out


def nsis_texts(text):
    out = []
    text = re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group(0).count("\n"), text, flags=re.S)
    for number, row in enumerate(text.splitlines(), 1):
        if row.lstrip().startswith((";", "#")):
            continue
        for match in re.finditer(r'"([^"]*)"|\'([^\']*)\'|`([^`]*)`', row):
            out.append((number, next(g for g in match.groups() if g is not None)))
    return out


def wix_texts(text):
    out = []
    text = re.sub(r"<!--.*?-->", lambda m: "\n" * m.group(0).count("\n"), text, flags=re.S)
    for match in re.finditer(r'=\s*"([^"]*)"', text):
        out.append((text.count("\n", 0, match.start()) + 1, match.group(1)))
    return out


def refused(name, value, literal):
    if name in PATH_PART_ONLY:
        pattern = r"(?:^|\\)" + re.escape(value) + r"(?:\\|$)"
    else:
        # "OMXDRV.SYS" is a file's name, not the word OMXDRV; "OMXDRV." ends a sentence.
        pattern = r"(?<![A-Za-z0-9_])" + re.escape(value) + r"(?![A-Za-z0-9_]|\.[A-Za-z0-9])"
    return re.search(pattern, literal, flags=re.I) is not None


def check(path, names):
    text = path.read_text(encoding="utf-8", errors="replace")
    suffix = path.suffix.lower()
    texts = (c_texts if suffix in {".c", ".h", ".cpp"} else
             nsis_texts if suffix in {".nsi", ".nsh"} else wix_texts)(text)
    found = []
    for line, literal in texts:
        for name, value in names:
            if refused(name, value, literal):
                where = path.relative_to(ROOT) if path.is_relative_to(ROOT) else path
                found.append(f"{where}:{line}: {name} written out: \"{literal}\"")
    return found


def main(args):
    if args:
        paths = [pathlib.Path(a).resolve() for a in args]
    else:
        listed = subprocess.run(["git", "ls-files", "src", "packaging"], cwd=ROOT, check=True,
                                capture_output=True, text=True).stdout.split()
        paths = [ROOT / p for p in listed if pathlib.Path(p).suffix.lower() in EXTENSIONS]
    names = read_names()
    found = [f for p in paths for f in check(p, names)]
    if found:
        print("shared names written out instead of taken from the generated files "
              "(cmake/shared-names.txt):")
        print("\n".join("  " + f for f in found))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
