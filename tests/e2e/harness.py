"""Drives the real setup.exe under Wine as a user would: the X pointer and keyboard through
xdotool, the screen through screenshots, the registry through `wine reg`, window state through
the probe program. SetupCase is the base of every case that runs setup.exe."""

import atexit
import filecmp
import functools
import os
import shutil
import signal
import struct
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

from PIL import Image

ROOT = Path(__file__).resolve().parents[2]
RIG = ROOT / "tests" / "rig"
ART = ROOT / "res" / "art"
CAPTION = "HexbreakerDemo Installer"
APP_NAME = "setup"  # the caption of the program's own boxes: its file name
PRODUCT_KEY = r"HKLM\Software\Tarn\HexbreakerDemo"
DIRECTPLAY_KEY = r"HKLM\Software\Microsoft\DirectPlay\Applications\HexbreakerDemo"
SHELL_FOLDERS_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"
INSTALL_DIR = r"C:\HexbreakerDemo"
GUID = "{5E3A9C41-7B2D-4F18-A6C0-3D94E1B8F572}"
ASK_UNINSTALL = "Are you sure to uninstall HexbreakerDemo?"
REINSTALL = "There was something wrong in installation. Please reinstall and try again."
CUES = ["VocInstallInitialize.wav", "VocInstallStandby.wav", "VocInstallComplete.wav", "VocHarddiskNotenogh.wav"]
# Label areas on the picture and their bitmaps: (left, top, width, height), lit, grey.
LABELS = {
    "play": ((314, 16, 83, 12), "play_lit.bmp", "play_grey.bmp"),
    "install": ((351, 52, 45, 11), "install_lit.bmp", None),
    "directx": ((335, 88, 63, 13), "directx_lit.bmp", None),
    "uninstall": ((288, 226, 66, 11), "uninstall_lit.bmp", "uninstall_grey.bmp"),
    "exit": ((368, 226, 29, 11), "exit_lit.bmp", None),
}
# A point inside each label's hit area and in no earlier one.
POINTS = {"play": (330, 20), "install": (380, 60), "directx": (380, 95), "uninstall": (300, 230),
          "exit": (380, 230)}
NOWHERE = (150, 150)


def wine_env():
    """The environment of the project's Wine processes (prefix, drives, quiet debug output) for the
    bitness the rig runs (HX_WINE_ARCH: the tree under test sets it, else the host decides)."""
    subprocess.run([RIG / "wine-prefix"], check=True)
    script = f'. "{RIG / "wine-env"}"; env -0'
    output = subprocess.run(["bash", "-c", script], check=True, capture_output=True).stdout
    return dict(item.split("=", 1) for item in output.decode().split("\0") if "=" in item)


ENV = wine_env()
CD = Path(ENV["HX_CD"])
DRIVE_E = Path(ENV["HX_DRIVE_E"])
# Everything that depends on the bitness of the programs under test, as the rig decided it.
ARCH = ENV["HX_WINE_ARCH"]  # "i686" or "x86_64"
WINE = ENV["HX_WINE"]  # the loader that runs them
REG_VIEW = ENV["HX_REG_VIEW"]  # the registry view they read: "/reg:32" or "/reg:64"
# Where their writes to the Windows system folder (C:\windows\system32) land: syswow64 for a 32-bit
# program on the 64-bit prefix, system32 for a 64-bit one.
SYSTEM_DIR = Path(ENV["HX_SYSTEM_DIR"])
DOSDEVICES = Path(ENV["WINEPREFIX"]) / "dosdevices"
DRIVE_C = Path(ENV["WINEPREFIX"]) / "drive_c"
# The tree's programs: setup.exe, the stand-in programs (build/bin or build/bin64), the probe.
BIN_DIR = Path(os.environ.get("HX_BIN_DIR", ENV["HX_WIN_BIN_DIR"]))
SETUP_EXE = Path(os.environ.get("HX_SETUP_EXE", BIN_DIR / "setup.exe"))
PROBE_EXE = Path(os.environ.get("HX_PROBE_EXE", Path(ENV["HX_WIN_TREE"]) / "tests" / "e2e" / "probe.exe"))
CD_IMAGE = Path(os.environ.get("HX_CD_IMAGE", ROOT / "build" / "cd"))
HXPACK = ROOT / "build" / "bin" / "hxpack"  # the native tool, whichever Windows tree runs


def wine(*args, check=True, timeout=60):
    return subprocess.run([WINE, *map(str, args)], env=ENV, capture_output=True, text=True,
                          check=check, timeout=timeout)


