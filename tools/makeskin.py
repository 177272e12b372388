#!/usr/bin/env python3
"""Draws every image of the bundled skins ("concept" and "paper") into data/skins/<skin>/.

Standard library only. Shapes are described by signed distance functions and rendered with
analytic coverage, so every edge is anti-aliased and icon surroundings carry real alpha.
Colours are rounded to the launcher's 5-5-5 pixel format (with ordered dithering on the
backgrounds) so the files show exactly what the handheld will, and compress well.

Usage: tools/makeskin.py [output root]   (default: data/skins beside this tool's parent)
"""

import math
import os
import struct
import sys
import zlib

# ---------------------------------------------------------------------------------------------
# PNG output


def write_png(path, width, height, rgba_rows):
    """Writes 8-bit RGBA rows (bytes objects) as a PNG, picking the smallest filter per row."""
    raw = bytearray()
    previous = bytes(width * 4)
    for row in rgba_rows:
        best = None
        for kind in range(5):
            filtered = _filter_row(kind, row, previous)
            score = sum(b if b < 128 else 256 - b for b in filtered)
            if best is None or score < best[0]:
                best = (score, kind, filtered)
        raw.append(best[1])
        raw += best[2]
        previous = row

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(png)
    return len(png)


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _filter_row(kind, row, prev):
    bpp = 4
    out = bytearray(len(row))
    for i, x in enumerate(row):
        a = row[i - bpp] if i >= bpp else 0
        b = prev[i]
        c = prev[i - bpp] if i >= bpp else 0
        if kind == 0:
            pred = 0
        elif kind == 1:
            pred = a
        elif kind == 2:
            pred = b
        elif kind == 3:
            pred = (a + b) >> 1
        else:
            pred = _paeth(a, b, c)
        out[i] = (x - pred) & 0xFF
    return bytes(out)


# ---------------------------------------------------------------------------------------------
# Colours and a premultiplied RGBA canvas


def rgb(hex_text, alpha=1.0):
    """'#RRGGBB' to floats in 0..1 plus alpha."""
    value = int(hex_text.lstrip("#"), 16)
    return ((value >> 16) / 255.0, ((value >> 8) & 255) / 255.0, (value & 255) / 255.0, alpha)


def mix(c1, c2, t):
    return tuple(a + (b - a) * t for a, b in zip(c1, c2))


def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def smoothstep(e0, e1, x):
    t = clamp01((x - e0) / (e1 - e0))
    return t * t * (3.0 - 2.0 * t)


class Canvas:
    """Float premultiplied RGBA pixels; shapes are composited with the 'over' operator."""

    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]

    def fill(self, sdf, paint, soft=0.0, opacity=1.0, box=None):
        """Paints where sdf < 0. soft > 0 blurs the edge over that many pixels (shadows, glows).

        paint is an (r, g, b, a) tuple or a function (x, y) -> tuple. box limits the work to
        (x0, y0, x1, y1) when given.
        """
        x0, y0, x1, y1 = box if box else (0, 0, self.width, self.height)
        x0, y0 = max(0, int(x0)), max(0, int(y0))
        x1, y1 = min(self.width, int(math.ceil(x1))), min(self.height, int(math.ceil(y1)))
        constant = not callable(paint)
        for y in range(y0, y1):
            py = y + 0.5
            base = y * self.width
            for x in range(x0, x1):
                px = x + 0.5
                d = sdf(px, py)
                if soft > 0.0:
                    cover = 1.0 - smoothstep(-soft, soft, d)
                else:
                    cover = clamp01(0.5 - d)
                if cover <= 0.0:
                    continue
                r, g, b, a = paint if constant else paint(px, py)
                a *= cover * opacity
                if a <= 0.0:
                    continue
                p = self.px[base + x]
                keep = 1.0 - a
                p[0] = r * a + p[0] * keep
                p[1] = g * a + p[1] * keep
                p[2] = b * a + p[2] * keep
                p[3] = a + p[3] * keep

    def rows(self, dither=False):
        """8-bit straight RGBA rows, colour rounded to 5 bits per channel as the launcher shows it."""
        bayer = (0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5)
        out = []
        for y in range(self.height):
            row = bytearray(self.width * 4)
            for x in range(self.width):
                r, g, b, a = self.px[y * self.width + x]
                if a < 1.0 / 512.0:
                    continue
                threshold = (bayer[(y & 3) * 4 + (x & 3)] + 0.5) / 16.0 if dither else 0.5
                channels = []
                for c in (r, g, b):
                    level = min(31, int(clamp01(c / a) * 31.0 + threshold))
                    channels.append((level << 3) | (level >> 2))
                row[x * 4:x * 4 + 4] = bytes(channels + [int(round(clamp01(a) * 255.0))])
            out.append(bytes(row))
        return out

    def save(self, path, dither=False):
        size = write_png(path, self.width, self.height, self.rows(dither))
        print("%s: %ix%i, %i bytes" % (os.path.normpath(path), self.width, self.height, size))


