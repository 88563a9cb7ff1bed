"""A whole install and removal with the prefix reporting an older Windows (Wine's "Version" value): XP,
2000 and 98, so that a path of the program, or of Wine's shell-link, registry and common-controls code,
that depends on the version shows up. Wine implements every function whatever version it reports: what
98 and 2000 lack is checked on the import tables (tests/pe/check-imports --floor)."""

import unittest

from harness import CD_IMAGE, ENV, SetupCase, reg, wine

WINE_KEY = r"HKCU\Software\Wine"


@unittest.skipUnless(ENV["HX_WINE_ARCH"] == "i686", "these Windows are 32-bit systems")
class OldWindows(SetupCase):
    version = None  # Wine's name of the version, and the start of what `ver` reports under it
    reports = None

    @classmethod
    def setUpClass(cls):
        if cls.version is None:
            raise unittest.SkipTest("the versions are the subclasses")

    def setUp(self):
        reg("add", WINE_KEY, "/v", "Version", "/d", self.version, "/f")
        self.addCleanup(reg, "delete", WINE_KEY, "/v", "Version", "/f")
        super().setUp()

    def test_install_and_remove(self):
        version = wine("cmd", "/c", "ver").stdout
        self.assertIn(self.reports, version, f"the prefix does not report {self.version}")
        self.install_with_defaults("n")
        self.assert_files_installed(CD_IMAGE / "hxdemo.pak")
        self.assert_records()
        self.assert_shortcuts()
        self.close_programs()
        self.start()
        self.uninstall("Uninstall completed.")
        self.assert_exit(18)
        self.assert_removed()


class WindowsXp(OldWindows):
    version, reports = "winxp", "Windows 5.1."


class Windows2000(OldWindows):
    version, reports = "win2k", "Windows 5.0."


class Windows98(OldWindows):
    version, reports = "win98", "Windows 4.10."


if __name__ == "__main__":
    unittest.main()
