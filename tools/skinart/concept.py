"""Skin "concept": deep blue glass, a row of glowing tiles."""

import os

from .canvas import Canvas, mix, rgb, vertical
from .shapes import circle, ellipse, intersect, rbox, ring, shift, subtract
from .symbols import SYMBOLS


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
        # Deep enough for light captions painted over it.
        c.fill(pill, vertical(rgb("#1a5684"), rgb("#123a5c"), 2, h - 2))
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


# Where the skin file puts its lists' cursor lines (top row, left and right edges): the
# background marks each one with a band, so these must follow the skin's selector windows.
LINE_HEIGHT = 14
LIST_CURSOR = (112, 10, 237)
SKIN_LIST_CURSOR = (98, 202, 310)


def cursor_band(c, cursor, colour, opacity):
    """A band exactly as tall as one list line, behind a list's fixed cursor line."""
    top, left, right = cursor
    bottom = top + LINE_HEIGHT
    c.fill(lambda x, y: max(top - y, y - bottom, left - x, x - right), rgb(colour), opacity=opacity,
           box=(left, top, right, bottom))


def concept_list_background(out_dir):
    """The games and files pages: deep blue, dithered so that the 16-bit screen shows no steps."""
    w, h = 320, 240
    c = Canvas(w, h)
    c.fill(lambda x, y: -1.0, vertical(rgb("#0a1424"), rgb("#15304d"), 0, h))
    c.fill(circle(124, 118, 10), rgb("#2d6ea3"), soft=140.0, opacity=0.28)
    cursor_band(c, LIST_CURSOR, "#3ddcff", 0.10)
    c.save(os.path.join(out_dir, "list.png"), dither=True)


def concept_settings_background(out_dir):
    w, h = 320, 240
    c = Canvas(w, h)
    c.fill(lambda x, y: -1.0, vertical(rgb("#0b1628"), rgb("#11263f"), 0, h))
    c.fill(circle(96, 96, 10), rgb("#2d6ea3"), soft=120.0, opacity=0.18)
    cursor_band(c, SKIN_LIST_CURSOR, "#3ddcff", 0.08)
    c.save(os.path.join(out_dir, "settings.png"), dither=True)


def make_concept(root):
    out_dir = os.path.join(root, "concept")
    os.makedirs(out_dir, exist_ok=True)
    concept_background(out_dir)
    concept_list_background(out_dir)
    concept_settings_background(out_dir)
    for name in SYMBOLS:
        concept_icon(name, True, out_dir)
        concept_icon(name, False, out_dir)
    concept_pill(True, out_dir)
    concept_pill(False, out_dir)
