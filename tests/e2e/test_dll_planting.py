"""DLLs planted beside setup.exe under the names of system DLLs that are not KnownDLLs, Wine told to prefer the
program's folder for them ("name=n,b") as Windows does (README, "Security")."""

import os
import re
import shutil
import subprocess
import unittest
from pathlib import Path

from harness import (APP_NAME, BROWSER, CAPTION, CD, DRIVE_C, ENV, ProgramRun, SetupCase, SetupRun, children,
                     click_button, showing, wait_until, window_found, xdotool)

PLANTED = ["winmm", "comctl32", "version", "uxtheme", "dwmapi", "propsys", "cryptbase", "linkinfo", "ntshrui",
           "cscapi", "profapi", "userenv"]
# Wine's own user32.dll imports version.dll (Windows' does not): under "version=n,b" Wine would load a planted
# one into every program before its first line runs. It is planted, but Wine takes its own;
# test_why_version_is_not_preferred fails once that reason no longer holds.
NOT_PREFERRED = {"version"}
MARKERS = DRIVE_C / "hx-planted"  # where a loaded planted DLL leaves its marker
PLANTED_ENV = {"HX_PLANTED_MARKERS": r"C:\hx-planted", "WINEDLLOVERRIDES": ENV["WINEDLLOVERRIDES"] + "".join(
    f";{name}=n,b" for name in PLANTED if name not in NOT_PREFERRED)}
TESTS_BIN = Path(ENV["HX_WIN_TREE"]) / "tests" / "e2e"
PLANTED_DLL = Path(os.environ.get("HX_PLANTED_DLL", TESTS_BIN / "planted.dll"))
IMPORTS_WINMM = Path(os.environ.get("HX_IMPORTS_WINMM_EXE", TESTS_BIN / "imports_winmm.exe"))
CONTROLS_MISSING = ("The common controls library comctl32.dll could not be loaded from the Windows system folder, "
                    "so dialogs that use its controls cannot be opened.")


def markers():
    """Each planted DLL that was loaded: its name, and the path it was loaded from (lower case)."""
    return {path.name[:-len(".loaded")].lower(): path.read_text().lower() for path in MARKERS.glob("*.loaded")}


class DllPlanting(SetupCase):
    def setUp(self):
        super().setUp()
        shutil.rmtree(MARKERS, ignore_errors=True)
        MARKERS.mkdir()
        self.addCleanup(shutil.rmtree, MARKERS, True)  # cleanups run after tearDown has ended the program
        for name in PLANTED:
            shutil.copy(PLANTED_DLL, CD / f"{name}.dll")
            self.addCleanup((CD / f"{name}.dll").unlink)

    def test_a_program_importing_winmm_by_name_loads_the_planted_one(self):
        shutil.copy(IMPORTS_WINMM, CD)
        self.addCleanup((CD / IMPORTS_WINMM.name).unlink)
        self.setup = ProgramRun(IMPORTS_WINMM.name, CD, PLANTED_ENV)
        self.assertEqual((self.setup.exit_code(60), markers()), (0, {"winmm.dll": r"d:\winmm.dll"}))

    def test_install_and_removal_load_none(self):
        try:
            self.click_install(extra_env=PLANTED_ENV)
            # The directory browser: the tree view and its image list come from the common controls.
            click_button(CAPTION, "Select", of_popup=True)
            self.assertTrue(wait_until(lambda: any(row[0] == "SysTreeView32" for row in children(BROWSER))), "no tree")
            xdotool("key", "Return")  # C:\, where it opens
            self.assertTrue(wait_until(lambda: not window_found(BROWSER)), "the browser stayed")
            click_button(CAPTION, "Install", of_popup=True)
            self.answer_readme("y")
            self.assert_explorer_on_the_group()
            self.assert_records()
            self.remove_in_a_new_run(extra_env=PLANTED_ENV)
        finally:  # also when the program failed on a planted DLL
            self.assertEqual(markers(), {}, "planted DLLs were loaded")

    def test_why_version_is_not_preferred(self):
        user32 = Path(ENV["HX_SYSTEM_DIR"]) / "user32.dll"
        dump = subprocess.run([f"{ENV['HX_WINE_ARCH']}-w64-mingw32-objdump", "-p", user32], capture_output=True,
                              text=True, check=True).stdout
        self.assertIn("version.dll", {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)})

    def test_without_the_systems_common_controls_and_wave_player(self):
        # A box says the controls are missing; the install then ends when its copy dialog cannot open.
        self.setup = SetupRun({"WINEDLLOVERRIDES": ENV["WINEDLLOVERRIDES"] + ";comctl32=d;winmm=d"})
        self.answer(APP_NAME, CONTROLS_MISSING, "OK", timeout=15)
        self.assertTrue(wait_until(lambda: window_found(CAPTION), 15), "no main window")
        self.click_label("install")  # its first cue has no player
        self.assertIsNotNone(showing("Select"), "no install-directory dialog")
        click_button(CAPTION, "Install", of_popup=True)
        self.assert_exit(18)
        self.assert_removed(install_dir=False)


if __name__ == "__main__":
    unittest.main()