def vertical(top, bottom, y0, y1):
    """Paint: a vertical gradient between rows y0 and y1."""
    span = float(y1 - y0)
    return lambda x, y: mix(top, bottom, clamp01((y - y0) / span))


# ---------------------------------------------------------------------------------------------
# Signed distance functions (negative inside, in pixels)


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ellipse(cx, cy, rx, ry):
    # Not exact, but close enough near the edge for anti-aliasing and soft glows.
    def d(x, y):
        k = math.hypot((x - cx) / rx, (y - cy) / ry)
        return (k - 1.0) * min(rx, ry)
    return d


def rbox(cx, cy, hw, hh, r):
    def d(x, y):
        qx = abs(x - cx) - hw + r
        qy = abs(y - cy) - hh + r
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r
    return d


def segment(ax, ay, bx, by, r):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy or 1e-9

    def d(x, y):
        t = clamp01(((x - ax) * dx + (y - ay) * dy) / length2)
        return math.hypot(x - ax - dx * t, y - ay - dy * t) - r
    return d


def polygon(points):
    def d(x, y):
        best = float("inf")
        inside = False
        n = len(points)
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            ex, ey = bx - ax, by - ay
            wx, wy = x - ax, y - ay
            t = clamp01((wx * ex + wy * ey) / (ex * ex + ey * ey))
            best = min(best, math.hypot(wx - ex * t, wy - ey * t))
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
                inside = not inside
        return -best if inside else best
    return d


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def subtract(shape, cut):
    return lambda x, y: max(shape(x, y), -cut(x, y))


def intersect(a, b):
    return lambda x, y: max(a(x, y), b(x, y))


def ring(cx, cy, r, width):
    c = circle(cx, cy, r)
    return lambda x, y: abs(c(x, y)) - width / 2.0


def shift(shape, dx, dy):
    return lambda x, y: shape(x - dx, y - dy)


def gear(cx, cy, r_body, r_teeth, teeth, tooth_half_width, r_hole):
    step = 2.0 * math.pi / teeth
    body = circle(cx, cy, r_body)
    hole = circle(cx, cy, r_hole)
    tooth_len = (r_teeth - r_body) / 2.0 + 1.0
    tooth_mid = r_body + tooth_len - 1.0

    def teeth_d(x, y):
        a = math.atan2(y - cy, x - cx)
        sector = round(a / step) * step
        rel_x, rel_y = x - cx, y - cy
        c, s = math.cos(-sector), math.sin(-sector)
        lx = rel_x * c - rel_y * s
        ly = rel_x * s + rel_y * c
        return rbox(tooth_mid, 0.0, tooth_len, tooth_half_width, 1.2)(lx, ly)

    return subtract(union(body, teeth_d), hole)


# ---------------------------------------------------------------------------------------------
# Icon symbols, drawn into a square of side `size` whose top-left corner is (ox, oy)


