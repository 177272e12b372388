#!/usr/bin/python3
"""trevandel-preview follows the skin's files as they are saved, reports mistakes, never saves."""

import os
import re
import time

import harness
from xwd2png import encode_png

PREVIEW_NAME = "trevandel-preview"
FIRST_LINE = r"^trevandel-preview: showing "
# The promise is 200 ms from save to frame; a screen grab under load takes part of it.
RELOAD_LIMIT_S = 1.0

# Page 0 leads to page 1; on page 1 two image buttons show which one is selected, slot 2 names
# an image that may not exist yet, and slot 3 picks the other skin.
SKIN = """PAGE=0
BACKGROUND=color,102030
BUTTON=0
TYPE=rect,0,0,9,9,FFFFFF
PAGE=1
BACKGROUND=color,{background}
BUTTON=0
TYPE=image,20,20,%skindir%on.png,%skindir%off.png
NAVIGATION=1,1
BUTTON=1
TYPE=image,60,20,%skindir%on.png,%skindir%off.png
NAVIGATION=0,0
DOWN=select,3
BUTTON=2
TYPE=image,100,20,%skindir%late.png
BUTTON=3
TYPE=rect,140,20,149,29,FFFFFF
ACTION=config,SKIN,other
"""
OTHER_SKIN = "PAGE=0\nBACKGROUND=color,00FF00\n"
CFG = b"// settings\r\nSKIN=live\r\nKEYBOARD_RATE=250,30"


def pixel(r, g, b):
    return ((r & 0xF8) << 8) | ((g & 0xF8) << 3) | (b >> 3)


def hex_pixel(rrggbb):
    return pixel(int(rrggbb[0:2], 16), int(rrggbb[2:4], 16), int(rrggbb[4:6], 16))


def png(width, height, rgb):
    row = b"\x00" + bytes(rgb) * width
    return encode_png(width, height, row * height)


ON, OFF, LATE = (0, 255, 0), (128, 128, 128), (0, 0, 255)


def save_atomically(app, relative, data):
    """As an editor saves: a temporary file beside the target, then a rename over it."""
    target = app.file(relative)
    temporary = target + ".tmp"
    with open(temporary, "wb") as f:
        f.write(data)
    os.replace(temporary, target)
    return time.monotonic()


class PreviewTestCase(harness.LauncherTestCase):

    def preview_path(self):
        return os.path.join(os.path.dirname(harness.Options.launcher), PREVIEW_NAME)

    def start_preview(self, app, *args):
        return self.start(app, argv=[self.preview_path(), app.path] + list(args), first_line=FIRST_LINE)

    def reloads(self, preview):
        return [line for line in preview.lines() if line.startswith("trevandel-preview: reloaded ")]


