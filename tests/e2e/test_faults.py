"""Faults during install and removal, met by the real setup.exe: the program killed while it
works, many copies started at once, a full disk, the CD taken out, files in use, links and a
damaged product record. Each case checks what the user and the system are left with: the exit
status, the message shown, the files byte for byte, the registry and the Start menu.

A read-only file during removal, a pack refused before copying and a write failure without a
full disk are in the Windows unit tests, with a destination too long for the system."""

import os
import shutil
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

from harness import (CAPTION, CD, CD_IMAGE, DRIVE_C, ENV, HXPACK, LARGE_FILE, LARGE_SIZE, PRODUCT_KEY, PROBE_EXE, WINE,
                     SetupRun, click_button, dialog_showing, dialogs, key_exists, large_pack, pack_destinations, reg,
                     registry_values, start_setup, unix_path, wait_until, xdotool)
from test_install import INSTALL_DIR, InstallCase
from test_main_window import shows_label
from test_removal import (APP_NAME, REINSTALL, RemovalCase, box_text, install_dir, make_installed, program_group,
                          snapshot, wait_gone)

WRITE_FAILED = "Error occurred while copying files. Please check free space of your hard disk."
COPY_FAILED = "Error occurred while copying files."
INSTALL_DIR_GONE = "Unable to uninstall because of installed directory was moved or deleted."
SHARING_VIOLATION = "A sharing violation occurred while accessing an unnamed file."


def installed_tree(folder):
    """Every file under a folder, relative, with its bytes; links reported as links."""
    tree = {}
    for path in sorted(Path(folder).rglob("*")):
        relative = str(path.relative_to(folder))
        if path.is_symlink():
            tree[relative] = ("link", os.readlink(path))
        elif path.is_file():
            tree[relative] = path.read_bytes()
    return tree


def error_box(text, timeout=15):
    """Waits for a box showing `text`; its caption, or None."""
    def caption():
        return next((caption for caption, texts in dialogs() if text in texts), None)
    return wait_until(caption, timeout)


class InstallFault(InstallCase):
    def start_copying(self, pack):
        self.prepare_cd(pack)
        self.click_install()
        xdotool("key", "Return")
        self.assertTrue(wait_until(lambda: dialog_showing("Copying files..."), 15), "no copy dialog")

    def assert_next_start_not_installed(self):
        xdotool("mousemove", 0, 0)
        self.setup = start_setup()
        self.assertTrue(shows_label(self.setup, "uninstall", "grey"), "Uninstall is not grey")
        self.assertIsNone(registry_values(PRODUCT_KEY))
        self.setup.kill()
        self.setup = None

    def install_completely(self, pack):
        self.prepare_cd(pack)
        self.install_with_defaults("n")
        self.assert_files_installed(pack)
        self.assert_records(INSTALL_DIR)
        self.assert_shortcuts(INSTALL_DIR)

    def assert_clean_up_left(self, pack):
        """What a failed copy leaves in the install directory: the entries the clean-up pass does
        not delete (all but the install directory's own files and "Multi"'s ".mfd" maps), each
        whole, and nothing recorded."""
        expected = {}
        with tempfile.TemporaryDirectory() as extracted:
            subprocess.run([HXPACK, "extract", pack, extracted], check=True, capture_output=True)
            for name, destination in pack_destinations(pack):
                path = unix_path(destination)
                kept = path.parent.name == "Profiles" or (path.parent.name == "Multi" and not name.endswith(".mfd"))
                if kept and path.exists():
                    expected[f"{path.parent.name}/{name}"] = (Path(extracted) / name).read_bytes()
        left = installed_tree(unix_path(INSTALL_DIR))
        self.assertEqual(sorted(left), sorted(expected))
        self.assertEqual(left, expected, "a file left differs from the pack")
        self.assert_nothing_recorded()


