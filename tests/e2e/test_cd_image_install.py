"""The demo CD as it ships: its disc image made and read back with xorriso, the contents shown as the
CD-ROM drive D:, and the setup.exe on it run through a whole install and then a removal."""

import os
import shutil
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

from harness import (CD_IMAGE, DIRECTPLAY_KEY as DP_KEY, ENV, PRODUCT_KEY, RIG, ROOT, click_button, dialog_showing,
                     key_exists, start_setup, unix_path, wait_until, xdotool)
from test_install import INSTALL_DIR, INSTALL_POINT, InstallCase
from test_main_window import POINTS
from test_removal import APP_NAME, box_text

MAKE_ISO = ROOT / "demo" / "make-iso"


def point_drive_d_at(folder):
    """Makes the CD-ROM drive D: show the folder (the rig links D: to HX_CD on each call)."""
    subprocess.run([RIG / "wine-prefix"], env={**ENV, "HX_CD": str(folder)}, check=True)


class CdImageInstall(InstallCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.work = Path(tempfile.mkdtemp(prefix="hx-disc-"))
        image, cls.disc = cls.work / "hexbreakerdemo.iso", cls.work / "disc"
        subprocess.run([MAKE_ISO, CD_IMAGE, image], check=True, capture_output=True)
        subprocess.run(["xorriso", "-no_rc", "-read_fs", "norock", "-indev", image, "-osirrox", "on",
                        "-extract", "/", cls.disc], check=True, capture_output=True)
        point_drive_d_at(cls.disc)  # its files read-only, as Wine shows a real disc's

    @classmethod
    def tearDownClass(cls):
        point_drive_d_at(ENV["HX_CD"])
        for folder, _, _ in os.walk(cls.work):  # a disc's files come off it read-only
            os.chmod(folder, 0o755)
        shutil.rmtree(cls.work)

    def click_install(self):
        xdotool("mousemove", 0, 0)
        self.setup = start_setup(disc=self.disc)
        self.setup.click(*INSTALL_POINT)
        self.assertTrue(wait_until(lambda: dialog_showing("Select"), 10), "no install-directory dialog")
        time.sleep(0.3)

    def test_install_then_remove_from_the_disc(self):
        self.assertEqual(Path(os.readlink(Path(ENV["WINEPREFIX"]) / "dosdevices" / "d:")), self.disc)
        self.assertEqual(sorted(p.name for p in self.disc.iterdir() if p.suffix.lower() in (".exe", ".pak", ".inf")),
                         ["autorun.inf", "hxdemo.pak", "setup.exe"])
        self.install_with_defaults("n")
        self.assert_explorer_on_the_group()
        self.assert_files_installed(self.disc / "hxdemo.pak")
        self.assert_records(INSTALL_DIR)
        self.assert_shortcuts(INSTALL_DIR)
        self.close_started_programs()

        xdotool("mousemove", 0, 0)
        self.setup = start_setup(disc=self.disc)
        self.setup.click(*POINTS["uninstall"])
        self.assertEqual(box_text(APP_NAME), "Are you sure to uninstall HexbreakerDemo?")
        click_button(APP_NAME, "OK")
        self.assertEqual(box_text(APP_NAME), "Uninstall completed.")
        click_button(APP_NAME, "OK")
        self.assertEqual(self.setup.exit_code(), 18)
        self.setup = None
        self.assertFalse(unix_path(INSTALL_DIR).exists(), "the install folder stayed")
        self.assertFalse(unix_path(self.group).exists(), "the program group stayed")
        self.assertFalse(key_exists(PRODUCT_KEY) or key_exists(DP_KEY), "a record stayed")


if __name__ == "__main__":
    unittest.main()
