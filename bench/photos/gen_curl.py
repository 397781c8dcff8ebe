"""Photo generator "curl": a sheet held in the hand or lying curled on a desk,
photographed by a cheap phone.

What it models, and why:

Geometry. The sheet is not flat. Seen from the camera it bends about one axis
(a parabolic curl with lifted edges, a gentle wave, or a fold with a crease),
may be crumpled a little, turned by up to 7 degrees and seen under a slight
perspective. The picture is made backwards: every output sample is traced to
a point on the sheet, through the inverse perspective, the rotation, the arc
length along the bent axis (so the sheet is not stretched) and the
foreshortening of parts nearer the lens (so ruled lines bow). Everything
printed or written on the sheet is drawn in sheet coordinates first.

Light. A direct light (lamp, window, flash) and an ambient part of another
colour (tungsten, fluorescent green, shade, daylight, LED). The direct part
follows the sheet's normal (Lambert's law), so shading follows the curl and
steps at a crease; shadows (a finger, the phone itself, a ruler's hard edge)
block only the direct part, with a penumbra set by how far the caster is
from the sheet, so a shadow takes the ambient light's colour. A flash adds a
specular veil: light reflected by the sheet's surface before it meets the
pigment, so it adds to ink and paper alike.

Paper and ink. Reflectances in linear light. Paper: white, cream, kraft,
yellow legal pad, with mottling, machine-direction fibres, recycled flecks,
and sometimes print showing through from the back (mirrored, diffused by the
sheet). Rules, print, pen and seal are layers; inks are absorbers, so layers
multiply (Beer-Lambert: transmittance T**d for an ink film of relative
thickness d). A pixel partly covered by ink mixes by area in linear light,
since the sensor adds up photons: R = paper * (1 - c * (1 - T**d)) for a
coverage c. Seal paste is a pigment with some hiding power, so over black
print it shows a little of its own colour. Pens: gel (even, sharp),
ballpoint (thin, pressure-dependent film, skips where the ball ran dry),
felt tip (soft, thinner film at the edges), fountain pen (width from the
nib's angle, ink bleeding along the paper's fibres), pencil (graphite caught
by the paper's tooth, so the film is broken). Handwriting is smooth
centripetal Catmull-Rom paths: cursive Latin-like names with i-dots and
t-bars, or kanji-like characters from a stroke grammar. Seals: round, oval
or square frames with geometric characters, uneven paste, voids where paste
missed the fibres, sometimes a faded corner from uneven pressure.

Camera. Defocus (a disc) and the shake of a hand during the exposure (a
random smooth trajectory, centred where the lens dwelt longest, so the
sharpest copy of a stroke lies on its truth), exposure from the paper, signal-dependent sensor noise, an auto
white balance that removes only part of the cast, local tone mapping
("HDR": a compressed base layer, so dark strokes get bright halos), sRGB
gamma, a cheap phone's noise reduction (chroma smeared over several pixels,
an edge-preserving guided filter on luma that turns texture to watercolour),
unsharp-mask sharpening, a mild contrast curve, JPEG 4:2:0 or 4:4:4.

Truth. The ink of the class's kind (the pen for "signature", the seal's
paste for "seal", nothing for "none"): a pixel is ink when the ink covers at
least half of its area on the sheet, before blur (coverage averaged over
the pixel's footprint traced back to the sheet; a pen stroke's footprint
counts as covered even where the film is thin or broken by the paper's tooth,
but not where a ballpoint skipped or a seal left a void: no ink lies there).
Ink hidden by a finger in front of the sheet is not truth.
"""
import io
import math

import numpy as np
from PIL import Image, ImageDraw, ImageFont

from classes import KIND

FONT_DIR = "/usr/share/fonts/truetype/dejavu/"
FONTS = ["DejaVuSans.ttf", "DejaVuSerif.ttf", "DejaVuSansCondensed.ttf", "DejaVuSerifCondensed.ttf",
         "DejaVuSans-Bold.ttf"]

K = 2   # sheet raster samples per output pixel (at nominal scale)
SS = 2  # drawing supersampling over the sheet raster

# ---------------------------------------------------------------- helpers


def smooth_noise(rng, h, w, scale):
    """Zero-mean unit-variance noise with features about `scale` samples wide."""
    sh, sw = max(2, int(h / scale) + 3), max(2, int(w / scale) + 3)
    small = Image.fromarray(rng.standard_normal((sh, sw)).astype(np.float32), mode="F")
    big = np.asarray(small.resize((w, h), Image.BICUBIC), dtype=np.float32)
    s = big.std()
    return (big - big.mean()) / (s if s > 1e-6 else 1.0)


def box1(a, r, axis):
    if r < 1:
        return a
    pad = [(0, 0)] * a.ndim
    pad[axis] = (r + 1, r)
    c = np.cumsum(np.pad(a, pad, mode="edge"), axis=axis, dtype=np.float64)
    n = a.shape[axis]
    hi = np.take(c, np.arange(2 * r + 1, 2 * r + 1 + n), axis=axis)
    lo = np.take(c, np.arange(0, n), axis=axis)
    return ((hi - lo) / (2 * r + 1)).astype(np.float32)


def box(a, r):
    return box1(box1(a, r, 0), r, 1)


def gauss(a, sigma):
    """Three box passes: a Gaussian of about `sigma` (2-D arrays, or per channel)."""
    r = max(0, int(round((math.sqrt(12 * sigma * sigma / 3 + 1) - 1) / 2)))
    for _ in range(3):
        a = box(a, r)
    return a


def smoothstep(e0, e1, x):
    t = np.clip((x - e0) / (e1 - e0), 0, 1)
    return t * t * (3 - 2 * t)


def catmull_rom(points, per=14):
    """A centripetal Catmull-Rom spline through the points."""
    p = np.asarray(points, dtype=np.float64)
    if len(p) < 2:
        return p
    p = np.vstack([2 * p[0] - p[1], p, 2 * p[-1] - p[-2]])
    out = []
    for i in range(1, len(p) - 2):
        p0, p1, p2, p3 = p[i - 1], p[i], p[i + 1], p[i + 2]
        t0 = 0.0
        t1 = t0 + max(np.linalg.norm(p1 - p0), 1e-6) ** 0.5
        t2 = t1 + max(np.linalg.norm(p2 - p1), 1e-6) ** 0.5
        t3 = t2 + max(np.linalg.norm(p3 - p2), 1e-6) ** 0.5
        t = np.linspace(t1, t2, per, endpoint=False)[:, None]
        a1 = (t1 - t) / (t1 - t0) * p0 + (t - t0) / (t1 - t0) * p1
        a2 = (t2 - t) / (t2 - t1) * p1 + (t - t1) / (t2 - t1) * p2
        a3 = (t3 - t) / (t3 - t2) * p2 + (t - t2) / (t3 - t2) * p3
        b1 = (t2 - t) / (t2 - t0) * a1 + (t - t0) / (t2 - t0) * a2
        b2 = (t3 - t) / (t3 - t1) * a2 + (t - t1) / (t3 - t1) * a3
        out.append((t2 - t) / (t2 - t1) * b1 + (t - t1) / (t2 - t1) * b2)
    out.append(p[-2][None])
    return np.vstack(out)


def resample(path, step):
    d = np.r_[0, np.cumsum(np.linalg.norm(np.diff(path, axis=0), axis=1))]
    if d[-1] < step:
        return path[[0, -1]] if len(path) > 1 else path, d[-1]
    s = np.arange(0, d[-1], step)
    return np.c_[np.interp(s, d, path[:, 0]), np.interp(s, d, path[:, 1])], d[-1]


def wobble(rng, n, scale):
    """A smooth random curve of n samples in [-1, 1] (sum of sines)."""
    t = np.arange(n, dtype=np.float64)
    out = np.zeros(n)
    for k in range(3):
        period = scale * (0.5 + rng.random()) / (k + 1)
        out += np.sin(2 * np.pi * t / period + rng.random() * 6.3) / (k + 1)
    return out / 1.84


