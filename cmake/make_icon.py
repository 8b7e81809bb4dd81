#!/usr/bin/env python3
"""Turns a pixel-art text into a Windows .ico file (32-bit images with an AND mask).

The text, line by line ('#' starts a comment line, blank lines are skipped):
    color C RRGGBB      the character C stands for this colour (C '.' is always transparent)
    image N             the next N lines of N characters each are an N x N image
    image N from M      an N x N image made from the M x M image by repeating its pixels
Usage: make_icon.py <source.txt> <output.ico>
"""

import struct
import sys


class IconSourceError(Exception):
    pass


def parse(text):
    colors = {".": None}
    images = {}
    text = text.replace("\r\n", "\n").rstrip("\n")
    lines = list(enumerate(text.split("\n"), 1))
    position = 0

    def fail(number, message):
        raise IconSourceError("line %d: %s" % (number, message))

    while position < len(lines):
        number, line = lines[position]
        position += 1
        words = line.split()
        if not words or words[0].startswith("#"):
            continue
        if words[0] == "color" and len(words) == 3 and len(words[1]) == 1:
            value = words[2]
            if len(value) != 6 or any(c not in "0123456789abcdefABCDEF" for c in value):
                fail(number, "a colour is six hexadecimal digits")
            colors[words[1]] = tuple(int(value[i:i + 2], 16) for i in (0, 2, 4))
        elif words[0] == "image" and len(words) == 4 and words[2] == "from":
            size, source = int(words[1]), int(words[3])
            if source not in images or size % source != 0:
                fail(number, "image %d cannot be made from image %d" % (size, source))
            factor = size // source
            images[size] = [[row[x // factor] for x in range(size)]
                            for row in images[source] for _ in range(factor)]
        elif words[0] == "image" and len(words) == 2:
            size = int(words[1])
            if size not in (16, 24, 32, 48):
                fail(number, "an icon image is 16, 24, 32 or 48 pixels square")
            rows = []
            for _ in range(size):
                if position >= len(lines):
                    fail(number, "image %d ends early" % size)
                row_number, row = lines[position]
                position += 1
                if len(row) != size:
                    fail(row_number, "a row of image %d has %d characters" % (size, len(row)))
                for c in row:
                    if c not in colors:
                        fail(row_number, "no colour is given for '%s'" % c)
                rows.append([colors[c] for c in row])
            images[size] = rows
        else:
            fail(number, "not a line of the icon source")
    if not images:
        raise IconSourceError("no image")
    return images


def icon_image(rows):
    """A BITMAPINFOHEADER, 32-bit BGRA pixels bottom-up, then the 1-bit AND mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, color in enumerate(row):
            if color is None:
                pixels += b"\0\0\0\0"
                bits[x // 8] |= 0x80 >> (x % 8)
            else:
                red, green, blue = color
                pixels += bytes((blue, green, red, 255))
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def icon_file(images):
    sizes = sorted(images)
    bodies = [icon_image(images[size]) for size in sizes]
    data = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, body in zip(sizes, bodies):
        data += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(body), offset)
        offset += len(body)
    return data + b"".join(bodies)


def main(arguments):
    if len(arguments) != 3:
        sys.stderr.write("usage: make_icon.py <source.txt> <output.ico>\n")
        return 2
    try:
        with open(arguments[1], encoding="utf-8") as source:
            images = parse(source.read())
    except (OSError, IconSourceError, ValueError) as error:
        sys.stderr.write("%s: %s\n" % (arguments[1], error))
        return 1
    with open(arguments[2] + ".new", "wb") as output:
        output.write(icon_file(images))
    import os
    os.replace(arguments[2] + ".new", arguments[2])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
