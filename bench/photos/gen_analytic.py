"""Generator "analytic": strokes as exact distance fields, light as planes and
radial fall-off, paper as value noise, Gaussian sensor noise and blur, JPEG
4:2:0.

Handwriting is a sum of sines along a baseline with per-point pressure; a seal
is a ring with bar glyphs; print is rows of 5 x 7 dot-matrix glyphs. Each
pixel's ink coverage comes from its distance to the nearest segment (one pixel
of anti-aliasing); the truth is coverage >= 0.5, before blur and light.
"""
import io
import math

import numpy as np
from PIL import Image


def _segments_coverage(h, w, pts, radii, cover):
    """Adds round-capped segments between consecutive points to `cover` (max)."""
    for (x0, y0), (x1, y1), r0, r1 in zip(pts[:-1], pts[1:], radii[:-1], radii[1:]):
        r = max(r0, r1)
        left = int(max(0, math.floor(min(x0, x1) - r - 2)))
        right = int(min(w, math.ceil(max(x0, x1) + r + 3)))
        top = int(max(0, math.floor(min(y0, y1) - r - 2)))
        bottom = int(min(h, math.ceil(max(y0, y1) + r + 3)))
        if left >= right or top >= bottom:
            continue
        ys, xs = np.mgrid[top:bottom, left:right].astype(np.float32) + 0.5
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy
        t = np.zeros_like(xs) if length2 == 0 else np.clip(((xs - x0) * dx + (ys - y0) * dy) / length2, 0, 1)
        d = np.hypot(xs - (x0 + t * dx), ys - (y0 + t * dy))
        rr = r0 + (r1 - r0) * t
        c = np.clip(rr - d + 0.5, 0, 1)
        cover[top:bottom, left:right] = np.maximum(cover[top:bottom, left:right], c)


def _handwriting(rng, h, w, pen, extent=(0.12, 0.88), dots=False):
    cover = np.zeros((h, w), np.float32)
    x = w * extent[0]
    words = rng.integers(2, 4)
    span = (extent[1] - extent[0]) * w / words
    for _ in range(words):
        n = 160
        t = np.linspace(0, 1, n)
        length = span * rng.uniform(0.7, 0.9)
        cy = h * rng.uniform(0.4, 0.6)
        amp = h * rng.uniform(0.08, 0.16)
        f1, f2 = rng.uniform(3, 6), rng.uniform(7, 13)
        p1, p2 = rng.uniform(0, 6.3, 2)
        xs = x + length * t + 0.04 * length * np.sin(2 * math.pi * f2 * t + p2)
        ys = cy + amp * np.sin(2 * math.pi * f1 * t + p1) * np.cos(math.pi * f2 * t / 3) \
            + 0.3 * amp * np.sin(2 * math.pi * f2 * t + p1)
        press = pen / 2 * (0.8 + 0.35 * np.sin(2 * math.pi * rng.uniform(1, 3) * t + p2))
        _segments_coverage(h, w, list(zip(xs, ys)), list(press), cover)
        if dots:
            for _ in range(rng.integers(2, 4)):
                i = rng.integers(10, n - 10)
                dx, dy = xs[i] + rng.uniform(-3, 3), ys.min() - amp * rng.uniform(0.3, 0.6)
                r = pen * rng.uniform(0.55, 0.8)
                _segments_coverage(h, w, [(dx, dy), (dx + 0.5, dy + 0.3)], [r, r], cover)
        x += span
    return cover


def _seal(rng, h, w, cx, cy, radius):
    cover = np.zeros((h, w), np.float32)
    ring = max(2.0, radius * rng.uniform(0.06, 0.09))
    angles = np.linspace(0, 2 * math.pi, 181)
    rr = radius - ring / 2
    pts = list(zip(cx + rr * np.cos(angles), cy + rr * np.sin(angles)))
    _segments_coverage(h, w, pts, [ring / 2] * len(pts), cover)
    bar = max(1.5, radius * 0.05)
    inner = radius * 0.6
    for _ in range(rng.integers(7, 11)):
        if rng.random() < 0.5:
            y = cy + rng.uniform(-0.8, 0.8) * inner
            x0 = cx + rng.uniform(-0.85, 0.2) * inner
            seg = [(x0, y), (x0 + rng.uniform(0.3, 0.7) * inner, y + rng.uniform(-3, 3))]
        else:
            x = cx + rng.uniform(-0.8, 0.8) * inner
            y0 = cy + rng.uniform(-0.85, 0.1) * inner
            seg = [(x, y0), (x + rng.uniform(-3, 3), y0 + rng.uniform(0.4, 0.8) * inner)]
        _segments_coverage(h, w, seg, [bar / 2, bar / 2], cover)
    return cover


def _print_rows(rng, h, w, size):
    cover = np.zeros((h, w), np.float32)
    glyphs = rng.random((40, 7, 5)) < 0.45
    dot = size / 7
    y = h * 0.15
    while y < h * 0.85:
        x = w * 0.06
        while x < w * 0.94:
            g = glyphs[rng.integers(0, 40)]
            for gy, gx in zip(*np.nonzero(g)):
                top, left = int(y + gy * dot), int(x + gx * dot)
                cover[top:top + max(1, int(dot * 0.9)), left:left + max(1, int(dot * 0.9))] = 1
            x += dot * 6.5
            if rng.random() < 0.15:
                x += dot * 5
        y += size * 1.8
    return cover


