#!/usr/bin/python3
"""Photo generator "phone": a paper page photographed with a phone camera,
built up from how paper, ink, light and the camera's processing behave.

render(case, seed) -> (jpeg_bytes, truth): truth is a bool array the
picture's size, True where the case's ink is (see classes.py for which ink).

The page (page space, millimetres; rendered at SS = 2 samples per pixel)
- Scale: 4-22 px per mm for a name, from a far shot (a 0.25 mm ballpoint
  line 1.3-2.2 px wide) to a close one; up to 42 px per mm for a close-up of
  a 10-20 mm seal. Pictures are 560-1200 px a side, cropped round the mark.
- Paper is a linear reflectance per RGB channel (office white, a little blue
  from its brightener; recycled; cream; kraft; yellow legal pad) times a
  texture: formation clouds (fBm, 1-5 %), fibres (short curved lines a few per
  cent darker or lighter), dark flecks in kraft and recycled paper, and a fine
  grain (the paper's tooth) that also decides where graphite and stamp paste
  touch and where a fountain pen's ink feathers.
- Printed rules (ruled, squared, legal pad, a red margin line) are printer's
  ink laid straight on the page before anything is written, so they run to
  every edge and the pen crosses them.
- Handwriting is pen paths: Latin-like cursive (letter shapes joined through
  Catmull-Rom splines, slanted, a looped capital, i- and j-dots, full stops,
  sometimes an underline flourish) or kanji-like names (2-4 characters of
  horizontal, vertical, falling, dot, hook and box strokes, some joined by a
  light connecting stroke, written across or down). Pressure rises at a
  stroke's start, is higher on down-strokes, and fades where the pen lifts.
  Pens: ballpoint (thin, even, ink density follows pressure, skips on fast
  up-strokes), gel (dense, even), felt-tip (wide, soft edges: the ink wicks),
  fountain pen (width depends on direction against the nib, feathering into
  the fibres), brush pen (width follows pressure strongly), pencil.
- Seals: round, oval or square frames with seal-script-like characters
  (straight bars with right-angle bends, bars reaching the frame), stamped a
  little rotated, with uneven paste (low-frequency density), voids where the
  stamp missed the paper's valleys or ran dry, vermilion / orange-red /
  crimson. Blue and violet stamp-pad stamps (a frame with DejaVu text: a
  received / date stamp, or a round seal).
- Print is DejaVu text (toner black), under the seal or around a signature.

How inks mix with what is under them (reflectances in linear light)
- Dyes (pen inks, printed rules, stamp-pad dye) are filters: light goes
  through the ink film, is scattered by the paper and comes back through it,
  so reflectances multiply: R = R_under * T^a (Beer-Lambert, a = the amount
  of ink, 1 = a full pen line). That is why ink over a ruled line is darker
  than either, and why blue dye over black print stays black.
- Toner and graphite are opaque flakes: they cover a share g of the area,
  R = (1 - g) R_under + g R_flake (graphite is a mid grey, not black).
- Seal paste (cinnabar pigment in oil) is between the two: it partly hides
  what is under it, R = (1 - o a) R_under T^a + o a R_paste with hiding o
  ~ 0.3, so a red seal over black print shows dark red, as on real papers.
- Within one render sample these rules apply; a sensor pixel then averages
  its samples' reflectance in linear light, as the sensor integrates light
  (area mixing at the edges of strokes).

Truth convention
- A pixel is ink when at least half its area lies inside the footprint of the
  case's ink: the pen's for "signature", the seal's for "seal", nothing for
  "none". The footprint is where that ink was laid, however faintly: a faint
  or dry pen line is ink; a ballpoint skip or a stamp void (paper the stamp
  did not touch) is not; a felt-tip's soft edge counts up to its half-density
  line; a fountain pen's feathering counts; a pencil line counts over the
  pencil tip's whole track (the paper between graphite flakes included: a
  person marks the line, not the flakes). Ink covered by other ink (the pen
  under a seal, the seal over print) is still ink of its own kind.
- Truth is ink on the page, before the camera: the page's tilt moves it,
  but lens blur, shadows, glare and noise do not change it.

Light (camera space)
- Irradiance per channel in the light's colour (daylight, cool LED, warm LED,
  tungsten; two lights of different colours from two sides for uneven light):
  E = ambient + direct * visibility. A shadow removes the direct part only:
  an occluder's outline blurred by its penumbra (a finger close to the page
  under a small lamp gives a hard edge, a phone or hand further up a soft one).
- Lens falloff (cos^4 law) is mostly corrected in the camera; its residue is
  left strong in "vignette".
- Glare is a specular veil added on top of the diffuse light, in the light's
  colour: surface reflection happens before any absorption, so it lifts ink
  and paper alike (glossy gel and ballpoint ink a little more). Under a flash
  the diffuse light also falls off from the centre.

Camera
- The page is tilted and turned a little (a homography), then lens blur
  (Gaussian 0.4-0.9 px; a defocus disc and a little motion for "blurred").
- Auto exposure on the bright paper (a glare may clip), RGGB Bayer sampling
  with the channels' own sensitivities, shot noise (full well per ISO) and
  read noise, 10-bit raw; white balance from the bright part, kept near the
  light's own colour (a yellow pad stays yellow, as in real phone photos) and
  with an estimation error (a slight colour cast stays); bilinear
  demosaicing; a colour
  matrix; the sRGB curve with a slight S; chroma noise reduction; unsharp-mask
  sharpening (light halos beside strokes); JPEG at quality 80-95 with 4:2:0
  or 4:4:4 chroma (quality 60, 4:2:0 for "jpeg-q60").
"""
import io
import math

import numpy as np
from PIL import Image, ImageDraw, ImageFont

from classes import KIND  # which ink is the truth

SS = 2  # render samples per sensor pixel, each way
FONTS = "/usr/share/fonts/truetype/dejavu/"
F32 = np.float32


def lin(r, g, b):
    """Linear reflectance of an sRGB colour (as seen on a colour chart)."""
    c = np.array([r, g, b], float) / 255
    return np.where(c <= 0.04045, c / 12.92, ((c + 0.055) / 1.055) ** 2.4)


# ---------------------------------------------------------------- filters


def conv1(a, k, axis):
    r = len(k) // 2
    pad = [(0, 0)] * a.ndim
    pad[axis] = (r, r)
    p = np.pad(a, pad, mode="edge")
    out = np.zeros_like(a)
    n = a.shape[axis]
    for i, kv in enumerate(k):
        sl = [slice(None)] * a.ndim
        sl[axis] = slice(i, i + n)
        out += F32(kv) * p[tuple(sl)]
    return out


def box1(a, r, axis):
    if r < 1:
        return a
    pad = [(0, 0)] * a.ndim
    pad[axis] = (r + 1, r)
    c = np.cumsum(np.pad(a, pad, mode="edge"), axis=axis, dtype=np.float64)
    n = a.shape[axis]
    hi = np.take(c, np.arange(2 * r + 1, 2 * r + 1 + n), axis=axis)
    lo = np.take(c, np.arange(0, n), axis=axis)
    return ((hi - lo) / (2 * r + 1)).astype(F32)


def gauss(a, sigma):
    a = a.astype(F32)
    if sigma < 0.25:
        return a
    if sigma < 2.5:
        r = int(math.ceil(3 * sigma))
        x = np.arange(-r, r + 1)
        k = np.exp(-x * x / (2 * sigma * sigma))
        k /= k.sum()
        return conv1(conv1(a, k, 0), k, 1)
    # three box passes approximate a Gaussian
    r = max(1, int(round((math.sqrt(12 * sigma * sigma / 3 + 1) - 1) / 2)))
    for _ in range(3):
        a = box1(box1(a, r, 0), r, 1)
    return a


def fft_conv(img, kernel):
    """Convolves each channel of img (H, W, C) with a small kernel, edges held."""
    kh, kw = kernel.shape
    py, px = kh, kw
    h, w = img.shape[:2]
    p = np.pad(img, ((py, py), (px, px), (0, 0)), mode="edge")
    shape = (p.shape[0], p.shape[1])
    kf = np.fft.rfft2(kernel, shape)
    out = np.fft.irfft2(np.fft.rfft2(p, axes=(0, 1)) * kf[..., None], shape, axes=(0, 1))
    oy, ox = py + kh // 2, px + kw // 2
    return out[oy:oy + h, ox:ox + w].astype(F32)


def resize(a, w, h):
    return np.asarray(Image.fromarray(a.astype(F32), "F").resize((w, h), Image.BICUBIC))


def fbm(rng, h, w, cell, octaves=4):
    """Smooth noise of unit spread, features about `cell` samples across."""
    out = np.zeros((h, w), F32)
    amp, total = 1.0, 0.0
    for _ in range(octaves):
        gh, gw = max(2, int(h / cell) + 2), max(2, int(w / cell) + 2)
        out += F32(amp) * resize(rng.standard_normal((gh, gw)), w, h)
        total += amp * amp
        amp *= 0.5
        cell = max(2.0, cell / 2)
    return out / F32(math.sqrt(total) * 0.8)


