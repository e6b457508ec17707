#!/usr/bin/env python3
"""The layer check (scripts/check-layers) over the tree of tests/fixtures/layers: it fails on
each include there that breaks a rule, and on nothing else."""
import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parent.parent
CHECK = ROOT / "scripts" / "check-layers"
FIXTURE = ROOT / "tests" / "fixtures" / "layers"

# Each fault of the fixture tree: its place, and what the check must say of it.
FAULTS = {
    "app/main/window.rc:4": 'includes "tests/support/test_support.h", which is in no layer',
    "app/style/styles.cpp:4": 'app/style/ (layer 5) includes "../../listview/frame.h" from listview/ (layer 6), '
                              "a layer above its own",
    "catalogue/list.cpp:3": "catalogue/ includes no window code, but includes <CommCtrl.h>",
    "common/text.h:4": 'common/ (layer 1) includes "ui/control.h" from ui/ (layer 4), a layer above its own, '
                       "and window code",
    "listview/frame.cpp:4": 'listview/ (layer 6) includes "app/main/window.h" from app/main/ (layer 7)',
    "tools/helper.cpp:1": "a source file in no layer of the program",
    "ui/component.cpp:4": 'ui/ (layer 4) includes "app/translation/translatable.h" from app/translation/ (layer 5)',
}


def check(*arguments):
    return subprocess.run([sys.executable, str(CHECK), *map(str, arguments)], capture_output=True, text=True)


def faults(result):
    """The check's faults by place (FILE:LINE)."""
    return {line.split(": ", 1)[0]: line.split(": ", 1)[1] for line in result.stderr.splitlines()}


class CheckLayersTest(unittest.TestCase):
    def test_fails_on_each_broken_rule_and_on_nothing_else(self):
        result = check(FIXTURE)
        self.assertEqual(result.returncode, 1, result.stdout + result.stderr)
        found = faults(result)
        self.assertEqual(sorted(found), sorted(FAULTS), result.stderr)
        for place, said in FAULTS.items():
            self.assertIn(said, found[place], place)
        # The tests' own folder includes anything; it is not read.
        self.assertIn("28 includes in 9 files, 7 faults", result.stdout)

    def test_lists_every_include_it_reads_but_not_a_commented_one(self):
        listed = [line for line in check("-v", FIXTURE).stdout.splitlines() if line.startswith("registry/")]
        self.assertEqual(listed, ['registry/reg.cpp:1: #include "registry/reg.h"',
                                  'registry/reg.cpp:3: #include "common/text.h"'])

    def test_passes_once_the_faults_are_mended(self):
        with tempfile.TemporaryDirectory() as folder:
            tree = pathlib.Path(folder) / "tree"
            shutil.copytree(FIXTURE, tree)
            shutil.rmtree(tree / "tools")
            for place in FAULTS:
                file, line = place.rsplit(":", 1)
                path = tree / file
                if not path.exists():
                    continue
                lines = path.read_text().splitlines()
                del lines[int(line) - 1]
                path.write_text("\n".join(lines) + "\n")
            result = check(tree)
            self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
            self.assertIn("22 includes in 8 files, 0 faults", result.stdout)

    def test_a_root_that_is_no_folder_is_an_error(self):
        self.assertEqual(check(ROOT / "no-such-folder").returncode, 2)


if __name__ == "__main__":
    unittest.main()