def symbol_games(ox, oy, size):
    s = size / 32.0
    X = lambda v: ox + v * s
    Y = lambda v: oy + v * s
    body = union(rbox(X(16), Y(15), 11 * s, 6 * s, 5 * s),
                 circle(X(7.5), Y(19), 5 * s), circle(X(24.5), Y(19), 5 * s))
    dpad = union(rbox(X(9), Y(16), 3.6 * s, 1.2 * s, 0.5 * s), rbox(X(9), Y(16), 1.2 * s, 3.6 * s, 0.5 * s))
    buttons = union(circle(X(22), Y(14.3), 1.6 * s), circle(X(25.2), Y(17.4), 1.6 * s))
    return subtract(body, union(dpad, buttons))


def symbol_files(ox, oy, size):
    s = size / 32.0
    X = lambda v: ox + v * s
    Y = lambda v: oy + v * s
    back = union(rbox(X(16), Y(17), 12 * s, 9 * s, 2 * s),
                 rbox(X(10), Y(8.5), 6 * s, 2.5 * s, 1.5 * s))
    front = polygon([(X(5), Y(13)), (X(29), Y(13)), (X(27.5), Y(26)), (X(4), Y(26))])
    gap = shift(front, 0, -1.6 * s)
    return union(subtract(back, gap), lambda x, y: front(x, y) - 0.8 * s)


def symbol_settings(ox, oy, size):
    s = size / 32.0
    return gear(ox + 16 * s, oy + 16 * s, 9.5 * s, 14 * s, 8, 2.4 * s, 4.2 * s)


def symbol_quit(ox, oy, size):
    s = size / 32.0
    cx, cy = ox + 16 * s, oy + 17 * s
    arc = subtract(ring(cx, cy, 9.5 * s, 3.2 * s),
                   polygon([(cx, cy), (cx - 9 * s, cy - 16 * s), (cx + 9 * s, cy - 16 * s)]))
    bar = segment(cx, cy - 13 * s, cx, cy - 3 * s, 1.6 * s)
    return union(arc, bar)


SYMBOLS = {
    "games": symbol_games,
    "files": symbol_files,
    "settings": symbol_settings,
    "quit": symbol_quit,
}

# ---------------------------------------------------------------------------------------------
# Skin "concept": deep blue glass, a row of glowing tiles


CONCEPT_ACCENT = {
    "games": "#ff8a3d",
    "files": "#ffc83d",
    "settings": "#3ddcff",
    "quit": "#ff5a6e",
}


def concept_icon(name, selected, out_dir):
    size = 56
    c = Canvas(size, size)
    cx = cy = size / 2.0
    accent = rgb(CONCEPT_ACCENT[name])
    if selected:
        # The selected tile is a little larger than the normal one and sits in a glow.
        tile = rbox(cx, cy, 22, 22, 9)
        c.fill(lambda x, y: tile(x, y) - 1.5, accent, soft=6.0, opacity=0.9)
        top = mix(accent, rgb("#ffffff"), 0.3)
        bottom = mix(accent, rgb("#10203a"), 0.3)
        c.fill(tile, vertical(top, bottom, cy - 22, cy + 22))
        shine = intersect(tile, ellipse(cx, cy - 22, 30, 17))
        c.fill(shine, rgb("#ffffff"), opacity=0.22)
        c.fill(lambda x, y: abs(tile(x, y) + 0.5) - 0.5, rgb("#ffffff"), opacity=0.55)
        glyph = SYMBOLS[name](cx - 14, cy - 14, 28)
        c.fill(shift(glyph, 0, 1.2), rgb("#0a1424"), soft=1.2, opacity=0.45)
        c.fill(glyph, rgb("#ffffff"))
    else:
        tile = rbox(cx, cy, 20, 20, 9)
        c.fill(shift(tile, 0, 2), rgb("#02060c"), soft=3.0, opacity=0.6)
        c.fill(tile, vertical(rgb("#2b4362"), rgb("#17263b"), cy - 21, cy + 21))
        c.fill(lambda x, y: abs(tile(x, y) + 0.5) - 0.5, rgb("#6d8db3"), opacity=0.45)
        glyph = SYMBOLS[name](cx - 14, cy - 14, 28)
        c.fill(glyph, mix(rgb("#b7c6d8"), accent, 0.35))
    c.save(os.path.join(out_dir, "%s_%s.png" % (name, "sel" if selected else "off")))