def smoothstep(e0, e1, x):
    t = np.clip((x - e0) / (e1 - e0), 0, 1)
    return t * t * (3 - 2 * t)


# ---------------------------------------------------------------- paper

PAPERS = {
    "white": (0.86, 0.87, 0.90),
    "recycled": (0.76, 0.75, 0.71),
    "cream": (0.86, 0.77, 0.57),
    "kraft": (0.40, 0.27, 0.15),
    "legal": (0.87, 0.79, 0.30),
}


class Page:
    """The page before the camera: reflectance (H, W, 3) per render sample,
    the paper's tooth, and the truth ink's footprint and gloss."""

    def __init__(self, rng, kind, h, w, mm):
        self.h, self.w, self.mm = h, w, mm
        base = np.array(PAPERS[kind]) * rng.uniform(0.96, 1.02) * np.exp(rng.normal(0, 0.015, 3))
        cloud_amp = {"kraft": 0.04, "recycled": 0.025}.get(kind, rng.uniform(0.007, 0.018))
        tex = 1 + F32(cloud_amp) * fbm(rng, h, w, 6 * mm)
        # Tooth: fine grain about 0.05 mm, unit spread.
        tooth = gauss(rng.standard_normal((h, w)).astype(F32), max(0.6, 0.03 * mm))
        tooth /= F32(tooth.std() + 1e-6)
        self.tooth = tooth
        tex += F32({"kraft": 0.03, "recycled": 0.02}.get(kind, 0.012)) * tooth
        tex += self._fibres(rng, kind)
        self.refl = (tex[..., None] * base[None, None, :].astype(F32)).astype(F32)
        if kind in ("kraft", "recycled"):
            self._flecks(rng, 0.02 if kind == "kraft" else 0.008)
        self.foot = np.zeros((h, w), F32)
        self.gloss = np.zeros((h, w), F32)

    def _fibres(self, rng, kind):
        h, w, mm = self.h, self.w, self.mm
        img = Image.new("L", (w, h), 128)
        d = ImageDraw.Draw(img)
        n = int(h * w / (mm * mm) * {"kraft": 0.6, "recycled": 0.4}.get(kind, 0.2))
        n = min(n, 6000)
        xs, ys = rng.uniform(0, w, n), rng.uniform(0, h, n)
        ang = rng.uniform(0, math.pi, n)
        length = rng.uniform(0.4, 2.5, n) * mm
        bend = rng.normal(0, 0.25, n)
        val = rng.integers(100, 157, n)
        width = max(1, int(round(0.03 * mm)))
        for i in range(n):
            a0, a1 = ang[i], ang[i] + bend[i]
            x1 = xs[i] + math.cos(a0) * length[i] / 2
            y1 = ys[i] + math.sin(a0) * length[i] / 2
            x2 = x1 + math.cos(a1) * length[i] / 2
            y2 = y1 + math.sin(a1) * length[i] / 2
            d.line([(xs[i], ys[i]), (x1, y1), (x2, y2)], fill=int(val[i]), width=width)
        f = (np.asarray(img, F32) - 128) / 128
        return F32({"kraft": 0.12, "recycled": 0.08}.get(kind, 0.05)) * gauss(f, 0.5)

    def _flecks(self, rng, per_mm2):
        h, w, mm = self.h, self.w, self.mm
        n = int(h * w / (mm * mm) * per_mm2)
        for _ in range(n):
            r = rng.uniform(0.05, 0.2) * mm
            x, y = rng.uniform(0, w), rng.uniform(0, h)
            cov = disc_patch(x, y, r, h, w)
            if cov is None:
                continue
            sl, c = cov
            self.refl[sl] *= (1 - c[..., None] * F32(rng.uniform(0.2, 0.5)))

    # --- how each ink mixes (see the module's docstring)
    def dye(self, amount, transmittance):
        t = np.asarray(transmittance, F32)
        self.refl *= np.power(t[None, None, :], amount[..., None])

    def opaque(self, cover, reflectance):
        c = cover[..., None]
        self.refl = (1 - c) * self.refl + c * np.asarray(reflectance, F32)[None, None, :]

    def paste(self, amount, reflectance, hiding):
        r = np.asarray(reflectance, F32)
        t = np.clip(r / 0.86, 0, 1)
        a = amount[..., None]
        self.refl = (1 - F32(hiding) * a) * self.refl * np.power(t[None, None, :], a) + F32(hiding) * a * r


def disc_patch(x, y, r, h, w, soft=0.0):
    R = r + soft + 2
    y0, y1 = max(0, int(y - R)), min(h, int(y + R) + 2)
    x0, x1 = max(0, int(x - R)), min(w, int(x + R) + 2)
    if y0 >= y1 or x0 >= x1:
        return None
    dy = (np.arange(y0, y1, dtype=F32) + 0.5 - y)[:, None]
    dx = (np.arange(x0, x1, dtype=F32) + 0.5 - x)[None, :]
    dist = np.sqrt(dy * dy + dx * dx)
    return (slice(y0, y1), slice(x0, x1)), np.clip(r + 0.5 - dist, 0, 1)


# ---------------------------------------------------------------- strokes


def catmull_rom(points, per_segment=10):
    p = np.asarray(points, float)
    if len(p) < 2:
        return p
    p = np.vstack([2 * p[0] - p[1], p, 2 * p[-1] - p[-2]])
    t = np.linspace(0, 1, per_segment, endpoint=False)[:, None]
    out = []
    for i in range(1, len(p) - 2):
        p0, p1, p2, p3 = p[i - 1], p[i], p[i + 1], p[i + 2]
        out.append(0.5 * (2 * p1 + (-p0 + p2) * t + (2 * p0 - 5 * p1 + 4 * p2 - p3) * t * t
                          + (-p0 + 3 * p1 - 3 * p2 + p3) * t ** 3))
    out.append(p[-2][None, :])
    return np.vstack(out)


def resample(pts, step):
    seg = np.hypot(*np.diff(pts, axis=0).T)
    s = np.concatenate([[0], np.cumsum(seg)])
    n = max(2, int(s[-1] / step) + 1)
    u = np.linspace(0, s[-1], n)
    return np.stack([np.interp(u, s, pts[:, 0]), np.interp(u, s, pts[:, 1])], 1), u


class Stroke:
    """A pen path in mm (y down) with a pressure at each point, and how its
    pressure ends: 'taper' (a fast lift) or 'press' (the pen stops, then lifts)."""

    def __init__(self, pts, end="taper", weight=1.0):
        self.pts = np.asarray(pts, float)
        self.end = end
        self.weight = weight


def stroke_pressure(pts_mm, s_mm, stroke, rng):
    n = len(pts_mm)
    total = s_mm[-1] if n > 1 else 0.0
    d = np.gradient(pts_mm, axis=0) if n > 1 else np.zeros((n, 2))
    speed = np.hypot(d[:, 0], d[:, 1]) + 1e-9
    down = d[:, 1] / speed  # +1 on a down-stroke (y down)
    p = 0.8 + 0.22 * down
    p *= 1 + 0.12 * np.interp(s_mm, np.linspace(0, max(total, 1e-6), 8), rng.normal(0, 1, 8))
    start = smoothstep(0, min(0.5, total / 3 + 1e-6), s_mm)
    p *= 0.55 + 0.45 * start
    tail = total - s_mm
    if stroke.end == "taper":
        p *= 0.25 + 0.75 * smoothstep(0, min(1.2, total / 2 + 1e-6), tail)
    return np.clip(p * stroke.weight, 0.05, 1.4), down


PENS = {
    # width (mm), edge softness (mm), how width and ink follow pressure
    "ballpoint": dict(w=(0.25, 0.38), soft=0.0, wp=0.15, dp=0.6),
    "gel": dict(w=(0.35, 0.55), soft=0.0, wp=0.25, dp=0.15),
    "felt": dict(w=(0.55, 1.0), soft=(0.08, 0.16), wp=0.2, dp=0.1),
    "fountain": dict(w=(0.3, 0.55), soft=0.0, wp=0.3, dp=0.2),
    "brush": dict(w=(0.5, 1.1), soft=0.03, wp=1.0, dp=0.1),
    "pencil": dict(w=(0.35, 0.6), soft=0.0, wp=0.2, dp=0.8),
}

INKS = {
    "black": lin(25, 25, 30), "blue-black": lin(30, 35, 70), "blue": lin(35, 50, 140),
    "bp-blue": lin(45, 60, 150), "grey": lin(90, 90, 95),
}


