#!/usr/bin/python3
"""The config action: the rewritten Trevandel.cfg and the restart into the new skin."""

import os

import harness

BLUE, YELLOW = 0x001F, 0xFFC0

FIRST_SKIN = """\
PAGE=0
BACKGROUND=color,0000FF
BUTTON=0
TYPE=rect,10,10,20,20,FFFFFF
ACTION=config,SKIN,other
"""

OTHER_SKIN = """\
PAGE=0
BACKGROUND=color,FFFF00
"""

CFG = """\
// end-to-end configuration, this comment must survive
SKIN=first

EXTRA=1,2
"""

# Every line kept as it was, the SKIN line replaced, and nothing added after the last one.
SAVED_CFG = """\
// end-to-end configuration, this comment must survive
SKIN=other

EXTRA=1,2
"""


class ConfigRestart(harness.LauncherTestCase):

    def test_config_action_saves_and_restarts(self):
        app = self.make_app(CFG, {"first": FIRST_SKIN, "other": OTHER_SKIN})
        launcher = self.start(app)
        self.wait_for_pixels({(0, 0): BLUE, (15, 15): 0xFFDF, (319, 239): BLUE}, what="first skin")
        launcher.wait_for_exact("CFG: SKIN=first")

        self.press("b")
        index = self.assertLinesInOrder(launcher, ["Action is config--SKIN--other",
                                                   "Start: %s" % app.launcher,
                                                   "Basedir is %s" % app.base])
        launcher.wait_for_exact("CFG: SKIN=other", start=index)
        launcher.wait_for_exact("CFG: skindir=%sskins/other/" % app.base, start=index)
        launcher.wait_for_exact("CFG: EXTRA=1,2", start=index)
        self.wait_for_pixels({(0, 0): YELLOW, (15, 15): YELLOW, (319, 239): YELLOW}, what="other skin")

        self.assertEqual(app.read("Trevandel.cfg"), SAVED_CFG)
        self.assertEqual([f for f in os.listdir(app.path) if f.startswith("Trevandel.newcfg")], [],
                         "new configuration file left behind")
        self.assertTrue(launcher.running())

        self.press("escape")
        self.assertExits(launcher, 0)
        self.assertEqual(launcher.lines().count("Basedir is %s" % app.base), 2)


if __name__ == "__main__":
    harness.main()
