"""Generator "drawn": everything drawn with Pillow at three times the size and
reduced with a box filter. Handwriting is Catmull-Rom splines through jittered
letter loops; a seal is square with a frame and glyph bars; print is Pillow's
bitmap font. Paper is a palette colour with blurred effect noise and laid
streaks; light is a point lamp's inverse-square fall-off; noise is shot noise
(its variance grows with the signal); blur is a box blur; JPEG 4:4:4. The
truth is the ink's coverage >= 0.5 after the reduction.
"""
import io
import math

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

S = 3  # supersampling


def _spline(points, steps=12):
    out = []
    p = [points[0]] + points + [points[-1]]
    for i in range(1, len(p) - 2):
        p0, p1, p2, p3 = p[i - 1], p[i], p[i + 1], p[i + 2]
        for s in range(steps):
            t = s / steps
            t2, t3 = t * t, t * t * t
            out.append(tuple(0.5 * ((2 * p1[k]) + (-p0[k] + p2[k]) * t + (2 * p0[k] - 5 * p1[k] + 4 * p2[k] - p3[k]) * t2
                                    + (-p0[k] + 3 * p1[k] - 3 * p2[k] + p3[k]) * t3) for k in range(2)))
    out.append(points[-1])
    return out


def _signature(rng, W, H, pen, x_from=0.1, x_to=0.9, dots=False):
    big = Image.new("L", (W * S, H * S), 0)
    d = ImageDraw.Draw(big)
    x = W * x_from
    base = H * rng.uniform(0.45, 0.6)
    while x < W * x_to:
        pts = []
        letters = rng.integers(3, 7)
        for _ in range(letters):
            height = H * rng.uniform(0.08, 0.25)
            wid = W * rng.uniform(0.015, 0.035)
            pts += [(x, base), (x + wid * 0.3, base - height), (x + wid * 0.7, base - height * 0.8),
                    (x + wid * 0.5, base + rng.uniform(-0.05, 0.1) * H), (x + wid, base)]
            x += wid * rng.uniform(1.0, 1.5)
        curve = [(px * S + rng.normal(0, 2), py * S + rng.normal(0, 2)) for px, py in _spline(pts, 10)]
        d.line(curve, fill=255, width=max(1, int(round(pen * S))), joint="curve")
        if dots:
            for _ in range(2):
                px, py = pts[rng.integers(0, len(pts))]
                r = pen * S * 0.7
                cy = (base - H * 0.32) * S
                d.ellipse((px * S - r, cy - r, px * S + r, cy + r), fill=255)
        x += W * rng.uniform(0.04, 0.08)
        base += H * rng.uniform(-0.05, 0.05)
    return big


def _square_seal(rng, W, H, size):
    big = Image.new("L", (W * S, H * S), 0)
    d = ImageDraw.Draw(big)
    cx, cy = W * rng.uniform(0.4, 0.6) * S, H * rng.uniform(0.4, 0.6) * S
    half = size * S / 2
    frame = max(2 * S, int(size * S * 0.06))
    if rng.random() < 0.5:
        d.rectangle((cx - half, cy - half, cx + half, cy + half), outline=255, width=frame)
    else:
        d.ellipse((cx - half, cy - half, cx + half, cy + half), outline=255, width=frame)
    bar = max(S * 2, int(size * S * 0.045))
    inner = half * 0.62
    for col in (-0.5, 0.5):
        for _ in range(rng.integers(4, 6)):
            x0 = cx + col * inner * 1.1 + rng.uniform(-0.4, 0.2) * inner
            y0 = cy + rng.uniform(-0.9, 0.7) * inner
            if rng.random() < 0.5:
                d.line((x0, y0, x0 + rng.uniform(0.3, 0.55) * inner, y0), fill=255, width=bar)
            else:
                d.line((x0, y0, x0, min(cy + inner, y0 + rng.uniform(0.3, 0.9) * inner)), fill=255, width=bar)
    return big


def _reduce(big, W, H):
    cov = np.asarray(big.resize((W, H), Image.BOX), np.float32) / 255
    return cov


def _effect_noise(rng, W, H, sigma):
    """Gaussian noise around 128 as an L picture, as Image.effect_noise makes it but drawn from
    `rng`: effect_noise takes the C library's rand(), whose state depends on what ran before."""
    return Image.fromarray(np.clip(np.rint(128 + sigma * rng.standard_normal((H, W))), 0, 255).astype(np.uint8))


