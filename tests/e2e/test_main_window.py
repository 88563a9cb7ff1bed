"""The main window: placement, the labels' looks, hovering, clicking, Exit and Escape, the one-copy rule."""

import unittest

from harness import (CAPTION, LABELS, NOWHERE, POINTS, SetupCase, SetupRun, as_rect, main_windows, probe, set_installed,
                     wait_until, xdotool)


class MainWindow(SetupCase):
    def test_not_installed_centred_play_and_uninstall_grey_exit_ends_with_18(self):
        self.start()
        width, height = map(int, xdotool("getdisplaygeometry").split())
        left, top, right, bottom = as_rect(probe("window", CAPTION)["rect"])
        self.assertEqual((left, top, right - left, bottom - top), ((width - 415) // 2, (height - 249) // 2, 415, 249))
        self.assert_labels_look(play="grey", uninstall="grey", install="normal", directx="normal", exit="normal")
        for name in ("play", "uninstall"):  # a click on them does nothing (main_window_tests)
            self.setup.point_to(*POINTS[name])
            self.assert_labels_look(**{name: "grey"})
        self.setup.point_to(*POINTS["install"])
        self.assert_labels_look(install="lit", play="grey")
        self.click_label("exit")
        self.assert_exit(18)

    def test_installed_each_label_lights_alone_stays_lit_left_through_it_escape_ends_with_0(self):
        set_installed()
        self.start()
        self.assert_labels_look(**dict.fromkeys(LABELS, "normal"))
        for name in LABELS:
            self.setup.point_to(*POINTS[name])
            self.assert_labels_look(**{other: "lit" if other == name else "normal" for other in LABELS})
        self.setup.point_to(*NOWHERE)
        self.assert_labels_look(**dict.fromkeys(LABELS, "normal"))
        self.setup.point_to(*POINTS["exit"])
        self.setup.point_to(480, 230)  # outside the window, to the right
        self.assert_labels_look(exit="lit")
        self.setup.click(*NOWHERE)
        xdotool("key", "Escape")
        self.assert_exit(0)

    def test_second_copy_brings_the_first_forward_restored(self):
        self.start()
        probe("minimize", CAPTION)
        self.assertEqual(probe("window", CAPTION)["iconic"], "1")
        self.assert_a_second_copy_raises(CAPTION, SetupRun)
        self.assertEqual(probe("window", CAPTION)["iconic"], "0", "the first copy is not restored")
        self.assertIsNone(self.setup.process.poll(), "the first copy ended")

    def test_ten_starts_give_one_main_window_and_nine_end_with_0(self):
        runs = [SetupRun() for _ in range(10)]
        for run in runs:
            self.addCleanup(run.kill)
        ended = wait_until(lambda: sum(run.process.poll() is not None for run in runs) >= 9, 120)
        self.assertTrue(ended, "fewer than nine copies ended")
        self.assertEqual(sorted((run.exit_code(1) for run in runs), key=str), [0] * 9 + [None])
        self.assertEqual(len(wait_until(main_windows, 15)), 1, "not exactly one main window")


if __name__ == "__main__":
    unittest.main()
