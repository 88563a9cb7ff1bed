"""The main window by keyboard: the labels' buttons, the focus going round the live labels and lighting
them, keys running them, the pointer and the keyboard taking turns."""

import unittest

from harness import (ASK_UNINSTALL, CAPTION, LABELS, SetupCase, children, main_windows, remove_installation,
                     set_installed, showing, xdotool)

ORDER = ["play", "install", "directx", "uninstall", "exit"]  # screen order
# Each label's button text, its access key marked.
TEXTS = {"play": "&Play Game", "install": "&Install", "directx": "&DirectX", "uninstall": "&Uninstall",
         "exit": "E&xit"}
GREYED = ("play", "uninstall")


class Keyboard(SetupCase):
    def start_in(self, installed):
        if self.setup:
            self.setup.kill()
        set_installed() if installed else remove_installation()
        self.start()
        # The keyboard to the new window, as a window manager would give it (the test display has none).
        xdotool("windowfocus", "--sync", main_windows()[0])

    def assert_lit(self, installed, lit=None):
        """Only `lit` lit (none: no label), greyed labels grey, the others as in the picture."""
        self.assert_labels_look(**{name: "lit" if name == lit else "grey" if name in GREYED and not installed
                                   else "normal" for name in LABELS})

    def test_each_label_is_a_button_in_its_place_in_screen_order_and_tab_lights_the_first_live_one(self):
        for installed in (False, True):
            with self.subTest(installed=installed):
                self.start_in(installed)
                left, top = self.setup.origin()
                buttons = [(text, rect) for window_class, rect, visible, text in children(CAPTION)
                           if window_class == "Button" and visible]
                self.assertEqual(buttons, [(TEXTS[name], (left + x, top + y, left + x + width, top + y + height))
                                           for name in ORDER for x, y, width, height in [LABELS[name][0]]])
                xdotool("key", "Tab")
                self.assert_lit(installed, "play" if installed else "install")

    def test_tab_shift_tab_and_arrows_go_round_the_live_labels_in_screen_order(self):
        rounds = [(False, "Tab", ["install", "directx", "exit", "install"]),
                  (False, "Up", ["exit", "directx", "install", "exit"]),
                  (True, "Tab", ORDER + ["play"]),
                  (True, "shift+Tab", ORDER[::-1] + ["exit"]),
                  (True, "Right", ["play", "install"])]
        for installed, key, lit in rounds:
            with self.subTest(installed=installed, key=key):
                self.start_in(installed)
                self.assert_lit(installed)
                for name in lit:
                    xdotool("key", key)
                    self.assert_lit(installed, name)

    def test_enter_space_and_access_keys_run_live_labels_and_nothing_runs_a_greyed_one(self):
        runs = [(False, ["Tab", "Return"], "Select"),  # the install-directory dialog
                (False, ["d"], "DirectX Installation."),
                (True, ["alt+u"], ASK_UNINSTALL),
                (True, ["shift+Tab", "shift+Tab", "space"], ASK_UNINSTALL),
                (False, ["x"], 18),
                (False, ["p", "u", "alt+p", "alt+u"], None)]
        for installed, keys, outcome in runs:
            with self.subTest(installed=installed, keys=keys):
                self.start_in(installed)
                xdotool("key", *keys)
                if outcome is None:
                    # Tab lights the first live label only once the keys before it have been handled.
                    xdotool("key", "Tab")
                    self.assert_lit(installed, "install")
                    self.assert_still_running()
                elif isinstance(outcome, int):
                    self.assert_exit(outcome)
                else:
                    self.assertIsNotNone(showing(outcome), f"nothing shows {outcome!r}")

    def test_the_pointer_and_the_keys_light_one_label_the_last_moved_to(self):
        self.start_in(True)
        xdotool("key", "d")
        self.assertIsNotNone(showing("DirectX Installation."), "no DirectX dialog")
        xdotool("key", "Escape")  # its Cancel: back with the focus's label lit, the pointer out of the window
        self.assert_lit(True, "directx")
        xdotool("key", "Tab")
        self.assert_lit(True, "uninstall")
        self.setup.point_to(380, 230)  # over Exit
        self.assert_lit(True, "exit")
        xdotool("key", "shift+Tab")  # on from the label the pointer lit
        self.assert_lit(True, "uninstall")


if __name__ == "__main__":
    unittest.main()
