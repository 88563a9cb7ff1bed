"""Faults met by setup.exe and what the user and the system are left with (the README's "What it survives")."""

import os
import shutil
import subprocess
import unittest

from harness import (CD, CD_IMAGE, DIRECTPLAY_KEY, DRIVE_C, INSTALL_DIR, LARGE_FILE, LARGE_SIZE, PRODUCT_KEY,
                     REINSTALL, SHELL_FOLDERS_KEY, SetupCase, command_lines, group, key_exists, large_pack, make_installed,
                     pack_files, reg, registry_values, remove_installation, showing, snapshot, tree, unix_path,
                     wait_until, wine, xdotool)

LARGE = INSTALL_DIR + "\\" + LARGE_FILE


class Faults(SetupCase):
    def start_copying(self, pack, until_large_begun=False):
        shutil.copy(pack, CD / "hxdemo.pak")
        self.click_install()
        xdotool("key", "Return")
        self.assertIsNotNone(showing("Copying files...", 15), "no copy dialog")
        large = unix_path(LARGE)
        self.assertTrue(not until_large_begun or wait_until(lambda: large.exists() and large.stat().st_size, 60))

    def fail_copying(self, message, pack):
        """The error box shows `message` at once; after OK the program ends with 18 and has left only
        what its clean-up pass keeps (the "Profiles" entries and "Multi"'s non-map files), each whole."""
        self.answer("Error!", message, "OK")
        self.assert_exit(18, 15)
        files = pack_files(pack)
        for path, data in tree(unix_path(INSTALL_DIR)).items():
            folder, _, name = path.rpartition("/")
            self.assertTrue(folder == "Profiles" or folder == "Multi" and not name.endswith(".mfd"), f"{path} left")
            self.assertEqual(data, files[name], f"{path} differs from the pack")
        self.assert_removed(install_dir=False)

    def test_killed_at_points_of_the_install_then_a_new_install_completes(self):
        large, group_folder = unix_path(LARGE), unix_path(group())
        points = [  # (where, reached, whether the program group is made by then)
            ("as copying starts", lambda: True, False),
            ("half way through the large file", lambda: large.exists() and large.stat().st_size >= LARGE_SIZE // 2,
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

    def test_exit_while_copying_ends_with_18_and_takes_the_copied_file_back(self):
        self.start_copying(large_pack(), until_large_begun=True)
        self.answer_exit()
        self.assert_exit(18, 30)
        self.assert_removed(install_dir=False)
        self.assertFalse(unix_path(LARGE).exists(), "the copied file stayed")

    def test_cd_cut_short_mid_copy_shows_the_copy_error_cleans_up_and_ends_with_18(self):
        self.start_copying(large_pack(), until_large_begun=True)
        # What is left of a disc that stops answering: the first bytes only.
        os.truncate(CD / "hxdemo.pak", 4096)
        self.fail_copying("Error occurred while copying files.", large_pack())

    @unittest.skipUnless(os.geteuid() == 0, "mounting a small drive needs root")
    def test_disk_full_shows_the_write_failure_cleans_up_and_ends_with_18(self):
        # The install directory on a drive of 128 KiB: the game's first file does not fit.
        mount = unix_path(INSTALL_DIR)
        mount.mkdir()
        subprocess.run(["mount", "-t", "tmpfs", "-o", "size=128k,mode=0777", "tmpfs", mount], check=True)
        self.addCleanup(mount.rmdir)
        self.addCleanup(subprocess.run, ["umount", mount])
        windows_before = tree(DRIVE_C / "windows")
        self.start_copying(CD_IMAGE / "hxdemo.pak")
        self.fail_copying("Error occurred while copying files. Please check free space of your hard disk.",
                          CD_IMAGE / "hxdemo.pak")
        self.assertEqual(tree(DRIVE_C / "windows"), windows_before)

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

    def test_damaged_path_play_fails_with_its_message_and_nothing_goes(self):
        # A "Path" that is no text, or longer than the program reads (a real folder holding the game).
        long_path = "C:\\" + "d" * 60 + "\\" + "e" * 60 + "\\HexbreakerDemo"
        self.addCleanup(shutil.rmtree, DRIVE_C / ("d" * 60), True)
        for kind, value in (("number", ["/t", "REG_DWORD", "/d", "1"]), ("long text", ["/d", long_path])):
            with self.subTest(kind):
                make_installed()
                unix_path(long_path).mkdir(parents=True, exist_ok=True)
                shutil.copy(unix_path(INSTALL_DIR) / "hxdemo.exe", unix_path(long_path) / "hxdemo.exe")
                reg("add", PRODUCT_KEY, "/v", "Path", *value, "/f")
                before = snapshot(), tree(DRIVE_C / ("d" * 60))
                self.start()
                self.click_label("play")
                self.answer("Error", REINSTALL, "OK", closes=True)
                self.assert_still_running()
                self.assertEqual((snapshot(), tree(DRIVE_C / ("d" * 60))), before)
                self.setup.kill()
                remove_installation()

if __name__ == "__main__":
    unittest.main()
