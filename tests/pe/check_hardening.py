"""Fails when a built Windows program loses a hardening property: ASLR with its relocations, DEP,
high-entropy ASLR (64-bit), the stack protector and fortified string functions in every .exe (found by
their failure messages), version fields old Windows accepts, elevated manifests and imports. (pe_xp_imports
holds every import to the system DLLs of Windows XP.)

usage: check_hardening.py ARCH PROGRAM...   (ARCH: i686 or x86_64)
"""

import re
import subprocess
import sys
import unittest
from pathlib import Path

DYNAMIC_BASE, HIGH_ENTROPY_VA, NX_COMPAT, RELOCS_STRIPPED = 0x0040, 0x0020, 0x0100, 0x0001
FORMATS = {"i686": "pei-i386", "x86_64": "pei-x86-64"}
MANIFEST_ARCH = {"i686": b'processorArchitecture="x86"', "x86_64": b'processorArchitecture="amd64"'}
NEWEST_VERSION = {"i686": (5, 1), "x86_64": (5, 2)}  # XP, and the first 64-bit Windows
# DLLs that Windows protects as KnownDLLs (from Windows 7 on): a DLL of that name in the program's folder is
# never loaded in their place. Any other DLL imported by name is looked for in the program's folder first.
KNOWN_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll", "oleaut32.dll",
              "comdlg32.dll", "msvcrt.dll", "psapi.dll", "shlwapi.dll", "imm32.dll", "rpcrt4.dll", "ws2_32.dll"}
# The programs that run with administrator rights import by name only KnownDLLs and load every other DLL
# they need by its full path in the system folder.
ELEVATED = {"setup.exe", "hxduninst.exe"}


def headers(arch, path):
    """The file format, the two characteristics words, the relocation table's size and the imports."""
    dump = subprocess.run([f"{arch}-w64-mingw32-objdump", "-p", path], capture_output=True, text=True,
                          check=True).stdout
    field = lambda pattern: re.search(pattern, dump, re.M).group(1)
    return (field(r"file format (\S+)"), int(field(r"^Characteristics\s+0x([0-9a-f]+)"), 16),
            int(field(r"^DllCharacteristics\s+([0-9a-f]+)"), 16),
            int(field(r"^Entry 5 [0-9a-f]+ ([0-9a-f]+) Base Relocation"), 16),
            {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)},
            {kind: (int(field(rf"^Major{kind}Version\s+(\d+)")), int(field(rf"^Minor{kind}Version\s+(\d+)")))
             for kind in ("OSystem", "Subsystem")})


class Hardening(unittest.TestCase):
    arch = None
    programs = []

    def test_every_program(self):
        for path in self.programs:
            name = Path(path).name.lower()
            with self.subTest(program=name):
                file_format, characteristics, dll_characteristics, relocations, imports, versions = headers(
                    self.arch, path)
                self.assertEqual(file_format, FORMATS[self.arch], "built for the tree's machine")
                wanted = DYNAMIC_BASE | NX_COMPAT | (HIGH_ENTROPY_VA if self.arch == "x86_64" else 0)
                self.assertEqual(dll_characteristics & wanted, wanted, "ASLR, DEP (and high-entropy ASLR)")
                self.assertFalse(characteristics & RELOCS_STRIPPED, "relocations kept for ASLR")
                self.assertGreater(relocations, 0, "a relocation table for ASLR")
                for kind, version in versions.items():
                    self.assertLessEqual(version, NEWEST_VERSION[self.arch], f"{kind} version")
                data = Path(path).read_bytes()
                if name in ELEVATED:
                    self.assertEqual(sorted(imports - KNOWN_DLLS), [], "imports by name only KnownDLLs")
                    for text in (b'level="requireAdministrator"', b"<compatibility", MANIFEST_ARCH[self.arch]):
                        self.assertIn(text, data)
                if name.endswith(".exe"):
                    self.assertIn(b"stack smashing detected", data, "the stack protector is linked in")
                    self.assertIn(b"buffer overflow detected", data, "the fortified string functions are linked in")


if __name__ == "__main__":
    Hardening.arch = sys.argv[1]
    Hardening.programs = sys.argv[2:]
    unittest.main(argv=sys.argv[:1], verbosity=2)
