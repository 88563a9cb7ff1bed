"""Drives the real setup.exe under Wine as a user would: the X pointer and keyboard through
xdotool, the screen through screenshots, the registry through `wine reg`, window state through
the probe program."""

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
from pathlib import Path

from PIL import Image

ROOT = Path(__file__).resolve().parents[2]
RIG = ROOT / "tests" / "rig"
ART = ROOT / "res" / "art"
CAPTION = "HexbreakerDemo Installer"
PRODUCT_KEY = r"HKLM\Software\Tarn\HexbreakerDemo"
DIRECTPLAY_KEY = r"HKLM\Software\Microsoft\DirectPlay\Applications\HexbreakerDemo"
SHELL_FOLDERS_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"


def wine_env():
    """The environment of the project's Wine processes (prefix, drives, quiet debug output) for the
    bitness the rig runs (HX_WINE_ARCH: the tree under test sets it, else the host decides)."""
    subprocess.run([RIG / "wine-prefix"], check=True)
    script = f'. "{RIG / "wine-env"}"; env -0'
    output = subprocess.run(["bash", "-c", script], check=True, capture_output=True).stdout
    return dict(item.split("=", 1) for item in output.decode().split("\0") if "=" in item)


ENV = wine_env()
CD = Path(ENV["HX_CD"])
# Everything that depends on the bitness of the programs under test, as the rig decided it.
ARCH = ENV["HX_WINE_ARCH"]  # "i686" or "x86_64"
WINE = ENV["HX_WINE"]  # the loader that runs them
REG_VIEW = ENV["HX_REG_VIEW"]  # the registry view they read: "/reg:32" or "/reg:64"
# Where their writes to the Windows system folder (C:\windows\system32) land: syswow64 for a 32-bit
# program on the 64-bit prefix, system32 for a 64-bit one.
SYSTEM_DIR = Path(ENV["HX_SYSTEM_DIR"])
DRIVE_C = Path(ENV["WINEPREFIX"]) / "drive_c"
WINDOWS_DIR = DRIVE_C / "windows"
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


def set_installed(path=r"C:\HexbreakerDemo"):
    reg("add", PRODUCT_KEY, "/v", "Path", "/d", path, "/f")


def set_not_installed():
    reg("delete", PRODUCT_KEY, "/f", check=False)


def set_directplay_record(path=r"C:\HexbreakerDemo"):
    """The DirectPlay application record an install writes."""
    values = {"CommandLine": "", "CurrentDirectory": path, "File": "Hxdemo.exe",
              "Guid": "{5E3A9C41-7B2D-4F18-A6C0-3D94E1B8F572}", "Path": path}
    for name, data in values.items():
        reg("add", DIRECTPLAY_KEY, "/v", name, "/d", data, "/f")


def key_exists(key):
    return reg("query", key, check=False).returncode == 0


def reg_text(key, value):
    """A REG_SZ value's text, or None."""
    result = reg("query", key, "/v", value, check=False)
    for line in result.stdout.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) == 3 and parts[0] == value and parts[1] == "REG_SZ":
            return parts[2]
    return None


def registry_values(key):
    """The REG_SZ values of a key, in the registry's order; None when the key is absent."""
    result = reg("query", key, check=False)
    if result.returncode != 0:
        return None
    values = []
    for line in result.stdout.splitlines():
        parts = line.strip().split("    ")
        if len(parts) >= 2 and parts[1] == "REG_SZ":
            values.append((parts[0], parts[2] if len(parts) > 2 else ""))
    return values


def unix_path(windows_path):
    """Where a Windows path lies on this machine (C: paths without asking Wine)."""
    if windows_path[:3].upper() == "C:\\":
        return DRIVE_C.joinpath(*windows_path[3:].split("\\"))
    return Path(wine("winepath", "-u", windows_path).stdout.strip())


def programs_folder():
    """The Start menu's Programs folder, as a Unix path."""
    return unix_path(reg_text(SHELL_FOLDERS_KEY, "Programs"))


def child_windows(*args):
    """The probe's child-window report: ("dialog", caption) before each dialog's children when no
    caption is given, then (class, (left, top, right, bottom), visible, text) for each child."""
    command = [WINE, str(PROBE_EXE), "children", *args]
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


def children(caption, of_popup=False):
    """The child windows of a top-level window: (class, (left, top, right, bottom), visible, text)."""
    return child_windows(caption, *(["popup"] if of_popup else []))


def dialogs():
    """(caption, texts of the controls) of every visible dialog, message boxes included."""
    found = []
    for row in child_windows():
        if row[0] == "dialog":
            found.append((row[1], []))
        elif found and row[3]:
            found[-1][1].append(row[3])
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


def pack_destinations(pack, install_dir=r"C:\HexbreakerDemo"):
    """(name, Windows destination path) of every pack entry, as the native tool lists them."""
    listing = subprocess.run([HXPACK, "list", pack], capture_output=True, text=True, check=True).stdout
    return [(fields[1], fields[4].replace("<install>", install_dir).replace("<windows>", r"C:\windows"))
            for fields in (line.split("\t") for line in listing.splitlines()) if fields[0] != "total"]


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


def xdotool(*args):
    return subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True).stdout


def screenshot():
    png = subprocess.run(["import", "-window", "root", "png:-"], capture_output=True, check=True).stdout
    with tempfile.NamedTemporaryFile(suffix=".png") as file:
        file.write(png)
        file.flush()
        return Image.open(file.name).convert("RGB")


def art(name):
    return Image.open(ART / name).convert("RGB")


def region(image, left, top, width, height):
    return image.crop((left, top, left + width, top + height))


def same_pixels(a, b):
    return a.size == b.size and list(a.getdata()) == list(b.getdata())


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
        wait_until(lambda: probe("window", CAPTION).get("found") == "0", 10)


def start_setup(extra_env=None, disc=None):
    run = SetupRun(extra_env, disc)
    if run.window() is None:
        run.kill()
        raise AssertionError("the main window did not appear")
    time.sleep(0.3)
    return run
