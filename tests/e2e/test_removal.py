"""Removal, Play Game and the DirectX dialog as a user meets them, on the real setup.exe: an
installed state is made directly (files, program group, both records), then the labels are
clicked and the boxes answered with the real pointer."""

import functools
import os
import shutil
import signal
import subprocess
import time
import unittest
from pathlib import Path

from harness import (CAPTION, CD, DIRECTPLAY_KEY, ENV, PRODUCT_KEY, SETUP_EXE, children, click_button, key_exists,
                     probe, programs_folder, reg, set_directplay_record, set_installed, start_setup, unix_path,
                     wait_until, xdotool)
from test_main_window import POINTS, shows_label

BIN = SETUP_EXE.parent
CD_IMAGE_DIRECTX = BIN.parent / "cd" / "directx"
APP_NAME = "setup"  # the caption of the program's own boxes: its file name
GAME_CAPTION = "HexbreakerDemo (stand-in)"
GROUP_SHORTCUTS = ["HexbreakerDemo.lnk", "Read Me.lnk", "Uninstall HexbreakerDemo.lnk", "Hexbreaker Homepage.lnk"]
REINSTALL = "There was something wrong in installation. Please reinstall and try again."
INSERT_CD = "Please insert HexbreakerDemo CD into your CD drive."


@functools.cache
def install_dir():
    return unix_path(r"C:\HexbreakerDemo")


@functools.cache
def program_group():
    return programs_folder() / "HexbreakerDemo"


def make_installed(with_game=True):
    """What an install leaves: the folder with sub-folders, the program group and both records."""
    remove_installation()
    folder = install_dir()
    for sub in ("Multi", "Profiles"):
        (folder / sub).mkdir(parents=True)
    if with_game:
        shutil.copy(BIN / "hxdemo.exe", folder / "hxdemo.exe")
    (folder / "readme.txt").write_text("HexbreakerDemo\r\n")
    (folder / "Multi" / "canyon.mfd").write_bytes(b"\0" * 612)
    (folder / "Profiles" / "hum6.bmp").write_bytes(b"BM" + b"\0" * 100)
    group = program_group()
    group.mkdir(parents=True)
    for name in GROUP_SHORTCUTS:
        (group / name).write_bytes(b"L\0\0\0")
    set_installed()
    set_directplay_record()


def remove_installation():
    shutil.rmtree(install_dir(), ignore_errors=True)
    shutil.rmtree(program_group(), ignore_errors=True)
    for key in (PRODUCT_KEY, DIRECTPLAY_KEY):
        reg("delete", key, "/f", check=False)


def snapshot():
    """Everything removal touches: the files of both folders and the two records."""
    files = sorted(str(p) for root in (install_dir(), program_group()) if root.exists() for p in root.rglob("*"))
    return files, key_exists(PRODUCT_KEY), key_exists(DIRECTPLAY_KEY)


def box_text(caption):
    """The text of the message box with this caption, once it shows; None if none shows."""
    def text():
        for window_class, _, visible, label in children(caption):
            if window_class == "Static" and visible and label:
                return label
        return None
    return wait_until(text, timeout=10)


def wait_gone(caption):
    return wait_until(lambda: probe("window", caption).get("found") == "0", timeout=10)


def handed_over_processes(command_line):
    """Pids of the processes whose arguments are exactly the given Windows command line."""
    listing = subprocess.run(["ps", "-eo", "pid=,args="], capture_output=True, text=True).stdout
    return [int(pid) for pid, _, args in (line.strip().partition(" ") for line in listing.splitlines())
            if args.strip() == command_line]


def stand_in_texts(caption):
    """The labels of a stand-in program's window (what it was started as), once it shows."""
    def labels():
        found = [text for window_class, _, _, text in children(caption) if window_class == "Static"]
        return found if any(text.startswith("Program file:") for text in found) else None
    return wait_until(labels, timeout=15) or []


