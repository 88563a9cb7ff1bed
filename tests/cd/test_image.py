"""The demo CD's image: made from the CD folder by demo/make-iso, read back with xorriso (the Joliet
tree, the names Windows sees) and compared with the folder name by name and byte by byte."""

import configparser
import hashlib
import os
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

CD_DIR = Path(os.environ["HX_CD_DIR"])
IMAGE = Path(os.environ["HX_CD_IMAGE"])
MAKE_ISO = Path(os.environ["HX_MAKE_ISO"])


def xorriso(image, *commands):
    return subprocess.run(["xorriso", "-no_rc", "-read_fs", "norock", "-indev", str(image), *commands],
                          capture_output=True, text=True, check=True).stdout


def contents(root):
    """Every file (its SHA-256) and folder ("folder") under root, by relative path."""
    return {str(p.relative_to(root)): hashlib.sha256(p.read_bytes()).hexdigest() if p.is_file() else "folder"
            for p in root.rglob("*")}


class CdImageTest(unittest.TestCase):
    def setUp(self):
        self.disc = Path(tempfile.mkdtemp(prefix="hx-cd-")) / "disc"

    def tearDown(self):
        shutil.rmtree(self.disc.parent, ignore_errors=True)

    def test_image_holds_the_cd_folder_exactly(self):
        made = subprocess.run([str(MAKE_ISO), str(CD_DIR), str(IMAGE)], capture_output=True, text=True)
        self.assertEqual(made.returncode, 0, made.stderr)
        self.assertIn("Volume Id    : HEXBREAKER\n", xorriso(IMAGE, "-pvd_info"))
        disc = self.disc
        xorriso(IMAGE, "-osirrox", "on", "-extract", "/", str(disc))
        for required in ("setup.exe", "hxdemo.pak", "autorun.inf"):
            self.assertTrue((disc / required).is_file(), required)
        self.assertEqual(contents(disc), contents(CD_DIR))

        autorun_bytes = (disc / "autorun.inf").read_bytes()
        self.assertEqual(autorun_bytes.count(b"\n"), autorun_bytes.count(b"\r\n"), "CRLF line ends")
        autorun = configparser.ConfigParser()
        autorun.read_string(autorun_bytes.decode("ascii"))
        self.assertEqual(autorun.sections(), ["autorun"])
        self.assertEqual(dict(autorun["autorun"]),
                         {"open": "setup.exe", "icon": "setup.exe", "label": "HexbreakerDemo"})


if __name__ == "__main__":
    unittest.main()
