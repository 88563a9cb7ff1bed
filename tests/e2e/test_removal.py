"""Play Game and the DirectX dialog as a user meets them, on the real setup.exe: an installed state
is made directly (files, program group, both records), then the labels are clicked and the boxes
answered with the real pointer. Removal itself runs at the end of the disc's whole install
(test_cd_image_install.py) and against faults (test_faults.py)."""

import shutil
import time
import unittest

from harness import (BIN_DIR, CAPTION, CD, CD_IMAGE, DRIVE_E, REINSTALL, SetupCase, box_text, children, click_button,
                     kill_processes, make_installed, probe, processes, snapshot, unix_path, wait_until,
                     window_found)

GAME_CAPTION = "HexbreakerDemo (stand-in)"
INSERT_CD = "Please insert HexbreakerDemo CD into your CD drive."
INSTALLERS = {"Install DirectX 5.2": ("dx5eng.exe", "DirectX 5.2 setup (stand-in)"),
              "Install Direct Show": ("dxmweb.exe", "DirectShow setup (stand-in)")}


def stand_in_texts(caption):
    """The labels of a stand-in program's window (what it was started as), once it shows."""
    def labels():
        found = [text for window_class, _, _, text in children(caption) if window_class == "Static"]
        return found if any(text.startswith("Program file:") for text in found) else None
    return wait_until(labels, timeout=15) or []


class HandOverCase(SetupCase):
    """Ends the programs the setup program handed over to."""
    stand_ins = {"hxdemo.exe": GAME_CAPTION, **dict(INSTALLERS.values())}

    def tearDown(self):
        self.end_stand_ins()
        super().tearDown()
        shutil.rmtree(DRIVE_E / "onpath", ignore_errors=True)

    def end_stand_ins(self):
        for command, caption in self.stand_ins.items():
            kill_processes(command)
            wait_until(lambda: not window_found(caption))

    def assert_handed_over(self, command, folder, program_file):
        """setup.exe ended with 0 and `command` runs in its place, started in `folder`."""
        self.assert_exit(0)
        texts = stand_in_texts(self.stand_ins[command])
        for text in (f"Started in: {folder}", f"Command line: {command}", f"Program file: {program_file}"):
            self.assertIn(text, texts)
        self.assertTrue(processes(command), "the process shows its command line")


class PlayGame(HandOverCase):
    def test_the_installed_game_else_the_one_on_path_else_an_error_each_click(self):
        make_installed()
        (DRIVE_E / "onpath").mkdir(exist_ok=True)
        shutil.copy(BIN_DIR / "hxdemo.exe", DRIVE_E / "onpath" / "hxdemo.exe")
        # Each program handed over to is deleted in turn: the installed game, then the one on PATH.
        for program_file in (r"C:\HexbreakerDemo\hxdemo.exe", r"E:\onpath\hxdemo.exe"):
            with self.subTest(program_file):
                self.start(extra_env={"WINEPATH": r"E:\onpath"})
                self.click_label("play")
                self.assert_handed_over("hxdemo.exe", r"C:\HexbreakerDemo", program_file)
                self.end_stand_ins()
                unix_path(program_file).unlink()
        before = snapshot()
        self.start(extra_env={"WINEPATH": r"E:\onpath"})
        for _ in range(2):
            self.click_label("play")
            self.answer("Error", REINSTALL, "OK")
            self.assertTrue(wait_until(lambda: not window_found("Error")))
            self.assert_still_running()
        self.assertEqual(snapshot(), before)
        self.assertFalse(processes("hxdemo.exe"))


class DirectX(HandOverCase):
    def setUp(self):
        super().setUp()
        shutil.rmtree(CD / "directx", ignore_errors=True)
        shutil.copytree(CD_IMAGE / "directx", CD / "directx")

    def tearDown(self):
        super().tearDown()
        shutil.rmtree(CD / "directx.out", ignore_errors=True)

    def open_dialog(self):
        self.click_label("directx")
        shown = wait_until(lambda: any(text == "Cancel" for _, _, _, text in children(CAPTION, of_popup=True)))
        self.assertTrue(shown, "the DirectX dialog did not open")

    def test_cancel_starts_nothing_nor_does_cancel_in_the_cd_prompt(self):
        self.start()
        self.open_dialog()
        self.assertEqual(probe("window", CAPTION)["enabled"], "0", "the dialog is modal")
        click_button(CAPTION, "Cancel", of_popup=True)
        self.assert_still_running()
        self.open_dialog()
        shutil.rmtree(CD / "directx")
        click_button(CAPTION, "Install Direct Show", of_popup=True)
        self.answer("Error", INSERT_CD, "Cancel")
        self.assert_exit(0)
        self.assertFalse(any(processes(program) for program, _ in INSTALLERS.values()))

    def test_each_button_hands_over_the_cd_asked_for_until_it_is_back(self):
        self.start()
        self.open_dialog()
        click_button(CAPTION, "Install Direct Show", of_popup=True)
        self.assert_handed_over("dxmweb.exe", r"D:\directx", r"D:\directx\dxmweb.exe")
        self.start()
        self.open_dialog()
        (CD / "directx").rename(CD / "directx.out")
        click_button(CAPTION, "Install DirectX 5.2", of_popup=True)
        self.answer("Error", INSERT_CD, "Retry")
        time.sleep(1)
        self.assertEqual(box_text("Error"), INSERT_CD, "asked again while the CD is still out")
        self.assertIsNone(self.setup.process.poll())
        (CD / "directx.out").rename(CD / "directx")
        click_button("Error", "Retry")
        self.assert_handed_over("dx5eng.exe", r"D:\directx", r"D:\directx\dx5eng.exe")


if __name__ == "__main__":
    unittest.main()