def end_stand_in(command_line, caption):
    """Ends a program the setup program handed over to (found by its command line)."""
    for pid in handed_over_processes(command_line):
        try:
            os.kill(pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
    wait_gone(caption)


class RemovalCase(unittest.TestCase):
    setup = None

    def tearDown(self):
        if self.setup:
            self.setup.kill()
        remove_installation()

    def start(self):
        xdotool("mousemove", 0, 0)
        self.setup = start_setup()
        return self.setup

    def click_label(self, name):
        self.setup.click(*POINTS[name])

    def assert_still_running(self):
        time.sleep(0.5)
        self.assertIsNone(self.setup.process.poll(), "the program ended")
        self.assertEqual(probe("window", CAPTION)["enabled"], "1", "the main window is not back in use")


class Uninstall(RemovalCase):
    def ask_uninstall(self):
        self.click_label("uninstall")
        self.assertEqual(box_text(APP_NAME), "Are you sure to uninstall HexbreakerDemo?")

    def test_cancel_changes_nothing(self):
        make_installed()
        before = snapshot()
        self.start()
        self.ask_uninstall()
        click_button(APP_NAME, "Cancel")
        self.assertTrue(wait_gone(APP_NAME))
        self.assert_still_running()
        self.assertEqual(snapshot(), before)

    def test_ok_removes_folder_group_and_records_then_ends_with_18(self):
        make_installed()
        self.start()
        self.ask_uninstall()
        click_button(APP_NAME, "OK")
        self.assertEqual(box_text(APP_NAME), "Uninstall completed.")
        self.assertFalse(install_dir().exists())
        self.assertFalse(program_group().exists())
        self.assertFalse(key_exists(PRODUCT_KEY))
        self.assertFalse(key_exists(DIRECTPLAY_KEY))
        self.assertTrue(key_exists(r"HKLM\Software\Tarn"))
        self.assertTrue(program_group().parent.exists())
        click_button(APP_NAME, "OK")
        self.assertEqual(self.setup.exit_code(), 18)
        self.setup = None

        self.start()
        self.assertTrue(shows_label(self.setup, "uninstall", "grey"), "the next start shows the installed state")


class PlayGame(RemovalCase):
    def tearDown(self):
        end_stand_in("hxdemo.exe", GAME_CAPTION)
        shutil.rmtree(Path(ENV["HX_DRIVE_E"]) / "onpath", ignore_errors=True)
        super().tearDown()

    def play_and_expect_hand_over(self, extra_env=None):
        xdotool("mousemove", 0, 0)
        self.setup = start_setup(extra_env)
        self.click_label("play")
        self.assertEqual(self.setup.exit_code(), 0)
        self.setup = None
        texts = stand_in_texts(GAME_CAPTION)
        self.assertIn("Started in: C:\\HexbreakerDemo", texts)
        self.assertIn("Command line: hxdemo.exe", texts)
        self.assertTrue(handed_over_processes("hxdemo.exe"), "the game's process shows its command line")
        return texts

    def test_starts_the_installed_game_and_ends_with_0(self):
        make_installed()
        texts = self.play_and_expect_hand_over()
        self.assertIn("Program file: C:\\HexbreakerDemo\\hxdemo.exe", texts)

    def test_installed_game_deleted_starts_the_one_on_path(self):
        make_installed(with_game=False)
        on_path = Path(ENV["HX_DRIVE_E"]) / "onpath"
        on_path.mkdir(parents=True, exist_ok=True)
        shutil.copy(BIN / "hxdemo.exe", on_path / "hxdemo.exe")
        texts = self.play_and_expect_hand_over({"WINEPATH": r"E:\onpath"})
        self.assertIn("Program file: E:\\onpath\\hxdemo.exe", texts)

    def test_found_nowhere_shows_the_error_each_click(self):
        make_installed(with_game=False)
        before = snapshot()
        self.start()
        for _ in range(2):
            self.click_label("play")
            self.assertEqual(box_text("Error"), REINSTALL)
            click_button("Error", "OK")
            self.assertTrue(wait_gone("Error"))
            self.assert_still_running()
        self.assertEqual(snapshot(), before)
        self.assertFalse(handed_over_processes("hxdemo.exe"))


INSTALLERS = {"Install DirectX 5.2": ("dx5eng.exe", "DirectX 5.2 setup (stand-in)"),
              "Install Direct Show": ("dxmweb.exe", "DirectShow setup (stand-in)")}


class DirectX(RemovalCase):
    def setUp(self):
        shutil.rmtree(CD / "directx", ignore_errors=True)
        shutil.copytree(CD_IMAGE_DIRECTX, CD / "directx")

    def tearDown(self):
        for program, caption in INSTALLERS.values():
            end_stand_in(program, caption)
        shutil.rmtree(CD / "directx.out", ignore_errors=True)
        super().tearDown()

    def open_dialog(self):
        self.start()
        self.click_label("directx")
        shown = wait_until(lambda: any(text == "Cancel" for _, _, _, text in children(CAPTION, of_popup=True)))
        self.assertTrue(shown, "the DirectX dialog did not open")

    def assert_installer_started(self, label):
        program, caption = INSTALLERS[label]
        self.assertEqual(self.setup.exit_code(), 0)
        self.setup = None
        texts = stand_in_texts(caption)
        self.assertIn("Started in: D:\\directx", texts)
        self.assertIn(f"Command line: {program}", texts)
        self.assertIn(f"Program file: D:\\directx\\{program}", texts)

    def test_cancel_starts_nothing(self):
        self.open_dialog()
        self.assertEqual(probe("window", CAPTION)["enabled"], "0", "the dialog is modal")
        click_button(CAPTION, "Cancel", of_popup=True)
        self.assert_still_running()
        self.assertFalse(any(handed_over_processes(program) for program, _ in INSTALLERS.values()))

    def test_each_button_hands_over_to_its_installer(self):
        for label in INSTALLERS:
            with self.subTest(label):
                self.open_dialog()
                click_button(CAPTION, label, of_popup=True)
                self.assert_installer_started(label)

    def test_cd_missing_prompts_until_it_is_back(self):
        self.open_dialog()
        (CD / "directx").rename(CD / "directx.out")
        click_button(CAPTION, "Install DirectX 5.2", of_popup=True)
        self.assertEqual(box_text("Error"), INSERT_CD)
        click_button("Error", "Retry")
        time.sleep(1)
        self.assertEqual(box_text("Error"), INSERT_CD, "asked again while the CD is still out")
        self.assertIsNone(self.setup.process.poll())
        (CD / "directx.out").rename(CD / "directx")
        click_button("Error", "Retry")
        self.assert_installer_started("Install DirectX 5.2")

    def test_cancel_in_the_prompt_ends_with_0(self):
        self.open_dialog()
        shutil.rmtree(CD / "directx")
        click_button(CAPTION, "Install Direct Show", of_popup=True)
        self.assertEqual(box_text("Error"), INSERT_CD)
        click_button("Error", "Cancel")
        self.assertEqual(self.setup.exit_code(), 0)
        self.setup = None
        self.assertFalse(handed_over_processes("dxmweb.exe"))


if __name__ == "__main__":
    unittest.main()
