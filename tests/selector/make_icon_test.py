#!/usr/bin/env python3
"""The icon generator (cmake/make_icon.py): the .ico it writes is what Windows reads, every
malformed source is refused with its line, and the selector's own icon sources all build.

Usage: make_icon_test.py <make_icon.py> <resources/icons folder>
"""

import os
import struct
import sys
import tempfile
import unittest

GENERATOR, ICONS = sys.argv[1], sys.argv[2]
sys.dont_write_bytecode = True  # the generator sits in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(GENERATOR)))
import make_icon  # noqa: E402  (found through the path above)


def read_ico(data):
    """{size: (header fields, pixels as rows of (b, g, r, a) top-down, mask rows top-down)}"""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert (reserved, kind) == (0, 1), "not an icon"
    images = {}
    for index in range(count):
        width, height, colors, _, planes, bits, length, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * index)
        size = width or 256
        assert height == width and colors == 0 and planes == 1 and bits == 32
        header = struct.unpack_from("<IiiHHIIiiII", data, offset)
        pixels_at = offset + 40
        rows = [[struct.unpack_from("<BBBB", data, pixels_at + 4 * (y * size + x))
                 for x in range(size)] for y in range(size)][::-1]
        stride = ((size + 31) // 32) * 4
        mask_at = pixels_at + 4 * size * size
        mask = [[bool(data[mask_at + y * stride + x // 8] & (0x80 >> (x % 8)))
                 for x in range(size)] for y in range(size)][::-1]
        assert mask_at + stride * size == offset + length, "image length"
        images[size] = (header, rows, mask)
    return images


def source(rows16, extra=""):
    return "color R ff0000\ncolor b 0000ff\n" + extra + "image 16\n" + "\n".join(rows16) + "\n"


SQUARE = ["R" + "." * 14 + "b"] + ["." * 16] * 14 + ["b" * 16]


class Generator(unittest.TestCase):
    def test_pixels_mask_and_header(self):
        images = read_ico(make_icon.icon_file(make_icon.parse(source(SQUARE))))
        self.assertEqual(sorted(images), [16])
        header, rows, mask = images[16]
        self.assertEqual(header[:5], (40, 16, 32, 1, 32))  # height covers pixels and mask
        self.assertEqual(rows[0][0], (0, 0, 255, 255))      # red, stored blue-green-red
        self.assertEqual(rows[0][15], (255, 0, 0, 255))     # blue
        self.assertEqual(rows[15][3], (255, 0, 0, 255))     # the bottom row stays at the bottom
        self.assertEqual(rows[1][1], (0, 0, 0, 0))
        self.assertEqual((mask[0][0], mask[0][15], mask[1][1], mask[15][0]),
                         (False, False, True, False))

    def test_an_image_made_from_a_smaller_one_repeats_its_pixels(self):
        doubled = make_icon.parse(source(SQUARE) + "image 32 from 16\n")
        images = read_ico(make_icon.icon_file(doubled))
        self.assertEqual(sorted(images), [16, 32])
        _, rows, mask = images[32]
        for x, y, expected in [(0, 0, (0, 0, 255, 255)), (1, 1, (0, 0, 255, 255)),
                               (30, 1, (255, 0, 0, 255)), (2, 0, (0, 0, 0, 0)),
                               (5, 31, (255, 0, 0, 255))]:
            self.assertEqual(rows[y][x], expected, (x, y))
        self.assertTrue(mask[0][2])
        self.assertFalse(mask[1][1])

    def test_malformed_sources_are_refused_with_their_line(self):
        cases = [
            (source(SQUARE[:15]), "ends early"),
            (source(SQUARE[:3] + ["R" * 15] + SQUARE[4:]), "line 7"),
            (source(SQUARE[:2] + ["X" * 16] + SQUARE[3:]), "no colour"),
            ("color R red\n", "hexadecimal"),
            ("image 20\n", "16, 24, 32 or 48"),
            (source(SQUARE) + "image 24 from 16\n", "cannot be made"),
            ("image 32 from 16\n", "cannot be made"),
            ("pixels\n", "line 1"),
            ("# only a comment\n", "no image"),
        ]
        for text, reason in cases:
            with self.assertRaises(make_icon.IconSourceError, msg=reason) as raised:
                make_icon.parse(text)
            self.assertIn(reason, str(raised.exception))

    def test_the_selector_icons_build_at_both_sizes(self):
        # The folder holds other programs' pictures too: the selector's four must be there.
        names = ["network_printer.txt", "parallel_printer.txt", "selector_program.txt",
                 "usb_printer.txt"]
        for name in names:
            self.assertTrue(os.path.isfile(os.path.join(ICONS, name)), name)
        with tempfile.TemporaryDirectory() as folder:
            for name in names:
                output = os.path.join(folder, name[:-4] + ".ico")
                arguments = ["make_icon.py", os.path.join(ICONS, name), output]
                self.assertEqual(make_icon.main(arguments), 0)
                with open(output, "rb") as written:
                    images = read_ico(written.read())
                self.assertEqual(sorted(images), [16, 32], name)
                for size, (_, _, mask) in images.items():
                    # Drawn, not empty, and not a full square either.
                    opaque = sum(not bit for row in mask for bit in row)
                    self.assertTrue(size < opaque < size * size, (name, size))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
