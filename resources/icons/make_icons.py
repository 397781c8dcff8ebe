#!/usr/bin/env python3
# Quorel — SPDX-License-Identifier: MIT
# Draws the program's icons as 16 × 16 PNG files with @2x and @3x copies for
# high-density screens (and the window icon also at 32 and 48) from the
# character pictures below. Run it after changing one; the PNG files are kept
# in the repository.
import struct
import zlib
from pathlib import Path

PALETTE = {
    '.': (0, 0, 0, 0),
    'k': (0, 0, 0, 255),
    'w': (255, 255, 255, 255),
    'g': (128, 128, 128, 255),
    'l': (192, 192, 192, 255),
    'r': (204, 0, 0, 255),
    'R': (255, 64, 64, 255),
    'b': (0, 0, 200, 255),
    'c': (0, 200, 220, 255),
    'G': (0, 150, 0, 255),
    'y': (240, 200, 40, 255),
    'p': (255, 200, 160, 255),
}

ICONS = {
    # two overlapping documents
    105: """
kkkkkkkk........
kwwwwwwk........
kwkkkkwk........
kwwwwwwk........
kwkkkkkkkkkk....
kwwwwkwwwwwwk...
kwkkkkwkkkkwkk..
kwwwwkwwwwwwwwk.
kkkkkkwkkkkkkwk.
.....kwwwwwwwwk.
.....kwkkkkkkwk.
.....kwwwwwwwwk.
.....kwkkkkkkwk.
.....kwwwwwwwwk.
.....kkkkkkkkkk.
................""",
    # floppy disk
    106: """
kkkkkkkkkkkkkk..
kbbwwwwwwwwbbbk.
kbbwwwwwwwwbbbbk
kbbwwwwwwwwbbbbk
kbbwwwwwwwwbbbbk
kbbbbbbbbbbbbbbk
kbbbbbbbbbbbbbbk
kbbllllllllllbbk
kbblkkkllllllbbk
kbblkkkllllllbbk
kbblkkkllllllbbk
kbbllllllllllbbk
kbbllllllllllbbk
.bbllllllllllbbk
..kkkkkkkkkkkkkk
................""",
    # magnifying glass
    222: """
....kkkkk.......
..kkwwwwwkk.....
.kwwcccccwwk....
.kwccwwwcccwk...
kwccwwcccccwk...
kwcwwcccccccwk..
kwcwccccccccwk..
kwcccccccccwk...
.kwcccccccwwk...
.kwwcccccwwkk...
..kkwwwwwkkkgk..
....kkkkk..kggk.
............kggk
.............kgk
..............k.
................""",
    # scale mode 0: a cyan-filled square, pointer arrow at lower right
    108: """
kkkkkkkkkkkkk...
kcccccccccccck..
kcccccccccccck..
kcccccccccccck..
kcccccccccccck..
kcccccccccccck..
kcccccccccccck..
kcccccccccccck..
kcccccccccccck..
kccccccccckcck..
kccccccccckkck..
kkkkkkkkkkkwkkk.
..........kwwk..
..........kwwwk.
..........kwkk..
...........k....""",
    # any other mode: the same frame, a small cyan square at its upper left
    109: """
kkkkkkkkkkkkk...
kcccccwwwwwwwk..
kcccccwwwwwwwk..
kcccccwwwwwwwk..
kcccccwwwwwwwk..
kcccccwwwwwwwk..
kwwwwwwwwwwwwk..
kwwwwwwwwwwwwk..
kwwwwwwwwwwwwk..
kwwwwwwwwwkwwk..
kwwwwwwwwwkkwk..
kkkkkkkkkkkwkkk.
..........kwwk..
..........kwwwk.
..........kwkk..
...........k....""",
    # align left
    113: """
................
.kkkk.rrrr......
.kkkk.rrrr......
.kkkk.rrrr......
.kkkk.rrrr......
................
................
...b............
..bb............
.bbbbbbbbbbbbb..
bbbbbbbbbbbbbb..
.bbbbbbbbbbbbb..
..bb............
...b............
................
................""",
    # align centre
    112: """
................
.....kkkk.rrrr..
.....kkkk.rrrr..
.....kkkk.rrrr..
.....kkkk.rrrr..
................
................
.b............b.
.bb..........bb.
.bbbbb....bbbbb.
.bbbbbb..bbbbbb.
.bbbbb....bbbbb.
.bb..........bb.
.b............b.
................
................""",
    # align right
    111: """
................
.........kkkk.rr
.........kkkk.rr
.........kkkk.rr
.........kkkk.rr
................
................
............b...
............bb..
..bbbbbbbbbbbbb.
..bbbbbbbbbbbbbb
..bbbbbbbbbbbbb.
............bb..
............b...
................
................""",
    # green pencil
    114: """
............kk..
...........kRRk.
..........kGkRk.
.........kGGGk..
........kGGGk...
.......kGGGk....
......kGGGk.....
.....kGGGk......
....kGGGk.......
...kGGGk........
..kpGGk.........
..kppk..........
.kppk...........
.kkk............
kk..............
................""",
    # wrench
    116: """
..........kkk...
.........kglk...
........kglk..k.
........kgllkkgk
........kglllllk
.......kgglllgk.
......kgggkkkk..
.....kgggk......
....kgggk.......
...kgggk........
..kgggk.........
.kgggk..........
kgggk...........
kggk............
.kk.............
................""",
    # question mark
    115: """
................
.....kkkkkk.....
....kbbbbbbk....
...kbbkkkkbbk...
...kbbk..kbbk...
....kk..kbbk....
.......kbbk.....
......kbbk......
......kbbk......
.......kk.......
................
......kbbk......
......kbbk......
.......kk.......
................
................""",
    # small triangle pointing down
    103: """
................
................
................
................
................
...kkkkkkkkkk...
....kkkkkkkk....
.....kkkkkk.....
......kkkk......
.......kk.......
................
................
................
................
................
................""",
    # a folder with an arrow out of it: the mark as files
    117: """
......kkk.......
......kGGk......
.kkkk.kGGGk.....
kyyyykkGGGGk....
kyyyyykGGGGGk...
kkkkkkkGGGGk....
kyyyyykGGGk.kkk.
kyyyyykGGk.yyyk.
kyyyyykkk.yyyyk.
kyyyyyyyyyyyyyk.
kyyyyyyyyyyyyyk.
kyyyyyyyyyyyyyk.
kyyyyyyyyyyyyyk.
kkkkkkkkkkkkkkk.
................
................""",
    # an envelope: the mark as an e-mail message
    118: """
................
................
................
kkkkkkkkkkkkkkkk
kkwwwwwwwwwwwwkk
kwkwwwwwwwwwwkwk
kwwkwwwwwwwwkwwk
kwwwkwwwwwwkwwwk
kwwwwkwwwwkwwwwk
kwwwkwkkkkwkwwwk
kwwkwwwwwwwwkwwk
kwkwwwwwwwwwwkwk
kkwwwwwwwwwwwwkk
kkkkkkkkkkkkkkkk
................
................""",
    # a framed picture: the mark copied as one picture
    119: """
................
kkkkkkkkkkkkkkkk
kllllllllllllllk
klcccccccccccclk
klcccccccyyccclk
klcccccccyyccclk
klcccccccccccclk
klcccGcccccccclk
klccGGGccccGcclk
klcGGGGGccGGGclk
klGGGGGGGGGGGGlk
klGGGGGGGGGGGGlk
kllllllllllllllk
kkkkkkkkkkkkkkkk
................
................""",
}


