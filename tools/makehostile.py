#!/usr/bin/env python3
"""Writes the hostile inputs of the fuzz corpora: PNG files whose chunks claim far more than they
hold, an interlaced image far larger than the screen, and a skin whose variables double on every
line. Run from the repository root; the output is committed under tests/fuzz/corpus/."""
import os
import struct
import sys
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"
PNG_TARGET_PREFIX = b"\x00\x00"


def chunk(kind, data, claimed=None):
    """A chunk with its CRC; claimed, when given, replaces the true length in its header."""
    length = len(data) if claimed is None else claimed
    body = kind + data
    return struct.pack(">I", length) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def ihdr(width, height, colour_type=2, interlace=0):
    return chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, interlace))


def one_red_pixel():
    """IDAT and IEND of a 1x1 RGB image: one row, filter 0, pure red."""
    return chunk(b"IDAT", zlib.compress(b"\x00\xff\x00\x00")) + chunk(b"IEND", b"")


def huge_claim(kind, data, claimed):
    """A 1x1 image, then a chunk claiming claimed bytes that ends the file after a few."""
    return SIGNATURE + ihdr(1, 1) + chunk(kind, data, claimed)


def many_compressed_texts(count, text_bytes):
    """A valid 1x1 image after count zTXt chunks of text_bytes each once inflated."""
    text = zlib.compress(b"x" * text_bytes, 9)
    out = SIGNATURE + ihdr(1, 1)
    for i in range(count):
        out += chunk(b"zTXt", b"Comment%d\x00\x00" % i + text)
    return out + one_red_pixel()


def adam7_bytes(width, height, bytes_per_pixel):
    """Length of the filtered data of an interlaced image: each pass's rows, each with a filter byte."""
    passes = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2),
              (0, 1, 1, 2)]
    total = 0
    for x0, y0, dx, dy in passes:
        columns = (width - x0 + dx - 1) // dx if width > x0 else 0
        rows = (height - y0 + dy - 1) // dy if height > y0 else 0
        if columns and rows:
            total += rows * (1 + columns * bytes_per_pixel)
    return total


def interlaced_black(size):
    """A size x size RGBA interlaced image of transparent black: tiny on disk, huge decoded."""
    raw = bytes(adam7_bytes(size, size, 4))
    return SIGNATURE + ihdr(size, size, 6, 1) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def doubling_skin(lines):
    skin = "VARIABLE=A,x,x\n"
    skin += "VARIABLE=A,%A%,%A%\n" * (lines - 2)
    return skin + "PAGE=0\nBUTTON=0\nTYPE=text,0,0,ffffff,ffffff,%A%\n"


def main():
    corpus = sys.argv[1] if len(sys.argv) > 1 else "tests/fuzz/corpus"
    files = {
        "png/text-claims-2gib.png": huge_claim(b"tEXt", b"Comment\x00" + b"A" * 80, 0x7FFFFFF0),
        "png/itxt-claims-1gib.png": huge_claim(b"iTXt", b"T\x00\x00\x00", 0x40000000),
        "png/ztxt-claims-1gib.png": huge_claim(b"zTXt", b"T\x00\x00x", 0x40000000),
        "png/splt-claims-1gib.png": huge_claim(b"sPLT", b"P\x00\x08\x00", 0x40000000),
        "png/ztxt-8x8mb.png": many_compressed_texts(8, 7900000),
        "png/interlaced-4096.png": interlaced_black(4096),
        "skin/doubling.skin": doubling_skin(30).encode(),
        "statements/doubling.cfg": doubling_skin(30).encode(),
    }
    for name, data in files.items():
        # The PNG target reads a drawing position from its first two bytes.
        if name.startswith("png/"):
            data = PNG_TARGET_PREFIX + data
        path = os.path.join(corpus, name)
        with open(path, "wb") as f:
            f.write(data)
        print("%s: %d bytes" % (path, len(data)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