def concept_pill(selected, out_dir):
    w, h = 176, 20
    c = Canvas(w, h)
    pill = rbox(w / 2.0, h / 2.0, w / 2.0 - 2, h / 2.0 - 2, 8)
    if selected:
        accent = rgb("#3ddcff")
        c.fill(pill, accent, soft=2.0, opacity=0.45)
        c.fill(pill, vertical(rgb("#2f8fc4"), rgb("#1b4f7e"), 2, h - 2))
        c.fill(lambda x, y: abs(pill(x, y) + 0.5) - 0.5, rgb("#bff3ff"), opacity=0.7)
    else:
        c.fill(pill, vertical(rgb("#1f3350"), rgb("#16263d"), 2, h - 2), opacity=0.85)
        c.fill(lambda x, y: abs(pill(x, y) + 0.5) - 0.5, rgb("#4f6f96"), opacity=0.5)
    c.save(os.path.join(out_dir, "pill_%s.png" % ("sel" if selected else "off")))


def concept_background(out_dir):
    w, h = 320, 240
    c = Canvas(w, h)
    everything = lambda x, y: -1.0
    c.fill(everything, vertical(rgb("#0a1424"), rgb("#173352"), 0, h))
    c.fill(circle(160, 104, 10), rgb("#2d6ea3"), soft=150.0, opacity=0.45)
    # A soft floor under the tile row.
    c.fill(ellipse(160, 150, 150, 16), rgb("#4fb6e8"), soft=14.0, opacity=0.16)
    # Thin arcs for depth.
    for radius, alpha in ((190, 0.10), (230, 0.07), (270, 0.05)):
        c.fill(ring(160, 330, radius, 1.0), rgb("#7fd0ff"), opacity=alpha, box=(0, 28, w, 214))
    # Header and status bars with hairlines.
    c.fill(lambda x, y: y - 28.0, rgb("#050b14"), opacity=0.62, box=(0, 0, w, 29))
    c.fill(lambda x, y: abs(y - 28.5) - 0.5, rgb("#3ddcff"), opacity=0.55, box=(0, 27, w, 30))
    c.fill(lambda x, y: 214.0 - y, rgb("#050b14"), opacity=0.62, box=(0, 213, w, h))
    c.fill(lambda x, y: abs(y - 213.5) - 0.5, rgb("#3ddcff"), opacity=0.3, box=(0, 212, w, 215))
    # A small brand mark in the header.
    mark = subtract(circle(14, 14, 7), circle(14, 14, 3.2))
    c.fill(mark, rgb("#3ddcff"), soft=3.0, opacity=0.35, box=(0, 0, 30, 28))
    c.fill(mark, rgb("#3ddcff"), box=(0, 0, 30, 28))
    c.save(os.path.join(out_dir, "main.png"), dither=True)


def make_concept(root):
    out_dir = os.path.join(root, "concept")
    os.makedirs(out_dir, exist_ok=True)
    concept_background(out_dir)
    for name in SYMBOLS:
        concept_icon(name, True, out_dir)
        concept_icon(name, False, out_dir)
    concept_pill(True, out_dir)
    concept_pill(False, out_dir)


# ---------------------------------------------------------------------------------------------
# Skin "paper": warm paper and ink, a vertical menu of round stamps


PAPER_INK = "#3b2f2a"
PAPER_ACCENT = "#c8553d"
PAPER_CREAM = "#f6efe0"


