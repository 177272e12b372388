"""Runs the real launcher inside a private Xvfb server: app directories, keys, screen grabs, output."""

import argparse
import atexit
import ctypes
import ctypes.util
import os
import re
import shlex
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xwd2png import XwdImage  # noqa: E402

LAUNCHER_NAME = "trevandel"
FONT_NAME = "ARIALN.TTF_0_12_255_255_255.png"
SCREEN_WIDTH, SCREEN_HEIGHT = 320, 240
LSAN_SUPPRESSIONS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "lsan.supp")

# Sanitizer reports that fail a test whenever they show up on standard error.
SANITIZER_PATTERNS = ("ERROR: AddressSanitizer", "LeakSanitizer", "runtime error:")

# Handheld controls as the keysyms that stand for them, and the alternate keysym a
# keypad key carries when the keymap lists its Num Lock-off meaning first.
CONTROL_KEYSYMS = {
    "up": "KP_8", "down": "KP_2", "left": "KP_4", "right": "KP_6",
    "upleft": "KP_7", "upright": "KP_9", "downleft": "KP_1", "downright": "KP_3",
    "push": "KP_5", "voldown": "KP_Subtract", "volup": "KP_Add",
    "start": "s", "select": "Return", "l": "Shift_L", "r": "Shift_R",
    "a": "a", "b": "b", "x": "x", "y": "z", "escape": "Escape",
    # Keys only the preview reads.
    "arrowup": "Up", "arrowdown": "Down", "arrowleft": "Left", "arrowright": "Right",
    "pageup": "Prior", "pagedown": "Next", "f1": "F1",
}
KEYPAD_ALTERNATES = {
    "KP_8": "KP_Up", "KP_2": "KP_Down", "KP_4": "KP_Left", "KP_6": "KP_Right",
    "KP_7": "KP_Home", "KP_9": "KP_Prior", "KP_1": "KP_End", "KP_3": "KP_Next",
    "KP_5": "KP_Begin",
}

# Pause after every key event so the launcher, which takes one event per loop turn, sees each.
KEY_SETTLE_S = 0.06

_cleanups = []


def _run_cleanups():
    while _cleanups:
        try:
            _cleanups.pop()()
        except Exception:  # cleanup must go on with the rest
            pass


atexit.register(_run_cleanups)


def _kill_pid(pid, sig):
    try:
        os.kill(pid, sig)
    except ProcessLookupError:
        pass


class HarnessError(AssertionError):
    """A bounded wait ran out or the environment misbehaved."""


# ---------------------------------------------------------------------------
# Xvfb


def _lock_owner(number):
    """Pid written into the X server's lock file for a display, or None."""
    try:
        with open("/tmp/.X%d-lock" % number) as f:
            return int(f.read().strip() or 0)
    except (OSError, ValueError):
        return None


