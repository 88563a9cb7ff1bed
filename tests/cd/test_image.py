"""The demo CD's image: made from the CD folder by demo/make-iso, read back with xorriso and compared
with the folder file by file, as Windows (Joliet names) and as a plain ISO 9660 reader see it."""

import configparser
import os
import struct
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

CD_DIR = Path(os.environ["HX_CD_DIR"])
IMAGE = Path(os.environ["HX_CD_IMAGE"])
MAKE_ISO = Path(os.environ["HX_MAKE_ISO"])
SECTOR = 2048


def make_image(cd_dir, image):
    return subprocess.run([str(MAKE_ISO), str(cd_dir), str(image)], capture_output=True, text=True)


def xorriso(image, *commands):
    result = subprocess.run(["xorriso", "-no_rc", *commands[:-1], "-indev", str(image), *commands[-1]],
                            capture_output=True, text=True, check=True)
    return result.stdout


def extract(image, tree, target):
    """Extracts the image's Joliet tree ("norock") or its plain ISO 9660 tree ("ecma119")."""
    xorriso(image, "-read_fs", tree, "-osirrox", "on", ["-extract", "/", str(target)])


def tree_listing(root):
    """Every file and folder under root, by relative path, folders marked with a trailing slash."""
    return sorted(str(p.relative_to(root)) + ("/" if p.is_dir() else "") for p in Path(root).rglob("*"))


def joliet_volume_id(image):
    with open(image, "rb") as f:
        for sector in range(16, 32):
            f.seek(sector * SECTOR)
            descriptor = f.read(SECTOR)
            if descriptor[0] == 255:
                break
            # A supplementary descriptor with a UCS-2 escape sequence is the Joliet one.
            if descriptor[0] == 2 and descriptor[88:91] in (b"%/@", b"%/C", b"%/E"):
                return descriptor[40:72].decode("utf-16-be").rstrip()
    return None


def has_icon_group(program):
    """True when the program's resources hold an icon group (resource type 14), the icon that an
    autorun "icon=" line without an index shows."""
    data = Path(program).read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    directories = optional + (96 if struct.unpack_from("<H", data, optional)[0] == 0x10B else 112)
    resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
    for section in range(optional + optional_size, optional + optional_size + 40 * sections, 40):
        size, rva, _, raw = struct.unpack_from("<4I", data, section + 8)
        if rva <= resource_rva < rva + size:
            root = raw + resource_rva - rva
            named, ids = struct.unpack_from("<2H", data, root + 12)
            entries = range(root + 16 + 8 * named, root + 16 + 8 * (named + ids), 8)
            return any(struct.unpack_from("<I", data, entry)[0] == 14 for entry in entries)
    return False


class CdImageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        made = make_image(CD_DIR, IMAGE)
        if made.returncode != 0:
            raise AssertionError(f"make-iso failed: {made.stderr}")
        cls.work = Path(tempfile.mkdtemp(prefix="hx-cd-"))
        cls.joliet = cls.work / "joliet"
        cls.plain = cls.work / "plain"
        extract(IMAGE, "norock", cls.joliet)
        extract(IMAGE, "ecma119", cls.plain)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)

    def test_volume_label(self):
        pvd = xorriso(IMAGE, ["-pvd_info"])
        self.assertIn("Volume Id    : HEXBREAKER\n", pvd)
        self.assertEqual(joliet_volume_id(IMAGE), "HEXBREAKER")

    def test_joliet_tree_is_the_cd_folder(self):
        for required in ("setup.exe", "hxdemo.pak", "autorun.inf"):
            self.assertTrue((self.joliet / required).is_file(), required)
        self.assertEqual(tree_listing(self.joliet), tree_listing(CD_DIR))
        for path in CD_DIR.rglob("*"):
            if path.is_file():
                name = path.relative_to(CD_DIR)
                with self.subTest(file=str(name)):
                    self.assertEqual((self.joliet / name).read_bytes(), path.read_bytes())

    def test_plain_iso9660_tree_holds_every_file_under_short_names(self):
        self.assertEqual(len(tree_listing(self.plain)), len(tree_listing(CD_DIR)))
        for path in self.plain.rglob("*"):
            stem, _, extension = path.name.partition(".")
            self.assertTrue(path.name == path.name.upper() and len(stem) <= 8 and len(extension) <= 3, path.name)
        # A reader without Joliet still finds the autorun file and the program it starts.
        for required in ("SETUP.EXE", "AUTORUN.INF"):
            self.assertEqual((self.plain / required).read_bytes(), (CD_DIR / required.lower()).read_bytes())

    def test_autorun_starts_setup_with_its_icon_and_label(self):
        raw = (self.joliet / "autorun.inf").read_bytes()
        self.assertTrue(raw.endswith(b"\r\n"))
        self.assertNotIn(b"\n", raw.replace(b"\r\n", b""), "every line ends in CRLF")
        autorun = configparser.ConfigParser()
        autorun.read_string(raw.decode("ascii"))
        self.assertEqual(autorun.sections(), ["autorun"])
        self.assertEqual(dict(autorun["autorun"]),
                         {"open": "setup.exe", "icon": "setup.exe", "label": "HexbreakerDemo"})
        self.assertTrue(has_icon_group(self.joliet / "setup.exe"), "setup.exe holds an icon")


