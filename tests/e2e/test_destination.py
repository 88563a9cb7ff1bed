"""Choosing the destination as a user does: the install-directory dialog, the directory browser
opened from it (folders opened by double-clicks, another drive picked in the drive list), leaving
through Cancel, and a whole install into a folder with blanks on the second fixed drive E:."""

import shutil
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

from harness import (CAPTION, CD, ENV, HXPACK, PROBE_EXE, WINE, children, click_button, dialogs, pack_destinations,
                     probe, unix_path, wait_until, xdotool)
from test_install import INSTALL_DIR, InstallCase

BROWSER = "Select directory to install"
DRIVE_E = Path(ENV["HX_DRIVE_E"])
GAMES = "Hx Games"  # a folder with a blank, made on E: by the tests


def tree_items():
    """The browser's visible tree items, top to bottom: (depth, rectangle on screen, selected, label)."""
    output = subprocess.run([WINE, PROBE_EXE, "tree", BROWSER], env=ENV, capture_output=True,
                            timeout=60).stdout.decode("cp1252", errors="replace")
    items = []
    for line in output.splitlines():
        if line.startswith("item="):
            depth, rect, selected, label = line[len("item="):].split("\t", 3)
            items.append((int(depth), tuple(map(int, rect.split(","))), selected == "1", label))
    return items


def tree_shape():
    """(depth, label) of each visible item: the drive, the chain to the open folder, its subfolders."""
    return [(depth, label) for depth, _, _, label in tree_items()]


def is_open_folder(label):
    """Whether the item of that label is selected and alone at its depth (its siblings dropped)."""
    items = tree_items()
    depths = [depth for depth, _, selected, text in items if selected and text == label]
    return len(depths) == 1 and [depth for depth, _, _, _ in items].count(depths[0]) == 1


def install_dir_shown():
    """The destination the install-directory dialog shows."""
    for _, texts in dialogs():
        if "Select a directory to install Hexbreaker." in texts:
            return next((text for text in texts if text[1:3] == ":\\"), None)
    return None


def windows_to_unix(windows_path):
    return Path(subprocess.run([WINE, "winepath", "-u", windows_path], env=ENV, capture_output=True, text=True,
                               check=True).stdout.strip())


