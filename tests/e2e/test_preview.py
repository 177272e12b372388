#!/usr/bin/python3
"""trevandel-preview follows the skin's files as they are saved, reports mistakes, never saves."""

import os
import re
import shutil
import signal
import tempfile
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

    def make_live_app(self, background="203040"):
        app = self.make_app(skins={"live": SKIN.format(background=background), "other": OTHER_SKIN})
        app.write_bytes("Trevandel.cfg", CFG)
        app.write_bytes("skins/live/on.png", png(20, 10, ON))
        app.write_bytes("skins/live/off.png", png(20, 10, OFF))
        return app

    def reloads(self, preview):
        return [line for line in preview.lines() if line.startswith("trevandel-preview: reloaded ")]

    def wait_for_stderr(self, preview, pattern, timeout=10):
        deadline = time.monotonic() + timeout
        while not any(re.search(pattern, line) for line in preview.stderr_lines()):
            if time.monotonic() > deadline:
                self.fail("no standard error line matching %r:\n%s" % (pattern, preview.output_dump()))
            time.sleep(0.05)

    def private_tmpdir(self):
        """TMPDIR for the previews this test starts, so their scratch folders can be seen."""
        folder = tempfile.mkdtemp(prefix="trevandel-preview-tmp-")
        self.addCleanup(shutil.rmtree, folder, True)
        saved = os.environ.get("TMPDIR")
        os.environ["TMPDIR"] = folder
        self.addCleanup(lambda: os.environ.pop("TMPDIR") if saved is None
                        else os.environ.__setitem__("TMPDIR", saved))
        return folder


class LiveReload(PreviewTestCase):

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

    def test_a_burst_of_writes_is_one_reload_that_prints_only_the_report(self):
        app = self.make_live_app()
        app.write_bytes("Trevandel.cfg", CFG + b"\r\nSPEED_MENU=200")
        preview = self.start_preview(app, "--page", "1")
        self.wait_for_pixels({(200, 200): hex_pixel("203040")})
        time.sleep(0.3)
        # A generator writes picture after picture, each in pieces: a stream of changes without a
        # quiet moment that lasts longer than an editor's save.
        for i in range(11):
            data = png(16, 16, (i * 20, 0, 0))
            with open(app.file("skins/live/gen%02d.png" % i), "wb") as f:
                for at in range(0, len(data), 16):
                    f.write(data[at:at + 16])
                    f.flush()
                    time.sleep(0.003)
        time.sleep(1.0)
        self.assertEqual(len(self.reloads(preview)), 1, preview.output_dump())
        launcher_lines = [line for line in preview.lines()
                          if line.startswith(("Switching CPU", "Could not load image"))]
        self.assertEqual(launcher_lines, [], "a load's own output reached the author")
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


class LinksAndFolders(PreviewTestCase):

    def test_links_that_loop_are_watched_once(self):
        app = self.make_live_app()
        for name in ("a", "b", "c"):
            os.symlink(".", app.file("skins/live/" + name))
        preview = self.start(app, wait=False, argv=[self.preview_path(), app.path, "--page", "1"])
        preview.wait_for_line(FIRST_LINE, timeout=15)
        self.wait_for_pixels({(200, 200): hex_pixel("203040")})
        save_atomically(app, "skins/live/a/b/Trevandel.skin", SKIN.format(background="A0C0E0").encode())
        self.wait_for_pixels({(200, 200): hex_pixel("A0C0E0")}, timeout=RELOAD_LIMIT_S + 1,
                             what="an edit through the links")
        self.press("escape")
        self.assertExits(preview, 0)

    def test_the_application_folder_gone_and_back_is_followed(self):
        app = self.make_live_app()
        preview = self.start_preview(app, "--page", "1")
        self.wait_for_pixels({(200, 200): hex_pixel("203040")})
        away = app.path + ".away"
        self.addCleanup(shutil.rmtree, away, True)
        os.rename(app.path, away)
        self.wait_for_stderr(preview, r"^trevandel-preview: %s/ is gone; " % re.escape(app.path))
        # Back as a fresh copy, as a build stages it, with an edit of its own.
        shutil.copytree(away, app.path, symlinks=True)
        save_atomically(app, "skins/live/Trevandel.skin", SKIN.format(background="A0C0E0").encode())
        self.wait_for_pixels({(200, 200): hex_pixel("A0C0E0")}, timeout=RELOAD_LIMIT_S + 1,
                             what="the folder's return")
        self.wait_for_stderr(preview, r"^trevandel-preview: %s/ is back$" % re.escape(app.path))
        save_atomically(app, "skins/live/Trevandel.skin", SKIN.format(background="405060").encode())
        self.wait_for_pixels({(200, 200): hex_pixel("405060")}, timeout=RELOAD_LIMIT_S,
                             what="an edit in the returned folder")
        self.press("escape")
        self.assertExits(preview, 0)


class Signals(PreviewTestCase):

    # The two that SDL would turn into a close end it as a close does; the rest as they would
    # have, only without the scratch folder left behind.
    CASES = [(signal.SIGINT, 0), (signal.SIGTERM, 0), (signal.SIGHUP, -signal.SIGHUP),
             (signal.SIGQUIT, -signal.SIGQUIT), (signal.SIGPIPE, -signal.SIGPIPE)]

    def test_a_signal_at_rest_ends_the_preview_and_its_scratch_folder(self):
        tmpdir = self.private_tmpdir()
        app = self.make_app(CFG.decode(), {"live": OTHER_SKIN})
        for sig, status in self.CASES:
            preview = self.start_preview(app)
            self.wait_for_pixels({(200, 200): pixel(0, 255, 0)})
            self.assertEqual(len(os.listdir(tmpdir)), 1, "the preview's scratch folder")
            time.sleep(0.3)
            preview.proc.send_signal(sig)
            self.assertEqual(preview.wait_exit(timeout=5), status, "%s:\n%s" % (sig.name, preview.output_dump()))
            self.assertEqual(os.listdir(tmpdir), [], "%s left the scratch folder" % sig.name)


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
