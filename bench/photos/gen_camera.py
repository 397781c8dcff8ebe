"""Generator "camera": a small physical model in linear light. Paper is a
reflectance with fibres; inks are transmittances that multiply (so a seal
over print is darker where both lie); light is a warm lamp plus cool sky with
shadows whose penumbra is a distance ramp; the camera samples a Bayer mosaic
with shot and read noise, demosaics bilinearly, applies the sRGB curve,
sharpens (unsharp mask, as phones do) and saves JPEG 4:2:0.

Handwriting is a random walk with momentum stamped with discs of varying
pressure; the truth is the ink's coverage >= 0.5 before the optics.
"""
import io
import math

import numpy as np
from PIL import Image, ImageFilter


def _disc_stamp(cover, x, y, r):
    h, w = cover.shape
    x0, x1 = int(max(0, x - r - 2)), int(min(w, x + r + 3))
    y0, y1 = int(max(0, y - r - 2)), int(min(h, y + r + 3))
    if x0 >= x1 or y0 >= y1:
        return
    yy, xx = np.mgrid[y0:y1, x0:x1].astype(np.float32) + 0.5
    c = np.clip(r + 0.5 - np.hypot(xx - x, yy - y), 0, 1)
    np.maximum(cover[y0:y1, x0:x1], c, out=cover[y0:y1, x0:x1])


def _walk(rng, cover, start, steps, pen, heading=0.0, turn=0.35, pull=None):
    x, y = start
    a = heading
    omega = 0.0
    for i in range(steps):
        omega = 0.85 * omega + rng.normal(0, turn)
        a += omega
        if pull is not None:  # keep the line going toward its goal
            goal = math.atan2(pull[1] - y, pull[0] - x)
            a += 0.08 * math.sin(goal - a)
        r = pen / 2 * (0.75 + 0.5 * abs(math.sin(i * 0.05)))
        for s in range(2):
            x += 0.5 * math.cos(a)
            y += 0.5 * math.sin(a)
            _disc_stamp(cover, x, y, r)
    return x, y


def _signature(rng, h, w, pen, x_end=0.9, dots=False):
    cover = np.zeros((h, w), np.float32)
    x, y = w * 0.1, h * 0.5
    while x < w * x_end:
        goal = (min(w * 1.1, x + w * rng.uniform(0.2, 0.35)), h * rng.uniform(0.4, 0.6))
        x, y = _walk(rng, cover, (x, y), int(rng.integers(250, 400)), pen, 0, 0.12, goal)
        if dots:
            _disc_stamp(cover, x - rng.uniform(10, 40), y - h * 0.15, pen * 0.75)
        x += w * rng.uniform(0.03, 0.06)
        y = h * rng.uniform(0.4, 0.6)
    return cover


def _seal(rng, h, w, r):
    cover = np.zeros((h, w), np.float32)
    cx, cy = w * rng.uniform(0.4, 0.6), h * rng.uniform(0.4, 0.6)
    ring = max(2.0, r * 0.07)
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32) + 0.5
    d = np.hypot(xx - cx, yy - cy)
    cover = np.maximum(cover, np.clip(ring / 2 + 0.5 - np.abs(d - (r - ring / 2)), 0, 1))
    for _ in range(int(rng.integers(3, 5))):  # a few curly glyph strokes
        start = (cx + rng.uniform(-0.5, 0.5) * r, cy + rng.uniform(-0.5, 0.5) * r)
        sub = np.zeros_like(cover)
        _walk(rng, sub, start, int(r * 1.2), r * 0.08, rng.uniform(0, 6.3), 0.06, (cx, cy))
        sub[d > r - ring] = 0
        cover = np.maximum(cover, sub)
    return cover, (cx, cy)


def _print(rng, h, w):
    cover = np.zeros((h, w), np.float32)
    line_h = rng.uniform(12, 18)
    y = line_h
    while y < h - line_h:
        x = 8.0
        while x < w - 10:
            for _ in range(int(rng.integers(2, 8))):  # a word of letters: stems, bowls and bars
                stem = line_h * 0.1
                cover[int(y):int(y + line_h * 0.6), int(x):int(x + stem + 1)] = 1
                if rng.random() < 0.6:
                    cover[int(y):int(y + stem + 1), int(x):int(x + line_h * 0.4)] = 1
                if rng.random() < 0.5:
                    cover[int(y + line_h * 0.5):int(y + line_h * 0.6), int(x):int(x + line_h * 0.4)] = 1
                x += line_h * 0.55
            x += line_h * 0.6
        y += line_h * 1.5
    return cover