class Pen:
    def __init__(self, rng, kind, ink=None, density=None):
        traits = PENS[kind]
        self.kind = kind
        self.width = rng.uniform(*traits["w"])
        soft = traits["soft"]
        self.soft = rng.uniform(*soft) if isinstance(soft, tuple) else soft
        self.wp, self.dp = traits["wp"], traits["dp"]
        if ink is None:
            ink = {"ballpoint": ["black", "bp-blue"], "gel": ["black", "blue-black", "blue"],
                   "felt": ["black", "black", "blue-black"], "fountain": ["blue-black", "black", "blue"],
                   "brush": ["black"], "pencil": ["grey"]}[kind]
            ink = ink[rng.integers(len(ink))]
        self.ink = ink
        self.transmittance = np.clip(INKS[ink] / 0.86, 0.005, 1)
        self.density = density if density is not None else (
            rng.uniform(0.7, 0.95) if kind == "ballpoint" else rng.uniform(0.9, 1.1))
        self.nib_angle = rng.uniform(0.5, 1.0)  # fountain pen nib, radians from horizontal
        self.skips = kind == "ballpoint" and rng.random() < 0.7
        self.glossy = kind in ("ballpoint", "gel")


def draw_strokes(page, strokes, pen, origin, rng):
    """Lays the pen's ink on the page; returns (amount, footprint) maps."""
    mm = page.mm
    h, w = page.h, page.w
    amount = np.zeros((h, w), F32)
    foot = np.zeros((h, w), F32)
    r0 = pen.width * mm / 2
    soft = pen.soft * mm
    step = max(0.5, 0.3 * r0)
    for st in strokes:
        pts_px = (st.pts - origin) * mm
        if len(pts_px) < 2:
            pts_px = np.vstack([pts_px, pts_px + 0.01])
        pts_px, s_px = resample(pts_px, step)
        s_mm = s_px / mm
        pres, down = stroke_pressure(pts_px / mm, s_mm, st, rng)
        radius = r0 * (1 - pen.wp + pen.wp * pres)
        dens = pen.density * (1 - pen.dp + pen.dp * pres)
        if pen.kind == "fountain":
            d = np.gradient(pts_px, axis=0)
            ang = np.arctan2(d[:, 1], d[:, 0])
            radius = r0 * (0.55 + 0.65 * np.abs(np.sin(ang - pen.nib_angle)))
        if pen.skips:
            # A ballpoint skips where the ball turns dry: on fast up-strokes.
            knots = int(s_mm[-1] / 0.6) + 4
            wobble = np.interp(s_mm, np.arange(knots) * 0.6, rng.normal(0, 1, knots))
            skip = (wobble - 0.9 * np.clip(-down, 0, 1)) < -1.6
            dens = np.where(skip, 0, dens)
        if not len(pts_px):
            continue
        sub_lo = np.floor(pts_px.min(0) - r0 * 2 - soft - 3).astype(int)
        sub_hi = np.ceil(pts_px.max(0) + r0 * 2 + soft + 3).astype(int)
        x0, y0 = max(0, sub_lo[0]), max(0, sub_lo[1])
        x1, y1 = min(w, sub_hi[0]), min(h, sub_hi[1])
        if x0 >= x1 or y0 >= y1:
            continue
        a_sub = np.zeros((y1 - y0, x1 - x0), F32)
        f_sub = np.zeros_like(a_sub)
        for (x, y), r, dn in zip(pts_px, radius, dens):
            if dn <= 0:
                continue
            R = r + soft + 2
            iy0, iy1 = max(y0, int(y - R)), min(y1, int(y + R) + 2)
            ix0, ix1 = max(x0, int(x - R)), min(x1, int(x + R) + 2)
            if iy0 >= iy1 or ix0 >= ix1:
                continue
            dy = (np.arange(iy0, iy1, dtype=F32) + F32(0.5 - y))[:, None]
            dx = (np.arange(ix0, ix1, dtype=F32) + F32(0.5 - x))[None, :]
            dist = np.sqrt(dy * dy + dx * dx)
            f = np.clip(F32(r + 0.5) - dist, 0, 1)
            if soft > 0:
                a = F32(dn) * np.clip((F32(r) - dist) / F32(soft) + 0.5, 0, 1)
            else:
                a = F32(dn) * f
            sl = (slice(iy0 - y0, iy1 - y0), slice(ix0 - x0, ix1 - x0))
            np.maximum(f_sub[sl], f, out=f_sub[sl])
            np.maximum(a_sub[sl], a, out=a_sub[sl])
        # Crossing strokes of a dye add up; the footprint is their union.
        amount[y0:y1, x0:x1] += a_sub
        np.maximum(foot[y0:y1, x0:x1], f_sub, out=foot[y0:y1, x0:x1])
    if pen.kind == "fountain":
        # Feathering: ink wicks along the fibres a little past the line's edge.
        reach = box1(box1((foot > 0.5).astype(F32), max(1, int(0.08 * mm)), 0), max(1, int(0.08 * mm)), 1)
        feather = (reach > 0.02) & (page.tooth > 1.0) & (foot < 0.5)
        foot = np.where(feather, 1.0, foot).astype(F32)
        amount = np.where(feather, np.maximum(amount, 0.5 * pen.density), amount).astype(F32)
    return amount, foot


def lay_pen(page, amount, foot, pen, truth):
    if pen.kind == "pencil":
        # Graphite sits on the fibres' tops: more of the area with pressure.
        tooth = np.clip(0.55 + 0.3 * page.tooth, 0, 1)
        cover = np.clip(amount * tooth, 0, 0.95)
        page.opaque(cover, lin(95, 95, 100) * 1.0)
    else:
        page.dye(amount, pen.transmittance)
        if pen.glossy:
            page.gloss = np.maximum(page.gloss, np.clip(amount, 0, 1) * 0.6)
    if truth:
        np.maximum(page.foot, foot, out=page.foot)


# ---------------------------------------------------------------- handwriting

# Latin letter shapes: advance and key points in x-height units (y up).
LETTERS = {
    "e": (0.85, [(0, 0), (0.55, 0.5), (0.42, 0.95), (0.12, 0.62), (0.3, 0.06), (0.85, 0.12)]),
    "l": (0.8, [(0, 0), (0.6, 1.5), (0.55, 2.35), (0.25, 2.0), (0.25, 0.4), (0.55, 0.0), (0.8, 0.12)]),
    "i": (0.6, [(0, 0), (0.25, 0.95), (0.3, 0.15), (0.6, 0.1)]),
    "j": (0.6, [(0, 0), (0.3, 0.95), (0.25, -1.2), (-0.1, -1.25), (0.1, -0.5), (0.6, 0.1)]),
    "n": (1.0, [(0, 0), (0.1, 0.95), (0.15, 0.0), (0.35, 0.85), (0.65, 0.9), (0.75, 0.05), (1.0, 0.15)]),
    "m": (1.4, [(0, 0), (0.1, 0.95), (0.15, 0), (0.35, 0.85), (0.55, 0.85), (0.6, 0), (0.8, 0.85),
                (1.1, 0.85), (1.15, 0.05), (1.4, 0.15)]),
    "u": (0.9, [(0, 0.1), (0.12, 0.95), (0.1, 0.15), (0.35, 0.05), (0.55, 0.95), (0.55, 0.1), (0.9, 0.15)]),
    "o": (0.85, [(0, 0.2), (0.4, 0.95), (0.1, 0.75), (0.15, 0.1), (0.5, 0.35), (0.42, 0.92), (0.85, 0.85)]),
    "a": (0.95, [(0, 0.3), (0.5, 0.9), (0.15, 0.8), (0.1, 0.15), (0.45, 0.3), (0.6, 0.95), (0.6, 0.1),
                 (0.95, 0.15)]),
    "h": (1.0, [(0, 0), (0.5, 1.6), (0.45, 2.35), (0.15, 2.0), (0.12, 0.0), (0.3, 0.8), (0.6, 0.9),
                (0.7, 0.05), (1.0, 0.15)]),
    "g": (0.95, [(0, 0.3), (0.5, 0.9), (0.12, 0.8), (0.1, 0.15), (0.45, 0.3), (0.58, 0.95), (0.5, -1.2),
                 (0.15, -1.35), (0.3, -0.6), (0.95, 0.15)]),
    "t": (0.7, [(0, 0), (0.3, 1.7), (0.25, 0.1), (0.7, 0.12)]),
    "s": (0.75, [(0, 0), (0.35, 0.95), (0.55, 0.45), (0.15, 0.05), (0.75, 0.12)]),
    "r": (0.8, [(0, 0), (0.15, 0.95), (0.3, 0.7), (0.5, 0.95), (0.5, 0.05), (0.8, 0.1)]),
}
DOTTED = {"i": (0.32, 1.75), "j": (0.35, 1.75)}


