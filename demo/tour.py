"""A guided tour of every screen of setup.exe and the uninstaller, taken on a virtual display: the
main window, an install from the install-directory dialog to Explorer on the program group, the
DirectX dialog and its CD prompt, the removal question, and the uninstaller started from the
program group with the CD out. Each screen is saved as a PNG under the screens folder, and a
contact sheet, tour.png, shows them all with a caption under each.

usage: tour.py SCREENS_DIR   (run by demo/run-demo with the demo's prefix set and drive D: on a
copy of the demo CD, whose pack the tour replaces)"""

import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

from harness import (CAPTION, CD, ENV, PRODUCT_KEY, PROBE_EXE, WINE, SetupRun, children, click_at,  # noqa: E402
                     click_button, group, main_windows, reg, showing, wait_until, xdotool)

HXPACK = ROOT / "build" / "bin" / "hxpack"
SCREENS = Path(sys.argv[1])
# A filler the size of a game movie, packed first so that copying lasts long enough to be seen.
FILLER_NAME, FILLER_SIZE = "intro.avi", 60 * 1024 * 1024
# Hot-spot points of the main window's labels.
INSTALL, DIRECTX, UNINSTALL, PLAY, EXIT = (380, 60), (380, 95), (300, 230), (330, 20), (380, 230)

shots = []


def shot(name, caption):
    path = SCREENS / f"{name}.png"
    time.sleep(0.6)
    subprocess.run(["import", "-window", "root", path], check=True)
    shots.append((path, caption))
    print(f"saved {path}")


def popup_shows(text):
    """Whether the window last active above the main window shows a control whose text starts
    with `text`."""
    return any(label.startswith(text) for _, _, visible, label in children(CAPTION, of_popup=True) if visible)


def start_setup():
    setup = SetupRun()
    if not wait_until(main_windows, 15):
        setup.kill()
        raise SystemExit("tour: the main window did not appear")
    time.sleep(0.3)
    return setup


def wait_for_popup(text, timeout=20):
    if not wait_until(lambda: popup_shows(text), timeout):
        raise SystemExit(f"tour: no window showing {text!r} appeared")


def pack_with_filler():
    """The demo pack with a large filler in front, so the copy dialog can be seen at work."""
    with tempfile.TemporaryDirectory() as folder:
        files = Path(folder) / "files"
        subprocess.run([HXPACK, "extract", CD / "hxdemo.pak", files], check=True, capture_output=True)
        names = [line.split("\t")[1] for line in
                 subprocess.run([HXPACK, "list", CD / "hxdemo.pak"], check=True, capture_output=True,
                                text=True).stdout.splitlines() if not line.startswith("total")]
        with open(files / FILLER_NAME, "wb") as filler:
            filler.truncate(FILLER_SIZE)
        pack = Path(folder) / "hxdemo.pak"
        subprocess.run([HXPACK, "create", pack, files / FILLER_NAME, *(files / n for n in names)], check=True,
                       capture_output=True)
        shutil.move(pack, CD / "hxdemo.pak")


def main_window():
    reg("delete", PRODUCT_KEY, "/f", check=False)
    xdotool("mousemove", 0, 0)
    setup = start_setup()
    shot("01-main-not-installed", "Main window, nothing installed")
    setup.point_to(*INSTALL)
    shot("02-main-install-lit", "Install under the pointer")
    return setup


def install(setup):
    setup.click(*INSTALL)
    wait_for_popup("Select")
    shot("03-install-directory", "Install-directory dialog")
    click_button(CAPTION, "Select", of_popup=True)
    wait_for_popup("Available space ")
    shot("04-directory-browser", "Directory browser")
    xdotool("key", "Escape")
    wait_for_popup("Select")
    xdotool("key", "Return")
    wait_for_popup("Copying files...")
    time.sleep(0.8)
    shot("05-copying", "Copying the game's files")
    wait_for_popup("Do you want to read readme.txt?", timeout=60)
    shot("06-readme-question", "The read-me question")
    xdotool("key", "n")
    if setup.exit_code(20) != 0:
        raise SystemExit("tour: the setup program did not hand over to Explorer")
    time.sleep(2.5)
    shot("07-program-group", "Explorer on the new program group")
    subprocess.run([WINE, str(PROBE_EXE), "close", "HexbreakerDemo"], capture_output=True)