def _box(img, r):
    k = 2 * r + 1
    c = np.cumsum(np.pad(img, ((r + 1, r), (0, 0)) + ((0, 0),) * (img.ndim - 2), mode="edge"), axis=0)
    img = (c[k:] - c[:-k]) / k
    c = np.cumsum(np.pad(img, ((0, 0), (r + 1, r)) + ((0, 0),) * (img.ndim - 2), mode="edge"), axis=1)
    return (c[:, k:] - c[:, :-k]) / k


def render(case, seed):
    rng = np.random.default_rng(seed)
    h, w = 720, 880
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)
    base = {"cream": (0.86, 0.80, 0.62), "pencil-on-cream": (0.88, 0.82, 0.64), "kraft": (0.52, 0.37, 0.22),
            "legal-pad": (0.90, 0.82, 0.38)}.get(case, (0.84, 0.84, 0.82))
    refl = np.ones((h, w, 3), np.float32) * np.array(base, np.float32)
    fibres = _box(rng.normal(0, 1, (h, w)).astype(np.float32), 1)
    refl *= (1 + 0.04 * fibres)[..., None]

    def multiply(cover, colour, strength=1.0):
        nonlocal refl
        t = np.array(colour, np.float32)
        a = (cover * strength)[..., None]
        refl = refl * (1 - a + a * t)

    tilt = math.radians(rng.uniform(-3, 3))
    u = yy * math.cos(tilt) - xx * math.sin(tilt)
    v = xx * math.cos(tilt) + yy * math.sin(tilt)
    if case in ("ruled", "legal-pad", "margin-line", "squared"):
        gap = rng.uniform(18, 24) if case == "squared" else rng.uniform(30, 38)
        lw = rng.uniform(1.0, 1.8)
        m = (u + rng.uniform(0, gap)) % gap
        multiply(np.clip(lw / 2 + 0.5 - np.minimum(m, gap - m), 0, 1), (0.45, 0.62, 0.85), 0.85)
        if case == "squared":
            m = (v + rng.uniform(0, gap)) % gap
            multiply(np.clip(lw / 2 + 0.5 - np.minimum(m, gap - m), 0, 1), (0.45, 0.62, 0.85), 0.85)
        if case in ("legal-pad", "margin-line"):
            pos = w * rng.uniform(0.1, 0.16)
            multiply(np.clip(1.5 - np.abs(v - pos), 0, 1), (0.85, 0.25, 0.3))
            if case == "legal-pad":
                multiply(np.clip(1.5 - np.abs(v - pos - 4), 0, 1), (0.85, 0.25, 0.3))

    truth = np.zeros((h, w), bool)
    pen = rng.uniform(2.6, 4.6)
    ink = [(0.03, 0.03, 0.05), (0.05, 0.08, 0.3), (0.08, 0.15, 0.55)][int(rng.integers(0, 3))]
    if case in ("thin-ballpoint", "faint-handwriting"):
        pen = rng.uniform(1.3, 1.9)
    if case.startswith("seal"):
        if case in ("seal-over-print", "seal-blue-over-print"):
            multiply(_print(rng, h, w), (0.04, 0.04, 0.04))
        cover, (cx, cy) = _seal(rng, h, w, min(h, w) * rng.uniform(0.26, 0.34))
        truth = cover >= 0.5
        mottle = np.clip(0.9 + 0.3 * _box(rng.normal(0, 1, (h, w)).astype(np.float32), 2), 0.4, 1)
        if case == "seal-faded-corner":
            a = rng.uniform(0, 2 * math.pi)
            s = ((xx - cx) * math.cos(a) + (yy - cy) * math.sin(a)) / (min(h, w) * 0.3)
            mottle = mottle * np.clip(0.7 - 0.5 * s, 0.25, 1)
        multiply(cover, (0.2, 0.18, 0.75) if case == "seal-blue-over-print" else (0.8, 0.12, 0.1), mottle)
    elif case not in ("blank", "lone-speck"):
        cover = _signature(rng, h, w, pen, 1.05 if case == "cut-by-border" else 0.85, case == "i-dots")
        truth = cover >= 0.5
        strength = 1.0
        if case == "faint-handwriting":
            strength = rng.uniform(0.3, 0.45)
        if case in ("pencil", "pencil-on-cream"):
            ink = (0.35, 0.35, 0.37)
            strength = np.clip(0.8 + 0.4 * rng.normal(0, 1, (h, w)), 0.3, 1).astype(np.float32) \
                * (0.45 if case == "pencil-on-cream" else 0.85)
        multiply(cover, ink, strength)
        if case == "signed-and-sealed":
            seal, _ = _seal(rng, h, w, min(h, w) * 0.22)
            multiply(seal, (0.8, 0.15, 0.12), 0.9)
    if case == "lone-speck":
        speck = np.zeros((h, w), np.float32)
        _disc_stamp(speck, w * 0.7, h * 0.3, 1.7)
        multiply(speck, (0.1, 0.1, 0.1))

    # light: a warm lamp and a cool sky; shadows with a penumbra
    lamp = np.array((1.0, 0.88, 0.7), np.float32)
    sky = np.array((0.75, 0.85, 1.0), np.float32)
    px, py = rng.uniform(-0.5, 1.5), rng.uniform(-0.5, 1.5)
    fall = np.exp(-(((xx / w - px) ** 2 + (yy / h - py) ** 2) * (1.6 if case == "uneven-light" else 0.5)))
    direct = 0.75 * fall
    if case in ("finger-shadow", "seal-hard-shadow", "soft-shadow"):
        if case == "finger-shadow":
            x0, width = w * rng.uniform(0.3, 0.7), rng.uniform(35, 65)
            a = math.radians(rng.uniform(-20, 20))
            along = (yy - h) * math.cos(a) + (xx - x0) * math.sin(a)
            across = (xx - x0) * math.cos(a) - (yy - h) * math.sin(a)
            tip = -h * rng.uniform(0.55, 0.75)
            dist = np.maximum(np.abs(across) - width / 2, tip - along)
            pen_w = rng.uniform(1.5, 3)
        elif case == "seal-hard-shadow":
            a = rng.uniform(0, 2 * math.pi)
            dist = -(((xx - w / 2) * math.cos(a) + (yy - h / 2) * math.sin(a)) - rng.uniform(-80, 80))
            pen_w = rng.uniform(1.5, 3)
        else:
            dist = np.hypot(xx - w * rng.uniform(0, 1), yy - h * rng.uniform(0, 1)) - min(h, w) * 0.35
            pen_w = min(h, w) * 0.2
        shade = np.clip(0.5 - dist / pen_w, 0, 1)
        direct = direct * (1 - 0.8 * shade)
    light = direct[..., None] * lamp + 0.3 * sky
    if case == "vignette":
        light *= (1 - 1.1 * (((xx - w / 2) / w) ** 2 + ((yy - h / 2) / h) ** 2))[..., None]
    img = refl * light * rng.uniform(0.9, 1.1)
    if case == "flash-glare":
        cx, cy = w * rng.uniform(0.35, 0.65), h * rng.uniform(0.35, 0.65)
        img = img + rng.uniform(0.5, 0.9) * np.exp(-((xx - cx) ** 2 + (yy - cy) ** 2) / (2 * (min(h, w) * 0.12) ** 2))[..., None]
    if case == "blurred":
        img = _box(_box(img, 1), 1)

    # the sensor: Bayer RGGB mosaic, shot and read noise, bilinear demosaic
    wb = np.array([rng.uniform(0.9, 1.1), 1.0, rng.uniform(0.9, 1.2)], np.float32)
    img = np.clip(img * wb, 0, 1.2)
    photons = 900.0 if case != "noise" else 150.0
    mosaic = np.zeros((h, w), np.float32)
    mosaic[0::2, 0::2] = img[0::2, 0::2, 0]
    mosaic[0::2, 1::2] = img[0::2, 1::2, 1]
    mosaic[1::2, 0::2] = img[1::2, 0::2, 1]
    mosaic[1::2, 1::2] = img[1::2, 1::2, 2]
    mosaic = rng.poisson(np.clip(mosaic, 0, None) * photons) / photons + rng.normal(0, 0.004, mosaic.shape)
    planes = []
    for c, where in enumerate(([(0, 0)], [(0, 1), (1, 0)], [(1, 1)])):
        sampled = np.zeros((h, w), np.float32)
        weight = np.zeros((h, w), np.float32)
        for oy, ox in where:
            sampled[oy::2, ox::2] = mosaic[oy::2, ox::2]
            weight[oy::2, ox::2] = 1
        k = np.array([0.5, 1, 0.5], np.float32)
        num = sampled
        den = weight
        for axis in (0, 1):
            num = sum(kv * np.roll(num, s, axis) for kv, s in zip(k, (-1, 0, 1)))
            den = sum(kv * np.roll(den, s, axis) for kv, s in zip(k, (-1, 0, 1)))
        planes.append(num / np.maximum(den, 1e-6))
    img = np.stack(planes, axis=-1)
    img = np.where(img <= 0.0031308, 12.92 * img, 1.055 * np.power(np.clip(img, 0.0031308, None), 1 / 2.4) - 0.055)
    pic = Image.fromarray(np.clip(img * 255 + 0.5, 0, 255).astype(np.uint8))
    pic = pic.filter(ImageFilter.UnsharpMask(radius=rng.uniform(1.0, 2.0), percent=int(rng.integers(40, 90)), threshold=2))
    out = io.BytesIO()
    pic.save(out, "JPEG", quality=60 if case == "jpeg-q60" else int(rng.integers(72, 92)), subsampling=2)
    return out.getvalue(), truth