class MakeIsoTest(unittest.TestCase):
    """The image step on a folder of its own: rebuilt when the folder changes, refusals."""

    def setUp(self):
        self.work = Path(tempfile.mkdtemp(prefix="hx-make-iso-"))
        self.new_cd("cd")

    def new_cd(self, name):
        """A small CD folder under the work folder, its image beside it."""
        self.cd = self.work / name
        self.cd.mkdir()
        for file_name in ("setup.exe", "hxdemo.pak", "autorun.inf"):
            (self.cd / file_name).write_bytes(file_name.encode())
        self.image = self.work / f"{name}.iso"

    def tearDown(self):
        shutil.rmtree(self.work, ignore_errors=True)

    def joliet_tree(self):
        target = self.work / f"out{len(list(self.work.glob('out*')))}"
        extract(self.image, "norock", target)
        return {str(p.relative_to(target)): p.read_bytes() for p in target.rglob("*") if p.is_file()}

    def test_image_follows_every_change_to_the_folder(self):
        self.assertEqual(make_image(self.cd, self.image).returncode, 0)
        older_time = os.stat(self.cd / "hxdemo.pak").st_mtime
        changes = [
            ("a file added", lambda: (self.cd / "VocInstallComplete.wav").write_bytes(b"wave")),
            ("a folder added", lambda: (self.cd / "directx").mkdir()),
            ("a file in a folder", lambda: (self.cd / "directx" / "dx5eng.exe").write_bytes(b"dx")),
            ("a file replaced keeping an old time",
             lambda: ((self.cd / "hxdemo.pak").write_bytes(b"new pack"),
                      os.utime(self.cd / "hxdemo.pak", (older_time, older_time)))),
            ("a file removed", lambda: (self.cd / "VocInstallComplete.wav").unlink()),
        ]
        for what, change in changes:
            with self.subTest(change=what):
                change()
                self.assertEqual(make_image(self.cd, self.image).returncode, 0)
                expected = {str(p.relative_to(self.cd)): p.read_bytes()
                            for p in self.cd.rglob("*") if p.is_file()}
                self.assertEqual(self.joliet_tree(), expected)

    def test_refuses_a_folder_it_cannot_copy_exactly(self):
        cases = [
            ("no setup.exe", lambda: (self.cd / "setup.exe").unlink()),
            ("a link", lambda: (self.cd / "link.exe").symlink_to(self.cd / "setup.exe")),
            ("a name too long for Joliet", lambda: (self.cd / ("x" * 61 + ".wav")).write_bytes(b"")),
        ]
        for what, spoil in cases:
            with self.subTest(case=what):
                self.new_cd(what.replace(" ", "-"))
                spoil()
                made = make_image(self.cd, self.image)
                self.assertEqual(made.returncode, 1, made.stderr)
                self.assertIn("make-iso:", made.stderr)
                self.assertFalse(self.image.exists())


if __name__ == "__main__":
    unittest.main()
