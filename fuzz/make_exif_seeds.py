#!/usr/bin/env python3
"""Writes fuzz/seeds/exif/: APP1 payloads for the Exif orientation reader,
sound ones in both byte orders and hostile ones (offsets that loop or point
outside, counts past the end). The seeds are checked in."""
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent


def exif(order, ifd_offset, entries, count=None, tail=b"", next_ifd=0):
    e = "<" if order == b"II" else ">"
    body = order + struct.pack(e + "HI", 42, ifd_offset)
    body += b"\0" * (ifd_offset - len(body))
    body += struct.pack(e + "H", len(entries) if count is None else count)
    for tag, typ, n, value in entries:
        body += struct.pack(e + "HHI", tag, typ, n) + struct.pack(e + "H", value) + b"\0\0"
    body += struct.pack(e + "I", next_ifd) + tail
    return b"Exif\0\0" + body


ORIENT = lambda v: (0x0112, 3, 1, v)
MAKE = (0x010F, 2, 4, 0)
SEEDS = {
    "le-6": exif(b"II", 8, [MAKE, ORIENT(6)]),
    "be-8": exif(b"MM", 8, [ORIENT(8)]),
    "be-3-far-ifd": exif(b"MM", 40, [MAKE, MAKE, ORIENT(3)]),
    "next-ifd-loops-to-itself": exif(b"II", 8, [MAKE], next_ifd=8),
    "ifd-offset-outside": exif(b"II", 8, [ORIENT(6)])[:10] + struct.pack("<I", 0xFFFFFFF0),
    "count-past-end": exif(b"II", 8, [MAKE, ORIENT(5)], count=0xFFFF),
    "entry-cut-short": exif(b"II", 8, [MAKE, ORIENT(5)])[:-10],
    "value-out-of-range": exif(b"MM", 8, [ORIENT(9)]),
    "wrong-type": exif(b"II", 8, [(0x0112, 4, 1, 6)]),
    "two-values": exif(b"II", 8, [(0x0112, 3, 2, 6)]),
    "ifd-at-the-header": exif(b"II", 0, [ORIENT(6)]),
    "bad-magic": exif(b"II", 8, [ORIENT(6)]).replace(b"II*\0", b"II+\0", 1),
    "xmp-not-exif": b"http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>",
    "header-only": b"Exif\0\0II",
}

out = HERE / "seeds" / "exif"
out.mkdir(parents=True, exist_ok=True)
for old in out.iterdir():
    old.unlink()
for name, data in SEEDS.items():
    (out / name).write_bytes(data)