def render(case, seed):
    rng = np.random.default_rng(seed)
    noise_rng = np.random.default_rng([seed, 1])  # textures apart, so the drawing's own draws stay as they were
    W, H = 1024, 600
    palettes = {"cream": (238, 228, 198), "pencil-on-cream": (240, 230, 200), "kraft": (176, 138, 98),
                "legal-pad": (246, 232, 140)}
    paper = np.array(palettes.get(case, (235, 235, 230)), np.float32) / 255
    grain = _effect_noise(noise_rng, W, H, rng.uniform(20, 40)).filter(ImageFilter.GaussianBlur(1.2))
    tex = 1 + (np.asarray(grain, np.float32) / 255 - 0.5) * 0.12
    streak = 1 + 0.01 * np.sin(np.arange(H) * 2 * math.pi / rng.uniform(4, 7))[:, None]
    refl = paper[None, None, :] * (tex * streak)[..., None]

    # lines, drawn as a layer of their own
    if case in ("ruled", "squared", "legal-pad", "margin-line"):
        big = Image.new("L", (W * S, H * S), 0)
        d = ImageDraw.Draw(big)
        ang = math.radians(rng.uniform(-2.5, 2.5))
        gap = rng.uniform(20, 26) if case == "squared" else rng.uniform(28, 40)
        width = int(rng.uniform(1.0, 2.0) * S)
        off = rng.uniform(0, gap)
        for i in range(-5, int(H / gap) + 6):
            y = (off + i * gap) * S
            d.line((-W * S, y - math.tan(ang) * W * S, 2 * W * S, y + math.tan(ang) * 2 * W * S), fill=255, width=width)
        if case == "squared":
            for i in range(-5, int(W / gap) + 6):
                x = (off + i * gap) * S
                d.line((x + math.tan(ang) * H * S, -H * S, x - math.tan(ang) * 2 * H * S, 2 * H * S), fill=255, width=width)
        rule = _reduce(big, W, H)
        tint = np.array((110, 150, 200) if case != "legal-pad" else (100, 120, 150), np.float32) / 255
        refl = refl * (1 - 0.7 * rule[..., None] * (1 - tint))
        if case in ("legal-pad", "margin-line"):
            big = Image.new("L", (W * S, H * S), 0)
            d = ImageDraw.Draw(big)
            x = W * rng.uniform(0.06, 0.12) * S
            for k in range(2 if case == "legal-pad" else 1):
                xx = x + k * 6 * S
                d.line((xx, -H * S, xx - math.tan(ang) * 3 * H * S, 2 * H * S), fill=255, width=2 * S)
            red = _reduce(big, W, H)
            refl = refl * (1 - 0.8 * red[..., None] * (1 - np.array((230, 80, 90), np.float32) / 255))

    truth = np.zeros((H, W), bool)
    pen = rng.uniform(2.5, 4.5)
    pens = [(15, 15, 20), (20, 30, 80), (25, 45, 150), (40, 40, 40)]
    colour = np.array(pens[rng.integers(0, len(pens))], np.float32) / 255
    if case in ("thin-ballpoint", "faint-handwriting"):
        pen = rng.uniform(1.4, 2.0)
    if case.startswith("seal"):
        if case in ("seal-over-print", "seal-blue-over-print"):
            txt = Image.new("L", (W // 2, H // 2), 0)
            d = ImageDraw.Draw(txt)
            font = ImageFont.load_default()
            for row in range(4, H // 2 - 10, 14):
                words = " ".join("".join(chr(97 + rng.integers(0, 26)) for _ in range(rng.integers(2, 9)))
                                 for _ in range(14))
                d.text((10, row), words, fill=255, font=font)
            printed = np.asarray(txt.resize((W, H), Image.BILINEAR), np.float32) / 255
            refl = refl * (1 - 0.92 * np.clip(printed * 1.4, 0, 1)[..., None])
        cov = _reduce(_square_seal(rng, W, H, min(W, H) * rng.uniform(0.45, 0.6)), W, H)
        truth = cov >= 0.5
        holes = np.asarray(_effect_noise(noise_rng, W, H, 60).filter(ImageFilter.GaussianBlur(1.5)), np.float32) / 255
        strength = np.clip(1.2 - 0.9 * holes, 0.35, 1.0)
        if case == "seal-faded-corner":
            ys, xs = np.mgrid[0:H, 0:W].astype(np.float32)
            a = rng.uniform(0, 2 * math.pi)
            u = ((xs - W / 2) * math.cos(a) + (ys - H / 2) * math.sin(a)) / (0.3 * min(W, H))
            strength = strength * np.clip(0.65 - 0.45 * u, 0.25, 1)
        seal = np.array((rng.uniform(200, 235), rng.uniform(40, 80), rng.uniform(30, 55)), np.float32) / 255
        if case == "seal-blue-over-print":
            seal = np.array((rng.uniform(45, 110), rng.uniform(40, 75), rng.uniform(150, 200)), np.float32) / 255
        refl = refl * (1 - (cov * strength)[..., None] * (1 - seal))
    elif case not in ("blank", "lone-speck"):
        x_to = 1.1 if case == "cut-by-border" else 0.88
        cov = _reduce(_signature(rng, W, H, pen, 0.08, x_to, dots=case == "i-dots"), W, H)
        truth = cov >= 0.5
        depth = 1.0
        if case == "faint-handwriting":
            depth = rng.uniform(0.3, 0.45)
        if case in ("pencil", "pencil-on-cream"):
            colour = np.array((90, 92, 98), np.float32) / 255
            noise = np.asarray(_effect_noise(noise_rng, W, H, 80), np.float32) / 255
            depth = np.clip(0.5 + 0.6 * (noise - 0.5), 0.2, 1) * (0.5 if case == "pencil-on-cream" else 0.9)
        refl = refl * (1 - (cov * depth)[..., None] * (1 - colour))
        if case == "signed-and-sealed":
            sc = _reduce(_square_seal(rng, W, H, min(W, H) * 0.4), W, H)
            refl = refl * (1 - 0.9 * sc[..., None] * (1 - np.array((225, 60, 50), np.float32) / 255))
    if case == "lone-speck":
        big = Image.new("L", (W * S, H * S), 0)
        ImageDraw.Draw(big).ellipse((W * 0.3 * S, H * 0.7 * S, (W * 0.3 + 3) * S, (H * 0.7 + 3) * S), fill=255)
        refl = refl * (1 - 0.8 * _reduce(big, W, H)[..., None])

    # a point lamp above the page, plus ambient
    ys, xs = np.mgrid[0:H, 0:W].astype(np.float32)
    lx, ly, lz = W * rng.uniform(-0.3, 1.3), H * rng.uniform(-0.3, 1.3), rng.uniform(0.8, 1.5) * W
    if case == "uneven-light":
        lz *= 0.45
    lamp = lz ** 3 / ((xs - lx) ** 2 + (ys - ly) ** 2 + lz ** 2) ** 1.5
    light = 0.25 + 0.75 * lamp / lamp.max()
    if case == "vignette":
        light *= np.clip(1 - 0.8 * (((xs - W / 2) / W) ** 2 + ((ys - H / 2) / H) ** 2) * 2, 0.3, 1)
    if case in ("finger-shadow", "seal-hard-shadow", "soft-shadow"):
        sh = Image.new("L", (W, H), 0)
        d = ImageDraw.Draw(sh)
        if case == "finger-shadow":
            x0 = W * rng.uniform(0.3, 0.7)
            fw = rng.uniform(35, 60)
            tip = H * rng.uniform(0.25, 0.45)
            d.rounded_rectangle((x0, tip, x0 + fw, H + 50), radius=fw / 2, fill=255)
            sh = sh.rotate(rng.uniform(-15, 15), center=(x0, H))
            sh = sh.filter(ImageFilter.GaussianBlur(rng.uniform(1, 2.5)))
        elif case == "seal-hard-shadow":
            pts = [(W * rng.uniform(0.4, 0.6), -10), (W + 10, -10), (W + 10, H + 10), (W * rng.uniform(0.5, 0.7), H + 10)]
            d.polygon(pts, fill=255)
            sh = sh.filter(ImageFilter.GaussianBlur(1.5))
        else:
            d.ellipse((W * rng.uniform(-0.4, 0.2), H * rng.uniform(-0.4, 0.2), W * rng.uniform(0.6, 1.0), H * rng.uniform(0.7, 1.2)), fill=255)
            sh = sh.filter(ImageFilter.GaussianBlur(min(W, H) * 0.12))
        light = light * (1 - rng.uniform(0.4, 0.6) * np.asarray(sh, np.float32) / 255)
    expose = rng.uniform(225, 250)
    img = refl * light[..., None] * expose
    if case == "flash-glare":
        cx, cy = W * rng.uniform(0.35, 0.65), H * rng.uniform(0.35, 0.65)
        r2 = ((xs - cx) ** 2 + (ys - cy) ** 2) / (min(W, H) * 0.22) ** 2
        g = rng.uniform(0.7, 0.9) / (1 + 2 * r2) ** 2
        img = img + g[..., None] * (255 - img)
    # shot noise: its variance proportional to the signal (about 5 grey levels on paper, 10 for "noise")
    scale = 10.0 if case != "noise" else 2.4
    img = rng.poisson(np.clip(img, 0, 255) * scale) / scale
    pic = Image.fromarray(np.clip(img, 0, 255).astype(np.uint8))
    pic = pic.filter(ImageFilter.BoxBlur(2 if case == "blurred" else 1)) if case == "blurred" or rng.random() < 0.5 \
        else pic.filter(ImageFilter.GaussianBlur(0.6))
    out = io.BytesIO()
    pic.save(out, "JPEG", quality=60 if case == "jpeg-q60" else int(rng.integers(75, 95)), subsampling=0)
    return out.getvalue(), truth
