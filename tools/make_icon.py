#!/usr/bin/env python3
"""Turns a pixel-art text file into a 16-colour Windows icon (.ico).

The text holds one line per pixel row, top row first, and one character per
pixel: a hexadecimal digit 0-F picks a colour of the standard 16-colour
Windows palette, '.' is transparent. Lines starting with '#' are comments.
The icon holds one image: a 4-bit bitmap with its palette and an AND mask.

    make_icon.py picture.txt picture.ico
"""

import struct
import sys

# The standard 16-colour Windows palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
TRANSPARENT = "."


class ArtError(ValueError):
    pass


def parse_art(text):
    """Returns the rows as lists of palette indexes, None for transparent."""
    rows = []
    for number, line in enumerate(text.splitlines(), 1):
        line = line.rstrip("\r\n")
        if not line or line.startswith("#"):
            continue
        row = []
        for column, char in enumerate(line, 1):
            if char == TRANSPARENT:
                row.append(None)
            elif char in "0123456789ABCDEFabcdef":
                row.append(int(char, 16))
            else:
                raise ArtError(f"line {number}, column {column}: {char!r} is no colour")
        rows.append(row)
    if not rows:
        raise ArtError("no pixel rows")
    width = len(rows[0])
    for index, row in enumerate(rows):
        if len(row) != width:
            raise ArtError(f"row {index + 1} has {len(row)} pixels, the first has {width}")
    if width > 256 or len(rows) > 256:
        raise ArtError("an icon is at most 256 pixels wide and high")
    return rows


def _padded(data):
    """Bitmap rows are padded to whole 32-bit words."""
    return data + b"\0" * (-len(data) % 4)


def encode_ico(rows):
    height, width = len(rows), len(rows[0])
    colour_rows = []
    mask_rows = []
    for row in reversed(rows):  # bitmaps are stored bottom-up
        nibbles = [0 if index is None else index for index in row]
        if len(nibbles) % 2:
            nibbles.append(0)
        colour_rows.append(_padded(bytes(a << 4 | b for a, b in zip(nibbles[::2], nibbles[1::2]))))
        mask = bytearray((width + 7) // 8)
        for x, index in enumerate(row):
            if index is None:
                mask[x // 8] |= 0x80 >> (x % 8)
        mask_rows.append(_padded(bytes(mask)))
    colours = b"".join(colour_rows)
    masks = b"".join(mask_rows)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    # The header's height counts the colour bitmap and the mask together.
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 4, 0,
                         len(colours) + len(masks), 0, 0, 16, 0)
    image = header + palette + colours + masks
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", width % 256, height % 256, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip().splitlines()[-1].strip(), file=sys.stderr)
        return 2
    try:
        with open(argv[1], encoding="ascii") as source:
            rows = parse_art(source.read())
    except (OSError, UnicodeDecodeError, ArtError) as error:
        print(f"{argv[1]}: {error}", file=sys.stderr)
        return 1
    with open(argv[2], "wb") as target:
        target.write(encode_ico(rows))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
