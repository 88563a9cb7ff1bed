"""hxpack's command line: one table of commands, each run by the native hxpack and by the Windows tree's
hxpack.exe under Wine in folders holding the same files; both must agree on output (apart from CRLF), exit
codes and the files they leave. usage: hxpack_cli_test.py NATIVE_HXPACK"""

import os
import runpy
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
NATIVE = Path(sys.argv[1]).resolve()
# The rig picks the Windows tree this host runs (i686 or x86_64).
WINDOWS = Path(subprocess.run(["bash", "-c", f'. "{ROOT}/tests/rig/wine-env" >/dev/null; echo "$HX_WIN_BIN_DIR"'],
                              capture_output=True, text=True, check=True).stdout.strip()) / "hxpack.exe"


pack = runpy.run_path(ROOT / "tests" / "fuzz" / "make-seeds.py")["pack"]  # packs laid out byte by byte


INPUTS = {"readme.txt": b"Hello.\r\n", "canyon.mfd": b"", "hxsnd.dll": os.urandom(300000)}
MADE = pack([(name.encode(), data) for name, data in INPUTS.items()])
DAMAGED = MADE[:-5] + bytes([MADE[-5] ^ 0x20]) + MADE[-4:]  # in hxsnd.dll's data
FILES = {**INPUTS, "made.pak": b"an old pack", "damaged.pak": DAMAGED,
         "folders.pak": pack([(b"maps\\harbor.fld", bytes(range(40))), (b"hum6.bmp", b"BM" + bytes(20))]),
         "foreign.pak": pack([(b"a.txt", b"abc")], stamp=False), "parent.pak": pack([(b"..\\win.ini", b"x")]),
         "clock$.txt": b"x", "x.pak": b"the old pack", "elsewhere.txt": b"keep me"}

# args, exit code, the text in stdout's and in stderr's first line ("": the stream stays empty; the usage
# text follows on stderr for exit code 2 only), where: "both" or "native" (Wine can't show it).
ROWS = [
    ("create made.pak readme.txt canyon.mfd hxsnd.dll", 0, "", "", "both"),
    ("list made.pak", 0, "0\treadme.txt\t89\t8\t<install>\\readme.txt", "", "both"),
    ("verify made.pak", 0, "made.pak: sound, 3 entries, 300008 bytes, CRC-32s match", "", "both"),
    ("extract made.pak out", 0, "", "", "both"),
    ("extract folders.pak out", 0, "", "", "both"),
    ("verify damaged.pak", 1, "", 'hxpack: damaged.pak: entry 2 "hxsnd.dll": data CRC-32 mismatch', "both"),
    ("verify foreign.pak", 0, "foreign.pak: sound, 1 entries, 3 bytes, no hxpack stamp", "", "both"),
    ("extract parent.pak bad", 1, "", 'hxpack: parent.pak: entry 0 "..\\win.ini": name has a ".." component', "both"),
    ("create x.pak readme.txt out/readme.txt", 1, "",
     'hxpack: out/readme.txt: duplicate entry name "readme.txt" (also from readme.txt)', "both"),
    ("create x.pak readme.txt missing.txt", 1, "", "hxpack: missing.txt: no such file", "both"),
    ("create x.pak readme.txt out", 1, "", "hxpack: out: not a regular file", "both"),
    # CLOCK$ is a device name only to the pack's rules (under Wine nul.txt is the NUL device itself).
    ("create x.pak readme.txt clock$.txt", 1, "", "hxpack: clock$.txt: cannot be an entry", "both"),
    # /proc claims 0 bytes but yields more: the fault comes after the table has been written.
    ("create x.pak readme.txt /proc/self/status", 1, "", "status: the file changed size", "both"),
    # Wine shows a link to a file as the file itself, and renames over it.
    ("create link.pak readme.txt", 1, "", "hxpack: link.pak: exists and is not a regular file", "native"),
    ("", 2, "", "hxpack: no command given", "both"),
    ("list a.pak b.pak", 2, "", "hxpack: list: wrong number of arguments", "both"),
    ("verify --quick a.pak", 2, "", "hxpack: unknown option --quick", "both"),
    ("--help", 0, "usage: hxpack create [--progress] OUT.pak FILE...", "", "both"),
    ("create --progress p.pak canyon.mfd", 0, "", "\rhxpack: creating p.pak: 100% (0.0 of 0.0 MB)", "both"),
]


def run(tool, folder, args):
    """Exit code, stdout and stderr (CRLF made LF) of one command run in `folder`. Files take the output, not
    pipes: the wineserver that a Wine process starts keeps them open for seconds after it ends."""
    command = [ROOT / "tests" / "rig" / "wine-run", tool] if tool == WINDOWS else [tool]
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        code = subprocess.run([*command, *args], cwd=folder, stdout=out, stderr=err, timeout=120).returncode
        return code, *(os.pread(f.fileno(), 1 << 20, 0).replace(b"\r\n", b"\n").decode() for f in (out, err))


def snapshot(folder):  # every file, folder and link: its bytes, "folder" or its target
    return {p.relative_to(folder).as_posix(): ("link to", os.readlink(p)) if p.is_symlink()
            else p.read_bytes() if p.is_file() else "folder" for p in folder.rglob("*")}


class HxpackCommandLine(unittest.TestCase):
    def test_each_command_on_both_tools(self):
        temp = Path(self.enterContext(tempfile.TemporaryDirectory()))
        folders = {NATIVE: temp / "native", WINDOWS: temp / "wine"}
        for tool, folder in folders.items():
            (folder / "out").mkdir(parents=True)
            for name, data in FILES.items():
                (folder / name).write_bytes(data)
            os.symlink("x.pak", folder / "link.pak")
            if tool == NATIVE:  # extract replaces it; hxpack.exe under Wine writes through it
                os.symlink("../elsewhere.txt", folder / "out" / "readme.txt")
        for args, code, out_text, err_text, where in ROWS:
            tools = folders if where == "both" else [NATIVE]
            results = {tool: run(tool, folders[tool], args.split()) for tool in tools}
            for tool, (exit_code, out, err) in results.items():
                with self.subTest(args=args, tool=tool.name):
                    self.assertEqual(exit_code, code, err)
                    for text, stream in ((out_text, out), (err_text, err)):
                        self.assertTrue(text in stream.split("\n")[0] if text else stream == "", (text, stream))
                    self.assertEqual("\nusage: hxpack create" in err, code == 2)
            if where == "both":
                self.assertEqual(results[WINDOWS], results[NATIVE], args)
        files, wine_files = snapshot(folders[NATIVE]), snapshot(folders[WINDOWS])
        self.assertEqual(sorted(n for n in files.keys() | wine_files.keys() if files.get(n) != wine_files.get(n)), [])
        extracted = {**INPUTS, "maps/harbor.fld": bytes(range(40)), "hum6.bmp": b"BM" + bytes(20)}
        self.assertEqual({name: files.get("out/" + name) for name in extracted}, extracted)
        # made.pak replaced; refused work left the old x.pak, the link and no part-written pack or folder.
        self.assertEqual([files[n] for n in ("made.pak", "elsewhere.txt", "x.pak", "link.pak")],
                         [MADE, b"keep me", b"the old pack", ("link to", "x.pak")])
        self.assertEqual([n for n in files if n.endswith(".part") or n.split("/")[0] == "bad"], [])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
