#!/usr/bin/env python3
"""Idle CPU and peak memory of the real launcher in a private Xvfb server; writes them as JSON."""
import argparse
import ctypes
import ctypes.util
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

IDLE_SECONDS = 10.0
SETTLE_SECONDS = 1.5
# From the main menu: B opens the selected tile's page, X comes back, the stick moves right.
# The walk shows games (1), files (2) and settings (3), returning to the menu (0) in between.
WALK = ["b", "x", "KP_6", "b", "x", "KP_6", "b", "x"]


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
                                 "-nolisten", "tcp", "-noreset"],
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


def cpu_ticks(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    # utime and stime are fields 14 and 15; fields[0] here is field 3.
    return int(fields[11]) + int(fields[12])


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


def measure(launcher, data_dir):
    work = tempfile.mkdtemp(prefix="trevandel-process-")
    xvfb = None
    app = None
    try:
        app_dir = os.path.join(work, "app")
        shutil.copytree(data_dir, app_dir)
        executable = os.path.join(app_dir, "trevandel")
        shutil.copy2(launcher, executable)
        xvfb, display = start_xvfb()
        env = dict(os.environ, DISPLAY=display)
        env.pop("SDL_VIDEODRIVER", None)
        out_path = os.path.join(work, "stdout.txt")
        with open(out_path, "w") as out:
            app = subprocess.Popen([executable], cwd=work, env=env, stdout=out,
                                   stderr=subprocess.DEVNULL)
        if not wait_for_output(out_path, "Loaded font"):
            raise RuntimeError("the launcher did not start")
        time.sleep(SETTLE_SECONDS)

        ticks_per_second = os.sysconf("SC_CLK_TCK")
        before, t0 = cpu_ticks(app.pid), time.monotonic()
        time.sleep(IDLE_SECONDS)
        after, t1 = cpu_ticks(app.pid), time.monotonic()
        idle = 100.0 * (after - before) / ticks_per_second / (t1 - t0)

        codes = keycodes(display, set(WALK))
        for key in WALK:
            subprocess.run(["xdotool", "key", str(codes[key])], env=env, check=True)
            time.sleep(0.3)
        rss = peak_rss_kib(app.pid) / 1024.0
        if app.poll() is not None:
            raise RuntimeError("the launcher ended during the walk")
        return {"idle_cpu_percent": idle, "idle_seconds": t1 - t0,
                "peak_rss_mib": rss, "walk": WALK}
    finally:
        if app is not None:
            stop(app)
        if xvfb is not None:
            stop(xvfb)
        shutil.rmtree(work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--launcher", required=True, help="the Release build's trevandel")
    parser.add_argument("--data", required=True, help="the data/ directory to stage beside it")
    parser.add_argument("--out", required=True, help="JSON file to write")
    args = parser.parse_args()
    try:
        figures = measure(os.path.abspath(args.launcher), os.path.abspath(args.data))
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