class Xvfb:
    """A private X server on the first free display number."""

    def __init__(self, first_display=60, last_display=400, resets=False):
        self.proc = None
        self.display = None
        self.resets = resets
        for number in range(first_display, last_display):
            if os.path.exists("/tmp/.X11-unix/X%d" % number) or os.path.exists("/tmp/.X%d-lock" % number):
                continue
            if self._try_start(number):
                return
        raise HarnessError("no free X display between :%d and :%d" % (first_display, last_display))

    def _try_start(self, number):
        display = ":%d" % number
        # -noreset keeps the server (and its keymap) unchanged while the launcher restarts itself;
        # resets=True leaves it out, as xvfb-run does, and the server resets whenever its last
        # client leaves. -r turns the server's key auto-repeat off: a key held past its delay
        # would otherwise arrive as release/press pairs, which a busy SDL passes on as real presses.
        proc = subprocess.Popen(
            ["Xvfb", display, "-screen", "0", "640x480x16", "-nolisten", "tcp", "-r"]
            + ([] if self.resets else ["-noreset"]),
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _cleanups.append(lambda: self._stop_proc(proc))
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            if proc.poll() is not None:
                return False  # lost a race for this display number
            if _lock_owner(number) != proc.pid:
                # Another server may hold the display while ours is still failing to start.
                time.sleep(0.1)
                continue
            probe = subprocess.run(["xdpyinfo", "-display", display],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if probe.returncode == 0:
                self.proc, self.display = proc, display
                self._check_no_auto_repeat()
                return True
            time.sleep(0.1)
        self._stop_proc(proc)
        raise HarnessError("Xvfb %s did not accept connections within 20 s" % display)

    def _check_no_auto_repeat(self):
        # A test that holds a key must see one press and one release, whatever the load.
        x = XConnection(self.display)
        try:
            if x.auto_repeat():
                raise HarnessError("Xvfb %s repeats held keys by itself" % self.display)
        finally:
            x.close()

    @staticmethod
    def _stop_proc(proc):
        if proc.poll() is None:
            _kill_pid(proc.pid, signal.SIGTERM)
            try:
                proc.wait(5)
            except subprocess.TimeoutExpired:
                _kill_pid(proc.pid, signal.SIGKILL)
                proc.wait(5)

    def stop(self):
        if self.proc is not None:
            self._stop_proc(self.proc)

    def env(self):
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        return env

    # -- keys ---------------------------------------------------------------

    def keycodes(self):
        """Keycode of every control keysym on this server, looked up once."""
        if getattr(self, "_keycodes", None) is None:
            self._keycodes = _lookup_keycodes(self.display)
        return self._keycodes

    def _xdotool_key_arg(self, control):
        keysym = CONTROL_KEYSYMS[control]
        code = self.keycodes()[keysym]
        # xdotool reads a one-digit argument as the keysym of that digit, so such keycodes go by name;
        # every other key goes by keycode, which avoids the Num Lock and Shift traps of key names.
        return keysym if code < 10 else str(code)

    def _xdotool(self, *args):
        subprocess.run(["xdotool"] + list(args), env=self.env(), check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=20)

    def hold(self, control):
        self._xdotool("keydown", self._xdotool_key_arg(control))
        time.sleep(KEY_SETTLE_S)

    def release(self, control):
        self._xdotool("keyup", self._xdotool_key_arg(control))
        time.sleep(KEY_SETTLE_S)

    def press(self, control):
        self.hold(control)
        self.release(control)

    # -- screen -------------------------------------------------------------

    def grab(self):
        """The whole root window as a Screen."""
        dump = subprocess.run(["xwd", "-root", "-silent", "-display", self.display],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=True, timeout=30).stdout
        return Screen(XwdImage(dump))

    def windows(self):
        """(id, geometry) of the top-level windows, from xwininfo."""
        out = subprocess.run(["xwininfo", "-root", "-children", "-display", self.display],
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, timeout=20).stdout
        return re.findall(r"^\s+(0x[0-9a-f]+) .*?\s(\d+x\d+\+-?\d+\+-?\d+)", out, re.M)

    def close_window(self, window_id):
        send_window_close(self.display, int(window_id, 16))

    def wait_for_window(self, timeout=30):
        """Wait until a 640x480 window sits at the origin; returns its id."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for window_id, geometry in self.windows():
                if geometry.startswith("640x480+0+0"):
                    return window_id
            time.sleep(0.1)
        raise HarnessError("no 640x480 window appeared within %d s" % timeout)


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _ClientMessage), ("pad", ctypes.c_long * 24)]


_CLIENT_MESSAGE = 33


def _xlib():
    xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    xlib.XStringToKeysym.restype = ctypes.c_ulong
    xlib.XStringToKeysym.argtypes = [ctypes.c_char_p]
    xlib.XKeysymToKeycode.restype = ctypes.c_ubyte
    xlib.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                ctypes.POINTER(_XEvent)]
    xlib.XFlush.argtypes = [ctypes.c_void_p]
    return xlib


def send_window_close(display, window_id):
    """Ask a window to close the way a window manager does: a WM_DELETE_WINDOW client message."""
    xlib = _xlib()
    dpy = xlib.XOpenDisplay(display.encode())
    if not dpy:
        raise HarnessError("cannot open display %s" % display)
    try:
        event = _XEvent()
        event.xclient.type = _CLIENT_MESSAGE
        event.xclient.window = window_id
        event.xclient.message_type = xlib.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
        event.xclient.format = 32
        event.xclient.data[0] = xlib.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
        event.xclient.data[1] = 0  # CurrentTime
        xlib.XSendEvent(dpy, window_id, 0, 0, ctypes.byref(event))
        xlib.XFlush(dpy)
    finally:
        xlib.XCloseDisplay(dpy)


def _lookup_keycodes(display):
    """Keysym name -> keycode, through Xlib when it loads, else through xmodmap."""
    wanted = set(CONTROL_KEYSYMS.values()) | set(KEYPAD_ALTERNATES.values())
    found = {}
    try:
        xlib = _xlib()
    except OSError:
        xlib = None
    if xlib is not None:
        dpy = xlib.XOpenDisplay(display.encode())
        if not dpy:
            raise HarnessError("cannot open display %s for the keycode lookup" % display)
        try:
            for name in wanted:
                sym = xlib.XStringToKeysym(name.encode())
                code = xlib.XKeysymToKeycode(dpy, sym) if sym else 0
                if code:
                    found[name] = code
        finally:
            xlib.XCloseDisplay(dpy)
    else:
        out = subprocess.run(["xmodmap", "-display", display, "-pke"], stdout=subprocess.PIPE,
                             text=True, check=True).stdout
        for line in out.splitlines():
            match = re.match(r"keycode\s+(\d+)\s*=(.*)", line)
            if match:
                for name in match.group(2).split():
                    found.setdefault(name, int(match.group(1)))
    codes = {}
    for name in CONTROL_KEYSYMS.values():
        code = found.get(name) or found.get(KEYPAD_ALTERNATES.get(name, ""))
        if not code:
            raise HarnessError("keysym %s has no keycode on %s" % (name, display))
        codes[name] = code
    return codes


class _XImageHead(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int)]


_Z_PIXMAP, _ALL_PLANES, _LSB_FIRST = 2, 0xFFFFFFFF, 0


class _XKeyboardState(ctypes.Structure):
    _fields_ = [("key_click_percent", ctypes.c_int), ("bell_percent", ctypes.c_int),
                ("bell_pitch", ctypes.c_uint), ("bell_duration", ctypes.c_uint),
                ("led_mask", ctypes.c_ulong), ("global_auto_repeat", ctypes.c_int),
                ("auto_repeats", ctypes.c_char * 32)]


class XConnection:
    """The test's own Xlib connection: XTEST key events and single-pixel reads that need no process
    start-up (for timing how soon the launcher answers), and a window to cover the launcher's with."""

    def __init__(self, display):
        self.xlib = xlib = _xlib()
        xlib.XDefaultRootWindow.restype = ctypes.c_ulong
        xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        xlib.XGetImage.restype = ctypes.POINTER(_XImageHead)
        xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                   ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        xlib.XCreateSimpleWindow.restype = ctypes.c_ulong
        xlib.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + \
            [ctypes.c_uint] * 3 + [ctypes.c_ulong] * 2
        for name in ("XMapRaised", "XDestroyWindow"):
            getattr(xlib, name).argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        xlib.XGetKeyboardControl.argtypes = [ctypes.c_void_p, ctypes.POINTER(_XKeyboardState)]
        self.xtst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.libc = ctypes.CDLL(None)
        self.libc.free.argtypes = [ctypes.c_void_p]
        self.dpy = xlib.XOpenDisplay(display.encode())
        if not self.dpy:
            raise HarnessError("cannot open display %s" % display)
        _cleanups.append(self.close)
        self.root = xlib.XDefaultRootWindow(self.dpy)

    def close(self):
        if self.dpy:
            self.xlib.XCloseDisplay(self.dpy)
            self.dpy = None

    def auto_repeat(self):
        """Whether the server repeats held keys by itself."""
        state = _XKeyboardState()
        self.xlib.XGetKeyboardControl(self.dpy, ctypes.byref(state))
        return state.global_auto_repeat != 0

    def key(self, keycode, down):
        self.xtst.XTestFakeKeyEvent(self.dpy, keycode, 1 if down else 0, 0)
        self.xlib.XSync(self.dpy, 0)

    def pixel(self, x, y):
        """The launcher pixel (x, y) as the window shows it (its top-left window pixel)."""
        image = self.xlib.XGetImage(self.dpy, self.root, 2 * x, 2 * y, 1, 1, _ALL_PLANES, _Z_PIXMAP)
        if not image:
            raise HarnessError("XGetImage failed")
        low, high = ctypes.string_at(image.contents.data, 2)
        value = low | high << 8 if image.contents.byte_order == _LSB_FIRST else high | low << 8
        self.libc.free(image.contents.data)
        self.libc.free(ctypes.cast(image, ctypes.c_void_p))
        return value

    def cover(self, background):
        """Maps a window of the launcher's size over it; returns its id."""
        window = self.xlib.XCreateSimpleWindow(self.dpy, self.root, 0, 0, 640, 480, 0, 0, background)
        self.xlib.XMapRaised(self.dpy, window)
        self.xlib.XSync(self.dpy, 0)
        return window

    def uncover(self, window):
        self.xlib.XDestroyWindow(self.dpy, window)
        self.xlib.XSync(self.dpy, 0)


def context_switches(pid):
    """Voluntary plus involuntary context switches of every thread of a process: its wake-ups."""
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/status" % (pid, task)) as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches:", "nonvoluntary_ctxt_switches:")):
                        total += int(line.split()[1])
        except OSError:
            pass  # the thread ended
    return total


