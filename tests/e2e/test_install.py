"""Installs that do not go the whole way as planned: a Programs folder that cannot be entered, and
the user leaving while the files are copied. The whole install from the disc is in
test_cd_image_install.py, one into another folder in test_destination.py."""

import time
import unittest

from harness import (CD, DRIVE_C, INSTALL_DIR, LARGE_FILE, SHELL_FOLDERS_KEY, SetupCase, dialog_showing, large_pack,
                     reg_text, unix_path, wait_until, wine, xdotool)


class NoProgramsFolder(SetupCase):
    """No group, no stray link files, Explorer on the install directory, the records written all the same."""

    def setUp(self):
        super().setUp()
        self.saved_programs = reg_text(SHELL_FOLDERS_KEY, "Programs")
        wine("reg", "add", SHELL_FOLDERS_KEY, "/v", "Programs", "/d", r"C:\no such folder\Programs", "/f")

    def tearDown(self):
        wine("reg", "add", SHELL_FOLDERS_KEY, "/v", "Programs", "/d", self.saved_programs, "/f")
        super().tearDown()

    def test_group_is_left_out(self):
        links_before = set(DRIVE_C.rglob("*.lnk")) | set(CD.rglob("*.lnk"))
        self.install_with_defaults("n")
        self.assertEqual(wait_until(lambda: self.started("explorer"), 15), ["explorer " + INSTALL_DIR])
        self.assertEqual(set(DRIVE_C.rglob("*.lnk")) | set(CD.rglob("*.lnk")), links_before, "stray link files")
        self.assertFalse(unix_path(r"C:\no such folder").exists())
        self.assert_records()


class LeavingTheInstall(SetupCase):
    def test_exit_while_copying(self):
        self.prepare_cd(large_pack())
        self.click_install()
        xdotool("key", "Return")
        self.assertTrue(wait_until(lambda: dialog_showing("Copying files..."), 10), "no copy dialog")
        time.sleep(0.5)
        self.answer_exit()
        self.assert_exit(18, 30)
        self.assert_nothing_recorded()
        self.assertFalse(unix_path(INSTALL_DIR + "\\" + LARGE_FILE).exists(), "the copied file stayed")


if __name__ == "__main__":
    unittest.main()
