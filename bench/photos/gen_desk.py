"""Desk photos: a sheet lying flat on a desk, shot from above by a document
camera or a phone on a stand, or laid on a flatbed scanner.

What it models, and why
-----------------------
The other generators each make their photo one way; this one starts from the
physics of a sheet on a desk so that the clean-up is measured on pictures made
by a method that never saw it.

* The sheet.  Everything printed or written on it is drawn at 3x or 4x the
  output size in sheet coordinates (a small rotation of the sheet under the
  camera included) and box-reduced, so edges are area-weighted the way a
  sensor pixel integrates them.  The truth is taken from the same
  supersampled deposit, before any optics: a pixel is ink when the ink covers
  at least half of it.
* Paper has its own model: a base colour (bright white with optical
  brighteners, office white, grey recycled with flecks, cream, pale blue,
  pale green, pink, the yellow of a legal pad, kraft), a cloudy "formation"
  at millimetre scale, and fibres aligned with the machine direction (noise
  shaped in the Fourier domain, long along one axis).  Rules, grids and
  margins are printed in light inks; they are paper, not ink.
* Handwriting comes from a spring-mass pen: the pen tip is a damped
  oscillator pulled towards a sequence of targets (letter key points for
  Latin cursive, stroke ends for kanji-like characters).  Under-damping
  makes loops and rounded turns, the speed of the tip drives the pen.
* Pens: ballpoint (pressure changes, skips where no ink is laid: those are
  not ink), gel, rollerball (wider where slow, it bleeds), fine liner, brush
  (width from pressure and speed, tapered ends), fountain pen (an italic nib:
  width from the direction of travel) and pencil (graphite caught on the
  paper's tooth, so the deposit is grainy and has holes).
* Seals: a carved frame (round, oval or square) with blocky characters,
  pressed with uneven paste: low-frequency density, voids where the paste
  did not take (not ink), and for a faded corner the paste thins out towards
  one side.  Print under a seal is toner, never ink.
* Inks are laid EITHER as transparent dyes in linear light (reflectance is
  multiplied) OR mixed in stored sRGB values (like an opaque paint), chosen
  per photo: both happen in the pictures people bring.
* Light: ambient plus one or two lamps as point sources above the desk
  (inverse square and cosine law, each with its colour temperature), shadows
  of a finger, hand, pen or phone cast by an area light (the penumbra grows
  with the occluder's height), a flash with its specular veil on the paper,
  and the lens's cos^4 vignetting, partly corrected as phones do.
* The camera: Gaussian or disc (defocus) blur in linear light, a Bayer
  mosaic with shot and read noise, bilinear demosaicing, white balance that
  corrects the lamp only partly, a tone curve, then optional noise reduction
  (chroma blur, edge-keeping luma smoothing) and sharpening (unsharp mask),
  and JPEG at quality 55-95 with 4:2:0 or 4:4:4 chroma.  A flatbed scan has
  even light, a soft lens, little noise and faint column streaks instead.
"""
import io
import math

import numpy as np
from PIL import Image, ImageDraw

from classes import KIND

LUMA = np.array([0.2126, 0.7152, 0.0722], np.float32)


# ---------------------------------------------------------------- colour and filters

def to_lin(s):
    s = np.asarray(s, np.float32)
    return np.where(s <= 0.04045, s / 12.92, ((s + 0.055) / 1.055) ** 2.4).astype(np.float32)


def to_srgb(v):
    v = np.clip(np.asarray(v, np.float32), 0.0, 1.0)
    return np.where(v <= 0.0031308, 12.92 * v, 1.055 * v ** (1 / 2.4) - 0.055).astype(np.float32)


def _blur_plane(a, sigma):
    """Gaussian blur of one plane: separable taps when small, the FFT when
    large (reflect-padded so nothing wraps)."""
    if sigma < 0.25:
        return a
    if sigma <= 3.0:
        r = int(math.ceil(3 * sigma))
        k = np.exp(-0.5 * (np.arange(-r, r + 1) / sigma) ** 2).astype(np.float32)
        k /= k.sum()
        p = np.pad(a, r, mode="reflect")
        h, w = a.shape
        rows = sum(k[i] * p[i:i + h, :] for i in range(2 * r + 1))
        return sum(k[i] * rows[:, i:i + w] for i in range(2 * r + 1)).astype(np.float32)
    pad = int(3 * sigma) + 2
    p = np.pad(a, pad, mode="reflect")
    fy = np.fft.fftfreq(p.shape[0])[:, None]
    fx = np.fft.rfftfreq(p.shape[1])[None, :]
    g = np.exp(-2 * np.pi ** 2 * sigma ** 2 * (fy ** 2 + fx ** 2))
    out = np.fft.irfft2(np.fft.rfft2(p) * g, s=p.shape)
    return out[pad:-pad, pad:-pad].astype(np.float32)


def gblur(a, sigma):
    if a.ndim == 2:
        return _blur_plane(a, sigma)
    return np.stack([_blur_plane(np.ascontiguousarray(a[..., c]), sigma) for c in range(a.shape[2])], -1)


def disc_blur(a, radius):
    """Defocus: a uniform disc (its rim antialiased), by FFT."""
    pad = int(radius) + 3
    h, w = a.shape[:2]
    ph, pw = h + 2 * pad, w + 2 * pad
    yy = np.minimum(np.arange(ph), ph - np.arange(ph))[:, None]
    xx = np.minimum(np.arange(pw), pw - np.arange(pw))[None, :]
    k = np.clip(radius + 0.5 - np.hypot(yy, xx), 0, 1)
    kf = np.fft.rfft2(k / k.sum())
    planes = [a] if a.ndim == 2 else [a[..., c] for c in range(a.shape[2])]
    out = []
    for pl in planes:
        p = np.pad(pl, pad, mode="reflect")
        out.append(np.fft.irfft2(np.fft.rfft2(p) * kf, s=p.shape)[pad:-pad, pad:-pad].astype(np.float32))
    return out[0] if a.ndim == 2 else np.stack(out, -1)


def smooth_noise(rng, h, w, cell):
    """Zero-mean, unit-variance noise whose features are about `cell` pixels
    (a bicubic blow-up of a coarse random grid)."""
    cell = max(cell, 1.0)
    gh, gw = int(h / cell) + 4, int(w / cell) + 4
    g = rng.standard_normal((gh, gw)).astype(np.float32)
    im = Image.fromarray(g, "F").resize((w, h), Image.BICUBIC, box=(1, 1, 1 + w / cell, 1 + h / cell))
    n = np.asarray(im, np.float32)
    return (n - n.mean()) / (n.std() + 1e-6)


def fibre_noise(rng, h, w, along, across, angle):
    """Noise stretched along one direction: paper fibres lie mostly along the
    machine direction."""
    n = rng.standard_normal((h, w)).astype(np.float32)
    fy = np.fft.fftfreq(h)[:, None]
    fx = np.fft.rfftfreq(w)[None, :]
    c, s = math.cos(angle), math.sin(angle)
    fa, fc = fx * c + fy * s, -fx * s + fy * c
    g = np.exp(-2 * np.pi ** 2 * (along ** 2 * fa ** 2 + across ** 2 * fc ** 2))
    out = np.fft.irfft2(np.fft.rfft2(n) * g, s=(h, w)).astype(np.float32)
    return out / (out.std() + 1e-6)


def noise1d(rng, n, corr):
    """A smooth random signal along a stroke, correlated over `corr` samples."""
    k = int(n / max(corr, 1)) + 3
    knots = rng.standard_normal(k)
    return np.interp(np.arange(n) / max(corr, 1), np.arange(k), knots).astype(np.float32)


# ---------------------------------------------------------------- supersampled layers

