"""Drives the real setup.exe under Wine as a user would: the X pointer and keyboard through
xdotool, the screen through screenshots, the registry through `wine reg`, window state through
the probe program."""

import filecmp
import os
import shutil
import signal
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
WINDOWS_DIR = Path(ENV["WINEPREFIX"]) / "drive_c" / "windows"
# The tree's programs: setup.exe, the stand-in programs (build/bin or build/bin64), the probe.
BIN_DIR = Path(os.environ.get("HX_BIN_DIR", ENV["HX_WIN_BIN_DIR"]))
SETUP_EXE = Path(os.environ.get("HX_SETUP_EXE", BIN_DIR / "setup.exe"))
PROBE_EXE = Path(os.environ.get("HX_PROBE_EXE", Path(ENV["HX_WIN_TREE"]) / "tests" / "e2e" / "probe.exe"))


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


def unix_path(windows_path):
    return Path(wine("winepath", "-u", windows_path).stdout.strip())


def programs_folder():
    """The Start menu's Programs folder, as a Unix path."""
    return unix_path(reg_text(SHELL_FOLDERS_KEY, "Programs"))


def children(caption, of_popup=False):
    """The child windows of a top-level window: (class, (left, top, right, bottom), visible, text)."""
    command = [WINE, str(PROBE_EXE), "children", caption, *(["popup"] if of_popup else [])]
    # A picture control's text is its resource number, not text.
    output = subprocess.run(command, env=ENV, capture_output=True, timeout=60).stdout.decode(errors="replace")
    found = []
    for line in output.splitlines():
        if line.startswith("child="):
            window_class, rect, visible, text = line[len("child="):].split("\t", 3)
            found.append((window_class, tuple(map(int, rect.split(","))), visible == "1", text))
    return found


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
