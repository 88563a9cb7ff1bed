"""hxpack.exe under Wine and the native hxpack, given the same packs: the same packs made, the same
output (apart from CRLF line ends), the same exit codes and the same files extracted.
usage: hxpack_wine_test.py NATIVE_HXPACK (hxpack.exe is the one of the Windows tree the rig runs)"""

import filecmp
import importlib.util
import os
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
NATIVE = Path(sys.argv[1]).resolve()
# The rig picks the Windows tree this host runs (i686 or x86_64).
RIG_BIN_DIR = subprocess.run(["bash", "-c", f'. "{ROOT}/tests/rig/wine-env" >/dev/null; echo "$HX_WIN_BIN_DIR"'],
                             capture_output=True, text=True, check=True).stdout.strip()
WINDOWS = Path(RIG_BIN_DIR) / "hxpack.exe"

seeds_source = importlib.util.spec_from_file_location("seeds", ROOT / "tests" / "fuzz" / "make-seeds.py")
seeds = importlib.util.module_from_spec(seeds_source)
seeds_source.loader.exec_module(seeds)

INPUTS = {"readme.txt": b"Read me.\r\n", "canyon.mfd": b"", "hxsnd.dll": os.urandom(300000)}
PACKS = {
    "folders.pak": seeds.pack([(b"maps\\harbor.fld", bytes(range(40))), (b"hum6.bmp", b"BM" + bytes(20))]),
    "foreign.pak": seeds.pack([(b"a.txt", b"abc")], stamp=False),
    "parent.pak": seeds.pack([(b"..\\win.ini", b"x")]),
    "cut.pak": seeds.pack([(b"a.txt", b"abc")])[:30],
}
COMMANDS = [["create", "made.pak", *INPUTS], ["list", "made.pak"], ["verify", "made.pak"],
            ["extract", "made.pak", "out"], ["list", "folders.pak"], ["extract", "folders.pak", "out"],
            ["verify", "foreign.pak"], ["verify", "damaged.pak"], ["list", "parent.pak"],
            ["extract", "cut.pak", "cut"], ["verify"], ["--help"]]


def run(tool, folder, args):
    command = [ROOT / "tests" / "rig" / "wine-run", tool] if tool == WINDOWS else [tool]
    done = subprocess.run([*command, *args], cwd=folder, capture_output=True, timeout=120)
    return done.returncode, done.stdout.replace(b"\r\n", b"\n"), done.stderr.replace(b"\r\n", b"\n")


class SameUnderWine(unittest.TestCase):
    def test_every_command_gives_the_same_answer(self):
        with tempfile.TemporaryDirectory() as temp:
            folders = {tool: Path(temp) / name for tool, name in ((NATIVE, "native"), (WINDOWS, "wine"))}
            for folder in folders.values():
                folder.mkdir()
                for name, data in {**INPUTS, **PACKS}.items():
                    (folder / name).write_bytes(data)
            for args in COMMANDS:
                if args == ["verify", "damaged.pak"]:
                    for folder in folders.values():
                        damaged = bytearray((folder / "made.pak").read_bytes())
                        damaged[-5] ^= 0x20
                        (folder / "damaged.pak").write_bytes(damaged)
                with self.subTest(args=args):
                    self.assertEqual(run(WINDOWS, folders[WINDOWS], args), run(NATIVE, folders[NATIVE], args))
            native, wine = folders[NATIVE], folders[WINDOWS]
            self.assertEqual((wine / "made.pak").read_bytes(), (native / "made.pak").read_bytes())
            comparison = filecmp.dircmp(native / "out", wine / "out")
            self.assertEqual(sorted(comparison.common), ["canyon.mfd", "hum6.bmp", "hxsnd.dll", "maps", "readme.txt"])
            self.assertEqual((comparison.left_only, comparison.right_only), ([], []))
            self.assertEqual(filecmp.cmpfiles(native / "out", wine / "out", INPUTS, shallow=False)[0], list(INPUTS))
            self.assertTrue(filecmp.cmp(native / "out/maps/harbor.fld", wine / "out/maps/harbor.fld", shallow=False))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