class Layer:
    """One deposit on the sheet (ink, paste, toner, printed rules), drawn at
    s times the output size: 0 where nothing is laid, else 1..255 for how
    dense the deposit is."""

    def __init__(self, w, h, s, xform):
        self.w, self.h, self.s, self.xform = w, h, s, xform
        self.img = Image.new("L", (w * s, h * s), 0)
        self.draw = ImageDraw.Draw(self.img)

    def stroke(self, pts, radii, values):
        """A polyline of round-capped segments whose half-width and density
        change along it (pts in sheet pixels)."""
        p = self.xform(np.asarray(pts, np.float64)) * self.s
        r = np.maximum(np.broadcast_to(radii, (len(p),)) * self.s, 0.45)
        v = np.broadcast_to(np.asarray(values), (len(p),)).astype(int).tolist()
        draw = self.draw
        if len(p) == 1:
            x, y = p[0]
            draw.ellipse((x - r[0], y - r[0], x + r[0], y + r[0]), fill=v[0])
            return
        d = np.diff(p, axis=0)
        ln = np.hypot(d[:, 0], d[:, 1])
        ln[ln == 0] = 1
        nrm = np.stack([-d[:, 1] / ln, d[:, 0] / ln], 1)
        quads = np.concatenate([p[:-1] + nrm * r[:-1, None], p[1:] + nrm * r[1:, None],
                                p[1:] - nrm * r[1:, None], p[:-1] - nrm * r[:-1, None]], 1).tolist()
        caps = np.concatenate([p - r[:, None], p + r[:, None]], 1).tolist()
        if v[0] > 0:
            draw.ellipse(caps[0], fill=v[0])
        for i, q in enumerate(quads):
            if v[i] <= 0:
                continue
            draw.polygon(q, fill=v[i])
            draw.ellipse(caps[i + 1], fill=v[i])

    def region(self, box):
        """The deposit inside an output-pixel box, as a float array, and where
        it goes back."""
        x0, y0, x1, y1 = [int(round(c * self.s)) for c in box]
        x0, y0 = max(x0, 0), max(y0, 0)
        x1, y1 = min(x1, self.w * self.s), min(y1, self.h * self.s)
        if x1 <= x0 or y1 <= y0:
            return None, None
        return np.asarray(self.img.crop((x0, y0, x1, y1)), np.float32), (x0, y0)

    def put(self, arr, at):
        self.img.paste(Image.fromarray(np.clip(arr, 0, 255).astype(np.uint8), "L"), at)

    def reduce(self):
        """Per output pixel: the share of its area covered, and the mean
        density (deposit summed over the area)."""
        a = np.asarray(self.img).reshape(self.h, self.s, self.w, self.s)
        n = float(self.s * self.s)
        dens = a.sum(axis=(1, 3), dtype=np.uint32) / (255.0 * n)
        cov = (a > 0).sum(axis=(1, 3), dtype=np.uint32) / n
        return cov.astype(np.float32), dens.astype(np.float32)


# ---------------------------------------------------------------- the pen's path

def pen_trace(targets, omega, zeta, dt=0.04, hold=0.55, lag=3.0):
    """The tip of a pen as a damped spring pulled towards an aim point, the
    aim itself easing towards each target in turn for `hold` time units (the
    hand plans ahead of the tip); returns the path and the tip's speed."""
    x, y = targets[0]
    gx, gy = x, y
    vx = vy = 0.0
    steps = int(round(hold / dt))
    w2, c = omega * omega, 2 * zeta * omega
    wx2 = w2 * 0.88  # slower sideways: x and y oscillate a little apart
    pts, spd = [(x, y)], [0.0]
    for tx, ty in targets:
        for _ in range(steps):
            gx += (tx - gx) * lag * dt
            gy += (ty - gy) * lag * dt
            vx += (wx2 * (gx - x) - c * vx) * dt
            vy += (w2 * (gy - y) - c * vy) * dt
            x += vx * dt
            y += vy * dt
            pts.append((x, y))
            spd.append(math.hypot(vx, vy))
    return np.array(pts), np.array(spd)


# Key points of lower-case cursive letters, (advance, height) with the
# x-height as 1; dots and crossings are pen lifts added after the word.
LETTERS = {
    "a": [(0.75, 0.9), (0.3, 1.0), (0.0, 0.45), (0.3, 0.0), (0.7, 0.5), (0.75, 1.0), (0.75, 0.1), (1.0, 0.3)],
    "c": [(0.7, 0.85), (0.35, 1.0), (0.0, 0.45), (0.35, 0.0), (0.85, 0.3)],
    "e": [(0.2, 0.45), (0.65, 0.75), (0.45, 1.0), (0.05, 0.6), (0.3, 0.0), (0.85, 0.3)],
    "i": [(0.3, 1.0), (0.35, 0.05), (0.7, 0.3)],
    "l": [(0.55, 2.3), (0.35, 2.55), (0.15, 2.2), (0.3, 0.05), (0.75, 0.3)],
    "n": [(0.1, 1.0), (0.1, 0.0), (0.25, 0.85), (0.55, 1.0), (0.7, 0.6), (0.7, 0.05), (0.95, 0.3)],
    "m": [(0.1, 1.0), (0.1, 0.0), (0.2, 0.85), (0.45, 1.0), (0.55, 0.6), (0.55, 0.0), (0.65, 0.85),
          (0.9, 1.0), (1.0, 0.6), (1.0, 0.05), (1.25, 0.3)],
    "o": [(0.55, 1.0), (0.1, 0.7), (0.2, 0.0), (0.7, 0.3), (0.55, 1.0), (0.9, 0.85)],
    "r": [(0.15, 1.0), (0.2, 0.0), (0.3, 0.8), (0.7, 1.0), (0.9, 0.8)],
    "s": [(0.35, 1.05), (0.15, 0.7), (0.6, 0.35), (0.4, 0.0), (0.05, 0.1), (0.85, 0.4)],
    "t": [(0.35, 1.9), (0.35, 0.05), (0.75, 0.3)],
    "u": [(0.1, 1.0), (0.15, 0.1), (0.45, 0.0), (0.65, 0.5), (0.7, 1.0), (0.7, 0.05), (0.95, 0.3)],
    "y": [(0.1, 1.0), (0.2, 0.1), (0.5, 0.1), (0.7, 1.0), (0.6, -1.3), (0.2, -1.0), (0.9, 0.2)],
    "h": [(0.5, 2.4), (0.25, 2.5), (0.1, 2.0), (0.1, 0.0), (0.3, 0.8), (0.6, 1.0), (0.75, 0.5),
          (0.75, 0.0), (1.0, 0.3)],
    "d": [(0.6, 0.9), (0.25, 1.0), (0.0, 0.4), (0.3, 0.0), (0.65, 0.5), (0.75, 2.3), (0.7, 0.05), (1.0, 0.3)],
    "g": [(0.65, 0.9), (0.3, 1.0), (0.0, 0.5), (0.3, 0.05), (0.65, 0.6), (0.7, 1.0), (0.6, -1.3),
          (0.15, -1.0), (0.9, 0.2)],
    "k": [(0.5, 2.4), (0.15, 2.2), (0.1, 0.0), (0.3, 0.7), (0.65, 0.95), (0.35, 0.45), (0.7, 0.0), (0.95, 0.3)],
    "j": [(0.35, 1.0), (0.35, -1.2), (0.0, -1.0), (0.75, 0.3)],
}
DOTTED = {"i": (0.3, 1.7), "j": (0.35, 1.7)}
CROSSED = {"t": ((0.0, 1.15), (0.8, 1.2))}
CAPITALS = [
    [(0.0, 0.0), (0.55, 2.8), (0.75, 1.2), (0.95, 0.0)],
    [(0.05, 0.0), (0.15, 2.7), (0.45, 0.7), (0.8, 2.7), (0.95, 0.0)],
    [(0.95, 2.4), (0.45, 2.8), (0.1, 2.2), (0.8, 1.1), (0.6, 0.1), (0.0, 0.3)],
    [(0.2, 2.7), (1.1, 2.8), (0.7, 2.6), (0.6, -0.4), (0.1, -0.2), (0.3, 0.4)],
    [(0.1, 0.0), (0.15, 2.7), (0.6, 2.5), (0.8, 1.9), (0.2, 1.4), (0.9, 0.0)],
    [(0.9, 2.3), (0.4, 2.8), (0.0, 1.5), (0.3, 0.0), (1.0, 0.5)],
    [(0.1, 2.7), (0.1, 0.0), (0.3, 1.2), (0.8, 2.7), (0.5, 1.3), (1.0, 0.0)],
    [(0.0, 2.5), (0.3, 0.0), (0.55, 1.8), (0.8, 0.0), (1.1, 2.6)],
]


