#!/usr/bin/env python3
"""The callback check (scripts/check-callbacks) over the test cases of tests/fixtures/callbacks:
it finds every form of declaration there, and fails on the one callback that is not noexcept
and on nothing else."""
import pathlib
import subprocess
import sys
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parent.parent
CHECK = ROOT / "scripts" / "check-callbacks"
FIXTURE = ROOT / "tests" / "fixtures" / "callbacks" / "callbacks.cpp"
FORGOTTEN = "DWORD WINAPI ForgottenThread(void* parameter) {"


def check(*paths):
    return subprocess.run([sys.executable, str(CHECK), "-v", *map(str, paths)], capture_output=True, text=True)


class CheckCallbacksTest(unittest.TestCase):
    def test_fails_on_the_one_callback_that_is_not_noexcept(self):
        result = check(FIXTURE)
        self.assertEqual(result.returncode, 1, result.stdout + result.stderr)
        faults = result.stderr.splitlines()
        self.assertEqual(len(faults), 1, result.stderr)
        self.assertRegex(faults[0], r"callbacks\.cpp:35: ForgottenThread: .*not declared noexcept")
        listed = [line.split(": ", 1)[1] for line in result.stdout.splitlines() if ".cpp:" in line]
        self.assertEqual(listed, ["WindowProc", "Enumerate", "Proc", "QueryInterface", "AddRef", "Subclass::Proc",
                                  "ForgottenThread  (not noexcept)", "DllCanUnloadNow", "wWinMain"])

    def test_passes_once_that_callback_is_noexcept_and_fails_on_noexcept_false(self):
        source = FIXTURE.read_text()
        self.assertIn(FORGOTTEN, source)
        with tempfile.TemporaryDirectory() as folder:
            mended = pathlib.Path(folder) / "mended.cpp"
            mended.write_text(source.replace(FORGOTTEN, FORGOTTEN[:-2] + " noexcept {"))
            result = check(mended)
            self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
            self.assertIn("9 functions that Windows calls, 0 not noexcept", result.stdout)

            allowed = pathlib.Path(folder) / "allowed.cpp"
            allowed.write_text(source.replace(FORGOTTEN, FORGOTTEN[:-2] + " noexcept(false) {"))
            self.assertEqual(check(allowed).returncode, 1)

    def test_a_path_that_does_not_exist_is_an_error(self):
        self.assertEqual(check(ROOT / "no-such-folder").returncode, 2)


if __name__ == "__main__":
    unittest.main()