# ------------------------------------------------------------ handwriting

LOWER = {
    "a": [(0.55, 0.75), (0.3, 0.95), (0.05, 0.5), (0.2, 0.0), (0.5, 0.35), (0.6, 0.9), (0.55, 0.2), (0.75, 0.0),
          (0.95, 0.2)],
    "c": [(0.6, 0.8), (0.35, 0.95), (0.05, 0.5), (0.25, 0.0), (0.7, 0.2)],
    "d": [(0.55, 0.75), (0.3, 0.95), (0.05, 0.5), (0.2, 0.0), (0.5, 0.35), (0.65, 2.1), (0.6, 0.2), (0.75, 0.0),
          (0.95, 0.2)],
    "e": [(0.05, 0.3), (0.5, 0.6), (0.35, 0.95), (0.05, 0.55), (0.2, 0.0), (0.65, 0.2)],
    "g": [(0.55, 0.75), (0.3, 0.95), (0.05, 0.5), (0.2, 0.05), (0.5, 0.35), (0.6, 0.9), (0.5, -0.8), (0.25, -1.15),
          (0.1, -0.8), (0.8, 0.2)],
    "h": [(0.0, 0.3), (0.4, 1.7), (0.35, 2.25), (0.15, 1.9), (0.1, 0.0), (0.35, 0.8), (0.6, 0.85), (0.65, 0.1),
          (0.9, 0.2)],
    "i": [(0.0, 0.2), (0.25, 0.95), (0.2, 0.1), (0.45, 0.2)],
    "j": [(0.0, 0.2), (0.25, 0.95), (0.25, -0.8), (0.0, -1.15), (-0.1, -0.8), (0.5, 0.2)],
    "k": [(0.0, 0.3), (0.4, 1.7), (0.35, 2.25), (0.15, 1.9), (0.1, 0.0), (0.25, 0.6), (0.6, 0.9), (0.35, 0.5),
          (0.55, 0.0), (0.8, 0.2)],
    "l": [(0.0, 0.3), (0.4, 1.7), (0.35, 2.25), (0.15, 1.9), (0.15, 0.1), (0.45, 0.2)],
    "m": [(0.0, 0.1), (0.1, 0.9), (0.2, 0.0), (0.35, 0.9), (0.5, 0.0), (0.65, 0.9), (0.8, 0.05), (1.0, 0.2)],
    "n": [(0.0, 0.1), (0.12, 0.9), (0.25, 0.0), (0.45, 0.9), (0.6, 0.05), (0.8, 0.2)],
    "o": [(0.4, 0.95), (0.1, 0.6), (0.2, 0.0), (0.5, 0.3), (0.4, 0.95), (0.7, 0.75)],
    "r": [(0.0, 0.1), (0.15, 0.9), (0.3, 0.7), (0.45, 0.8), (0.45, 0.05), (0.65, 0.2)],
    "s": [(0.0, 0.2), (0.35, 0.95), (0.25, 0.55), (0.45, 0.25), (0.25, 0.0), (0.05, 0.15), (0.6, 0.2)],
    "t": [(0.0, 0.2), (0.3, 1.8), (0.2, 0.1), (0.5, 0.2)],
    "u": [(0.0, 0.9), (0.05, 0.1), (0.3, 0.0), (0.5, 0.9), (0.5, 0.1), (0.75, 0.2)],
    "v": [(0.0, 0.9), (0.25, 0.0), (0.5, 0.9), (0.7, 0.8)],
    "y": [(0.0, 0.9), (0.05, 0.1), (0.3, 0.0), (0.5, 0.9), (0.45, -0.8), (0.2, -1.15), (0.05, -0.8), (0.7, 0.2)],
}
DOTTED = {"i": (0.28, 1.55), "j": (0.3, 1.55)}
CAPITALS = [
    [[(0.0, 0.0), (0.2, 2.5), (0.45, 0.8), (0.75, 2.5), (0.95, 0.3), (1.2, 0.2)]],
    [[(1.0, 2.3), (0.6, 2.6), (0.2, 2.2), (0.5, 1.4), (0.9, 0.8), (0.6, 0.05), (0.1, 0.2), (0.3, 0.5), (1.1, 0.3)]],
    [[(0.3, 2.6), (0.2, 0.0)], [(1.0, 2.4), (0.3, 1.2), (0.9, 0.0), (1.2, 0.2)]],
    [[(0.2, 2.4), (1.2, 2.5), (0.8, 2.5), (0.7, 0.0), (0.3, -0.8), (0.0, -0.3), (0.9, 0.3), (1.1, 0.3)]],
    [[(0.6, 2.2), (0.9, 2.6), (0.5, 2.3), (0.3, 0.2), (0.0, 0.0), (0.4, -0.1), (1.0, 0.2)]],
    [[(-0.2, 2.3), (0.4, 2.55), (1.3, 2.5)], [(0.6, 2.5), (0.5, 0.0), (0.8, 0.2)]],
    [[(0.0, 0.0), (0.5, 2.6), (0.9, 0.0)], [(0.25, 1.0), (0.8, 1.1), (1.1, 0.3)]],
    [[(0.2, 0.0), (0.2, 2.5), (0.9, 2.2), (0.3, 1.3), (0.95, 0.0), (1.2, 0.2)]],
]


def latin_name(rng, dotted_letters=0):
    """Strokes (lists of (x, y) points, y up, x-height 1) of a cursive name,
    and the i-dots as (x, y) points."""
    strokes, dots = [], []
    x = 0.0
    slant = rng.uniform(0.05, 0.4)
    words = 1 if rng.random() < 0.35 else 2
    letters = list(LOWER)
    for _ in range(words):
        cap = CAPITALS[rng.integers(len(CAPITALS))]
        cs = rng.uniform(0.85, 1.15)
        for s in cap:
            strokes.append([(x + px * cs, py * cs) for px, py in s])
        x += 1.15 * cs
        n = int(rng.integers(3, 8))
        word = [letters[rng.integers(len(letters))] for _ in range(n)]
        for k in range(dotted_letters):
            word[int(rng.integers(len(word)))] = "ij"[int(rng.random() < 0.3)]
        pts = []
        for ch in word:
            sc = rng.uniform(0.9, 1.12)
            shape = LOWER[ch]
            for px, py in shape:
                pts.append((x + px * sc + rng.normal(0, 0.03), py * sc + rng.normal(0, 0.04)))
            if ch in DOTTED:
                dx, dy = DOTTED[ch]
                dots.append((x + dx * sc + rng.normal(0, 0.1), dy + rng.normal(0, 0.12)))
            if ch == "t":
                y = rng.uniform(0.95, 1.2)
                strokes.append([(x - 0.15, y), (x + 0.3, y + 0.04), (x + 0.7, y + 0.02)])
            x += max(p[0] for p in shape) * sc * rng.uniform(0.95, 1.1)
        strokes.append(pts)
        x += rng.uniform(0.6, 1.0)
    if rng.random() < 0.3:
        x0, x1 = 0.0, x - 0.6
        strokes.append([(x1 + 0.3, 0.4), (x1, -0.45), (0.5 * (x0 + x1), -0.75), (x0 + 0.2, -0.55)])
    sl = lambda p: (p[0] + slant * p[1], p[1])  # noqa: E731
    strokes = [[sl(p) for p in s] for s in strokes]
    dots = [sl(p) for p in dots]
    return strokes, dots