def latin_name(rng, many_dots=False):
    xh = rng.uniform(2.6, 4.5)
    slant = math.radians(rng.uniform(-5, 25))
    strokes, dots = [], []
    x = 0.0
    letters = "eelinmuoahgtsr" + ("iiij" if many_dots else "i")
    words = 1 + int(rng.random() < 0.7)
    for wi in range(words):
        initial = wi == 0 and words == 2 and rng.random() < 0.4
        # A capital: a big loop and a down-stroke, often its own stroke.
        cap_h = rng.uniform(2.2, 3.0)
        cap = [(0.1, 0.0), (0.4, cap_h * 0.7), (0.9, cap_h), (0.3, cap_h * 0.95), (0.35, 0.4),
               (0.9, rng.uniform(0.2, 0.8))]
        if rng.random() < 0.5:
            cap.insert(0, (rng.uniform(-0.8, -0.2), cap_h * rng.uniform(0.4, 0.8)))
        pts = [(x + px, py) for px, py in cap]
        x += 1.0
        if initial:
            strokes.append(pts)
            dots.append((x + 0.2, 0.05))
            x += 1.2
            continue
        if rng.random() < 0.4:
            strokes.append(pts)
            pts = []
            x += 0.15
        n = rng.integers(4, 9)
        for li in range(n):
            ch = letters[rng.integers(len(letters))]
            if many_dots and li in (1, 3):
                ch = "i" if rng.random() < 0.75 else "j"
            adv, shape = LETTERS[ch]
            sy = rng.uniform(0.85, 1.15)
            for px, py in shape:
                pts.append((x + px + rng.normal(0, 0.05), py * sy + rng.normal(0, 0.05)))
            if ch in DOTTED:
                dx, dy = DOTTED[ch]
                dots.append((x + dx + rng.normal(0, 0.15), dy + rng.normal(0, 0.12)))
            if ch == "t":
                strokes.append([(x - 0.15, 1.05), (x + 0.6, 1.15 + rng.normal(0, 0.05))])
            x += adv
            if rng.random() < 0.12 and li < n - 1:
                strokes.append(pts)
                pts = []
                x += 0.2
        if pts:
            strokes.append(pts)
        x += rng.uniform(1.0, 1.6)
    if many_dots and rng.random() < 0.6:
        dots.append((x - 0.6, 0.05))  # a full stop after the name
    out = []
    tilt = math.radians(rng.normal(0, 2.5))

    def place(px, py):
        # y up to y down, slant, x-height in mm, a slight rising baseline
        X = (px + py * math.tan(slant)) * xh
        Y = -py * xh
        return X * math.cos(tilt) - Y * math.sin(tilt), X * math.sin(tilt) + Y * math.cos(tilt)

    for s in strokes:
        dense = catmull_rom([place(px, py) for px, py in s], 10)
        out.append(Stroke(dense, "taper" if rng.random() < 0.7 else "press"))
    for dx, dy in dots:
        cx, cy = place(dx, dy)
        ang = rng.uniform(-0.6, 0.9)
        ln = rng.uniform(0.1, 0.35)
        out.append(Stroke([(cx, cy), (cx + ln * math.cos(ang), cy + ln * math.sin(ang))], "press", 1.1))
    if rng.random() < 0.35 and not many_dots:
        # An underline flourish, fast.
        y = rng.uniform(0.3, 0.9) * xh
        xs = [place(0, 0)[0] - xh * 0.3, x * xh * 0.5, x * xh * 0.95]
        out.append(Stroke(catmull_rom([(xs[0], y), (xs[1], y + rng.normal(0, 0.8)),
                                       (xs[2], y - rng.uniform(0.5, 2))], 16), "taper", 0.8))
    return out, xh


def kanji_components(rng, box):
    x0, y0, x1, y1 = box
    gx = lambda u: x0 + u * (x1 - x0)  # noqa: E731
    gy = lambda v: y0 + v * (y1 - y0)  # noqa: E731
    out = []
    kinds = ["h", "h", "h", "v", "v", "lf", "rf", "dot", "box"]
    for _ in range(rng.integers(2, 5)):
        k = kinds[rng.integers(len(kinds))]
        u, v = rng.choice([0.2, 0.35, 0.5, 0.65, 0.8]), rng.choice([0.15, 0.3, 0.5, 0.7, 0.85])
        if k == "h":
            a, b = rng.uniform(0, 0.25), rng.uniform(0.7, 1.0)
            out.append(Stroke([(gx(a), gy(v)), (gx((a + b) / 2), gy(v - 0.02)), (gx(b), gy(v - 0.04))], "press"))
        elif k == "v":
            a, b = rng.uniform(0, 0.2), rng.uniform(0.7, 1.0)
            pts = [(gx(u), gy(a)), (gx(u), gy((a + b) / 2)), (gx(u + 0.01), gy(b))]
            if rng.random() < 0.4:
                pts.append((gx(u - 0.1), gy(b - 0.08)))
            out.append(Stroke(pts, "press" if len(pts) == 3 else "taper"))
        elif k == "lf":
            out.append(Stroke([(gx(u), gy(v - 0.15)), (gx(u - 0.05), gy(v + 0.1)), (gx(u - 0.35), gy(v + 0.4))]))
        elif k == "rf":
            out.append(Stroke([(gx(u - 0.2), gy(v - 0.15)), (gx(u), gy(v + 0.15)), (gx(u + 0.3), gy(v + 0.35))]))
        elif k == "dot":
            out.append(Stroke([(gx(u), gy(v)), (gx(u + 0.05), gy(v + 0.08))], "press", 1.15))
        else:
            a, b = rng.uniform(0.1, 0.3), rng.uniform(0.7, 0.9)
            c, d = rng.uniform(0.1, 0.4), rng.uniform(0.6, 0.9)
            out.append(Stroke([(gx(a), gy(c)), (gx(a), gy(d))], "press"))
            out.append(Stroke([(gx(a), gy(c)), (gx(b), gy(c)), (gx(b - 0.02), gy(d))], "press"))
            out.append(Stroke([(gx(a), gy(d)), (gx(b), gy(d))], "press"))
    return out


def kanji_name(rng):
    size = rng.uniform(6, 12)
    vertical = rng.random() < 0.4
    strokes = []
    for i in range(rng.integers(2, 5)):
        ox, oy = (0, i * size * 1.05) if vertical else (i * size * 1.0, 0)
        layout = rng.integers(3)
        if layout == 0:
            boxes = [(0, 0, 1, 1)]
        elif layout == 1:
            sp = rng.uniform(0.35, 0.5)
            boxes = [(0, 0, sp, 1), (sp + 0.05, 0, 1, 1)]
        else:
            sp = rng.uniform(0.35, 0.55)
            boxes = [(0, 0, 1, sp), (0, sp + 0.05, 1, 1)]
        char = []
        for b in boxes:
            char += kanji_components(rng, b)
        shear = rng.normal(0, 0.08)
        prev = None
        for st in char:
            p = st.pts.copy()
            p[:, 0] += shear * (0.5 - p[:, 1])
            p = p * size + np.array([ox, oy]) + rng.normal(0, 0.02 * size, p.shape)
            dense = catmull_rom(p, 8)
            if prev is not None and rng.random() < 0.25:
                # The pen does not lift: a light connecting stroke.
                strokes.append(Stroke(catmull_rom([prev[-1], (prev[-1] + dense[0]) / 2 + rng.normal(0, 0.05 * size, 2),
                                                   dense[0]], 8), "taper", 0.45))
            strokes.append(Stroke(dense, st.end, st.weight))
            prev = dense
    return strokes, size * 0.35


def strokes_bbox(strokes):
    allp = np.vstack([s.pts for s in strokes])
    return allp.min(0), allp.max(0)


# ---------------------------------------------------------------- seals

SEAL_INKS = {"vermilion": lin(205, 45, 38), "orange-red": lin(225, 75, 40), "crimson": lin(185, 28, 52)}
STAMP_INKS = {"blue": lin(40, 70, 165), "violet": lin(105, 55, 150)}


def seal_char_strokes(rng, cell):
    x0, y0, x1, y1 = cell
    W, H = x1 - x0, y1 - y0
    out = []
    ys = np.sort(rng.choice(np.linspace(0.08, 0.92, 6), rng.integers(2, 5), replace=False))
    for y in ys:
        a, b = rng.uniform(-0.1, 0.25), rng.uniform(0.75, 1.1)
        out.append([(x0 + a * W, y0 + y * H), (x0 + b * W, y0 + y * H)])
    for _ in range(rng.integers(1, 4)):
        x = rng.uniform(0.1, 0.9)
        a, b = rng.uniform(-0.1, 0.4), rng.uniform(0.6, 1.1)
        out.append([(x0 + x * W, y0 + a * H), (x0 + x * W, y0 + b * H)])
    for _ in range(rng.integers(0, 3)):
        # a bend: down then across, or across then down
        x, y = rng.uniform(0.1, 0.6), rng.uniform(0.1, 0.6)
        x2, y2 = x + rng.uniform(0.25, 0.45), y + rng.uniform(0.25, 0.45)
        if rng.random() < 0.5:
            out.append([(x0 + x * W, y0 + y * H), (x0 + x * W, y0 + y2 * H), (x0 + x2 * W, y0 + y2 * H)])
        else:
            out.append([(x0 + x * W, y0 + y * H), (x0 + x2 * W, y0 + y * H), (x0 + x2 * W, y0 + y2 * H)])
    return out


