#!/usr/bin/env python3
"""Draws the four palette bitmaps as 24x24, 8-bit, palettized, uncompressed BMP files.

Each picture is pixel art below: one character a pixel, mapped to a colour by COLOURS.
Run it from this folder to write the .bmp files again after changing a picture.
"""
import struct

COLOURS = {
    '.': (192, 192, 192),  # palette grey background
    'k': (0, 0, 0),
    'w': (255, 255, 255),
    'd': (128, 128, 128),
    'y': (240, 200, 40),   # brass
    'o': (160, 110, 10),   # brass shadow
    'g': (0, 150, 0),
    'b': (0, 0, 160),
    'r': (200, 0, 0),
}

PICTURES = {
    'TZELRIGHT': """
........................
........................
.....kkkkk..............
....kyyyyyk.............
...kyyoooyyk............
..kyyo...oyyk...........
..kyo.....oyk...........
..kyo.....oyk...........
..kyo.....oyk...........
..kyyo...oyyk...........
...kyyoooyyyk...........
....kyyyyyyyykkkkkkkkk..
.....kkkkkyyyyyyyyyyyyk.
.........kyyoooooooooyk.
..........kkkkkkyykyyk..
...............kyyk.kk..
...............kyyk.....
................kk......
........................
..........ggggggggggg...
..........gwwwwwwwwwg...
..........ggggggggggg...
........................
........................
""",
    'TZELBITBTN': """
........................
........................
.wwwwwwwwwwwwwwwwwwwwwk.
.w...................dk.
.w...................dk.
.w...................dk.
.w.........g.........dk.
.w........gg.........dk.
.w.......gg..kkkkkk..dk.
.w..g...gg...........dk.
.w..gg.gg....kkkkk...dk.
.w...ggg.............dk.
.w....g......kkkk....dk.
.w...................dk.
.w...................dk.
.w...................dk.
.w...................dk.
.wdddddddddddddddddddddk
.kkkkkkkkkkkkkkkkkkkkkkk
........................
.....yyyy...............
....yoooy...............
.....yyyy...............
........................
""",
    'TZELBUTTON': """
........................
........................
........................
........................
........................
.wwwwwwwwwwwwwwwwwwwwwk.
.w...................dk.
.w...................dk.
.w...................dk.
.w.....kkkkkkkkkk....dk.
.w...................dk.
.w...................dk.
.w...................dk.
.wdddddddddddddddddddddk
.kkkkkkkkkkkkkkkkkkkkkkk
........................
........................
.....yyyy...............
....yoooy...............
.....yyyy...............
........................
........................
........................
........................
""",
    'TZELMENUCHECKLISTBOX': """
dddddddddddddddddddddddd
dkkkkkkkwwwwwwwwwwwwwwwk
dkwwwwgkwbbbbbbbbbbbbwwk
dkwwwggkwwwwwwwwwwwwwwwk
dkgwggwkwwwwwwwwwwwwwwwk
dkgggwwkwwwwwwwwwwwwwwwk
dkwgwwwkwwwwwwwwwwwwwwwk
dkkkkkkkwwwwwwwwwwwwwwwk
dwwkkkkkkkwwwwwwwwwwwwwk
dwwkwwwwgkwbbbbbbbbbbwwk
dwwkwwwggkwwwwwwwwwwwwwk
dwwkgwggwkwwwwwwwwwwwwwk
dwwkgggwwkwwwwwwwwwwwwwk
dwwkwgwwwkwwwwwwwwwwwwwk
dwwkkkkkkkwwwwwwwwwwwwwk
dwwwwwwwwwwwwwwwwwwwwwwk
dkkkkkkkwwwwwwwwwwwwwwwk
dkwwwwwkwbbbbbbbbbwwwwwk
dkwwwwwkwwwwwwwwwwwwwwwk
dkwwwwwkwwwwwwwwwwwwwwwk
dkwwwwwkwwwwwwwwwwwwwwwk
dkwwwwwkwwwwwwwwwwwwwwwk
dkkkkkkkwwwwwwwwwwwwwwwk
dkkkkkkkkkkkkkkkkkkkkkkk
""",
}


def bmp(rows):
    keys = list(COLOURS)
    assert len(rows) == 24 and all(len(r) == 24 for r in rows), "pictures are 24x24"
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in COLOURS.values())
    palette += b'\0' * (4 * (256 - len(keys)))
    pixels = b''.join(bytes(keys.index(c) for c in row) for row in reversed(rows))
    offset = 14 + 40 + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, 24, 24, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    return header + info + palette + pixels


for name, art in PICTURES.items():
    with open(name + '.bmp', 'wb') as f:
        f.write(bmp(art.strip('\n').split('\n')))