def reg(*args, check=True):
    """`wine reg` on the registry view the setup program sees (that of its bitness)."""
    return wine("reg", *args, REG_VIEW, check=check)


def set_installed(path=INSTALL_DIR):
    reg("add", PRODUCT_KEY, "/v", "Path", "/d", path, "/f")


def key_exists(key):
    return reg("query", key, check=False).returncode == 0


def reg_text(key, value):
    """A REG_SZ value's text, or None."""
    return dict(registry_values(key) or []).get(value)


def registry_values(key):
    """The REG_SZ values of a key, in the registry's order; None when the key is absent."""
    result = reg("query", key, check=False)
    if result.returncode != 0:
        return None
    rows = (line.strip().split("    ") for line in result.stdout.splitlines())
    return [(row[0], row[2] if len(row) > 2 else "") for row in rows if len(row) >= 2 and row[1] == "REG_SZ"]


def unix_path(windows_path):
    """Where a Windows path lies on this machine: under the folder its drive letter links to."""
    drive = Path(os.path.realpath(DOSDEVICES / windows_path[:2].lower()))
    return drive.joinpath(*(part for part in windows_path[3:].split("\\") if part))


@functools.cache
def group():
    """The program group an install makes: a folder of the Start menu's Programs folder."""
    return reg_text(SHELL_FOLDERS_KEY, "Programs") + r"\HexbreakerDemo"


def children(caption=None, of_popup=False):
    """The probe's child-window report: (class, (left, top, right, bottom), visible, text) of each child
    of the window of that caption (with of_popup: of its last active pop-up); without a caption, of
    every visible dialog, each after a ("dialog", caption) row."""
    command = [WINE, str(PROBE_EXE), "children", *([caption] if caption else []), *(["popup"] if of_popup else [])]
    # A picture control's text is its resource number, not text.
    output = subprocess.run(command, env=ENV, capture_output=True, timeout=60).stdout.decode(errors="replace")
    found = []
    for line in output.splitlines():
        if line.startswith("dialog="):
            found.append(("dialog", line[len("dialog="):]))
        elif line.startswith("child="):
            window_class, rect, visible, text = line[len("child="):].split("\t", 3)
            found.append((window_class, tuple(map(int, rect.split(","))), visible == "1", text))
    return found


def dialogs():
    """(caption, texts of the controls) of every visible dialog, message boxes included."""
    found = []
    for row in children():
        if row[0] == "dialog":
            found.append((row[1], []))
        elif found and row[3]:
            found[-1][1].append(row[3])
    return found


def dialog_showing(text):
    return any(text in texts for _, texts in dialogs())


def box_text(caption):
    """The text of the message box with this caption, once it shows; None if none shows."""
    return wait_until(lambda: next((label for window_class, _, visible, label in children(caption)
                                    if window_class == "Static" and visible and label), None))


def processes(command):
    """(pid, arguments) of the processes whose Windows command line is `command`, alone or followed
    by arguments (Wine's desktop excluded)."""
    found = []
    for line in subprocess.run(["ps", "-eo", "pid=,args="], capture_output=True, text=True).stdout.splitlines():
        pid, _, args = line.strip().partition(" ")
        args = args.strip()
        if (args.lower() + " ").startswith(command + " ") and "/desktop" not in args.lower():
            found.append((int(pid), args))
    return found


def kill_processes(command):
    for pid, _ in processes(command):
        try:
            os.kill(pid, signal.SIGKILL)
        except ProcessLookupError:
            pass


def pack_destinations(pack, install_dir=INSTALL_DIR):
    """(name, Windows destination path) of every pack entry, as the native tool lists them."""
    listing = subprocess.run([HXPACK, "list", pack], capture_output=True, text=True, check=True).stdout
    return [(fields[1], fields[4].replace("<install>", install_dir).replace("<windows>", r"C:\windows"))
            for fields in (line.split("\t") for line in listing.splitlines()) if fields[0] != "total"]


def pack_files(pack):
    """Every pack entry's bytes by name, as the native tool extracts them."""
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([HXPACK, "extract", pack, folder], check=True, capture_output=True)
        return {path.name: path.read_bytes() for path in Path(folder).iterdir()}


LARGE_FILE = "intro.avi"
LARGE_SIZE = 64 * 1024 * 1024


