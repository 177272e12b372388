#!/usr/bin/python3
"""The shipped application walked as a user would: games, the emulator folder, settings, skin switch."""

import os

import harness

# Background pixels of each skin's main page that no button covers.
CORNERS = [(2, 2), (2, 236), (317, 236)]


def screen_value(rgb):
    r, g, b = rgb
    return ((r & 0xF8) << 8) | ((g & 0xF8) << 3) | ((b & 0xF8) >> 3)


def colour(text):
    r, g, b = (int(text[i:i + 2], 16) for i in (0, 2, 4))
    return screen_value((r, g, b))


class StagedApp:
    """The application directory the build staged, used in place; its configuration is restored after."""

    def __init__(self, launcher):
        self.launcher = launcher
        self.path = os.path.dirname(launcher)

    @property
    def base(self):
        return self.path + "/"

    def file(self, relative):
        return os.path.join(self.path, relative)

    def read(self, relative):
        with open(self.file(relative)) as f:
            return f.read()


class DefaultApplication(harness.LauncherTestCase):

    def setUp(self):
        super().setUp()
        self.app = StagedApp(harness.Options.launcher)
        self.saved_cfg = self.app.read("Trevandel.cfg")
        with open(self.app.file("Trevandel.cfg"), "w") as f:
            f.write("SKIN=concept\n")

    def tearDown(self):
        with open(self.app.file("Trevandel.cfg"), "w") as f:
            f.write(self.saved_cfg)
        super().tearDown()

    def main_page_pixels(self, skin):
        rows = harness.png_pixels(self.app.file("skins/%s/main.png" % skin))
        return {(x, y): screen_value(rows[y][x]) for x, y in CORNERS}

    def test_launch_a_rom_from_the_emulator_folder(self):
        launcher = self.start(self.app)
        self.wait_for_pixels(self.main_page_pixels("concept"), what="concept main page")
        self.press("b")                                  # Games tile
        self.wait_for_pixels({(0, 0): colour("0B1A2E"), (0, 239): colour("1D4466")}, what="games page")
        demo = self.app.base + "demo/"
        # ../, Apps/, Emulators/, Games/, welcome.gpe
        self.press("down")
        self.press("down")
        self.press("b")
        index = launcher.wait_for_exact("Changed to %sEmulators/" % demo)
        self.press("down")                               # ../ -> snes/
        self.press("b")
        snes = demo + "Emulators/snes/"
        index = launcher.wait_for_exact("Changed to %s" % snes, start=index)
        # The folder's Trevandel.dat lists its roms/ with .smc files only: ../, alpha_quest.smc, ...
        self.press("down")
        self.press("b")
        expected = [
            "Switching CPU to 200 Mhz, display to PLL -1, prescalar -1",
            "Action is exec--%s--%semu.gpe--%sroms/alpha_quest.smc" % (snes, snes, snes),
            "CHDIR: %s" % snes,
            "RUN00: %semu.gpe" % snes,
            "RUN01: %sroms/alpha_quest.smc" % snes,
        ]
        index = self.assertLinesInOrder(launcher, expected, start=index)
        self.assertEqual(launcher.lines()[index - len(expected):index], expected)

        self.press("up")                                 # back on ../
        self.press("b")
        index = launcher.wait_for_exact("Changed to %sEmulators/" % demo, start=index)
        self.press("x")                                  # RETURN=page,0
        self.wait_for_pixels(self.main_page_pixels("concept"), what="back on the main page")
        self.press("escape")
        self.assertExits(launcher, 0)

    def test_pick_the_second_skin_from_settings(self):
        launcher = self.start(self.app)
        self.wait_for_pixels(self.main_page_pixels("concept"), what="concept main page")
        self.press("right")                              # Files
        self.press("right")                              # Settings
        self.press("b")
        self.wait_for_pixels({(0, 0): colour("0D1626")}, what="settings page")
        self.press("right")                              # the skin list: concept, paper
        self.press("down")
        self.press("b")
        index = self.assertLinesInOrder(launcher, [
            "Action is config--SKIN--paper",
            "Start: %strevandel" % self.app.base,
            "Basedir is %s" % self.app.base,
            "CFG: skindir=%sskins/paper/" % self.app.base,
        ])
        self.wait_for_pixels(self.main_page_pixels("paper"), what="paper main page after the restart")
        self.assertEqual(self.app.read("Trevandel.cfg"), "SKIN=paper\n\n")
        self.assertFalse(os.path.exists(self.app.file("Trevandel.newcfg")))
        self.press("escape")
        self.assertExits(launcher, 0)


if __name__ == "__main__":
    harness.main()