def kanji_char(rng, seal=False):
    """Strokes of one kanji-like character in the unit box (y down)."""
    strokes = []
    n = int(rng.integers(6, 12) if seal else rng.integers(3, 9))
    for _ in range(n):
        t = rng.choice(["h", "v", "l", "r", "d", "k"], p=[0.35, 0.25, 0.12, 0.1, 0.08, 0.1])
        if seal:
            t = rng.choice(["h", "v", "k"], p=[0.4, 0.4, 0.2])
        x, y = rng.uniform(0.1, 0.9), rng.uniform(0.1, 0.9)
        x0, x1 = rng.uniform(0, 0.35), rng.uniform(0.6, 1.0)
        y0, y1 = rng.uniform(0, 0.3), rng.uniform(0.6, 1.0)
        if seal:
            x0, x1 = (0.0, 1.0) if rng.random() < 0.5 else (x0, x1)
            y0, y1 = (0.0, 1.0) if rng.random() < 0.5 else (y0, y1)
        if t == "h":
            s = [(x0, y), ((x0 + x1) / 2, y - 0.01), (x1, y - (0 if seal else 0.04))]
        elif t == "v":
            s = [(x, y0), (x, (y0 + y1) / 2), (x, y1)]
            if not seal and rng.random() < 0.3:
                s.append((x - 0.09, y1 - 0.07))
        elif t == "l":
            s = [(x, y0), (x - 0.05, y0 + 0.3), (x - 0.3, y1)]
        elif t == "r":
            s = [(x - 0.2, y0), (x - 0.05, y0 + 0.3), (x + 0.25, y1)]
        elif t == "d":
            s = [(x, y), (x + 0.07, y + 0.09)]
        else:
            s = [(x0, y0), (x1, y0), (x1, y1)] if seal else [(x0, y0), (x1, y0 + 0.02), (x1 - 0.03, y1)]
        strokes.append([(px + (0 if seal else rng.normal(0, 0.02)), py + (0 if seal else rng.normal(0, 0.02)))
                        for px, py in s])
    if not seal:  # written fast: some strokes joined without lifting the pen
        joined = [strokes[0]]
        for s in strokes[1:]:
            if rng.random() < 0.3:
                joined[-1] = joined[-1] + s
            else:
                joined.append(s)
        strokes = joined
    return strokes


def kanji_name(rng):
    """Strokes (y up, character height about 2.6 x-heights) of 2-4 characters in a row."""
    strokes = []
    n = int(rng.integers(2, 5))
    size = 2.6
    for c in range(n):
        ox = c * size * rng.uniform(1.0, 1.15)
        for s in kanji_char(rng):
            strokes.append([(ox + px * size, (1 - py) * size - 0.3) for px, py in s])
    return strokes, []


# --------------------------------------------------------------- the sheet

class Sheet:
    """The sheet's raster: linear reflectance (rows, cols, 3) over the page
    rectangle [x0, x0 + cols / K) x [y0, y0 + rows / K), and the truth
    coverage of the class's ink."""

    def __init__(self, x0, y0, rows, cols):
        self.x0, self.y0, self.rows, self.cols = x0, y0, rows, cols
        self.refl = np.ones((rows, cols, 3), np.float32)
        self.truth = np.zeros((rows, cols), np.float32)
        self.ys = y0 + (np.arange(rows, dtype=np.float32) + 0.5) / K
        self.xs = x0 + (np.arange(cols, dtype=np.float32) + 0.5) / K


class Layer:
    """Ink drawn as discs and text in sheet units, rendered supersampled
    over its bounding box: coverage and film thickness per raster sample."""

    def __init__(self):
        self.discs = []  # (x, y, r, d)
        self.texts = []  # (x, y, text, font, size, d)

    def bbox(self):
        xs0, ys0, xs1, ys1 = [], [], [], []
        for x, y, r, _ in self.discs:
            xs0.append(x - r), ys0.append(y - r), xs1.append(x + r), ys1.append(y + r)
        for x, y, text, font, size, _ in self.texts:
            f = ImageFont.truetype(FONT_DIR + font, max(1, int(size)))
            l, t, r, b = f.getbbox(text, anchor="ls")
            xs0.append(x + l), ys0.append(y + t), xs1.append(x + r), ys1.append(y + b)
        if not xs0:
            return None
        return min(xs0), min(ys0), max(xs1), max(ys1)

    def render(self, sheet):
        """(i0, i1, j0, j1, coverage, thickness) on the sheet's raster, or None."""
        bb = self.bbox()
        if bb is None:
            return None
        i0 = max(0, int((bb[1] - sheet.y0) * K) - 3)
        i1 = min(sheet.rows, int((bb[3] - sheet.y0) * K) + 4)
        j0 = max(0, int((bb[0] - sheet.x0) * K) - 3)
        j1 = min(sheet.cols, int((bb[2] - sheet.x0) * K) + 4)
        if i1 <= i0 or j1 <= j0:
            return None
        size = ((j1 - j0) * SS, (i1 - i0) * SS)
        mask, film = Image.new("L", size, 0), Image.new("L", size, 0)
        dm, df = ImageDraw.Draw(mask), ImageDraw.Draw(film)
        f = K * SS

        def hx(x):
            return (x - sheet.x0) * f - j0 * SS

        def hy(y):
            return (y - sheet.y0) * f - i0 * SS

        for x, y, r, d in self.discs:
            X, Y, R = hx(x), hy(y), max(r * f, 0.5)
            box_ = [X - R, Y - R, X + R, Y + R]
            dm.ellipse(box_, fill=255)
            df.ellipse(box_, fill=int(np.clip(d * 100, 1, 255)))
        for x, y, text, font, size_, d in self.texts:
            fnt = ImageFont.truetype(FONT_DIR + font, max(1, int(size_ * f)))
            dm.text((hx(x), hy(y)), text, font=fnt, fill=255, anchor="ls")
            df.text((hx(x), hy(y)), text, font=fnt, fill=int(np.clip(d * 100, 1, 255)), anchor="ls")
        cov = np.asarray(mask.reduce(SS), np.float32) / 255
        film_ = np.asarray(film.reduce(SS), np.float32) / 100
        thick = np.where(cov > 1e-3, film_ / np.maximum(cov, 1e-3), 0).astype(np.float32)
        return i0, i1, j0, j1, cov, thick


def apply_ink(sheet, rendered, T, hiding=0.0, truth=False):
    i0, i1, j0, j1, cov, thick = rendered
    Tp = np.power(np.asarray(T, np.float32)[None, None, :], thick[..., None])
    under = sheet.refl[i0:i1, j0:j1]
    c = cov[..., None]
    # a pigment with some hiding power reflects partly as over white paper
    top = Tp * (hiding * 0.85 + (1 - hiding) * under)
    sheet.refl[i0:i1, j0:j1] = (1 - c) * under + c * top
    if truth:
        sheet.truth[i0:i1, j0:j1] = np.maximum(sheet.truth[i0:i1, j0:j1], cov)


PENS = {
    # kind: (transmittance of a full film over white, linear RGB)
    "black-gel": (0.05, 0.05, 0.06),
    "blue-gel": (0.07, 0.11, 0.42),
    "black-ball": (0.11, 0.11, 0.14),
    "blue-ball": (0.16, 0.2, 0.52),
    "felt": (0.07, 0.07, 0.08),
    "fountain": (0.13, 0.16, 0.33),
    "pencil": (0.3, 0.3, 0.32),
}


def pen_layer(rng, paths, pen, width, contrast=None):
    """Discs along the pen's paths (sheet units), and the pen's transmittance."""
    T = PENS[pen]
    mean_T = float(np.mean(T))
    d0 = math.log(1 - contrast) / math.log(mean_T) if contrast else rng.uniform(0.85, 1.15)
    layer = Layer()
    nib = rng.uniform(0, np.pi)
    for path in paths:
        step = max(0.15, width * 0.25)
        pts, length = resample(path, step)
        n = len(pts)
        if n < 2:
            pts = np.vstack([pts, pts + 0.01])
            n = 2
        s = np.arange(n) * step
        pressure = 0.5 + 0.5 * wobble(rng, n, max(8, 60 / step))
        taper = np.minimum(1, np.minimum(s, length - s) / max(2.0, 2.5 * width)) ** 0.5 * 0.45 + 0.55
        w = width * (0.8 + 0.3 * pressure) * taper
        d = d0 * (0.85 + 0.25 * pressure)
        keep = np.ones(n, bool)
        if pen == "fountain":
            dirs = np.arctan2(*np.gradient(pts, axis=0).T[::-1])
            w = w * (0.45 + 0.75 * np.abs(np.sin(dirs - nib)))
        if pen.endswith("ball"):
            d = d0 * (0.55 + 0.5 * pressure)
            # skips: the ball runs dry for a few pixels, more often at a stroke's start
            for _ in range(rng.poisson(length / 260 + 0.4)):
                a = rng.uniform(0, length) if rng.random() < 0.7 else rng.uniform(0, min(length, 12))
                keep &= ~((s > a) & (s < a + rng.uniform(2, 7)))
        for (x, y), r2, dd, k in zip(pts, w / 2, d, keep):
            if k:
                layer.discs.append((x, y, r2, dd))
    return layer, T


