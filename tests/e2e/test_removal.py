"""Removal by both programs that remove the game, after an install from the CD: setup.exe's Uninstall
label, and hxduninst.exe as the group's shortcut starts it with the CD out (the last time as the list of
installed programs starts it). One table of steps runs against each, so that the two cannot drift apart."""

import shutil
import subprocess
import unittest

from harness import (APP_NAME, ASK_UNINSTALL, BIN_DIR, CD, CD_IMAGE, DRIVE_E, ENV, INSTALL_DIR, PRODUCT_KEY, PROBE_EXE,
                     UNINSTALL_KEY, WINE, ProgramRun, SetupCase, group, key_exists, main_windows, make_installed, probe,
                     read_shell_link, reg, showing, snapshot, uninstall_list, unix_path, wait_until)

UNINSTALLER = "Uninstall HexbreakerDemo"  # the uninstaller's title: the caption of its boxes
MOVED = "Unable to uninstall because of installed directory was moved or deleted."
NOT_INSTALLED = "HexbreakerDemo is not installed."
README = unix_path(INSTALL_DIR) / "readme.txt"
LISTED = "HexbreakerDemo|||HexbreakerDemo"  # the entry as Wine's reader of the list shows it: key|||DisplayName


def move_the_install_folder(case):
    unix_path(INSTALL_DIR).rename(unix_path(INSTALL_DIR + ".moved"))
    return lambda: unix_path(INSTALL_DIR + ".moved").rename(unix_path(INSTALL_DIR))


def make_the_path_a_number(case):
    reg("add", PRODUCT_KEY, "/v", "Path", "/t", "REG_DWORD", "/d", "1", "/f")
    return lambda: reg("add", PRODUCT_KEY, "/v", "Path", "/d", INSTALL_DIR, "/f")


def hold_the_readme(case):
    """A program has the file open and lets others only read it."""
    holder = subprocess.Popen([WINE, str(PROBE_EXE), "hold", INSTALL_DIR + r"\readme.txt"], env=ENV,
                              stdout=subprocess.PIPE, text=True)
    case.addCleanup(holder.stdout.close)
    case.addCleanup(holder.kill)
    case.assertEqual(holder.stdout.readline().strip(), "held=1")
    return lambda: (holder.kill(), holder.wait(10))


def make_the_readme_read_only(case):
    README.chmod(0o444)  # Wine shows a file nobody may write as read-only
    return lambda: README.chmod(0o644)


# The steps, in order, on one installation: what is done first (and undone after), the answer to the question
# (None: none asked), the box that follows (caption None: the program's title) and what the run leaves: "kept"
# (nothing changed: cancelled, or nothing to remove), "refused" (nothing changed: it could not start), "stopped"
# (at the read-me: the group and the records kept) or "removed". A step whose programs differ gives both.
STEPS = [
    ("Cancel", None, ("Cancel", None, None, "kept")),
    ("the install folder moved away", move_the_install_folder, ("OK", "Error", MOVED, "refused")),
    ("the record's Path a number", make_the_path_a_number,
     {"setup.exe": ("OK", "Error", MOVED, "refused"), "hxduninst.exe": (None, None, NOT_INSTALLED, "kept")}),
    ("a file held open", hold_the_readme,
     ("OK", None, "A sharing violation occurred while accessing an unnamed file.", "stopped")),
    ("the file read-only, no longer held", make_the_readme_read_only,
     ("OK", None, "Access to an unnamed file was denied.", "stopped")),
    ("the file writable again", None, ("OK", None, "Uninstall completed.", "removed")),
]


class MainWindowUninstall:
    """setup.exe from the CD, its Uninstall label: it goes on after every outcome but a completed removal."""
    name, title = "setup.exe", APP_NAME

    def start(self, case, step=None):
        case.start()
        case.click_label("uninstall")

    def assert_ended(self, case, left, step=None):
        if left == "removed":
            case.assert_exit(18)
        else:
            case.assert_still_running()
            case.setup.kill()


