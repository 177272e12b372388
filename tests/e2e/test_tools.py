#!/usr/bin/python3
"""The command lines of trevandel-check and trevandel-shot: reports, usage errors and the sheet."""

import os
import shutil
import signal
import subprocess
import tempfile
import unittest

import harness

BAD_SKIN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "files", "badskin")
SCREEN_W, SCREEN_H = 320, 240
# The sheet's layout: tiles in rows of four, GAP apart, each under a label strip of the font's
# line height (14) and its padding.
GAP, LABEL_H, COLUMNS = 4, 14 + 4, 4


def tool_env(**changes):
    env = dict(os.environ, ASAN_OPTIONS="detect_leaks=1",
               LSAN_OPTIONS="suppressions=" + harness.LSAN_SUPPRESSIONS)
    for name, value in changes.items():
        if value is None:
            env.pop(name, None)
        else:
            env[name] = value
    return env


def run(args, env=None):
    return subprocess.run(args, env=env or tool_env(), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          universal_newlines=True, timeout=120)


class ToolTestCase(unittest.TestCase):

    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="trevandel-tools-")
        self.addCleanup(shutil.rmtree, self.tmp, True)
        self.app = os.path.join(self.tmp, "app")
        # The staged application: executables beside a copy of data/.
        shutil.copytree(os.path.dirname(harness.Options.launcher), self.app, symlinks=True)
        self.check_tool = os.path.join(self.app, "trevandel-check")
        self.shot_tool = os.path.join(self.app, "trevandel-shot")

    def bad_app(self):
        bad = os.path.join(self.tmp, "bad")
        shutil.copytree(BAD_SKIN, bad)
        shutil.copy(os.path.join(self.app, harness.FONT_NAME), bad)
        return bad


class CheckCommandLine(ToolTestCase):

    def test_skin_option_checks_that_skin_and_names_it(self):
        # The shipped configuration, which names concept (a staged one may be the user's).
        shutil.copy(os.path.join(harness.Options.data, "Trevandel.cfg"), self.app)
        result = run([self.check_tool, "--skin", "paper", self.app])
        self.assertEqual((result.returncode, result.stdout),
                         (0, "checking skins/paper/Trevandel.skin\nno problems found\n"))

    def test_all_gives_one_report_per_skin_folder(self):
        result = run([self.check_tool, "--all", self.bad_app()])
        self.assertEqual(result.returncode, 1)
        headings = [line for line in result.stdout.splitlines() if line.startswith("checking ")]
        self.assertEqual(headings, ["checking skins/bad/Trevandel.skin",
                                    "checking skins/notaskin/Trevandel.skin"])
        self.assertIn("skins/notaskin/Trevandel.skin: cannot be read", result.stdout)

    def test_a_skin_folder_is_refused_with_the_folder_to_give(self):
        bad = self.bad_app()
        result = run([self.check_tool, os.path.join(bad, "skins", "bad")])
        self.assertEqual(result.returncode, 2)
        self.assertIn("is a skin folder", result.stderr)
        self.assertIn("--skin bad " + os.path.realpath(bad), result.stderr)

    def test_unknown_skin_is_a_usage_error(self):
        self.assertEqual(run([self.check_tool, "--skin", "nothere", self.app]).returncode, 2)


