"""Skin "paper": warm paper and ink, a vertical menu of round stamps."""

import os

from .canvas import Canvas, rgb, vertical
from .shapes import circle, rbox, ring, segment, shift
from .symbols import SYMBOLS


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


# Where the skin file puts its lists' cursor lines (top row, left and right edges): the
# background marks each one with a band, so these must follow the skin's selector windows.
LINE_HEIGHT = 14
LIST_CURSOR = (112, 22, 312)
SKIN_LIST_CURSOR = (92, 10, 146)


def cursor_band(c, cursor, colour, opacity):
    """A band exactly as tall as one list line, behind a list's fixed cursor line."""
    top, left, right = cursor
    bottom = top + LINE_HEIGHT
    c.fill(lambda x, y: max(top - y, y - bottom, left - x, x - right), rgb(colour), opacity=opacity,
           box=(left, top, right, bottom))


def paper_list_background(out_dir):
    """The games and files pages: a ruled sheet whose rules fall between the list's lines."""
    w, h = 320, 240
    c = Canvas(w, h)
    c.fill(lambda x, y: -1.0, vertical(rgb("#f8f2e4"), rgb("#efe3ca"), 0, h))
    # Rules on the empty top row of every line, where no glyph reaches.
    for y0 in range(42, 224, LINE_HEIGHT):
        c.fill(lambda x, y, y0=y0: abs(y - y0 - 0.5) - 0.5, rgb("#b79b74"), opacity=0.22,
               box=(22, y0, 312, y0 + 1))
    # A notebook margin between the cursor bar and the text.
    c.fill(lambda x, y: abs(x - 36.5) - 0.5, rgb(PAPER_ACCENT), opacity=0.30, box=(36, 42, 37, 224))
    cursor_band(c, LIST_CURSOR, PAPER_ACCENT, 0.09)
    c.save(os.path.join(out_dir, "list.png"), dither=True)


def paper_settings_background(out_dir):
    w, h = 320, 240
    c = Canvas(w, h)
    c.fill(lambda x, y: -1.0, vertical(rgb("#f4ecdc"), rgb("#ece0c6"), 0, h))
    cursor_band(c, SKIN_LIST_CURSOR, PAPER_ACCENT, 0.09)
    c.save(os.path.join(out_dir, "settings.png"), dither=True)


def make_paper(root):
    out_dir = os.path.join(root, "paper")
    os.makedirs(out_dir, exist_ok=True)
    paper_background(out_dir)
    paper_list_background(out_dir)
    paper_settings_background(out_dir)
    for name in SYMBOLS:
        paper_icon(name, True, out_dir)
        paper_icon(name, False, out_dir)
    paper_tab(True, out_dir)
    paper_tab(False, out_dir)