def polyline_cov(lines, width, h, w):
    img = Image.new("L", (w * 2, h * 2), 0)
    d = ImageDraw.Draw(img)
    wd = max(1, int(round(width * 2)))
    for line in lines:
        pts = [(x * 2, y * 2) for x, y in line]
        d.line(pts, fill=255, width=wd)
        for x, y in pts:
            d.ellipse([x - wd / 2, y - wd / 2, x + wd / 2, y + wd / 2], fill=255)
    return np.asarray(img.resize((w, h), Image.BOX), F32) / 255


def seal_footprint(rng, shape, size_px, angle):
    """The stamp's face as coverage on a square patch (size_px * 1.2 a side)."""
    n = int(size_px * 1.25) + 4
    c = n / 2
    yy, xx = np.mgrid[0:n, 0:n].astype(F32) + F32(0.5 - c)
    ca, sa = math.cos(angle), math.sin(angle)
    X, Y = ca * xx + sa * yy, -sa * xx + ca * yy
    R = size_px / 2
    rw = size_px * rng.uniform(0.045, 0.08)
    if shape == "round":
        d = np.sqrt(X * X + Y * Y)
        ring = np.clip(rw / 2 + 0.5 - np.abs(d - (R - rw / 2)), 0, 1)
        inside = d < R - rw * 0.6
        cells_box = (-R * 0.62, -R * 0.72, R * 0.62, R * 0.72)
        rows, cols = (int(rng.integers(1, 4)), 1) if rng.random() < 0.8 else (2, 2)
    elif shape == "oval":
        ax, ay = R * 0.72, R
        d = np.sqrt((X / ax) ** 2 + (Y / ay) ** 2) * ax
        ring = np.clip(rw / 2 + 0.5 - np.abs(d - (ax - rw / 2)), 0, 1)
        inside = d < ax - rw * 0.6
        cells_box = (-ax * 0.6, -ay * 0.78, ax * 0.6, ay * 0.78)
        rows, cols = 2, 1
    else:
        half = R * 0.92
        qx, qy = np.abs(X) - (half - rw / 2), np.abs(Y) - (half - rw / 2)
        sd = np.sqrt(np.maximum(qx, 0) ** 2 + np.maximum(qy, 0) ** 2) + np.minimum(np.maximum(qx, qy), 0)
        ring = np.clip(rw / 2 + 0.5 - np.abs(sd), 0, 1)
        inside = sd < -rw * 0.6
        cells_box = (-half * 0.84, -half * 0.84, half * 0.84, half * 0.84)
        rows, cols = 2, 2
    bx0, by0, bx1, by1 = cells_box
    sw = rw * rng.uniform(0.75, 1.05)
    lines = []
    for r in range(rows):
        for col in range(cols):
            cw, ch = (bx1 - bx0) / cols, (by1 - by0) / rows
            cell = (bx0 + col * cw + 0.06 * cw, by0 + r * ch + 0.06 * ch,
                    bx0 + (col + 1) * cw - 0.06 * cw, by0 + (r + 1) * ch - 0.06 * ch)
            lines += seal_char_strokes(rng, cell)
    # Characters are cut in the stamp's own frame, then the whole face turns.
    lines = [[(ca * x - sa * y + c, sa * x + ca * y + c) for x, y in ln] for ln in lines]
    chars = polyline_cov(lines, sw, n, n) * inside
    return np.maximum(ring, chars)


def text_stamp_footprint(rng, size_px, angle):
    """A rectangular stamp-pad stamp: a frame and two or three lines of text."""
    w, h = int(size_px * 1.6), int(size_px * 0.9)
    img = Image.new("L", (w, h), 0)
    d = ImageDraw.Draw(img)
    bw = max(2, int(size_px * 0.035))
    d.rounded_rectangle([bw, bw, w - bw - 1, h - bw - 1], radius=int(size_px * 0.08), outline=255, width=bw)
    words = ["RECEIVED", "PAID", "APPROVED", "COPY", "ACCOUNTS", "FILED"]
    lines = [words[rng.integers(len(words))],
             f"{rng.integers(2019, 2027)}.{rng.integers(1, 13):02d}.{rng.integers(1, 29):02d}"]
    if rng.random() < 0.5:
        lines.append(["Sales Dept.", "Head Office", "No. %d" % rng.integers(100, 999)][rng.integers(3)])
    fs = int(h / (len(lines) + 0.9))
    font = ImageFont.truetype(FONTS + "DejaVuSans-Bold.ttf", fs)
    y = (h - len(lines) * fs * 1.1) / 2
    for t in lines:
        tw = d.textlength(t, font=font)
        if tw > w - 4 * bw:
            font_t = ImageFont.truetype(FONTS + "DejaVuSans-Bold.ttf", int(fs * (w - 4 * bw) / tw))
        else:
            font_t = font
        tw = d.textlength(t, font=font_t)
        d.text(((w - tw) / 2, y), t, fill=255, font=font_t)
        y += fs * 1.1
    img = img.rotate(math.degrees(-angle), resample=Image.BICUBIC, expand=True)
    return np.asarray(img, F32) / 255


def stamp(page, rng, centre, face, ink_refl, how, truth, fade=None, density=None):
    """Presses a stamp face (coverage patch) onto the page at centre (px)."""
    h, w = page.h, page.w
    ph, pw = face.shape
    top, left = int(centre[1] - ph / 2), int(centre[0] - pw / 2)
    y0, y1, x0, x1 = max(0, top), min(h, top + ph), max(0, left), min(w, left + pw)
    if y0 >= y1 or x0 >= x1:
        return
    f = face[y0 - top:y1 - top, x0 - left:x1 - left]
    sh = f.shape
    base = density if density is not None else rng.uniform(0.8, 1.05)
    blotch = fbm(rng, sh[0], sh[1], max(4.0, sh[0] / 6), 3)
    dens = base * (1 + 0.15 * blotch)
    # Voids: the face misses the paper's valleys and runs dry in patches.
    miss = page.tooth[y0:y1, x0:x1] * 0.6 + blotch * 0.8
    thresh = rng.uniform(-2.0, -1.4)
    if fade is not None:
        # A fainter side: less paste and more of the paper left untouched.
        ang, strength = fade
        yy, xx = np.mgrid[y0:y1, x0:x1].astype(F32)
        t = ((xx - centre[0]) * math.cos(ang) + (yy - centre[1]) * math.sin(ang)) / (max(ph, pw) / 2)
        k = smoothstep(0.1, 0.9, t)
        dens = dens * (1 - strength * k)
        thresh = thresh + 0.6 * k
    laid = np.clip((miss - thresh) * 2 + 0.5, 0, 1)
    foot = f * laid
    amount = np.clip(dens, 0.12, 1.3) * foot
    full = np.zeros((h, w), F32)
    full[y0:y1, x0:x1] = amount
    if how == "paste":
        page.paste(full, ink_refl, rng.uniform(0.22, 0.38))
    else:
        page.dye(full, np.clip(ink_refl / 0.86, 0.005, 1))
    if truth:
        np.maximum(page.foot[y0:y1, x0:x1], foot, out=page.foot[y0:y1, x0:x1])


# ---------------------------------------------------------------- print and rules

WORDS = ("the of and to we hereby confirm agreement payment received amount date delivery contract party "
         "Tokyo Osaka invoice total tax No. Ltd. Co. terms above signature name address 2026 ¥12,800 "
         "item quantity price order shall be made within days after receipt").split()


def print_text(page, rng, top_mm, left_mm, lines, cap_mm, width_mm, words=None):
    mm = page.mm
    size = int(cap_mm * mm / 0.73)
    face = ["DejaVuSans.ttf", "DejaVuSerif.ttf", "DejaVuSansCondensed.ttf"][rng.integers(3)]
    font = ImageFont.truetype(FONTS + face, max(6, size))
    img = Image.new("L", (page.w, page.h), 0)
    d = ImageDraw.Draw(img)
    pitch = cap_mm * rng.uniform(1.8, 2.3)
    for i in range(lines):
        if words is not None:
            text = words[i] if i < len(words) else ""
        else:
            text = ""
            while d.textlength(text, font=font) < width_mm * mm:
                text += WORDS[rng.integers(len(WORDS))] + " "
        d.text((left_mm * mm, (top_mm + i * pitch) * mm), text, fill=255, font=font)
    cover = np.asarray(img, F32) / 255 * F32(rng.uniform(0.9, 0.98))
    page.opaque(cover, lin(18, 18, 20))
    page.gloss = np.maximum(page.gloss, cover * 0.3)