def _value_noise(rng, h, w, cells):
    grid = rng.random((cells + 2, cells + 2)).astype(np.float32)
    img = Image.fromarray((grid * 255).astype(np.uint8)).resize((w, h), Image.BICUBIC)
    return np.asarray(img, np.float32) / 255 - 0.5


def _lines(h, w, spacing, width, angle, vertical=False, offset=0.0):
    ys, xs = np.mgrid[0:h, 0:w].astype(np.float32) + 0.5
    a = math.radians(angle)
    u = (xs * math.cos(a) + ys * math.sin(a)) if vertical else (ys * math.cos(a) - xs * math.sin(a))
    m = (u - offset) % spacing
    return np.clip(width / 2 + 0.5 - np.minimum(m, spacing - m), 0, 1)


def _one_line(h, w, pos, width, angle, vertical=True):
    ys, xs = np.mgrid[0:h, 0:w].astype(np.float32) + 0.5
    a = math.radians(angle)
    u = (xs * math.cos(a) + ys * math.sin(a)) if vertical else (ys * math.cos(a) - xs * math.sin(a))
    return np.clip(width / 2 + 0.5 - np.abs(u - pos), 0, 1)


def _blur(img, sigma):
    if sigma <= 0:
        return img
    r = int(math.ceil(3 * sigma))
    k = np.exp(-0.5 * (np.arange(-r, r + 1) / sigma) ** 2)
    k /= k.sum()
    out = img
    for axis in (0, 1):
        pad = [(0, 0)] * img.ndim
        pad[axis] = (r, r)
        p = np.pad(out, pad, mode="edge")
        acc = np.zeros_like(out)
        for i, kv in enumerate(k):
            sl = [slice(None)] * img.ndim
            sl[axis] = slice(i, i + out.shape[axis])
            acc += kv * p[tuple(sl)]
        out = acc
    return out


def _paint(base, cover, colour, strength=1.0):
    """Ink as a transparent layer: multiplies the paper by the ink's colour."""
    c = np.asarray(colour, np.float32) / 255
    a = (cover * strength)[..., None]
    return base * (1 - a + a * c)


