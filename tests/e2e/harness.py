"""Drives the real setup.exe under Wine as a user would (xdotool's pointer and keys) and reads what the screen,
the registry, the disk and the probe program show."""

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
from unittest import mock

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
BROWSER = "Select directory to install"  # the directory browser's title
ASK_UNINSTALL = "Are you sure to uninstall HexbreakerDemo?"


def read_hot_spots():
    """res/hot_spots.def in hit-test order: name -> ((left, top, width, height) of the lit bitmap, lit, grey)."""
    labels = {}
    for row in re.findall(r"^HOT_SPOT\((.*)\)\s*$", (ROOT / "res" / "hot_spots.def").read_text(), re.M):
        name, _text, *numbers, lit, grey = [field.strip() for field in row.split(",")]
        bitmap = lambda resource: None if resource == "0" else resource.removeprefix("IDB_").lower() + ".bmp"
        labels[name.lower()] = (tuple(int(numbers[i]) for i in (4, 5, 8, 9)), bitmap(lit), bitmap(grey))
    return labels


LABELS = read_hot_spots()
# The middle of each label's bitmap, which no earlier hit rectangle holds.
POINTS = {name: (left + width // 2, top + height // 2) for name, ((left, top, width, height), _, _) in LABELS.items()}
NOWHERE = (150, 150)
LARGE_FILE, LARGE_SIZE = "intro.avi", 64 * 1024 * 1024


# The rig's prefix, and its environment for Wine processes (HX_WINE_ARCH picks the bitness).
subprocess.run([RIG / "wine-prefix"], check=True)
_RIG_ENV = subprocess.run(["bash", "-c", f'. "{RIG / "wine-env"}"; env -0'], check=True, capture_output=True).stdout
ENV = dict(item.split("=", 1) for item in _RIG_ENV.decode().split("\0") if "=" in item)
CD = Path(ENV["HX_CD"])
DRIVE_E = Path(ENV["HX_DRIVE_E"])
WINE = ENV["HX_WINE"]  # the loader of the programs under test, of the bitness the rig chose
REG_VIEW = ENV["HX_REG_VIEW"]  # the registry view they read: "/reg:32" or "/reg:64"
DOSDEVICES = Path(ENV["WINEPREFIX"]) / "dosdevices"
DRIVE_C = Path(ENV["WINEPREFIX"]) / "drive_c"
BIN_DIR = Path(os.environ.get("HX_BIN_DIR", ENV["HX_WIN_BIN_DIR"]))
SETUP_EXE = Path(os.environ.get("HX_SETUP_EXE", BIN_DIR / "setup.exe"))
PROBE_EXE = Path(os.environ.get("HX_PROBE_EXE", Path(ENV["HX_WIN_TREE"]) / "tests" / "e2e" / "probe.exe"))
CD_IMAGE = Path(os.environ.get("HX_CD_IMAGE", ROOT / "build" / "cd"))
HXPACK = ROOT / "build" / "bin" / "hxpack"  # the native tool, whichever Windows tree runs
CODEC = None  # the code page the Wine programs' texts come in, set by language(); None: as ever


@contextlib.contextmanager
def language(lang, codec):
    """Wine programs started meanwhile run in that language (their ANSI code page: LANG's); read as `codec`."""
    with mock.patch.dict(ENV, LANG=lang, LC_ALL=lang), mock.patch(f"{__name__}.CODEC", codec):
        yield


def wine(*args, check=True, timeout=60):
    # A picture control's text is its resource number, not text: undecodable bytes are replaced.
    return subprocess.run([WINE, *map(str, args)], env=ENV, capture_output=True, text=True, encoding=CODEC,
                          errors="replace", check=check, timeout=timeout)


def reg(*args, check=True):
    """`wine reg` on the registry view the setup program sees (that of its bitness)."""
    return wine("reg", *args, REG_VIEW, check=check)


def key_exists(key):
    return reg("query", key, check=False).returncode == 0


def registry_values(key):
    """A key's values, in order, name -> (type, text) as `wine reg query` shows them; None: no such key."""
    result = reg("query", key, check=False)
    if result.returncode != 0:
        return None
    rows = (line.strip().split("    ") for line in result.stdout.splitlines() if line.startswith("    "))
    return {row[0]: (row[1], row[2] if len(row) > 2 else "") for row in rows if len(row) >= 2}


def version_text(name):
    """A text of the programs' version resource, as its script states it."""
    return re.search(rf'VALUE "{name}", "([^"]*)"', (ROOT / "res" / "version.rc2").read_text())[1]


def records(install_dir=INSTALL_DIR):
    """The texts an install writes, in order, into both the product's and DirectPlay's record."""
    return [("CommandLine", ""), ("CurrentDirectory", install_dir), ("File", "Hxdemo.exe"),
            ("Guid", "{5E3A9C41-7B2D-4F18-A6C0-3D94E1B8F572}"), ("Path", install_dir)]


def unix_path(windows_path):
    drive = Path(os.path.realpath(DOSDEVICES / windows_path[:2].lower()))
    return drive.joinpath(*(part for part in windows_path[3:].split("\\") if part))


@functools.cache
def group():
    """The program group an install makes, in the Start menu's Programs folder."""
    return registry_values(SHELL_FOLDERS_KEY)["Programs"][1] + r"\HexbreakerDemo"


def probe_rows(*args):
    """The probe's report: (kind, fields) of each "kind=field<TAB>field..." line."""
    lines = wine(PROBE_EXE, *args, check=False).stdout.splitlines()
    return [(kind, fields.split("\t")) for kind, _, fields in (line.partition("=") for line in lines)]


def probe(*args):
    return {kind: fields[0] for kind, fields in probe_rows(*args)}


def as_rect(text):
    return tuple(map(int, text.split(",")))


def children(caption=None, of_popup=False):
    """(class, (left, top, right, bottom), visible, text) of each child of the window (or of its last active
    pop-up); without a caption, of every visible dialog, each after a ("dialog", caption) row."""
    rows = probe_rows("children", *([caption] if caption else []), *(["popup"] if of_popup else []))
    return [("dialog", row[0]) if kind == "dialog" else (row[0], as_rect(row[1]), row[2] == "1", row[3])
            for kind, row in rows if kind in ("dialog", "child")]


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
        pid, args = line.split(None, 1)
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
    """(name, destination the native tool lists, whether an install keeps a file there) of each pack entry."""
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
    """Clicks the visible button of that label (None: the leftmost of any) once the window shows one."""
    rects = wait_until(lambda: [rect for window_class, rect, visible, label in children(caption, of_popup)
                                if window_class == "Button" and text in (None, label.replace("&", "")) and visible],
                       timeout)
    assert rects, f"no button {text!r} in {caption!r}: {children(caption, of_popup)}"
    click_at(min(rects))


def window_found(caption, state="found"):
    """Whether the probe finds a window of that caption (state: "visible", "enabled" too)."""
    return probe("window", caption).get(state) == "1"


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

    def exit_code(self, timeout=15.0):  # None: still running by then
        with contextlib.suppress(subprocess.TimeoutExpired):
            return self.process.wait(timeout)

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
        return as_rect(probe("window", CAPTION)["rect"])[:2]

    def point_to(self, x, y):  # a point of the main window
        left, top = self.origin()
        xdotool("mousemove", "--sync", left + x, top + y)

    def click(self, x, y):
        self.point_to(x, y)
        xdotool("click", "1")


def main_windows(caption=CAPTION):
    """The visible X windows of that caption (the probe, started while a program starts a new Wine server,
    can hang as both bring up Wine's desktop)."""
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
    """What removal touches: the install folder's and the group's files, both records, the uninstall entry."""
    return [tree(unix_path(INSTALL_DIR)), tree(unix_path(group())), key_exists(PRODUCT_KEY),
            key_exists(DIRECTPLAY_KEY), key_exists(UNINSTALL_KEY)]


class SetupCase(unittest.TestCase):
    """Starts from no installation and leaves none, nor an Explorer or Notepad."""
    setup = None

    def setUp(self):
        self.reset()  # what a run cut short left
        # The CD as built but for setup.exe, which SetupRun puts there.
        shutil.copytree(CD_IMAGE, CD, ignore=shutil.ignore_patterns("setup.exe"), dirs_exist_ok=True)

    def tearDown(self):
        self.reset()

    def reset(self):
        """Ends the program under test and the Explorer and Notepad it started; removes the installation."""
        if self.setup:
            self.setup.kill()
            self.setup = None
        self.close_programs()
        remove_installation()

    def close_programs(self):
        """Closes the Explorer and Notepad an install started (a killed Explorer leaves its folder's window
        registered, and the next Explorer on the group would hand over to it)."""
        for program, caption in (("explorer", "HexbreakerDemo"), ("notepad", "readme.txt - Notepad")):
            if processes(program):
                wait_until(lambda: window_found(caption, "visible"), 15)
                probe("close", caption)
        wait_until(lambda: not processes("explorer") + processes("notepad"), 10)
        for program in ("explorer", "notepad"):
            kill_processes(program)

    def start(self, **kwargs):
        xdotool("mousemove", 0, 0)  # a window that opens under the pointer lights that label
        self.setup = SetupRun(**kwargs)
        self.assertTrue(wait_until(main_windows, 15), "the main window did not appear")
        around_nowhere = (NOWHERE[0] - 10, NOWHERE[1] - 10, 20, 20)  # a part no label holds
        self.assertTrue(wait_until(lambda: self.shows({around_nowhere: None}), 15), "the main window was not drawn")

    def shows(self, parts):
        """Whether the main window shows each (x, y, width, height) part as that picture (None: the background's)."""
        left, top = self.setup.origin()
        shot, background = screenshot(), Image.open(ART / "background.bmp").convert("RGB")
        return all(list(shot.crop((left + x, top + y, left + x + width, top + y + height)).getdata()) ==
                   list((picture or background.crop((x, y, x + width, y + height))).getdata())
                   for (x, y, width, height), picture in parts.items())

    def click_label(self, name):
        self.setup.click(*POINTS[name])

    def answer(self, caption, text, button, timeout=10, closes=False):
        """Clicks `button` once the box of that caption shows `text` (closes: and waits it away)."""
        self.assertEqual(showing(text, timeout), caption, f"no box of {caption!r} showing {text!r}")
        click_button(caption, button)
        self.assertTrue(not closes or wait_until(lambda: not window_found(caption)), f"{caption!r} stayed")

    def uninstall(self, outcome, ok="OK"):  # ok: the label of OK (None: the leftmost button)
        self.click_label("uninstall")
        self.answer(APP_NAME, ASK_UNINSTALL, ok)
        self.answer(APP_NAME, outcome, ok)

    def remove_in_a_new_run(self, ok="OK", **start):
        """Closes what the install started; a new run's Uninstall removes it all, and the program ends with 18."""
        self.close_programs()
        self.start(**start)
        self.uninstall("Uninstall completed.", ok)
        self.assert_exit(18)
        self.assert_removed()

    def assert_focused_box(self, text, what, timeout=10):
        """A dialog or box of the main window shows `text` and has the keyboard focus."""
        self.assertIsNotNone(showing(text, timeout), f"no {what}")
        self.assertTrue(wait_until(lambda: probe("focus", CAPTION).get("popup") == "1"), f"{what}: no keyboard focus")

    def click_install(self, **kwargs):
        self.start(**kwargs)
        self.click_label("install")
        self.assert_focused_box("Select", "install-directory dialog")

    def answer_readme(self, key):
        """Answers the read-me question with the key of Yes or No; the install then ends with 0."""
        self.assert_focused_box("Do you want to read readme.txt?", "read-me question", 60)
        xdotool("key", key)
        self.assert_exit(0, 30)

    def install_with_defaults(self, readme_answer, **kwargs):  # into C:\HexbreakerDemo
        self.click_install(**kwargs)
        xdotool("key", "Return")
        self.answer_readme(readme_answer)

    def assert_exit(self, code, timeout=15):
        self.assertEqual(self.setup.exit_code(timeout), code)
        self.setup = None

    def assert_still_running(self):
        self.assertTrue(wait_until(lambda: window_found(CAPTION, "enabled")), "the main window is not back in use")
        self.assertIsNone(self.setup.exit_code(0.5), "the program ended")

    def assert_labels_look(self, **looks):
        """The labels look as `looks` says ('lit', 'grey' or 'normal': as the background) within a few seconds."""
        parts = {}
        for name, look in looks.items():
            rect, lit, grey = LABELS[name]
            bitmap = {"lit": lit, "grey": grey}.get(look)  # None: normal
            parts[rect] = bitmap and Image.open(ART / bitmap).convert("RGB")
        self.assertTrue(wait_until(lambda: self.shows(parts), 3), f"labels not drawn {looks}")

    def assert_explorer_on_the_group(self):
        self.assertEqual(wait_until(lambda: command_lines("explorer"), 15), ["explorer " + group()])
        self.assertTrue(wait_until(lambda: window_found("HexbreakerDemo", "visible"), 15), "no Explorer on the group")

    def assert_installed(self, pack, install_dir=INSTALL_DIR, over=False):
        """Every pack entry where the native tool lists it, byte for byte; the records; the group's four links."""
        files = pack_files(pack)
        for name, destination, _ in pack_destinations(pack, install_dir):
            self.assertEqual(unix_path(destination).read_bytes(), files[name], f"{destination} differs")
        self.assert_records(install_dir, pack, over)
        expected = {"HexbreakerDemo.lnk": (install_dir + r"\Hxdemo.exe", "HexbreakerDemo", install_dir),
                    "Screen.lnk": (install_dir + r"\screen.bmp", "HexbreakerDemo", install_dir),
                    "Readme.lnk": (install_dir + r"\readme.txt", "HexbreakerDemo readme", install_dir),
                    "Uninstall HexbreakerDemo.lnk": (r"C:\windows\hxduninst.exe", "Uninstall HexbreakerDemo",
                                                     r"C:\windows")}
        links = {path.name: read_shell_link(path) for path in unix_path(group()).iterdir()}
        self.assertEqual({name: (target.lower(), *rest) for name, (target, *rest) in links.items()},
                         {name: (target.lower(), *rest) for name, (target, *rest) in expected.items()})

    def assert_records(self, install_dir=INSTALL_DIR, pack=None, over=False):
        """Both records and the uninstall entry, each value's type and text; with `pack`, the entry's size: the
        KiB, rounded up, of the files written where they are (`over` an install: not those it keeps)."""
        for key in (PRODUCT_KEY, DIRECTPLAY_KEY):
            self.assertEqual(registry_values(key), {name: ("REG_SZ", text) for name, text in records(install_dir)})
        entry = registry_values(UNINSTALL_KEY) or {}
        size = entry.pop("EstimatedSize", None)
        self.assertEqual(entry, {
            "DisplayName": ("REG_SZ", "HexbreakerDemo"), "UninstallString": ("REG_SZ", r'"C:\windows\hxduninst.exe"'),
            "DisplayIcon": ("REG_SZ", install_dir + r"\Hxdemo.exe,0"), "InstallLocation": ("REG_SZ", install_dir),
            "Publisher": ("REG_SZ", version_text("CompanyName")),
            "DisplayVersion": ("REG_SZ", version_text("ProductVersion")), "NoModify": ("REG_DWORD", "0x1"),
            "NoRepair": ("REG_DWORD", "0x1"), "InstallDate": ("REG_SZ", time.strftime("%Y%m%d"))})
        self.assertEqual((size or [None])[0], "REG_DWORD")
        if pack:
            written = sum(unix_path(destination).stat().st_size
                          for _, destination, kept in pack_destinations(pack, install_dir) if not (over and kept))
            self.assertEqual(size, ("REG_DWORD", hex(-(-written // 1024))))

    def assert_removed(self, install_dir=True):
        """No record, uninstall entry or program group is left, nor (`install_dir`) the install folder."""
        folders = [group(), INSTALL_DIR] if install_dir else [group()]
        self.assertEqual([key for key in (PRODUCT_KEY, DIRECTPLAY_KEY, UNINSTALL_KEY) if key_exists(key)] +
                         [folder for folder in folders if unix_path(folder).exists()], [], "left behind")

    def assert_a_second_copy_raises(self, caption, second):
        """With Notepad over that window, a second copy (started by `second`) ends with 0 and raises the window."""
        notepad = subprocess.Popen([WINE, "notepad"], env=ENV)
        self.addCleanup(notepad.wait)
        self.addCleanup(notepad.kill)
        self.assertTrue(wait_until(lambda: probe("above", "Untitled - Notepad", caption).get("above") == "1"))
        run = second()
        self.addCleanup(run.kill)
        self.assertEqual(run.exit_code(), 0)
        self.assertEqual(probe("above", caption, "Untitled - Notepad")["above"], "1", "the first copy is not raised")