def paper_icon(name, selected, out_dir):
    size = 44
    c = Canvas(size, size)
    cx = cy = size / 2.0
    disc = circle(cx, cy, 18.5)
    glyph = SYMBOLS[name](cx - 12, cy - 12, 24)
    if selected:
        c.fill(shift(disc, 1.2, 2.0), rgb("#5a3b22"), soft=2.5, opacity=0.35)
        c.fill(disc, vertical(rgb("#d86a50"), rgb("#a9422e"), cy - 18, cy + 18))
        c.fill(lambda x, y: abs(disc(x, y) + 0.6) - 0.6, rgb("#7e2f20"), opacity=0.6)
        c.fill(glyph, rgb(PAPER_CREAM))
    else:
        c.fill(disc, rgb("#fffaf0"), opacity=0.55)
        c.fill(lambda x, y: abs(disc(x, y) + 0.6) - 0.6, rgb(PAPER_INK), opacity=0.55)
        c.fill(glyph, rgb(PAPER_INK), opacity=0.9)
    c.save(os.path.join(out_dir, "%s_%s.png" % (name, "sel" if selected else "off")))


def paper_tab(selected, out_dir):
    w, h = 150, 18
    c = Canvas(w, h)
    bar = rbox(w / 2.0, h / 2.0, w / 2.0 - 1, h / 2.0 - 1, 3)
    if selected:
        c.fill(shift(bar, 1, 1.5), rgb("#5a3b22"), soft=1.5, opacity=0.3)
        # Light enough for ink captions painted over it.
        c.fill(bar, vertical(rgb("#f4c9a4"), rgb("#e6a27a"), 1, h - 1))
        c.fill(lambda x, y: abs(bar(x, y) + 0.5) - 0.5, rgb(PAPER_ACCENT), opacity=0.9)
    else:
        c.fill(lambda x, y: abs(bar(x, y) + 0.5) - 0.5, rgb(PAPER_INK), opacity=0.35)
    c.save(os.path.join(out_dir, "tab_%s.png" % ("sel" if selected else "off")))


def paper_background(out_dir):
    w, h = 320, 240
    c = Canvas(w, h)
    c.fill(lambda x, y: -1.0, vertical(rgb("#f8f2e4"), rgb("#eadcc0"), 0, h))
    # Side band that holds the menu, with a stitched edge.
    c.fill(lambda x, y: x - 150.0, rgb("#e4d2ae"), opacity=0.55, box=(0, 0, 151, h))
    c.fill(lambda x, y: abs(x - 150.5) - 0.5, rgb("#8c6a48"), opacity=0.45, box=(148, 0, 153, h))
    for y0 in range(6, h, 10):
        c.fill(segment(154.5, y0, 154.5, y0 + 5, 0.5), rgb("#8c6a48"), opacity=0.35, box=(152, y0 - 1, 157, y0 + 7))
    # A corner ornament behind the title.
    for radius, alpha in ((38, 0.18), (50, 0.12), (62, 0.08)):
        c.fill(ring(292, 30, radius, 1.2), rgb(PAPER_ACCENT), opacity=alpha, box=(200, 0, w, 100))
    c.fill(circle(292, 30, 20), rgb(PAPER_ACCENT), opacity=0.12, box=(260, 0, w, 60))
    # Ruled lines on the right page.
    for y0 in range(96, 200, 18):
        c.fill(lambda x, y, y0=y0: abs(y - y0 - 0.5) - 0.5, rgb("#b79b74"), opacity=0.25, box=(170, y0 - 1, 306, y0 + 2))
    c.save(os.path.join(out_dir, "main.png"), dither=True)


def make_paper(root):
    out_dir = os.path.join(root, "paper")
    os.makedirs(out_dir, exist_ok=True)
    paper_background(out_dir)
    for name in SYMBOLS:
        paper_icon(name, True, out_dir)
        paper_icon(name, False, out_dir)
    paper_tab(True, out_dir)
    paper_tab(False, out_dir)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, os.pardir, "data", "skins")
    make_concept(root)
    make_paper(root)


if __name__ == "__main__":
    main()