RULE_INKS = {"light-blue": lin(120, 175, 220), "blue": lin(80, 130, 200), "grey": lin(150, 150, 155),
             "green": lin(130, 190, 150), "blue-grey": lin(110, 140, 170), "red": lin(220, 80, 90),
             "pink": lin(235, 130, 150)}


def rule_lines(page, positions_px, width_mm, ink, axis):
    """Printed straight lines across the whole page at the given positions."""
    mm = page.mm
    n = page.h if axis == 0 else page.w
    c = np.arange(n, dtype=F32) + 0.5
    cov = np.zeros(n, F32)
    for p in positions_px:
        cov = np.maximum(cov, np.clip(width_mm * mm / 2 + 0.5 - np.abs(c - p), 0, 1))
    amount = (cov[:, None] if axis == 0 else cov[None, :]) * np.ones((page.h, page.w), F32)
    amount *= F32(0.95) + F32(0.05) * np.clip(page.tooth, -2, 2)
    page.dye(amount, np.clip(RULE_INKS[ink] / 0.86, 0.01, 1))


def periodic(start, pitch, n):
    k0 = -int(start / pitch) - 1
    return [start + k * pitch for k in range(k0, k0 + int(n / pitch) + 3)]


# ---------------------------------------------------------------- light and camera


ILLUMINANTS = {"daylight": (1.0, 1.0, 1.0), "cool-led": (0.93, 1.0, 1.1), "warm-led": (1.0, 0.87, 0.68),
               "tungsten": (1.0, 0.76, 0.48)}


def occluder_visibility(h, w, draw, penumbra_px):
    img = Image.new("L", (w, h), 0)
    draw(ImageDraw.Draw(img))
    m = np.asarray(img, F32) / 255
    return 1 - gauss(m, max(0.4, penumbra_px))


def finger_shadow(rng, h, w, tip, width_px, penumbra_px):
    ang = rng.uniform(0, 2 * math.pi)
    far = (tip[0] + math.cos(ang) * 3 * max(h, w), tip[1] + math.sin(ang) * 3 * max(h, w))

    def draw(d):
        d.line([tip, far], fill=255, width=int(width_px))
        r = width_px / 2
        d.ellipse([tip[0] - r, tip[1] - r, tip[0] + r, tip[1] + r], fill=255)
    return occluder_visibility(h, w, draw, penumbra_px)


def homography(src, dst):
    """Coefficients mapping dst (output) points to src (input) points."""
    a = []
    b = []
    for (x, y), (u, v) in zip(src, dst):
        a.append([u, v, 1, 0, 0, 0, -u * x, -v * x])
        a.append([0, 0, 0, u, v, 1, -u * y, -v * y])
        b += [x, y]
    return np.linalg.solve(np.array(a, float), np.array(b, float))


def camera(rng, radiance, case, opts):
    """Sensor and processing: linear radiance (H, W, 3) -> JPEG bytes."""
    h, w, _ = radiance.shape
    img = radiance
    # Optics.
    img = np.stack([gauss(img[..., c], opts["lens_sigma"]) for c in range(3)], -1)
    if opts.get("defocus"):
        r = opts["defocus"]
        n = int(math.ceil(r)) * 2 + 1
        yy, xx = np.mgrid[0:n, 0:n] - n // 2
        k = np.clip(r + 0.5 - np.hypot(yy, xx), 0, 1)
        ml = opts.get("motion", 0)
        if ml > 0.5:
            m = int(math.ceil(ml)) * 2 + 1
            km = np.zeros((n + m - 1, n + m - 1))  # odd, so its centre is the disc's at no motion
            ang = rng.uniform(0, math.pi)
            for t in np.linspace(-ml / 2, ml / 2, 9):
                oy, ox = int(round(t * math.sin(ang))) + m // 2, int(round(t * math.cos(ang))) + m // 2
                km[oy:oy + n, ox:ox + n] += k
            k = km
        img = fft_conv(img, (k / k.sum()).astype(F32))
    # Exposure on the bright paper; glare above it may clip.
    sens = np.array([0.58, 1.0, 0.74], F32)
    lum = img.mean(-1)
    ref = np.percentile(lum[::4, ::4], opts.get("expose_pct", 90))
    exposure = opts["target"] / max(ref, 1e-4)
    raw_rgb = img * F32(exposure) * sens
    # Bayer RGGB sampling, then noise in electrons.
    yy, xx = np.mgrid[0:h, 0:w]
    chan = np.where((yy % 2 == 0) & (xx % 2 == 0), 0, np.where((yy % 2 == 1) & (xx % 2 == 1), 2, 1))
    raw = np.take_along_axis(raw_rgb, chan[..., None], -1)[..., 0]
    fw, read = opts["full_well"], opts["read_noise"]
    electrons = np.clip(raw, 0, None) * fw
    electrons = electrons + rng.standard_normal(raw.shape).astype(F32) * np.sqrt(electrons + read * read).astype(F32)
    raw = np.clip(np.round(electrons / fw * 1023), 0, 1023).astype(F32) / 1023
    # White balance: the camera takes the light's colour from the bright
    # part, but keeps its guess near the colours lights have, so a yellow pad
    # or kraft paper stays mostly yellow or brown (only part of the paper's
    # own colour is taken for the light's), with an estimation error.
    masks = [chan == c for c in range(3)]
    means = []
    for m in masks:
        v = raw[m]
        means.append(v[v >= np.percentile(v, 75)].mean())
    grey_world = np.array([means[1] / max(means[0], 1e-4), 1.0, means[1] / max(means[2], 1e-4)])
    light = np.asarray(opts["light"], float) * sens
    true_gains = light[1] / light
    gains = true_gains * (grey_world / true_gains) ** rng.uniform(0.15, 0.35)
    gains *= np.exp(rng.normal(0, 0.03, 3))
    gains[1] = 1.0
    raw = raw * np.choose(chan, gains.astype(F32))
    # Bilinear demosaicing by normalised convolution.
    k_rb = np.array([1, 2, 1], F32)
    out = np.zeros((h, w, 3), F32)
    for c in range(3):
        m = masks[c].astype(F32)
        if c == 1:
            num = raw * m
            num_s = num * 4 + shift_sum_cross(num)
            den_s = m * 4 + shift_sum_cross(m)
        else:
            num_s = conv1(conv1(raw * m, k_rb, 0), k_rb, 1)
            den_s = conv1(conv1(m, k_rb, 0), k_rb, 1)
        out[..., c] = num_s / np.maximum(den_s, 1e-6)
    # Colour matrix: a little more saturation, as phones do.
    s = opts["saturation"]
    ccm = (1 + s) * np.eye(3) - s / 3 * np.ones((3, 3))
    out = np.clip(out @ ccm.T.astype(F32), 0, 1)
    # Tone: sRGB curve with a slight S.
    g = np.where(out <= 0.0031308, out * 12.92, 1.055 * np.power(out, 1 / 2.4) - 0.055)
    g = g + opts["contrast"] * g * (1 - g) * (2 * g - 1)
    # Chroma noise reduction and luma sharpening.
    yl = 0.299 * g[..., 0] + 0.587 * g[..., 1] + 0.114 * g[..., 2]
    cb, cr = g[..., 2] - yl, g[..., 0] - yl
    cb, cr = gauss(cb, opts["chroma_nr"]), gauss(cr, opts["chroma_nr"])
    if opts.get("luma_nr", 0) > 0:
        yl = gauss(yl, opts["luma_nr"])
    yl = yl + opts["sharpen"] * (yl - gauss(yl, opts["sharpen_radius"]))
    r = yl + cr
    b = yl + cb
    gg = (yl - 0.299 * r - 0.114 * b) / 0.587
    rgb = np.clip(np.stack([r, gg, b], -1) * 255 + 0.5, 0, 255).astype(np.uint8)
    buf = io.BytesIO()
    Image.fromarray(rgb, "RGB").save(buf, "JPEG", quality=int(opts["quality"]), subsampling=opts["subsampling"])
    return buf.getvalue()


def shift_sum_cross(a):
    p = np.pad(a, 1, mode="edge")
    return p[:-2, 1:-1] + p[2:, 1:-1] + p[1:-1, :-2] + p[1:-1, 2:]


# ---------------------------------------------------------------- the cases

SIGNATURE_PENS = ["ballpoint", "gel", "felt", "fountain", "brush"]
SIGNATURE_PEN_WEIGHTS = [0.3, 0.25, 0.2, 0.15, 0.1]


