#!/usr/bin/python3
"""Synthetic phone photos of signatures and seals with known ink masks.

Each photo comes from a fixed seed: a pen signature in a dark pen or a red seal
impression on cream paper, under a light gradient down to 64 %, on two thirds
of them a soft shadow over one corner, with paper grain, a colour cast, slight
blur and JPEG quality 85. The mask (PNG, 255 = ink) is the ink as drawn,
before the camera's blur.

  make_photos.py OUT [--count N] [--size WxH]   photo-NN.jpg + photo-NN-mask.png
  make_photos.py --fixtures tests/data/photo     the small test fixtures
"""
import argparse
import io
import math
import pathlib
import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter

CREAM = (240, 232, 208)
PENS = [(28, 28, 34), (24, 34, 86), (36, 52, 150)]  # black, blue-black, blue ballpoint
SEAL_RED = (200, 44, 52)


def signature_mask(rng, w, h):
    mask = Image.new("L", (w, h), 0)
    draw = ImageDraw.Draw(mask)
    pen = max(2, round(min(w, h) * rng.uniform(0.005, 0.008)))
    x = w * rng.uniform(0.15, 0.25)
    for _ in range(rng.randint(2, 4)):
        length = w * rng.uniform(0.12, 0.22)
        cy = h * rng.uniform(0.4, 0.6)
        amp = h * rng.uniform(0.06, 0.14)
        loop = h * rng.uniform(0.02, 0.06)
        turns = rng.uniform(2, 5)
        phase = rng.uniform(0, 6.3)
        points = []
        for i in range(200):
            t = i / 199
            a = 2 * math.pi * turns * t
            points.append((x + length * t + loop * math.cos(a + phase),
                           cy + amp * math.sin(a * 0.5 + phase) + loop * math.sin(a + phase)))
        draw.line(points, fill=255, width=pen, joint="curve")
        x += length + w * rng.uniform(0.02, 0.05)
    return mask


def seal_mask(rng, w, h):
    mask = Image.new("L", (w, h), 0)
    draw = ImageDraw.Draw(mask)
    r = min(w, h) * rng.uniform(0.22, 0.3)
    cx, cy = w * rng.uniform(0.4, 0.6), h * rng.uniform(0.4, 0.6)
    ring = max(2, round(r * 0.07))
    draw.ellipse((cx - r, cy - r, cx + r, cy + r), outline=255, width=ring)
    stroke = max(2, round(r * 0.05))
    inner = r * 0.62
    for column in (-1, 1):  # two characters of straight strokes
        left = cx + (column - 1) * inner / 2 + inner * 0.08
        for _ in range(rng.randint(4, 6)):
            if rng.random() < 0.5:
                y = cy + rng.uniform(-0.8, 0.8) * inner
                x0 = left + rng.uniform(0, 0.3) * inner
                draw.line((x0, y, x0 + rng.uniform(0.4, 0.75) * inner, y), fill=255, width=stroke)
            else:
                x = left + rng.uniform(0.05, 0.8) * inner
                y0 = cy + rng.uniform(-0.8, 0) * inner
                draw.line((x, y0, x, y0 + rng.uniform(0.6, 1.2) * inner), fill=255, width=stroke)
    return mask


def lighting(rng, w, h, shadow):
    grad = Image.linear_gradient("L").rotate(rng.uniform(0, 360), resample=Image.BILINEAR,
                                             expand=False, fillcolor=128)
    grad = grad.crop((48, 48, 208, 208)).resize((w, h), Image.BILINEAR)
    low = rng.uniform(0.64, 0.75)
    light = grad.point(lambda v: round(255 * (low + (1 - low) * v / 255)))
    if shadow:
        shade = Image.new("L", (w, h), 0)
        corner = rng.choice([(0, 0), (w, 0), (0, h), (w, h)])
        rx, ry = w * rng.uniform(0.35, 0.5), h * rng.uniform(0.35, 0.5)
        ImageDraw.Draw(shade).ellipse((corner[0] - rx, corner[1] - ry, corner[0] + rx, corner[1] + ry),
                                      fill=255)
        shade = shade.filter(ImageFilter.GaussianBlur(min(w, h) * 0.06))
        depth = rng.uniform(0.35, 0.5)
        light = ImageChops.multiply(light, shade.point(lambda v: round(255 * (1 - depth * v / 255))))
    return light