def finish_pen(sheet, rendered, pen, rng):
    """Pen-specific film: felt tips thin at the edges, fountain ink bleeds
    along fibres, graphite breaks on the tooth."""
    i0, i1, j0, j1, cov, thick = rendered
    h, w = cov.shape
    if pen == "felt":
        edge = gauss(cov, 1.2 * K)
        thick = thick * np.clip(edge * 1.6, 0.35, 1.0)
    elif pen == "fountain":
        fib = box1(rng.standard_normal((h, w)).astype(np.float32), int(3 * K), 1)
        fib = fib / (fib.std() + 1e-6)
        grown = np.maximum.reduce([np.roll(cov, sft, axis=ax) for ax in (0, 1) for sft in (-2, -1, 1, 2)])
        bleed = grown * (fib > rng.uniform(0.9, 1.5))
        new = np.maximum(cov, bleed * 0.9)
        thick = np.where(cov > 1e-3, thick, np.max(thick) * 0.6) * np.where(new > cov, 0.7, 1.0)
        cov = new
    elif pen == "pencil":
        tooth = gauss(rng.standard_normal((h, w)).astype(np.float32), 0.6)
        tooth = tooth / (tooth.std() + 1e-6)
        thick = thick * np.clip(0.72 + 0.3 * tooth, 0.3, 1.15)
    return i0, i1, j0, j1, cov, thick


SEAL_INKS = {
    "vermilion": (0.78, 0.1, 0.07),
    "orange-red": (0.86, 0.22, 0.06),
    "crimson": (0.55, 0.05, 0.1),
    "blue": (0.1, 0.2, 0.62),
    "violet": (0.38, 0.14, 0.58),
}


def seal_layer(rng, cx, cy, R):
    layer = Layer()
    shape = rng.choice(["round", "oval", "square"], p=[0.45, 0.2, 0.35])
    rw = R * rng.uniform(0.045, 0.085)
    sw = R * rng.uniform(0.05, 0.08)
    d = rng.uniform(0.85, 1.15)
    step = max(0.3, rw * 0.25)

    def line(pts, r, clip):
        path, _ = resample(catmull_rom(pts, per=4) if len(pts) > 2 else np.asarray(pts, float), step)
        for x, y in path:
            if clip(x, y):
                layer.discs.append((x, y, r, d))

    ry = R
    if shape == "oval":
        R, ry = 0.82 * R, 1.12 * R
    if shape == "square":
        c = [(cx - R, cy - R), (cx + R, cy - R), (cx + R, cy + R), (cx - R, cy + R), (cx - R, cy - R)]
        for a, b in zip(c[:-1], c[1:]):
            line([a, b], rw / 2, lambda x, y: True)
        inner = R - rw * 1.3
        def clip(x, y): return abs(x - cx) < inner and abs(y - cy) < inner  # noqa: E306,E704
        grid = [(2, 2), (1, 2), (2, 1), (1, 1)][rng.integers(4)]
        bw, bh = 2 * inner / grid[0], 2 * inner / grid[1]
        boxes = [(cx - inner + i * bw, cy - inner + j * bh, bw, bh) for i in range(grid[0]) for j in range(grid[1])]
    else:
        t = np.linspace(0, 2 * np.pi, 720)
        line(list(zip(cx + R * np.cos(t), cy + ry * np.sin(t))), rw / 2, lambda x, y: True)
        inner = 1 - rw * 1.3 / R
        def clip(x, y): return ((x - cx) / R) ** 2 + ((y - cy) / ry) ** 2 < inner ** 2  # noqa: E306,E704
        n = int(rng.integers(1, 3)) if shape == "round" else int(rng.integers(2, 4))
        bw, bh = 1.3 * R, 1.5 * ry / n
        boxes = [(cx - bw / 2, cy - 0.75 * ry + k * bh, bw, bh) for k in range(n)]
    for bx, by, bw_, bh_ in boxes:
        m = 0.06
        for s in kanji_char(rng, seal=True):
            pts = [(bx + bw_ * (m + (1 - 2 * m) * px), by + bh_ * (m + (1 - 2 * m) * py)) for px, py in s]
            line(pts, sw / 2, clip)
    return layer


def finish_seal(sheet, rendered, rng, R, fade_dir=None):
    """Uneven paste, voids, and (given a direction) a corner pressed too lightly."""
    i0, i1, j0, j1, cov, thick = rendered
    h, w = cov.shape
    thick = thick * np.clip(1 + 0.22 * smooth_noise(rng, h, w, 0.35 * R * K), 0.55, 1.4)
    voids = 0.6 * smooth_noise(rng, h, w, rng.uniform(1.5, 4) * K) + 0.4 * smooth_noise(rng, h, w, 12 * K)
    thr = np.full((h, w), rng.uniform(-2.0, -1.3), np.float32)
    if fade_dir is not None:
        yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)
        cy, cx = h / 2, w / 2
        t = ((xx - cx) * fade_dir[0] + (yy - cy) * fade_dir[1]) / (R * K)
        f = smoothstep(rng.uniform(-0.1, 0.3), 1.0, t)
        thick = thick * (1 - rng.uniform(0.6, 0.8) * f)
        thr = thr + rng.uniform(1.0, 1.6) * f
    cov = cov * smoothstep(thr, thr + 0.25, voids)
    return i0, i1, j0, j1, cov.astype(np.float32), thick.astype(np.float32)


WORDS = "lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod tempor incididunt ut labore et " \
        "dolore magna aliqua enim ad minim veniam quis nostrud exercitation ullamco laboris nisi aliquip ex ea " \
        "commodo consequat duis aute irure in reprehenderit voluptate velit esse cillum fugiat nulla pariatur " \
        "2026 No. 14 Tel 03 Date Name Address Total".split()