def choose(rng, items, weights=None):
    if weights is None:
        return items[rng.integers(len(items))]
    p = np.array(weights, float)
    return items[rng.choice(len(items), p=p / p.sum())]


def render(case, seed):
    rng = np.random.default_rng(seed)
    kind = KIND[case]

    # --- what is on the page
    paper = choose(rng, ["white", "white", "white", "recycled"])
    paper = {"legal-pad": "legal", "kraft": "kraft", "cream": "cream", "pencil-on-cream": "cream"}.get(case, paper)
    if case == "blank":
        paper = choose(rng, ["white", "recycled", "cream"])
    has_seal = kind == "seal" or case == "signed-and-sealed"
    has_name = kind == "signature"
    pen = None
    if has_name:
        pk = choose(rng, SIGNATURE_PENS, SIGNATURE_PEN_WEIGHTS)
        if case in ("thin-ballpoint",):
            pk = "ballpoint"
        if case in ("pencil", "pencil-on-cream"):
            pk = "pencil"
        if case == "i-dots":
            pk = choose(rng, ["ballpoint", "gel", "fountain", "felt"])
        density = None
        ink = None
        if case == "faint-handwriting":
            pk = choose(rng, ["ballpoint", "gel", "fountain"])
            ink = choose(rng, ["black", "blue", "bp-blue"])
            density = rng.uniform(0.1, 0.2) if ink == "black" else rng.uniform(0.18, 0.32)
        if case == "pencil-on-cream":
            density = rng.uniform(0.25, 0.4)  # light pressure
        elif case == "pencil":
            density = rng.uniform(0.55, 0.85)
        pen = Pen(rng, pk, ink, density)
        if case == "thin-ballpoint":
            pen.width = rng.uniform(0.22, 0.3)
        latin = case == "i-dots" or rng.random() < 0.5
        strokes, xh = latin_name(rng, case == "i-dots") if latin else kanji_name(rng)
        lo, hi = strokes_bbox(strokes)
        content = (lo, hi)
    if has_seal:
        seal_mm = rng.uniform(10.5, 18) if case != "seal-blue-over-print" else rng.uniform(14, 24)
        seal_shape = choose(rng, ["round", "round", "oval", "square"])
        if seal_shape == "square":
            seal_mm *= 1.2
        text_stamp = case == "seal-blue-over-print" and rng.random() < 0.5
        # half the stamp's extent each way (a text stamp is 1.6 x 0.9 of its size)
        seal_half = np.array([0.8, 0.45]) * seal_mm if text_stamp else np.array([0.5, 0.5]) * seal_mm
    if not has_name and not has_seal:
        content = (np.array([0.0, 0.0]), np.array([rng.uniform(40, 70), rng.uniform(25, 50)]))
    if kind == "seal":
        content = (-seal_half, seal_half)
    if case == "signed-and-sealed":
        # The seal goes over the name's end, as people stamp beside a signature.
        lo, hi = content
        seal_at = np.array([hi[0] - seal_mm * rng.uniform(0.0, 0.45), (lo[1] + hi[1]) / 2 + rng.normal(0, 2)])
        content = (np.minimum(lo, seal_at - seal_mm / 2), np.maximum(hi, seal_at + seal_mm / 2))

    # --- scale and framing
    lo, hi = content
    cw, ch = hi - lo
    if case == "thin-ballpoint":
        mm = rng.uniform(1.3, 2.2) / pen.width
    elif kind == "seal":
        mm = rng.uniform(380, 680) / (2 * seal_half.max())
    else:
        mm = rng.uniform(480, 950) / max(cw, ch)
    # A name is shot from 12 cm or more; a seal may be shot closer.
    mm = float(np.clip(mm, 4, 42 if kind == "seal" else 22))
    W = int(np.clip(cw * mm * rng.uniform(1.2, 1.6) + 60, 560, 1200)) // 2 * 2
    H = int(np.clip(ch * mm * rng.uniform(1.3, 2.2) + 60, 560, 1200)) // 2 * 2
    margin = int(0.09 * max(W, H)) + 10
    Wc, Hc = W + 2 * margin, H + 2 * margin
    pm = mm * SS  # render samples per mm
    centre_mm = (lo + hi) / 2
    shift = rng.normal(0, 0.04, 2) * np.array([W, H]) / mm
    if case == "cut-by-border":
        # The frame cuts the name: it runs past one or two edges.
        sides = rng.permutation(4)[:rng.integers(1, 3)]
        for sd in sides:
            ax = sd % 2
            sign = 1 if sd < 2 else -1
            size_px = (W, H)[ax]
            extent = (cw, ch)[ax] * mm
            past = rng.uniform(0.12, 0.3) * extent
            shift[ax] = sign * (size_px / 2 - extent / 2 + past) / mm
    # Page position (mm) of the canvas's top-left corner.
    origin = centre_mm - shift - np.array([Wc, Hc]) / 2 / mm

    page = Page(rng, paper, Hc * SS, Wc * SS, pm)

    # --- printed rules
    def to_px(p):
        return (np.asarray(p) - origin) * pm

    if case in ("ruled", "legal-pad", "margin-line", "squared"):
        if case == "squared":
            pitch = rng.uniform(4.0, 5.5)
            width = rng.uniform(0.08, 0.2)
            ink = choose(rng, ["light-blue", "green", "grey", "blue-grey"])
            base = to_px(lo)
            rule_lines(page, periodic(base[1] + rng.uniform(0, pitch * pm), pitch * pm, page.h), width, ink, 0)
            rule_lines(page, periodic(base[0] + rng.uniform(0, pitch * pm), pitch * pm, page.w), width, ink, 1)
        else:
            pitch = {"legal-pad": 8.7}.get(case, rng.uniform(6.0, 9.0))
            pitch *= rng.uniform(0.97, 1.03)
            width = rng.uniform(0.12, 0.35)
            ink = "blue-grey" if case == "legal-pad" else choose(rng, ["light-blue", "blue", "grey", "green"])
            # Written on a line: the name's baseline sits near a rule.
            baseline = to_px((0, 0))[1] + rng.normal(0, 0.5) * pm
            if has_name and latin:
                first = baseline
            else:
                first = to_px(hi)[1] + rng.uniform(0, 1.5) * pm
            rule_lines(page, periodic(first, pitch * pm, page.h), width, ink, 0)
            if case in ("legal-pad", "margin-line"):
                mx = to_px(lo)[0] + rng.uniform(-0.15, 0.3) * cw * pm
                widths = rng.uniform(0.2, 0.45)
                pos = [mx] if case == "margin-line" or rng.random() < 0.3 else [mx, mx + rng.uniform(1.2, 2.5) * pm]
                rule_lines(page, pos, widths, choose(rng, ["red", "pink"]), 1)

    # --- print
    if case in ("seal-over-print", "seal-blue-over-print"):
        cap = rng.uniform(1.8, 3.0)
        top = origin[1] - 2 * cap + rng.uniform(0, 2 * cap)
        lines = int((Hc / mm) / (cap * 2)) + 3
        print_text(page, rng, top - origin[1], -rng.uniform(0, 20), lines, cap, Wc / mm + 20)
    if case == "signed-and-sealed":
        cap = rng.uniform(2.0, 3.0)
        label = ["Name:", "Signature:", "Signed:"][rng.integers(3)]
        lx = lo[0] - origin[0] - rng.uniform(8, 18) - len(label) * cap * 0.6
        print_text(page, rng, 0 - origin[1] - cap * 1.1, lx, 1, cap, 40, [label])
        print_text(page, rng, lo[1] - origin[1] - cap * rng.uniform(5, 8), lx, 2, cap, Wc / mm,
                   ["I have read and agree to the terms above.", "Date: %d-%02d-%02d" % (
                       rng.integers(2020, 2027), rng.integers(1, 13), rng.integers(1, 29))])
        # the printed line signed on
        y = to_px((0, hi[1] + rng.uniform(0.5, 2.0)))[1]
        rule_lines_segment(page, y, to_px(lo)[0] - 5 * pm, to_px(hi)[0] + 8 * pm, 0.2)

    # --- the pen
    if has_name:
        amount, foot = draw_strokes(page, strokes, pen, origin, rng)
        lay_pen(page, amount, foot, pen, truth=True)

    # --- the seal or stamp
    if has_seal:
        angle = math.radians(rng.normal(0, 7))
        if case == "seal-blue-over-print":
            ink = STAMP_INKS[choose(rng, ["blue", "violet"])]
            face = (text_stamp_footprint(rng, seal_mm * pm, angle) if text_stamp
                    else seal_footprint(rng, seal_shape, seal_mm * pm, angle))
            how = "dye"
        else:
            ink = SEAL_INKS[choose(rng, list(SEAL_INKS))]
            face = seal_footprint(rng, seal_shape, seal_mm * pm, angle)
            how = "paste"
        at = to_px(seal_at if case == "signed-and-sealed" else (0, 0))
        if case == "seal-over-print":
            at = at + rng.normal(0, 0.1, 2) * seal_mm * pm
        fade = (rng.uniform(0, 2 * math.pi), rng.uniform(0.55, 0.8)) if case == "seal-faded-corner" else None
        stamp(page, rng, at, face, ink, how, truth=kind == "seal", fade=fade,
              density=rng.uniform(0.6, 0.85) if how == "dye" else None)

    if case == "lone-speck":
        # A speck of dirt or a fleck: not a mark.
        cx, cy = to_px(centre_mm + rng.uniform(-0.3, 0.3, 2) * (hi - lo))
        for _ in range(rng.integers(2, 5)):
            cov = disc_patch(cx + rng.normal(0, 0.1 * pm), cy + rng.normal(0, 0.1 * pm),
                             rng.uniform(0.08, 0.25) * pm, page.h, page.w)
            if cov is not None:
                sl, c = cov
                page.refl[sl] = (1 - c[..., None]) * page.refl[sl] + c[..., None] * lin(55, 48, 40)

    # --- the camera sees the page tilted
    rot = math.radians(np.clip(rng.normal(0, 2.5), -6, 6))
    cx, cy = Wc * SS / 2, Hc * SS / 2
    dst = [(0, 0), (W * SS, 0), (W * SS, H * SS), (0, H * SS)]
    src = []
    for u, v in dst:
        x, y = u - W * SS / 2, v - H * SS / 2
        x, y = x * math.cos(rot) - y * math.sin(rot), x * math.sin(rot) + y * math.cos(rot)
        k = rng.normal(0, 0.015, 2) * np.array([W, H]) * SS
        src.append((cx + x + k[0], cy + y + k[1]))
    coeffs = tuple(homography(src, dst))
    size = (W * SS, H * SS)

    def warp(a):
        return np.asarray(Image.fromarray(a.astype(F32), "F").transform(size, Image.PERSPECTIVE, coeffs,
                                                                         Image.BILINEAR))

    def down(a):
        return a.reshape(H, SS, W, SS).mean(axis=(1, 3))

    refl = np.stack([down(warp(page.refl[..., c])) for c in range(3)], -1).astype(F32)
    foot = down(warp(page.foot))
    truth = foot >= 0.5 if kind != "none" else np.zeros((H, W), bool)
    gloss = down(warp(page.gloss)) if case == "flash-glare" else None
    del page

    # --- light
    yy, xx = np.mgrid[0:H, 0:W].astype(F32)
    xn, yn = (xx - W / 2) / max(W, H), (yy - H / 2) / max(W, H)
    colour = np.array(ILLUMINANTS[choose(rng, list(ILLUMINANTS), [0.35, 0.25, 0.25, 0.15])], F32)
    ga = rng.uniform(0, 2 * math.pi)
    slope = rng.uniform(0.0, 0.25)
    direct = 1 + slope * (math.cos(ga) * xn + math.sin(ga) * yn)
    E = direct[..., None] * colour
    ambient_share = rng.uniform(0.25, 0.45)
    if case == "uneven-light":
        # Two lights of different colours from two sides: a window and a lamp.
        c2 = np.array(ILLUMINANTS[choose(rng, ["daylight", "cool-led", "tungsten", "warm-led"])], F32)
        d1 = np.hypot(xn - math.cos(ga) * 0.9, yn - math.sin(ga) * 0.9)
        d2 = np.hypot(xn + math.cos(ga) * 0.9, yn + math.sin(ga) * 0.9)
        f1 = 1 / (1 + (d1 / rng.uniform(0.3, 0.5)) ** 2)
        f2 = 1 / (1 + (d2 / rng.uniform(0.4, 0.7)) ** 2) * rng.uniform(0.1, 0.35)
        E = f1[..., None] * colour + f2[..., None] * c2
        E = E / E.max()
    vis = np.ones((H, W), F32)
    if case in ("finger-shadow", "seal-hard-shadow"):
        ambient_share = rng.uniform(0.25, 0.4)
        tip_mm = centre_mm + rng.uniform(-0.3, 0.3, 2) * (hi - lo)
        tip = (tip_mm - origin) * mm - margin
        if case == "finger-shadow":
            width = rng.uniform(10, 22) * mm
        else:
            width = rng.uniform(0.25, 0.8) * seal_mm * mm
        vis = finger_shadow(rng, H, W, (float(tip[0]), float(tip[1])), width, rng.uniform(0.15, 0.6) * mm)
    if case == "soft-shadow":
        ambient_share = rng.uniform(0.3, 0.5)
        ang = rng.uniform(0, 2 * math.pi)
        off = rng.uniform(-0.25, 0.15) * max(W, H)
        cxs, cys = W / 2 + math.cos(ang) * off, H / 2 + math.sin(ang) * off

        def draw(d):
            R = 3 * max(W, H)
            # A half plane bounded by a gently curved edge (a phone or head).
            pts = []
            for t in np.linspace(-1, 1, 24):
                ex = cxs + math.cos(ang + math.pi / 2) * t * R * 0.5
                ey = cys + math.sin(ang + math.pi / 2) * t * R * 0.5
                bulge = (1 - t * t) * rng.uniform(0, 0.05) * max(W, H)
                pts.append((ex - math.cos(ang) * bulge, ey - math.sin(ang) * bulge))
            pts += [(cxs + math.cos(ang) * R, cys + math.sin(ang) * R)]
            d.polygon(pts, fill=255)
        vis = occluder_visibility(H, W, draw, rng.uniform(0.06, 0.2) * max(W, H))
        vis = 1 - (1 - vis) * rng.uniform(0.7, 1.0)
    E = E * (ambient_share + (1 - ambient_share) * vis)[..., None]
    # Lens falloff, mostly corrected by the camera.
    r2 = xn * xn + yn * yn
    corner_left = rng.uniform(0.4, 0.6) if case == "vignette" else rng.uniform(0.9, 1.0)
    k = (1 / math.sqrt(corner_left) - 1) / float(r2.max())
    falloff = 1 / (1 + k * r2) ** 2
    E = E * falloff[..., None]
    radiance = refl * E
    if case == "flash-glare":
        # The flash: diffuse light falling off from the centre, and a
        # specular hot spot added on top where the page mirrors it.
        fx, fy = (centre_mm + rng.uniform(-0.25, 0.25, 2) * (hi - lo) - origin) * mm - margin
        rd = np.hypot(xx - W / 2, yy - H / 2) / max(W, H)
        radiance = radiance * (1 / (1 + 1.5 * rd * rd))[..., None]
        sig = rng.uniform(0.08, 0.2) * max(W, H)
        aspect = rng.uniform(0.6, 1.0)
        spot = np.exp(-(((xx - fx) / sig) ** 2 + ((yy - fy) / (sig * aspect)) ** 2) / 2)
        peak = rng.uniform(0.5, 1.1) * float(np.median(radiance.mean(-1)))
        radiance = radiance + (peak * spot * (1 + gloss))[..., None] * colour

    # --- camera
    noisy = case == "noise"
    opts = dict(
        lens_sigma=rng.uniform(0.4, 0.9),
        defocus=rng.uniform(1.5, 3.5) if case == "blurred" else 0,
        motion=rng.uniform(0, 4) if case == "blurred" else 0,
        target=rng.uniform(0.6, 0.8),
        expose_pct=50 if case == "flash-glare" else 90,
        full_well=rng.uniform(150, 400) if noisy else rng.uniform(1500, 5000),
        read_noise=rng.uniform(4, 8) if noisy else rng.uniform(1.5, 3.5),
        saturation=rng.uniform(0.1, 0.3),
        contrast=rng.uniform(0.0, 0.25),
        chroma_nr=rng.uniform(1.0, 2.0),
        luma_nr=rng.uniform(0.0, 0.5) if noisy else 0,
        sharpen=rng.uniform(0.3, 1.1),
        sharpen_radius=rng.uniform(0.9, 1.6),
        quality=60 if case == "jpeg-q60" else rng.integers(80, 96),
        light=colour,
        subsampling=2 if case == "jpeg-q60" or rng.random() < 0.7 else 0,
    )
    jpeg = camera(rng, radiance.astype(F32), case, opts)
    return jpeg, truth


def rule_lines_segment(page, y, x0, x1, width_mm):
    """A printed line to sign on, from x0 to x1 at y (render samples)."""
    mm = page.mm
    yc = np.arange(page.h, dtype=F32) + 0.5
    xc = np.arange(page.w, dtype=F32) + 0.5
    cy = np.clip(width_mm * mm / 2 + 0.5 - np.abs(yc - y), 0, 1)
    cx = np.clip(np.minimum(xc - x0, x1 - xc) + 0.5, 0, 1)
    page.opaque((cy[:, None] * cx[None, :]).astype(F32), lin(18, 18, 20))
