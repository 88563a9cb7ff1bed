"""Drives the real setup.exe under Wine as a user would: pointer and keyboard through xdotool, the
screen through screenshots, the registry through `wine reg`, window state through the probe program."""

import atexit
import contextlib
import filecmp
import functools
import io
import os
import re
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
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\HexbreakerDemo"
SHELL_FOLDERS_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"
INSTALL_DIR = r"C:\HexbreakerDemo"
ASK_UNINSTALL = "Are you sure to uninstall HexbreakerDemo?"
REINSTALL = "There was something wrong in installation. Please reinstall and try again."
def read_hot_spots():
    """The main window's labels from the program's own table (res/hot_spots.def), in hit-test order:
    name -> ((left, top, width, height) of the lit bitmap's area, lit bitmap file, grey bitmap file)."""
    labels = {}
    for row in re.findall(r"^HOT_SPOT\((.*)\)\s*$", (ROOT / "res" / "hot_spots.def").read_text(), re.M):
        name, _text, *numbers, lit, grey = [field.strip() for field in row.split(",")]
        left, top, width, height = (int(numbers[i]) for i in (4, 5, 8, 9))
        bitmap = lambda resource: None if resource == "0" else resource.removeprefix("IDB_").lower() + ".bmp"
        labels[name.lower()] = ((left, top, width, height), bitmap(lit), bitmap(grey))
    return labels


