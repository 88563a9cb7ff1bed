"""check-imports against programs built here and now: one that calls a Vista-only function by import,
the same program without that call, and a file that is no program.

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

    def build(self, name, expression):
        source = self.scratch / f"{name}.c"
        source.write_text(PROGRAM % expression)
        program = self.scratch / f"{name}.exe"
        subprocess.run([self.compiler, "-D_WIN32_WINNT=0x0600", "-o", program, source], check=True)
        return program

    def test_statuses_and_lines(self):
        vista = self.build("vista", "GetTickCount64()")
        xp = self.build("xp", "GetTickCount()")
        text = self.scratch / "notes.txt"
        text.write_text("not a program\n")
        cases = [
            ([xp], 0, ""),
            ([vista], 1, f"{vista}: kernel32.dll!GetTickCount64\n"),
            ([xp, vista], 1, f"{vista}: kernel32.dll!GetTickCount64\n"),
            ([text], 2, ""),
            ([self.scratch / "missing.exe"], 2, ""),
        ]
        for files, status, output in cases:
            with self.subTest(files=[f.name for f in files]):
                run = subprocess.run([CHECK, *files], capture_output=True, text=True)
                self.assertEqual((run.returncode, run.stdout), (status, output), run.stderr)
                if status == 2:
                    self.assertIn(str(files[0]), run.stderr)


if __name__ == "__main__":
    CheckImports.compiler = sys.argv[1]
    CheckImports.scratch = Path(sys.argv[2])
    CheckImports.scratch.mkdir(parents=True, exist_ok=True)
    unittest.main(argv=sys.argv[:1], verbosity=2)
