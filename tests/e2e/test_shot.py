#!/usr/bin/python3
"""trevandel-shot draws, pixel for pixel, what the launcher's window shows for the same page and keys."""

import os
import shutil
import subprocess
import tempfile

import harness


def shot_frame(shot, app_dir, keys):
    """Runs trevandel-shot at 640x480 and returns its pixels as 16-bit screen values by (x, y)."""
    out = os.path.join(tempfile.mkdtemp(prefix="trevandel-shot-"), "frame.png")
    env = dict(os.environ, ASAN_OPTIONS="detect_leaks=1",
               LSAN_OPTIONS="suppressions=" + harness.LSAN_SUPPRESSIONS)
    result = subprocess.run([shot, "--app", app_dir, "--double", "--out", out] + keys,
                            env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    if result.returncode != 0:
        raise AssertionError("trevandel-shot failed (%d): %s" % (result.returncode, result.stderr.decode()))
    rows = harness.png_pixels(out)
    shutil.rmtree(os.path.dirname(out), ignore_errors=True)
    # The PNG widens each 5-bit field by repeating its top bits; the top five bits give it back.
    return {(x, y): ((r >> 3) << 11) | ((g >> 3) << 6) | (b >> 3)
            for y, row in enumerate(rows) for x, (r, g, b) in enumerate(row)}


class ShotMatchesWindow(harness.LauncherTestCase):

    def check(self, keys):
        # The shipped application, copied, so a config key would not touch the build's own files.
        app = harness.shipped_app()
        shot = os.path.join(app.path, "trevandel-shot")
        expected = shot_frame(shot, app.path, keys)
        self.assertEqual(len(expected), 640 * 480)

        launcher = self.start(app)
        for key in keys:
            self.press(key)
        deadline_grabs = 50
        while True:
            image = self.xvfb.grab().image
            differing = [(x, y) for (x, y), value in expected.items() if image.pixel(x, y) != value]
            if not differing or deadline_grabs == 0:
                break
            deadline_grabs -= 1
        self.assertEqual(differing[:10], [], "%d window pixels differ from the shot" % len(differing))
        self.press("escape")
        self.assertExits(launcher, 0)

    def test_first_frame(self):
        self.check([])

    def test_after_keys(self):
        self.check(["right", "right", "b", "right", "down"])


class ShotConfigAction(harness.LauncherTestCase):
    """A config key in the shot goes into a scratch copy, which the rest of the run reads."""

    CFG = b"// mine\r\nSKIN=red\r\n\r\nKEYBOARD_RATE=250,30"
    RED, BLUE = 0xF800, 0x001F

    def run_shot(self, extra):
        app = self.make_app(skins={
            "red": "PAGE=0\nBACKGROUND=color,FF0000\nBUTTON=0\nTYPE=rect,0,0,1,1,FF0000\n"
                   "ACTION=config,SKIN,blue\n",
            "blue": "PAGE=0\nBACKGROUND=color,0000FF\n"})
        app.write_bytes("Trevandel.cfg", self.CFG)
        shot = os.path.join(os.path.dirname(harness.Options.launcher), "trevandel-shot")
        frame = shot_frame(shot, app.path, extra + ["b"])
        with open(app.file("Trevandel.cfg"), "rb") as f:
            return frame[(100, 100)], f.read(), sorted(os.listdir(app.path))

    def test_scratch_by_default(self):
        pixel, cfg, files = self.run_shot([])
        self.assertEqual(pixel, self.BLUE, "the run goes on with the changed scratch copy")
        self.assertEqual(cfg, self.CFG)
        self.assertEqual([f for f in files if f.startswith("Trevandel.newcfg")], [])

    def test_save_rewrites_the_settings(self):
        pixel, cfg, _ = self.run_shot(["--save"])
        self.assertEqual(cfg, b"// mine\nSKIN=blue\n\nKEYBOARD_RATE=250,30")
        # As before --save existed: the file changes, the frame stays with the configuration read at start.
        self.assertEqual(pixel, self.RED)


if __name__ == "__main__":
    harness.main()
