"""A whole install and removal with the prefix reporting an older Windows (Wine's "Version" value), so that a
path of the program or of Wine that depends on the version shows up. What 98 and 2000 lack is checked on the
import tables (tests/pe/check-imports --floor): Wine implements every function whatever version it reports."""

import unittest

from harness import CD_IMAGE, ENV, SetupCase, reg, wine

WINE_KEY = r"HKCU\Software\Wine"


@unittest.skipUnless(ENV["HX_WINE_ARCH"] == "i686", "these Windows are 32-bit systems")
class OldWindows(SetupCase):
    def test_install_and_remove_on_xp_2000_and_98(self):
        self.addCleanup(reg, "delete", WINE_KEY, "/v", "Version", "/f")
        for version, reports in (("winxp", "Windows 5.1."), ("win2k", "Windows 5.0."), ("win98", "Windows 4.10.")):
            with self.subTest(version):
                reg("add", WINE_KEY, "/v", "Version", "/d", version, "/f")
                self.assertIn(reports, wine("cmd", "/c", "ver").stdout, f"the prefix does not report {version}")
                self.install_with_defaults("n")
                self.assert_installed(CD_IMAGE / "hxdemo.pak")
                self.remove_in_a_new_run()
            self.reset()  # what a failed version left


if __name__ == "__main__":
    unittest.main()
