"""The destination chosen as a user does: the install-directory dialog, the directory browser (folders
opened by double-clicks, another drive picked in the drive list), Cancel, and a whole install and removal
on the second fixed drive E: (see the README)."""

import os
import shutil
import unittest

from harness import (BROWSER, CAPTION, CD, DRIVE_E, INSTALL_DIR, SetupCase, as_rect, children, click_at, click_button,
                     language, probe_rows, screenshot, unix_path, wait_until, window_found, xdotool)

GAMES = "Hx Games"  # a folder with a blank, made on E: by the tests


def tree_items():
    """The browser's visible tree items, top to bottom: (depth, label, rectangle of the label on screen)."""
    return [(int(row[0]), row[2], as_rect(row[1])) for kind, row in probe_rows("tree", BROWSER) if kind == "item"]


def tree_shape():
    return [item[:2] for item in tree_items()]


def install_dir_shown():
    """The destination the install-directory dialog shows, when it is the window in front."""
    texts = [text for _, _, _, text in children(CAPTION, of_popup=True)]
    in_front = "Select a directory to install Hexbreaker." in texts
    return next((text for text in texts if in_front and text[1:3] == ":\\"), None)


class Destination(SetupCase):
    def setUp(self):  # E: holds "Hx Games" with two subfolders and a file
        super().setUp()
        shutil.rmtree(DRIVE_E / GAMES, ignore_errors=True)
        for folder in ("Arcade", "Puzzle"):
            (DRIVE_E / GAMES / folder).mkdir(parents=True)
        (DRIVE_E / GAMES / "notes.txt").write_text("not a folder\r\n")
        self.addCleanup(shutil.rmtree, DRIVE_E / GAMES, True)

    def browse_to(self, folder, subfolders):
        """Opens the browser, picks E: in the drive list with the pointer, double-clicks the folder of E:."""
        click_button(CAPTION, "Select", of_popup=True)
        self.assertTrue(wait_until(lambda: window_found(BROWSER) and tree_items(), 10), "no browser, or no tree")
        # The install made C:\ current: the browser opens on its root and lists its folders.
        self.assertEqual(tree_shape()[0], (0, "C:"))
        self.assertIn((1, "windows"), tree_shape())
        combo = next(rect for window_class, rect, _, _ in children(BROWSER) if window_class == "ComboBox")
        below = (combo[0], combo[3], combo[2], combo[3] + 20)  # where the list drops down
        closed = list(screenshot().crop(below).getdata())
        click_at(combo)
        self.assertTrue(wait_until(lambda: list(screenshot().crop(below).getdata()) != closed, 10), "no drive list")
        xdotool("key", "e")  # picks the entry and closes the list
        self.assertTrue(wait_until(lambda: tree_shape()[:1] == [(0, "E:")], 10), "no tree of E:")
        self.assertIn((1, folder), tree_shape())
        self.double_click(folder, [(0, "E:"), (1, folder), *subfolders])

    def double_click(self, label, shape):
        """Double-clicks the tree item of that label and waits until the tree has that shape."""
        rects = [rect for _, text, rect in tree_items() if text == label]
        self.assertTrue(rects, f"no item {label!r} in {tree_shape()}")
        click_at(rects[0], "--repeat", "2", "--delay", "80")
        self.assertEqual(wait_until(lambda: tree_shape() == shape and shape, 10), shape, tree_shape())

    def select(self, chosen):
        click_button(BROWSER, "Select")
        self.assertEqual(wait_until(lambda: install_dir_shown() == chosen and chosen, 10), chosen)

    def test_browse_to_e_then_cancel_resume_and_exit(self):
        self.click_install()
        self.assertEqual(install_dir_shown(), INSTALL_DIR)
        self.browse_to(GAMES, [(2, "Arcade"), (2, "Puzzle")])
        self.double_click("Arcade", [(0, "E:"), (1, GAMES), (2, "Arcade")])
        chosen = rf"E:\{GAMES}\Arcade\HexbreakerDemo"
        self.select(chosen)
        # Cancel, then Resume: the dialog stays with the choice.
        click_button(CAPTION, "Cancel", of_popup=True)
        self.answer("Exit installation", "Are you sure to exit installation?", "Resume", closes=True)
        self.assertIsNone(self.setup.process.poll(), "Resume ended the program")
        self.assertEqual(install_dir_shown(), chosen)
        xdotool("key", "Escape")  # in the dialog, then Exit in the question
        self.answer("Exit installation", "Are you sure to exit installation?", "Exit")
        self.assert_exit(18)
        self.assert_removed()
        self.assertEqual(list((DRIVE_E / GAMES / "Arcade").iterdir()), [], "something was made")

    def test_install_and_removal_into_a_folder_ending_in_the_backslash_byte(self):
        # The second byte of 表 in code page 932 (0x95 0x5C) is the backslash's; the path pieces of other
        # double-byte code pages are proven in framework_tests (DoubleBytePaths).
        folder, install_dir = "表", r"E:\表\HexbreakerDemo"
        (DRIVE_E / folder).mkdir(exist_ok=True)
        self.addCleanup(shutil.rmtree, DRIVE_E / folder, True)
        with language("ja_JP.UTF-8", "cp932"):
            self.click_install()
            self.browse_to(folder, [])
            self.select(install_dir)
            click_button(CAPTION, "Install", of_popup=True)
            self.answer_readme("n")
            self.assert_explorer_on_the_group()
            self.assert_installed(CD / "hxdemo.pak", install_dir)
            self.assertEqual(os.listdir(DRIVE_E / folder), ["HexbreakerDemo"])
            self.assertFalse(unix_path(INSTALL_DIR).exists(), "the default folder was made too")
            # Wine words a box's buttons in the system's language: OK is the first, whatever it reads.
            self.remove_in_a_new_run(ok=None)
            self.assertEqual(os.listdir(DRIVE_E / folder), [], "the removal took the chosen folder")


if __name__ == "__main__":
    unittest.main()