def installed_and_directx():
    xdotool("mousemove", 0, 0)
    setup = start_setup()
    shot("08-main-installed", "Main window after the install")
    setup.point_to(*PLAY)
    shot("09-main-play-lit", "Play Game under the pointer")
    for _ in range(2):
        xdotool("key", "shift+Tab")  # back from Exit, the last label
    shot("10-main-uninstall-focused", "Uninstall reached with Shift+Tab")
    setup.click(*DIRECTX)
    wait_for_popup("Install DirectX 5.2")
    shot("11-directx", "DirectX dialog")
    directx = CD / "directx"
    hidden = CD / "directx.away"
    directx.rename(hidden)  # the CD is not in the drive
    try:
        click_button(CAPTION, "Install DirectX 5.2", of_popup=True)
        wait_for_popup("Please insert HexbreakerDemo CD into your CD drive.")
        shot("12-cd-prompt", "The CD prompt")
        xdotool("key", "Escape")
        setup.exit_code(15)
    finally:
        hidden.rename(directx)


def removal():
    """setup.exe's removal question, answered Cancel; then the uninstaller, started from the program group
    in Explorer with the CD out, removes the game."""
    xdotool("mousemove", 0, 0)
    setup = start_setup()
    setup.click(*UNINSTALL)
    wait_for_popup("Are you sure to uninstall HexbreakerDemo?")
    shot("13-removal-question", "The removal question")
    xdotool("key", "Escape")
    time.sleep(0.5)
    setup.click(*EXIT)
    setup.exit_code(15)
    out = CD.with_name(CD.name + ".out")
    CD.rename(out)  # the CD is taken out of the drive
    CD.mkdir()
    explorer = subprocess.Popen([WINE, "explorer", group()], env=ENV, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        if not wait_until(lambda: main_windows("HexbreakerDemo"), 15):
            raise SystemExit("tour: no Explorer window on the program group")
        time.sleep(1.5)
        # Into the list of shortcuts, below them; typing the name selects the uninstaller's, Enter starts it.
        left, _, right, bottom = next(rect for kind, rect, visible, _ in children("HexbreakerDemo")
                                      if kind == "SysListView32" and visible)
        click_at((left, bottom - 20, right, bottom - 10))
        xdotool("type", "Uninstall")
        xdotool("key", "Return")
        if not showing("Are you sure to uninstall HexbreakerDemo?", 20):
            raise SystemExit("tour: the uninstaller did not ask")
        shot("14-uninstaller-question", "The uninstaller from the program group, CD out")
        xdotool("key", "Return")
        if not showing("Uninstall completed.", 20):
            raise SystemExit("tour: the uninstaller did not complete")
        shot("15-uninstaller-done", "The uninstaller: removal completed")
        xdotool("key", "Return")
    finally:
        subprocess.run([WINE, str(PROBE_EXE), "close", "HexbreakerDemo"], capture_output=True)
        explorer.wait(15)
        CD.rmdir()
        out.rename(CD)


def contact_sheet():
    arguments = []
    for path, caption in shots:
        arguments += ["-label", caption, str(path)]
    subprocess.run(["montage", *arguments, "-tile", "4x", "-geometry", "320x240+8+8", "-pointsize", "14",
                    str(SCREENS / "tour.png")], check=True)
    print(f"saved {SCREENS / 'tour.png'}")


def tour():
    SCREENS.mkdir(parents=True, exist_ok=True)
    pack_with_filler()
    install(main_window())
    installed_and_directx()
    removal()
    contact_sheet()


if __name__ == "__main__":
    tour()