class DestinationCase(InstallCase):
    """Starts with E: holding "Hx Games" with two subfolders and a file."""

    def setUp(self):
        super().setUp()
        shutil.rmtree(DRIVE_E / GAMES, ignore_errors=True)
        for folder in ("Arcade", "Puzzle"):
            (DRIVE_E / GAMES / folder).mkdir(parents=True)
        (DRIVE_E / GAMES / "notes.txt").write_text("not a folder\r\n")

    def tearDown(self):
        super().tearDown()
        shutil.rmtree(DRIVE_E / GAMES, ignore_errors=True)

    # ---- the user's steps in the browser ----

    def open_browser(self):
        click_button(CAPTION, "Select", of_popup=True)
        self.assertTrue(wait_until(lambda: probe("window", BROWSER).get("visible") == "1", 10), "no browser")
        self.assertTrue(wait_until(tree_items, 10), "the browser's tree is empty")
        time.sleep(0.3)

    def double_click(self, label):
        """Double-clicks the tree item of that label and waits until it is the open folder."""
        rects = [rect for _, rect, _, text in tree_items() if text == label]
        self.assertTrue(rects, f"no item {label!r} in {tree_shape()}")
        left, top, right, bottom = rects[0]
        xdotool("mousemove", (left + right) // 2, (top + bottom) // 2)
        time.sleep(0.2)
        xdotool("click", "--repeat", "2", "--delay", "80", "1")
        self.assertTrue(wait_until(lambda: is_open_folder(label), 10), f"{label!r} not opened: {tree_shape()}")
        time.sleep(0.3)

    def pick_drive(self, drive):
        """Opens the drive list with the pointer and picks the drive in it by its letter."""
        left, top, right, bottom = next(rect for window_class, rect, _, _ in children(BROWSER)
                                        if window_class == "ComboBox")
        xdotool("mousemove", (left + right) // 2, (top + bottom) // 2)
        time.sleep(0.2)
        xdotool("click", "1")
        time.sleep(0.5)
        xdotool("key", drive[0].lower())  # picks the entry and closes the list
        self.assertTrue(wait_until(lambda: tree_shape()[:1] == [(0, drive)], 10), f"no tree of {drive}")
        time.sleep(0.3)

    def choose_on_e(self, *folders):
        """Opens the browser, picks E:, opens the folders one below the other, and selects."""
        self.open_browser()
        self.pick_drive("E:")
        for folder in folders:
            self.double_click(folder)
        click_button(BROWSER, "Select")
        self.assertTrue(wait_until(lambda: probe("window", BROWSER).get("found") == "0", 10), "the browser stayed")
        time.sleep(0.3)

    def assert_installed_under(self, install_dir, pack):
        """Every pack entry where the rules put it for this install directory, byte for byte."""
        installed_root = windows_to_unix(install_dir)
        with tempfile.TemporaryDirectory() as extracted:
            subprocess.run([HXPACK, "extract", pack, extracted], check=True, capture_output=True)
            for name, destination in pack_destinations(pack):
                with self.subTest(entry=name):
                    if destination.startswith(INSTALL_DIR + "\\"):  # the rules' paths name the default
                        path = installed_root.joinpath(*destination[len(INSTALL_DIR) + 1:].split("\\"))
                    else:
                        path = unix_path(destination)
                    self.assertTrue(path.is_file(), f"{path} missing")
                    self.assertEqual(path.read_bytes(), (Path(extracted) / name).read_bytes(), f"{path} differs")


class BrowsingTheDestination(DestinationCase):
    def test_browse_to_e_then_cancel_resume_and_exit(self):
        self.click_install()
        self.assertEqual(install_dir_shown(), INSTALL_DIR)
        self.open_browser()
        # The install made C:\ current: the browser opens on its root and lists its folders.
        shape = tree_shape()
        self.assertEqual(shape[0], (0, "C:"))
        self.assertIn((1, "windows"), shape)

        self.double_click("users")
        shape = tree_shape()
        self.assertEqual([item for item in shape if item[0] < 2], [(0, "C:"), (1, "users")])
        self.assertIn((2, "Public"), shape)

        self.pick_drive("E:")
        self.assertIn((1, GAMES), tree_shape())
        self.double_click(GAMES)
        self.assertEqual(tree_shape(), [(0, "E:"), (1, GAMES), (2, "Arcade"), (2, "Puzzle")])
        self.double_click("Arcade")
        self.assertEqual(tree_shape(), [(0, "E:"), (1, GAMES), (2, "Arcade")])
        space = [text for window_class, _, _, text in children(BROWSER) if text.startswith("Available space ")]
        self.assertRegex(space[0] if space else "", r"^Available space \d+MB$")
        click_button(BROWSER, "Select")

        chosen = rf"E:\{GAMES}\Arcade\HexbreakerDemo"
        self.assertEqual(wait_until(lambda: install_dir_shown() == chosen and chosen, 10), chosen)
        # Cancel, then Resume: the dialog stays with the choice.
        click_button(CAPTION, "Cancel", of_popup=True)
        self.assertTrue(wait_until(lambda: probe("window", "Exit installation").get("found") == "1", 10))
        time.sleep(0.3)
        click_button("Exit installation", "Resume")
        self.assertTrue(wait_until(lambda: probe("window", "Exit installation").get("found") == "0", 10))
        self.assertIsNone(self.setup.process.poll(), "Resume ended the program")
        self.assertEqual(install_dir_shown(), chosen)

        self.answer_exit()
        self.assertEqual(self.setup.exit_code(), 18)
        self.setup = None
        self.assert_nothing_recorded()
        self.assertEqual(sorted(p.name for p in (DRIVE_E / GAMES / "Arcade").iterdir()), [], "something was made")


class InstallOnE(DestinationCase):
    def test_whole_install_into_a_folder_with_blanks(self):
        self.click_install()
        self.choose_on_e(GAMES)
        install_dir = rf"E:\{GAMES}\HexbreakerDemo"
        self.assertEqual(install_dir_shown(), install_dir)
        click_button(CAPTION, "Install", of_popup=True)
        self.wait_for_readme_question()
        xdotool("key", "n")
        self.assertEqual(self.setup.exit_code(30), 0)
        self.setup = None

        self.assert_explorer_on_the_group()
        self.assert_installed_under(install_dir, CD / "hxdemo.pak")
        self.assertFalse(unix_path(INSTALL_DIR).exists(), "the default folder was made too")
        self.assert_records(install_dir)
        self.assert_shortcuts(install_dir)


if __name__ == "__main__":
    unittest.main()
