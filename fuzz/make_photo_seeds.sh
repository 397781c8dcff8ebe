#!/usr/bin/env bash
# The seeds of the HEIF and WebP readers, made with Debian's encoders (cwebp: webp; heif-enc:
# libheif-examples), and the same files as reader fixtures in tests/data/webp and tests/data/heif, each
# beside <name>.rgb (QRGB, as tests/data/make_fixtures.py writes it, over white) from the format's own
# decoder (dwebp, heif-convert); then two seeds declaring more pixels than their length can hold. The
# results are checked in. Needs python3-pil too.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
data=$here/../tests/data
seeds=$here/seeds
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$data/webp" "$data/heif" "$seeds/webp" "$seeds/heif"
dump() {  # decoded picture, .rgb
  /usr/bin/python3 -c '
import struct, sys
from PIL import Image
image = Image.open(sys.argv[1]).convert("RGBA")
out = bytearray(b"QRGB" + struct.pack("<II", *image.size))
for *rgb, a in image.getdata(): out += bytes((c * a + 255 * (255 - a) + 127) // 255 for c in rgb)
open(sys.argv[2], "wb").write(out)' "$1" "$2"
}
cwebp -quiet -lossless "$data/png/rgb8.png" -o "$data/webp/lossless.webp"
cwebp -quiet -lossless -exact "$data/png/rgba8.png" -o "$data/webp/alpha.webp"
cwebp -quiet -q 80 "$data/jpeg/colour.jpg" -o "$data/webp/lossy.webp"
cwebp -quiet -q 80 "$data/photo/seal.jpg" -o "$work/seal.webp"
head -c 2000 "$work/seal.webp" >"$data/webp/cut.webp"  # cut in its data: no dump
heif-enc -q 90 "$data/jpeg/colour.jpg" -o "$data/heif/colour.heic" >/dev/null
heif-enc -q 90 "$data/png/rgba8.png" -o "$data/heif/alpha.heic" >/dev/null
for name in lossless alpha lossy; do
  dwebp -quiet "$data/webp/$name.webp" -o "$work/$name.png" && dump "$work/$name.png" "$data/webp/$name.rgb"
done
for name in colour alpha; do
  heif-convert "$data/heif/$name.heic" "$work/$name.png" >/dev/null && dump "$work/$name.png" "$data/heif/$name.rgb"
done
cp "$data"/webp/*.webp "$seeds/webp/" && cp "$data"/heif/*.heic "$seeds/heif/"
# The lossy frame header's 14-bit sizes (bytes 26-29) say 16383 x 16383; every ispe box, 16384 x 16384.
/usr/bin/python3 -c '
import re, struct, sys
webp = bytearray(open(sys.argv[1], "rb").read())
webp[26:30] = struct.pack("<HH", 16383, 16383)
open(sys.argv[2], "wb").write(webp)
heif = bytearray(open(sys.argv[3], "rb").read())
for m in re.finditer(b"ispe", bytes(heif)): heif[m.start() + 8:m.start() + 16] = struct.pack(">II", 16384, 16384)
open(sys.argv[4], "wb").write(heif)' "$data/webp/lossy.webp" "$seeds/webp/over-cap-16383.webp" \
  "$data/heif/colour.heic" "$seeds/heif/over-cap-16384.heic"
