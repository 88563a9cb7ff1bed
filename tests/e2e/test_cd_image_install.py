"""The demo CD as it ships, and the whole install from it: the disc image made by demo/make-iso and
read back with xorriso (the Joliet tree, the names Windows sees), its contents shown as the CD-ROM
drive D:, and the setup.exe on it run through two installs and the removal."""

import configparser
import hashlib
import os
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

from harness import (APP_NAME, ASK_UNINSTALL, CD_IMAGE, DIRECTPLAY_KEY, DOSDEVICES, ENV, INSTALL_DIR, PRODUCT_KEY,
                     RIG, ROOT, SetupCase, group, key_exists, probe, snapshot, unix_path, wait_until, window_found)


def xorriso(image, *commands):
    return subprocess.run(["xorriso", "-no_rc", "-read_fs", "norock", "-indev", image, *commands],
                          capture_output=True, text=True, check=True).stdout


def point_drive_d_at(folder):
    """Makes the CD-ROM drive D: show the folder (the rig links D: to HX_CD on each call)."""
    subprocess.run([RIG / "wine-prefix"], env={**ENV, "HX_CD": str(folder)}, check=True)


def contents(root):
    """Every file (its SHA-256) and folder (None) under root, by relative path."""
    return {str(p.relative_to(root)): hashlib.sha256(p.read_bytes()).hexdigest() if p.is_file() else None
            for p in root.rglob("*")}


class CdImageInstall(SetupCase):
    @classmethod
    def setUpClass(cls):
        cls.work = Path(tempfile.mkdtemp(prefix="hx-disc-"))
        cls.image, cls.disc = cls.work / "hexbreakerdemo.iso", cls.work / "disc"
        subprocess.run([ROOT / "demo" / "make-iso", CD_IMAGE, cls.image], check=True, capture_output=True)
        xorriso(cls.image, "-osirrox", "on", "-extract", "/", cls.disc)
        point_drive_d_at(cls.disc)  # its files read-only, as Wine shows a real disc's

    @classmethod
    def tearDownClass(cls):
        point_drive_d_at(ENV["HX_CD"])
        for folder, _, _ in os.walk(cls.work):  # a disc's files come off it read-only
            os.chmod(folder, 0o755)
        shutil.rmtree(cls.work)

    def test_image_holds_the_cd_folder_exactly(self):
        self.assertIn("Volume Id    : HEXBREAKER\n", xorriso(self.image, "-pvd_info"))
        self.assertEqual(contents(self.disc), contents(CD_IMAGE))
        for required in ("setup.exe", "hxdemo.pak", "autorun.inf", "directx"):
            self.assertIn(required, contents(self.disc))
        autorun_bytes = (self.disc / "autorun.inf").read_bytes()
        self.assertEqual(autorun_bytes.count(b"\n"), autorun_bytes.count(b"\r\n"), "CRLF line ends")
        autorun = configparser.ConfigParser()
        autorun.read_string(autorun_bytes.decode("ascii"))
        self.assertEqual(autorun.sections(), ["autorun"])
        self.assertEqual(dict(autorun["autorun"]), {"open": "setup.exe", "icon": "setup.exe", "label": "HexbreakerDemo"})

    def assert_installed(self):
        self.assert_explorer_on_the_group()
        self.assert_files_installed(self.disc / "hxdemo.pak")
        self.assert_records()
        self.assert_shortcuts()

    def test_install_install_again_and_remove_from_the_disc(self):
        self.assertEqual(Path(os.readlink(DOSDEVICES / "d:")), self.disc)
        self.install_with_defaults("n", disc=self.disc)
        self.assert_installed()
        self.assertFalse(self.started("notepad"))
        self.close_started_programs()
        links = {p.name: p.stat().st_mtime_ns for p in unix_path(group()).iterdir()}

        self.install_with_defaults("y", disc=self.disc)
        self.assertEqual(wait_until(lambda: self.started("notepad"), 15), [r"notepad C:\HexbreakerDemo\readme.txt"])
        self.assertTrue(wait_until(lambda: probe("window", "readme.txt - Notepad").get("visible") == "1", 15),
                        "Notepad shows no readme")
        self.assert_installed()
        for path in unix_path(group()).iterdir():
            self.assertGreater(path.stat().st_mtime_ns, links[path.name], f"{path.name} not rewritten")
        self.close_started_programs()

        before = snapshot()
        self.start(disc=self.disc)
        self.click_label("uninstall")
        self.answer(APP_NAME, ASK_UNINSTALL, "Cancel")
        self.assertTrue(wait_until(lambda: not window_found(APP_NAME)))
        self.assert_still_running()
        self.assertEqual(snapshot(), before, "Cancel changed something")
        self.click_label("uninstall")
        self.answer(APP_NAME, ASK_UNINSTALL, "OK")
        self.answer(APP_NAME, "Uninstall completed.", "OK")
        self.assert_exit(18)
        self.assertFalse(unix_path(INSTALL_DIR).exists(), "the install folder stayed")
        self.assertFalse(unix_path(group()).exists(), "the program group stayed")
        self.assertEqual((key_exists(PRODUCT_KEY), key_exists(DIRECTPLAY_KEY)), (False, False), "a record stayed")
        self.assertTrue(key_exists(r"HKLM\Software\Tarn"), "the maker's key went too")
        self.assertTrue(unix_path(group()).parent.exists(), "the Programs folder went too")
        self.start(disc=self.disc)
        self.assert_labels_look(uninstall="grey")


if __name__ == "__main__":
    unittest.main()
