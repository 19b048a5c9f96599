"""The pixel-art to .ico encoder, read back by an independent decoder, and
the two pictures the window shows."""

import os
import struct
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tools"))

import make_icon  # noqa: E402


def decode(ico):
    """Returns (width, height, palette, rows of indexes or None)."""
    reserved, kind, count = struct.unpack_from("<HHH", ico, 0)
    assert (reserved, kind, count) == (0, 1, 1)
    w, h, colours, _, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", ico, 6)
    assert offset + size == len(ico)
    (hsize, bw, bh, bplanes, bbits, compression, image_size, _, _, used, _) = struct.unpack_from(
        "<IiiHHIIiiII", ico, offset)
    assert (hsize, bplanes, bbits, compression, used) == (40, 1, 4, 0, 16)
    assert (bw, bh) == (w or 256, 2 * (h or 256))
    width, height = bw, bh // 2
    palette = [struct.unpack_from("<BBBB", ico, offset + 40 + 4 * i)[2::-1] for i in range(16)]
    pixels = offset + 40 + 64
    colour_stride = ((width * 4 + 31) // 32) * 4
    mask_stride = ((width + 31) // 32) * 4
    masks = pixels + colour_stride * height
    assert masks + mask_stride * height == len(ico)
    assert image_size == (colour_stride + mask_stride) * height
    rows = []
    for y in range(height):
        stored = height - 1 - y  # bottom-up
        row = []
        for x in range(width):
            byte = ico[pixels + stored * colour_stride + x // 2]
            index = byte >> 4 if x % 2 == 0 else byte & 0x0F
            transparent = ico[masks + stored * mask_stride + x // 8] & (0x80 >> (x % 8))
            row.append(None if transparent else index)
        rows.append(row)
    return width, height, palette, rows


class EncoderTest(unittest.TestCase):
    def test_round_trip_of_an_odd_sized_picture(self):
        art = "# comment\n9.A\n.0F\n8C.\n"
        width, height, palette, rows = decode(make_icon.encode_ico(make_icon.parse_art(art)))
        self.assertEqual((width, height), (3, 3))
        self.assertEqual(rows, [[9, None, 10], [None, 0, 15], [8, 12, None]])
        self.assertEqual(palette[9], (0xFF, 0, 0))
        self.assertEqual(palette[10], (0, 0xFF, 0))
        self.assertEqual(palette[7], (0xC0, 0xC0, 0xC0))
        self.assertEqual(palette[8], (0x80, 0x80, 0x80))

    def test_transparent_pixels_have_colour_zero_under_the_mask(self):
        ico = make_icon.encode_ico(make_icon.parse_art("." * 32 + "\n"))
        self.assertEqual(ico[6 + 16 + 40 + 64:6 + 16 + 40 + 64 + 16], b"\0" * 16)

    def test_refuses_what_is_no_picture(self):
        for art in ["", "# only a comment\n", "9G\n", "99\n9\n", "9 9\n"]:
            with self.subTest(art=art), self.assertRaises(make_icon.ArtError):
                make_icon.parse_art(art)

    def test_command_line_writes_the_file(self):
        import tempfile
        with tempfile.TemporaryDirectory() as folder:
            source = os.path.join(folder, "a.txt")
            target = os.path.join(folder, "a.ico")
            with open(source, "w") as f:
                f.write("9.\n.9\n")
            self.assertEqual(make_icon.main(["make_icon.py", source, target]), 0)
            with open(target, "rb") as f:
                self.assertEqual(decode(f.read())[3], [[9, None], [None, 9]])
            with open(source, "w") as f:
                f.write("9x\n")
            self.assertEqual(make_icon.main(["make_icon.py", source, target]), 1)


class PicturesTest(unittest.TestCase):
    def picture(self, name):
        with open(os.path.join(ROOT, "app", "icons", name), encoding="ascii") as f:
            rows = make_icon.parse_art(f.read())
        colours = {index for row in rows for index in row}
        return rows, colours

    def test_program_icon(self):
        rows, colours = self.picture("Falvori.txt")
        self.assertEqual((len(rows[0]), len(rows)), (32, 32))
        self.assertTrue({9, 10, 8, None} <= colours, "red arrow, green letters, grey shadow, transparency")

    def test_make_equal_picture(self):
        rows, colours = self.picture("Gleichmachen.txt")
        self.assertEqual((len(rows[0]), len(rows)), (32, 32))
        self.assertTrue({12, 13, 0, 8, None} <= colours, "blue, magenta, black, grey shadow, transparency")


if __name__ == "__main__":
    unittest.main()
