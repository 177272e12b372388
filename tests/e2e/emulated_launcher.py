#!/usr/bin/python3
"""The launcher built for another processor, run under its emulator, against the host's own build.

Both run the default application from the same directory in turn: the same start-up lines, the
same first frame and the same page after one key, pixel for pixel, and Escape ends both with 0.
"""

import argparse
import os
import shutil
import sys
import tempfile
import time

import harness

# Opens the Games page from the main page's first tile.
GAMES_KEY = "b"


class Reference:
    launcher = None


class DefaultApp:
    """A scratch copy of data/ with one launcher executable in it at a time."""

    def __init__(self, data_dir):
        self.path = os.path.realpath(tempfile.mkdtemp(prefix="trevandel-emulated-"))
        harness._cleanups.append(lambda: shutil.rmtree(self.path, ignore_errors=True))
        shutil.copytree(data_dir, self.path, dirs_exist_ok=True)
        self.launcher = os.path.join(self.path, harness.LAUNCHER_NAME)
        self.pristine_cfg = self.read("Trevandel.cfg")

    @property
    def base(self):
        return self.path + "/"

    def read(self, relative):
        with open(os.path.join(self.path, relative)) as f:
            return f.read()

    def use(self, executable):
        shutil.copy2(executable, self.launcher)
        with open(os.path.join(self.path, "Trevandel.cfg"), "w") as f:
            f.write(self.pristine_cfg)


def whole_frame(screen):
    return {(x, y): screen.pixel(x, y) for y in range(harness.SCREEN_HEIGHT) for x in range(harness.SCREEN_WIDTH)}


class EmulatedLauncher(harness.LauncherTestCase):

    def settled_frame(self, differs_from=None, timeout=60):
        """The first frame that two grabs in a row agree on (and that is not `differs_from`)."""
        previous = None
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            frame = whole_frame(self.xvfb.grab())
            if frame == previous and frame != differs_from:
                return frame
            previous = frame
            time.sleep(0.2)
        self.fail("the screen did not settle within %d s" % timeout)

    def walk(self, app, emulator):
        """The output, the first frame and the Games page of one run that Escape ends with 0."""
        launcher = self.start(app, emulator=emulator)
        launcher.wait_for_exact("CFG: skindir=%sskins/concept/" % app.base, timeout=60)
        first = self.settled_frame()
        self.press(GAMES_KEY)
        games = self.settled_frame(differs_from=first)
        self.press("escape")
        self.assertExits(launcher, 0, timeout=60)
        return launcher.lines(), first, games

    def assertSameFrame(self, want, got, what):
        bad = [(x, y, want[x, y], got[x, y]) for (x, y) in sorted(want) if want[x, y] != got[x, y]]
        self.assertEqual(len(bad), 0, "%s: %d pixels differ from the host build's, first %s"
                         % (what, len(bad), harness.describe_mismatches(bad[:8])))

    def test_default_application_matches_the_host_build(self):
        app = DefaultApp(harness.Options.data)
        app.use(Reference.launcher)
        want_lines, want_first, want_games = self.walk(app, emulator=[])
        app.use(harness.Options.launcher)
        got_lines, got_first, got_games = self.walk(app, emulator=harness.Options.emulator)

        self.assertEqual(got_lines[0], "Basedir is %s" % app.base)
        self.assertEqual(got_lines, want_lines)
        self.assertSameFrame(want_first, got_first, "first frame")
        self.assertSameFrame(want_games, got_games, "Games page")


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--reference", required=True, help="the host build's launcher")
    args, rest = parser.parse_known_args()
    Reference.launcher = os.path.abspath(args.reference)
    sys.argv = [sys.argv[0]] + rest
    harness.main()