class Uninstaller:
    """hxduninst.exe started as the shell starts the group's shortcut, with the status that tells what it left."""
    name, title = "hxduninst.exe", UNINSTALLER
    statuses = {"removed": 0, "kept": 1, "refused": 2, "stopped": 2}
    # The step it is started in as the list of installed programs starts it: the entry's command line, here
    # through Wine's own reader of the list, from a folder of another drive. That reader waits for it, then
    # ends with 0 whatever its status.
    listed_step = "the file writable again"

    def start(self, case, step=None):
        if step == self.listed_step:
            case.setup = ProgramRun("uninstaller", DRIVE_E, args=("--remove", "HexbreakerDemo"))
        else:
            case.setup = ProgramRun(case.uninstaller, unix_path(case.uninstaller_folder))
        # Its first box, the question or "not installed", carries its title.
        case.assertTrue(wait_until(lambda: main_windows(UNINSTALLER), 15), "the uninstaller showed nothing")

    def assert_ended(self, case, left, step=None):
        case.assert_exit(0 if step == self.listed_step else self.statuses[left])


MAIN_WINDOW, UNINSTALLER_RUN = MainWindowUninstall(), Uninstaller()


class Removal(SetupCase):
    def take_the_cd_out(self):
        shutil.rmtree(CD)
        CD.mkdir()
        self.addCleanup(shutil.copytree, CD_IMAGE, CD, dirs_exist_ok=True)

    def run_steps(self, program):
        self.install_with_defaults("n")
        self.close_programs()
        target, _, folder = read_shell_link(unix_path(group()) / "Uninstall HexbreakerDemo.lnk")
        self.uninstaller, self.uninstaller_folder = target, folder
        self.assertEqual(unix_path(target).read_bytes(), (BIN_DIR / "hxduninst.exe").read_bytes())
        if program is UNINSTALLER_RUN:
            self.take_the_cd_out()
        self.assertIn(LISTED, uninstall_list())
        for name, prepare, expected in STEPS:
            answer, caption, text, left = expected[program.name] if isinstance(expected, dict) else expected
            undo = prepare(self) if prepare else lambda: None
            with self.subTest(program=program.name, step=name):
                before = snapshot()
                program.start(self, name)
                if answer:
                    self.answer(program.title, ASK_UNINSTALL, answer)
                if text:
                    self.answer(caption or program.title, text, "OK")
                program.assert_ended(self, left, name)
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

    def test_setup_removes_the_installation_step_by_step(self):
        self.run_steps(MAIN_WINDOW)
        self.start()
        self.assert_labels_look(uninstall="grey")

    def test_the_uninstaller_removes_it_the_same_way_without_the_cd(self):
        self.run_steps(UNINSTALLER_RUN)
        # An entry left in the list without the product record: the uninstaller says so and clears it.
        reg("add", UNINSTALL_KEY, "/v", "DisplayName", "/d", "HexbreakerDemo", "/f")
        UNINSTALLER_RUN.start(self)
        self.answer(UNINSTALLER, NOT_INSTALLED, "OK")
        self.assert_exit(1)
        self.assertFalse(key_exists(UNINSTALL_KEY), "the dead entry stayed")
        shutil.copytree(CD_IMAGE, CD, dirs_exist_ok=True)
        self.start()
        self.assert_labels_look(uninstall="grey")

    def test_a_second_uninstaller_brings_the_first_forward_and_ends_with_0(self):
        make_installed()
        self.uninstaller, self.uninstaller_folder = r"C:\windows\hxduninst.exe", r"C:\windows"
        shutil.copy(BIN_DIR / "hxduninst.exe", unix_path(self.uninstaller))
        UNINSTALLER_RUN.start(self)
        self.assertEqual(showing(ASK_UNINSTALL), UNINSTALLER)
        notepad = subprocess.Popen([WINE, "notepad"], env=ENV)
        self.addCleanup(notepad.wait)
        self.addCleanup(notepad.kill)
        self.assertTrue(wait_until(lambda: probe("above", "Untitled - Notepad", UNINSTALLER).get("above") == "1"))
        second = ProgramRun(self.uninstaller, unix_path(self.uninstaller_folder))
        self.addCleanup(second.kill)
        self.assertEqual(second.exit_code(), 0)
        self.assertEqual(probe("above", UNINSTALLER, "Untitled - Notepad")["above"], "1", "the first is not raised")
        self.answer(UNINSTALLER, ASK_UNINSTALL, "Cancel")
        self.assert_exit(1)

if __name__ == "__main__":
    unittest.main()
