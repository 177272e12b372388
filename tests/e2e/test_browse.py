#!/usr/bin/python3
"""Directory lists: moving, entering and leaving folders, starting a file, and a config action fed by a list."""

import os
import struct

import harness

BLUE, GREEN = 0x001F, 0x07C0

TREE_SKIN = """\
PAGE=0
BACKGROUND=color,0000FF
BUTTON=0
TYPE=selector,10,10,310,230
OPTIONS=startdir,{tree}
OPTIONS=filter,.gpe
ACTION=exec,%p0%,%P0%
"""

CHOOSER_SKIN = """\
PAGE=0
BACKGROUND=color,0000FF
BUTTON=0
TYPE=selector,10,10,310,230
OPTIONS=startdir,%basedir%skins/
OPTIONS=type,dir
ACTION=config,SKIN,%0%
"""

GREEN_SKIN = """\
PAGE=0
BACKGROUND=color,00FF00
"""


def font_line_height(app):
    """Line height of the copied glyph sheet (its height less the marker row), or None."""
    if not app.has_font:
        return None
    with open(app.file(harness.FONT_NAME), "rb") as f:
        header = f.read(24)
    return struct.unpack(">I", header[20:24])[0] - 1


class Browse(harness.LauncherTestCase):

    def make_tree(self, app):
        # Listed with the filter .gpe: ../, alpha/, beta/, run.gpe (readme.txt is filtered out).
        for relative in ("tree/alpha/game.gpe", "tree/alpha/notes.txt", "tree/run.gpe", "tree/readme.txt"):
            app.write(relative, "")
        os.makedirs(app.file("tree/beta"))
        return app.base + "tree/"

    def test_enter_folder_start_file_and_go_up(self):
        app = self.make_app("SKIN=tree\n")
        tree = self.make_tree(app)
        app.write_skin("tree", TREE_SKIN.format(tree=tree))
        launcher = self.start(app)
        screen = self.wait_for_pixels({(0, 0): BLUE, (319, 239): BLUE}, what="tree page")
        self.check_list_layout(app, screen)

        self.press("down")                      # ../ -> alpha/
        self.press("b")
        index = launcher.wait_for_exact("Changed to %salpha/" % tree)
        self.press("down")                      # ../ -> game.gpe
        self.press("b")
        index = self.assertLinesInOrder(launcher, [
            "Action is exec--%salpha/--%salpha/game.gpe" % (tree, tree),
            "CHDIR: %salpha/" % tree,
            "RUN00: %salpha/game.gpe" % tree], start=index)
        self.assertEqual(launcher.lines()[index - 3:index], [
            "Action is exec--%salpha/--%salpha/game.gpe" % (tree, tree),
            "CHDIR: %salpha/" % tree,
            "RUN00: %salpha/game.gpe" % tree])

        self.press("up")                        # game.gpe -> ../
        self.press("b")
        index = launcher.wait_for_exact("Changed to %s" % tree, start=index) + 1
        # Going up puts the cursor on the folder just left: two steps down reach run.gpe.
        self.press("down")
        self.press("down")
        self.press("b")
        self.assertLinesInOrder(launcher, [
            "Action is exec--%s--%srun.gpe" % (tree, tree),
            "CHDIR: %s" % tree,
            "RUN00: %srun.gpe" % tree], start=index)
        self.assertFalse([l for l in launcher.lines() if "readme.txt" in l or "notes.txt" in l])

        self.press("escape")
        self.assertExits(launcher, 0)

    def check_list_layout(self, app, screen):
        """At the top of a list the lines above the cursor line stay empty and the cursor line is drawn."""
        height = font_line_height(app)
        if not height:
            return
        rows = (230 - 10) // height
        cursor_top = 10 + (rows // 2) * height
        above = [(x, y) for y in range(10, cursor_top) for x in range(10, 200) if screen.pixel(x, y) != BLUE]
        self.assertEqual(above, [], "list lines above the cursor are not empty")
        cursor_line = [(x, y) for y in range(cursor_top, cursor_top + height) for x in range(10, 60)
                       if screen.pixel(x, y) != BLUE]
        self.assertTrue(cursor_line, "nothing drawn on the cursor line at y=%d" % cursor_top)

    def test_config_action_from_list_variable(self):
        # Directories only, no ../: chooser, green.
        app = self.make_app("// pick a skin\nSKIN=chooser\n", {"chooser": CHOOSER_SKIN, "green": GREEN_SKIN})
        launcher = self.start(app)
        self.wait_for_pixels({(0, 0): BLUE}, what="chooser page")
        launcher.wait_for_exact("CFG: SKIN=chooser")

        self.press("down")
        self.press("b")
        index = self.assertLinesInOrder(launcher, [
            "Action is config--SKIN--green",
            "Start: %s" % app.launcher,
            "Basedir is %s" % app.base])
        launcher.wait_for_exact("CFG: SKIN=green", start=index)
        self.wait_for_pixels({(0, 0): GREEN, (160, 120): GREEN, (319, 239): GREEN}, what="green skin")
        self.assertEqual(app.read("Trevandel.cfg"), "// pick a skin\nSKIN=green\n")
        self.assertFalse([l for l in launcher.lines() if l.startswith("Changed to")], launcher.lines())

        self.press("escape")
        self.assertExits(launcher, 0)


if __name__ == "__main__":
    harness.main()