# ---------------------------------------------------------------------------
# Screen


class Screen:
    """A root-window grab seen in launcher coordinates (320x240, each pixel a 2x2 block)."""

    def __init__(self, image):
        self.image = image

    def pixel(self, x, y):
        """The launcher's 16-bit pixel at (x, y); the 2x2 block behind it must be uniform."""
        if not (0 <= x < SCREEN_WIDTH and 0 <= y < SCREEN_HEIGHT):
            raise IndexError("launcher pixel (%d, %d) outside the screen" % (x, y))
        block = {self.image.pixel(2 * x + dx, 2 * y + dy) for dx in (0, 1) for dy in (0, 1)}
        if len(block) != 1:
            raise AssertionError("window block of launcher pixel (%d, %d) is not uniform: %s"
                                 % (x, y, sorted("0x%04X" % v for v in block)))
        return block.pop()

    def mismatches(self, expected):
        """[(x, y, want, got)] for every {(x, y): value} entry that differs."""
        result = []
        for (x, y), want in sorted(expected.items()):
            try:
                got = self.pixel(x, y)
            except AssertionError:
                got = None
            if got != want:
                result.append((x, y, want, got))
        return result

    def save_png(self, path):
        with open(path, "wb") as f:
            f.write(self.image.to_png(0, 0, 2 * SCREEN_WIDTH, 2 * SCREEN_HEIGHT))


