#!/usr/bin/python3
"""Start-up output, the first frame without input, and every way of quitting."""

import signal
import time

import harness

RED, BLUE, GREEN = 0xF800, 0x001F, 0x07E0

SKIN = """\
// one red page with a blue square that quits
PAGE=0
BACKGROUND=color,FF0000
BUTTON=0
TYPE=rect,10,10,20,20,0000FF
ACTION=quit
"""

CFG = """\
// end-to-end configuration
SKIN=red
"""

# Inside the square (edges included) and around it, on the background.
FIRST_FRAME = {
    (10, 10): BLUE, (20, 20): BLUE, (15, 12): BLUE, (10, 20): BLUE,
    (9, 10): RED, (21, 20): RED, (15, 9): RED, (15, 21): RED,
    (0, 0): RED, (319, 0): RED, (0, 239): RED, (319, 239): RED, (160, 120): RED,
}


class StartupAndQuit(harness.LauncherTestCase):

    def start_red(self):
        app = self.make_app(CFG, {"red": SKIN})
        return app, self.start(app)

    def test_first_frame_and_startup_output_then_escape(self):
        app, launcher = self.start_red()
        self.wait_for_pixels(FIRST_FRAME, what="first frame")
        base = app.base
        launcher.wait_for_exact("CFG: skindir=%sskins/red/" % base)
        lines = launcher.lines()
        self.assertEqual(lines[0], "Basedir is %s" % base)
        for expected in ("CFG: basedir=%s" % base, "CFG: version=Trevandel 0.4", "CFG: SKIN=red"):
            self.assertIn(expected, lines)
        if app.has_font:
            self.assertRegex(lines[1], r"^Loaded font: \d+x\d+$")
        self.assertFalse([l for l in lines if l.startswith("Could not load")], lines)
        self.assertFalse([l for l in lines if l.startswith("Action is")], lines)
        # Nothing before the configuration dump but the base directory and the font.
        first_cfg = next(i for i, l in enumerate(lines) if l.startswith("CFG: "))
        self.assertLessEqual(first_cfg, 2, lines)
        self.press("escape")
        self.assertExits(launcher, 0)
        self.assertNotIn("Quit issued", launcher.lines())

    def test_start_with_select_quits(self):
        _, launcher = self.start_red()
        self.wait_for_pixels(FIRST_FRAME, what="first frame")
        self.hold("start")
        try:
            self.press("select")
        finally:
            self.release("start")
        self.assertExits(launcher, 0)
        self.assertFalse([l for l in launcher.lines() if l.startswith("Action is")], launcher.lines())

    def test_select_alone_only_redraws(self):
        _, launcher = self.start_red()
        self.wait_for_pixels(FIRST_FRAME, what="first frame")
        self.press("select")
        self.press("a")
        self.wait_for_pixels(FIRST_FRAME, what="after select and A")
        self.assertTrue(launcher.running(), "select alone ended the launcher")
        self.press("escape")
        self.assertExits(launcher, 0)

    def test_window_close_quits(self):
        _, launcher = self.start_red()
        self.wait_for_pixels(FIRST_FRAME, what="first frame")
        self.xvfb.close_window(self.xvfb.wait_for_window())
        launcher.wait_for_exact("Quit issued")
        self.assertExits(launcher, 0)

    def test_interrupt_signal_quits_a_resting_launcher(self):
        _, launcher = self.start_red()
        self.wait_for_pixels(FIRST_FRAME, what="first frame")
        time.sleep(0.5)
        launcher.proc.send_signal(signal.SIGINT)
        launcher.wait_for_exact("Quit issued")
        self.assertExits(launcher, 0)

    def test_window_uncovered_shows_the_last_frame_again(self):
        _, launcher = self.start_red()
        self.wait_for_pixels(FIRST_FRAME, what="first frame")
        x = harness.XConnection(self.xvfb.display)
        self.addCleanup(x.close)
        cover = x.cover(GREEN)
        self.assertEqual(x.pixel(160, 120), GREEN, "the cover window did not cover the launcher")
        time.sleep(0.3)
        x.uncover(cover)
        self.wait_for_pixels(FIRST_FRAME, timeout=5, what="frame after the cover went")
        self.press("escape")
        self.assertExits(launcher, 0)

    def test_quit_action(self):
        _, launcher = self.start_red()
        self.wait_for_pixels(FIRST_FRAME, what="first frame")
        self.press("b")
        launcher.wait_for_exact("Action is quit")
        self.assertExits(launcher, 0)


class StartOnAServerThatResets(harness.LauncherTestCase):
    """xvfb-run's server resets when its last client leaves, and SDL's probe connection is one."""

    STARTS = 10
    # X resource ids carry the client's slot in the server above this bit.
    CLIENT_SLOT_SHIFT = 21

    @classmethod
    def setUpClass(cls):
        cls.xvfb = harness.Xvfb(resets=True)

    def test_every_start_gets_its_window(self):
        app = self.make_app(CFG, {"red": SKIN})
        for start in range(self.STARTS):
            # Nothing else may talk to the server until the launcher has its window.
            launcher = self.start(app, wait=False)
            launcher.wait_for_exact("CFG: SKIN=red")
            self.assertEqual(launcher.stderr_lines(), [], "start %d" % start)
            window = int(self.xvfb.wait_for_window(), 16)
            # The window belongs to the second client: the launcher's own connection held the
            # server while SDL's probe came and went, so the probe's leaving reset nothing.
            self.assertEqual(window >> self.CLIENT_SLOT_SHIFT, 2, "start %d: window 0x%x" % (start, window))
            self.wait_for_pixels(FIRST_FRAME, what="first frame of start %d" % start)
            self.press("escape")
            self.assertExits(launcher, 0)


if __name__ == "__main__":
    harness.main()