def render(case, seed):
    rng = np.random.default_rng(seed)
    h, w = 640, 960
    ys, xs = np.mgrid[0:h, 0:w].astype(np.float32)
    paper = np.array([246, 244, 238], np.float32)
    if case in ("cream", "pencil-on-cream", "legal-pad"):
        paper = np.array([250, 240, 205] if case != "legal-pad" else [252, 238, 150], np.float32)
    if case == "kraft":
        paper = np.array([196, 160, 118], np.float32)
    texture = 1 + rng.uniform(0.02, 0.05) * _value_noise(rng, h, w, 90) + 0.02 * _value_noise(rng, h, w, 12)
    img = np.ones((h, w, 3), np.float32) * texture[..., None]
    truth = np.zeros((h, w), bool)
    angle = rng.uniform(-3, 3)

    # lines of the paper
    if case in ("ruled", "margin-line", "legal-pad"):
        spacing = rng.uniform(26, 36)
        colour = (90, 125, 185) if case != "legal-pad" else (100, 115, 150)
        img = _paint(img, _lines(h, w, spacing, rng.uniform(1.2, 2.2), angle, offset=rng.uniform(0, 30)), colour, 0.8)
        if case != "ruled":
            pos = w * rng.uniform(0.08, 0.14)
            img = _paint(img, _one_line(h, w, pos, 1.8, angle), (225, 70, 80), 0.85)
            if case == "legal-pad":
                img = _paint(img, _one_line(h, w, pos + 5, 1.8, angle), (225, 70, 80), 0.85)
    if case == "squared":
        spacing = rng.uniform(18, 26)
        for vertical in (False, True):
            img = _paint(img, _lines(h, w, spacing, 1.3, angle, vertical, rng.uniform(0, 20)), (110, 130, 185), 0.85)

    pen_colours = [(20, 20, 28), (22, 30, 90), (30, 50, 160)]
    pen_colour = pen_colours[rng.integers(0, 3)]
    pen = rng.uniform(3.0, 5.0)
    kind_seal = case.startswith("seal")
    ink_layer = None
    if case in ("blank", "lone-speck"):
        pass
    elif kind_seal:
        radius = min(h, w) * rng.uniform(0.25, 0.33)
        cx, cy = w * rng.uniform(0.4, 0.6), h * rng.uniform(0.42, 0.58)
        seal = _seal(rng, h, w, cx, cy, radius)
        red = (rng.uniform(195, 225), rng.uniform(35, 70), rng.uniform(40, 60))
        strength = np.clip(0.85 + 0.1 * _value_noise(rng, h, w, 60) * 4, 0.4, 1)
        if case == "seal-faded-corner":
            corner = rng.integers(0, 4)
            u = (xs - (cx - radius)) / (2 * radius)
            v = (ys - (cy - radius)) / (2 * radius)
            if corner & 1:
                u = 1 - u
            if corner & 2:
                v = 1 - v
            strength = strength * np.clip(0.3 + 0.7 * (u + v) / 1.2, 0.3, 1)
        if case in ("seal-over-print", "seal-blue-over-print"):
            img = _paint(img, _print_rows(rng, h, w, rng.uniform(11, 16)), (25, 25, 25))
        if case == "seal-blue-over-print":
            red = (rng.uniform(50, 120), rng.uniform(45, 80), rng.uniform(160, 205))
        truth = seal >= 0.5
        ink_layer = (seal * strength, red)
    else:
        thin = case in ("thin-ballpoint", "faint-handwriting")
        if thin:
            pen = rng.uniform(1.6, 2.2)
        extent = (0.15, 1.08) if case == "cut-by-border" else (0.1, 0.9)
        cover = _handwriting(rng, h, w, pen, extent, dots=case == "i-dots")
        truth = cover >= 0.5
        strength = 1.0
        colour = pen_colour
        if case == "faint-handwriting":
            strength = rng.uniform(0.35, 0.5)
        if case in ("pencil", "pencil-on-cream"):
            colour = (95, 95, 100)
            grain = np.clip(0.75 + 0.5 * _value_noise(rng, h, w, 300), 0.3, 1)
            strength = grain * (rng.uniform(0.45, 0.6) if case == "pencil-on-cream" else 0.85)
        ink_layer = (cover * strength, colour)
        if case == "signed-and-sealed":
            r = min(h, w) * 0.22
            seal = _seal(rng, h, w, w * rng.uniform(0.55, 0.75), h * rng.uniform(0.4, 0.6), r)
            img = _paint(img, seal * 0.85, (215, 50, 50))

    if ink_layer is not None:
        img = _paint(img, ink_layer[0], ink_layer[1])
    if case == "lone-speck":
        spk = np.zeros((h, w), np.float32)
        _segments_coverage(h, w, [(w * 0.6, h * 0.4)] * 2, [1.6, 1.6], spk)
        img = _paint(img, spk, (40, 40, 40))

    # light: a plane, a radial fall-off, shadows
    light = 1 - rng.uniform(0.1, 0.3) * ((xs / w - 0.5) * rng.uniform(-1, 1) + (ys / h - 0.5) * rng.uniform(-1, 1))
    r2 = ((xs - w / 2) / w) ** 2 + ((ys - h / 2) / h) ** 2
    fall = {"vignette": 1.4, "uneven-light": 0.6}.get(case, 0.3)
    light = light * (1 - fall * r2)
    if case == "uneven-light":
        light = light * (1 - 0.4 * xs / w)
    if case in ("finger-shadow", "seal-hard-shadow", "soft-shadow"):
        shade = np.zeros((h, w), np.float32)
        if case == "finger-shadow":
            fw = rng.uniform(40, 70)
            x0 = w * rng.uniform(0.3, 0.7)
            _segments_coverage(h, w, [(x0, h + 20), (x0 + rng.uniform(-80, 80), h * rng.uniform(0.2, 0.4))],
                               [fw / 2, fw / 2], shade)
            shade = _blur(shade, rng.uniform(1.5, 3))
            depth = rng.uniform(0.45, 0.6)
        elif case == "seal-hard-shadow":
            a = rng.uniform(0, 2 * math.pi)
            u = (xs - w / 2) * math.cos(a) + (ys - h / 2) * math.sin(a)
            shade = _blur((u > rng.uniform(-60, 60)).astype(np.float32), rng.uniform(1.5, 3))
            depth = rng.uniform(0.4, 0.55)
        else:
            cx, cy = w * rng.uniform(0, 1), h * rng.uniform(0, 1)
            shade = np.exp(-(((xs - cx) / (w * 0.35)) ** 2 + ((ys - cy) / (h * 0.35)) ** 2))
            depth = rng.uniform(0.4, 0.55)
        light = light * (1 - depth * shade)
    img = img * light[..., None] * paper * rng.uniform(0.9, 0.98)
    if case == "flash-glare":
        cx, cy = w * rng.uniform(0.3, 0.7), h * rng.uniform(0.35, 0.65)
        g = rng.uniform(0.75, 0.92) * np.exp(-(((xs - cx) ** 2 + (ys - cy) ** 2) / (2 * (min(h, w) * 0.18) ** 2)))
        img = img + g[..., None] * (255 - img)

    img = _blur(img, {"blurred": rng.uniform(1.4, 1.8)}.get(case, rng.uniform(0.5, 0.8)))
    sigma = {"noise": 9.0}.get(case, rng.uniform(2.0, 4.0))
    img = img + rng.normal(0, sigma, img.shape).astype(np.float32)
    rgb = np.clip(img + 0.5, 0, 255).astype(np.uint8)
    quality = 60 if case == "jpeg-q60" else int(rng.integers(80, 92))
    out = io.BytesIO()
    Image.fromarray(rgb).save(out, "JPEG", quality=quality, subsampling=2)
    return out.getvalue(), truth
