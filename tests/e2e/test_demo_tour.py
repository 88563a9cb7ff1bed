"""The guided tour of `make demo` (demo/tour.py) drives the program with this harness: every name it
takes from here must still be here, or `make demo` stops at its first line."""

import ast
import unittest

import harness


class DemoTour(unittest.TestCase):
    def test_every_name_the_tour_imports_from_the_harness_exists(self):
        tour = ast.parse((harness.ROOT / "demo" / "tour.py").read_text())
        names = [alias.name for node in ast.walk(tour) if isinstance(node, ast.ImportFrom) and node.module == "harness"
                 for alias in node.names]
        self.assertTrue(names, "the tour takes nothing from the harness")
        self.assertEqual([name for name in names if not hasattr(harness, name)], [])


if __name__ == "__main__":
    unittest.main()
