"""check-imports on programs built here and now: a Vista-only import, none, an XP SP1 one and one that
Windows 98 exports as a stub, at the floors; a usage error and a file that is no program.

usage: test_check_imports.py C_COMPILER SCRATCH_DIR
"""

import subprocess
import sys
import unittest
from pathlib import Path

CHECK = Path(__file__).resolve().parent / "check-imports"
PROGRAM = """#include <windows.h>
int main(void) { return (int)(%s & 1); }
"""


class CheckImports(unittest.TestCase):
    compiler = None
    scratch = None

    def test_statuses_and_lines(self):
        calls = {"vista": "GetTickCount64()", "xp": "GetTickCount()", "xp_sp1": 'SetDllDirectoryA("")',
                 "stub": "(INT_PTR)GetModuleHandleW(NULL)"}
        for name, call in calls.items():
            (self.scratch / f"{name}.c").write_text(PROGRAM % call)
            subprocess.run([self.compiler, "-D_WIN32_WINNT=0x0600", "-o", self.scratch / f"{name}.exe",
                            self.scratch / f"{name}.c"], check=True)
        vista, xp, xp_sp1, stub = (self.scratch / f"{name}.exe" for name in calls)
        text = self.scratch / "notes.txt"
        text.write_text("not a program\n")
        # Below XP, a 64-bit program is held to 64-bit XP, the first Windows that runs one, with a note.
        wide = "x86_64" in Path(self.compiler).name
        note64 = "{0}: note: a 64-bit program: checked against 64-bit Windows XP, the first that runs it\n"
        below_xp = lambda status, output: (0, note64) if wide else (status, output)

        cases = [
            ([], [xp], 0, ""),
            ([], [vista], 1, "{0}: kernel32.dll!GetTickCount64\n"),
            ([], [xp, vista], 1, "{1}: kernel32.dll!GetTickCount64\n"),
            (["--floor", "xp"], [xp_sp1], 0, ""),
            (["--floor", "2000"], [xp_sp1], *below_xp(1, "{0}: kernel32.dll!SetDllDirectoryA\n")),
            (["--floor", "98"], [xp_sp1], *below_xp(1, "{0}: kernel32.dll!SetDllDirectoryA\n")),
            (["--floor", "98"], [xp], *below_xp(0, "")),
            (["--floor", "98"], [stub],
             *below_xp(0, "{0}: note: kernel32.dll!GetModuleHandleW is a stub on Windows 98 and ME\n")),
            (["--floor", "2000"], [stub], *below_xp(0, "")),
            (["--floor", "95"], [xp], 2, ""),
            ([], [text], 2, ""),
        ]
        for options, files, status, output in cases:
            with self.subTest(options=options, files=[f.name for f in files]):
                run = subprocess.run([CHECK, *options, *files], capture_output=True, text=True)
                self.assertEqual((run.returncode, run.stdout), (status, output.format(*files)), run.stderr)
                if status == 2:
                    self.assertIn("usage" if options else str(files[0]), run.stderr)


if __name__ == "__main__":
    CheckImports.compiler = sys.argv[1]
    CheckImports.scratch = Path(sys.argv[2])
    CheckImports.scratch.mkdir(parents=True, exist_ok=True)
    unittest.main(argv=sys.argv[:1], verbosity=2)