LABELS = read_hot_spots()
# A point inside each label: the middle of its bitmap's area, which no earlier hit rectangle holds.
POINTS = {name: (left + width // 2, top + height // 2) for name, ((left, top, width, height), _, _) in LABELS.items()}
NOWHERE = (150, 150)
LARGE_FILE, LARGE_SIZE = "intro.avi", 64 * 1024 * 1024


def wine_env():
    """The rig's environment for Wine processes, of the bitness HX_WINE_ARCH (or the host) picks."""
    subprocess.run([RIG / "wine-prefix"], check=True)
    output = subprocess.run(["bash", "-c", f'. "{RIG / "wine-env"}"; env -0'], check=True, capture_output=True).stdout
    return dict(item.split("=", 1) for item in output.decode().split("\0") if "=" in item)


ENV = wine_env()
CD = Path(ENV["HX_CD"])
DRIVE_E = Path(ENV["HX_DRIVE_E"])
WINE = ENV["HX_WINE"]  # the loader of the programs under test, of the bitness the rig chose
REG_VIEW = ENV["HX_REG_VIEW"]  # the registry view they read: "/reg:32" or "/reg:64"
DOSDEVICES = Path(ENV["WINEPREFIX"]) / "dosdevices"
DRIVE_C = Path(ENV["WINEPREFIX"]) / "drive_c"
# The tree's programs: setup.exe, the stand-in programs (build/bin or build/bin64), the probe.
BIN_DIR = Path(os.environ.get("HX_BIN_DIR", ENV["HX_WIN_BIN_DIR"]))
SETUP_EXE = Path(os.environ.get("HX_SETUP_EXE", BIN_DIR / "setup.exe"))
PROBE_EXE = Path(os.environ.get("HX_PROBE_EXE", Path(ENV["HX_WIN_TREE"]) / "tests" / "e2e" / "probe.exe"))
CD_IMAGE = Path(os.environ.get("HX_CD_IMAGE", ROOT / "build" / "cd"))
HXPACK = ROOT / "build" / "bin" / "hxpack"  # the native tool, whichever Windows tree runs
CODEC = None  # the code page the Wine programs' texts come in, set by language(); None: as ever


@contextlib.contextmanager
def language(lang, codec):
    """Every Wine program started meanwhile runs as on a system of that language (Wine takes a process's ANSI
    code page from its own LANG, the wineserver's aside), and its texts are read in that code page."""
    global CODEC
    saved, saved_codec = {name: ENV.get(name) for name in ("LANG", "LC_ALL")}, CODEC
    ENV.update(LANG=lang, LC_ALL=lang)
    CODEC = codec
    try:
        yield
    finally:
        for name, value in saved.items():
            if value is None:
                ENV.pop(name, None)
            else:
                ENV[name] = value
        CODEC = saved_codec


def wine(*args, check=True, timeout=60):
    return subprocess.run([WINE, *map(str, args)], env=ENV, capture_output=True, text=True, encoding=CODEC,
                          check=check, timeout=timeout)


def reg(*args, check=True):
    """`wine reg` on the registry view the setup program sees (that of its bitness)."""
    return wine("reg", *args, REG_VIEW, check=check)


def key_exists(key):
    return reg("query", key, check=False).returncode == 0


def registry_values(key):
    """The REG_SZ values of a key, in the registry's order; None when the key is absent."""
    result = reg("query", key, check=False)
    if result.returncode != 0:
        return None
    rows = (line.strip().split("    ") for line in result.stdout.splitlines())
    return [(row[0], row[2] if len(row) > 2 else "") for row in rows if len(row) >= 2 and row[1] == "REG_SZ"]


def typed_values(key):
    """Every value of a key by name, as (type, text) the way `wine reg query` shows them; None when absent."""
    result = reg("query", key, check=False)
    if result.returncode != 0:
        return None
    rows = (line.strip().split("    ") for line in result.stdout.splitlines() if line.startswith("    "))
    return {row[0]: (row[1], row[2] if len(row) > 2 else "") for row in rows if len(row) >= 2}


def version_text(name):
    """A text of the programs' version resource, as its script states it."""
    return re.search(rf'VALUE "{name}", "([^"]*)"', (ROOT / "res" / "version.rc2").read_text())[1]


def uninstall_list():
    """What Wine's own reader of the list of installed programs shows: one "KEY|||DisplayName" line each."""
    return wine("uninstaller", "--list").stdout.split()


def records(install_dir=INSTALL_DIR):
    """The values an install writes, in order, into both the product's and DirectPlay's record."""
    return [("CommandLine", ""), ("CurrentDirectory", install_dir), ("File", "Hxdemo.exe"),
            ("Guid", "{5E3A9C41-7B2D-4F18-A6C0-3D94E1B8F572}"), ("Path", install_dir)]


def unix_path(windows_path):
    """Where a Windows path lies on this machine: under the folder its drive letter links to."""
    drive = Path(os.path.realpath(DOSDEVICES / windows_path[:2].lower()))
    return drive.joinpath(*(part for part in windows_path[3:].split("\\") if part))


@functools.cache
def group():
    """The program group an install makes: a folder of the Start menu's Programs folder."""
    return dict(registry_values(SHELL_FOLDERS_KEY))["Programs"] + r"\HexbreakerDemo"


def children(caption=None, of_popup=False):
    """(class, (left, top, right, bottom), visible, text) of each child of the window (or of its last active
    pop-up); without a caption, of every visible dialog, each after a ("dialog", caption) row."""
    command = [WINE, str(PROBE_EXE), "children", *([caption] if caption else []), *(["popup"] if of_popup else [])]
    # A picture control's text is its resource number, not text.
    output = subprocess.run(command, env=ENV, capture_output=True, timeout=60).stdout.decode(CODEC or "utf-8",
                                                                                              errors="replace")
    found = []
    for kind, _, fields in (line.partition("=") for line in output.splitlines()):
        if kind == "dialog":
            found.append(("dialog", fields))
        elif kind == "child":
            window_class, rect, visible, text = fields.split("\t", 3)
            found.append((window_class, tuple(map(int, rect.split(","))), visible == "1", text))
    return found


def showing(text, timeout=10):
    """The caption of a visible dialog (message boxes included) that shows `text`, once one does, or None."""
    def caption_row():
        caption = None
        for row in children():
            if row[0] == "dialog":
                caption = row[1]
            elif row[3] == text:
                return [caption]
    return (wait_until(caption_row, timeout) or [None])[0]


def processes(command):
    """(pid, arguments) of this prefix's processes (not another tree's) run as `command` [arguments]."""
    found = []
    for line in subprocess.run(["ps", "-eo", "pid=,args="], capture_output=True, text=True).stdout.splitlines():
        pid, _, args = line.strip().partition(" ")
        args = args.strip()
        if (args.lower() + " ").startswith(command + " ") and "/desktop" not in args.lower():
            with contextlib.suppress(OSError):  # gone meanwhile
                if f"WINEPREFIX={ENV['WINEPREFIX']}".encode() in Path(f"/proc/{pid}/environ").read_bytes().split(b"\0"):
                    found.append((int(pid), args))
    return found


def command_lines(command):
    return [args for _, args in processes(command)]


def kill_processes(command):
    for pid, _ in processes(command):
        with contextlib.suppress(ProcessLookupError):
            os.kill(pid, signal.SIGKILL)


def pack_files(pack):
    """Every pack entry's bytes by name, extracted by the native tool."""
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([HXPACK, "extract", pack, folder], check=True, capture_output=True)
        return {path.name: path.read_bytes() for path in Path(folder).iterdir()}


@functools.cache
def large_pack():
    """A pack that takes some seconds to copy: the demo's files and LARGE_FILE (made once)."""
    work = Path(tempfile.mkdtemp(prefix="hx-large-pack-"))
    atexit.register(shutil.rmtree, work, True)
    subprocess.run([HXPACK, "extract", CD_IMAGE / "hxdemo.pak", work / "files"], check=True, capture_output=True)
    (work / "files" / LARGE_FILE).write_bytes(bytes(range(256)) * (LARGE_SIZE // 256))
    subprocess.run([HXPACK, "create", work / "hxdemo.pak", *sorted((work / "files").iterdir())], check=True,
                   capture_output=True)
    return work / "hxdemo.pak"


def pack_destinations(pack, install_dir):
    """Each pack entry's name, the Windows path the native tool lists as its destination, and whether an install
    keeps a file already there."""
    listing = subprocess.run([HXPACK, "list", pack], capture_output=True, text=True, check=True).stdout
    return [(entry[1], entry[4].replace("<install>", install_dir).replace("<windows>", r"C:\windows"),
             entry[5:] == ["keep-existing"])
            for entry in (line.split("\t") for line in listing.splitlines() if not line.startswith("total"))]


def tree(folder):
    """Every file under a folder, relative, with its bytes (a link: its target)."""
    return {str(path.relative_to(folder)): ("link", os.readlink(path)) if path.is_symlink() else path.read_bytes()
            for path in sorted(Path(folder).rglob("*")) if path.is_symlink() or path.is_file()}


def read_shell_link(path):
    """Target, description and working directory of a .lnk file, read from its bytes."""
    data = Path(path).read_bytes()
    assert data[:4] == b"L\0\0\0", "not a shell link"
    flags, offset, target, strings = struct.unpack_from("<I", data, 0x14)[0], 0x4C, None, {}
    if flags & 0x1:  # an item-id list
        offset += 2 + struct.unpack_from("<H", data, offset)[0]
    if flags & 0x2:  # link info: the local base path and a common suffix
        size, _, info_flags, _, base, _, suffix = struct.unpack_from("<7I", data, offset)
        if info_flags & 0x1:
            target = b"".join(data[at:data.index(b"\0", at)] for at in (offset + base, offset + suffix))
            target = target.decode(CODEC or "cp1252")
        offset += size
    width = 2 if flags & 0x80 else 1
    for bit in (0x4, 0x8, 0x10):  # the description, the relative path, the working directory
        if flags & bit:
            count = struct.unpack_from("<H", data, offset)[0]
            # Some writers count the terminating NUL in the length.
            text = data[offset + 2:offset + 2 + count * width].decode("utf-16-le" if width == 2 else CODEC or "cp1252")
            strings[bit], offset = text.rstrip("\0"), offset + 2 + count * width
    return target, strings.get(0x4), strings.get(0x10)


def click_at(rect, *options):
    """Clicks the middle of a (left, top, right, bottom) rectangle on screen with the real pointer."""
    xdotool("mousemove", "--sync", (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2)
    xdotool("click", *options, "1")


def click_button(caption, text, of_popup=False, timeout=10):
    """Clicks the visible button of that label once the window shows one."""
    def button_rects():
        return [rect for window_class, rect, visible, label in children(caption, of_popup)
                if window_class == "Button" and label.replace("&", "") == text and visible]
    rects = wait_until(button_rects, timeout)
    assert rects, f"no button {text!r} in {caption!r}: {children(caption, of_popup)}"
    click_at(rects[0])


def probe(*args):
    result = wine(PROBE_EXE, *args, check=False)
    return dict(line.split("=", 1) for line in result.stdout.splitlines() if "=" in line)


def focus_in_popup(caption=CAPTION):
    """Whether the keyboard focus is in a pop-up of that window (a dialog or box it owns)."""
    return probe("focus", caption).get("popup") == "1"


def window_found(caption):
    return probe("window", caption).get("found") == "1"


def xdotool(*args):
    return subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True).stdout


def screenshot():
    png = subprocess.run(["import", "-window", "root", "png:-"], capture_output=True, check=True).stdout
    return Image.open(io.BytesIO(png)).convert("RGB")


def wait_until(condition, timeout=10.0, interval=0.05):
    """The condition's first true value within the timeout, else its last value."""
    deadline = time.monotonic() + timeout
    while not (value := condition()) and time.monotonic() < deadline:
        time.sleep(interval)
    return value


class ProgramRun:
    """A program started as the shell starts one, in a folder that a drive shows (its current directory)."""

    def __init__(self, program, folder, extra_env=None, args=()):
        self.process = subprocess.Popen([WINE, program, *args], cwd=folder, env={**ENV, **(extra_env or {})},
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def exit_code(self, timeout=15.0):
        with contextlib.suppress(subprocess.TimeoutExpired):
            return self.process.wait(timeout)
        return None

    def kill(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGKILL)
            self.process.wait(10)
            # Windows of a killed process disappear once the server has noticed.
            wait_until(lambda: not window_found(CAPTION), 10)


class SetupRun(ProgramRun):
    """setup.exe started from the root of D:: a disc's own (given its folder), else the one under test."""

    def __init__(self, extra_env=None, disc=None):
        target = CD / "setup.exe"
        # Never rewrite the file under a copy that runs from it.
        if disc is None and not (target.exists() and filecmp.cmp(SETUP_EXE, target, shallow=False)):
            shutil.copy(SETUP_EXE, target)
        super().__init__("setup.exe", disc or CD, extra_env)

    def origin(self):
        return tuple(map(int, probe("window", CAPTION)["rect"].split(",")[:2]))

    def point_to(self, x, y):
        """Moves the pointer to client point (x, y) of the main window."""
        left, top = self.origin()
        xdotool("mousemove", "--sync", left + x, top + y)

    def click(self, x, y):
        self.point_to(x, y)
        xdotool("click", "1")


def main_windows(caption=CAPTION):
    """The visible windows of that caption, asked of the X server: the probe, started while a program
    starts on a new Wine server, can hang as both bring up Wine's desktop."""
    return xdotool("search", "--onlyvisible", "--name", f"^{caption}$").split()


def set_installed(path=INSTALL_DIR):
    reg("add", PRODUCT_KEY, "/v", "Path", "/d", path, "/f")


def remove_installation():
    """No records, no install folder, no program group, none of the files an install puts in C:\\windows."""
    for key in (PRODUCT_KEY, DIRECTPLAY_KEY, UNINSTALL_KEY):
        reg("delete", key, "/f", check=False)
    for folder in (INSTALL_DIR, group()):
        shutil.rmtree(unix_path(folder), ignore_errors=True)
    for name in ("hxduninst.exe", "ptlic32.exe", r"system\hxsound.dll"):
        unix_path(r"C:\windows" + "\\" + name).unlink(missing_ok=True)


def make_installed():
    """What an install leaves, made directly: files in the folder and its sub-folders, the group, the records."""
    folder, links = unix_path(INSTALL_DIR), unix_path(group())
    files = {folder / "hxdemo.exe": (BIN_DIR / "hxdemo.exe").read_bytes(), folder / "readme.txt": b"HexbreakerDemo\r\n",
             folder / "Multi" / "canyon.mfd": b"\0" * 612, folder / "Profiles" / "hum6.bmp": b"BM" + b"\0" * 100}
    for name in ["HexbreakerDemo.lnk", "Read Me.lnk", "Uninstall HexbreakerDemo.lnk", "Hexbreaker Homepage.lnk"]:
        files[links / name] = b"L\0\0\0"
    for path, data in files.items():
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
    for name, data in records():
        reg("add", DIRECTPLAY_KEY, "/v", name, "/d", data, "/f")
    set_installed()


def snapshot():
    """Everything removal touches: the files of the install folder and the group, the two records and the entry
    of the list of installed programs."""
    return [tree(unix_path(INSTALL_DIR)), tree(unix_path(group())), key_exists(PRODUCT_KEY),
            key_exists(DIRECTPLAY_KEY), key_exists(UNINSTALL_KEY)]


class SetupCase(unittest.TestCase):
    """A case that runs setup.exe; it starts from no installation and leaves none, nor an Explorer or Notepad."""
    setup = None

    def setUp(self):
        self.close_programs()  # left by a run cut short
        # The CD as built, the setup.exe under test apart (SetupRun puts it there).
        shutil.copytree(CD_IMAGE, CD, ignore=shutil.ignore_patterns("setup.exe"), dirs_exist_ok=True)
        remove_installation()

    def tearDown(self):
        if self.setup:
            self.setup.kill()
        self.close_programs()
        remove_installation()

    def close_programs(self):
        """Closes the windows of the Explorer and Notepad an install started. Killed, an Explorer would leave
        its folder's window registered, and the next Explorer on the group would hand over to it."""
        for program, caption in (("explorer", "HexbreakerDemo"), ("notepad", "readme.txt - Notepad")):
            if processes(program):
                wait_until(lambda: probe("window", caption).get("visible") == "1", 15)
                probe("close", caption)
        wait_until(lambda: not processes("explorer") + processes("notepad"), 10)
        for program in ("explorer", "notepad"):
            kill_processes(program)

    def start(self, **kwargs):
        xdotool("mousemove", 0, 0)  # a window that opens under the pointer lights that label
        self.setup = SetupRun(**kwargs)
        self.assertTrue(wait_until(main_windows, 15), "the main window did not appear")
        self.assertTrue(wait_until(self.drawn, 15), "the main window was not drawn")

    def drawn(self):
        """Whether the screen shows the main window's picture around a point that no label holds."""
        left, top = self.setup.origin()
        box = (NOWHERE[0] - 10, NOWHERE[1] - 10, NOWHERE[0] + 10, NOWHERE[1] + 10)
        art = Image.open(ART / "background.bmp").convert("RGB").crop(box)
        shown = screenshot().crop((left + box[0], top + box[1], left + box[2], top + box[3]))
        return list(shown.getdata()) == list(art.getdata())

    def click_label(self, name):
        self.setup.click(*POINTS[name])

    def answer(self, caption, text, button, timeout=10, closes=False):
        """Waits for the box of that caption to show `text`, clicks `button` (closes: and waits it away)."""
        self.assertEqual(showing(text, timeout), caption, f"no box of {caption!r} showing {text!r}")
        click_button(caption, button)
        self.assertTrue(not closes or wait_until(lambda: not window_found(caption)), f"{caption!r} stayed")

    def uninstall(self, outcome):
        """Uninstall, OK in the question, then OK in the box that tells `outcome`."""
        self.click_label("uninstall")
        self.answer(APP_NAME, ASK_UNINSTALL, "OK")
        self.answer(APP_NAME, outcome, "OK")

    def click_install(self, **kwargs):
        self.start(**kwargs)
        self.click_label("install")
        self.assertIsNotNone(showing("Select"), "no install-directory dialog")
        self.assertTrue(wait_until(focus_in_popup), "the install-directory dialog has no keyboard focus")

    def answer_exit(self):
        """Cancel (Escape) in the dialog in front, then Exit in the question."""
        xdotool("key", "Escape")
        self.answer("Exit installation", "Are you sure to exit installation?", "Exit")

    def answer_readme(self, key):
        """Answers the read-me question with the key of Yes or No; the install then ends with 0."""
        self.assertIsNotNone(showing("Do you want to read readme.txt?", 60), "no read-me question")
        self.assertTrue(wait_until(focus_in_popup), "the read-me question has no keyboard focus")
        xdotool("key", key)
        self.assert_exit(0, 30)

    def install_with_defaults(self, readme_answer, **kwargs):
        """Install, accept C:\\HexbreakerDemo, wait for copying, answer the read-me question."""
        self.click_install(**kwargs)
        xdotool("key", "Return")
        self.answer_readme(readme_answer)

    def assert_exit(self, code, timeout=15):
        self.assertEqual(self.setup.exit_code(timeout), code)
        self.setup = None

    def assert_still_running(self):
        self.assertTrue(wait_until(lambda: probe("window", CAPTION).get("enabled") == "1"),
                        "the main window is not back in use")
        self.assertIsNone(self.setup.exit_code(0.5), "the program ended")

    def assert_labels_look(self, **looks):
        """The main window shows each label's pixels as `looks` says ('lit', 'grey' or 'normal': as in the
        background picture) within a few seconds."""
        left, top = self.setup.origin()
        expected = {}
        for name, look in looks.items():
            (x, y, width, height), lit, grey = LABELS[name]
            art = Image.open(ART / {"lit": lit, "grey": grey, "normal": "background.bmp"}[look]).convert("RGB")
            pixels = (art.crop((x, y, x + width, y + height)) if look == "normal" else art).getdata()
            expected[(left + x, top + y, left + x + width, top + y + height)] = list(pixels)
        self.assertTrue(wait_until(lambda: all(list(shot.crop(box).getdata()) == pixels for shot in [screenshot()]
                                               for box, pixels in expected.items()), 3), f"labels not drawn {looks}")

    def assert_explorer_on_the_group(self):
        self.assertEqual(wait_until(lambda: command_lines("explorer"), 15), ["explorer " + group()])
        self.assertTrue(wait_until(lambda: probe("window", "HexbreakerDemo").get("visible") == "1", 15),
                        "no Explorer window on the group")

    def assert_files_installed(self, pack, install_dir=INSTALL_DIR):
        """Every pack entry where the native tool lists its destination, byte for byte."""
        files = pack_files(pack)
        for name, destination, _ in pack_destinations(pack, install_dir):
            self.assertEqual(unix_path(destination).read_bytes(), files[name], f"{destination} differs")

    def assert_records(self, install_dir=INSTALL_DIR, pack=None, over=False):
        """Both records, and the entry of the list of installed programs with every value's type and text; with
        `pack`, its size: the KiB, rounded up, of the files it wrote where they are (`over` an install: not the
        files it keeps)."""
        for key in (PRODUCT_KEY, DIRECTPLAY_KEY):
            self.assertEqual(registry_values(key), records(install_dir), key)
        entry = typed_values(UNINSTALL_KEY)
        self.assertIsNotNone(entry, "no entry in the list of installed programs")
        self.assertEqual(entry.pop("EstimatedSize")[0], "REG_DWORD")
        self.assertEqual(entry, {
            "DisplayName": ("REG_SZ", "HexbreakerDemo"), "UninstallString": ("REG_SZ", r'"C:\windows\hxduninst.exe"'),
            "DisplayIcon": ("REG_SZ", install_dir + r"\Hxdemo.exe,0"), "InstallLocation": ("REG_SZ", install_dir),
            "Publisher": ("REG_SZ", version_text("CompanyName")),
            "DisplayVersion": ("REG_SZ", version_text("ProductVersion")), "NoModify": ("REG_DWORD", "0x1"),
            "NoRepair": ("REG_DWORD", "0x1"), "InstallDate": ("REG_SZ", time.strftime("%Y%m%d"))})
        if pack:
            size = sum(unix_path(destination).stat().st_size
                       for _, destination, kept in pack_destinations(pack, install_dir) if not (over and kept))
            self.assertEqual(typed_values(UNINSTALL_KEY)["EstimatedSize"], ("REG_DWORD", hex(-(-size // 1024))))

    def assert_shortcuts(self, install_dir=INSTALL_DIR):
        """The four links of the program group: target (any case), description, working directory."""
        expected = {"HexbreakerDemo.lnk": (install_dir + r"\Hxdemo.exe", "HexbreakerDemo", install_dir),
                    "Screen.lnk": (install_dir + r"\screen.bmp", "HexbreakerDemo", install_dir),
                    "Readme.lnk": (install_dir + r"\readme.txt", "HexbreakerDemo readme", install_dir),
                    "Uninstall HexbreakerDemo.lnk": (r"C:\windows\hxduninst.exe", "Uninstall HexbreakerDemo",
                                                     r"C:\windows")}
        links = {path.name: read_shell_link(path) for path in unix_path(group()).iterdir()}
        self.assertEqual({name: (target.lower(), *rest) for name, (target, *rest) in links.items()},
                         {name: (target.lower(), *rest) for name, (target, *rest) in expected.items()})

    def assert_removed(self):
        """No install folder, program group or record is left."""
        self.assertEqual([unix_path(INSTALL_DIR).exists(), unix_path(group()).exists(), key_exists(PRODUCT_KEY),
                          key_exists(DIRECTPLAY_KEY), key_exists(UNINSTALL_KEY)], [False] * 5,
                         "something of the installation stayed")

    def assert_nothing_recorded(self):
        self.assertEqual([registry_values(key) for key in (PRODUCT_KEY, DIRECTPLAY_KEY, UNINSTALL_KEY)], [None] * 3)
        self.assertFalse(unix_path(group()).exists(), "a program group was made")
