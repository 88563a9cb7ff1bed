"""A whole install as a user makes it from the CD drive D:: the install-directory dialog, copying,
the read-me question and the hand-over to Explorer; and leaving through Cancel and Exit."""

import os
import shutil
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

from harness import (CD, CD_IMAGE, DIRECTPLAY_KEY as DP_KEY, DRIVE_C, HXPACK, LARGE_FILE, PRODUCT_KEY,
                     SHELL_FOLDERS_KEY, dialog_showing, large_pack, pack_destinations, probe, processes_named,
                     read_shell_link, reg, reg_text, registry_values, set_not_installed, start_setup, unix_path,
                     wait_until, wine, xdotool)

CUES = ["VocInstallInitialize.wav", "VocInstallStandby.wav", "VocInstallComplete.wav", "VocHarddiskNotenogh.wav"]
INSTALL_POINT = (380, 60)
INSTALL_DIR = r"C:\HexbreakerDemo"
WINDOWS_DIR = r"C:\windows"
GUID = "{5E3A9C41-7B2D-4F18-A6C0-3D94E1B8F572}"


PROGRAMS_AT_START = set()


def setUpModule():
    PROGRAMS_AT_START.update(pid for pid, _ in processes_named("explorer") + processes_named("notepad"))


def tearDownModule():
    """Ends what the installs started and did not close when asked."""
    for pid, _ in processes_named("explorer") + processes_named("notepad"):
        if pid not in PROGRAMS_AT_START:
            os.kill(pid, 9)


class InstallCase(unittest.TestCase):
    """Each case starts from no installation: no records, no program group, no installed files."""

    @classmethod
    def setUpClass(cls):
        cls.group = reg_text(SHELL_FOLDERS_KEY, "Programs") + r"\HexbreakerDemo"

    def setUp(self):
        self.setup = None
        self.programs_before = {pid for pid, _ in processes_named("explorer") + processes_named("notepad")}
        self.prepare_cd(CD_IMAGE / "hxdemo.pak")
        self.remove_installation()

    def tearDown(self):
        if self.setup:
            self.setup.kill()
        self.close_started_programs()
        self.remove_installation()

    def close_started_programs(self):
        """Closes the Explorer and Notepad windows an install opened, as a user would. A window
        must be closed, not its process killed: Explorer keeps one window per folder, and a new
        Explorer on the group would hand its folder to a window left registered by a killed one."""
        for program, caption in (("explorer", "HexbreakerDemo"), ("notepad", "readme.txt - Notepad")):
            if any(args.startswith(program) for _, args in self.started_programs()):
                wait_until(lambda: probe("window", caption).get("visible") == "1", 15)
                probe("close", caption)
        wait_until(lambda: not self.started_programs(), 10)
        for pid, _ in self.started_programs():
            os.kill(pid, 9)

    def started_programs(self):
        """Explorer and Notepad processes started since this case began."""
        return [process for process in processes_named("explorer") + processes_named("notepad")
                if process[0] not in self.programs_before]

    def prepare_cd(self, pack):
        CD.mkdir(parents=True, exist_ok=True)
        shutil.copy(pack, CD / "hxdemo.pak")
        for cue in CUES:
            shutil.copy(CD_IMAGE / cue, CD / cue)

    def remove_installation(self):
        set_not_installed()
        reg("delete", DP_KEY, "/f", check=False)
        shutil.rmtree(unix_path(INSTALL_DIR), ignore_errors=True)
        shutil.rmtree(unix_path(self.group), ignore_errors=True)
        for name in ("hxduninst.exe", "ptlic32.exe", r"system\hxsound.dll"):
            unix_path(WINDOWS_DIR + "\\" + name).unlink(missing_ok=True)

    # ---- the user's steps ----

    def click_install(self):
        xdotool("mousemove", 0, 0)
        self.setup = start_setup()
        self.setup.click(*INSTALL_POINT)
        self.assertTrue(wait_until(lambda: dialog_showing("Select"), 10), "no install-directory dialog")
        time.sleep(0.3)

    def answer_exit(self):
        """Cancel in the dialog in front, then Exit in the question (Tab from Resume to Exit)."""
        xdotool("key", "Escape")
        self.assertTrue(wait_until(lambda: probe("window", "Exit installation").get("found") == "1", 10),
                        "no exit question")
        time.sleep(0.3)
        xdotool("key", "Tab")
        xdotool("key", "Return")

    def wait_for_readme_question(self):
        self.assertTrue(wait_until(lambda: dialog_showing("Do you want to read readme.txt?"), 60),
                        "no read-me question")
        time.sleep(0.3)

    def install_with_defaults(self, readme_answer):
        """Install, accept C:\\HexbreakerDemo, wait for copying, answer the read-me question."""
        self.click_install()
        xdotool("key", "Return")
        self.wait_for_readme_question()
        xdotool("key", readme_answer)
        self.assertEqual(self.setup.exit_code(30), 0)
        self.setup = None

    def started(self, program):
        """The command lines of the `program` processes started since this case began."""
        return [args for _, args in self.started_programs() if args.startswith(program + " ")]

    def assert_explorer_on_the_group(self):
        self.assertEqual(wait_until(lambda: self.started("explorer"), 15), ["explorer " + self.group])
        self.assertTrue(wait_until(lambda: probe("window", "HexbreakerDemo").get("visible") == "1", 15),
                        "no Explorer window on the group")

    # ---- checks ----

    def assert_files_installed(self, pack):
        with tempfile.TemporaryDirectory() as extracted:
            subprocess.run([HXPACK, "extract", pack, extracted], check=True, capture_output=True)
            for name, destination in pack_destinations(pack):
                with self.subTest(entry=name):
                    installed = unix_path(destination)
                    self.assertTrue(installed.is_file(), f"{destination} missing")
                    self.assertEqual(installed.read_bytes(), (Path(extracted) / name).read_bytes(),
                                     f"{destination} differs from the pack")

    def assert_records(self, install_dir):
        expected = [("CommandLine", ""), ("CurrentDirectory", install_dir), ("File", "Hxdemo.exe"),
                    ("Guid", GUID), ("Path", install_dir)]
        for key in (PRODUCT_KEY, DP_KEY):
            with self.subTest(key=key):
                self.assertEqual(registry_values(key), expected)

    def assert_shortcuts(self, install_dir):
        expected = {
            "HexbreakerDemo.lnk": (install_dir + r"\Hxdemo.exe", "HexbreakerDemo", install_dir),
            "Screen.lnk": (install_dir + r"\screen.bmp", "HexbreakerDemo", install_dir),
            "Readme.lnk": (install_dir + r"\readme.txt", "HexbreakerDemo readme", install_dir),
            "Uninstall HexbreakerDemo.lnk": (WINDOWS_DIR + r"\hxduninst.exe", "Uninstall HexbreakerDemo",
                                             WINDOWS_DIR),
        }
        folder = unix_path(self.group)
        self.assertEqual(sorted(p.name for p in folder.iterdir()), sorted(expected))
        for name, (target, description, working_dir) in expected.items():
            with self.subTest(link=name):
                read_target, read_description, read_working_dir = read_shell_link(folder / name)
                self.assertEqual(read_target.lower(), target.lower())
                self.assertEqual(read_description, description)
                self.assertEqual(read_working_dir, working_dir)

    def assert_nothing_recorded(self):
        self.assertIsNone(registry_values(PRODUCT_KEY))
        self.assertIsNone(registry_values(DP_KEY))
        self.assertFalse(unix_path(self.group).exists(), "a program group was made")


