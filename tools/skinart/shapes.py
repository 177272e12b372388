"""Signed distance functions (negative inside, in pixels) and the ways to combine them."""

import math

from .canvas import clamp01


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