def cursive(rng, omega, zeta, n_dots=None, scribble=False):
    """A Latin-like cursive signature: strokes as (path, speed) in units of
    the x-height, y up, and whether each is a dot."""
    strokes, extra = [], []
    words = 1 if rng.random() < 0.15 else 2
    x = 0.0
    letters = list(LETTERS)
    for wi in range(words):
        targets = []
        cap = CAPITALS[rng.integers(len(CAPITALS))]
        size = rng.uniform(0.85, 1.15)
        targets += [(x + cx * size * 1.2, cy * size) for cx, cy in cap]
        x += 1.2 * size + 0.1
        initial = wi == 0 and words == 2 and rng.random() < 0.3
        if initial:
            extra.append([(x + 0.05, 0.05), (x + 0.12, 0.0)])  # the full stop after an initial
            strokes.append(targets)
            x += 0.6
            continue
        n = rng.integers(3, 9)
        for li in range(n):
            if scribble and li >= 2:
                # the tail of an illegible signature: a decaying wave
                amp = max(0.25, 1.0 - 0.18 * (li - 2))
                targets += [(x + 0.15, amp * rng.uniform(0.7, 1.2)), (x + 0.5, 0.0)]
                x += 0.6
                continue
            ch = letters[rng.integers(len(letters))]
            if n_dots and li < n and rng.random() < 0.45:
                ch = "i" if rng.random() < 0.7 else "t"
            k = rng.uniform(0.85, 1.15)
            for ax, ay in LETTERS[ch]:
                targets.append((x + ax * k + rng.normal(0, 0.05), ay * k + rng.normal(0, 0.06)))
            if ch in DOTTED:
                dx, dy = DOTTED[ch]
                dot = (x + dx * k + 0.15 + rng.normal(0, 0.08), dy * k + rng.normal(0, 0.15))
                extra.append([dot, (dot[0] + rng.uniform(0.02, 0.12), dot[1] + rng.uniform(-0.03, 0.05))])
            if ch in CROSSED:
                (ax, ay), (bx, by) = CROSSED[ch]
                extra.append([(x + ax * k, ay * k), (x + bx * k + 0.3, by * k)])
            x += max(a for a, _ in LETTERS[ch]) * k
        strokes.append(targets)
        x += rng.uniform(0.7, 1.3)
    if rng.random() < 0.35:
        # a flourish under the name, back towards the start
        y0 = rng.uniform(-0.9, -0.4)
        strokes.append([(x - 0.5, 0.3), (x - 0.2, y0), (0.1 * x, y0 - rng.uniform(0.0, 0.4)),
                        (-0.2, y0 + 0.1)])
    if n_dots:
        # more dots: the full stops and a dotted underline some people add
        while sum(abs(e[1][0] - e[0][0]) < 0.2 for e in extra) < n_dots:
            px = rng.uniform(0.2, x)
            dot = (px, rng.uniform(1.5, 2.4) if rng.random() < 0.6 else rng.uniform(-0.9, -0.5))
            extra.append([dot, (dot[0] + 0.06, dot[1] + 0.02)])
    out = [pen_trace(t, omega, zeta) + (False,) for t in strokes]
    for e in extra:
        out.append(pen_trace(e, omega * 1.5, 0.9, hold=0.6) + (len(e) == 2 and abs(e[1][0] - e[0][0]) < 0.2,))
    return out


def kanji(rng, style):
    """Strokes of a kanji-like character in the unit cell (y down), each a
    list of key points, and a weight (1 for vertical strokes, less for
    horizontal ones: the contrast of a brush-made type)."""
    def comp(x0, y0, x1, y1):
        w, h = x1 - x0, y1 - y0
        out = []
        kind = rng.choice(["bars", "box", "tree", "person", "dots"], p=[0.3, 0.25, 0.2, 0.15, 0.1])
        if style == "seal" and kind in ("person", "dots", "tree"):
            kind = "bars" if rng.random() < 0.6 else "box"
        if kind == "bars":
            nh = rng.integers(2, 5)
            ys = y0 + h * np.linspace(0.1, 0.9, nh)
            for i, yy in enumerate(ys):
                a, b = (0.05, 0.95) if (style == "seal" or rng.random() < 0.6) else (0.2, 0.8)
                out.append(([(x0 + w * a, yy), (x0 + w * b, yy - 0.03 * h)], 0.7))
            if rng.random() < 0.8:
                xx = x0 + w * rng.choice([0.5, 0.3, 0.7])
                out.append(([(xx, y0 + 0.03 * h), (xx, y1 - 0.03 * h)], 1.0))
        elif kind == "box":
            out.append(([(x0 + 0.1 * w, y0 + 0.1 * h), (x0 + 0.1 * w, y1 - 0.05 * h)], 1.0))
            out.append(([(x0 + 0.1 * w, y0 + 0.1 * h), (x1 - 0.1 * w, y0 + 0.1 * h),
                         (x1 - 0.1 * w, y1 - 0.05 * h)], 0.9))
            for yy in np.linspace(0.1, 0.95, rng.integers(2, 5))[1:]:
                out.append(([(x0 + 0.1 * w, y0 + yy * h), (x1 - 0.1 * w, y0 + yy * h)], 0.7))
        elif kind == "tree":
            out.append(([(x0 + 0.08 * w, y0 + 0.3 * h), (x1 - 0.08 * w, y0 + 0.27 * h)], 0.7))
            out.append(([(x0 + 0.5 * w, y0 + 0.03 * h), (x0 + 0.5 * w, y1 - 0.02 * h)], 1.0))
            out.append(([(x0 + 0.48 * w, y0 + 0.35 * h), (x0 + 0.3 * w, y0 + 0.7 * h),
                         (x0 + 0.05 * w, y0 + 0.85 * h)], 0.9))
            out.append(([(x0 + 0.52 * w, y0 + 0.35 * h), (x0 + 0.75 * w, y0 + 0.7 * h),
                         (x1 - 0.03 * w, y0 + 0.85 * h)], 1.0))
        elif kind == "person":
            out.append(([(x0 + 0.5 * w, y0 + 0.05 * h), (x0 + 0.4 * w, y0 + 0.55 * h),
                         (x0 + 0.05 * w, y1 - 0.05 * h)], 0.9))
            out.append(([(x0 + 0.45 * w, y0 + 0.4 * h), (x0 + 0.7 * w, y0 + 0.75 * h),
                         (x1 - 0.02 * w, y1 - 0.05 * h)], 1.0))
        else:
            for yy in np.linspace(0.15, 0.85, 3):
                out.append(([(x0 + 0.25 * w, y0 + yy * h - 0.05 * h), (x0 + 0.45 * w, y0 + yy * h + 0.05 * h)], 0.9))
            out.append(([(x0 + 0.65 * w, y0 + 0.1 * h), (x0 + 0.65 * w, y1 - 0.1 * h)], 1.0))
        return out

    r = rng.random()
    if r < 0.3:
        parts = [(0, 0, 1, 1)]
    elif r < 0.7:
        s = rng.uniform(0.35, 0.55)
        parts = [(0, 0, s, 1), (s + 0.05, 0, 1, 1)]
    else:
        s = rng.uniform(0.35, 0.55)
        parts = [(0, 0, 1, s), (0, s + 0.05, 1, 1)]
    strokes = []
    for p in parts:
        strokes += comp(*p)
    if style != "print":
        jit = 0.035 if style == "hand" else 0.01
        strokes = [([(x + rng.normal(0, jit), y + rng.normal(0, jit)) for x, y in pts], wt)
                   for pts, wt in strokes]
    return strokes


def kanji_signature(rng, omega, zeta):
    """Two to four handwritten kanji-like characters in a row, each stroke
    traced by the spring pen, sometimes joined to the next as in running
    script."""
    out = []
    n = rng.integers(2, 5)
    for c in range(n):
        size = rng.uniform(0.85, 1.1)
        x0 = c * 1.1
        run = None
        for pts, _ in kanji(rng, "hand"):
            t = [(x0 + x * size, (1 - y) * size) for x, y in pts]
            if run is not None and rng.random() < 0.25:
                run += t  # the pen stays down to the next stroke
                continue
            if run is not None:
                out.append(run)
            run = list(t)
        out.append(run)
    return [pen_trace(t, omega, zeta, hold=0.9, lag=4.0) + (False,) for t in out]


def resample(pts, speed, step):
    """The path at about `step` pixels apart, the speed along with it."""
    d = np.hypot(*np.diff(pts, axis=0).T)
    s = np.concatenate([[0.0], np.cumsum(d)])
    if s[-1] < step:
        c = pts.mean(0)
        return np.array([c - (step / 4, 0), c + (step / 4, 0)]), np.zeros(2)
    t = np.linspace(0.0, s[-1], int(s[-1] / step) + 1)
    return (np.stack([np.interp(t, s, pts[:, 0]), np.interp(t, s, pts[:, 1])], 1),
            np.interp(t, s, speed))


# ---------------------------------------------------------------- pens

PENS = {  # the range of each pen's line width at output size, in pixels
    "ballpoint": (1.4, 3.0), "gel": (2.0, 4.5), "rollerball": (2.0, 4.5), "fineliner": (1.3, 2.6),
    "brush": (3.0, 6.0), "fountain": (2.2, 5.0), "pencil": (1.6, 3.4),
}
INKS = {
    "black": (28, 28, 32), "blue": (32, 52, 140), "blue-black": (30, 36, 72), "royal": (40, 72, 175),
    "sepia": (88, 58, 40), "graphite": (78, 78, 84),
}


