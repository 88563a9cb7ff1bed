"""A whole install as a user makes it from the CD drive D:: the install-directory dialog, copying,
the read-me question and the hand-over to Explorer; and leaving through Cancel and Exit."""

import os
import shutil
import struct
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

from harness import (CD, ENV, PROBE_EXE, ROOT, WINE, probe, reg, set_not_installed, start_setup, wait_until,
                     wine, xdotool)

CD_IMAGE = Path(os.environ.get("HX_CD_IMAGE", ROOT / "build" / "cd"))
HXPACK = ROOT / "build" / "bin" / "hxpack"  # the native tool, whichever Windows tree runs
CUES = ["VocInstallInitialize.wav", "VocInstallStandby.wav", "VocInstallComplete.wav", "VocHarddiskNotenogh.wav"]
INSTALL_POINT = (380, 60)
DRIVE_C = Path(ENV["WINEPREFIX"]) / "drive_c"
INSTALL_DIR = r"C:\HexbreakerDemo"
WINDOWS_DIR = r"C:\windows"
DP_KEY = r"HKLM\Software\Microsoft\DirectPlay\Applications\HexbreakerDemo"
PRODUCT_KEY = r"HKLM\Software\Tarn\HexbreakerDemo"
SHELL_FOLDERS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"
GUID = "{5E3A9C41-7B2D-4F18-A6C0-3D94E1B8F572}"
SHOTS = Path(os.environ.get("HX_SHOT_DIR", ROOT / "build" / "screens" / "install"))


def unix_path(windows_path):
    """Where a C: path of the prefix lies on this machine."""
    assert windows_path[:3].upper() == "C:\\", windows_path
    return DRIVE_C.joinpath(*windows_path[3:].split("\\"))


def registry_values(key):
    """The REG_SZ values of a key in the 32-bit view, in the registry's order; None when absent."""
    result = reg("query", key, check=False)
    if result.returncode != 0:
        return None
    values = []
    for line in result.stdout.splitlines():
        parts = line.strip().split("    ")
        if len(parts) >= 2 and parts[1] == "REG_SZ":
            values.append((parts[0], parts[2] if len(parts) > 2 else ""))
    return values


def programs_folder():
    result = wine("reg", "query", SHELL_FOLDERS, "/v", "Programs")
    for line in result.stdout.splitlines():
        parts = line.strip().split("    ")
        if parts[0] == "Programs":
            return parts[2]
    raise AssertionError("no Programs folder in the registry")


def c_string(data, at):
    return data[at:data.index(b"\0", at)].decode("cp1252")


