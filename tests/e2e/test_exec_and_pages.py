#!/usr/bin/python3
"""Program launch output, page switches without output, and the page's return action."""

import os

import harness

GREEN, BLUE = 0x07C0, 0x001F

SKIN = """\
PAGE=0
BACKGROUND=color,00FF00
BUTTON=0
TYPE=rect,10,10,20,20,0000FF
ACTION=exec,/mnt/sd/emu,./emu.gpe,rom.bin
RIGHT=page,1
LEFT=page,1,extra
PAGE=1
BACKGROUND=gradient,000000,FFFFFF
RETURN=page,0
"""

CFG = "SKIN=pages\n"

PAGE0 = {(0, 0): GREEN, (319, 239): GREEN, (15, 15): BLUE, (21, 21): GREEN}
# One colour per row, identical across the row.
PAGE1 = {}
for x in (0, 15, 160, 319):
    PAGE1.update({(x, 0): 0x0000, (x, 1): 0x0000, (x, 120): 0x7BCF, (x, 239): 0xFFDF})


class ExecAndPages(harness.LauncherTestCase):

    def setUp(self):
        super().setUp()
        self.app = self.make_app(CFG, {"pages": SKIN})
        self.launcher = self.start(self.app)
        self.wait_for_pixels(PAGE0, what="page 0")

    def action_lines(self):
        return [l for l in self.launcher.lines() if l.startswith("Action is")]

    def test_exec_prints_directory_and_arguments(self):
        self.press("b")
        start = self.launcher.wait_for_exact("Action is exec--/mnt/sd/emu--./emu.gpe--rom.bin")
        self.launcher.wait_for_exact("RUN01: rom.bin", start=start)
        self.assertEqual(self.launcher.lines()[start:start + 4],
                         ["Action is exec--/mnt/sd/emu--./emu.gpe--rom.bin",
                          "CHDIR: /mnt/sd/emu", "RUN00: ./emu.gpe", "RUN01: rom.bin"])
        # The launch is only printed: the launcher stays on its page.
        self.wait_for_pixels(PAGE0, what="page 0 after exec")
        self.assertTrue(self.launcher.running())
        self.press("b")
        self.launcher.wait_for_exact("RUN01: rom.bin", start=start + 4)
        self.assertEqual(len(self.action_lines()), 2)
        self.press("escape")
        self.assertExits(self.launcher, 0)

    def test_page_switch_and_return(self):
        self.press("right")
        self.wait_for_pixels(PAGE1, what="page 1 gradient")
        self.press("x")
        self.wait_for_pixels(PAGE0, what="page 0 after back with x")
        self.press("right")
        self.wait_for_pixels(PAGE1, what="page 1 again")
        self.press("start")
        self.wait_for_pixels(PAGE0, what="page 0 after back with start")
        self.assertEqual(self.action_lines(), [], "page switches must print nothing")
        self.press("escape")
        self.assertExits(self.launcher, 0)

    def test_page_action_with_extra_word_is_printed_not_run(self):
        self.press("left")
        self.launcher.wait_for_exact("Action is page--1--extra")
        self.wait_for_pixels(PAGE0, what="still page 0")
        self.press("escape")
        self.assertExits(self.launcher, 0)


class ExecForReal(harness.LauncherTestCase):
    """LAUNCH=run: the desktop launcher starts the program with its window closed meanwhile."""

    def test_the_program_runs_in_its_folder_and_the_page_comes_back(self):
        app = self.make_app("SKIN=run\nLAUNCH=run\n", {"run": SKIN.replace(
            "ACTION=exec,/mnt/sd/emu,./emu.gpe,rom.bin", "ACTION=exec,%basedir%games/,./emu.sh,rom.bin")})
        record = app.file("record")
        app.write("games/emu.sh", '#!/bin/sh\necho "$(pwd) $*" > "%s"\nexit 4\n' % record)
        os.chmod(app.file("games/emu.sh"), 0o755)
        launcher = self.start(app)
        self.wait_for_pixels(PAGE0, what="page 0")
        self.press("b")
        start = launcher.wait_for_exact("Action is exec--%sgames/--./emu.sh--rom.bin" % app.base)
        self.assertEqual(launcher.lines()[launcher.wait_for_exact("Exited with status 4", start=start) - 3:][:3],
                         ["CHDIR: %sgames/" % app.base, "RUN00: ./emu.sh", "RUN01: rom.bin"])
        with open(record) as f:
            self.assertEqual(f.read(), "%sgames rom.bin\n" % app.base)
        self.wait_for_pixels(PAGE0, what="page 0 after the program")
        self.press("escape")
        self.assertExits(launcher, 0)


if __name__ == "__main__":
    harness.main()
