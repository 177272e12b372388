"""Icon symbols shared by both skins.

Each is drawn into a square of side `size` whose top-left corner is (ox, oy).
"""

from .shapes import circle, gear, polygon, rbox, ring, segment, shift, subtract, union


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
