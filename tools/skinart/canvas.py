"""Colours and a premultiplied RGBA canvas that shapes are painted into with analytic coverage.

Colours are rounded to the launcher's 5-5-5 pixel format (with ordered dithering on the
backgrounds) so the files show exactly what the handheld will, and compress well.
"""

import math
import os

from .png import write_png


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
