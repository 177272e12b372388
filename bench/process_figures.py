#!/usr/bin/env python3
"""Idle wake-ups and CPU, key repeat and peak memory of the real launcher in a private Xvfb server,
beside the same launcher paced 1 ms per turn even at rest; writes them as JSON."""
import argparse
import ctypes
import ctypes.util
import json
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import zlib

IDLE_SECONDS = 10.0
SETTLE_SECONDS = 1.5
# From the main menu: B opens the selected tile's page, X comes back, the stick moves right.
# The walk shows games (1), files (2) and settings (3), returning to the menu (0) in between.
WALK = ["b", "x", "KP_6", "b", "x", "KP_6", "b", "x"]
# Key repeat: a page whose button prints a line for every down code, held for HOLD_SECONDS, each
# launcher in turn ROUNDS times so both see the same load.
HOLD_SECONDS = 2.0
ROUNDS = 2
HOLD_KEY = "KP_2"
REPEAT_CFG = "SKIN=repeat\n"
REPEAT_SKIN = """PAGE=0
BACKGROUND=color,000000
BUTTON=0
TYPE=rect,10,10,20,20,FFFFFF
DOWN=exec,,rep
"""
REPEAT_LINE = "Action is exec----rep"


def free_display(first=120, last=400):
    for number in range(first, last):
        if not os.path.exists("/tmp/.X%d-lock" % number) and \
                not os.path.exists("/tmp/.X11-unix/X%d" % number):
            return number
    raise RuntimeError("no free X display number")


def start_xvfb():
    for _ in range(5):
        number = free_display()
        proc = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", "640x480x16",
                                 "-nolisten", "tcp", "-noreset", "-r"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline and proc.poll() is None:
            if os.path.exists("/tmp/.X11-unix/X%d" % number):
                return proc, ":%d" % number
            time.sleep(0.05)
        stop(proc)
    raise RuntimeError("Xvfb did not start")


def stop(proc):
    if proc.poll() is None:
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def keycodes(display, names):
    """Keysym name -> keycode on the server; keycodes avoid xdotool's Num Lock and Shift traps."""
    xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XStringToKeysym.restype = ctypes.c_ulong
    xlib.XStringToKeysym.argtypes = [ctypes.c_char_p]
    xlib.XKeysymToKeycode.restype = ctypes.c_ubyte
    xlib.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    dpy = xlib.XOpenDisplay(display.encode())
    if not dpy:
        raise RuntimeError("cannot open display %s" % display)
    try:
        return {n: xlib.XKeysymToKeycode(dpy, xlib.XStringToKeysym(n.encode())) for n in names}
    finally:
        xlib.XCloseDisplay(dpy)


def tasks(pid):
    try:
        return os.listdir("/proc/%d/task" % pid)
    except OSError:
        return []


