#!/usr/bin/env python3
"""The layout check (scripts/check-format): it passes a source laid out as .clang-format says
and fails, naming the file and line, on one that is not."""
import pathlib
import subprocess
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parent.parent
CHECK = ROOT / "scripts" / "check-format"
LAID_OUT = """namespace quorvane {

int Twice(int value) { return 2 * value; }

}  // namespace quorvane
"""


def check(path):
    return subprocess.run([str(CHECK), str(path)], capture_output=True, text=True)


class CheckFormatTest(unittest.TestCase):
    def test_passes_a_laid_out_source_and_fails_on_one_misplaced_line(self):
        with tempfile.TemporaryDirectory() as folder:
            source = pathlib.Path(folder) / "twice.cpp"
            source.write_text(LAID_OUT)
            result = check(source)
            self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

            source.write_text(LAID_OUT.replace("int Twice(int value)", "int   Twice( int value )"))
            result = check(source)
            self.assertNotEqual(result.returncode, 0, result.stdout + result.stderr)
            self.assertIn("twice.cpp:3:", result.stderr)


if __name__ == "__main__":
    unittest.main()
