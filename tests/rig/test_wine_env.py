"""The rig's choice of Windows tree and loader (wine-env) where the 32-bit Wine loader starts, where the
kernel refuses it ("Exec format error"), where it is missing, and with the HX_WINE_ARCH override."""

import os
import subprocess
import tempfile
import unittest
from pathlib import Path

RIG = Path(__file__).resolve().parent
ROOT = RIG.parents[1]
FIELDS = ["HX_WINE_ARCH", "HX_WINE", "HX_REG_VIEW", "HX_SYSTEM_DIR", "HX_WIN_BIN_DIR", "HX_WIN_PRESET",
          "WINEPREFIX", "WINELOADER"]


def wine_env(loader, arch=None):
    """wine-env's settings, and the line the entry points print, with LOADER as the 32-bit loader."""
    env = {k: v for k, v in os.environ.items() if not k.startswith(("HX_", "WINE"))}
    env["HX_WINE32_LOADER"] = str(loader)
    if arch is not None:
        env["HX_WINE_ARCH"] = arch
    script = f'. "{RIG / "wine-env"}" && hx_say_wine_arch && ' + " && ".join(
        f'echo "{name}=${{{name}:-}}"' for name in FIELDS)
    result = subprocess.run(["bash", "-c", script], env=env, capture_output=True, text=True)
    lines = result.stdout.splitlines()
    settings = dict(line.split("=", 1) for line in lines[1:])
    return result.returncode, (lines[0] if lines else ""), settings, result.stderr


class HostKinds(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.runs, self.refused, self.missing = (Path(folder.name) / name for name in ("runs", "refused", "missing"))
        self.runs.write_text("#!/bin/sh\necho wine-8.0\n")
        self.refused.write_bytes(b"\x7fELF\x01\x01\x01\0" + bytes(56))  # the kernel answers "Exec format error"
        for loader in (self.runs, self.refused):
            loader.chmod(0o755)

    def test_each_host_gets_its_tree_and_everything_that_goes_with_it(self):
        i686 = {"HX_WINE_ARCH": "i686", "HX_WINE": "wine", "HX_REG_VIEW": "/reg:32",
                "HX_SYSTEM_DIR": f"{ROOT}/build/wineprefix/drive_c/windows/syswow64",
                "HX_WIN_BIN_DIR": f"{ROOT}/build/bin", "HX_WIN_PRESET": "windows",
                "WINEPREFIX": f"{ROOT}/build/wineprefix", "WINELOADER": ""}
        x86_64 = {"HX_WINE_ARCH": "x86_64", "HX_WINE": "/usr/lib/wine/wine64", "HX_REG_VIEW": "/reg:64",
                  "HX_SYSTEM_DIR": f"{ROOT}/build/wineprefix64/drive_c/windows/system32",
                  "HX_WIN_BIN_DIR": f"{ROOT}/build/bin64", "HX_WIN_PRESET": "windows64",
                  "WINEPREFIX": f"{ROOT}/build/wineprefix64", "WINELOADER": "/usr/lib/wine/wine64"}
        cases = [
            (self.runs, None, i686, "because this host runs 32-bit code"),
            (self.refused, None, x86_64, "because this host runs no 32-bit code"),
            (self.missing, None, x86_64, "is not installed"),
            (self.runs, "x86_64", x86_64, "because HX_WINE_ARCH=x86_64 asks for it"),
            (self.refused, "i686", i686, "because HX_WINE_ARCH=i686 asks for it"),
        ]
        for loader, arch, expected, why in cases:
            with self.subTest(loader=loader.name, arch=arch):
                status, line, settings, _ = wine_env(loader, arch)
                self.assertEqual(status, 0)
                self.assertEqual(settings, expected)
                self.assertTrue(line.startswith(f"Windows programs: the {expected['HX_WINE_ARCH']} tree"), line)
                self.assertIn(why, line)


if __name__ == "__main__":
    unittest.main()
