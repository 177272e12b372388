#!/usr/bin/python3
"""Auto-repeat of a held direction: one code at the press, a long first delay, then a fast stream."""

import signal
import time

import harness

SKIN = """\
PAGE=0
BACKGROUND=color,000000
BUTTON=0
TYPE=rect,10,10,20,20,FFFFFF
DOWN=exec,,rep
RIGHT=page,1
ACTION=exec,,act
PAGE=1
BACKGROUND=color,0000FF
BUTTON=0
TYPE=rect,10,10,20,20,FFFFFF
DOWN=exec,,rep
LEFT=page,0
"""
BLUE = 0x001F
# Resting on a page, the launcher sleeps until an event comes; today's 1 ms pacing wakes ~1000 times a second.
IDLE_SECONDS = 3.0
IDLE_WAKEUPS_ALLOWED = 10
# The fastest of a few answers: a launcher that sleeps past input (on a timer) is slow every time,
# while a busy machine delays only some of them.
ANSWER_SECONDS = 0.25
ANSWER_TRIES = 3

CFG = "SKIN=repeat\n"
REPEAT_LINE = "Action is exec----rep"


class KeyRepeat(harness.LauncherTestCase):

    def repeat_times(self, launcher, since=0.0):
        return [t for t, text in launcher.timed_lines() if text == REPEAT_LINE and t >= since]

    def hold_down_for(self, launcher, seconds):
        """Hold the stick down; returns the times of the repeat lines it produced."""
        before = time.monotonic()
        self.hold("down")
        time.sleep(seconds)
        self.release("down")
        # Let output already produced arrive, then make sure the stream has stopped.
        time.sleep(0.4)
        times = self.repeat_times(launcher, before)
        time.sleep(0.4)
        self.assertEqual(len(self.repeat_times(launcher, before)), len(times),
                         "repeats went on after the release")
        return times

    def check_held_series(self, times, held_seconds):
        self.assertGreaterEqual(len(times), 15, "too few repeats in %.1f s: %d" % (held_seconds, len(times)))
        self.assertLessEqual(len(times), 60, "too many repeats in %.1f s: %d" % (held_seconds, len(times)))
        first_gap = times[1] - times[0]
        self.assertGreaterEqual(first_gap, 0.2, "first repeat came after %.3f s" % first_gap)
        self.assertLessEqual(first_gap, 1.0, "first repeat came after %.3f s" % first_gap)
        # Later repeats come much faster than the first one.
        later = sorted(b - a for a, b in zip(times[1:], times[2:]))
        median = later[len(later) // 2]
        self.assertLess(median, first_gap / 2, "median later gap %.3f s, first %.3f s" % (median, first_gap))

    def test_held_direction_repeats_and_restarts_after_release(self):
        app = self.make_app(CFG, {"repeat": SKIN})
        launcher = self.start(app)
        self.wait_for_pixels({(15, 15): 0xFFDF, (0, 0): 0}, what="first frame")

        first = self.hold_down_for(launcher, 1.5)
        self.check_held_series(first, 1.5)
        # Each repeat runs the whole action: one RUN line per action line.
        self.assertEqual(launcher.lines().count("RUN00: rep"), len(first))

        second = self.hold_down_for(launcher, 1.5)
        self.check_held_series(second, 1.5)

        # A button that is not a direction acts once per press, however long it is held.
        self.hold("b")
        time.sleep(0.8)
        self.release("b")
        launcher.wait_for_exact("Action is exec----act")
        time.sleep(0.3)
        self.assertEqual(launcher.lines().count("Action is exec----act"), 1)

        self.press("escape")
        self.assertExits(launcher, 0)

    def test_resting_launcher_sleeps_answers_at_once_and_still_repeats(self):
        app = self.make_app(CFG, {"repeat": SKIN})
        launcher = self.start(app)
        self.wait_for_pixels({(15, 15): 0xFFDF, (0, 0): 0}, what="first frame")
        time.sleep(0.5)  # the window's own start-up events

        before = harness.context_switches(launcher.proc.pid)
        time.sleep(IDLE_SECONDS)
        woke = harness.context_switches(launcher.proc.pid) - before
        self.assertLessEqual(woke, IDLE_WAKEUPS_ALLOWED, "woke %d times in %.0f s of rest" % (woke, IDLE_SECONDS))

        # The key goes straight through Xlib, so the time is the launcher's, not a process start's.
        x = harness.XConnection(self.xvfb.display)
        self.addCleanup(x.close)
        right = self.xvfb.keycodes()[harness.CONTROL_KEYSYMS["right"]]
        left = self.xvfb.keycodes()[harness.CONTROL_KEYSYMS["left"]]
        answers = []
        for _ in range(ANSWER_TRIES):
            pressed = time.monotonic()
            x.key(right, True)
            while x.pixel(0, 0) != BLUE and time.monotonic() - pressed < 5:
                time.sleep(0.001)
            answers.append(time.monotonic() - pressed)
            x.key(right, False)
            # Back to page 0, where the launcher rests again before the next try.
            x.key(left, True)
            x.key(left, False)
            while x.pixel(0, 0) == BLUE and time.monotonic() - pressed < 10:
                time.sleep(0.01)
            time.sleep(0.3)
        self.assertLess(min(answers), ANSWER_SECONDS, "page 1 appeared %s s after the key" %
                        ", ".join("%.3f" % a for a in answers))

        times = self.hold_down_for(launcher, 1.5)
        self.check_held_series(times, 1.5)

        launcher.proc.send_signal(signal.SIGTERM)
        self.assertExits(launcher, 0)
        self.assertIn("Quit issued", launcher.lines())


if __name__ == "__main__":
    harness.main()
