#!/usr/bin/python3
"""The command lines of trevandel-check and trevandel-shot: reports, usage errors and the sheet."""

import os
import shutil
import signal
import struct
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
        self.app = harness.shipped_app().path
        self.check_tool = os.path.join(self.app, "trevandel-check")
        self.shot_tool = os.path.join(self.app, "trevandel-shot")

    def bad_app(self):
        bad = os.path.join(self.tmp, "bad")
        shutil.copytree(BAD_SKIN, bad)
        shutil.copy(os.path.join(self.app, harness.FONT_NAME), bad)
        return bad


class CheckCommandLine(ToolTestCase):

    def test_skin_option_checks_that_skin_and_names_it(self):
        result = run([self.check_tool, "--skin", "paper", self.app])
        self.assertEqual((result.returncode, result.stdout, result.stderr),
                         (0, "checking skins/paper/Trevandel.skin\nno problems found\n", ""))
        # Without --skin, the skin checked and why that one go to standard error.
        result = run([self.check_tool, self.app])
        self.assertEqual((result.returncode, result.stderr),
                         (0, "trevandel-check: checking skin concept, the one SKIN in Trevandel.cfg "
                             "names; --skin NAME picks another\n"))

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
        # ".." would name the application folder itself, which may hold a Trevandel.skin.
        with open(os.path.join(self.app, "Trevandel.skin"), "w") as f:
            f.write("PAGE=0\nBACKGROUND=color,FF0000\n")
        for name in ("nothere", "..", "concept/"):
            result = run([self.check_tool, "--skin", name, self.app])
            self.assertEqual((result.returncode, result.stdout), (2, ""), name)


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
                     ["jump"], ["--selected"], ["--sheet", "up"], ["--skin", "nothere"],
                     ["--skin", ".."], ["--skin", "concept/"], ["--skin", "paper", "--save"]):
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
        self.assertEqual(verbose.stderr, "trevandel-shot: drawing skin q, the one SKIN in "
                                         "Trevandel.cfg names; --skin NAME picks another\n")

    def test_an_app_folder_given_with_its_slash_is_the_same_base_directory(self):
        base = os.path.abspath(self.app) + "/"
        for app in (base[:-1], base):
            result = run([self.shot_tool, "--app", app, "--verbose", "--out",
                          os.path.join(self.tmp, "s.png")])
            self.assertIn("Basedir is %s\n" % base, result.stdout, app)

    def test_skin_option_draws_that_skin_with_the_configuration(self):
        with open(os.path.join(self.app, "Trevandel.cfg")) as f:
            shipped = f.read()
        paper = self.pixels(["--skin", "paper"], stderr="")
        self.assertNotEqual(paper, self.pixels([]), "--skin paper drew the configured concept")
        with open(os.path.join(self.app, "Trevandel.cfg"), "w") as f:
            f.write(shipped.replace("SKIN=concept", "SKIN=paper"))
        self.assertEqual(paper, self.pixels([]))

    def pixels(self, args, stderr=None):
        out = os.path.join(self.tmp, "picture.png")
        result = run([self.shot_tool, "--app", self.app, "--out", out] + args)
        self.assertEqual(result.returncode, 0, result.stderr)
        if stderr is not None:
            self.assertEqual(result.stderr, stderr)
        return harness.png_pixels(out)

    def assertSheetOf(self, sheet_args, tile_args):
        """The sheet holds one tile per entry of tile_args, each the single shot those give."""
        sheet = self.pixels(sheet_args)
        columns = min(len(tile_args), COLUMNS)
        rows = (len(tile_args) + columns - 1) // columns
        self.assertEqual((len(sheet[0]), len(sheet)),
                         (GAP + columns * (SCREEN_W + GAP),
                          GAP + rows * (LABEL_H + SCREEN_H + GAP)))
        for i, args in enumerate(tile_args):
            left = GAP + (i % columns) * (SCREEN_W + GAP)
            top = GAP + (i // columns) * (LABEL_H + SCREEN_H + GAP) + LABEL_H
            tile = [row[left:left + SCREEN_W] for row in sheet[top:top + SCREEN_H]]
            self.assertTrue(tile == self.pixels(args), "tile %d differs from %s" % (i, args))

    def test_sheet_tiles_equal_the_single_page_shots(self):
        with open(os.path.join(self.app, "skins", "concept", "Trevandel.skin")) as f:
            pages = sorted({int(line.strip()[5:]) for line in f if line.strip().startswith("PAGE=")})
        self.assertSheetOf(["--sheet"], [["--page", str(page)] for page in pages])

    def write_skin(self, name, text):
        os.makedirs(os.path.join(self.app, "skins", name))
        with open(os.path.join(self.app, "skins", name, "Trevandel.skin"), "w") as f:
            f.write(text)

    def test_selected_sheet_shows_only_the_slots_the_stick_can_select(self):
        # Page 0: two entries the stick moves between and a label it never selects; page 1 has
        # nothing to select and shows once.
        self.write_skin("nav", "PAGE=0\nBACKGROUND=color,102030\n"
                               "BUTTON=0\nTYPE=text,10,10,FFFFFF,FF0000,one\nNAVIGATION=0,1\n"
                               "BUTTON=1\nTYPE=text,10,30,FFFFFF,FF0000,two\nNAVIGATION=0,1\n"
                               "BUTTON=2\nTYPE=text,10,50,FFFFFF,FF0000,label\n"
                               "PAGE=1\nBACKGROUND=color,203040\n")
        skin = ["--skin", "nav"]
        self.assertSheetOf(["--sheet", "--selected"] + skin,
                           [skin + ["--page", "0"], skin + ["--page", "0", "right"], skin + ["--page", "1"]])

    def test_a_sheet_has_at_most_128_tiles_and_names_those_left_out(self):
        # 33 pages of four selectable slots each: 132 tiles.
        page = "".join("BUTTON=%d\nTYPE=rect,0,0,9,9,FFFFFF\nNAVIGATION=%d,%d\n" % (slot, slot, (slot + 1) % 4)
                       for slot in range(4))
        self.write_skin("big", "".join("PAGE=%d\nBACKGROUND=color,102030\n" % p + page for p in range(33)))
        out = os.path.join(self.tmp, "sheet.png")
        result = run([self.shot_tool, "--app", self.app, "--skin", "big", "--sheet", "--selected", "--out", out])
        self.assertEqual((result.returncode, result.stderr),
                         (0, "trevandel-shot: warning: a sheet holds at most 128 tiles: the last 4 are left "
                             "out, from page 32, slot 0 selected to page 32, slot 3 selected\n"))
        with open(out, "rb") as f:
            self.assertEqual(struct.unpack(">II", f.read(24)[16:24]),
                             (GAP + COLUMNS * (SCREEN_W + GAP), GAP + 32 * (LABEL_H + SCREEN_H + GAP)))

if __name__ == "__main__":
    harness.main()
