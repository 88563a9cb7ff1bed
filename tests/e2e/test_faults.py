"""Faults during install and removal, met by the real setup.exe: the program killed while it
works, a full disk, the CD taken out, a file in use and a damaged product record. Each case checks
what the user and the system are left with: the exit status, the message shown, the files byte
for byte, the registry and the Start menu.

A read-only file during removal, links in the install folder, a pack refused before copying and a
write failure without a full disk are in the Windows unit tests, with a destination too long for
the system."""

import os
import shutil
import subprocess
import unittest

from harness import (APP_NAME, ASK_UNINSTALL, CD, CD_IMAGE, DIRECTPLAY_KEY, DRIVE_C, ENV, INSTALL_DIR, LARGE_FILE,
                     LARGE_SIZE, PRODUCT_KEY, PROBE_EXE, REINSTALL, WINE, SetupCase, click_button, dialog_showing,
                     dialogs, group, key_exists, large_pack, make_installed, pack_destinations, pack_files, reg,
                     registry_values, remove_installation, snapshot, tree, unix_path, wait_until, window_found, xdotool)

WRITE_FAILED = "Error occurred while copying files. Please check free space of your hard disk."
COPY_FAILED = "Error occurred while copying files."
INSTALL_DIR_GONE = "Unable to uninstall because of installed directory was moved or deleted."
SHARING_VIOLATION = "A sharing violation occurred while accessing an unnamed file."


def error_box(text, timeout=15):
    """Waits for a box showing `text`; its caption, or None."""
    return wait_until(lambda: next((caption for caption, texts in dialogs() if text in texts), None), timeout)


class InstallFault(SetupCase):
    def start_copying(self, pack):
        self.prepare_cd(pack)
        self.click_install()
        xdotool("key", "Return")
        self.assertTrue(wait_until(lambda: dialog_showing("Copying files..."), 15), "no copy dialog")

    def fail_copying(self, message, pack):
        """The error box shows `message` at once; after OK the program ends with 18 and has left only
        what its clean-up pass keeps (the "Profiles" entries and "Multi"'s non-map files), each whole."""
        self.assertEqual(error_box(message, 10), "Error!", "no message: the copying stalled")
        xdotool("key", "Return")
        self.assert_exit(18, 15)
        files, expected = pack_files(pack), {}
        for name, destination in pack_destinations(pack):
            path = unix_path(destination)
            kept = path.parent.name == "Profiles" or (path.parent.name == "Multi" and not name.endswith(".mfd"))
            if kept and path.exists():
                expected[f"{path.parent.name}/{name}"] = files[name]
        left = tree(unix_path(INSTALL_DIR))
        self.assertEqual(sorted(left), sorted(expected))
        self.assertEqual(left, expected, "a file left differs from the pack")
        self.assert_nothing_recorded()


class Interrupted(InstallFault):
    def test_killed_at_points_of_the_install_then_a_new_install_completes(self):
        large, group_folder = unix_path(INSTALL_DIR + "\\" + LARGE_FILE), unix_path(group())
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
                self.setup = None
                self.assertIsNone(registry_values(PRODUCT_KEY), "killed too late: the records were written")
                self.assertIsNone(registry_values(DIRECTPLAY_KEY))
                self.assertEqual(group_folder.exists(), group_made)
                # The next start is a first copy and shows nothing installed.
                self.start()
                self.assert_labels_look(uninstall="grey")
                self.setup.kill()
                self.setup = None
        self.install_with_defaults("n")
        self.assert_files_installed(large_pack())
        self.assert_records()
        self.assert_shortcuts()

    def test_cd_cut_short_mid_copy_shows_the_copy_error_cleans_up_and_ends_with_18(self):
        large = unix_path(INSTALL_DIR + "\\" + LARGE_FILE)
        self.start_copying(large_pack())
        self.assertTrue(wait_until(lambda: large.exists() and large.stat().st_size > 0, 60))
        # What is left of a disc that stops answering: the first bytes only.
        os.truncate(CD / "hxdemo.pak", 4096)
        self.fail_copying(COPY_FAILED, large_pack())


@unittest.skipUnless(os.geteuid() == 0, "mounting a small drive needs root")
class DiskFull(InstallFault):
    """The install directory on a drive of 128 KiB: the game's first file does not fit."""

    def setUp(self):
        super().setUp()
        self.mount = unix_path(INSTALL_DIR)
        self.mount.mkdir()
        subprocess.run(["mount", "-t", "tmpfs", "-o", "size=128k,mode=0777", "tmpfs", self.mount], check=True)

    def tearDown(self):
        subprocess.run(["umount", self.mount], check=False)
        super().tearDown()

    def test_write_failure_message_clean_up_and_18(self):
        windows_before = tree(DRIVE_C / "windows")
        self.start_copying(CD_IMAGE / "hxdemo.pak")
        self.fail_copying(WRITE_FAILED, CD_IMAGE / "hxdemo.pak")
        self.assertEqual(tree(DRIVE_C / "windows"), windows_before)


class RemovalFaults(SetupCase):
    def uninstall(self):
        self.start()
        self.click_label("uninstall")
        self.answer(APP_NAME, ASK_UNINSTALL, "OK")

    def test_file_in_use_stops_the_removal_and_a_second_removal_completes(self):
        make_installed()
        before = snapshot()
        # A program that has the file open and lets others only read it.
        holder = subprocess.Popen([WINE, str(PROBE_EXE), "hold", r"C:\HexbreakerDemo\readme.txt"], env=ENV,
                                  stdout=subprocess.PIPE, text=True)
        try:
            self.assertEqual(holder.stdout.readline().strip(), "held=1")
            self.uninstall()
            self.answer(APP_NAME, SHARING_VIOLATION, "OK")
            self.assertTrue(wait_until(lambda: not window_found(APP_NAME)))
            self.assertIsNone(self.setup.process.poll(), "the program ended")
            after = snapshot()
            self.assertEqual(after[0]["readme.txt"], b"HexbreakerDemo\r\n")
            self.assertEqual(after[1:], before[1:], "the group or the records went before the folder")
            self.setup.kill()
        finally:
            holder.kill()
            holder.wait(10)
            holder.stdout.close()
        self.uninstall()
        self.answer(APP_NAME, "Uninstall completed.", "OK")
        self.assert_exit(18)
        self.assertEqual([unix_path(INSTALL_DIR).exists(), unix_path(group()).exists(), key_exists(PRODUCT_KEY)],
                         [False] * 3)

    def test_damaged_path_play_and_uninstall_fail_with_their_messages_and_nothing_goes(self):
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
                self.answer("Error", REINSTALL, "OK")
                self.assertTrue(wait_until(lambda: not window_found("Error")))
                self.click_label("uninstall")
                self.answer(APP_NAME, ASK_UNINSTALL, "OK")
                self.answer("Error", INSTALL_DIR_GONE, "OK")
                self.assertTrue(wait_until(lambda: not window_found("Error")))
                self.assert_still_running()
                self.assertEqual((snapshot(), tree(DRIVE_C / ("d" * 60))), before)
                self.setup.kill()
                self.setup = None
                remove_installation()


if __name__ == "__main__":
    unittest.main()