def pen_marks(rng, pen, pts, speed, w, dens):
    """Half-widths and densities (1..255, 0 = no ink: a skip) of one stroke."""
    n = len(pts)
    sp = speed / (np.median(speed) + 1e-6)
    a = noise1d(rng, n, 40)
    t = np.linspace(0, 1, n)
    ends = np.clip(np.minimum(t, 1 - t) * max(n, 2) / 12.0, 0, 1)  # within ~6 px of a stroke's ends
    if pen == "ballpoint":
        r = w / 2 * (1 + 0.08 * a)
        v = dens * (0.85 + 0.1 * a - 0.08 * (1 - ends))
        skip = noise1d(rng, n, 6) < -1.6 + 0.6 * np.clip(sp - 1.3, 0, 1)  # the ball runs dry
        v = np.where(skip, 0, v)
    elif pen == "gel":
        r = w / 2 * (1 + 0.04 * a)
        v = dens * np.ones(n)
    elif pen == "rollerball":
        r = w / 2 * (1 + 0.3 * np.clip(1 - sp, 0, 1) + 0.04 * a)  # it bleeds where slow
        v = dens * np.ones(n)
    elif pen == "fineliner":
        r = np.full(n, w / 2)
        v = dens * np.ones(n)
    elif pen == "brush":
        press = np.clip(0.7 + 0.35 * a - 0.3 * (sp - 1), 0.2, 1.2)
        r = w / 2 * press * (0.35 + 0.65 * ends)
        v = dens * np.ones(n)
    elif pen == "fountain":
        d = np.gradient(pts, axis=0)
        ang = np.arctan2(d[:, 1], d[:, 0])
        nib = rng.uniform(0.5, 1.0)  # held at 30..55 degrees
        r = w / 2 * (0.3 + 0.7 * np.abs(np.sin(ang - nib)))
        v = dens * (0.8 + 0.2 * np.clip(1 - sp, 0, 1))  # ink pools where slow
    else:  # pencil: the grain is laid later, on the paper's tooth
        r = w / 2 * (1 + 0.12 * a)
        v = dens * np.clip(0.75 + 0.2 * a, 0.3, 1)
    return np.maximum(r, 0.5), np.clip(v * 255, 0, 255)


def lay_signature(layer, rng, strokes, box, pen, w, dens):
    """Scale the strokes (units, y up) into box (x, y of the baseline, scale)
    and draw them with the pen."""
    x0, yb, sc = box
    for pts, spd, dot in strokes:
        p = np.stack([x0 + pts[:, 0] * sc, yb - pts[:, 1] * sc], 1)
        if dot:
            # a dot is a dab: the pen pressed, turned a little, lifted
            c = p.mean(0)
            a = rng.uniform(0, np.pi)
            ln = w * rng.uniform(0.2, 0.9)
            p = c + np.array([[-math.cos(a), -math.sin(a)], [math.cos(a), math.sin(a)]]) * ln / 2
            p, s = resample(p, np.ones(2), 0.3)
            r = np.full(len(p), w / 2 * rng.uniform(1.0, 1.5))
            layer.stroke(p, r, 255 * dens)
            continue
        p, s = resample(p, spd * sc, 0.5)
        r, v = pen_marks(rng, pen, p, s, w, dens)
        layer.stroke(p, r, v)


def pencil_grain(layer, rng, box, fill):
    """Graphite sticks to the tops of the paper's tooth: knock holes in the
    deposit and make it grainy."""
    arr, at = layer.region(box)
    if arr is None:
        return
    h, w = arr.shape
    tooth = smooth_noise(rng, h, w, 0.9 * layer.s) + 0.6 * rng.standard_normal((h, w)).astype(np.float32)
    tooth /= tooth.std()
    thr = np.quantile(tooth[::3, ::3], 1 - fill)
    arr = np.where(tooth > thr, arr * np.clip(0.65 + 0.3 * tooth, 0.3, 1.2), 0)
    layer.put(arr, at)


# ---------------------------------------------------------------- seals

def seal_glyph(rng):
    """A blocky seal-script character: bars along the lines of a small grid,
    each kept or not, so the character fills its cell like a maze of
    horizontal and vertical strokes."""
    nr, nc = int(rng.integers(3, 6)), int(rng.integers(2, 5))
    ys, xs = np.linspace(0.04, 0.96, nr), np.linspace(0.04, 0.96, nc)
    strokes = []
    for y in ys:
        run = None
        for j in range(nc - 1):
            if rng.random() < 0.7:
                run = [xs[j], xs[j + 1]] if run is None else [run[0], xs[j + 1]]
            elif run is not None:
                strokes.append([(run[0], y), (run[1], y)])
                run = None
        if run is not None:
            strokes.append([(run[0], y), (run[1], y)])
    for x in xs:
        run = None
        for i in range(nr - 1):
            if rng.random() < 0.55:
                run = [ys[i], ys[i + 1]] if run is None else [run[0], ys[i + 1]]
            elif run is not None:
                strokes.append([(x, run[0]), (x, run[1])])
                run = None
        if run is not None:
            strokes.append([(x, run[0]), (x, run[1])])
    return strokes or [[(0.04, 0.5), (0.96, 0.5)]]


def draw_seal(layer, rng, cx, cy, size, shape, fade):
    """A seal impression centred at (cx, cy), `size` pixels tall: frame and
    characters drawn, then the paste's unevenness and voids applied."""
    rot = rng.normal(0, 0.08)
    ry = size / 2
    rx = ry * (0.72 if shape == "oval" else 1.0)
    t = size * rng.uniform(0.035, 0.065)
    cr, sr = math.cos(rot), math.sin(rot)

    def place(u, v):  # seal coordinates (from its centre) to sheet pixels
        return np.stack([cx + u * cr - v * sr, cy + u * sr + v * cr], -1)

    th = np.linspace(0, 2 * np.pi, 361)
    rings = [1.0] if rng.random() < 0.8 else [1.0, 1 - 2.6 * t / ry]
    for k in rings:
        if shape == "square":
            sq = np.clip(np.stack([np.cos(th), np.sin(th)], 1) * 1.6, -1, 1)  # a rounded square
            u, v = sq[:, 0] * (rx - t / 2) * k, sq[:, 1] * (ry - t / 2) * k
        else:
            u, v = np.cos(th) * (rx - t / 2) * k, np.sin(th) * (ry - t / 2) * k
        rr = t / 2 * (1 + 0.1 * noise1d(rng, len(th), 20))  # carved by hand
        layer.stroke(place(u, v), rr, 255)
    inner = rings[-1] - 0.1
    if shape == "square":
        g = rng.choice([1, 2, 3], p=[0.15, 0.6, 0.25])
        cells = [(i, j, g, g) for i in range(g) for j in range(g)]
        ax, ay = rx * inner * 0.92, ry * inner * 0.92
    else:
        n = rng.integers(1, 3) if shape == "round" else rng.integers(2, 4)
        cells = [(0, j, 1, n) for j in range(n)]
        ax, ay = rx * inner * 0.66, ry * inner * (0.66 if n == 1 else 0.8)
    sw = min(2 * ax / max(c[2] for c in cells), 2 * ay / max(c[3] for c in cells)) * rng.uniform(0.05, 0.085)
    for i, j, gx, gy in cells:
        cw, ch = 2 * ax / gx, 2 * ay / gy
        for pts in seal_glyph(rng):
            pts = np.array(pts)
            # densify so the edge can be rough
            m = max(2, int(np.hypot(*np.diff(pts, axis=0).T).sum() * max(cw, ch) / 1.5))
            pts, _ = resample(pts * [cw * 0.9, ch * 0.9] + [-ax + i * cw + cw * 0.05, -ay + j * ch + ch * 0.05],
                              np.zeros(len(pts)), max(1.0, max(cw, ch) / m))
            rr = sw / 2 * (1 + 0.06 * noise1d(rng, len(pts), 25))
            layer.stroke(place(pts[:, 0], pts[:, 1]), rr, 255)
    # the paste: uneven density, voids where it did not take, thinning out
    # towards one side when faded
    m = size * 0.6 + 4
    arr, at = layer.region((cx - m, cy - m, cx + m, cy + m))
    h, w = arr.shape
    s = layer.s
    dens = np.clip(0.86 + 0.09 * smooth_noise(rng, h, w, size * s * 0.3)
                   + 0.05 * smooth_noise(rng, h, w, size * s * 0.05), 0.45, 1.0)
    voidn = smooth_noise(rng, h, w, rng.uniform(1.2, 3.5) * s) + 0.35 * smooth_noise(rng, h, w, 0.6 * s)
    q = rng.uniform(0.02, 0.1)
    thr = np.full((h, w), np.quantile(voidn[::4, ::4], q), np.float32)
    if fade:
        a = rng.uniform(0, 2 * np.pi)
        yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)
        proj = ((xx - w / 2) * math.cos(a) + (yy - h / 2) * math.sin(a)) / (size * s / 2)
        f = np.clip((proj - rng.uniform(0.0, 0.35)) / 0.75, 0, 1) ** 1.3
        dens *= 1 - 0.82 * f
        thr += 1.6 * f
    arr = np.where(voidn > thr, arr * dens, 0)
    layer.put(np.where(arr > 0, np.maximum(arr, 1), 0), at)


# ---------------------------------------------------------------- print under seals