class LiveReload(PreviewTestCase):

    def make_live_app(self, background="203040"):
        app = self.make_app(skins={"live": SKIN.format(background=background), "other": OTHER_SKIN})
        app.write_bytes("Trevandel.cfg", CFG)
        app.write_bytes("skins/live/on.png", png(20, 10, ON))
        app.write_bytes("skins/live/off.png", png(20, 10, OFF))
        return app

    def test_an_edit_shows_at_once_on_the_same_page_and_selection(self):
        app = self.make_live_app()
        preview = self.start_preview(app, "--page", "1")
        self.wait_for_pixels({(200, 200): hex_pixel("203040"), (25, 25): pixel(*ON),
                              (65, 25): pixel(*OFF)}, what="page 1, slot 0 selected")
        self.press("arrowright")
        self.wait_for_pixels({(25, 25): pixel(*OFF), (65, 25): pixel(*ON)}, what="arrow key moves right")

        saved = save_atomically(app, "skins/live/Trevandel.skin", SKIN.format(background="A0C0E0").encode())
        self.wait_for_pixels({(200, 200): hex_pixel("A0C0E0"), (25, 25): pixel(*OFF), (65, 25): pixel(*ON)},
                             timeout=RELOAD_LIMIT_S, what="edited background, same page and selection")
        self.assertLess(time.monotonic() - saved, RELOAD_LIMIT_S + 0.5)
        time.sleep(0.5)
        self.assertEqual(len(self.reloads(preview)), 1, "one save, one reload:\n" + preview.output_dump())
        # No --skin given: standard error says which skin is shown, once.
        self.assertEqual([line for line in preview.stderr_lines() if "--skin" in line],
                         ["trevandel-preview: showing skin live, the one SKIN in Trevandel.cfg names; "
                          "--skin NAME picks another"])

        save_atomically(app, "skins/live/late.png", png(10, 10, LATE))
        self.wait_for_pixels({(105, 25): pixel(*LATE), (65, 25): pixel(*ON)},
                             timeout=RELOAD_LIMIT_S, what="a new image the skin names")
        self.press("escape")
        self.assertExits(preview, 0)

    def test_a_broken_line_is_reported_and_its_fix_brings_the_page_back(self):
        app = self.make_live_app()
        preview = self.start_preview(app, "--page", "1")
        self.wait_for_pixels({(200, 200): hex_pixel("203040")})
        broken = SKIN.format(background="203040").replace("color,203040", "colour,203040")
        save_atomically(app, "skins/live/Trevandel.skin", broken.encode())
        preview.wait_for_line(r'^new: skins/live/Trevandel\.skin:6: unknown background type "colour"', timeout=10)
        self.wait_for_pixels({(200, 200): 0, (25, 25): pixel(*ON)}, what="page 1 without its background")
        save_atomically(app, "skins/live/Trevandel.skin", SKIN.format(background="203040").encode())
        preview.wait_for_line(r"^fixed: skins/live/Trevandel\.skin:6: ", timeout=10)
        self.wait_for_pixels({(200, 200): hex_pixel("203040")}, what="the background back")
        self.press("escape")
        self.assertExits(preview, 0)

    def test_a_skin_that_appears_later_is_shown(self):
        app = self.make_live_app()
        preview = self.start_preview(app, "--skin", "later")
        self.wait_for_pixels({(200, 200): 0}, what="nothing to show yet")
        preview.wait_for_line(r"^Trevandel\.cfg:2: SKIN names no skin: .*skins/later/", timeout=10)
        app.write_skin("later", "PAGE=0\nBACKGROUND=color,FF0000\n")
        self.wait_for_pixels({(200, 200): pixel(255, 0, 0)}, timeout=RELOAD_LIMIT_S, what="the new skin")
        self.press("escape")
        self.assertExits(preview, 0)

    def test_a_config_action_changes_only_the_preview(self):
        app = self.make_live_app()
        preview = self.start_preview(app, "--page", "1")
        self.wait_for_pixels({(200, 200): hex_pixel("203040")})
        for key in ("arrowright", "arrowdown", "b"):
            self.press(key)
        preview.wait_for_exact("Action is config--SKIN--other")
        self.wait_for_pixels({(200, 200): pixel(0, 255, 0)}, what="the picked skin")
        self.press("escape")
        self.assertExits(preview, 0)
        with open(app.file("Trevandel.cfg"), "rb") as f:
            self.assertEqual(f.read(), CFG)
        self.assertEqual([f for f in os.listdir(app.path) if f.startswith("Trevandel.newcfg")], [])


class SameFrameAsLauncher(PreviewTestCase):

    KEYS = ["right", "b", "down", "down"]

    def test_overlay_off_equals_the_launcher(self):
        app = harness.shipped_app()

        launcher = self.start(app)
        for key in self.KEYS:
            self.press(key)
        time.sleep(0.3)
        expected = self.xvfb.grab().image.pixels
        self.press("escape")
        self.assertExits(launcher, 0)

        preview = self.start_preview(app)
        for key in self.KEYS:
            self.press(key)
        time.sleep(0.3)
        self.assertEqual(self.xvfb.grab().image.pixels, expected, "preview frame differs from the launcher's")
        self.press("f1")
        time.sleep(0.3)
        self.assertNotEqual(self.xvfb.grab().image.pixels, expected, "F1 shows no overlay")
        self.press("f1")
        time.sleep(0.3)
        self.assertEqual(self.xvfb.grab().image.pixels, expected, "overlay off is not the launcher's frame")
        self.press("escape")
        self.assertExits(preview, 0)


if __name__ == "__main__":
    harness.main()
