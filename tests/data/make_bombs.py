#!/usr/bin/env python3
# Quorel — SPDX-License-Identifier: MIT
# Rebuilds the hostile files the bounds test runs: small files that declare
# huge pictures, chunks or work. Run from the source root.
import struct, zlib
from pathlib import Path

def chunk(kind, data, length=None):
    return struct.pack('>I', len(data) if length is None else length) + kind + data + struct.pack('>I', zlib.crc32(kind + data))

def png(w, h, depth, colour, interlace, extra=b'', raw=0):  # image data of `raw` zero bytes
    z, data = zlib.compressobj(9), b''
    for _ in range(raw >> 20): data += z.compress(bytes(1 << 20))
    data += z.compress(bytes(raw & 0xFFFFF)) + z.flush()
    ihdr = chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, depth, colour, 0, 0, interlace))
    return b'\x89PNG\r\n\x1a\n' + ihdr + extra + chunk(b'IDAT', data) + chunk(b'IEND', b'')

def adam7_bytes(w, h, bits):  # filter byte plus packed pixels, over the seven passes
    grid = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
    sizes = [((w - x + dx - 1) // dx, (h - y + dy - 1) // dy) for x, y, dx, dy in grid]
    return sum(rows * (1 + (cols * bits + 7) // 8) for cols, rows in sizes if cols and rows)

def seg(marker, body): return bytes([0xFF, marker]) + struct.pack('>H', len(body) + 2) + body

def jpeg_header(w, h, sof=0xC0):  # grey; one Huffman code each: DC difference 0, a run of 2^14+ empty blocks
    return (b'\xff\xd8' + seg(0xDB, b'\x00' + b'\x01' * 64) + seg(sof, struct.pack('>BHHB', 8, h, w, 1) + b'\x01\x11\x00')
            + seg(0xC4, b'\x00\x01' + bytes(15) + b'\x00') + seg(0xC4, b'\x10\x01' + bytes(15) + b'\xe0'))

def jpeg_eob_scans(w, h, scans):  # progressive: DC of zeros, then AC scans of end-of-band runs only
    blocks = ((w + 7) // 8) * ((h + 7) // 8)
    runs = -(-blocks // 32767)
    bits = ''.join(format(blocks // runs + (i < blocks % runs) - 16384, '015b') for i in range(runs))  # '0', 14 extra bits
    bits += '1' * (-len(bits) % 8)
    ac = int(bits, 2).to_bytes(len(bits) // 8, 'big').replace(b'\xff', b'\xff\x00')
    return (jpeg_header(w, h, 0xC2) + seg(0xDA, b'\x01\x01\x00\x00\x00\x00') + bytes(-(-blocks // 8))
            + (seg(0xDA, b'\x01\x01\x00\x01\x3f\x00') + ac) * (scans - 1) + b'\xff\xd9')

def gif(w, h):  # a 2-colour screen and one image of three codes: clear, 0, end
    return (b'GIF89a' + struct.pack('<HHBBB', w, h, 0x80, 0, 0) + b'\x00' * 3 + b'\xff' * 3
            + b'\x2c' + struct.pack('<HHHHB', 0, 0, w, h, 0) + b'\x02\x02\x44\x01\x00\x3b')

baseline_scan = seg(0xDA, b'\x01\x01\x00\x00\x3f\x00')
files = {
    'fuzz/regressions/png/interlaced-palette-trns-16384.png':
        png(16384, 16384, 1, 3, 1, chunk(b'PLTE', b'\0\0\0\xff\xff\xff') + chunk(b'tRNS', b'\0'), adam7_bytes(16384, 16384, 1)),
    'fuzz/regressions/png/grey-16384.png': png(16384, 16384, 8, 0, 0, raw=16384 * 16385),
    'fuzz/regressions/png/over-cap-pixels-20000.png': png(20000, 20000, 8, 0, 0, raw=20001),
    'fuzz/regressions/png/over-cap-width-2pow24.png': png(1 << 24, 1, 8, 0, 0, raw=(1 << 24) + 1),
    'fuzz/regressions/jpeg/header-only-16384.jpg': jpeg_header(16384, 16384) + baseline_scan,
    'fuzz/regressions/jpeg/over-cap-header-65500.jpg': jpeg_header(65500, 65500) + baseline_scan,
    'fuzz/regressions/jpeg/progressive-999-eob-scans-16000.jpg': jpeg_eob_scans(16000, 16000, 999),
    'fuzz/regressions/jpeg/progressive-999-eob-scans-4096.jpg': jpeg_eob_scans(4096, 4096, 999),
    'tests/data/bounds/gif-16384x16384.gif': gif(16384, 16384),
    'tests/data/bounds/gif-65535x4096.gif': gif(65535, 4096),
}
for kind in (b'tEXt', b'zTXt', b'iTXt', b'sPLT'):  # declares 2 GiB, ends at once
    one_pixel = chunk(b'IHDR', struct.pack('>IIBBBBB', 1, 1, 8, 0, 0, 0, 0))
    files[f'fuzz/regressions/png/{kind.decode().lower()}-declares-2gib.png'] = \
        b'\x89PNG\r\n\x1a\n' + one_pixel + struct.pack('>I', 0x7FFFFFFF) + kind + b'k\0' + bytes(36)
for name, data in files.items():
    Path(name).parent.mkdir(parents=True, exist_ok=True)
    Path(name).write_bytes(data)
    print(f'{name}: {len(data)} bytes')