def print_layer(rng, x0, y0, x1, y1, size, mirror=False):
    layer = Layer()
    font = FONTS[rng.integers(len(FONTS))]
    lead = size * rng.uniform(1.3, 1.7)
    y = y0 + size
    while y < y1 + size:
        line = " ".join(WORDS[rng.integers(len(WORDS))] for _ in range(int(3 + (x1 - x0) / size / 3)))
        if rng.random() < 0.2:
            line = line[:len(line) // 2]
        layer.texts.append((x0 + rng.uniform(-0.5, 0.5) * size, y, line, font, size, rng.uniform(0.9, 1.1)))
        y += lead
    return layer


# ------------------------------------------------------------------ paper

PAPERS = {
    "white": (0.86, 0.86, 0.85),
    "bright": (0.87, 0.88, 0.92),
    "cream": (0.85, 0.77, 0.58),
    "kraft": (0.46, 0.31, 0.17),
    "yellow": (0.89, 0.8, 0.34),
    "recycled": (0.74, 0.72, 0.68),
}


def make_paper(sheet, rng, paper):
    h, w = sheet.rows, sheet.cols
    base = np.asarray(PAPERS[paper], np.float32) * rng.uniform(0.96, 1.03, 3).astype(np.float32)
    mott = 1 + 0.025 * smooth_noise(rng, h, w, 40 * K) + 0.012 * smooth_noise(rng, h, w, 5 * K)
    strength = 0.06 if paper == "kraft" else rng.uniform(0.008, 0.025)
    fib = box1(rng.standard_normal((h, w)).astype(np.float32), int(rng.uniform(2, 6) * K), 1)
    fib = fib / (fib.std() + 1e-6)
    sheet.refl[:] = base[None, None, :] * (mott * (1 + strength * fib))[..., None]
    if paper in ("kraft", "recycled"):
        n = int(h * w / (K * K) / rng.uniform(1500, 5000))
        spots = np.zeros((h, w), np.float32)
        spots[rng.integers(0, h, n), rng.integers(0, w, n)] = rng.uniform(2, 9, n)
        spots = np.clip(box(spots, int(K)), 0, 0.8)
        tint = np.asarray([0.5, 0.42, 0.35], np.float32)
        sheet.refl *= 1 - spots[..., None] * (1 - tint)[None, None, :]


def rules(sheet, rng, kind, xh, baseline, margin_x):
    """Printed rules: horizontal lines (one on the writing's baseline), a grid,
    and red margin lines; all analytic in sheet units."""
    h, w = sheet.rows, sheet.cols

    def lines_1d(coord, spacing, offset, width):
        t = np.mod(coord - offset, spacing)
        dist = np.minimum(t, spacing - t)
        return np.clip((width / 2 - dist) * K + 0.5, 0, 1).astype(np.float32)

    def apply(cov, T):
        dens = np.clip(1 + 0.12 * smooth_noise(rng, h, w, 30 * K), 0.6, 1.3)
        Tp = np.power(np.asarray(T, np.float32)[None, None, :], dens[..., None])
        sheet.refl *= 1 - cov[..., None] * (1 - Tp)

    blue = [(0.5, 0.68, 0.88), (0.62, 0.72, 0.8), (0.58, 0.58, 0.62)][rng.integers(3)]
    if kind == "ruled":
        sp = xh * rng.uniform(2.1, 3.0)
        apply(np.broadcast_to(lines_1d(sheet.ys, sp, baseline, rng.uniform(1.2, 3.5))[:, None], (h, w)), blue)
    elif kind == "squared":
        sp = xh * rng.uniform(1.2, 2.0)
        wd = rng.uniform(0.9, 2.2)
        cov = np.maximum(lines_1d(sheet.ys, sp, baseline, wd)[:, None],
                         lines_1d(sheet.xs, sp, rng.uniform(0, sp), wd)[None, :])
        apply(cov, blue)
    elif kind == "legal":
        sp = xh * rng.uniform(2.0, 2.6)
        apply(np.broadcast_to(lines_1d(sheet.ys, sp, baseline, rng.uniform(1.5, 3.2))[:, None], (h, w)),
              (0.48, 0.62, 0.72))
        gap = rng.uniform(4, 9)
        big = 1e6
        cov = np.maximum(lines_1d(sheet.xs, big, margin_x, rng.uniform(1.5, 3)),
                         lines_1d(sheet.xs, big, margin_x + gap, rng.uniform(1.5, 3)))
        apply(np.broadcast_to(cov[None, :], (h, w)), (0.92, 0.42, 0.4))
    elif kind == "margin":
        if rng.random() < 0.6:
            sp = xh * rng.uniform(2.1, 3.0)
            apply(np.broadcast_to(lines_1d(sheet.ys, sp, baseline, rng.uniform(1.0, 2.5))[:, None], (h, w)), blue)
        cov = lines_1d(sheet.xs, 1e6, margin_x, rng.uniform(1.8, 4.0))
        apply(np.broadcast_to(cov[None, :], (h, w)), (0.9, 0.35, 0.38))


def show_through(sheet, rng, size):
    """Print on the back of the sheet, mirrored and diffused by the paper."""
    layer = print_layer(rng, sheet.x0, sheet.y0, sheet.x0 + sheet.cols / K, sheet.y0 + sheet.rows / K, size)
    r = layer.render(sheet)
    if r is None:
        return
    i0, i1, j0, j1, cov, _ = r
    cov = gauss(cov[:, ::-1].copy(), rng.uniform(1.0, 2.5) * K)
    k = rng.uniform(0.02, 0.05)
    sheet.refl[i0:i1, j0:j1] *= (1 - k * cov)[..., None]


# ------------------------------------------------------------------- geometry

class Warp:
    """Output pixel -> sheet point, through perspective, rotation and a curl."""

    def __init__(self, rng, W, H, flat=False):
        self.W, self.H = W, H
        half = max(W, H) / 2
        self.g, self.h = rng.uniform(-0.06, 0.06, 2) / half
        th = math.radians(rng.uniform(-7, 7))
        self.ct, self.st = math.cos(th), math.sin(th)
        ph = rng.uniform(0, np.pi) if rng.random() < 0.4 else (0.0 if rng.random() < 0.5 else np.pi / 2)
        self.cp, self.sp = math.cos(ph), math.sin(ph)
        self.D = rng.uniform(2500, 5000)
        L = math.hypot(W, H)
        grid = np.linspace(-1.2 * L, 1.2 * L, 8192)
        kind = "flat" if flat else rng.choice(["parabola", "wave", "fold"], p=[0.45, 0.3, 0.25])
        if kind == "parabola":
            Z = rng.uniform(20, 120) * (grid / (L / 2) - rng.uniform(-0.5, 0.5)) ** 2
        elif kind == "wave":
            Z = rng.uniform(10, 60) * np.sin(2 * np.pi * grid / (rng.uniform(1.2, 3) * W) + rng.uniform(0, 6.3))
        elif kind == "fold":
            af = rng.uniform(-0.35, 0.35) * W
            Z = rng.choice([-1, 1]) * rng.uniform(0.05, 0.22) * np.sqrt((grid - af) ** 2 + 9.0)
            Z += rng.uniform(0, 30) * (grid / (L / 2)) ** 2
        else:
            Z = np.zeros_like(grid)
        Z = Z - np.interp(0.0, grid, Z)
        dz = np.gradient(Z, grid)
        arc = np.r_[0, np.cumsum(np.sqrt(1 + 0.25 * (dz[1:] + dz[:-1]) ** 2) * np.diff(grid))]
        self.grid, self.Z, self.arc = grid, Z, arc - np.interp(0.0, grid, arc)
        self.kind = kind

    def __call__(self, u, v):
        px, py = u - self.W / 2, v - self.H / 2
        w = 1 + self.g * px + self.h * py
        qx, qy = px / w, py / w
        X, Y = self.ct * qx - self.st * qy, self.st * qx + self.ct * qy
        a, b = self.cp * X + self.sp * Y, -self.sp * X + self.cp * Y
        Z = np.interp(a, self.grid, self.Z)
        s = np.interp(a, self.grid, self.arc)
        b = b * (self.D - Z) / self.D
        x = self.cp * s - self.sp * b + self.W / 2
        y = self.sp * s + self.cp * b + self.H / 2
        return x.astype(np.float32), y.astype(np.float32), Z.astype(np.float32)


def sample(arr, x, y, sheet):
    """Bilinear samples of a sheet raster at sheet points."""
    fx = (x - sheet.x0) * K - 0.5
    fy = (y - sheet.y0) * K - 0.5
    j = np.clip(np.floor(fx).astype(np.int32), 0, sheet.cols - 2)
    i = np.clip(np.floor(fy).astype(np.int32), 0, sheet.rows - 2)
    tx = np.clip(fx - j, 0, 1)
    ty = np.clip(fy - i, 0, 1)
    if arr.ndim == 3:
        tx, ty = tx[..., None], ty[..., None]
    return ((arr[i, j] * (1 - tx) + arr[i, j + 1] * tx) * (1 - ty)
            + (arr[i + 1, j] * (1 - tx) + arr[i + 1, j + 1] * tx) * ty)


# ------------------------------------------------------------------ light

LIGHTS = {
    "daylight": (1.0, 1.0, 1.0),
    "shade": (0.82, 0.95, 1.2),
    "tungsten": (1.3, 0.95, 0.58),
    "warm-led": (1.15, 1.0, 0.8),
    "fluorescent": (0.92, 1.12, 0.88),
    "cool-white": (0.93, 1.0, 1.1),
}


def capsule(u, v, p0, p1, radius):
    """Signed distance from a capsule (negative inside)."""
    d = np.asarray(p1, float) - np.asarray(p0, float)
    t = np.clip(((u - p0[0]) * d[0] + (v - p0[1]) * d[1]) / max(1e-9, d @ d), 0, 1)
    return np.hypot(u - p0[0] - t * d[0], v - p0[1] - t * d[1]) - radius


def motion_kernel(rng, length, defocus):
    """A hand's shake during the exposure (a smooth random trajectory of the
    given extent) convolved with a defocus disc, centred on its peak: where
    the lens dwelt longest, which is where the sharpest copy of a stroke
    lies and where anyone marking the ink by hand would put it."""
    r = int(math.ceil(length + defocus)) + 3
    n = 2 * r + 1
    ker = np.zeros((n, n))
    if length > 0.3:
        steps = 200
        vel = np.cumsum(rng.standard_normal((steps, 2)), axis=0)
        vel = vel - vel.mean(axis=0) + rng.standard_normal(2) * 3
        pos = np.cumsum(vel, axis=0)
        ext = max(1e-6, np.max(np.ptp(pos, axis=0)))
        pos = pos / ext * length
        pos -= pos.mean(axis=0)
        for x, y in pos + r:
            j, i = int(x), int(y)
            tx, ty = x - j, y - i
            ker[i, j] += (1 - tx) * (1 - ty)
            ker[i, j + 1] += tx * (1 - ty)
            ker[i + 1, j] += (1 - tx) * ty
            ker[i + 1, j + 1] += tx * ty
    else:
        ker[r, r] = 1
    if defocus > 0.25:
        yy, xx = np.mgrid[-r:r + 1, -r:r + 1]
        sub = np.zeros((n, n))
        for oy in np.linspace(-0.375, 0.375, 4):
            for ox in np.linspace(-0.375, 0.375, 4):
                sub += np.hypot(xx + ox, yy + oy) <= defocus
        ker = np.real(np.fft.ifft2(np.fft.fft2(ker) * np.fft.fft2(np.fft.ifftshift(sub))))
        ker = np.clip(ker, 0, None)
    # the peak of the lightly smoothed kernel; of equal peaks (a plateau) the
    # one nearest the centre, so a kernel without shake is not moved
    sm = box(ker.astype(np.float32), 1)
    yy, xx = np.mgrid[0:n, 0:n]
    near = (yy - r) ** 2 + (xx - r) ** 2
    ties = sm >= sm.max() * (1 - 1e-5)
    peak = np.unravel_index(np.argmin(np.where(ties, near, n * n * 4)), ker.shape)
    ker = np.roll(ker, (r - peak[0], r - peak[1]), axis=(0, 1))
    return ker / ker.sum()


def convolve(img, ker):
    r = ker.shape[0] // 2
    p = np.pad(img, ((r, r), (r, r), (0, 0)), mode="edge")
    kp = np.zeros(p.shape[:2])
    kp[:ker.shape[0], :ker.shape[1]] = ker
    kp = np.roll(kp, (-r, -r), axis=(0, 1))
    F = np.fft.rfft2(kp)
    out = np.stack([np.fft.irfft2(np.fft.rfft2(p[..., c]) * F, s=p.shape[:2]) for c in range(3)], axis=2)
    return out[r:-r, r:-r].astype(np.float32)


def guided(I, r, eps):
    m = box(I, r)
    var = box(I * I, r) - m * m
    a = var / (var + eps)
    b = m - a * m
    return box(a, r) * I + box(b, r)


# ------------------------------------------------------------------ a case

SIGNATURE_PAPER = {"legal-pad": "yellow", "kraft": "kraft", "cream": "cream", "pencil-on-cream": "cream"}


def render(case, seed):
    rng = np.random.default_rng(seed)
    kind = KIND[case]
    sealish = kind == "seal"
    if sealish:
        W, H = int(rng.uniform(620, 960)), int(rng.uniform(620, 960))
    elif kind == "none":
        W, H = int(rng.uniform(620, 1150)), int(rng.uniform(600, 900))
    else:
        W, H = int(rng.uniform(800, 1200)), int(rng.uniform(580, 820))

    warp = Warp(rng, W, H, flat=rng.random() < 0.1)
    gu, gv = np.meshgrid(np.linspace(0, W, 33), np.linspace(0, H, 33))
    bx, by, _ = warp(gu, gv)
    x0, y0 = float(bx.min()) - 8, float(by.min()) - 8
    sheet = Sheet(x0, y0, int((by.max() + 8 - y0) * K), int((bx.max() + 8 - x0) * K))

    # ---- what is on the sheet
    paper = SIGNATURE_PAPER.get(case, rng.choice(["white", "white", "bright", "recycled"]))
    make_paper(sheet, rng, paper)

    xh = rng.uniform(28, 55)  # x-height of the handwriting, sheet units
    cx, cy = W / 2 + rng.uniform(-0.06, 0.06) * W, H / 2 + rng.uniform(-0.08, 0.08) * H
    dots, pen_strokes = [], None
    if kind == "signature":
        latin = case == "i-dots" or rng.random() < 0.55
        strokes, dots = latin_name(rng, dotted_letters=3 if case == "i-dots" else 0) if latin else kanji_name(rng)
        allp = np.vstack([np.asarray(s) for s in strokes])
        lo, hi = allp.min(axis=0), allp.max(axis=0)
        frac = rng.uniform(1.15, 1.4) if case == "cut-by-border" else rng.uniform(0.55, 0.82)
        if case == "signed-and-sealed":
            frac *= 0.75
        scale = min(frac * W / (hi[0] - lo[0]), 0.7 * H / (hi[1] - lo[1]))
        xh = scale
        ox = cx - scale * (lo[0] + hi[0]) / 2
        oy = cy + scale * (lo[1] + hi[1]) / 2
        if case == "cut-by-border":
            ox += rng.choice([-1, 1]) * rng.uniform(0.05, 0.15) * W
            oy += rng.choice([-1, 1]) * rng.uniform(0.1, 0.25) * (hi[1] - lo[1]) * scale
        if case == "signed-and-sealed":
            ox -= 0.12 * W
        place = lambda p: (ox + scale * p[0], oy - scale * p[1])  # noqa: E731
        pen_strokes = [catmull_rom([place(p) for p in s]) for s in strokes]
        dots = [place(p) for p in dots]
        baseline = oy
    else:
        baseline = cy

    rule_kind = {"ruled": "ruled", "squared": "squared", "legal-pad": "legal", "margin-line": "margin"}.get(case)
    if rule_kind:
        xs = [p[0] for s in pen_strokes for p in s]
        margin_x = (min(xs) + rng.uniform(0.1, 0.4) * (max(xs) - min(xs)))
        rules(sheet, rng, rule_kind, xh, baseline + rng.uniform(-0.12, 0.12) * xh, margin_x)

    if rng.random() < (0.5 if case == "blank" else 0.25):
        show_through(sheet, rng, rng.uniform(0.4, 0.8) * xh)

    seal_R = None
    if case in ("seal-over-print", "seal-blue-over-print", "signed-and-sealed"):
        seal_R = (min(W, H) * rng.uniform(0.24, 0.34)) if sealish else xh * rng.uniform(1.8, 2.6)
        size = seal_R * rng.uniform(0.22, 0.4) if sealish else xh * rng.uniform(0.7, 1.0)
        if sealish:
            pl = print_layer(rng, x0, cy - 1.6 * seal_R, x0 + sheet.cols / K, cy + 1.6 * seal_R, size)
        else:
            pl = print_layer(rng, x0, cy - 3.5 * xh, x0 + sheet.cols / K, cy - 2.2 * xh, size)
            # the printed line to sign on, under the name
            ly = baseline + rng.uniform(0.2, 0.6) * xh
            lw = rng.uniform(0.5, 1.2)
            for x in np.arange(0.05 * W, 0.95 * W, lw * 0.5):
                pl.discs.append((x, ly, lw / 2, 1.0))
        r = pl.render(sheet)
        if r is not None:
            apply_ink(sheet, r, (0.04, 0.04, 0.05))

    pen = None
    if pen_strokes is not None:
        if case in ("pencil", "pencil-on-cream"):
            pen = "pencil"
        elif case == "thin-ballpoint":
            pen = rng.choice(["black-ball", "blue-ball"])
        else:
            pen = rng.choice(["black-gel", "blue-gel", "black-ball", "blue-ball", "felt", "fountain"],
                             p=[0.22, 0.12, 0.2, 0.2, 0.12, 0.14])
        width = {"black-gel": (1.8, 3.5), "blue-gel": (1.8, 3.5), "black-ball": (1.2, 2.2), "blue-ball": (1.2, 2.2),
                 "felt": (3.0, 6.0), "fountain": (1.8, 4.0), "pencil": (1.3, 2.6)}[pen]
        width = rng.uniform(*width) * (xh / 40) ** 0.5
        if case == "thin-ballpoint":
            width = rng.uniform(0.75, 1.3)
        contrast = None
        if case == "faint-handwriting":
            contrast, width = rng.uniform(0.13, 0.3), min(width, rng.uniform(1.2, 2.4))
        elif case == "pencil-on-cream":
            contrast = rng.uniform(0.18, 0.3)
        elif case == "pencil":
            contrast = rng.uniform(0.3, 0.55)
        layer, T = pen_layer(rng, pen_strokes, pen, width, contrast)
        dd = layer.discs[0][3] if layer.discs else 1.0
        for x, y in dots:
            layer.discs.append((x, y, width * rng.uniform(0.7, 1.3), dd))
        r = layer.render(sheet)
        if r is not None:
            apply_ink(sheet, finish_pen(sheet, r, pen, rng), T, truth=(kind == "signature"))

    if sealish or case == "signed-and-sealed":
        if seal_R is None:
            seal_R = min(W, H) * rng.uniform(0.24, 0.34)
        if case == "signed-and-sealed":
            xs = [p[0] for s in pen_strokes for p in s]
            scx, scy = max(xs) - rng.uniform(0.0, 0.8) * seal_R, cy + rng.uniform(-0.3, 0.3) * seal_R
        else:
            scx, scy = cx, cy
        ink = rng.choice(["blue", "violet"]) if case == "seal-blue-over-print" else \
            rng.choice(["vermilion", "orange-red", "crimson"], p=[0.5, 0.25, 0.25])
        sl = seal_layer(rng, scx, scy, seal_R)
        r = sl.render(sheet)
        fade = None
        if case == "seal-faded-corner":
            a = rng.uniform(0, 2 * np.pi)
            fade = (math.cos(a), math.sin(a))
        if r is not None:
            apply_ink(sheet, finish_seal(sheet, r, rng, seal_R, fade), SEAL_INKS[ink],
                      hiding=rng.uniform(0.05, 0.3), truth=sealish)

    if case == "lone-speck":
        sx, sy = rng.uniform(0.2, 0.8) * W, rng.uniform(0.2, 0.8) * H
        speck = Layer()
        for _ in range(int(rng.integers(1, 4))):
            speck.discs.append((sx + rng.normal(0, 0.8), sy + rng.normal(0, 0.8), rng.uniform(0.8, 2.0), 1.0))
        r = speck.render(sheet)
        if r is not None:
            apply_ink(sheet, r, (0.12, 0.1, 0.09))

    # ---- trace every output sample back to the sheet (2 x 2 per pixel)
    refl = np.empty((H, W, 3), np.float32)
    cover = np.empty((H, W), np.float32)
    su = (np.arange(2 * W, dtype=np.float32) + 0.5) / 2
    for r0 in range(0, H, 128):
        r1 = min(H, r0 + 128)
        U, V = np.meshgrid(su, (np.arange(2 * r0, 2 * r1, dtype=np.float32) + 0.5) / 2)
        sx, sy, _ = warp(U, V)
        refl[r0:r1] = sample(sheet.refl, sx, sy, sheet).reshape(r1 - r0, 2, W, 2, 3).mean(axis=(1, 3))
        cover[r0:r1] = sample(sheet.truth, sx, sy, sheet).reshape(r1 - r0, 2, W, 2).mean(axis=(1, 3))

    # ---- light
    u, v = np.meshgrid(np.arange(W, dtype=np.float32) + 0.5, np.arange(H, dtype=np.float32) + 0.5)
    _, _, Z = warp(u, v)
    if rng.random() < 0.4:
        Z = Z + rng.uniform(0.5, 3) * smooth_noise(rng, H, W, rng.uniform(50, 150))  # crumpled
    Zy, Zx = np.gradient(Z)
    elev = math.radians(rng.uniform(20, 55))
    azim = rng.uniform(0, 2 * np.pi)
    lx, ly, lz = math.sin(elev) * math.cos(azim), math.sin(elev) * math.sin(azim), math.cos(elev)
    if case == "flash-glare":  # the flash sits by the lens: frontal light, falling off outwards
        lx, ly, lz = 0.0, 0.0, 1.0
    shade = np.clip((-Zx * lx - Zy * ly + lz) / np.sqrt(1 + Zx * Zx + Zy * Zy) / lz, 0, 2)
    direct_c = np.asarray(LIGHTS[rng.choice(list(LIGHTS))], np.float32)
    amb_c = direct_c if rng.random() < 0.5 else np.asarray(LIGHTS[rng.choice(list(LIGHTS))], np.float32)
    amb = rng.uniform(0.15, 0.45)
    fall = np.ones((H, W), np.float32)
    if case == "uneven-light" or rng.random() < 0.3:
        px_, py_ = rng.uniform(-0.3, 1.3) * W, rng.uniform(-0.3, 1.3) * H
        R0 = rng.uniform(0.5, 1.2) * max(W, H) if case == "uneven-light" else rng.uniform(1.5, 3) * max(W, H)
        fall = 1 / (1 + ((u - px_) ** 2 + (v - py_) ** 2) / R0 ** 2)
        fall = fall / fall.max()
    if case == "flash-glare":
        fall = 1 / (1 + ((u - W / 2) ** 2 + (v - H / 2) ** 2) / (rng.uniform(0.8, 1.5) * max(W, H)) ** 2)
    if case == "uneven-light":
        fall = fall * np.clip(1 + 0.25 * smooth_noise(rng, H, W, 300), 0.4, 1.4)
    blocked = np.zeros((H, W), np.float32)
    thumb = np.zeros((H, W), np.float32)
    if case == "finger-shadow":
        side = rng.integers(4)
        t = rng.uniform(0.25, 0.75)
        ends = [((t * W, H + 40), (0, -1)), ((t * W, -40), (0, 1)), ((-40, t * H), (1, 0)), ((W + 40, t * H), (-1, 0))]
        base, dirn = ends[side]
        ang = rng.uniform(-0.5, 0.5)
        dirn = (dirn[0] * math.cos(ang) - dirn[1] * math.sin(ang), dirn[0] * math.sin(ang) + dirn[1] * math.cos(ang))
        span = (H if side < 2 else W)
        rad = rng.uniform(0.05, 0.1) * min(W, H) * 1.4
        off = np.asarray([-dirn[1], dirn[0]]) * rng.uniform(0.4, 1.2) * rad * rng.choice([-1, 1])
        tip_s = (base[0] + dirn[0] * span * rng.uniform(0.6, 0.95), base[1] + dirn[1] * span * rng.uniform(0.6, 0.95))
        penumbra = rng.uniform(2, 10)
        dist = capsule(u, v, (base[0] + off[0], base[1] + off[1]), (tip_s[0] + off[0], tip_s[1] + off[1]), rad)
        blocked = np.maximum(blocked, smoothstep(penumbra, -penumbra, dist))
        if rng.random() < 0.6:  # the finger itself, in front of the sheet at the border
            reach = span * rng.uniform(0.12, 0.25)
            tip_f = (base[0] + dirn[0] * reach, base[1] + dirn[1] * reach)
            thumb = smoothstep(1.0, -1.0, capsule(u, v, base, tip_f, rad * 1.1)).astype(np.float32)
    elif case == "soft-shadow":
        a = rng.uniform(0, 2 * np.pi)
        nx, ny = math.cos(a), math.sin(a)
        edge = (u - W / 2) * nx + (v - H / 2) * ny - rng.uniform(-0.25, 0.2) * min(W, H)
        penumbra = rng.uniform(40, 160)
        blocked = smoothstep(-penumbra, penumbra, edge) * rng.uniform(0.55, 0.9)
    elif case == "seal-hard-shadow":
        a = rng.uniform(0, 2 * np.pi)
        nx, ny = math.cos(a), math.sin(a)
        edge = (u - W / 2) * nx + (v - H / 2) * ny - rng.uniform(-0.3, 0.3) * min(W, H)
        edge = edge + rng.uniform(0, 15) * np.sin(u / rng.uniform(200, 600) + v / rng.uniform(200, 600))
        penumbra = rng.uniform(1.0, 4.0)
        blocked = smoothstep(-penumbra, penumbra, edge)
    E = (amb * amb_c[None, None, :] + (1 - amb) * (direct_c[None, None, :] * (shade * fall * (1 - blocked))[..., None]))
    rad_ = E * refl
    if thumb.any():
        skin = np.asarray([0.5, 0.29, 0.2], np.float32) * rng.uniform(0.8, 1.15)
        across = capsule(u, v, base, tip_f, 0) / (rad * 1.1)  # a finger is round: Lambert across it
        roll = np.sqrt(np.clip(1 - across ** 2, 0.04, 1))
        skin_rad = (amb * amb_c + (1 - amb) * direct_c)[None, None, :] * skin[None, None, :] * roll[..., None]
        rad_ = rad_ * (1 - thumb[..., None]) + skin_rad * thumb[..., None]
        cover = cover * (thumb < 0.5)

    # ---- camera
    Y = rad_ @ np.asarray([0.2126, 0.7152, 0.0722], np.float32)
    expo = rng.uniform(0.72, 0.9) / max(1e-4, float(np.percentile(Y[::4, ::4], 98)))
    dim = rng.uniform(0.2, 0.4) if case == "noise" else 1.0  # a dim room: gain after the sensor
    rad_ = rad_ * expo
    if case == "flash-glare":
        gx, gy = rng.uniform(0.3, 0.7) * W, rng.uniform(0.3, 0.7) * H
        sig = rng.uniform(0.08, 0.2) * min(W, H)
        core = np.exp(-((u - gx) ** 2 + (v - gy) ** 2) / (2 * sig ** 2))
        halo = np.exp(-((u - gx) ** 2 + (v - gy) ** 2) / (2 * (3 * sig) ** 2))
        veil = rng.uniform(0.3, 0.55) * core + 0.12 * halo
        rad_ = rad_ + veil[..., None] * (direct_c / direct_c.max())[None, None, :]
    vig_f = rng.uniform(0.45, 0.8) if case == "vignette" else rng.uniform(1.2, 3.0)
    vcx, vcy = W / 2 + rng.uniform(-0.3, 0.3) * W, H / 2 + rng.uniform(-0.3, 0.3) * H
    vr2 = ((u - vcx) ** 2 + (v - vcy) ** 2) / (vig_f * math.hypot(W, H)) ** 2
    rad_ = rad_ * (1 / (1 + vr2) ** 2)[..., None]

    blur_len = rng.uniform(3.0, 8.0) if case == "blurred" else rng.uniform(0, 2.2)
    defocus = rng.uniform(1.4, 2.8) if case == "blurred" else rng.uniform(0.3, 1.0)
    rad_ = convolve(rad_, motion_kernel(rng, blur_len, defocus))

    a_shot = rng.uniform(3e-5, 3e-4)
    b_read = rng.uniform(1e-6, 2e-5)
    if case == "noise":
        a_shot, b_read = rng.uniform(1e-3, 3e-3), rng.uniform(5e-5, 2e-4)
    rad_ = np.clip(rad_, 0, None)
    sensed = rad_ * dim
    noisy = (sensed + np.sqrt(a_shot * sensed + b_read) * rng.standard_normal(rad_.shape).astype(np.float32)) / dim

    # white balance: the phone guesses most of the light's colour, and a
    # coloured sheet that fills the frame fools it a little
    Yb = noisy[::4, ::4] @ np.asarray([0.2126, 0.7152, 0.0722], np.float32)
    sel = noisy[::4, ::4][Yb >= np.percentile(Yb, 90)]
    light = amb * amb_c + (1 - amb) * direct_c
    est = np.maximum(sel.mean(axis=0), 1e-4) / light
    gains = (light.mean() / light) ** rng.uniform(0.55, 0.95) * (est.mean() / est) ** rng.uniform(0, 0.3)
    img = np.clip(noisy * gains[None, None, :].astype(np.float32), 0, None)

    # local tone mapping
    if case in ("finger-shadow", "soft-shadow", "seal-hard-shadow", "uneven-light") or rng.random() < 0.4:
        Yl = np.maximum(img @ np.asarray([0.2126, 0.7152, 0.0722], np.float32), 1e-4)
        L = np.log(Yl)
        base = gauss(L, rng.uniform(12, 40))
        m = float(base.mean())
        c, dgain = rng.uniform(0.5, 0.85), rng.uniform(1.0, 1.15)
        L2 = m + c * (base - m) + dgain * (L - base)
        img = img * np.exp(L2 - L)[..., None]
        img = img * (rng.uniform(0.8, 0.92) / max(1e-4, float(np.percentile(img[::4, ::4, 1], 98))))

    img = np.clip(img, 0, 1)
    srgb = np.where(img <= 0.0031308, 12.92 * img, 1.055 * np.power(img, 1 / 2.4) - 0.055).astype(np.float32)

    # a cheap phone's noise reduction, then sharpening
    Yg = srgb @ np.asarray([0.299, 0.587, 0.114], np.float32)
    cb, cr = srgb[..., 2] - Yg, srgb[..., 0] - Yg
    rc = int(rng.integers(1, 5))
    cb, cr = box(cb, rc), box(cr, rc)
    strong = rng.random() < 0.35 and case != "noise"
    eps = rng.uniform(0.0008, 0.004) if strong else rng.uniform(2e-5, 1e-4 if case == "noise" else 4e-4)
    Yg = guided(Yg, int(rng.integers(2, 5)) if strong else int(rng.integers(1, 3)), eps)
    amt, sg = rng.uniform(0.2, 1.0), rng.uniform(0.8, 1.5)
    Yg = Yg + amt * (Yg - gauss(Yg, sg))
    r_ = Yg + cr
    b_ = Yg + cb
    g_ = (Yg - 0.299 * r_ - 0.114 * b_) / 0.587
    out = np.clip(np.stack([r_, g_, b_], axis=2), 0, 1)
    k = rng.uniform(0, 0.3)
    out = (1 - k) * out + k * out * out * (3 - 2 * out)

    q = 60 if case == "jpeg-q60" else int(rng.integers(74, 95))
    sub = 2 if case == "jpeg-q60" or rng.random() < 0.7 else 0
    buf = io.BytesIO()
    Image.fromarray((out * 255 + 0.5).astype(np.uint8)).save(buf, "JPEG", quality=q, subsampling=sub)
    truth = cover >= 0.5 if kind != "none" else np.zeros((H, W), bool)
    return buf.getvalue(), truth