class KilledDuringInstall(InstallFault):
    def kill_setup(self):
        self.setup.kill()
        self.setup = None

    def test_killed_at_points_of_the_copying_then_a_new_install_completes(self):
        large = unix_path(INSTALL_DIR + "\\" + LARGE_FILE)
        points = {
            "as copying starts": lambda: True,
            "half way through the large file": lambda: large.exists() and large.stat().st_size >= LARGE_SIZE // 2,
        }
        for point, reached in points.items():
            with self.subTest(point):
                self.start_copying(large_pack())
                self.assertTrue(wait_until(reached, 60), "copying never got there")
                self.kill_setup()
                self.assert_nothing_recorded()
                self.assert_next_start_not_installed()
        self.install_completely(large_pack())

    def test_killed_after_copying_before_the_records(self):
        self.prepare_cd(CD_IMAGE / "hxdemo.pak")
        self.click_install()
        group = unix_path(self.group)
        xdotool("key", "Return")
        # The program group is made after the copying and before the records.
        deadline = time.monotonic() + 60
        while not group.exists() and time.monotonic() < deadline:
            time.sleep(0.001)
        self.kill_setup()
        self.assertTrue(group.exists(), "the copying never ended")
        self.assertIsNone(registry_values(PRODUCT_KEY), "killed too late: the records were written")
        self.assert_next_start_not_installed()
        self.install_completely(CD_IMAGE / "hxdemo.pak")


class ManyCopiesAtOnce(unittest.TestCase):
    def test_ten_starts_give_one_main_window_and_nine_end_with_0(self):
        runs = [SetupRun() for _ in range(10)]
        try:
            ended = wait_until(lambda: sum(run.process.poll() is not None for run in runs) >= 9, 120)
            self.assertTrue(ended, "fewer than nine copies ended")
            time.sleep(1)
            self.assertEqual(sorted(run.process.poll() for run in runs if run.process.poll() is not None), [0] * 9)
            windows = wait_until(lambda: xdotool("search", "--onlyvisible", "--name", f"^{CAPTION}$").split(), 15)
            self.assertEqual(len(windows), 1, "not exactly one main window")
        finally:
            for run in runs:
                run.kill()


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
        windows_before = installed_tree(DRIVE_C / "windows")
        self.start_copying(CD_IMAGE / "hxdemo.pak")
        self.assertEqual(error_box(WRITE_FAILED), "Error!")
        xdotool("key", "Return")
        self.assertEqual(self.setup.exit_code(30), 18)
        self.setup = None
        self.assert_clean_up_left(CD_IMAGE / "hxdemo.pak")
        self.assertEqual(installed_tree(DRIVE_C / "windows"), windows_before)


class CdRemoved(InstallFault):
    def test_pack_cut_short_mid_copy_shows_the_copy_error_cleans_up_and_ends_with_18(self):
        large = unix_path(INSTALL_DIR + "\\" + LARGE_FILE)
        self.start_copying(large_pack())
        self.assertTrue(wait_until(lambda: large.exists() and large.stat().st_size > 0, 60))
        # What is left of a disc that stops answering: the first bytes only.
        os.truncate(CD / "hxdemo.pak", 4096)
        self.assertEqual(error_box(COPY_FAILED, 10), "Error!", "no message: the copying stalled")
        xdotool("key", "Return")
        self.assertEqual(self.setup.exit_code(15), 18)
        self.setup = None
        self.assert_clean_up_left(large_pack())