def print_text(layer, rng, cell, latin):
    """A page of print (toner) over the whole frame: a small font made once
    per photo, words set in lines."""
    s = layer.s
    px = max(6, int(round(cell * s)))
    font = []
    for _ in range(40):
        g = Image.new("L", (px, px), 0)
        d = ImageDraw.Draw(g)
        if latin:
            # a pseudo-letter of a sans-serif face: stems, bowls and arches
            # between the x-height, the baseline, ascender and descender
            lw = max(1, int(px * 0.09))
            base, xt, asc, desc = 0.78 * px, 0.36 * px, 0.1 * px, 0.98 * px
            left, right = 0.15 * px, 0.62 * px
            kind = rng.integers(4)
            if kind == 0:  # l, i
                tall = rng.random() < 0.5
                d.line((left, asc if tall else xt, left, base), fill=255, width=lw)
                if not tall:
                    d.ellipse((left - lw, xt - 2.5 * lw, left + lw, xt - 0.5 * lw), fill=255)
            elif kind == 1:  # b, d, p, q
                stem = left if rng.random() < 0.5 else right
                up = rng.random() < 0.6
                d.line((stem, asc if up else xt, stem, base if up else desc), fill=255, width=lw)
                d.ellipse((left, xt, right, base), outline=255, width=lw)
            elif kind == 2:  # o, c, e
                if rng.random() < 0.5:
                    d.ellipse((left, xt, right, base), outline=255, width=lw)
                else:
                    d.arc((left, xt, right, base), 40, 320, fill=255, width=lw)
            else:  # n, h (an arch down to the baseline), u (a cup)
                if rng.random() < 0.7:
                    d.arc((left, xt, right, 2 * base - xt), 180, 360, fill=255, width=lw)
                    if rng.random() < 0.35:
                        d.line((left, asc, left, base), fill=255, width=lw)
                else:
                    d.arc((left, 2 * xt - base, right, base), 0, 180, fill=255, width=lw)
                    d.line((right, xt, right, base), fill=255, width=lw)
        else:
            for pts, wt in kanji(rng, "print"):
                q = [(x * px * 0.86 + px * 0.07, y * px * 0.86 + px * 0.07) for x, y in pts]
                d.line(q, fill=255, width=max(1, int(px * 0.055 * wt)), joint="curve")
        font.append(g.rotate(-math.degrees(layer.angle), resample=Image.NEAREST))
    adv = cell * (0.62 if latin else 1.02)
    pitch = cell * rng.uniform(1.45, 1.9)
    left = rng.uniform(-0.1, 0.15) * layer.w
    y = rng.uniform(0.2, 1.0) * pitch - pitch
    while y < layer.h + pitch:
        x = left
        end = layer.w * (1.1 if rng.random() < 0.75 else rng.uniform(0.3, 0.9))
        while x < end:
            n = rng.integers(2, 9) if latin else rng.integers(3, 14)
            for _ in range(n):
                c = layer.xform(np.array([[x + adv / 2, y + cell / 2]]))[0] * s
                layer.img.paste(255, (int(c[0] - px / 2), int(c[1] - px / 2)), font[rng.integers(40)])
                x += adv
            x += adv * (0.6 if latin else rng.uniform(0.0, 1.0))
        y += pitch * (2 if rng.random() < 0.08 else 1)


# ---------------------------------------------------------------- paper

PAPERS = {  # sRGB base, fibre contrast, formation contrast, flecks per megapixel
    "bright": ((246, 247, 252), 0.008, 0.01, 0),
    "office": ((241, 240, 235), 0.01, 0.012, 0),
    "recycled": ((226, 222, 212), 0.018, 0.02, 60),
    "cream": ((246, 238, 214), 0.01, 0.012, 0),
    "blue": ((222, 233, 245), 0.01, 0.012, 0),
    "green": ((223, 240, 223), 0.01, 0.012, 0),
    "pink": ((248, 226, 230), 0.01, 0.012, 0),
    "legal": ((252, 242, 160), 0.01, 0.012, 0),
    "kraft": ((182, 146, 106), 0.045, 0.03, 150),
}


def paper(rng, kind, h, w):
    """The sheet's linear reflectance without anything printed on it."""
    base, fib, form, flecks = PAPERS[kind]
    base = to_lin(np.array(base, np.float32) * rng.uniform(0.985, 1.01, 3) / 255)
    ang = rng.choice([0.0, np.pi / 2]) + rng.normal(0, 0.15)
    tex = (fib * fibre_noise(rng, h, w, rng.uniform(3, 7), rng.uniform(0.5, 0.9), ang)
           + form * smooth_noise(rng, h, w, rng.uniform(15, 40))
           + 0.004 * rng.standard_normal((h, w)).astype(np.float32))
    refl = base[None, None, :] * (1 + tex[..., None])
    if kind == "kraft":
        # darker, redder fibres in the pulp
        refl *= (1 + 0.5 * fib * fibre_noise(rng, h, w, 5, 0.7, ang + 0.3))[..., None] * np.array([1.0, 0.98, 0.95])
    n = rng.poisson(flecks * h * w / 1e6)
    for _ in range(n):
        y, x = rng.integers(0, h), rng.integers(0, w)
        r = int(rng.integers(0, 2))
        refl[max(0, y - r):y + r + 1, max(0, x - r):x + r + 1] *= rng.uniform(0.55, 0.85)
    return refl.astype(np.float32)


def rules(layer, rng, kind, xh, baseline):
    """Printed rules in sheet pixels: ruled, squared, a legal pad's lines and
    red double margin, a red margin line.  Returns their inks."""
    w, h = layer.w, layer.h
    e = 0.3 * max(w, h)
    inks = []
    if kind in ("ruled", "legal", "margin"):
        step = xh * rng.uniform(2.4, 3.4)
        lw = rng.uniform(0.6, 1.4)
        y = baseline + rng.normal(0, 0.12) * step
        y -= math.ceil((y + e) / step) * step
        while y < h + e:
            layer.stroke(np.array([[-e, y], [w + e, y]]), lw / 2, 255)
            y += step
        inks.append(rules_ink(rng, "legal" if kind == "legal" else "blue"))
    elif kind == "squared":
        step = xh * rng.uniform(1.3, 2.3)
        lw = rng.uniform(0.5, 1.1)
        off = rng.uniform(0, step, 2)
        for x in np.arange(-e + off[0], w + e, step):
            layer.stroke(np.array([[x, -e], [x, h + e]]), lw / 2, 255)
        for y in np.arange(-e + off[1], h + e, step):
            layer.stroke(np.array([[-e, y], [w + e, y]]), lw / 2, 255)
        inks.append(rules_ink(rng, "grid"))
    return inks


def rules_ink(rng, kind):
    c = {"blue": (150, 185, 215), "legal": (140, 170, 200), "grid": (165, 200, 215)}[kind]
    if kind == "grid" and rng.random() < 0.3:
        c = (170, 210, 175)  # green grid paper
    return np.array(c, np.float32) * rng.uniform(0.95, 1.03, 3) / 255, rng.uniform(0.6, 0.95)


def margin(layer, rng, x, double, xh):
    w = rng.uniform(0.8, 1.6)
    for dx in ((0, max(4 * w, xh * rng.uniform(0.15, 0.3))) if double else (0,)):
        layer.stroke(np.array([[x + dx, -0.5 * layer.h], [x + dx, 1.5 * layer.h]]), w / 2, 255)


# ---------------------------------------------------------------- light

def lamp(h, w, lx, ly, height):
    """Irradiance on the desk from a point source at (lx, ly, height), all in
    pixels: inverse square times the cosine of incidence, 1 below the lamp."""
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)
    d2 = (xx - lx) ** 2 + (yy - ly) ** 2
    return (height ** 3 / (d2 + height ** 2) ** 1.5).astype(np.float32)


KELVIN = {"warm": (1.0, 0.80, 0.58), "neutral": (1.0, 0.93, 0.84), "day": (0.95, 0.98, 1.0),
          "flash": (1.0, 0.98, 0.97)}


def occluder(rng, h, w, kind, over):
    """Silhouette (1 = blocked) of a finger, hand, pen, phone or a straight
    edge, crossing the point `over` (x, y)."""
    im = Image.new("L", (w, h), 0)
    d = ImageDraw.Draw(im)
    ox, oy = over
    a = rng.uniform(0, 2 * np.pi)
    ux, uy = math.cos(a), math.sin(a)
    far = 2 * (w + h)
    m = min(w, h)
    if kind in ("finger", "pen"):
        width = m * (rng.uniform(0.05, 0.1) if kind == "finger" else rng.uniform(0.015, 0.03))
        reach = rng.uniform(0.15, 0.45) * m  # the tip well past the writing
        tip = (ox + ux * reach, oy + uy * reach)
        d.line((tip, (tip[0] - ux * far, tip[1] - uy * far)), fill=255, width=int(width))
        d.ellipse((tip[0] - width / 2, tip[1] - width / 2, tip[0] + width / 2, tip[1] + width / 2), fill=255)
    elif kind == "hand":
        c = (ox - ux * m * 0.35, oy - uy * m * 0.35)
        r = m * rng.uniform(0.25, 0.4)
        d.ellipse((c[0] - r, c[1] - r * 0.8, c[0] + r, c[1] + r * 0.8), fill=255)
        d.line((c, (c[0] - ux * far, c[1] - uy * far)), fill=255, width=int(r * 1.2))
        for k in range(rng.integers(1, 4)):
            b = a + rng.normal(0, 0.25)
            d.line((c, (c[0] + math.cos(b) * r * 1.9, c[1] + math.sin(b) * r * 1.9)),
                   fill=255, width=int(m * 0.07))
    elif kind == "phone":
        c = (ox - ux * m * rng.uniform(0.25, 0.5), oy - uy * m * rng.uniform(0.25, 0.5))
        pw, ph = m * rng.uniform(0.35, 0.5), m * rng.uniform(0.7, 1.0)
        corners = [(-pw / 2, -ph / 2), (pw / 2, -ph / 2), (pw / 2, ph / 2), (-pw / 2, ph / 2)]
        d.polygon([(c[0] + x * ux - y * uy, c[1] + x * uy + y * ux) for x, y in corners], fill=255)
    else:  # a straight edge: the stand's arm, a book, the camera's body
        d.polygon([(ox - uy * far, oy + ux * far), (ox + uy * far, oy - ux * far),
                   (ox + uy * far + ux * far, oy - ux * far + uy * far),
                   (ox - uy * far + ux * far, oy + ux * far + uy * far)], fill=255)
    return np.asarray(im, np.float32) / 255


