#!/usr/bin/env python3
"""Turns a pixel-art text (the layout make_icon.py reads) into a 24-bit Windows .bmp of its
first image; transparent pixels take the toolbox background colour (light grey).

Usage: make_bitmap.py <source.txt> <output.bmp>
"""

import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_icon  # noqa: E402

BACKGROUND = (192, 192, 192)


def bitmap_file(rows):
    size = len(rows)
    stride = (size * 3 + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for color in row:
            red, green, blue = color if color is not None else BACKGROUND
            line += bytes((blue, green, red))
        pixels += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + bytes(pixels)


def main(arguments):
    if len(arguments) != 3:
        sys.stderr.write("usage: make_bitmap.py <source.txt> <output.bmp>\n")
        return 2
    try:
        with open(arguments[1], encoding="utf-8") as source:
            images = make_icon.parse(source.read())
    except (OSError, make_icon.IconSourceError, ValueError) as error:
        sys.stderr.write("%s: %s\n" % (arguments[1], error))
        return 1
    with open(arguments[2] + ".new", "wb") as output:
        output.write(bitmap_file(images[min(images)]))
    os.replace(arguments[2] + ".new", arguments[2])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