def seal(size):
    """A round red seal impression: a red ring around a red character."""
    rows = []
    c = (size - 1) / 2.0
    outer, inner = size / 2.0, size / 2.0 - max(1.5, size / 9.0)
    for y in range(size):
        row = []
        for x in range(size):
            d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
            u, v = (x - c) / (size / 2.0), (y - c) / (size / 2.0)
            # a simple stroke pattern inside: a cross with a bar, like a carved character
            mark = (abs(u) < 0.12 and abs(v) < 0.55) or (abs(v + 0.3) < 0.1 and abs(u) < 0.45) \
                or (abs(v - 0.25) < 0.1 and abs(u) < 0.5)
            if inner <= d <= outer or (d < inner and mark):
                row.append((200, 20, 20, 255))
            elif d < inner:
                row.append((255, 240, 235, 255))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def write_png(path, rows):
    height, width = len(rows), len(rows[0])
    raw = b''.join(b'\x00' + bytes(v for px in row for v in px) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xffffffff)

    png = b'\x89PNG\r\n\x1a\n'
    png += chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(raw, 9))
    png += chunk(b'IEND', b'')
    path.write_bytes(png)


def main():
    here = Path(__file__).resolve().parent
    for number, art in ICONS.items():
        lines = art.strip('\n').split('\n')
        assert len(lines) == 16 and all(len(l) == 16 for l in lines), number
        pixels = [[PALETTE[ch] for ch in line] for line in lines]
        write_png(here / f'{number}.png', pixels)
        # High-density screens: each character pixel as a square, sharp at 2× and 3×.
        for scale in (2, 3):
            write_png(here / f'{number}@{scale}x.png',
                      [[px for px in row for _ in range(scale)] for row in pixels for _ in range(scale)])
    for size in (16, 32, 48):
        write_png(here / f'101-{size}.png', seal(size))


if __name__ == '__main__':
    main()