# ---------------------------------------------------------------- the case's plan

SIG_PAPERS = {"bright": 0.35, "office": 0.3, "recycled": 0.15, "cream": 0.08, "blue": 0.04, "green": 0.04,
              "pink": 0.04}


def plan(case, rng):
    kind = KIND[case]
    p = dict(case=case, kind=kind)
    if kind == "seal":
        w = int(rng.integers(560, 1100))
        h = int(np.clip(w * rng.uniform(0.75, 1.3), 560, 1200))
    else:
        w = int(rng.integers(620, 1301))
        h = int(np.clip(w * rng.uniform(0.5, 0.95), 560, 1300))
    p["w"], p["h"] = w - w % 2, h - h % 2
    p["device"] = "scanner" if rng.random() < 0.22 else "camera"
    p["paper"] = rng.choice(list(SIG_PAPERS), p=list(SIG_PAPERS.values()))
    p["lines"] = "none"
    if kind == "signature" and rng.random() < 0.25:
        p["lines"] = rng.choice(["ruled", "squared"])
    if kind == "none" and rng.random() < 0.2:
        p["lines"] = "ruled"
    p["mix"] = "linear" if rng.random() < 0.5 else "srgb"
    p["pen"] = rng.choice(list(PENS), p=[0.3, 0.2, 0.1, 0.12, 0.08, 0.1, 0.1])
    p["ink"] = None
    p["faint"] = False
    p["dots"] = 0
    p["cut"] = False
    p["seal"] = None
    p["print"] = False
    p["shadows"] = []
    p["lamps"] = "gentle"
    p["glare"] = False
    p["vignette"] = rng.uniform(0.0, 0.15)
    p["blur"] = ("gauss", rng.uniform(0.35, 1.1)) if rng.random() < 0.6 else ("disc", rng.uniform(0.6, 1.5))
    p["electrons"] = rng.uniform(2000, 12000)
    p["quality"] = int(rng.integers(55, 96))
    p["sub"] = int(rng.choice([0, 2]))
    p["specks"] = int(rng.integers(1, 3)) if rng.random() < 0.2 else 0
    camera_only = {"finger-shadow", "soft-shadow", "seal-hard-shadow", "flash-glare", "uneven-light", "vignette",
                   "noise", "blurred"}
    if case in camera_only:
        p["device"] = "camera"

    if case == "ruled":
        p["lines"] = "ruled"
    elif case == "squared":
        p["lines"] = "squared"
    elif case == "legal-pad":
        p["lines"], p["paper"] = "legal", "legal"
    elif case == "margin-line":
        p["lines"] = "margin" if rng.random() < 0.7 else "margin-only"
    elif case == "finger-shadow":
        p["shadows"] = [("finger", rng.uniform(1.0, 3.5), rng.uniform(0.4, 0.7))]
    elif case == "soft-shadow":
        p["shadows"] = [(rng.choice(["hand", "phone", "edge"]), rng.uniform(25, 70), rng.uniform(0.35, 0.6))]
    elif case == "seal-hard-shadow":
        p["shadows"] = [(rng.choice(["edge", "phone", "pen"]), rng.uniform(0.7, 2.5), rng.uniform(0.4, 0.7))]
    elif case == "faint-handwriting":
        p["faint"] = True
        p["pen"] = rng.choice(["ballpoint", "pencil", "fineliner"])
        p["ink"] = rng.choice(["blue", "royal", "graphite", "black"])
    elif case == "seal-faded-corner":
        p["seal_fade"] = True
    elif case == "flash-glare":
        p["glare"], p["lamps"] = True, "flash"
    elif case == "seal-over-print":
        p["print"] = True
    elif case == "signed-and-sealed":
        p["seal"] = "beside"
    elif case == "thin-ballpoint":
        p["pen"], p["width"] = "ballpoint", rng.uniform(1.0, 1.6)
    elif case == "blurred":
        p["blur"] = ("gauss", rng.uniform(1.5, 2.6)) if rng.random() < 0.5 else ("disc", rng.uniform(1.8, 3.4))
    elif case == "i-dots":
        p["dots"] = int(rng.integers(3, 7))
        p["style"] = "cursive"
    elif case == "lone-speck":
        p["specks"] = int(rng.integers(1, 4))
    elif case == "blank":
        p["specks"] = 0
    elif case in ("pencil-on-cream", "pencil"):
        p["pen"] = "pencil"
        p["paper"] = "cream" if case == "pencil-on-cream" else rng.choice(["bright", "office", "recycled"])
    elif case == "uneven-light":
        p["lamps"] = "uneven"
    elif case == "vignette":
        p["vignette"] = rng.uniform(0.4, 0.65)
    elif case == "kraft":
        p["paper"] = "kraft"
        p["ink"] = rng.choice(["black", "blue-black", "black", "blue"])
        if p["pen"] == "pencil":
            p["pen"] = "gel"
    elif case == "cream":
        p["paper"] = "cream"
    elif case == "noise":
        p["electrons"] = rng.uniform(120, 400)
    elif case == "jpeg-q60":
        p["quality"] = int(rng.integers(57, 64))
    elif case == "cut-by-border":
        p["cut"] = True
    elif case == "seal-blue-over-print":
        p["print"] = True
        p["seal_ink"] = "blue" if rng.random() < 0.6 else "violet"
    if kind == "seal" and p["paper"] in ("pink",):
        p["paper"] = "office"
    if p["ink"] is None:
        if p["pen"] == "pencil":
            p["ink"] = "graphite"
        elif p["pen"] == "fountain":
            p["ink"] = rng.choice(["blue-black", "royal", "black", "sepia"])
        elif p["pen"] == "ballpoint":
            p["ink"] = rng.choice(["blue", "black", "blue"])
        else:
            p["ink"] = rng.choice(["black", "blue-black", "blue", "black"])
    if "width" not in p:
        lo, hi = PENS[p["pen"]]
        p["width"] = rng.uniform(lo, hi) if rng.random() < 0.93 else rng.uniform(1.0, 1.4)
    if p["device"] == "scanner":
        p["vignette"], p["lamps"], p["blur"] = 0.0, "scanner", ("gauss", rng.uniform(0.5, 0.9))
        p["electrons"] = max(p["electrons"], rng.uniform(15000, 40000))
    return p


# ---------------------------------------------------------------- the photo

