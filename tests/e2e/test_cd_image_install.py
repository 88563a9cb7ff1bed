"""The demo CD's disc image as it ships (read back with xorriso: the Joliet names Windows sees), shown as the
CD-ROM drive D: for whole installs."""

import configparser
import os
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

from harness import (CD_IMAGE, DOSDEVICES, ENV, RIG, ROOT, SetupCase, command_lines, group, probe,
                     unix_path, wait_until)

XORRISO = ["xorriso", "-no_rc", "-read_fs", "norock", "-indev"]


def disc_of(cd, image, disc, env=None):
    """The disc image of a CD folder (made by make-cd, unsigned), read back."""
    subprocess.run([ROOT / "demo" / "make-cd", cd, image], env=env, check=True, capture_output=True)
    subprocess.run(XORRISO + [image, "-osirrox", "on", "-extract", "/", disc], check=True, capture_output=True)


def point_drive_d_at(folder):
    """Makes the CD-ROM drive D: show the folder (the rig links D: to HX_CD on each call)."""
    subprocess.run([RIG / "wine-prefix"], env={**ENV, "HX_CD": str(folder)}, check=True)


class CdImageInstall(SetupCase):
    @classmethod
    def setUpClass(cls):
        cls.work = Path(tempfile.mkdtemp(prefix="hx-disc-"))
        cls.image, cls.disc = cls.work / "hexbreakerdemo.iso", cls.work / "disc"
        unsigned = {name: value for name, value in os.environ.items() if not name.startswith("HX_SIGN_")}
        disc_of(CD_IMAGE, cls.image, cls.disc, unsigned)
        point_drive_d_at(cls.disc)  # its files read-only, as Wine shows a real disc's

    @classmethod
    def tearDownClass(cls):
        point_drive_d_at(ENV["HX_CD"])
        for folder, _, _ in os.walk(cls.work):  # a disc's files come off it read-only
            os.chmod(folder, 0o755)
        shutil.rmtree(cls.work)

    def test_image_has_the_volume_name_and_the_autorun_file(self):
        volume = subprocess.run(XORRISO + [self.image, "-pvd_info"], capture_output=True, text=True, check=True)
        self.assertIn("Volume Id    : HEXBREAKER\n", volume.stdout)
        # Its files, every name and byte, are checked against the CD by tools/check-cd (cd_signing).
        autorun = (self.disc / "autorun.inf").read_bytes()
        self.assertEqual(autorun.count(b"\n"), autorun.count(b"\r\n"), "CRLF line ends")
        parser = configparser.ConfigParser()
        parser.read_string(autorun.decode("ascii"))
        self.assertEqual({section: dict(parser[section]) for section in parser.sections()},
                         {"autorun": {"open": "setup.exe", "icon": "setup.exe", "label": "HexbreakerDemo"}})

    def test_install_and_install_again_from_the_disc(self):
        self.assertEqual(Path(os.readlink(DOSDEVICES / "d:")), self.disc)
        self.install_with_defaults("n", disc=self.disc)
        self.assert_explorer_on_the_group()
        self.assert_installed(self.disc / "hxdemo.pak")
        self.assertFalse(command_lines("notepad"))
        self.close_programs()
        links = {p.name: p.stat().st_mtime_ns for p in unix_path(group()).iterdir()}
        self.install_with_defaults("y", disc=self.disc)
        self.assertEqual(wait_until(lambda: command_lines("notepad"), 15), [r"notepad C:\HexbreakerDemo\readme.txt"])
        self.assertTrue(wait_until(lambda: probe("window", "readme.txt - Notepad").get("visible") == "1", 15),
                        "Notepad shows no readme")
        self.assert_explorer_on_the_group()
        self.assert_installed(self.disc / "hxdemo.pak", over=True)
        for path in unix_path(group()).iterdir():
            self.assertGreater(path.stat().st_mtime_ns, links[path.name], f"{path.name} not rewritten")


if __name__ == "__main__":
    unittest.main()