class WithoutADisplay(ToolTestCase):
    """Over ssh, say: no DISPLAY. SDL would pick a text-mode driver and draw into the terminal."""

    def test_the_window_programs_say_so_and_the_headless_tools_work(self):
        no_display = tool_env(DISPLAY=None, SDL_VIDEODRIVER=None)
        shot = os.path.join(self.tmp, "s.png")
        cases = [
            ([os.path.join(self.app, "trevandel")], 1),
            ([os.path.join(self.app, "trevandel-preview"), self.app], 1),
            ([self.check_tool, self.app], 0),
            ([self.shot_tool, "--app", self.app, "--out", shot], 0),
        ]
        for args, status in cases:
            result = run(args, no_display)
            name = os.path.basename(args[0])
            self.assertEqual(result.returncode, status, name + ": " + result.stderr)
            self.assertNotIn("\x1b", result.stdout, name + " drew into the terminal")
            if status == 1:
                lines = result.stderr.splitlines()
                self.assertEqual(len(lines), 1, name + ": " + result.stderr)
                self.assertRegex(lines[0], r"^no display: DISPLAY is not set; .*xvfb-run .*-noreset")
                self.assertEqual([l for l in result.stdout.splitlines() if not l.startswith("Basedir is ")],
                                 [], name)
        self.assertTrue(os.path.exists(shot))

    def test_a_video_driver_named_in_sdl_videodriver_is_used(self):
        env = tool_env(DISPLAY=None, SDL_VIDEODRIVER="dummy")
        launcher = subprocess.Popen([os.path.join(self.app, "trevandel")], env=env, stdout=subprocess.PIPE,
                                    stderr=subprocess.PIPE, universal_newlines=True)
        try:
            for line in launcher.stdout:
                if line.startswith("Keyboard rate set to"):
                    break
            launcher.send_signal(signal.SIGTERM)
            out, err = launcher.communicate(timeout=30)
        finally:
            if launcher.poll() is None:
                launcher.kill()
        self.assertEqual((launcher.returncode, err), (0, ""))
        self.assertIn("Quit issued", out)


class ShotCommandLine(ToolTestCase):

    def shot(self, *args):
        return run([self.shot_tool, "--app", self.app, "--out", os.path.join(self.tmp, "s.png")]
                   + list(args))

    def test_bad_arguments_are_usage_errors(self):
        empty = os.path.join(self.tmp, "empty")
        os.mkdir(empty)
        for args in (["--page", "128"], ["--page", "-1"], ["--page", "two"], ["--page"],
                     ["--app", os.path.join(self.tmp, "missing")], ["--app", empty],
                     ["jump"], ["--selected"], ["--sheet", "up"]):
            result = self.shot(*args)
            self.assertEqual(result.returncode, 2, args)
            self.assertIn("usage:", result.stderr, args)
            self.assertFalse(os.path.exists(os.path.join(self.tmp, "s.png")), args)

    def test_quiet_unless_verbose_and_an_empty_page_warns(self):
        result = self.shot("--page", "100")
        self.assertEqual((result.returncode, result.stdout), (0, ""))
        self.assertIn("warning: page 100 is empty", result.stderr)
        os.makedirs(os.path.join(self.app, "skins", "q"))
        with open(os.path.join(self.app, "skins", "q", "Trevandel.skin"), "w") as f:
            f.write("PAGE=0\nBUTTON=0\nTYPE=rect,0,0,9,9,FFFFFF\nACTION=quit\n")
        with open(os.path.join(self.app, "Trevandel.cfg"), "w") as f:
            f.write("SKIN=q\n")
        # What a key would do still shows.
        self.assertEqual(self.shot("b").stdout, "Action is quit\n")
        verbose = self.shot("--verbose")
        self.assertEqual(verbose.returncode, 0)
        self.assertIn("Basedir is ", verbose.stdout)
        self.assertEqual(verbose.stderr, "")

    def pixels(self, args):
        out = os.path.join(self.tmp, "picture.png")
        result = run([self.shot_tool, "--app", self.app, "--out", out] + args)
        self.assertEqual(result.returncode, 0, result.stderr)
        return harness.png_pixels(out)

    def test_sheet_tiles_equal_the_single_page_shots(self):
        with open(os.path.join(self.app, "skins", "concept", "Trevandel.skin")) as f:
            pages = sorted({int(line.strip()[5:]) for line in f if line.strip().startswith("PAGE=")})
        sheet = self.pixels(["--sheet"])
        columns = min(len(pages), COLUMNS)
        rows = (len(pages) + columns - 1) // columns
        self.assertEqual((len(sheet[0]), len(sheet)),
                         (GAP + columns * (SCREEN_W + GAP),
                          GAP + rows * (LABEL_H + SCREEN_H + GAP)))
        for i, page in enumerate(pages):
            left = GAP + (i % columns) * (SCREEN_W + GAP)
            top = GAP + (i // columns) * (LABEL_H + SCREEN_H + GAP) + LABEL_H
            tile = [row[left:left + SCREEN_W] for row in sheet[top:top + SCREEN_H]]
            self.assertTrue(tile == self.pixels(["--page", str(page)]), "page %d differs" % page)


if __name__ == "__main__":
    harness.main()
