#!/usr/bin/python3
"""Decodes X window dumps (xwd) of 16-bit screens and writes them as PNG files."""

import struct
import sys
import zlib

# Fields of the XWD file header, all 32-bit big-endian words.
_HEADER_FIELDS = (
    "header_size", "file_version", "pixmap_format", "pixmap_depth",
    "pixmap_width", "pixmap_height", "xoffset", "byte_order",
    "bitmap_unit", "bitmap_bit_order", "bitmap_pad", "bits_per_pixel",
    "bytes_per_line", "visual_class", "red_mask", "green_mask", "blue_mask",
    "bits_per_rgb", "colormap_entries", "ncolors", "window_width",
    "window_height", "window_x", "window_y", "window_bdrwidth",
)
_XWD_VERSION = 7
_MSB_FIRST = 1


class XwdImage:
    """A decoded dump: width, height and 16-bit pixel values by (x, y)."""

    def __init__(self, data):
        if len(data) < 4 * len(_HEADER_FIELDS):
            raise ValueError("xwd dump too short: %d bytes" % len(data))
        header = dict(zip(_HEADER_FIELDS,
                          struct.unpack(">%dI" % len(_HEADER_FIELDS),
                                        data[:4 * len(_HEADER_FIELDS)])))
        if header["file_version"] != _XWD_VERSION:
            raise ValueError("not an xwd dump (version %d)" % header["file_version"])
        if header["bits_per_pixel"] != 16:
            raise ValueError("expected 16 bits per pixel, got %d" % header["bits_per_pixel"])
        self.header = header
        self.width = header["pixmap_width"]
        self.height = header["pixmap_height"]
        self.bytes_per_line = header["bytes_per_line"]
        self.red_mask = header["red_mask"]
        self.green_mask = header["green_mask"]
        self.blue_mask = header["blue_mask"]
        # Pixels follow the header (which includes the window name) and the colormap (12 bytes per entry).
        offset = header["header_size"] + 12 * header["ncolors"]
        self.pixels = data[offset:offset + self.bytes_per_line * self.height]
        if len(self.pixels) < self.bytes_per_line * self.height:
            raise ValueError("xwd dump truncated")
        self._fmt = ">H" if header["byte_order"] == _MSB_FIRST else "<H"

    def pixel(self, x, y):
        """The raw 16-bit value at screen position (x, y)."""
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise IndexError("pixel (%d, %d) outside %dx%d" % (x, y, self.width, self.height))
        return struct.unpack_from(self._fmt, self.pixels, y * self.bytes_per_line + 2 * x)[0]

    def rgb(self, x, y):
        """The pixel at (x, y) widened to 8-bit red, green and blue."""
        value = self.pixel(x, y)
        return tuple(_scale(value, mask) for mask in (self.red_mask, self.green_mask, self.blue_mask))

    def to_png(self, x0=0, y0=0, width=None, height=None):
        """PNG bytes of a region of the dump (by default all of it)."""
        width = self.width - x0 if width is None else width
        height = self.height - y0 if height is None else height
        rows = bytearray()
        for y in range(y0, y0 + height):
            rows.append(0)  # filter type: none
            for x in range(x0, x0 + width):
                rows.extend(self.rgb(x, y))
        return encode_png(width, height, bytes(rows))


def _scale(value, mask):
    if mask == 0:
        return 0
    shift = (mask & -mask).bit_length() - 1
    top = mask >> shift
    return ((value & mask) >> shift) * 255 // top


def _chunk(kind, body):
    return (struct.pack(">I", len(body)) + kind + body
            + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))


def encode_png(width, height, filtered_rgb_rows):
    """An 8-bit RGB PNG from rows that each start with a filter byte."""
    return (b"\x89PNG\r\n\x1a\n"
            + _chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + _chunk(b"IDAT", zlib.compress(filtered_rgb_rows, 9))
            + _chunk(b"IEND", b""))


def main(argv):
    if len(argv) not in (3, 7):
        sys.stderr.write("usage: xwd2png.py dump.xwd out.png [x y width height]\n")
        return 2
    with open(argv[1], "rb") as f:
        image = XwdImage(f.read())
    region = [int(v) for v in argv[3:7]]
    with open(argv[2], "wb") as f:
        f.write(image.to_png(*region))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
