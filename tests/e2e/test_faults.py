"""Faults met by setup.exe and what the user and the system are left with (the README's "What it survives")."""

import os
import shutil
import unittest

from harness import (CD, DIRECTPLAY_KEY, DRIVE_C, INSTALL_DIR, LARGE_FILE, LARGE_SIZE, PRODUCT_KEY,
                     SHELL_FOLDERS_KEY, SetupCase, command_lines, group, key_exists, large_pack, pack_files,
                     registry_values, showing, tree, unix_path, wait_until, wine, xdotool)

LARGE = unix_path(INSTALL_DIR) / LARGE_FILE


class Faults(SetupCase):
    def start_copying(self, pack, until_large_begun=False):
        shutil.copy(pack, CD / "hxdemo.pak")
        self.click_install()
        xdotool("key", "Return")
        self.assertIsNotNone(showing("Copying files...", 15), "no copy dialog")
        self.assertTrue(not until_large_begun or wait_until(lambda: LARGE.exists() and LARGE.stat().st_size, 60))

    def test_killed_at_points_of_the_install_then_a_new_install_completes(self):
        group_folder = unix_path(group())
        points = [  # (where, reached, whether the program group is made by then)
            ("half way through the large file", lambda: LARGE.exists() and LARGE.stat().st_size >= LARGE_SIZE // 2,
             False),
            # The program group is made after the copying and before the records.
            ("after the copying, before the records", group_folder.exists, True),
        ]
        for where, reached, group_made in points:
            with self.subTest(where):
                self.start_copying(large_pack())
                self.assertTrue(wait_until(reached, 60, interval=0.001), "the install never got there")
                self.setup.kill()
                self.assertEqual([key_exists(PRODUCT_KEY), key_exists(DIRECTPLAY_KEY), group_folder.exists()],
                                 [False, False, group_made], "killed too late, or the group made early")
                # The next start is a first copy and shows nothing installed.
                self.start()
                self.assert_labels_look(uninstall="grey")
                self.setup.kill()
        self.install_with_defaults("n")
        self.assert_installed(large_pack(), over=True)  # it keeps the shared library a killed run left

    def test_cd_cut_short_mid_copy_shows_the_copy_error_cleans_up_and_ends_with_18(self):
        self.start_copying(large_pack(), until_large_begun=True)
        # What is left of a disc that stops answering: the first bytes only.
        os.truncate(CD / "hxdemo.pak", 4096)
        self.answer("Error!", "Error occurred while copying files.", "OK")
        self.assert_exit(18, 15)
        # Left: what the clean-up pass keeps (the "Profiles" entries and "Multi"'s non-map files), each whole.
        files = pack_files(large_pack())
        for path, data in tree(unix_path(INSTALL_DIR)).items():
            folder, _, name = path.rpartition("/")
            self.assertTrue(folder == "Profiles" or folder == "Multi" and not name.endswith(".mfd"), f"{path} left")
            self.assertEqual(data, files[name], f"{path} differs from the pack")
        self.assert_removed(install_dir=False)

    def test_no_programs_folder_no_group_nor_stray_links_explorer_on_the_install_dir(self):
        saved = registry_values(SHELL_FOLDERS_KEY)["Programs"][1]
        missing = unix_path(r"C:\no such folder")
        shutil.rmtree(missing, True)  # a run cut short while "Programs" named it may have left it
        self.addCleanup(shutil.rmtree, missing, True)
        self.addCleanup(wine, "reg", "add", SHELL_FOLDERS_KEY, "/v", "Programs", "/d", saved, "/f")
        wine("reg", "add", SHELL_FOLDERS_KEY, "/v", "Programs", "/d", r"C:\no such folder\Programs", "/f")
        links_before = set(DRIVE_C.rglob("*.lnk")) | set(CD.rglob("*.lnk"))
        self.install_with_defaults("n")
        self.assertEqual(wait_until(lambda: command_lines("explorer"), 15), ["explorer " + INSTALL_DIR])
        self.assertEqual(set(DRIVE_C.rglob("*.lnk")) | set(CD.rglob("*.lnk")), links_before, "stray link files")
        self.assertFalse(missing.exists())
        self.assert_records()


if __name__ == "__main__":
    unittest.main()
