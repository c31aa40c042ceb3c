#!/usr/bin/env python3
"""scripts/check-shared-names.py against the real list of shared names: which names it finds in a
line of each language, and which texts it must let pass (comments, the generated names' uses,
ordinary words)."""
import importlib.util
import pathlib
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
found = importlib.util.spec_from_file_location("lint", ROOT / "scripts" / "check-shared-names.py")
lint = importlib.util.module_from_spec(found)
found.loader.exec_module(lint)

ROWS = [
    # suffix, source, the names refused in it
    (".cpp", 'auto a = "OMXDRV";', {"ServiceName"}),
    (".cpp", 'auto a = "\\\\\\\\.\\\\OMXDRV";', {"ServiceName"}),
    (".cpp", 'auto a = "driver service OMXDRV.";', {"ServiceName"}),
    (".cpp", 'auto a = "OMXDRV.SYS";', {"DriverFile"}),
    (".cpp", 'auto a = "omxdrv.sys beside it";', {"DriverFile"}),
    (".cpp", 'auto a = "OMXDRVX";', set()),
    (".cpp", '// "OMXDRV" in a comment', set()),
    (".cpp", '/* "OMXDRV"\n "OMXDRV" */ int a;', set()),
    (".cpp", "char q = '\"'; auto a = \"OMXDRV\";", {"ServiceName"}),
    (".cpp", 'auto a = "say \\"OMXDRV\\" now";', {"ServiceName"}),
    (".cpp", 'auto a = "Software\\\\Veltarion\\\\Installer";', {"InstallerKey"}),
    (".cpp", 'auto a = "Veltarion";', set()),
    (".cpp", 'auto a = "Profiles";', {"ProfilesFolder"}),
    (".cpp", 'auto a = "%s\\\\Profiles";', {"ProfilesFolder"}),
    (".cpp", 'auto a = "Profiles kept";', set()),
    (".cpp", 'auto a = dir + "\\\\" + shared::kFolderStoreFile;', set()),
    (".c", 'Log(i, L"driver service " VELT_ServiceName L" started");', set()),
    (".c", 'Log(i, L"Global\\\\OmvexMachineMutex");', {"MachineLock"}),
    (".nsi", '; "OMXDRV" in a comment', set()),
    (".nsi", 'File "/oname=OMXDRV.SYS" "${DRIVER}"', {"DriverFile"}),
    (".nsh", "StrCpy $0 '$INSTDIR\\Profiles\\profiles.omx'", {"ProfilesFolder", "FolderStoreFile"}),
    (".nsh", 'StrCpy $0 "$INSTDIR\\${FolderStoreFile}"', set()),
    (".wxs", '<File Name="OMXDRV.SYS"/>', {"DriverFile"}),
    (".wxs", '<!-- <File Name="OMXDRV.SYS"/> -->', set()),
    (".wxs", '<File Name="$(var.DriverFile)"/>', set()),
]


class SharedNamesLint(unittest.TestCase):
    def test_rows(self):
        names = lint.read_names()
        with tempfile.TemporaryDirectory() as folder:
            for number, (suffix, source, expected) in enumerate(ROWS):
                with self.subTest(row=number, source=source):
                    path = pathlib.Path(folder) / f"row{number}{suffix}"
                    path.write_text(source + "\n", encoding="utf-8")
                    found = {f.split(": ")[1].split(" ")[0] for f in lint.check(path, names)}
                    self.assertEqual(found, expected)


if __name__ == "__main__":
    unittest.main()