def render(case, seed):
    rng = np.random.default_rng(seed)
    p = plan(case, rng)
    w, h = p["w"], p["h"]
    s = 4 if w * h <= 640_000 else 3
    angle = rng.normal(0, 0.03 if p["device"] == "scanner" else 0.045)
    ca, sa = math.cos(angle), math.sin(angle)
    c0 = np.array([w / 2, h / 2])

    def xform(pts):  # sheet pixels to picture pixels: the sheet lies a little turned
        d = pts - c0
        return np.stack([d[..., 0] * ca - d[..., 1] * sa, d[..., 0] * sa + d[..., 1] * ca], -1) + c0

    def new_layer():
        lay = Layer(w, h, s, xform)
        lay.angle = angle
        return lay

    layers = []  # (layer, sRGB colour, density scale, is truth)
    sig = new_layer()
    # -- what is written: placed in sheet pixels
    xh = None
    baseline = h * rng.uniform(0.45, 0.65)
    if p["kind"] == "signature":
        omega = rng.uniform(2.8, 3.6)
        zeta = rng.uniform(0.4, 0.65)
        style = p.get("style") or rng.choice(["cursive", "cursive", "scribble", "kanji"])
        if style == "kanji":
            strokes = kanji_signature(rng, rng.uniform(5.0, 7.0), rng.uniform(0.8, 1.0))
        else:
            strokes = cursive(rng, omega, zeta, n_dots=p["dots"], scribble=style == "scribble")
        slant = math.tan(rng.normal(0.25 if style != "kanji" else 0.05, 0.15))
        tilt = rng.normal(0, 0.05)
        ct, st = math.cos(tilt), math.sin(tilt)
        tr = []
        for pts, spd, dot in strokes:
            q = pts.copy()
            q[:, 0] += slant * q[:, 1]
            tr.append((np.stack([q[:, 0] * ct - q[:, 1] * st, q[:, 0] * st + q[:, 1] * ct], 1), spd, dot))
        allp = np.concatenate([t[0] for t in tr])
        lo, hi = allp.min(0), allp.max(0)
        frac = rng.uniform(0.4, 0.85) if p["seal"] is None else rng.uniform(0.4, 0.65)
        sc = frac * w / (hi[0] - lo[0])
        sc = min(sc, 0.75 * h / (hi[1] - lo[1]))
        sw, sh = (hi - lo) * sc
        if p["cut"]:
            over = rng.uniform(0.1, 0.3)
            side = rng.choice(["left", "right", "bottom"], p=[0.4, 0.4, 0.2])
            x0 = {"left": -over * sw, "right": w - (1 - over) * sw}.get(side, rng.uniform(0.05, 0.9) * w - sw / 2)
            ytop = rng.uniform(0.1, 0.9) * (h - sh) if side != "bottom" else h - (1 - rng.uniform(0.2, 0.4)) * sh
        else:
            room = (w - sw) * (0.55 if p["seal"] else 1.0)
            x0 = rng.uniform(0.04 * w, max(0.04 * w + 1, room - 0.04 * w))
            ytop = rng.uniform(0.06 * h, max(0.06 * h + 1, 0.94 * h - sh))
        # baseline of the unit strokes is y = 0
        box = (x0 - lo[0] * sc, ytop + hi[1] * sc, sc)
        baseline = box[1]
        xh = sc
        dens = rng.uniform(0.28, 0.45) if p["faint"] else rng.uniform(0.88, 1.0)
        lay_signature(sig, rng, tr, box, p["pen"], p["width"], dens)
        if p["pen"] == "pencil":
            pencil_grain(sig, rng, (x0 - 10, ytop - 10, x0 + sw + 10, ytop + sh + 10), rng.uniform(0.72, 0.88))
        ink = np.array(INKS[p["ink"]], np.float32) * rng.uniform(0.9, 1.1, 3)
        if p["faint"] and p["ink"] == "black":
            ink = ink + 60  # a light grey felt pen running out
        layers_sig = (sig, ink / 255, 1.0, True)
        if p["seal"] == "beside":
            seal_d = min(h * 0.6, max(sh * rng.uniform(0.7, 1.2), 0.12 * min(w, h)))
            scx = x0 + sw + seal_d * rng.uniform(-0.3, 0.4)
            scx = min(scx, w - seal_d * 0.55)
            p["seal_at"] = (scx, ytop + sh / 2 + rng.normal(0, 0.15) * sh, seal_d)
    else:
        xh = min(w, h) * rng.uniform(0.035, 0.06)
        layers_sig = None
    # -- paper and its printed rules
    refl = paper(rng, p["paper"], h, w)
    ruled = new_layer()
    inks = rules(ruled, rng, {"margin-only": "none"}.get(p["lines"], p["lines"]), xh, baseline)
    if inks:
        layers.append((ruled, inks[0][0], inks[0][1], False))
    if p["lines"] in ("legal", "margin", "margin-only"):
        red = new_layer()
        # the margin sits left of the writing, or the writing crosses it
        mx = w * rng.uniform(0.08, 0.3)
        margin(red, rng, mx, p["lines"] == "legal", xh)
        layers.append((red, np.array((225, 95, 100), np.float32) * rng.uniform(0.92, 1.04, 3) / 255,
                       rng.uniform(0.6, 0.95), False))
    if p["print"]:
        pr = new_layer()
        print_text(pr, rng, min(w, h) * rng.uniform(0.035, 0.07), rng.random() < 0.4)
        layers.append((pr, np.array([30, 30, 32], np.float32) * rng.uniform(0.8, 1.2) / 255,
                       rng.uniform(0.85, 1.0), False))
    if layers_sig:
        layers.append(layers_sig)
    # -- the seal
    seal_layer = None
    if p["kind"] == "seal" or p["seal"]:
        seal_layer = new_layer()
        if p["kind"] == "seal":
            d = min(w, h) * (rng.uniform(0.35, 0.7) if not p["print"] else rng.uniform(0.3, 0.55))
            scx = w / 2 + rng.uniform(-0.2, 0.2) * (w - d)
            scy = h / 2 + rng.uniform(-0.2, 0.2) * (h - d)
        else:
            scx, scy, d = p["seal_at"]
        shape = rng.choice(["round", "round", "oval", "square"])
        draw_seal(seal_layer, rng, scx, scy, d, shape, p.get("seal_fade", False))
        hue = p.get("seal_ink", "red")
        col = {"red": (rng.uniform(200, 232), rng.uniform(35, 85), rng.uniform(35, 60)),
               "blue": (rng.uniform(30, 60), rng.uniform(60, 95), rng.uniform(150, 190)),
               "violet": (rng.uniform(95, 130), rng.uniform(45, 75), rng.uniform(135, 170))}[hue]
        layers.append((seal_layer, np.array(col, np.float32) / 255, rng.uniform(0.8, 0.95), p["kind"] == "seal"))
    if p["specks"]:
        dust = new_layer()
        for _ in range(p["specks"]):
            # a dust speck or crumb of eraser: not ink
            x, y = rng.uniform(0.1, 0.9) * w, rng.uniform(0.1, 0.9) * h
            r = rng.uniform(0.4, 1.3)
            pts = np.array([[x, y], [x + rng.normal(0, r), y + rng.normal(0, r)]])
            dust.stroke(pts, r, int(rng.uniform(150, 240)))
        layers.append((dust, np.array([60, 55, 50], np.float32) / 255, 1.0, False))

    # -- lay the deposits on the paper, in one of the two mixing spaces
    truth = np.zeros((h, w), bool)
    work = refl if p["mix"] == "linear" else to_srgb(refl)
    for lay, col, dscale, is_truth in layers:
        cov, dens = lay.reduce()
        if is_truth:
            truth |= cov >= 0.5
        a = (dens * dscale)[..., None]
        if p["mix"] == "linear":
            work = work * (1 - a * (1 - to_lin(col)))  # a dye filters the light
        else:
            work = work * (1 - a) + col * a  # paint over the stored values
    refl = work if p["mix"] == "linear" else to_lin(work)
    del work

    # -- the desk beyond the sheet's edge, now and then, where no ink is
    if p["device"] == "camera" and not p["cut"] and rng.random() < 0.12:
        refl = desk_edge(rng, refl, truth, angle)

    scene = light(rng, p, refl, truth)
    img = camera(rng, p, scene)
    buf = io.BytesIO()
    Image.fromarray(img, "RGB").save(buf, "JPEG", quality=p["quality"], subsampling=p["sub"])
    if p["kind"] != "seal" and p["kind"] != "signature":
        truth[:] = False
    return buf.getvalue(), truth


def desk_edge(rng, refl, truth, angle):
    """Show the desk past one edge of the sheet, on the side with the widest
    empty margin."""
    h, w = truth.shape
    ys, xs = np.nonzero(truth)
    if len(xs):
        margins = {"left": xs.min(), "right": w - 1 - xs.max(), "top": ys.min(), "bottom": h - 1 - ys.max()}
    else:
        margins = {k: rng.uniform(w, 2 * w) for k in ("left", "right", "top", "bottom")}
    side = max(margins, key=margins.get)
    depth = min(margins[side] * 0.6, 0.12 * (w if side in ("left", "right") else h))
    if depth < 12:
        return refl
    depth = rng.uniform(0.4, 1.0) * depth
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)
    t = math.tan(angle)
    dist = {"left": depth - xx + t * (yy - h / 2), "right": xx - (w - depth) - t * (yy - h / 2),
            "top": depth - yy - t * (xx - w / 2), "bottom": yy - (h - depth) + t * (xx - w / 2)}[side]
    m = np.clip(dist + 0.5, 0, 1)[..., None]
    kind = rng.choice(["oak", "walnut", "grey", "white"], p=[0.35, 0.2, 0.3, 0.15])
    base = to_lin(np.array({"oak": (190, 150, 105), "walnut": (95, 65, 45), "grey": (150, 150, 148),
                            "white": (225, 225, 222)}[kind], np.float32) / 255)
    grain = fibre_noise(rng, h, w, 40, 1.5, 0.0 if side in ("top", "bottom") else np.pi / 2)
    desk = base * (1 + (0.08 if kind in ("oak", "walnut") else 0.015) * grain[..., None])
    # the sheet's edge throws a thin shadow on the desk
    edge = np.clip(1 - 0.35 * np.exp(-np.clip(dist, 0, None) / 2.5), 0, 1)[..., None]
    return (refl * (1 - m) + desk * edge * m).astype(np.float32)


