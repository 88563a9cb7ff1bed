"""Play Game and the DirectX dialog, clicked and answered with the real pointer (the installed state made directly)."""

import shutil
import unittest

from harness import (CAPTION, CD, INSTALL_DIR, SetupCase, children, click_button, kill_processes,
                     main_windows, make_installed, probe, processes, showing, snapshot, unix_path, wait_until,
                     window_found)

INSERT_CD = "Please insert HexbreakerDemo CD into your CD drive."
REINSTALL = "There was something wrong in installation. Please reinstall and try again."
# The programs handed over to (stand-ins that show what they were started as), by their captions.
STAND_INS = {"hxdemo.exe": "HexbreakerDemo (stand-in)", "dx5eng.exe": "DirectX 5.2 setup (stand-in)",
             "dxmweb.exe": "DirectShow setup (stand-in)"}


class HandOvers(SetupCase):
    def close_programs(self):  # and the stand-ins handed over to
        super().close_programs()
        for command, caption in STAND_INS.items():
            kill_processes(command)
            wait_until(lambda: not window_found(caption))

    def assert_handed_over(self, command, folder, program_file):
        """setup.exe ended with 0 and `command` runs in its place, started in `folder`."""
        self.assert_exit(0)
        expected = {f"Started in: {folder}", f"Command line: {command}", f"Program file: {program_file}"}
        shown = lambda: {text for window_class, _, _, text in children(STAND_INS[command]) if window_class == "Static"}
        self.assertTrue(wait_until(lambda: expected <= shown(), 15), f"expected {expected}, shown {shown()}")
        self.assertTrue(processes(command), "the process shows its command line")

    def test_play_the_installed_game_else_an_error_each_click(self):
        # The look-up along PATH when the folder lacks the game: install_records_tests (ProgramLookup).
        make_installed()
        self.start()
        self.click_label("play")
        self.assert_handed_over("hxdemo.exe", r"C:\HexbreakerDemo", r"C:\HexbreakerDemo\hxdemo.exe")
        self.close_programs()
        (unix_path(INSTALL_DIR) / "hxdemo.exe").unlink()
        before = snapshot()
        self.start()
        for _ in range(2):
            self.click_label("play")
            self.answer("Error", REINSTALL, "OK", closes=True)
            self.assert_still_running()
        self.assertEqual(snapshot(), before)
        self.assertFalse(processes("hxdemo.exe"))

    def open_dialog(self, start=True):
        if start:
            self.start()
        self.click_label("directx")
        self.assertIsNotNone(showing("DirectX Installation."), "the DirectX dialog did not open")
        self.assertEqual(probe("window", CAPTION)["enabled"], "0", "the dialog is modal")

    def test_directx_cancel_starts_nothing_nor_does_cancel_in_the_cd_prompt(self):
        self.open_dialog()
        click_button(CAPTION, "Cancel", of_popup=True)
        self.assert_still_running()
        self.open_dialog(start=False)
        shutil.rmtree(CD / "directx")
        click_button(CAPTION, "Install Direct Show", of_popup=True)
        self.answer("Error", INSERT_CD, "Cancel")
        self.assert_exit(0)
        self.assertFalse(processes("dx5eng.exe") + processes("dxmweb.exe"))

    def test_directx_each_button_hands_over_the_cd_asked_for_until_it_is_back(self):
        self.open_dialog()
        click_button(CAPTION, "Install Direct Show", of_popup=True)
        self.assert_handed_over("dxmweb.exe", r"D:\directx", r"D:\directx\dxmweb.exe")
        self.open_dialog()
        (CD / "directx").rename(CD / "directx.out")
        self.addCleanup(shutil.rmtree, CD / "directx.out", True)
        click_button(CAPTION, "Install DirectX 5.2", of_popup=True)
        self.assertEqual(showing(INSERT_CD), "Error", "no CD prompt")
        box = main_windows("Error")
        click_button("Error", "Retry")
        # Retry closes the box; with the CD still out a new one asks again.
        self.assertTrue(wait_until(lambda: main_windows("Error") not in ([], box)), "not asked again")
        self.assertEqual(showing(INSERT_CD), "Error", "asked again while the CD is still out")
        self.assertIsNone(self.setup.process.poll())
        (CD / "directx.out").rename(CD / "directx")
        click_button("Error", "Retry")
        self.assert_handed_over("dx5eng.exe", r"D:\directx", r"D:\directx\dx5eng.exe")


if __name__ == "__main__":
    unittest.main()
