#!/usr/bin/python3
"""The shipped application walked as a user would: games, the emulator folder, settings, skin switch."""

import os

import harness

# Background pixels of each skin's main page that no button covers.
CORNERS = [(2, 2), (2, 236), (317, 236)]
FONT = "ARIALN.TTF_0_12_255_255_255.png"
# Colours of the concept skin: text, and the bar behind page titles.
INK = "EAF2FA"
PANEL = "07101D"
SETTINGS_BACKGROUND = "skins/concept/settings.png"


def screen_value(rgb):
    r, g, b = rgb
    return ((r & 0xF8) << 8) | ((g & 0xF8) << 3) | ((b & 0xF8) >> 3)


def colour(text):
    r, g, b = (int(text[i:i + 2], 16) for i in (0, 2, 4))
    return screen_value((r, g, b))


class Glyphs:
    """The launcher's font sheet: row 0 marks where each glyph of ! to ~ begins."""

    def __init__(self, path):
        rows = harness.png_pixels(path)
        self.coverage = [[r for r, _, _ in row] for row in rows[1:]]
        width = len(rows[0])
        self.spans, column, previous = {}, 0, 1
        for code in range(33, 127):
            while column < width:
                column += 1
                if column < width and rows[0][column][0] > 128:
                    break
            self.spans[chr(code)] = (previous, column)
            previous = column

    def pixels(self, x, y, text, colour_text, background):
        """{(x, y): value} for every pixel the text's glyphs touch, blended over background(x, y) the
        way the launcher blends text."""
        ink, expected, pen = colour(colour_text), {}, x
        for ch in text:
            if ch == " ":
                pen += 3
                continue
            start, end = self.spans[ch]
            for row, line in enumerate(self.coverage):
                for k in range(end - start):
                    a = line[start + k]
                    if a:
                        under = background(pen + k, y + row)
                        value = 0
                        for shift in (11, 6, 0):
                            d, t = (under >> shift) & 31, (ink >> shift) & 31
                            value |= ((d * (255 - a) + t * a) // 255) << shift
                        expected[(pen + k, y + row)] = value
            pen += end - start
        return expected


class DefaultApplication(harness.LauncherTestCase):

    def setUp(self):
        super().setUp()
        # As a new user gets it: the shipped skins and configuration, nothing a developer added.
        self.app = harness.shipped_app()
        self.shipped_cfg = self.app.read("Trevandel.cfg")
        self.glyphs = Glyphs(self.app.file(FONT))

    def text(self, x, y, text, colour_text=INK, over=None):
        """The pixels of a text drawn over a plain colour, or over an image of the skin."""
        if over is None:
            over = colour(PANEL)
        if isinstance(over, int):
            return self.glyphs.pixels(x, y, text, colour_text, lambda px, py: over)
        rows = harness.png_pixels(self.app.file(over))
        return self.glyphs.pixels(x, y, text, colour_text, lambda px, py: screen_value(rows[py][px]))

    def open_settings(self):
        self.wait_for_pixels(self.main_page_pixels("concept"), what="concept main page")
        self.press("right")                              # Files
        self.press("right")                              # Settings
        self.press("b")
        self.wait_for_pixels(self.text(24, 7, "Settings"), what="settings page")

    def main_page_pixels(self, skin):
        rows = harness.png_pixels(self.app.file("skins/%s/main.png" % skin))
        return {(x, y): screen_value(rows[y][x]) for x, y in CORNERS}

    def test_launch_a_rom_from_the_emulator_folder(self):
        launcher = self.start(self.app)
        self.wait_for_pixels(self.main_page_pixels("concept"), what="concept main page")
        self.press("b")                                  # Games tile
        self.wait_for_pixels(self.text(24, 7, "Games"), what="games page")
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
            "Switching CPU to 250 Mhz, display to PLL -1, prescalar -1",
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

    def test_settings_show_the_values_in_force_and_pick_the_second_skin(self):
        launcher = self.start(self.app)
        self.open_settings()
        # The values of the shipped Trevandel.cfg.
        in_force = {}
        for y, text in ((168, "Skin: concept"), (184, "Key repeat: 250 ms, 30/s"), (200, "Menu CPU: 200 MHz")):
            in_force.update(self.text(16, y, text, over=SETTINGS_BACKGROUND))
        self.wait_for_pixels(in_force, what="values in force")

        self.press("down")                               # Repeat: fast
        self.press("b")
        index = self.assertLinesInOrder(launcher, [
            "Action is config--KEYBOARD_RATE--150--50",
            "Start: %strevandel" % self.app.base,
            "CFG: KEYBOARD_RATE=150,50",
        ])
        self.open_settings()
        self.wait_for_pixels(self.text(16, 184, "Key repeat: 150 ms, 50/s", over=SETTINGS_BACKGROUND),
                             what="the new key repeat")

        self.press("right")                              # the skin list: concept, paper
        self.press("down")
        self.press("b")
        index = self.assertLinesInOrder(launcher, [
            "Action is config--SKIN--paper",
            "Start: %strevandel" % self.app.base,
            "Basedir is %s" % self.app.base,
            "CFG: skindir=%sskins/paper/" % self.app.base,
        ], start=index)
        self.wait_for_pixels(self.main_page_pixels("paper"), what="paper main page after the restart")
        # Both changes rewrote their own line and kept every other line of the shipped file.
        expected = [{"SKIN=concept": "SKIN=paper", "KEYBOARD_RATE=250,30": "KEYBOARD_RATE=150,50"}.get(line, line)
                    for line in self.shipped_cfg.splitlines()]
        self.assertNotEqual(expected, self.shipped_cfg.splitlines())
        self.assertEqual(self.app.read("Trevandel.cfg").splitlines()[:len(expected)], expected)
        self.assertEqual([f for f in os.listdir(self.app.path) if f.startswith("Trevandel.newcfg")], [])
        self.press("escape")
        self.assertExits(launcher, 0)


if __name__ == "__main__":
    harness.main()
