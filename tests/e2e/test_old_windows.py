"""A whole install and removal with the prefix reporting Windows XP (Wine's "Version" value), so that a
path of the program, or of Wine's shell-link and registry code, that depends on the version shows up."""

import unittest

from harness import CD_IMAGE, ENV, SetupCase, reg, wine

WINE_KEY = r"HKCU\Software\Wine"


@unittest.skipUnless(ENV["HX_WINE_ARCH"] == "i686", "Windows XP is a 32-bit system")
class WindowsXp(SetupCase):
    def setUp(self):
        reg("add", WINE_KEY, "/v", "Version", "/d", "winxp", "/f")
        self.addCleanup(reg, "delete", WINE_KEY, "/v", "Version", "/f")
        super().setUp()

    def test_install_and_remove(self):
        version = wine("cmd", "/c", "ver").stdout
        self.assertIn("Windows 5.1.", version, "the prefix does not report Windows XP")
        self.install_with_defaults("n")
        self.assert_files_installed(CD_IMAGE / "hxdemo.pak")
        self.assert_records()
        self.assert_shortcuts()
        self.close_programs()
        self.start()
        self.uninstall("Uninstall completed.")
        self.assert_exit(18)
        self.assert_removed()


if __name__ == "__main__":
    unittest.main()
