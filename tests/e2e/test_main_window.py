"""The main window as a user meets it: placement, the labels' looks, hovering, clicking,
Exit and Escape, and the one-copy rule."""

import subprocess
import time
import unittest

from harness import (CAPTION, ENV, PROBE_EXE, WINE, SetupRun, art, probe, region, same_pixels, screenshot,
                     set_installed, set_not_installed, start_setup, wait_until, wine, xdotool)

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


def shows_label(setup, name, look):
    """Whether the main window of `setup` shows a label `look`: 'lit', 'grey' or 'normal' (as in the
    background picture), within a few seconds."""
    (x, y, width, height), lit, grey = LABELS[name]
    expected = {"lit": lambda: art(lit), "grey": lambda: art(grey),
                "normal": lambda: region(art("background.bmp"), x, y, width, height)}[look]()
    left, top = setup.origin()
    return wait_until(lambda: same_pixels(region(screenshot(), left + x, top + y, width, height), expected), 3)


class MainWindowCase(unittest.TestCase):
    setup = None

    def tearDown(self):
        if self.setup:
            self.setup.kill()

    def start(self, installed):
        if installed:
            set_installed()
        else:
            set_not_installed()
        xdotool("mousemove", 0, 0)  # a window that opens under the pointer lights that label
        self.setup = start_setup()
        return self.setup

    def assert_label_looks(self, name, look):
        self.assertTrue(shows_label(self.setup, name, look), f"{name} is not drawn {look}")


class NotInstalled(MainWindowCase):
    def test_centred_with_play_and_uninstall_grey_and_dead(self):
        self.start(installed=False)
        width, height = map(int, xdotool("getdisplaygeometry").split())
        left, top, right, bottom = map(int, probe("window", CAPTION)["rect"].split(","))
        self.assertEqual((left, top), ((width - 415) // 2, (height - 249) // 2))
        self.assertEqual((right - left, bottom - top), (415, 249))
        self.assert_label_looks("play", "grey")
        self.assert_label_looks("uninstall", "grey")
        for name in ("install", "directx", "exit"):
            self.assert_label_looks(name, "normal")

        for name in ("play", "uninstall"):
            self.setup.point_to(*POINTS[name])
            self.assert_label_looks(name, "grey")
            self.setup.click(*POINTS[name])
            time.sleep(0.5)
            self.assertIsNone(self.setup.process.poll(), f"a click on {name} ended the program")
            self.assertEqual(probe("window", CAPTION)["enabled"], "1", f"a click on {name} opened something")

        self.setup.point_to(*POINTS["install"])
        self.assert_label_looks("install", "lit")
        self.assert_label_looks("play", "grey")


class Installed(MainWindowCase):
    def test_every_label_lights_under_the_pointer(self):
        self.start(installed=True)
        for name in LABELS:
            self.assert_label_looks(name, "normal")
        for name in LABELS:
            self.setup.point_to(*POINTS[name])
            self.assert_label_looks(name, "lit")
            for other in LABELS:
                if other != name:
                    self.assert_label_looks(other, "normal")
        self.setup.point_to(*NOWHERE)
        for name in LABELS:
            self.assert_label_looks(name, "normal")

    def test_highlight_stays_when_the_pointer_leaves_through_the_label(self):
        self.start(installed=True)
        self.setup.point_to(*POINTS["exit"])
        self.setup.point_to(480, 230)  # outside the window, to the right
        self.assert_label_looks("exit", "lit")


class Ending(MainWindowCase):
    def test_exit_ends_with_status_18(self):
        self.start(installed=False)
        self.setup.click(*POINTS["exit"])
        self.assertEqual(self.setup.exit_code(), 18)

    def test_escape_ends_the_program(self):
        self.start(installed=True)
        self.setup.click(*NOWHERE)
        xdotool("key", "Escape")
        self.assertEqual(self.setup.exit_code(), 0)


class SingleCopy(MainWindowCase):
    def test_second_copy_brings_the_first_forward_restored(self):
        self.start(installed=False)
        notepad = subprocess.Popen([WINE, "notepad"], env=ENV)
        try:
            self.assertTrue(wait_until(lambda: probe("window", "Untitled - Notepad").get("found") == "1"))
            self.assertTrue(wait_until(lambda: probe("above", "Untitled - Notepad", CAPTION).get("above") == "1"))
            self.assertEqual(wine(PROBE_EXE, "minimize", CAPTION, check=False).returncode, 0)
            self.assertEqual(probe("window", CAPTION)["iconic"], "1")

            second = SetupRun()
            self.assertEqual(second.exit_code(), 0)
            info = probe("window", CAPTION)
            self.assertEqual(info["iconic"], "0", "the first copy is restored")
            self.assertEqual(probe("above", CAPTION, "Untitled - Notepad")["above"], "1",
                             "the first copy is brought to the top")
            self.assertIsNone(self.setup.process.poll(), "the first copy goes on")
        finally:
            notepad.kill()
            notepad.wait()

    def test_after_the_first_copy_is_killed_a_new_start_is_a_first_copy(self):
        self.start(installed=False)
        self.setup.kill()
        self.setup = start_setup()
        self.assertIsNone(self.setup.process.poll())


if __name__ == "__main__":
    unittest.main()