def cpu_seconds(pid):
    """CPU time of every thread: from schedstat in nanoseconds, else from stat in clock ticks."""
    total = 0.0
    for task in tasks(pid):
        base = "/proc/%d/task/%s/" % (pid, task)
        try:
            with open(base + "schedstat") as f:
                total += int(f.read().split()[0]) / 1e9
                continue
        except (OSError, ValueError, IndexError):
            pass
        try:
            with open(base + "stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            # utime and stime are fields 14 and 15; fields[0] here is field 3.
            total += (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
        except OSError:
            pass  # the thread ended
    return total


def context_switches(pid):
    """Voluntary plus involuntary context switches of every thread: the times it was woken."""
    total = 0
    for task in tasks(pid):
        try:
            with open("/proc/%d/task/%s/status" % (pid, task)) as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches:", "nonvoluntary_ctxt_switches:")):
                        total += int(line.split()[1])
        except OSError:
            pass
    return total


def peak_rss_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    raise RuntimeError("no VmHWM for %d" % pid)


def wait_for_output(path, text, timeout=20):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        with open(path, errors="replace") as f:
            if text in f.read():
                return True
        time.sleep(0.05)
    return False


class Run:
    """One launcher copied into a fresh application directory and started on the display."""

    def __init__(self, work, name, launcher, data_dir, env, files=None, ready="Loaded font"):
        self.app_dir = os.path.join(work, name)
        shutil.copytree(data_dir, self.app_dir)
        for relative, content in (files or {}).items():
            path = os.path.join(self.app_dir, relative)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb" if isinstance(content, bytes) else "w") as f:
                f.write(content)
        executable = os.path.join(self.app_dir, "trevandel")
        shutil.copy2(launcher, executable)
        self.out_path = os.path.join(work, name + ".out")
        with open(self.out_path, "w") as out:
            self.proc = subprocess.Popen([executable], cwd=work, env=env, stdout=out,
                                         stderr=subprocess.DEVNULL)
        if not wait_for_output(self.out_path, ready):
            stop(self.proc)
            raise RuntimeError("%s did not start" % name)
        time.sleep(SETTLE_SECONDS)

    def lines(self):
        with open(self.out_path, errors="replace") as f:
            return f.read().splitlines()

    def idle(self):
        """(wake-ups per second, CPU percent of one core) while nothing is pressed."""
        switches, cpu, t0 = context_switches(self.proc.pid), cpu_seconds(self.proc.pid), time.monotonic()
        time.sleep(IDLE_SECONDS)
        switches = context_switches(self.proc.pid) - switches
        cpu, elapsed = cpu_seconds(self.proc.pid) - cpu, time.monotonic() - t0
        return switches / elapsed, 100.0 * cpu / elapsed

    def stop(self):
        stop(self.proc)


def hold(env, keycode, seconds):
    subprocess.run(["xdotool", "keydown", str(keycode)], env=env, check=True)
    time.sleep(seconds)
    subprocess.run(["xdotool", "keyup", str(keycode)], env=env, check=True)
    time.sleep(0.3)


def repeats(work, name, launcher, data_dir, env, keycode):
    """Down codes seen while the stick is held down for HOLD_SECONDS, the press included."""
    run = Run(work, name, launcher, data_dir, env,
              {"Trevandel.cfg": REPEAT_CFG, "skins/repeat/Trevandel.skin": REPEAT_SKIN})
    try:
        hold(env, keycode, HOLD_SECONDS)
        if run.proc.poll() is not None:
            raise RuntimeError("%s ended while a key was held" % name)
        return run.lines().count(REPEAT_LINE)
    finally:
        run.stop()


def corpus_png(corpus, name):
    """A PNG of the fuzz corpus without the two position bytes the PNG target reads first."""
    with open(os.path.join(corpus, "png", name), "rb") as f:
        return f.read()[2:]


def plain_png(width, height):
    """An RGBA image of transparent black, non-interlaced: small on disk, width x height decoded."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    rows = zlib.compress(bytes((1 + width * 4) * height), 9)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", rows) + chunk(b"IEND", b"")


def spelled_buttons(image, count):
    """A page of count buttons, each naming the image under two spellings of its own; one of the
    two is drawn, so the page asks for the image under count + 1 spellings with its background."""
    skin = "PAGE=0\nBACKGROUND=image,%skindir%" + image + "\n"
    for slot in range(count):
        selected = "%skindir%" + "./" * (2 * slot + 1) + image
        other = "%skindir%" + "./" * (2 * slot + 2) + image
        skin += "BUTTON=%d\nTYPE=image,0,0,%s,%s\n" % (slot, selected, other)
    return skin


def hostile_cases(corpus):
    """Name -> files replacing those of the default application, one launcher process each."""
    cfg = "SKIN=hostile\n"
    skin_file = "skins/hostile/Trevandel.skin"
    one_image = "PAGE=0\nBACKGROUND=image,%skindir%h.png\nBUTTON=0\nTYPE=image,0,0,%skindir%h.png\n"
    cases = {}
    for name in ("text-claims-2gib.png", "itxt-claims-1gib.png", "ztxt-claims-1gib.png",
                 "splt-claims-1gib.png", "ztxt-8x8mb.png", "interlaced-4096.png"):
        cases[name] = {"Trevandel.cfg": cfg, skin_file: one_image,
                       "skins/hostile/h.png": corpus_png(corpus, name)}
    with open(os.path.join(corpus, "skin", "doubling.skin")) as f:
        cases["doubling variables"] = {"Trevandel.cfg": cfg, skin_file: f.read()}
    cases["4096x4096 under 33 spellings"] = {"Trevandel.cfg": cfg, skin_file: spelled_buttons("h.png", 32),
                                          "skins/hostile/h.png": corpus_png(corpus, "interlaced-4096.png")}
    cases["640x480 under 65 spellings"] = {"Trevandel.cfg": cfg, skin_file: spelled_buttons("h.png", 64),
                                         "skins/hostile/h.png": plain_png(640, 480)}
    cases["font sheet 4096x4096"] = {"ARIALN.TTF_0_12_255_255_255.png":
                                     corpus_png(corpus, "interlaced-4096.png")}
    return cases


def hostile_peaks(work, launcher, data_dir, env, corpus):
    """Peak resident memory in MiB of each hostile case once its first page is shown."""
    peaks = {}
    for number, (name, files) in enumerate(sorted(hostile_cases(corpus).items())):
        # The configuration dump follows the skin; the first frame comes right after it.
        run = Run(work, "hostile%d" % number, launcher, data_dir, env, files, ready="CFG: ")
        try:
            if run.proc.poll() is not None:
                raise RuntimeError("the launcher ended on the hostile case %s" % name)
            peaks[name] = peak_rss_kib(run.proc.pid) / 1024.0
        finally:
            run.stop()
    return peaks


def handheld_idle(work, handheld, data_dir):
    """Wake-ups per second and CPU of the handheld launcher at rest on a page, a plain file for its
    framebuffer and a FIFO held open for its input device."""
    framebuffer, device = os.path.join(work, "fb"), os.path.join(work, "event0")
    with open(framebuffer, "wb") as f:
        f.truncate(320 * 240 * 2)
    os.mkfifo(device)
    holder = os.open(device, os.O_RDWR)
    env = dict(os.environ, TREVANDEL_FRAMEBUFFER=framebuffer, TREVANDEL_SCREEN_FORMAT="320x240x16",
               TREVANDEL_INPUT_DEVICES=device, TREVANDEL_SYSFS=os.path.join(work, "nosys"))
    env.pop("DISPLAY", None)
    run = Run(work, "handheld", handheld, data_dir, env, ready="Switching CPU")
    try:
        return run.idle()
    finally:
        run.stop()
        os.close(holder)


def measure(launcher, paced_launcher, data_dir, corpus, handheld=None):
    work = tempfile.mkdtemp(prefix="trevandel-process-")
    xvfb = None
    runs = []
    try:
        xvfb, display = start_xvfb()
        env = dict(os.environ, DISPLAY=display)
        env.pop("SDL_VIDEODRIVER", None)
        figures = {"idle_seconds": IDLE_SECONDS, "walk": WALK, "hold_seconds": HOLD_SECONDS}

        app = Run(work, "app", launcher, data_dir, env)
        runs.append(app)
        figures["idle_wakeups_per_second"], figures["idle_cpu_percent"] = app.idle()
        codes = keycodes(display, set(WALK) | {HOLD_KEY})
        for key in WALK:
            subprocess.run(["xdotool", "key", str(codes[key])], env=env, check=True)
            time.sleep(0.3)
        figures["peak_rss_mib"] = peak_rss_kib(app.proc.pid) / 1024.0
        if app.proc.poll() is not None:
            raise RuntimeError("the launcher ended during the walk")
        app.stop()

        paced = Run(work, "paced", paced_launcher, data_dir, env)
        runs.append(paced)
        figures["paced_idle_wakeups_per_second"], figures["paced_idle_cpu_percent"] = paced.idle()
        paced.stop()

        seen = {"launcher": 0, "paced": 0}
        for round_number in range(ROUNDS):
            for name, program in (("launcher", launcher), ("paced", paced_launcher)):
                seen[name] += repeats(work, "%s-hold%d" % (name, round_number), program, data_dir, env,
                                      codes[HOLD_KEY])
        figures["repeats"], figures["paced_repeats"] = seen["launcher"], seen["paced"]

        if handheld:
            figures["handheld_idle_wakeups_per_second"], figures["handheld_idle_cpu_percent"] = \
                handheld_idle(work, handheld, data_dir)

        peaks = hostile_peaks(work, launcher, data_dir, env, corpus)
        figures["hostile_peak_rss_mib"] = peaks
        figures["hostile_peak_rss_max_mib"] = max(peaks.values())
        return figures
    finally:
        for run in runs:
            run.stop()
        if xvfb is not None:
            stop(xvfb)
        shutil.rmtree(work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--launcher", required=True, help="the Release build's trevandel")
    parser.add_argument("--paced-launcher", required=True,
                        help="the same launcher paced 1 ms per turn at rest (bench/paced)")
    parser.add_argument("--handheld", help="the Release build's trevandel-handheld")
    parser.add_argument("--data", required=True, help="the data/ directory to stage beside it")
    parser.add_argument("--corpus", required=True, help="tests/fuzz/corpus, for the hostile files")
    parser.add_argument("--out", required=True, help="JSON file to write")
    args = parser.parse_args()
    try:
        figures = measure(os.path.abspath(args.launcher), os.path.abspath(args.paced_launcher),
                          os.path.abspath(args.data), os.path.abspath(args.corpus),
                          os.path.abspath(args.handheld) if args.handheld else None)
    except (RuntimeError, OSError, subprocess.CalledProcessError) as error:
        print("process figures failed: %s" % error, file=sys.stderr)
        figures = {}
    with open(args.out, "w") as f:
        json.dump(figures, f, indent=2)
    for key, value in figures.items():
        print("%s: %s" % (key, value))
    return 0


if __name__ == "__main__":
    sys.exit(main())
