#!/usr/bin/python3
"""The handheld's zip as a user gets it: unpacked with unzip into a throw-away card, its launcher
run from the unpacked folder under the emulator on test_handheld's stand-in devices, each frame held
against trevandel-shot's picture of the same folder; and its start script."""

import argparse
import os
import struct
import subprocess
import sys

import harness
import test_handheld
from test_handheld import BTN_EAST, RGB565, Device, expected_frame

FOLDER_FILES = ["ARIALN.TTF_0_12_255_255_255.png", "README.txt", "Trevandel.cfg", "demo",
                "fonts-LICENSE.txt", "skins", "trevandel-handheld"]


class Card:
    zip = None
    version = None


class Unpacked:
    """The card's application folder, as harness.Launcher and the shots take it."""

    def __init__(self, path):
        self.path = path
        self.launcher = os.path.join(path, "trevandel-handheld")


def elf_facts(path):
    """(section names, whether a program interpreter is named) of a 32-bit little-endian ELF file."""
    with open(path, "rb") as f:
        data = f.read()
    phoff, shoff = struct.unpack_from("<II", data, 28)
    phentsize, phnum, shentsize, shnum, shstrndx = struct.unpack_from("<HHHHH", data, 42)
    interpreter = any(struct.unpack_from("<I", data, phoff + i * phentsize)[0] == 3 for i in range(phnum))
    names_at = struct.unpack_from("<I", data, shoff + shstrndx * shentsize + 16)[0]
    names = set()
    for i in range(shnum):
        name = struct.unpack_from("<I", data, shoff + i * shentsize)[0]
        names.add(data[names_at + name:data.index(b"\0", names_at + name)].decode())
    return names, interpreter


class HandheldCard(test_handheld.HandheldRig):

    def unpack(self):
        card = os.path.join(self.work, "card")
        subprocess.run(["unzip", "-q", Card.zip, "-d", card], check=True)
        return card, Unpacked(os.path.join(card, "trevandel"))

    def test_the_unpacked_folder_runs_on_the_device(self):
        card, app = self.unpack()
        self.assertEqual(sorted(os.listdir(card)), ["trevandel", "trevandel.sh"])
        self.assertEqual(sorted(os.listdir(app.path)), FOLDER_FILES)
        self.assertEqual(sorted(os.listdir(os.path.join(app.path, "skins"))), sorted(harness.shipped_skins()))
        for program in (app.launcher, os.path.join(card, "trevandel.sh")):
            self.assertTrue(os.access(program, os.X_OK), program + " is not executable")
        sections, interpreter = elf_facts(app.launcher)
        self.assertFalse(interpreter, "the launcher needs a dynamic loader")
        self.assertFalse(sections & {".symtab", ".debug_info"}, "the launcher is not stripped")
        with open(os.path.join(app.path, "README.txt")) as f:
            self.assertIn("Version %s." % Card.version, f.read())

        # As the start script runs it: from inside the folder, by a relative path.
        fmt = {"size": (320, 240, 16), "line": 640, "fields": RGB565}
        fb, text = self.framebuffer(fmt)
        keys = Device(os.path.join(self.work, "keys"))
        launcher = self.start(app, fb, text, inputs=[keys.path], argv=["./trevandel-handheld"])
        self.assertEqual(launcher.lines()[0], "Basedir is %s/" % app.path)
        self.wait_for_frame(fb, expected_frame(self.shot(app, [], "main"), fmt), what="main page")
        keys.tap(BTN_EAST)
        self.wait_for_frame(fb, expected_frame(self.shot(app, ["b"], "games"), fmt), what="games page")
        self.quit(launcher)

    def test_the_start_script_runs_the_launcher_inside_its_folder(self):
        card, app = self.unpack()
        # Without the emulator the ARM program cannot start here: a stand-in under its name
        # records how the script started it.
        record = os.path.join(self.work, "record")
        os.unlink(app.launcher)
        self.write(app.launcher, '#!/bin/sh\necho "$0 $(pwd)" > %s\nexit 7\n' % record, 0o755)
        result = subprocess.run(["sh", os.path.join(card, "trevandel.sh")], cwd="/", timeout=60)
        self.assertEqual(result.returncode, 7, "the script does not end with the launcher's status")
        with open(record) as f:
            self.assertEqual(f.read(), "./trevandel-handheld %s\n" % app.path)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zip", required=True, help="the zip make dist-handheld wrote")
    parser.add_argument("--release", required=True, help="the project's version")
    parser.add_argument("--shot", required=True, help="the host's trevandel-shot, for the reference frames")
    args, rest = parser.parse_known_args()
    if not os.path.isfile(args.zip):
        sys.stderr.write("no %s: make dist-handheld writes it\n" % args.zip)
        sys.exit(1)
    Card.zip, Card.version = os.path.abspath(args.zip), args.release
    test_handheld.Handheld.shot = os.path.abspath(args.shot)
    sys.argv = [sys.argv[0]] + rest
    test_handheld.Handheld.record = test_handheld.record_format(sys.argv[sys.argv.index("--launcher") + 1])
    harness.main()


if __name__ == "__main__":
    main()