def png_pixels(path):
    """Decodes an 8-bit grey, RGB or RGBA PNG (no interlace) into rows of (r, g, b) tuples."""
    with open(path, "rb") as f:
        data = f.read()
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    assert depth == 8 and colour in (0, 2, 6), "unexpected PNG format in %s" % path
    channels = {0: 1, 2: 3, 6: 4}[colour]
    raw, stride = zlib.decompress(idat), width * channels
    rows, prev, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = prev[i]
            c = prev[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        if channels == 1:
            rows.append([(v, v, v) for v in line])
        else:
            rows.append([tuple(line[x * channels:x * channels + 3]) for x in range(width)])
        prev = line
    return rows


def describe_mismatches(mismatches):
    return ", ".join("(%d,%d) want 0x%04X got %s" % (x, y, want, "non-uniform" if got is None else "0x%04X" % got)
                     for x, y, want, got in mismatches)


# ---------------------------------------------------------------------------
# Application directory


class AppDir:
    """A throw-away base directory: launcher copy, Trevandel.cfg, skins, font sheet."""

    def __init__(self, launcher, data_dir, cfg=None, skins=None):
        self.path = os.path.realpath(tempfile.mkdtemp(prefix="trevandel-e2e-"))
        _cleanups.append(lambda: shutil.rmtree(self.path, ignore_errors=True))
        # A copy, not a symlink: the base directory then cannot depend on how links are treated.
        self.launcher = os.path.join(self.path, LAUNCHER_NAME)
        shutil.copy2(launcher, self.launcher)
        font = os.path.join(data_dir, FONT_NAME)
        self.has_font = os.path.exists(font)
        if self.has_font:
            shutil.copy2(font, os.path.join(self.path, FONT_NAME))
        if cfg is not None:
            self.write("Trevandel.cfg", cfg)
        for name, text in (skins or {}).items():
            self.write_skin(name, text)

    @property
    def base(self):
        """The base directory as the launcher prints it, with its trailing slash."""
        return self.path + "/"

    def file(self, relative):
        return os.path.join(self.path, relative)

    def write(self, relative, text):
        return self._write(relative, "w", text)

    def write_bytes(self, relative, data):
        return self._write(relative, "wb", data)

    def _write(self, relative, mode, content):
        full = self.file(relative)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, mode) as f:
            f.write(content)
        return full

    def read(self, relative):
        with open(self.file(relative)) as f:
            return f.read()

    def write_skin(self, name, text):
        return self.write(os.path.join("skins", name, "Trevandel.skin"), text)


def shipped_skins():
    """The skin folders the application ships with (tests/files/shipped-skins.txt)."""
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "files", "shipped-skins.txt")
    with open(path) as f:
        return [line.strip() for line in f if line.strip()]


