"""Removal after an install from the CD by hxduninst.exe, as the group's shortcut starts it with the CD out (the
last time as the list of installed programs starts it), step by step; setup.exe's Uninstall where it decides
alone (its completed removal: test_destination.py, test_dll_planting.py; its file-error boxes: remove_tests)."""

import shutil
import unittest

from harness import (APP_NAME, ASK_UNINSTALL, BIN_DIR, CD, CD_IMAGE, DRIVE_E, INSTALL_DIR, PRODUCT_KEY, ProgramRun,
                     SetupCase, group, key_exists, main_windows, make_installed, read_shell_link, reg, snapshot,
                     unix_path, wait_until, wine)

UNINSTALLER = "Uninstall HexbreakerDemo"  # the uninstaller's title: the caption of its boxes
MOVED = "Unable to uninstall because of installed directory was moved or deleted."
README = unix_path(INSTALL_DIR) / "readme.txt"
LISTED = "HexbreakerDemo|||HexbreakerDemo"  # the entry as `wine uninstaller --list` shows it: key|||DisplayName


def move_the_install_folder():
    unix_path(INSTALL_DIR).rename(unix_path(INSTALL_DIR + ".moved"))
    return lambda: unix_path(INSTALL_DIR + ".moved").rename(unix_path(INSTALL_DIR))


def make_the_path_a_number():
    reg("add", PRODUCT_KEY, "/v", "Path", "/t", "REG_DWORD", "/d", "1", "/f")
    return lambda: reg("add", PRODUCT_KEY, "/v", "Path", "/d", INSTALL_DIR, "/f")


def make_the_readme_read_only():
    README.chmod(0o444)  # Wine shows a file nobody may write as read-only
    return lambda: README.chmod(0o644)


# The steps, in order, on one installation: what is done first (and undone after), the answer to the question
# (None: none asked), the box that follows (caption None: the program's title) and what the run leaves: "kept"
# (nothing changed: cancelled, or nothing to remove), "refused" (nothing changed: it could not start), "stopped"
# (at the read-me: the group and the records kept) or "removed". A file held open stops the removal as a
# read-only one does, with its own box (remove_tests, UndeletableFileStopsTheRemovalThere).
STEPS = [
    ("Cancel", None, ("Cancel", None, None, "kept")),
    ("the install folder moved away", move_the_install_folder, ("OK", "Error", MOVED, "refused")),
    ("the record's Path a number", make_the_path_a_number, (None, None, "HexbreakerDemo is not installed.", "kept")),
    ("the file read-only", make_the_readme_read_only, ("OK", None, "Access to an unnamed file was denied.", "stopped")),
    ("the file writable again", None, ("OK", None, "Uninstall completed.", "removed")),
]
LAST = STEPS[-1][0]  # the uninstaller's run started through Wine's reader of the list of installed programs


def uninstall_list():
    return wine("uninstaller", "--list").stdout.split()


class Removal(SetupCase):
    uninstaller, uninstaller_folder = r"C:\windows\hxduninst.exe", r"C:\windows"

    def start_removal(self, step=None):  # as the group's shortcut or the list of installed programs starts it
        self.setup = (ProgramRun("uninstaller", DRIVE_E, args=("--remove", "HexbreakerDemo")) if step == LAST
                      else ProgramRun(self.uninstaller, unix_path(self.uninstaller_folder)))
        # Its first box, the question or "not installed", carries its title.
        self.assertTrue(wait_until(lambda: main_windows(UNINSTALLER), 15), "the uninstaller showed nothing")

    def test_the_uninstaller_removes_the_installation_step_by_step_without_the_cd(self):
        self.install_with_defaults("n")
        self.close_programs()
        self.uninstaller, _, self.uninstaller_folder = read_shell_link(unix_path(group()) / f"{UNINSTALLER}.lnk")
        self.assertEqual(unix_path(self.uninstaller).read_bytes(), (BIN_DIR / "hxduninst.exe").read_bytes())
        shutil.rmtree(CD)
        CD.mkdir()  # the next set-up puts the CD back, should this test fail
        self.assertIn(LISTED, uninstall_list())
        for name, prepare, (answer, caption, text, left) in STEPS:
            undo = prepare() if prepare else lambda: None
            with self.subTest(step=name):
                before = snapshot()
                self.start_removal(name)
                if answer:
                    self.answer(UNINSTALLER, ASK_UNINSTALL, answer)
                if text:
                    self.answer(caption or UNINSTALLER, text, "OK")
                # The uninstaller's status says what a run left; Wine's reader of the list ends with 0 whatever it is.
                self.assert_exit(0 if name == LAST else {"removed": 0, "kept": 1, "refused": 2, "stopped": 2}[left])
                if left in ("kept", "refused"):
                    self.assertEqual(snapshot(), before)
                elif left == "stopped":
                    self.assertEqual(snapshot()[1:], before[1:], "the group, the records or the entry went")
                    self.assertTrue(README.exists())
            if self.setup:  # left by a failed step
                self.setup.kill()
            undo()
        self.assert_removed()
        self.assertNotIn(LISTED, uninstall_list())
        self.assertTrue(key_exists(r"HKLM\Software\Tarn"), "the maker's key went too")
        self.assertTrue(unix_path(group()).parent.exists(), "the Programs folder went too")
        self.assertTrue(unix_path(self.uninstaller).exists(), "the uninstaller went from the Windows folder")
        shutil.copytree(CD_IMAGE, CD, dirs_exist_ok=True)
        self.start()
        self.assert_labels_look(uninstall="grey")

    def test_setup_keeps_everything_on_cancel_and_when_the_path_is_no_text(self):
        make_installed()
        make_the_path_a_number()
        before = snapshot()
        self.start()
        for answer, text in (("Cancel", None), ("OK", MOVED)):
            self.click_label("uninstall")
            self.answer(APP_NAME, ASK_UNINSTALL, answer)
            if text:
                self.answer("Error", text, "OK")
            self.assert_still_running()
        self.assertEqual(snapshot(), before)


if __name__ == "__main__":
    unittest.main()
