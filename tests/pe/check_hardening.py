"""Reads the built Windows programs and fails when a hardening property is lost: ASLR (with the
relocations it needs) and DEP, high-entropy ASLR in 64-bit programs, the stack protector and the
fortified string functions in every .exe (found by the messages of their failure handlers, which
only come along when compiled code calls them), and imports of system DLLs only.

usage: check_hardening.py ARCH PROGRAM...   (ARCH: i686 or x86_64)
"""

import struct
import sys
import unittest
from pathlib import Path

DYNAMIC_BASE = 0x0040
HIGH_ENTROPY_VA = 0x0020
NX_COMPAT = 0x0100
RELOCS_STRIPPED = 0x0001
MACHINES = {"i686": 0x014C, "x86_64": 0x8664}
# DLLs every Windows installation has; anything else would have to travel with the program.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
               "oleaut32.dll", "comctl32.dll", "comdlg32.dll", "winmm.dll", "msvcrt.dll", "psapi.dll",
               "shlwapi.dll", "version.dll"}
STACK_PROTECTOR_MARK = b"stack smashing detected"
FORTIFY_MARK = b"buffer overflow detected"


class PeImage:
    """The few header fields and the import names of a PE file."""

    def __init__(self, path):
        self.data = Path(path).read_bytes()
        if self.data[:2] != b"MZ":
            raise ValueError(f"{path}: not a PE file")
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError(f"{path}: no PE signature")
        self.machine, sections, _, _, _, optional_size, self.characteristics = struct.unpack_from(
            "<HHIIIHH", self.data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", self.data, optional)[0]
        self.is_pe32_plus = magic == 0x20B
        self.dll_characteristics = struct.unpack_from("<H", self.data, optional + 70)[0]
        directories = optional + (112 if self.is_pe32_plus else 96)
        self.directories = [struct.unpack_from("<II", self.data, directories + 8 * i) for i in range(16)]
        table = optional + optional_size
        self.sections = [struct.unpack_from("<IIII", self.data, table + 40 * i + 8) for i in range(sections)]

    def offset(self, rva):
        for virtual_size, address, raw_size, raw_pointer in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw_pointer + rva - address
        raise ValueError(f"RVA {rva:#x} lies in no section")

    def text_at(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def relocation_size(self):
        return self.directories[5][1]

    def imported_dlls(self):
        rva, _ = self.directories[1]
        names = []
        entry = self.offset(rva) if rva else None
        while entry is not None:
            descriptor = struct.unpack_from("<IIIII", self.data, entry)
            if not any(descriptor):
                break
            names.append(self.text_at(descriptor[3]).lower())
            entry += 20
        return names


class Hardening(unittest.TestCase):
    arch = None
    programs = []

    def test_every_program(self):
        for path in self.programs:
            with self.subTest(program=Path(path).name):
                image = PeImage(path)
                self.assertEqual(image.machine, MACHINES[self.arch], "built for the tree's machine")
                self.assertEqual(image.is_pe32_plus, self.arch == "x86_64")
                self.assertTrue(image.dll_characteristics & DYNAMIC_BASE, "ASLR (dynamic base)")
                self.assertTrue(image.dll_characteristics & NX_COMPAT, "DEP (NX compatible)")
                self.assertFalse(image.characteristics & RELOCS_STRIPPED, "relocations kept for ASLR")
                self.assertGreater(image.relocation_size(), 0, "a relocation table for ASLR")
                if self.arch == "x86_64":
                    self.assertTrue(image.dll_characteristics & HIGH_ENTROPY_VA, "high-entropy ASLR")
                foreign = sorted(set(image.imported_dlls()) - SYSTEM_DLLS)
                self.assertEqual(foreign, [], "imports system DLLs only")
                if path.lower().endswith(".exe"):
                    self.assertTrue(STACK_PROTECTOR_MARK in image.data, "the stack protector is linked in")
                    self.assertTrue(FORTIFY_MARK in image.data, "the fortified string functions are linked in")


if __name__ == "__main__":
    Hardening.arch = sys.argv[1]
    Hardening.programs = sys.argv[2:]
    unittest.main(argv=sys.argv[:1], verbosity=2)