def shipped_app():
    """The application as a user gets it, in a throw-away folder: the built programs beside a copy of
    data/ whose skins/ holds only the shipped skins. Whatever else a developer keeps in data/ or in
    the build's application folder (skins of their own, a changed Trevandel.cfg) is left out."""
    app = AppDir(Options.launcher, Options.data)
    skins = set(shipped_skins())

    def unshipped(folder, names):
        if os.path.samefile(folder, os.path.join(Options.data, "skins")):
            return [name for name in names if name not in skins]
        return []

    shutil.copytree(Options.data, app.path, ignore=unshipped, dirs_exist_ok=True, symlinks=True)
    staged = os.path.dirname(Options.launcher)
    for name in os.listdir(staged):
        program = os.path.join(staged, name)
        if (os.path.isfile(program) and os.access(program, os.X_OK)
                and not os.path.exists(app.file(name))):
            shutil.copy2(program, app.file(name))
    return app


# ---------------------------------------------------------------------------
# Launcher process


class Launcher:
    """The launcher running on an Xvfb server, its output collected line by line."""

    def __init__(self, xvfb, app, emulator=None, argv=None):
        self.xvfb = xvfb
        self.app = app
        env = xvfb.env()
        asan = env.get("ASAN_OPTIONS", "")
        env["ASAN_OPTIONS"] = (asan + ":" if asan else "") + "detect_leaks=1"
        lsan = env.get("LSAN_OPTIONS", "")
        env["LSAN_OPTIONS"] = (lsan + ":" if lsan else "") + "suppressions=" + LSAN_SUPPRESSIONS
        env.pop("SDL_VIDEODRIVER", None)
        self._lock = threading.Lock()
        self._stdout = []  # (monotonic time, text)
        self._stderr = []
        self._changed = threading.Condition(self._lock)
        self.start_time = time.monotonic()
        command = (Options.emulator if emulator is None else emulator) + (argv or [app.launcher])
        self.proc = subprocess.Popen(command, env=env, cwd=app.path, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        _cleanups.append(self.kill)
        self._readers = [threading.Thread(target=self._read, args=(self.proc.stdout, self._stdout), daemon=True),
                         threading.Thread(target=self._read, args=(self.proc.stderr, self._stderr), daemon=True)]
        for reader in self._readers:
            reader.start()

    def _read(self, stream, into):
        for raw in iter(stream.readline, b""):
            with self._lock:
                into.append((time.monotonic(), raw.decode("utf-8", "replace").rstrip("\n")))
                self._changed.notify_all()
        with self._lock:
            self._changed.notify_all()

    # -- output -------------------------------------------------------------

    def lines(self):
        """Standard output so far, one text per line."""
        with self._lock:
            return [text for _, text in self._stdout]

    def timed_lines(self):
        with self._lock:
            return list(self._stdout)

    def stderr_lines(self):
        with self._lock:
            return [text for _, text in self._stderr]

    def wait_for_line(self, pattern, timeout=20, start=0):
        """Index of the first stdout line at or after `start` matching the regex; fails after `timeout`."""
        regex = re.compile(pattern)
        deadline = time.monotonic() + timeout
        with self._lock:
            while True:
                for index in range(start, len(self._stdout)):
                    if regex.search(self._stdout[index][1]):
                        return index
                remaining = deadline - time.monotonic()
                if remaining <= 0:
                    raise HarnessError("no output line matching %r within %s s; output so far:\n%s"
                                       % (pattern, timeout, self._output_dump()))
                self._changed.wait(min(remaining, 0.2))

    def wait_for_exact(self, text, timeout=20, start=0):
        return self.wait_for_line("^" + re.escape(text) + "$", timeout, start)

    def _output_dump(self):
        out = "\n".join("  out: " + text for _, text in self._stdout)
        err = "\n".join("  err: " + text for _, text in self._stderr[-40:])
        return out + ("\n" + err if err else "")

    def output_dump(self):
        with self._lock:
            return self._output_dump()

    # -- lifetime -----------------------------------------------------------

    def wait_ready(self, timeout=60, first_line=r"^Basedir is "):
        """Wait for the start-up output and the window."""
        self.wait_for_line(first_line, timeout)
        self.xvfb.wait_for_window(timeout)

    def wait_exit(self, timeout=30):
        """Exit status, once the process and its output streams have ended."""
        try:
            status = self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError("launcher still running after %s s; output:\n%s" % (timeout, self.output_dump()))
        for reader in self._readers:
            reader.join(10)
        return status

    def running(self):
        return self.proc.poll() is None

    def stop(self, timeout=30):
        """End the launcher: Escape first, then SIGTERM and SIGKILL. Returns the exit status."""
        if self.running():
            try:
                self.xvfb.press("escape")
                return self.wait_exit(timeout)
            except (HarnessError, subprocess.SubprocessError):
                pass
        self.kill()
        return self.wait_exit(10)

    def kill(self):
        if self.proc.poll() is None:
            _kill_pid(self.proc.pid, signal.SIGTERM)
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                _kill_pid(self.proc.pid, signal.SIGKILL)
                self.proc.wait(5)

    def sanitizer_reports(self):
        return [line for line in self.stderr_lines() if any(p in line for p in SANITIZER_PATTERNS)]


# ---------------------------------------------------------------------------
# Test case base


class Options:
    launcher = None
    data = None
    keep = False
    # The command that runs a launcher built for another processor, e.g. qemu and its arguments.
    emulator = []


class LauncherTestCase(unittest.TestCase):
    """One Xvfb per test class; every launcher started through `start` is checked and ended."""

    xvfb = None

    @classmethod
    def setUpClass(cls):
        cls.xvfb = Xvfb()

    @classmethod
    def tearDownClass(cls):
        if cls.xvfb is not None:
            cls.xvfb.stop()

    def setUp(self):
        self._launchers = []

    def tearDown(self):
        for launcher in self._launchers:
            if launcher.running():
                launcher.kill()
        # Sanitizer findings fail the test even when its own checks passed.
        for launcher in self._launchers:
            reports = launcher.sanitizer_reports()
            if reports:
                self.fail("sanitizer report on standard error:\n" + "\n".join(launcher.stderr_lines()[-60:]))

    def make_app(self, cfg=None, skins=None):
        return AppDir(Options.launcher, Options.data, cfg, skins)

    def start(self, app, wait=True, emulator=None, argv=None, first_line=r"^Basedir is "):
        launcher = Launcher(self.xvfb, app, emulator, argv)
        self._launchers.append(launcher)
        if wait:
            launcher.wait_ready(first_line=first_line)
        return launcher

    def press(self, control):
        self.xvfb.press(control)

    def hold(self, control):
        self.xvfb.hold(control)

    def release(self, control):
        self.xvfb.release(control)

    def wait_for_pixels(self, expected, timeout=20, what="screen"):
        """Grab the screen until every {(x, y): value} matches; returns the matching grab."""
        deadline = time.monotonic() + timeout
        while True:
            screen = self.xvfb.grab()
            bad = screen.mismatches(expected)
            if not bad:
                return screen
            if time.monotonic() > deadline:
                shot = self._save_failure_shot(screen)
                self.fail("%s: %s (screenshot %s)" % (what, describe_mismatches(bad), shot))
            time.sleep(0.1)

    def _save_failure_shot(self, screen):
        path = os.path.join(tempfile.gettempdir(), "trevandel-e2e-%s.png" % self.id().rsplit(".", 1)[-1])
        try:
            screen.save_png(path)
        except OSError:
            return "not saved"
        return path

    def assertExits(self, launcher, status=0, timeout=30):
        code = launcher.wait_exit(timeout)
        self.assertEqual(code, status, "exit status; output:\n" + launcher.output_dump())

    def assertLinesInOrder(self, launcher, expected, start=0, timeout=20):
        """Each exact line appears after the previous one; returns the index after the last."""
        index = start
        for text in expected:
            index = launcher.wait_for_exact(text, timeout, index) + 1
        return index


def main():
    """Entry point of every test script: --launcher and --data, then unittest."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--launcher", required=True, help="built trevandel executable")
    parser.add_argument("--data", required=True, help="the repository's data directory")
    parser.add_argument("--emulator", default="", help="command line that runs the launcher, if any")
    args, rest = parser.parse_known_args()
    Options.emulator = shlex.split(args.emulator)
    Options.launcher = os.path.abspath(args.launcher)
    Options.data = os.path.abspath(args.data)
    if not os.access(Options.launcher, os.X_OK):
        sys.stderr.write("launcher %s is not an executable file\n" % Options.launcher)
        sys.exit(1)
    for sig in (signal.SIGTERM, signal.SIGINT):
        signal.signal(sig, lambda *_: sys.exit(1))
    try:
        program = unittest.main(module="__main__", argv=[sys.argv[0]] + rest, exit=False, verbosity=2)
    finally:
        _run_cleanups()
    sys.exit(0 if program.result.wasSuccessful() else 1)
