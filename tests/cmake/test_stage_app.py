#!/usr/bin/python3
"""cmake/StageApp.cmake: the application folder's copy follows data/ and never loses a user's files."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

CMAKE = "cmake"
SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cmake", "StageApp.cmake")


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def read(path):
    with open(path) as f:
        return f.read()


class StageApp(unittest.TestCase):

    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="trevandel-stage-")
        self.addCleanup(shutil.rmtree, self.tmp, True)
        self.data = os.path.join(self.tmp, "data")
        self.app = os.path.join(self.tmp, "build", "app")
        write(os.path.join(self.data, "Trevandel.cfg"), "SKIN=kept\n")
        for skin in ("kept", "gone", "edited"):
            write(os.path.join(self.data, "skins", skin, "Trevandel.skin"), "PAGE=0\n")
            write(os.path.join(self.data, "skins", skin, "images", "a.png"), skin)
        self.stage()

    def stage(self):
        result = subprocess.run([CMAKE, "-DDATA_DIR=" + self.data, "-DAPP_DIR=" + self.app,
                                 "-DMANIFEST=" + os.path.join(self.tmp, "build", "staged-data.txt"),
                                 "-P", SCRIPT], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                universal_newlines=True, timeout=60)
        self.assertEqual(result.returncode, 0, result.stdout)
        return result.stdout

    def app_file(self, *parts):
        return os.path.join(self.app, *parts)

    def test_what_is_gone_from_data_goes_from_the_copy(self):
        shutil.rmtree(os.path.join(self.data, "skins", "gone"))
        os.remove(os.path.join(self.data, "skins", "kept", "images", "a.png"))
        self.stage()
        self.assertFalse(os.path.exists(self.app_file("skins", "gone")), "the removed skin's folder")
        self.assertFalse(os.path.exists(self.app_file("skins", "kept", "images")), "the emptied folder")
        self.assertTrue(os.path.exists(self.app_file("skins", "kept", "Trevandel.skin")))

    def test_a_users_files_in_the_copy_are_kept(self):
        # Settings and a skin of the user's own in the copy, and a changed copy of a data/ file.
        write(self.app_file("Trevandel.cfg"), "SKIN=mine\n")
        write(self.app_file("skins", "mine", "Trevandel.skin"), "PAGE=0\n")
        write(self.app_file("skins", "gone", "notes.txt"), "mine")
        write(self.app_file("skins", "edited", "images", "a.png"), "changed")
        write(os.path.join(self.data, "Trevandel.cfg"), "SKIN=other\n")
        for skin in ("gone", "edited"):
            shutil.rmtree(os.path.join(self.data, "skins", skin))
        output = self.stage()
        self.assertEqual(read(self.app_file("Trevandel.cfg")), "SKIN=mine\n")
        self.assertEqual(read(self.app_file("skins", "mine", "Trevandel.skin")), "PAGE=0\n")
        self.assertEqual(sorted(os.listdir(self.app_file("skins", "gone"))), ["notes.txt"])
        self.assertEqual(read(self.app_file("skins", "edited", "images", "a.png")), "changed")
        self.assertIn("Kept %s: it is gone from data/" % self.app_file("skins", "edited", "images", "a.png"),
                      output)
        self.assertFalse(os.path.exists(self.app_file("skins", "edited", "Trevandel.skin")))


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--cmake", default=CMAKE)
    args, rest = parser.parse_known_args()
    CMAKE = args.cmake
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