def light(rng, p, refl, truth):
    """Radiance leaving the sheet towards the lens, in linear light."""
    h, w = truth.shape
    diag = math.hypot(w, h)
    ys, xs = np.nonzero(truth)
    cx, cy = (xs.mean(), ys.mean()) if len(xs) else (w / 2, h / 2)
    amb_col = np.array(KELVIN[rng.choice(["warm", "neutral", "day"])], np.float32)
    kind = p["lamps"]
    if kind == "scanner":
        e = np.ones((h, w), np.float32)
        ax = rng.integers(2)
        ramp = np.linspace(0, 1, (w, h)[ax], dtype=np.float32)
        fall = 1 - rng.uniform(0.0, 0.08) * np.clip((ramp - 0.85) / 0.15, 0, 1)  # the lamp's end
        e *= fall[None, :] if ax == 0 else fall[:, None]
        illum = e[..., None] * np.array([1.0, 1.0, 1.0], np.float32)
        p["wb"] = np.ones(3, np.float32)
        return refl * illum
    # ambient room light: broad, with a gentle slope
    gx, gy = rng.normal(0, 0.12, 2)
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)
    amb = 1 + gx * (xx / w - 0.5) + gy * (yy / h - 0.5)
    illum = amb[..., None] * amb_col * rng.uniform(0.5, 1.0)
    n_lamps = {"gentle": int(rng.integers(0, 2)), "uneven": int(rng.integers(1, 3)), "flash": 0}[kind]
    for i in range(n_lamps):
        a = rng.uniform(0, 2 * np.pi)
        if kind == "uneven" and i == 0:
            # a desk lamp low and off to the side: a steep fall-off over the page
            dist, height, power = diag * rng.uniform(0.45, 0.8), diag * rng.uniform(0.25, 0.5), rng.uniform(2.5, 5)
        else:
            dist, height, power = diag * rng.uniform(0.3, 1.2), diag * rng.uniform(0.6, 1.4), rng.uniform(0.3, 1.2)
        e = lamp(h, w, w / 2 + math.cos(a) * dist, h / 2 + math.sin(a) * dist, height)
        col = np.array(KELVIN[rng.choice(["warm", "neutral", "day"])], np.float32)
        illum = illum + power * e[..., None] * col
    if kind == "flash":
        # the flash sits by the lens: centre-weighted, the room dim behind it
        f = lamp(h, w, w / 2 + rng.normal(0, 0.05) * w, h / 2 + rng.normal(0, 0.05) * h, diag * rng.uniform(0.6, 1.0))
        illum = illum * rng.uniform(0.1, 0.3) + rng.uniform(1.5, 2.5) * f[..., None] * np.array(KELVIN["flash"])
    # the camera balances for the light, not for the paper, and not quite
    mean_col = illum.reshape(-1, 3)[::97].mean(0)
    p["wb"] = (mean_col[1] / mean_col) ** rng.uniform(0.7, 1.0) * rng.uniform(0.97, 1.03, 3)
    # shadows: an occluder between the lamps and the sheet
    for occ, penumbra, depth in p["shadows"]:
        over = (cx + rng.normal(0, 0.08) * w, cy + rng.normal(0, 0.08) * h)
        if p["kind"] == "seal" and occ == "edge":
            over = (cx + rng.normal(0, 0.1) * w, cy + rng.normal(0, 0.1) * h)
        sil = occluder(rng, h, w, occ, over)
        sil = gblur(sil, penumbra)
        illum = illum * (1 - depth * sil)[..., None]
    radiance = refl * illum
    if p["glare"]:
        # the flash mirrored in the sheet's sheen: an additive veil that
        # lies over ink as well as paper
        gx0 = cx + rng.normal(0, 0.12) * w
        gy0 = cy + rng.normal(0, 0.12) * h
        r2 = ((xx - gx0) ** 2 + (yy - gy0) ** 2) / (diag * rng.uniform(0.06, 0.14)) ** 2
        veil = rng.uniform(0.35, 0.8) * np.exp(-r2) + rng.uniform(0.1, 0.3) * np.exp(-r2 / 9)
        level = np.percentile((radiance @ LUMA)[::7, ::7], 90)
        radiance = radiance + (veil * level)[..., None] * np.array(KELVIN["flash"])
    return radiance.astype(np.float32)


def camera(rng, p, radiance):
    """Optics, sensor, processing: radiance in, 8-bit sRGB out."""
    h, w, _ = radiance.shape
    kind, size = p["blur"]
    img = gblur(radiance, size) if kind == "gauss" else disc_blur(radiance, size)
    if p["vignette"] > 0:
        yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)
        rr = np.hypot(xx - w / 2, yy - h / 2) / math.hypot(w / 2, h / 2)
        half = rng.uniform(0.5, 0.7)  # half the diagonal field of view, radians
        cos4 = np.cos(np.arctan(rr * math.tan(half))) ** 4
        img *= (1 - p["vignette"] * (1 - cos4) / (1 - math.cos(half) ** 4))[..., None]
    # auto exposure: the bright paper, once balanced, a little under full scale
    wb = p["wb"]
    ref = np.percentile(((img * wb) @ LUMA)[::5, ::5], 98)
    img *= rng.uniform(0.6, 0.92) / max(ref, 1e-6)
    if p["device"] == "camera":
        raw = mosaic(img)
        e = p["electrons"]
        raw = raw + np.sqrt(np.clip(raw, 0, None) / e) * rng.standard_normal(raw.shape).astype(np.float32)
        raw += rng.uniform(2, 8) / e * rng.standard_normal(raw.shape).astype(np.float32)
        img = demosaic(raw) * wb
    else:
        e = p["electrons"]
        img = img + np.sqrt(np.clip(img, 0, None) / e) * rng.standard_normal(img.shape).astype(np.float32)
        col = rng.normal(0, 0.004, (1, w, 1)).astype(np.float32)  # the line sensor's columns
        img = img * (1 + col)
    # colour: a little more saturated, as a camera renders
    sat = rng.uniform(1.0, 1.25)
    y = (img @ LUMA)[..., None]
    img = np.clip(y + sat * (img - y), 0, 1)
    out = to_srgb(img)
    c = rng.uniform(0.0, 0.3)
    out = (1 - c) * out + c * out * out * (3 - 2 * out)  # an S-shaped tone curve
    # processing in YCbCr: denoise, sharpen
    yc = out @ np.array([0.299, 0.587, 0.114], np.float32)
    cb, cr = out[..., 2] - yc, out[..., 0] - yc
    if p["device"] == "camera" and rng.random() < 0.55:
        sig = rng.uniform(1.0, 2.5)
        cb, cr = gblur(cb, sig), gblur(cr, sig)
        d = gblur(yc, rng.uniform(0.7, 1.3)) - yc
        t = rng.uniform(0.01, 0.04)
        yc = yc + d * np.exp(-(d / t) ** 2)  # smooth where flat, keep edges
    if rng.random() < 0.6:
        yc = yc + rng.uniform(0.3, 1.2) * (yc - gblur(yc, rng.uniform(0.8, 2.0)))
    r = yc + cr
    b = yc + cb
    g = (yc - 0.299 * r - 0.114 * b) / 0.587
    out = np.stack([r, g, b], -1)
    return (np.clip(out, 0, 1) * 255 + 0.5).astype(np.uint8)


def mosaic(img):
    """An RGGB Bayer sampling: one channel per photosite, zeros elsewhere."""
    raw = np.zeros(img.shape, np.float32)
    raw[0::2, 0::2, 0] = img[0::2, 0::2, 0]
    raw[0::2, 1::2, 1] = img[0::2, 1::2, 1]
    raw[1::2, 0::2, 1] = img[1::2, 0::2, 1]
    raw[1::2, 1::2, 2] = img[1::2, 1::2, 2]
    return raw


def demosaic(raw):
    """Bilinear demosaicing: each missing sample the mean of its neighbours of
    that colour (noise has been added to the sampled sites only)."""
    mask = np.zeros(raw.shape, np.float32)
    mask[0::2, 0::2, 0] = 1
    mask[0::2, 1::2, 1] = 1
    mask[1::2, 0::2, 1] = 1
    mask[1::2, 1::2, 2] = 1
    raw = raw * mask

    def conv(a):
        p = np.pad(a, ((1, 1), (1, 1), (0, 0)), mode="reflect")
        h, w = a.shape[:2]
        out = np.zeros_like(a)
        for dy in (-1, 0, 1):
            for dx in (-1, 0, 1):
                wgt = (2 - abs(dy)) * (2 - abs(dx)) / 4.0
                out += wgt * p[1 + dy:1 + dy + h, 1 + dx:1 + dx + w]
        return out
    # the sampled sites keep their own value
    return np.where(mask > 0, raw, conv(raw) / np.maximum(conv(mask), 1e-6))