def grain(rng, w, h, amplitude):
    noise = Image.frombytes("L", (w, h), rng.randbytes(w * h))
    return noise.point(lambda v: round(128 + (v - 128) * amplitude / 128))


def photo(seed, w, h, kind, shadow):
    rng = random.Random(seed)
    mask = signature_mask(rng, w, h) if kind == "signature" else seal_mask(rng, w, h)
    cast = [rng.uniform(0.94, 1.04) for _ in range(3)]
    paper = tuple(min(255, round(c * k)) for c, k in zip(CREAM, cast))
    ink = rng.choice(PENS) if kind == "signature" else tuple(
        min(255, round(c * rng.uniform(0.9, 1.1))) for c in SEAL_RED)
    coverage = mask if kind == "signature" else mask.point(lambda v: v * 88 // 100)
    picture = Image.composite(Image.new("RGB", (w, h), ink), Image.new("RGB", (w, h), paper),
                              coverage.filter(ImageFilter.GaussianBlur(0.6)))
    picture = ImageChops.multiply(picture, lighting(rng, w, h, shadow).convert("RGB"))
    picture = ImageChops.add(picture, grain(rng, w, h, 10).convert("RGB"), offset=-128)
    picture = picture.filter(ImageFilter.GaussianBlur(0.7))
    out = io.BytesIO()
    picture.save(out, "JPEG", quality=85)
    return out.getvalue(), mask.point(lambda v: 255 if v >= 128 else 0)


def set_of(count):
    # Signatures first, then seals; every third without shadow.
    for i in range(count):
        yield i, ("seal" if i >= count * 2 // 3 else "signature"), i % 3 != 2


def orientation_fixtures(folder):
    # An upright 32 × 24 pattern of flat 8 × 8 blocks, stored turned or mirrored
    # so that its Exif orientation turns it back.
    colours = [(230, 40, 40), (40, 200, 60), (40, 60, 220), (240, 240, 240), (20, 20, 20),
               (240, 200, 30), (160, 40, 200), (40, 200, 200)]
    upright = Image.new("RGB", (32, 24))
    draw = ImageDraw.Draw(upright)
    for i in range(12):
        x, y = i % 4 * 8, i // 4 * 8
        draw.rectangle((x, y, x + 7, y + 7), fill=colours[(i * 5 + i // 4) % len(colours)])
    inverse = {1: None, 2: Image.FLIP_LEFT_RIGHT, 3: Image.ROTATE_180, 4: Image.FLIP_TOP_BOTTOM,
               5: Image.TRANSPOSE, 6: Image.ROTATE_90, 7: Image.TRANSVERSE, 8: Image.ROTATE_270}
    upright.save(folder / "upright.png")
    for value, method in inverse.items():
        stored = upright if method is None else upright.transpose(method)
        exif = Image.Exif()
        exif[0x0112] = value
        stored.save(folder / f"orient-{value}.jpg", "JPEG", quality=95, subsampling=0,
                    exif=exif.tobytes())


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out", type=pathlib.Path)
    parser.add_argument("--count", type=int, default=12)
    parser.add_argument("--size", default="1200x900")
    parser.add_argument("--fixtures", action="store_true")
    args = parser.parse_args()
    args.out.mkdir(parents=True, exist_ok=True)
    if args.fixtures:
        orientation_fixtures(args.out)
        for name, seed, kind in (("signature", 101, "signature"), ("seal", 102, "seal")):
            jpeg, mask = photo(seed, 240, 180, kind, True)
            (args.out / f"{name}.jpg").write_bytes(jpeg)
            mask.save(args.out / f"{name}-mask.png", optimize=True)
        return
    w, h = (int(v) for v in args.size.split("x"))
    for i, kind, shadow in set_of(args.count):
        jpeg, mask = photo(1000 + i, w, h, kind, shadow)
        (args.out / f"photo-{i:02d}.jpg").write_bytes(jpeg)
        mask.save(args.out / f"photo-{i:02d}-mask.png")


if __name__ == "__main__":
    main()
