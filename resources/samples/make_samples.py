#!/usr/bin/python3
# Quorel — SPDX-License-Identifier: MIT
"""Draws the two sample pictures of `make run` and the end-to-end tests.

signature.bmp: 300 x 120, handwriting-like black strokes on white.
seal.bmp:      64 x 64, a red round seal with a mark inside, on white.
Both are 24-bit BMP files. Needs python3-pil (scripts/install-deps.sh fixtures).
"""
import math
import os

from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))


def stroke(draw, points, width):
    """A smooth pen stroke through the points (Catmull-Rom), drawn as round dots."""
    samples = []
    padded = [points[0]] + points + [points[-1]]
    for i in range(1, len(padded) - 2):
        p0, p1, p2, p3 = padded[i - 1:i + 3]
        for s in range(24):
            t = s / 24
            t2, t3 = t * t, t * t * t
            x = 0.5 * (2 * p1[0] + (-p0[0] + p2[0]) * t + (2 * p0[0] - 5 * p1[0] + 4 * p2[0] - p3[0]) * t2
                       + (-p0[0] + 3 * p1[0] - 3 * p2[0] + p3[0]) * t3)
            y = 0.5 * (2 * p1[1] + (-p0[1] + p2[1]) * t + (2 * p0[1] - 5 * p1[1] + 4 * p2[1] - p3[1]) * t2
                       + (-p0[1] + 3 * p1[1] - 3 * p2[1] + p3[1]) * t3)
            samples.append((x, y))
    samples.append(points[-1])
    for n, (x, y) in enumerate(samples):
        # The pen presses harder in the middle of a stroke.
        r = width * (0.6 + 0.4 * math.sin(math.pi * n / max(1, len(samples) - 1)))
        draw.ellipse((x - r, y - r, x + r, y + r), fill=(0, 0, 0))


def signature():
    img = Image.new("RGB", (300, 120), (255, 255, 255))
    d = ImageDraw.Draw(img)
    # A looping capital, a run of joined small letters, and an underline.
    stroke(d, [(30, 80), (40, 30), (60, 20), (70, 45), (50, 70), (35, 75), (60, 60), (85, 75)], 3.2)
    stroke(d, [(85, 75), (95, 55), (105, 75), (115, 55), (125, 78), (140, 50), (150, 78),
               (165, 52), (172, 78), (185, 40), (192, 20), (196, 45), (200, 78), (215, 55),
               (228, 78), (240, 60), (252, 76)], 2.6)
    stroke(d, [(40, 98), (120, 92), (200, 95), (270, 88)], 2.0)
    img.save(os.path.join(HERE, "signature.bmp"))


def seal():
    img = Image.new("RGB", (64, 64), (255, 255, 255))
    d = ImageDraw.Draw(img)
    red = (205, 30, 30)
    d.ellipse((2, 2, 61, 61), outline=red, width=5)
    # A mark of three horizontal bars and one vertical bar, like a simple character.
    d.rectangle((18, 17, 45, 21), fill=red)
    d.rectangle((20, 30, 43, 34), fill=red)
    d.rectangle((16, 43, 47, 47), fill=red)
    d.rectangle((30, 14, 34, 50), fill=red)
    img.save(os.path.join(HERE, "seal.bmp"))


if __name__ == "__main__":
    signature()
    seal()