def read_shell_link(path):
    """Target, description and working directory of a .lnk file, read from its bytes."""
    data = Path(path).read_bytes()
    assert data[:4] == b"\x4c\x00\x00\x00", "not a shell link"
    flags = struct.unpack_from("<I", data, 0x14)[0]
    offset = 0x4C
    if flags & 0x1:  # an item-id list
        offset += 2 + struct.unpack_from("<H", data, offset)[0]
    target = None
    if flags & 0x2:  # link info: the local base path and a common suffix
        size, _, info_flags, _, base, _, suffix = struct.unpack_from("<7I", data, offset)
        if info_flags & 0x1:
            target = c_string(data, offset + base) + c_string(data, offset + suffix)
        offset += size
    unicode = flags & 0x80
    strings = {}
    for bit, name in ((0x4, "description"), (0x8, "relative"), (0x10, "working_dir"), (0x20, "arguments"),
                      (0x40, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, offset)[0]
            offset += 2
            width = 2 if unicode else 1
            raw = data[offset:offset + count * width]
            # Some writers count the terminating NUL in the length.
            strings[name] = raw.decode("utf-16-le" if unicode else "cp1252").rstrip("\0")
            offset += count * width
    return target, strings.get("description"), strings.get("working_dir")


def pack_destinations(pack):
    """(name, destination path) of every pack entry, the install directory being C:\\HexbreakerDemo."""
    listing = subprocess.run([HXPACK, "list", pack], capture_output=True, text=True, check=True).stdout
    entries = []
    for line in listing.splitlines():
        fields = line.split("\t")
        if fields[0] == "total":
            continue
        destination = fields[4].replace("<install>", INSTALL_DIR).replace("<windows>", WINDOWS_DIR)
        entries.append((fields[1], destination))
    return entries


def probe_lines(*args):
    """The probe's report, window texts read in the system's code page."""
    result = subprocess.run([WINE, PROBE_EXE, *args], env=ENV, capture_output=True, timeout=60)
    return result.stdout.decode("cp1252", errors="replace").splitlines()


def dialogs():
    """(caption, texts of the controls) of every visible dialog, message boxes included."""
    found = []
    for line in probe_lines("dialogs"):
        if line.startswith("dialog caption="):
            caption, _, texts = line[len("dialog caption="):].partition(" texts=")
            found.append((caption, [text for text in texts.split("|") if text]))
    return found


def dialog_showing(text):
    return any(text in texts for _, texts in dialogs())


def processes_named(program):
    """(pid, arguments) of the Windows processes started as `program ...` (Wine's desktop excluded)."""
    output = subprocess.run(["ps", "-eo", "pid=,args="], capture_output=True, text=True).stdout
    found = []
    for line in output.splitlines():
        pid, _, args = line.strip().partition(" ")
        if args.lower().startswith(program + " ") and "/desktop" not in args.lower():
            found.append((int(pid), args))
    return found


PROGRAMS_AT_START = set()


def setUpModule():
    PROGRAMS_AT_START.update(pid for pid, _ in processes_named("explorer") + processes_named("notepad"))


def tearDownModule():
    """Ends what the installs started and did not close when asked."""
    for pid, _ in processes_named("explorer") + processes_named("notepad"):
        if pid not in PROGRAMS_AT_START:
            os.kill(pid, 9)


def shot(name):
    SHOTS.mkdir(parents=True, exist_ok=True)
    subprocess.run(["import", "-window", "root", str(SHOTS / f"{name}.png")], check=False)


class InstallCase(unittest.TestCase):
    """Each case starts from no installation: no records, no program group, no installed files."""

    @classmethod
    def setUpClass(cls):
        cls.group = programs_folder() + r"\HexbreakerDemo"

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

    def install_with_defaults(self, readme_answer, screens=False):
        """Install, accept C:\\HexbreakerDemo, wait for copying, answer the read-me question."""
        self.click_install()
        if screens:
            shot("1-install-directory")
        xdotool("key", "Return")
        self.wait_for_readme_question()
        if screens:
            shot("3-readme-question")
        xdotool("key", readme_answer)
        self.assertEqual(self.setup.exit_code(30), 0)
        self.setup = None

    def new_explorers(self):
        return [args for pid, args in processes_named("explorer") if pid not in self.programs_before]

    def assert_explorer_on_the_group(self):
        self.assertEqual(wait_until(self.new_explorers, 15), ["explorer " + self.group])
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
        self.install_with_defaults("n", screens=True)
        self.assert_explorer_on_the_group()
        time.sleep(1)
        shot("4-explorer-on-the-group")
        self.assertEqual([pid for pid, _ in processes_named("notepad") if pid not in self.programs_before], [])
        self.assert_files_installed(CD / "hxdemo.pak")
        self.assert_records(INSTALL_DIR)
        self.assert_shortcuts(INSTALL_DIR)

    def test_yes_shows_the_readme_in_notepad(self):
        self.install_with_defaults("y")
        notepad = wait_until(lambda: [args for pid, args in processes_named("notepad") if pid not in self.programs_before], 15)
        self.assertEqual(notepad, [r"notepad C:\HexbreakerDemo\readme.txt"])
        self.assertTrue(wait_until(lambda: any("readme" in line and "visible=1" in line
                                               for line in wine_windows()), 15), "Notepad shows no readme")
        self.assert_explorer_on_the_group()
        time.sleep(1)
        shot("5-notepad-and-explorer")
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
        self.saved_programs = programs_folder()
        wine("reg", "add", SHELL_FOLDERS, "/v", "Programs", "/d", r"C:\no such folder\Programs", "/f")

    def tearDown(self):
        wine("reg", "add", SHELL_FOLDERS, "/v", "Programs", "/d", self.saved_programs, "/f")
        super().tearDown()

    def test_group_is_left_out(self):
        links_before = set(DRIVE_C.rglob("*.lnk")) | set(CD.rglob("*.lnk"))
        self.install_with_defaults("n")
        self.assertEqual(wait_until(self.new_explorers, 15), ["explorer " + INSTALL_DIR])
        self.assertEqual(set(DRIVE_C.rglob("*.lnk")) | set(CD.rglob("*.lnk")), links_before, "stray link files")
        self.assertFalse(unix_path(r"C:\no such folder").exists())
        self.assert_records(INSTALL_DIR)

class LeavingTheInstall(InstallCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        # A pack that takes some seconds to copy: the demo's files and a large one more.
        cls.work = tempfile.TemporaryDirectory()
        work = Path(cls.work.name)
        subprocess.run([HXPACK, "extract", CD_IMAGE / "hxdemo.pak", work / "files"], check=True,
                       capture_output=True)
        with open(work / "files" / "intro.avi", "wb") as large:
            block = bytes(range(256)) * 4096
            for _ in range(100 * 1024 * 1024 // len(block)):
                large.write(block)
        files = sorted((work / "files").iterdir())
        cls.large_pack = work / "hxdemo.pak"
        subprocess.run([HXPACK, "create", cls.large_pack, *files], check=True, capture_output=True)

    @classmethod
    def tearDownClass(cls):
        cls.work.cleanup()

    def test_exit_in_the_install_directory_dialog(self):
        self.click_install()
        self.answer_exit()
        self.assertEqual(self.setup.exit_code(), 18)
        self.setup = None
        self.assert_nothing_recorded()
        self.assertFalse(unix_path(INSTALL_DIR).exists(), "the install directory was made")

    def test_exit_while_copying(self):
        self.prepare_cd(self.large_pack)
        self.click_install()
        xdotool("key", "Return")
        self.assertTrue(wait_until(lambda: dialog_showing("Copying files..."), 10), "no copy dialog")
        time.sleep(0.5)
        shot("2-copying")
        self.answer_exit()
        self.assertEqual(self.setup.exit_code(30), 18)
        self.setup = None
        self.assert_nothing_recorded()
        self.assertFalse(unix_path(INSTALL_DIR + r"\intro.avi").exists(), "the copied file stayed")


def wine_windows():
    return probe_lines("list")


if __name__ == "__main__":
    unittest.main()