class RemovalFaults(RemovalCase):
    holder = None

    def tearDown(self):
        self.release()
        super().tearDown()
        shutil.rmtree(DRIVE_C / "hx-outside", ignore_errors=True)

    def hold(self, path):
        """A program that has the file open and lets others only read it."""
        self.holder = subprocess.Popen([WINE, str(PROBE_EXE), "hold", path], env=ENV, stdout=subprocess.PIPE,
                                       text=True)
        self.assertEqual(self.holder.stdout.readline().strip(), "held=1")

    def release(self):
        if self.holder:
            self.holder.kill()
            self.holder.wait(10)
            self.holder.stdout.close()
            self.holder = None

    def uninstall(self):
        self.start()
        self.click_label("uninstall")
        self.assertEqual(box_text(APP_NAME), "Are you sure to uninstall HexbreakerDemo?")
        click_button(APP_NAME, "OK")

    def finish_uninstall(self):
        self.assertEqual(box_text(APP_NAME), "Uninstall completed.")
        click_button(APP_NAME, "OK")
        self.assertEqual(self.setup.exit_code(), 18)
        self.setup = None

    def test_file_in_use_stops_the_removal_and_a_second_removal_completes(self):
        make_installed()
        group_before = installed_tree(program_group())
        self.hold(r"C:\HexbreakerDemo\readme.txt")
        self.uninstall()
        self.assertEqual(box_text(APP_NAME), SHARING_VIOLATION)
        click_button(APP_NAME, "OK")
        self.assertTrue(wait_gone(APP_NAME))
        self.assertIsNone(self.setup.process.poll(), "the program ended")
        self.assertEqual((install_dir() / "readme.txt").read_bytes(), b"HexbreakerDemo\r\n")
        self.assertEqual(installed_tree(program_group()), group_before, "the group went before the folder")
        self.assertTrue(key_exists(PRODUCT_KEY))
        self.setup.kill()
        self.setup = None

        self.release()
        self.uninstall()
        self.finish_uninstall()
        self.assertFalse(install_dir().exists())
        self.assertFalse(program_group().exists())
        self.assertFalse(key_exists(PRODUCT_KEY))

    def test_link_to_an_outside_folder_leaves_the_outside_untouched(self):
        make_installed()
        outside = DRIVE_C / "hx-outside"
        (outside / "saves").mkdir(parents=True)
        (outside / "notes.txt").write_bytes(b"keep me\r\n")
        (outside / "saves" / "slot1.sav").write_bytes(bytes(range(256)))
        before = installed_tree(outside)
        (install_dir() / "Linked").symlink_to(outside, target_is_directory=True)
        (install_dir() / "linked.txt").symlink_to(outside / "notes.txt")
        self.uninstall()
        self.finish_uninstall()
        self.assertEqual(installed_tree(outside), before)
        self.assertFalse(key_exists(PRODUCT_KEY))
        self.assertFalse(program_group().exists())
        # Wine cannot remove a link without reaching its target: the links stay, and their folder.
        self.assertEqual(sorted(p.name for p in install_dir().iterdir()), ["Linked", "linked.txt"])


class DamagedProductRecord(RemovalCase):
    """A "Path" that is no text, or longer than the program reads: it runs as installed nowhere."""

    def tearDown(self):
        super().tearDown()
        shutil.rmtree(DRIVE_C / ("d" * 60), ignore_errors=True)

    def long_installed_path(self):
        """A real folder, holding the game, whose path is longer than 128 characters."""
        folder = DRIVE_C / ("d" * 60) / ("e" * 60) / "HexbreakerDemo"
        folder.mkdir(parents=True)
        shutil.copy(install_dir() / "hxdemo.exe", folder / "hxdemo.exe")
        return "C:\\" + "d" * 60 + "\\" + "e" * 60 + "\\HexbreakerDemo"

    def test_play_and_uninstall_fail_with_their_messages_and_nothing_goes(self):
        for kind in ("number", "long text"):
            with self.subTest(kind):
                make_installed()
                if kind == "number":
                    reg("add", PRODUCT_KEY, "/v", "Path", "/t", "REG_DWORD", "/d", "1", "/f")
                else:
                    reg("add", PRODUCT_KEY, "/v", "Path", "/d", self.long_installed_path(), "/f")
                before = snapshot(), installed_tree(DRIVE_C / ("d" * 60))
                self.start()
                self.click_label("play")
                self.assertEqual(box_text("Error"), REINSTALL)
                click_button("Error", "OK")
                self.assertTrue(wait_gone("Error"))
                self.click_label("uninstall")
                self.assertEqual(box_text(APP_NAME), "Are you sure to uninstall HexbreakerDemo?")
                click_button(APP_NAME, "OK")
                self.assertEqual(box_text("Error"), INSTALL_DIR_GONE)
                click_button("Error", "OK")
                self.assertTrue(wait_gone("Error"))
                self.assert_still_running()
                self.assertEqual((snapshot(), installed_tree(DRIVE_C / ("d" * 60))), before)
                self.setup.kill()
                self.setup = None


if __name__ == "__main__":
    unittest.main()
