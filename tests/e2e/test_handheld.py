#!/usr/bin/python3
"""The handheld launcher on stand-in devices: a plain file for the framebuffer, FIFOs of evdev
records for the input devices, a folder for /sys, scripts for the programs it starts.

Every frame is held against trevandel-shot's picture of the same page, converted to the
framebuffer's format. Runs natively and, built for ARM, under qemu (make test-arm).
"""

import argparse
import os
import shlex
import signal
import stat
import struct
import subprocess
import sys
import tempfile
import time
import unittest

import harness

EV_SYN, EV_KEY, EV_ABS = 0, 1, 3
KEY_UP, KEY_LEFT, KEY_RIGHT, KEY_DOWN, KEY_SPACE, BTN_EAST = 103, 105, 106, 108, 57, 0x131
ABS_X, ABS_Y, ABS_HAT0X = 0, 1, 0x10


class Handheld:
    shot = None
    record = None  # struct format of one input_event of the launcher's processor


def record_format(executable):
    """struct input_event as the executable's processor lays it out (two longs, two shorts, an int)."""
    with open(executable, "rb") as f:
        ident = f.read(6)
    assert ident[:4] == b"\x7fELF", "%s is no ELF program" % executable
    order = "<" if ident[5] == 1 else ">"
    return order + ("ll" if ident[4] == 1 else "qq") + "HHi"


class NoDisplay:
    """What harness.Launcher asks of its X server, for a launcher that needs none."""

    def __init__(self, variables):
        self.variables = variables

    def env(self):
        env = dict(os.environ)
        env.pop("DISPLAY", None)
        env.update(self.variables)
        return env

    def wait_for_window(self, timeout=30):
        pass


class Device:
    """A FIFO standing in for an evdev device; the test holds its writing end."""

    def __init__(self, path):
        self.path = path
        # Made aside and moved into place with its writer already there: a FIFO the launcher
        # opens before anyone writes to it reads as a device that has gone.
        os.mkfifo(path + ".new")
        self.fd = os.open(path + ".new", os.O_RDWR)
        os.rename(path + ".new", path)

    def send(self, *events):
        data = b"".join(struct.pack(Handheld.record, 0, 0, t, c, v) for t, c, v in events)
        os.write(self.fd, data + struct.pack(Handheld.record, 0, 0, EV_SYN, 0, 0))

    def key(self, code, value):
        self.send((EV_KEY, code, value))

    def tap(self, code):
        self.key(code, 1)
        self.key(code, 0)

    def unplug(self):
        os.close(self.fd)
        os.unlink(self.path)


