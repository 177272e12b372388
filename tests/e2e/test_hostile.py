#!/usr/bin/python3
"""Hostile skins, images and trees: the real launcher keeps answering keys and exits 0 on Escape."""

import os
import struct
import zlib

import harness

BLUE, GREEN = 0x001F, 0x07C0

# Every hostile page 0 returns to this page on X; its colour shows the launcher still answers.
PROBE_PAGE = """\
PAGE=126
BACKGROUND=color,00FF00
"""

CONTROLS = ("up", "down", "left", "right", "b", "l", "r", "a", "y", "push", "voldown", "volup")


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def forged_png(width, height):
    """A well-formed PNG whose header claims width x height RGB pixels; its data is one short row."""
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(b"\0" * 49)) + chunk(b"IEND", b""))


def solid_png(width, height, rgb):
    row = b"\0" + bytes(rgb) * width
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(row * height)) + chunk(b"IEND", b""))


class Hostile(harness.LauncherTestCase):

    def assert_still_answers_and_quits(self, launcher):
        """Every control, then X to the probe page, then Escape: exit status 0, no sanitizer report."""
        for control in CONTROLS:
            self.press(control)
        self.press("x")
        self.wait_for_pixels({(0, 0): GREEN, (160, 120): GREEN, (319, 239): GREEN}, what="probe page")
        self.assertTrue(launcher.running())
        self.press("escape")
        self.assertExits(launcher, 0)
        self.assertEqual(launcher.sanitizer_reports(), [])

    def test_fifo_dat_file_in_a_browsed_directory_does_not_block(self):
        app = self.make_app("SKIN=h\n")
        tree = app.base + "tree/"
        app.write("tree/games/a.gpe", "")
        # Nobody ever writes to it: an open that waits for a writer would hang the launcher.
        os.mkfifo(app.file("tree/games/Trevandel.dat"))
        app.write_skin("h", "PAGE=0\nBACKGROUND=color,0000FF\nRETURN=page,126\nBUTTON=0\n"
                            "TYPE=selector,10,10,310,230\nOPTIONS=startdir,%s\nACTION=exec,%%p0%%,%%P0%%\n"
                            % tree + PROBE_PAGE)
        launcher = self.start(app)
        self.wait_for_pixels({(0, 0): BLUE}, what="list page")
        self.press("down")                      # ../ -> games/
        self.press("b")
        index = launcher.wait_for_exact("Changed to %sgames/" % tree)
        self.press("down")                      # ../ -> a.gpe, listed as an ordinary file
        self.press("b")
        self.assertLinesInOrder(launcher, ["CHDIR: %sgames/" % tree,
                                           "RUN00: %sgames/a.gpe" % tree], start=index)
        self.assert_still_answers_and_quits(launcher)

    def test_images_that_are_fifos_devices_or_broken(self):
        app = self.make_app("SKIN=h\n")
        skin_dir = "skins/h/"
        os.makedirs(app.file(skin_dir))
        os.mkfifo(app.file(skin_dir + "fifo.png"))
        os.makedirs(app.file(skin_dir + "folder.png"))
        app.write_bytes(skin_dir + "empty.png", b"")
        app.write_bytes(skin_dir + "giant.png", forged_png(60000, 60000))
        whole = solid_png(32, 32, (255, 0, 0))
        app.write_bytes(skin_dir + "truncated.png", whole[:len(whole) // 2])
        names = ["fifo.png", "folder.png", "empty.png", "giant.png", "truncated.png"]
        skin = "PAGE=0\nBACKGROUND=image,%skindir%fifo.png\nRETURN=page,126\n"
        for slot, name in enumerate(names):
            skin += "BUTTON=%d\nTYPE=image,%d,0,%%skindir%%%s\n" % (slot, slot * 40, name)
        skin += "BUTTON=9\nTYPE=image,0,100,/dev/stdin,/dev/zero\n"
        app.write_skin("h", skin + PROBE_PAGE)
        launcher = self.start(app)
        for name in names:
            launcher.wait_for_exact("Could not load image %s%s%s" % (app.base, skin_dir, name))
        launcher.wait_for_exact("Could not load image /dev/stdin")
        launcher.wait_for_exact("Could not load image /dev/zero")
        self.assert_still_answers_and_quits(launcher)

    def test_a_skin_full_of_hostile_statements(self):
        app = self.make_app("SKIN=h\n")
        big = app.file("big")
        os.makedirs(big)
        for i in range(20000):
            open(os.path.join(big, "f%05d.gpe" % i), "w").close()
        exec_words = ",".join("w%d" % i for i in range(300))
        long_text = "M" * (2 * 1024 * 1024)
        skin = ("STARTPAGE=-1\nSTARTPAGE=99999\nPAGE=128\nBUTTON=0\nTYPE=rect,0,0,9,9,FF0000\n"
                "PAGE=-5\nBACKGROUND=color,FF0000\n"
                "VARIABLE=P,100%,%%,%\n"
                "PAGE=0\nBACKGROUND=color,0000FF\nRETURN=page,126\n"
                "BUTTON=64\nTYPE=rect,0,0,9,9,FF0000\nBUTTON=-1\nACTION=quit\nBUTTON=99999\n"
                "BUTTON=0\nTYPE=selector,10,200,300,20\nOPTIONS=startdir,BIG/\n"
                "NAVIGATION=5,1\nACTION=exec,/g,EXEC\n"
                "BUTTON=1\nTYPE=text,-5,-5,FFFFFF,FFFFFF,%%battery%%%P[9]%%P%%unmatched\n"
                "NAVIGATION=0,2\nACTION=page,,%%\n"
                "BUTTON=2\nTYPE=text,0,120,FFFFFF,FFFFFF,LONG\nNAVIGATION=1,3\n"
                "BUTTON=3\nTYPE=image,-100000,2147483647\nNAVIGATION=2,4\nACTION=page\n"
                "BUTTON=4\nTYPE=text,319,239,FFFFFF,FFFFFF,edge\nNAVIGATION=3,5\nACTION=exec\n"
                "BUTTON=5\nTYPE=selector\nNAVIGATION=4,0\nACTION=select,64\n")
        skin = skin.replace("BIG", big).replace("EXEC", exec_words).replace("LONG", long_text)
        skin += PROBE_PAGE + "PAGE=1\nBUTTON=0\n\0TYPE=rect,0,0,319,239,FF0000\n"
        app.write_bytes("skins/h/Trevandel.skin", skin.encode())
        launcher = self.start(app, wait=False)
        launcher.wait_ready(timeout=120)
        self.wait_for_pixels({(160, 60): BLUE, (319, 0): BLUE}, timeout=60, what="hostile page")
        self.press("down")                      # ../ -> the first file
        self.press("b")
        index = launcher.wait_for_exact("RUN00: w0")
        launcher.wait_for_exact("RUN255: w255", start=index)
        for _ in range(6):
            for control in ("down", "r", "up", "l", "b", "right"):
                self.press(control)
        self.assertFalse([line for line in launcher.lines() if line.startswith("RUN256")])
        self.assert_still_answers_and_quits(launcher)

    def test_directory_names_in_a_config_action(self):
        app = self.make_app("// keep\nSKIN=h\n")
        tree = app.base + "tree/"
        os.makedirs(app.file("tree/comma,name"))
        os.makedirs(app.file("tree/line\nfeed"))
        app.write_skin("h", "PAGE=0\nBACKGROUND=color,0000FF\nRETURN=page,126\nBUTTON=0\n"
                            "TYPE=selector,10,10,310,230\nOPTIONS=startdir,%s\n"
                            "LEFT=config,LASTDIR,%%0%%\n" % tree + PROBE_PAGE)
        launcher = self.start(app)
        self.wait_for_pixels({(0, 0): BLUE}, what="list page")
        self.press("down")                      # ../ -> comma,name/
        self.press("left")
        index = self.assertLinesInOrder(launcher, ["Start: %s" % app.launcher, "Basedir is %s" % app.base])
        launcher.wait_for_exact("CFG: LASTDIR=comma,name/", start=index)
        saved = app.read("Trevandel.cfg")
        self.assertIn("\nLASTDIR=comma,name/\n", saved)

        self.wait_for_pixels({(0, 0): BLUE}, what="list page after the restart")
        self.press("down")
        self.press("down")                      # ../ -> comma,name/ -> line\nfeed/
        self.press("left")
        restart = launcher.wait_for_exact("Start: %s" % app.launcher, start=index)
        launcher.wait_for_line("^Basedir is ", start=restart + 1)
        self.assertEqual(app.read("Trevandel.cfg"), saved)
        self.assertEqual([f for f in os.listdir(app.path) if f.startswith("Trevandel.newcfg")], [])
        self.wait_for_pixels({(0, 0): BLUE}, what="list page after the refused save")
        self.assert_still_answers_and_quits(launcher)

    def test_missing_font_sheet(self):
        app = self.make_app("SKIN=h\n")
        if app.has_font:
            os.remove(app.file(harness.FONT_NAME))
        app.write("tree/a.gpe", "")
        app.write_skin("h", "PAGE=0\nBACKGROUND=color,0000FF\nRETURN=page,126\nBUTTON=0\n"
                            "TYPE=selector,0,0,319,239\nOPTIONS=startdir,%stree/\nBUTTON=1\n"
                            "TYPE=text,0,0,FFFFFF,FFFFFF,no glyphs\n" % app.base + PROBE_PAGE)
        launcher = self.start(app)
        self.wait_for_pixels({(0, 0): BLUE, (4, 4): BLUE, (20, 6): BLUE}, what="page without text")
        self.assertFalse([line for line in launcher.lines() if line.startswith("Loaded font")])
        self.assert_still_answers_and_quits(launcher)


if __name__ == "__main__":
    harness.main()