@functools.cache
def large_pack():
    """A pack that takes some seconds to copy: the demo's files and LARGE_FILE among them (made once)."""
    work = Path(tempfile.mkdtemp(prefix="hx-large-pack-"))
    atexit.register(shutil.rmtree, work, True)
    files = work / "files"
    subprocess.run([HXPACK, "extract", CD_IMAGE / "hxdemo.pak", files], check=True, capture_output=True)
    block = bytes(range(256)) * 4096
    with open(files / LARGE_FILE, "wb") as large:
        for _ in range(LARGE_SIZE // len(block)):
            large.write(block)
    subprocess.run([HXPACK, "create", work / "hxdemo.pak", *sorted(files.iterdir())], check=True,
                   capture_output=True)
    return work / "hxdemo.pak"


def tree(folder):
    """Every file under a folder, relative, with its bytes; links reported as links."""
    found = {}
    for path in sorted(Path(folder).rglob("*")):
        if path.is_symlink():
            found[str(path.relative_to(folder))] = ("link", os.readlink(path))
        elif path.is_file():
            found[str(path.relative_to(folder))] = path.read_bytes()
    return found


def _c_string(data, at):
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
            target = _c_string(data, offset + base) + _c_string(data, offset + suffix)
        offset += size
    width = 2 if flags & 0x80 else 1
    strings = {}
    for bit, name in ((0x4, "description"), (0x8, "relative"), (0x10, "working_dir"), (0x20, "arguments"),
                      (0x40, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, offset)[0]
            raw = data[offset + 2:offset + 2 + count * width]
            # Some writers count the terminating NUL in the length.
            strings[name] = raw.decode("utf-16-le" if width == 2 else "cp1252").rstrip("\0")
            offset += 2 + count * width
    return target, strings.get("description"), strings.get("working_dir")


def click_button(caption, text, of_popup=False):
    """Clicks the button labelled `text` of a window with the real pointer."""
    for window_class, (left, top, right, bottom), visible, label in children(caption, of_popup):
        if window_class == "Button" and label.replace("&", "") == text and visible:
            xdotool("mousemove", (left + right) // 2, (top + bottom) // 2)
            time.sleep(0.2)
            xdotool("click", "1")
            return
    raise AssertionError(f"no button {text!r} in {caption!r}")


def probe(*args):
    result = wine(PROBE_EXE, *args, check=False)
    return dict(line.split("=", 1) for line in result.stdout.splitlines() if "=" in line)


def window_found(caption):
    return probe("window", caption).get("found") == "1"


def xdotool(*args):
    return subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True).stdout


def screenshot():
    png = subprocess.run(["import", "-window", "root", "png:-"], capture_output=True, check=True).stdout
    with tempfile.NamedTemporaryFile(suffix=".png") as file:
        file.write(png)
        file.flush()
        return Image.open(file.name).convert("RGB")


def shows_labels(setup, looks):
    """Whether the main window of `setup` shows each label as `looks` says, within a few seconds: 'lit',
    'grey' or 'normal' (as in the background picture), its pixels equal to the bitmap's."""
    left, top = setup.origin()
    expected = {}
    for name, look in looks.items():
        (x, y, width, height), lit, grey = LABELS[name]
        art = Image.open(ART / {"lit": lit, "grey": grey, "normal": "background.bmp"}[look]).convert("RGB")
        pixels = (art.crop((x, y, x + width, y + height)) if look == "normal" else art).getdata()
        expected[(left + x, top + y, left + x + width, top + y + height)] = list(pixels)
    return wait_until(lambda: all(list(shot.crop(box).getdata()) == pixels for shot in [screenshot()]
                                  for box, pixels in expected.items()), 3)


def wait_until(condition, timeout=10.0, interval=0.05):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(interval)
    return condition()


class SetupRun:
    """One start of setup.exe from the root of the CD drive D:. Given a disc's folder (which D: must
    show), the setup.exe on it runs as it stands; else the one under test is put on the CD first."""

    def __init__(self, extra_env=None, disc=None):
        if disc is None:
            CD.mkdir(parents=True, exist_ok=True)
            target = CD / "setup.exe"
            # Never rewrite the file under a copy that runs from it.
            if not target.exists() or not filecmp.cmp(SETUP_EXE, target, shallow=False):
                shutil.copy(SETUP_EXE, target)
        self.process = subprocess.Popen([WINE, "setup.exe"], cwd=disc or CD, env={**ENV, **(extra_env or {})},
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def window(self, timeout=15.0):
        """The main window's X window id, once it is on screen."""
        found = wait_until(lambda: xdotool("search", "--onlyvisible", "--name", f"^{CAPTION}$").split(),
                           timeout)
        return found[0] if found else None

    def origin(self):
        """The main window's top-left corner on screen."""
        rect = probe("window", CAPTION)["rect"].split(",")
        return int(rect[0]), int(rect[1])

    def point_to(self, x, y):
        """Moves the pointer to client point (x, y) of the main window."""
        left, top = self.origin()
        xdotool("mousemove", left + x, top + y)
        time.sleep(0.3)

    def click(self, x, y):
        self.point_to(x, y)
        xdotool("click", "1")

    def exit_code(self, timeout=15.0):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def kill(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGKILL)
            self.process.wait(10)
        # Windows of a killed process disappear once the server has noticed.
        wait_until(lambda: not window_found(CAPTION), 10)


def start_setup(extra_env=None, disc=None):
    run = SetupRun(extra_env, disc)
    if run.window() is None:
        run.kill()
        raise AssertionError("the main window did not appear")
    time.sleep(0.3)
    return run


def remove_installation():
    """No records, no install folder, no program group, none of the files an install puts in the
    Windows folder."""
    for key in (PRODUCT_KEY, DIRECTPLAY_KEY):
        reg("delete", key, "/f", check=False)
    for folder in (INSTALL_DIR, group()):
        shutil.rmtree(unix_path(folder), ignore_errors=True)
    for name in ("hxduninst.exe", "ptlic32.exe", r"system\hxsound.dll"):
        unix_path(r"C:\windows" + "\\" + name).unlink(missing_ok=True)


def make_installed(with_game=True):
    """What an install leaves, made directly: the folder with sub-folders, the program group and
    both records."""
    folder = unix_path(INSTALL_DIR)
    for sub in ("Multi", "Profiles"):
        (folder / sub).mkdir(parents=True)
    if with_game:
        shutil.copy(BIN_DIR / "hxdemo.exe", folder / "hxdemo.exe")
    (folder / "readme.txt").write_text("HexbreakerDemo\r\n")
    (folder / "Multi" / "canyon.mfd").write_bytes(b"\0" * 612)
    (folder / "Profiles" / "hum6.bmp").write_bytes(b"BM" + b"\0" * 100)
    unix_path(group()).mkdir(parents=True)
    for name in ["HexbreakerDemo.lnk", "Read Me.lnk", "Uninstall HexbreakerDemo.lnk", "Hexbreaker Homepage.lnk"]:
        (unix_path(group()) / name).write_bytes(b"L\0\0\0")
    for name, data in {"CommandLine": "", "CurrentDirectory": INSTALL_DIR, "File": "Hxdemo.exe", "Guid": GUID,
                       "Path": INSTALL_DIR}.items():
        reg("add", DIRECTPLAY_KEY, "/v", name, "/d", data, "/f")
    set_installed()


def snapshot():
    """Everything removal touches: the files of the install folder and the group, and the two records."""
    return [tree(unix_path(INSTALL_DIR)), tree(unix_path(group())), key_exists(PRODUCT_KEY),
            key_exists(DIRECTPLAY_KEY)]


class SetupCase(unittest.TestCase):
    """A case that runs setup.exe from D:. Each starts from no installation and leaves none behind,
    nor a program it started (Explorer, Notepad)."""
    setup = None

    def setUp(self):
        self.programs_before = {pid for pid, _ in processes("explorer") + processes("notepad")}
        self.prepare_cd(CD_IMAGE / "hxdemo.pak")
        remove_installation()

    def tearDown(self):
        if self.setup:
            self.setup.kill()
        self.close_started_programs()
        remove_installation()

    def started(self, program):
        """The command lines of the `program` processes started since this case began."""
        return [args for pid, args in processes(program) if pid not in self.programs_before]

    def close_started_programs(self):
        """Closes the Explorer and Notepad windows an install opened, as a user would. A window
        must be closed, not its process killed: Explorer keeps one window per folder, and a new
        Explorer on the group would hand its folder to a window left registered by a killed one."""
        for program, caption in (("explorer", "HexbreakerDemo"), ("notepad", "readme.txt - Notepad")):
            if self.started(program):
                wait_until(lambda: probe("window", caption).get("visible") == "1", 15)
                probe("close", caption)
        wait_until(lambda: not (self.started("explorer") or self.started("notepad")), 10)
        for pid, _ in processes("explorer") + processes("notepad"):
            if pid not in self.programs_before:
                os.kill(pid, signal.SIGKILL)

    def prepare_cd(self, pack):
        CD.mkdir(parents=True, exist_ok=True)
        shutil.copy(pack, CD / "hxdemo.pak")
        for cue in CUES:
            shutil.copy(CD_IMAGE / cue, CD / cue)

    # ---- the user's steps ----

    def start(self, **kwargs):
        xdotool("mousemove", 0, 0)  # a window that opens under the pointer lights that label
        self.setup = start_setup(**kwargs)
        return self.setup

    def click_label(self, name):
        self.setup.click(*POINTS[name])

    def answer(self, caption, text, button):
        """Waits for the box of that caption to show `text`, then clicks `button` in it."""
        self.assertEqual(box_text(caption), text)
        click_button(caption, button)

    def click_install(self, **kwargs):
        self.start(**kwargs)
        self.click_label("install")
        self.assertTrue(wait_until(lambda: dialog_showing("Select"), 10), "no install-directory dialog")
        time.sleep(0.3)

    def answer_exit(self):
        """Cancel in the dialog in front, then Exit in the question (Tab from Resume to Exit)."""
        xdotool("key", "Escape")
        self.assertTrue(wait_until(lambda: window_found("Exit installation"), 10), "no exit question")
        time.sleep(0.3)
        xdotool("key", "Tab")
        xdotool("key", "Return")

    def answer_readme(self, key):
        self.assertTrue(wait_until(lambda: dialog_showing("Do you want to read readme.txt?"), 60),
                        "no read-me question")
        time.sleep(0.3)
        xdotool("key", key)
        self.assert_exit(0, 30)

    def install_with_defaults(self, readme_answer, **kwargs):
        """Install, accept C:\\HexbreakerDemo, wait for copying, answer the read-me question."""
        self.click_install(**kwargs)
        xdotool("key", "Return")
        self.answer_readme(readme_answer)

    # ---- checks ----

    def assert_exit(self, code, timeout=15):
        self.assertEqual(self.setup.exit_code(timeout), code)
        self.setup = None

    def assert_still_running(self):
        time.sleep(0.5)
        self.assertIsNone(self.setup.process.poll(), "the program ended")
        self.assertEqual(probe("window", CAPTION)["enabled"], "1", "the main window is not back in use")

    def assert_labels_look(self, **looks):
        self.assertTrue(shows_labels(self.setup, looks), f"the labels are not drawn {looks}")

    def assert_explorer_on_the_group(self):
        self.assertEqual(wait_until(lambda: self.started("explorer"), 15), ["explorer " + group()])
        self.assertTrue(wait_until(lambda: probe("window", "HexbreakerDemo").get("visible") == "1", 15),
                        "no Explorer window on the group")

    def assert_files_installed(self, pack, install_dir=INSTALL_DIR):
        """Every pack entry where the rules put it for this install directory, byte for byte."""
        files = pack_files(pack)
        for name, destination in pack_destinations(pack, install_dir):
            with self.subTest(entry=name):
                path = unix_path(destination)
                self.assertTrue(path.is_file(), f"{destination} missing")
                self.assertEqual(path.read_bytes(), files[name], f"{destination} differs from the pack")

    def assert_records(self, install_dir=INSTALL_DIR):
        expected = [("CommandLine", ""), ("CurrentDirectory", install_dir), ("File", "Hxdemo.exe"),
                    ("Guid", GUID), ("Path", install_dir)]
        for key in (PRODUCT_KEY, DIRECTPLAY_KEY):
            with self.subTest(key=key):
                self.assertEqual(registry_values(key), expected)

    def assert_shortcuts(self, install_dir=INSTALL_DIR):
        expected = {
            "HexbreakerDemo.lnk": (install_dir + r"\Hxdemo.exe", "HexbreakerDemo", install_dir),
            "Screen.lnk": (install_dir + r"\screen.bmp", "HexbreakerDemo", install_dir),
            "Readme.lnk": (install_dir + r"\readme.txt", "HexbreakerDemo readme", install_dir),
            "Uninstall HexbreakerDemo.lnk": (r"C:\windows\hxduninst.exe", "Uninstall HexbreakerDemo", r"C:\windows"),
        }
        folder = unix_path(group())
        self.assertEqual(sorted(p.name for p in folder.iterdir()), sorted(expected))
        for name, (target, description, working_dir) in expected.items():
            with self.subTest(link=name):
                read_target, read_description, read_working_dir = read_shell_link(folder / name)
                self.assertEqual(read_target.lower(), target.lower())
                self.assertEqual((read_description, read_working_dir), (description, working_dir))

    def assert_nothing_recorded(self):
        self.assertIsNone(registry_values(PRODUCT_KEY))
        self.assertIsNone(registry_values(DIRECTPLAY_KEY))
        self.assertFalse(unix_path(group()).exists(), "a program group was made")