def expected_frame(png_path, fmt, upside_down=False):
    """The shot's picture as the framebuffer holds it: every pixel in the format's layout,
    scaled by the largest whole factor, centred on black, turned if asked."""
    width, height, bpp = fmt["size"]
    line, fields = fmt["line"], fmt["fields"]
    scale = min(width // 320, height // 240)
    left, top = (width - 320 * scale) // 2, (height - 240 * scale) // 2
    pixel_bytes = bpp // 8
    pack = "<H" if bpp == 16 else "<I"

    def screen_pixel(r, g, b):
        if bpp == 16 and fields == RGB565:
            # The screen's own format: each channel's top five bits, green's sixth bit clear.
            return (r >> 3) << 11 | (g >> 3) << 6 | (b >> 3)
        value = 0
        for (offset, length), channel in zip(fields, (r, g, b)):
            value |= (channel >> (8 - length)) << offset
        return value

    black = struct.pack(pack, screen_pixel(0, 0, 0))
    page = bytearray(b"".join([bytes(black * width) + b"\0" * (line - width * pixel_bytes)] * height))
    rows = harness.png_pixels(png_path)
    for y in range(240):
        source = rows[239 - y if upside_down else y]
        if upside_down:
            source = source[::-1]
        row = b"".join(struct.pack(pack, screen_pixel(*rgb)) * scale for rgb in source)
        for copy in range(scale):
            at = (top + y * scale + copy) * line + left * pixel_bytes
            page[at:at + len(row)] = row
    return bytes(page)


RGB565 = ((11, 5), (5, 6), (0, 5))
XRGB = ((16, 8), (8, 8), (0, 8))
XBGR = ((0, 8), (8, 8), (16, 8))


class HandheldRig(unittest.TestCase):
    """The stand-in devices and the launcher on them, for the tests here and for the card's."""

    def setUp(self):
        self.work = os.path.realpath(tempfile.mkdtemp(prefix="trevandel-handheld-"))
        harness._cleanups.append(lambda: subprocess.run(["rm", "-rf", self.work]))
        self.launchers = []

    def tearDown(self):
        for launcher in self.launchers:
            if launcher.running():
                launcher.kill()
            reports = launcher.sanitizer_reports()
            if reports:
                self.fail("sanitizer report:\n" + "\n".join(launcher.stderr_lines()[-60:]))

    # -- stand-ins ------------------------------------------------------------

    def framebuffer(self, fmt):
        path = os.path.join(self.work, "fb")
        with open(path, "wb") as f:
            f.truncate(fmt["line"] * fmt.get("virtual", fmt["size"][1]))
        width, height, bpp = fmt["size"]
        words = ["%dx%dx%d" % (width, height, bpp), "line=%d" % fmt["line"],
                 "virtual=%d" % fmt.get("virtual", height)]
        for name, (offset, length) in zip(("red", "green", "blue"), fmt["fields"]):
            words.append("%s=%d:%d" % (name, offset, length))
        return path, " ".join(words)

    def sysfs(self, battery=None, cpufreq=None):
        root = os.path.join(self.work, "sys")
        os.makedirs(os.path.join(root, "class", "power_supply", "AC"), exist_ok=True)
        self.write(os.path.join(root, "class/power_supply/AC/type"), "Mains\n")
        if battery:
            for name, value in battery.items():
                self.write(os.path.join(root, "class/power_supply/BAT0", name), value + "\n")
        if cpufreq:
            for name, value in cpufreq.items():
                self.write(os.path.join(root, "devices/system/cpu/cpu0/cpufreq", name), value + "\n")
        return root

    def cpufreq(self, root, name):
        with open(os.path.join(root, "devices/system/cpu/cpu0/cpufreq", name)) as f:
            return f.read().strip()

    @staticmethod
    def write(path, text, mode=0o644):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write(text)
        os.chmod(path, mode)

    def app(self, cfg=None, skin=None):
        if skin is None:
            app = harness.shipped_app()
        else:
            app = harness.AppDir(harness.Options.launcher, harness.Options.data, cfg, {"hh": skin})
        return app

    def start(self, app, fb, fmt_text, inputs=(), sysfs=None, extra=None, argv=None):
        variables = {"TREVANDEL_FRAMEBUFFER": fb, "TREVANDEL_SCREEN_FORMAT": fmt_text,
                     "TREVANDEL_INPUT_DEVICES": ",".join(inputs) or os.path.join(self.work, "none/"),
                     "TREVANDEL_SYSFS": sysfs or os.path.join(self.work, "nosys")}
        variables.update(extra or {})
        launcher = harness.Launcher(NoDisplay(variables), app, argv=argv)
        self.launchers.append(launcher)
        launcher.wait_ready()
        return launcher

    def shot(self, app, args, name):
        out = os.path.join(self.work, name + ".png")
        subprocess.run([Handheld.shot, "--app", app.path, "--out", out] + args, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return out

    def wait_for_frame(self, fb, want, offset=0, timeout=30, what="frame"):
        deadline = time.monotonic() + timeout
        while True:
            with open(fb, "rb") as f:
                f.seek(offset)
                got = f.read(len(want))
            if got == want:
                return
            if time.monotonic() > deadline:
                first = next(i for i in range(len(want)) if got[i:i + 1] != want[i:i + 1])
                self.fail("%s: %d bytes differ, the first at byte %d" %
                          (what, sum(a != b for a, b in zip(got, want)), first))
            time.sleep(0.05)

    def assertLinesInOrder(self, launcher, expected, index=0):
        for text in expected:
            index = launcher.wait_for_exact(text, start=index) + 1
        return index

    def quit(self, launcher):
        launcher.proc.send_signal(signal.SIGTERM)
        self.assertEqual(launcher.wait_exit(), 0, launcher.output_dump())
        self.assertIn("Quit issued", launcher.lines())


class HandheldLauncher(HandheldRig):

    def test_every_format_shows_the_shots_frame(self):
        """16 and 32 bits, 320x240, 640x480, an odd size with padded rows, 180 degrees, two pages;
        the battery and the clock from each kind of /sys."""
        app = self.app()
        page0 = self.shot(app, ["--page", "0"], "page0")
        userspace = {"scaling_governor": "userspace", "scaling_cur_freq": "400000",
                     "scaling_setspeed": "400000", "scaling_available_frequencies": "100000 250000 400000"}
        runs = [
            ({"size": (320, 240, 16), "line": 640, "fields": RGB565}, False, userspace, "250000"),
            ({"size": (640, 480, 32), "line": 2560, "fields": XRGB}, False,
             dict(userspace, scaling_governor="ondemand"), "400000"),
            ({"size": (800, 600, 16), "line": 1664, "fields": RGB565}, True, None, None),
            ({"size": (320, 240, 32), "line": 1280, "fields": XBGR, "virtual": 480}, False, None, None),
        ]
        for fmt, upside_down, cpufreq, menu_speed in runs:
            with self.subTest(format=fmt["size"], upside_down=upside_down):
                fb, text = self.framebuffer(fmt)
                sysfs = self.sysfs(cpufreq=cpufreq) if cpufreq else None
                extra = {"TREVANDEL_SCREEN_ROTATION": "180"} if upside_down else {}
                launcher = self.start(app, fb, text, sysfs=sysfs, extra=extra)
                launcher.wait_for_exact("Switching CPU to 200 Mhz, display to PLL -1, prescalar -1")
                want = expected_frame(page0, fmt, upside_down)
                page = len(want)
                if fmt.get("virtual"):
                    # Two pages: the first frame goes to the one not shown at the start.
                    self.wait_for_frame(fb, want, offset=page, what="page 1 of %s" % (fmt["size"],))
                else:
                    self.wait_for_frame(fb, want, what="%s" % (fmt["size"],))
                if menu_speed:
                    self.assertEqual(self.cpufreq(sysfs, "scaling_setspeed"), menu_speed)
                self.quit(launcher)
                if cpufreq:
                    self.assertEqual(self.cpufreq(sysfs, "scaling_setspeed"), "400000",
                                     "the speed found must be back")

    def test_a_screen_it_cannot_use_is_named_with_what_it_found(self):
        app = self.app()
        for size, reason in (((160, 120, 16), "160x120, 16 bits per pixel: the menu needs at least 320x240"),
                             ((320, 240, 24), "320x240, 24 bits per pixel: only 16 and 32 bits per pixel can be drawn")):
            with self.subTest(size=size):
                fmt = {"size": size, "line": size[0] * size[2] // 8, "fields": RGB565}
                fb, text = self.framebuffer(fmt)
                variables = {"TREVANDEL_FRAMEBUFFER": fb, "TREVANDEL_SCREEN_FORMAT": text,
                             "TREVANDEL_INPUT_DEVICES": os.path.join(self.work, "none/")}
                launcher = harness.Launcher(NoDisplay(variables), app)
                self.launchers.append(launcher)
                self.assertEqual(launcher.wait_exit(), 1, launcher.output_dump())
                self.assertIn("trevandel: %s: %s" % (fb, reason), launcher.stderr_lines())

    def test_controls_battery_and_devices_that_come_and_go(self):
        skin = ("PAGE=0\nBACKGROUND=color,000000\nBUTTON=0\nTYPE=text,10,10,FFFFFF,FFFF00,%battery%\n"
                "LEFT=exec,,left\nRIGHT=exec,,right\nUP=exec,,up\nDOWN=exec,,down\nACTION=exec,,action\n"
                "RETURN=exec,,back\n")
        cfg = ("SKIN=hh\nSPEED_MENU=100\nLAUNCH=print\nKEYBOARD_RATE=9999,1\n"
               "CONTROL_B=KEY_SPACE,BTN_EAST\n")
        app = self.app(cfg, skin)
        fmt = {"size": (320, 240, 16), "line": 640, "fields": RGB565}
        fb, text = self.framebuffer(fmt)
        keys = Device(os.path.join(self.work, "keys"))
        pad = Device(os.path.join(self.work, "pad"))
        sysfs = self.sysfs(battery={"type": "Battery", "capacity": "57"})
        launcher = self.start(app, fb, text, inputs=[keys.path, pad.path], sysfs=sysfs)
        self.assertLinesInOrder(launcher, ["Found input device " + keys.path, "Found input device " + pad.path,
                                           "Switching CPU to 100 Mhz, display to PLL -1, prescalar -1"])
        # The battery's charge, read from /sys, is what the text shows.
        app.write_skin("lit", skin.replace("%battery%", "57"))
        self.wait_for_frame(fb, expected_frame(self.shot(app, ["--skin", "lit"], "lit"), fmt),
                            what="battery text")

        def acts(word, start):
            return launcher.wait_for_exact("Action is exec----" + word, start=start) + 1

        at = len(launcher.lines())
        keys.tap(KEY_DOWN)
        at = acts("down", at)
        # A remapped key, and the kernel's own repeat of a held key, which must not act again.
        keys.key(KEY_SPACE, 1)
        keys.key(KEY_SPACE, 2)
        keys.key(KEY_SPACE, 0)
        at = acts("action", at)
        pad.send((EV_ABS, ABS_HAT0X, -1))
        pad.send((EV_ABS, ABS_HAT0X, 0))
        at = acts("left", at)
        # The stick: a little way from the centre is nothing, past half its travel a direction.
        pad.send((EV_ABS, ABS_Y, 9000))
        pad.send((EV_ABS, ABS_Y, -30000))
        pad.send((EV_ABS, ABS_Y, 0))
        at = acts("up", at)
        time.sleep(0.3)
        self.assertEqual(sum(line.startswith("Action is") for line in launcher.lines()[at:]), 0,
                         "an input acted twice: " + launcher.output_dump())

        # The pad goes away with the stick held right: nothing stays held, the keys go on.
        pad.send((EV_ABS, ABS_X, 32000))
        at = acts("right", at)
        pad.unplug()
        at = launcher.wait_for_exact("Lost input device " + pad.path, start=at) + 1
        keys.tap(BTN_EAST)
        at = acts("action", at)
        # It comes back.
        pad = Device(pad.path)
        at = launcher.wait_for_exact("Found input device " + pad.path, start=at) + 1
        pad.send((EV_ABS, ABS_HAT0X, 1))
        pad.send((EV_ABS, ABS_HAT0X, 0))
        at = acts("right", at)

        # At rest it sleeps until something comes.
        time.sleep(0.3)
        before = harness.context_switches(launcher.proc.pid)
        time.sleep(1.0)
        self.assertLessEqual(harness.context_switches(launcher.proc.pid) - before, 2)
        self.quit(launcher)

    def test_programs_run_with_the_devices_handed_over_and_the_menu_comes_back(self):
        games = os.path.join(self.work, "games")
        record = os.path.join(self.work, "record")
        body = ('#!/bin/sh\n{ echo "args: $*"; echo "cwd: $(pwd)"; ls -l /proc/$PPID/fd; } > "%s"\n'
                % record)
        self.write(os.path.join(games, "a_three.sh"), body + "exit 3\n", 0o755)
        self.write(os.path.join(games, "b_killed.sh"), body + "kill -9 $$\n", 0o755)
        self.write(os.path.join(games, "c_plain.txt"), "not a program\n")
        skin = ("PAGE=0\nBACKGROUND=color,203040\nBUTTON=0\nTYPE=selector,10,0,300,224\n"
                "OPTIONS=startdir,%s/\nOPTIONS=color,FFFFFF,FFFF00,808080\n"
                "ACTION=exec,%%p0%%,%%P0%%,one,two words\nRIGHT=exec,/no/such/folder/,./x\n"
                "LEFT=exec,,/no/such/program\n" % games)
        app = self.app("SKIN=hh\nSPEED_MENU=100\n", skin)
        fmt = {"size": (320, 240, 16), "line": 640, "fields": RGB565}
        fb, text = self.framebuffer(fmt)
        keys = Device(os.path.join(self.work, "keys"))
        launcher = self.start(app, fb, text, inputs=[keys.path])
        launcher.wait_for_exact("Switching CPU to 100 Mhz, display to PLL -1, prescalar -1")
        # Down twice: the third entry, as the shot shows it after the same keys.
        keys.tap(KEY_DOWN)
        keys.tap(KEY_DOWN)
        on_list = expected_frame(self.shot(app, ["down", "down"], "list"), fmt)
        self.wait_for_frame(fb, on_list, what="list cursor")

        # b_killed.sh is on the cursor line; a_three.sh is the entry above it.
        for keys_before, script, ending in ((["down", "down"], "b_killed.sh", "Ended by signal 9"),
                                            (["down"], "a_three.sh", "Exited with status 3")):
            with self.subTest(script=script):
                if os.path.exists(record):
                    os.unlink(record)
                at = len(launcher.lines())
                if script == "a_three.sh":
                    keys.tap(KEY_UP)
                keys.tap(BTN_EAST)
                path = os.path.join(games, script)
                at = launcher.wait_for_exact("CHDIR: %s/" % games, start=at)
                launcher.wait_for_exact(ending, start=at)
                self.assertEqual(launcher.lines()[at + 1:at + 5],
                                 ["RUN00: " + path, "RUN01: one", "RUN02: two words", ending])
                with open(record) as f:
                    seen = f.read()
                self.assertIn("args: one two words\n", seen)
                self.assertIn("cwd: %s\n" % games, seen)
                self.assertNotIn(fb, seen, "the framebuffer stayed open while the program ran")
                self.assertNotIn(keys.path, seen, "an input device stayed open while the program ran")
                # The same page, the same list position, as if nothing had happened.
                expected = expected_frame(self.shot(app, keys_before, script), fmt)
                self.wait_for_frame(fb, expected, what="the menu after " + script)

        # What cannot be started is said, and the menu goes on.
        at = len(launcher.lines())
        keys.tap(KEY_RIGHT)
        at = launcher.wait_for_exact("Could not change to /no/such/folder/: No such file or directory",
                                     start=at)
        keys.tap(KEY_LEFT)
        launcher.wait_for_exact("Could not start /no/such/program: No such file or directory", start=at)
        keys.tap(KEY_DOWN)
        self.wait_for_frame(fb, expected_frame(self.shot(app, ["down", "down"], "after"), fmt),
                            what="the menu after the failed starts")
        self.quit(launcher)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--shot", required=True, help="trevandel-shot, for the reference frames")
    args, rest = parser.parse_known_args()
    Handheld.shot = os.path.abspath(args.shot)
    sys.argv = [sys.argv[0]] + rest
    launcher_at = sys.argv.index("--launcher") + 1
    Handheld.record = record_format(sys.argv[launcher_at])
    harness.main()


if __name__ == "__main__":
    main()