class DefaultInstall(InstallCase):
    def test_install_then_no_to_the_readme(self):
        self.install_with_defaults("n")
        self.assert_explorer_on_the_group()
        self.assertFalse(self.started("notepad"))
        self.assert_files_installed(CD / "hxdemo.pak")
        self.assert_records(INSTALL_DIR)
        self.assert_shortcuts(INSTALL_DIR)

    def test_yes_shows_the_readme_in_notepad(self):
        self.install_with_defaults("y")
        notepad = wait_until(lambda: self.started("notepad"), 15)
        self.assertEqual(notepad, [r"notepad C:\HexbreakerDemo\readme.txt"])
        self.assertTrue(wait_until(lambda: probe("window", "readme.txt - Notepad").get("visible") == "1", 15),
                        "Notepad shows no readme")
        self.assert_explorer_on_the_group()
        self.assert_records(INSTALL_DIR)

    def test_second_install_replaces_links_and_values(self):
        self.install_with_defaults("n")
        self.assert_explorer_on_the_group()
        self.close_started_programs()
        first_links = {p.name: p.stat().st_mtime_ns for p in unix_path(self.group).iterdir()}
        time.sleep(1.1)
        self.install_with_defaults("n")
        self.assert_explorer_on_the_group()
        self.assert_records(INSTALL_DIR)
        self.assert_shortcuts(INSTALL_DIR)
        for path in unix_path(self.group).iterdir():
            self.assertGreater(path.stat().st_mtime_ns, first_links[path.name], f"{path.name} not rewritten")
        self.assert_files_installed(CD / "hxdemo.pak")


class NoProgramsFolder(InstallCase):
    """A Programs folder that cannot be entered: no group, no stray link files, Explorer on the
    install directory, and the records written all the same."""

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
        self.assert_records(INSTALL_DIR)

class LeavingTheInstall(InstallCase):
    def test_exit_in_the_install_directory_dialog(self):
        self.click_install()
        self.answer_exit()
        self.assertEqual(self.setup.exit_code(), 18)
        self.setup = None
        self.assert_nothing_recorded()
        self.assertFalse(unix_path(INSTALL_DIR).exists(), "the install directory was made")

    def test_exit_while_copying(self):
        self.prepare_cd(large_pack())
        self.click_install()
        xdotool("key", "Return")
        self.assertTrue(wait_until(lambda: dialog_showing("Copying files..."), 10), "no copy dialog")
        time.sleep(0.5)
        self.answer_exit()
        self.assertEqual(self.setup.exit_code(30), 18)
        self.setup = None
        self.assert_nothing_recorded()
        self.assertFalse(unix_path(INSTALL_DIR + "\\" + LARGE_FILE).exists(), "the copied file stayed")


if __name__ == "__main__":
    unittest.main()
