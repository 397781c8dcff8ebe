"""Photo generator "form": a signed or stamped paper form, photographed by hand
with a phone.

What it models, and why
-----------------------
Most signatures and seals that reach the clean-up were not scanned: somebody
laid an application form, a delivery slip, a contract page, a letter, a
greeting card or a notebook page on a table and took a picture of it with a
phone held at an angle. This generator builds such a photo from physical parts
so that every difficulty comes from something that happens in front of a real
camera, and so that the exact ink footprint is known.

* Geometry. The sheet is a plane measured in millimetres. A pinhole camera
  (focal length 0.8-1.4 picture widths) looks at it tilted by 3-28 degrees
  about a random axis and rolled by a few degrees, giving a true homography.
  The sheet may end inside the frame, with a wooden table, a fabric or a desk
  mat around it (never ink), and a thin shadow along its edge.
* Layers, each drawn in picture space by mapping its outline through the same
  homography: the pen's or the seal's footprint at 4x the picture's resolution
  (box-reduced, so the truth is "covers at least half of the pixel"), the
  print at 2x, the paper and lights at 1x. Nothing is warped as a raster, so
  thin lines keep their width.
* Print: glyph-like text blocks, boxes, rules, a signature line with a printed
  "x" or a small label under it, halftone grey bands and cells, a tinted
  colour logo, notebook rules, squared grids, a legal pad's red double
  margin. Print is toner or offset ink (its own optical density), never truth.
* Paper: copier white with brightener, glossy card (specular glare), recycled
  (grey, flecks, absorbent: fluid inks feather along fibres), coloured forms,
  cream, kraft, yellow legal pad. Albedo has cloud-like formation and fibres.
* Writing: a cursive Latin name (letters as keypoint paths joined by
  Catmull-Rom curves, slant, shrinking tail, i-dots, t-bars, underline) or a
  name of kanji-like characters (horizontal, vertical and falling strokes,
  hooks, dots, boxes). A pen-pressure profile sets width and deposit. Pens:
  ballpoint (skips, grainy), gel, felt tip, marker, fountain pen (width
  follows the nib angle, pooling at stroke ends), pencil (deposit follows the
  paper's tooth). Widths are 1-7 px in the picture.
* Seals: round, oval or square, ring and stylised characters (red characters,
  or a red field with white characters), uneven paste, voids, sometimes a
  second impression a pixel or two off; vermilion, or blue/violet.
* Ink is a subtractive layer: Beer-Lambert optical density per channel,
  multiplied with the paper in linear light; a quarter of the photos multiply
  in stored (gamma-encoded) values instead, like a paint program would.
* Light: overhead light with a soft gradient, an oblique desk lamp of another
  colour temperature, shadows of a finger, a hand, the photographer or an
  object edge (each blocks one of the lights, so shadows change colour), flash
  with its hot spot and glare, vignetting, overexposure that clips the paper.
* Camera: defocus growing away from the focus line (the tilt), motion blur,
  lateral chromatic aberration, a Bayer sensor with shot and read noise,
  bilinear demosaicing, white balance fitted to the main light, chroma and
  luma denoising, unsharp-mask halos, JPEG at quality 50-95 (mostly 4:2:0).

Truth: a picture pixel is ink when the pen's (signature classes) or the seal's
(seal classes) footprint covers at least 8 of its 16 sub-samples, traced
through the camera geometry before any blur. A dry pen's or a pencil's grainy
deposit counts where the stroke passed; a seal's voids do not. Print, rules,
shadows, dust, the other mark (the seal in "signed-and-sealed") and the
surroundings are never truth.
"""
import io
from types import SimpleNamespace

import numpy as np
from PIL import Image, ImageDraw

from classes import KIND

SS_INK = 4      # sub-samples per picture pixel and axis for ink and truth
SS_PRINT = 2    # ... for print and the sheet's outline


# ----------------------------------------------------------------- helpers

def _smoothstep(e0, e1, x):
    t = np.clip((x - e0) / (e1 - e0), 0.0, 1.0)
    return t * t * (3.0 - 2.0 * t)


def _noise(rng, h, w, cell):
    """Smooth noise in about [-1, 1] on an h x w grid, features of `cell` px."""
    gh, gw = max(2, int(h / cell) + 2), max(2, int(w / cell) + 2)
    grid = rng.uniform(-1, 1, (gh, gw)).astype(np.float32)
    return np.asarray(Image.fromarray(grid, "F").resize((w, h), Image.BICUBIC))


def _plane_noise(rng, X, Y, cell):
    """Smooth noise fixed to the sheet's plane (so it follows the perspective)."""
    x0, y0 = float(X.min()), float(Y.min())
    gx, gy = (X - x0) / cell, (Y - y0) / cell
    nx, ny = int(gx.max()) + 2, int(gy.max()) + 2
    grid = rng.uniform(-1, 1, (ny, nx)).astype(np.float32)
    ix, iy = gx.astype(np.int32), gy.astype(np.int32)
    fx, fy = gx - ix, gy - iy
    fx, fy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
    top = grid[iy, ix] * (1 - fx) + grid[iy, ix + 1] * fx
    bot = grid[iy + 1, ix] * (1 - fx) + grid[iy + 1, ix + 1] * fx
    return top * (1 - fy) + bot * fy


def _fft_blur(img, transfer, pad):
    """Filters each channel of img (h, w[, c]) by a transfer function of the
    frequencies (fy, fx), or by each of a list of them; edges are mirrored so
    nothing wraps around."""
    many = isinstance(transfer, (list, tuple))
    chans = img[..., None] if img.ndim == 2 else img
    h, w = chans.shape[:2]
    p = np.pad(chans, ((pad, pad), (pad, pad), (0, 0)), mode="reflect")
    fy = np.fft.fftfreq(p.shape[0])[:, None]
    fx = np.fft.rfftfreq(p.shape[1])[None, :]
    tfs = [t(fy, fx) for t in (transfer if many else [transfer])]
    outs = [np.empty_like(chans) for _ in tfs]
    for c in range(chans.shape[2]):
        f = np.fft.rfft2(p[..., c])
        for tf, out in zip(tfs, outs):
            out[..., c] = np.fft.irfft2(f * tf, s=p.shape[:2])[pad:pad + h, pad:pad + w]
    outs = [o[..., 0] if img.ndim == 2 else o for o in outs]
    return outs if many else outs[0]


def _gauss_tf(sigma):
    return lambda fy, fx: np.exp(-2 * (np.pi * sigma) ** 2 * (fx * fx + fy * fy))


def _small_blur(img, sigma):
    """Separable Gaussian for small sigmas (denoising, sharpening)."""
    r = max(1, int(np.ceil(3 * sigma)))
    k = np.exp(-0.5 * (np.arange(-r, r + 1) / sigma) ** 2)
    k = (k / k.sum()).astype(np.float32)
    out = img
    for axis in (0, 1):
        pad = [(0, 0)] * img.ndim
        pad[axis] = (r, r)
        p = np.pad(out, pad, mode="edge")
        n = out.shape[axis]
        acc = np.zeros_like(out)
        for i, kv in enumerate(k):
            acc += kv * (p[i:i + n] if axis == 0 else p[:, i:i + n])
        out = acc
    return out


def _srgb_encode(x):
    x = np.clip(x, 0.0, 1.0)
    return np.where(x <= 0.0031308, 12.92 * x, 1.055 * np.power(x, 1 / 2.4) - 0.055)


def _srgb_decode(y):
    y = np.clip(y, 0.0, 1.0)
    return np.where(y <= 0.04045, y / 12.92, np.power((y + 0.055) / 1.055, 2.4))


def _cct_rgb(kelvin):
    """Rough linear RGB of a light of this colour temperature, green = 1."""
    table = np.array([[2700, 1.45, 1.0, 0.52], [3200, 1.32, 1.0, 0.62], [4000, 1.18, 1.0, 0.76],
                      [5000, 1.07, 1.0, 0.90], [6500, 0.96, 1.0, 1.04], [8000, 0.90, 1.0, 1.14]])
    return np.array([np.interp(kelvin, table[:, 0], table[:, i]) for i in (1, 2, 3)], np.float32)


# ---------------------------------------------------------------- geometry

class _View:
    """The camera: a homography from the sheet's plane (mm) to picture px."""

    def __init__(self, W, H, ppm, tilt, azim, roll, focal):
        self.W, self.H, self.ppm = W, H, ppm
        ax = np.array([np.cos(azim), np.sin(azim), 0.0])
        kx = np.array([[0, -ax[2], ax[1]], [ax[2], 0, -ax[0]], [-ax[1], ax[0], 0]])
        rt = np.eye(3) + np.sin(tilt) * kx + (1 - np.cos(tilt)) * kx @ kx
        rz = np.array([[np.cos(roll), -np.sin(roll), 0], [np.sin(roll), np.cos(roll), 0], [0, 0, 1]])
        r = rz @ rt
        k = np.array([[focal, 0, W / 2], [0, focal, H / 2], [0, 0, 1]])
        m = k @ np.column_stack([r[:, 0], r[:, 1], [0, 0, focal / ppm]])
        self.M = m / m[2, 2]
        self.Minv = np.linalg.inv(self.M)
        # far enough out to hold anything seen, near enough to stay in front
        # of the camera: shapes are clipped to it before projection
        self.safe = self.visible(margin=0.3 * W)

    def px(self, pts, k=1):
        p = np.asarray(pts, float) @ self.M[:, :2].T + self.M[:, 2]
        return p[:, :2] / p[:, 2:3] * k

    def plane(self, u, v):
        p = np.stack([u, v, np.ones_like(u)], -1) @ self.Minv.T
        return p[..., 0] / p[..., 2], p[..., 1] / p[..., 2]

    def visible(self, margin=0.0):
        """Bounding box (mm) of the plane seen by the picture."""
        m = margin
        c = np.array([[-m, -m], [self.W + m, -m], [self.W + m, self.H + m], [-m, self.H + m]], float)
        x, y = self.plane(c[:, 0], c[:, 1])
        return x.min(), y.min(), x.max(), y.max()


def _spline(keys, spacing):
    """Catmull-Rom curve through keypoints, resampled every `spacing`."""
    k = np.asarray(keys, float)
    if len(k) < 2:
        return k.copy()
    p = np.vstack([2 * k[0] - k[1], k, 2 * k[-1] - k[-2]])
    p0, p1, p2, p3 = p[:-3], p[1:-2], p[2:-1], p[3:]
    t = np.linspace(0, 1, 16, endpoint=False)[None, :, None]
    c = 0.5 * (2 * p1[:, None] + (p2 - p0)[:, None] * t + (2 * p0 - 5 * p1 + 4 * p2 - p3)[:, None] * t ** 2
               + (3 * p1 - p0 - 3 * p2 + p3)[:, None] * t ** 3)
    c = np.vstack([c.reshape(-1, 2), k[-1:]])
    s = np.concatenate([[0], np.cumsum(np.hypot(*np.diff(c, axis=0).T))])
    n = max(2, int(s[-1] / spacing) + 1)
    si = np.linspace(0, s[-1], n)
    return np.column_stack([np.interp(si, s, c[:, 0]), np.interp(si, s, c[:, 1])])


def _polyline(keys, spacing):
    """Straight segments through keypoints, resampled (seal strokes)."""
    k = np.asarray(keys, float)
    s = np.concatenate([[0], np.cumsum(np.hypot(*np.diff(k, axis=0).T))])
    n = max(2, int(s[-1] / spacing) + 1)
    si = np.linspace(0, s[-1], n)
    return np.column_stack([np.interp(si, s, k[:, 0]), np.interp(si, s, k[:, 1])])


# ------------------------------------------------------------- handwriting

# Cursive lower-case letters: advance and keypoints in x-heights (y up,
# baseline 0). Extras: "dot" for i/j, "bar" for t.
_LATIN = {
    "a": (0.95, [(0.7, 0.8), (0.35, 0.98), (0.05, 0.5), (0.3, 0.0), (0.62, 0.45), (0.72, 0.98),
                 (0.68, 0.25), (0.95, 0.08)]),
    "b": (0.9, [(0.15, 1.2), (0.4, 2.4), (0.2, 2.3), (0.15, 0.0), (0.55, 0.8), (0.75, 0.4), (0.45, 0.0),
                (0.9, 0.3)]),
    "c": (0.75, [(0.65, 0.85), (0.35, 0.98), (0.05, 0.45), (0.3, 0.0), (0.75, 0.12)]),
    "d": (0.95, [(0.7, 0.8), (0.35, 0.98), (0.05, 0.5), (0.3, 0.0), (0.62, 0.45), (0.8, 2.3), (0.7, 0.25),
                 (0.95, 0.08)]),
    "e": (0.75, [(0.1, 0.3), (0.6, 0.62), (0.45, 0.98), (0.1, 0.6), (0.2, 0.05), (0.75, 0.12)]),
    "g": (0.9, [(0.7, 0.8), (0.35, 0.98), (0.05, 0.5), (0.3, 0.05), (0.65, 0.5), (0.72, 0.98), (0.65, -0.9),
                (0.3, -1.1), (0.15, -0.7), (0.9, 0.1)]),
    "h": (0.95, [(0.1, 1.2), (0.35, 2.4), (0.15, 2.3), (0.12, 0.0), (0.3, 0.7), (0.6, 0.95), (0.68, 0.35),
                 (0.72, 0.0), (0.95, 0.12)]),
    "i": (0.5, [(0.25, 0.98), (0.2, 0.12), (0.5, 0.1)], ("dot", 0.28, 1.65)),
    "j": (0.6, [(0.3, 0.98), (0.3, -0.8), (0.1, -1.1), (0.0, -0.8), (0.6, 0.1)], ("dot", 0.33, 1.65)),
    "k": (0.95, [(0.1, 1.2), (0.35, 2.4), (0.15, 2.3), (0.12, 0.0), (0.3, 0.55), (0.7, 0.95), (0.35, 0.5),
                 (0.7, 0.0), (0.95, 0.12)]),
    "l": (0.6, [(0.15, 1.0), (0.45, 2.5), (0.25, 2.45), (0.15, 0.1), (0.6, 0.12)]),
    "m": (1.35, [(0.1, 0.98), (0.1, 0.0), (0.3, 0.8), (0.48, 0.92), (0.55, 0.0), (0.75, 0.8), (0.95, 0.92),
                 (1.05, 0.0), (1.35, 0.12)]),
    "n": (0.95, [(0.1, 0.98), (0.1, 0.0), (0.3, 0.8), (0.58, 0.92), (0.68, 0.0), (0.95, 0.12)]),
    "o": (0.85, [(0.45, 0.98), (0.1, 0.5), (0.35, 0.0), (0.7, 0.45), (0.45, 0.98), (0.6, 0.78),
                 (0.85, 0.75)]),
    "p": (0.95, [(0.15, 0.98), (0.15, -1.1), (0.15, 0.4), (0.45, 0.95), (0.75, 0.5), (0.45, 0.0),
                 (0.2, 0.15), (0.95, 0.12)]),
    "r": (0.75, [(0.1, 0.98), (0.25, 0.8), (0.45, 1.0), (0.4, 0.0), (0.75, 0.15)]),
    "s": (0.7, [(0.4, 0.98), (0.15, 0.7), (0.55, 0.35), (0.35, 0.0), (0.05, 0.1), (0.7, 0.12)]),
    "t": (0.6, [(0.35, 1.9), (0.25, 0.1), (0.6, 0.12)], ("bar", 0.0, 1.3)),
    "u": (0.95, [(0.1, 0.98), (0.12, 0.2), (0.35, 0.0), (0.62, 0.45), (0.7, 0.98), (0.7, 0.15),
                 (0.95, 0.1)]),
    "v": (0.8, [(0.1, 0.98), (0.35, 0.0), (0.6, 0.98), (0.8, 0.9)]),
    "w": (1.15, [(0.1, 0.98), (0.3, 0.0), (0.55, 0.8), (0.75, 0.0), (0.95, 0.98), (1.15, 0.9)]),
    "y": (0.9, [(0.1, 0.98), (0.15, 0.2), (0.35, 0.0), (0.62, 0.45), (0.7, 0.98), (0.65, -0.9),
                (0.3, -1.1), (0.15, -0.7), (0.9, 0.1)]),
}
_FREQ = "aaaeeeeiiinnnooorrrsssttlllcdhmuuybgkpvwj"
_CAPS = [
    [(0.4, 0.2), (0.7, 2.8), (0.3, 3.0), (0.05, 2.6), (0.3, 1.2), (0.6, 0.0), (0.9, 0.4)],
    [(0.1, 0.0), (0.45, 2.9), (0.75, 0.0), (0.3, 1.2), (1.05, 1.35)],
    [(0.2, 2.6), (0.8, 3.0), (1.0, 2.4), (0.4, 1.6), (1.0, 0.9), (0.6, 0.0), (0.1, 0.3)],
    [(1.0, 2.6), (0.5, 3.0), (0.0, 1.5), (0.4, 0.0), (1.0, 0.4)],
    [(0.1, 0.0), (0.15, 2.8), (0.6, 0.8), (1.0, 2.8), (1.1, 0.0), (1.3, 0.2)],
    [(0.0, 2.5), (0.6, 2.9), (1.1, 2.7), (0.6, 2.8), (0.5, 0.0), (0.1, 0.2), (0.9, 0.4)],
]


def _latin_name(rng, want_dots=False):
    """Strokes of a cursive name, in x-heights, y down; and the baseline."""
    strokes, extras = [], []
    n_words = int(rng.choice([1, 2, 2, 3], p=[0.25, 0.45, 0.2, 0.1]))
    x = 0.0
    for wi in range(n_words):
        n = int(rng.integers(1, 4)) if (wi < n_words - 1 and rng.random() < 0.4) else int(rng.integers(3, 9))
        letters = [rng.choice(list(_FREQ)) for _ in range(n)]
        if want_dots:   # dotted letters in every word
            for _ in range(int(rng.integers(1, 4))):
                letters[int(rng.integers(0, n))] = rng.choice(["i", "i", "i", "j", "t"])
        keys = [(x - 0.25, 0.05)]
        cap = _CAPS[int(rng.integers(len(_CAPS)))]
        cs = rng.uniform(0.8, 1.15)
        keys += [(x + cx * cs, cy * cs) for cx, cy in cap]
        x += 1.1 * cs + 0.1
        fade = rng.uniform(0.0, 0.35)          # signatures shrink towards the end
        for li, ch in enumerate(letters):
            adv, pts, *extra = _LATIN[ch]
            sz = 1.0 - fade * li / max(1, n - 1)
            wsc = rng.uniform(0.8, 1.25)
            keys += [(x + px * wsc, py * sz) for px, py in pts]
            for kind, ex, ey in extra:
                extras.append((kind, x + ex * wsc, ey * sz, sz))
            x += adv * wsc
        if rng.random() < 0.35:   # a trailing stroke
            keys += [(x + rng.uniform(0.8, 2.0), rng.uniform(-0.5, 0.4)),
                     (x + rng.uniform(2, 3.5), rng.uniform(0, 0.8))]
            x += 2.5
        keys = np.array(keys) + rng.normal(0, 0.05, (len(keys), 2))
        # a long word is sometimes lifted once in the middle
        if len(keys) > 16 and rng.random() < 0.3:
            cut = int(rng.integers(6, len(keys) - 6))
            strokes += [keys[:cut + 1], keys[cut + 1:]]
        else:
            strokes.append(keys)
        x += rng.uniform(0.7, 1.4)
    for kind, ex, ey, sz in extras:
        if kind == "dot":
            c = np.array([ex, ey]) + rng.normal(0, [0.12, 0.15])
            d = rng.normal(0, 0.08, 2) + [rng.uniform(0.0, 0.2), 0.0]
            strokes.append(np.array([c, c + d]))
        else:
            ln = rng.uniform(0.6, 1.1) * sz
            y0 = ey + rng.normal(0, 0.1)
            strokes.append(np.array([(ex - 0.1, y0), (ex + ln / 2, y0 + 0.05), (ex + ln, y0 + rng.normal(0.05, 0.1))]))
    if rng.random() < 0.3:   # underline flourish
        x1 = x * rng.uniform(0.6, 1.0)
        strokes.append(np.array([(0.0, -0.6), (x1 * 0.4, -0.9), (x1 * 0.8, -0.75), (x1, -0.5)])
                       + rng.normal(0, 0.06, (4, 2)))
    slant = np.tan(np.radians(rng.uniform(0, 28)))
    out = []
    for s in strokes:
        s = np.asarray(s, float)
        out.append(np.column_stack([s[:, 0] + slant * s[:, 1], -s[:, 1]]))
    return out


def _kanji_component(rng, x0, y0, x1, y1):
    """Strokes (keypoint arrays, unit box, y down) of a character part."""
    w, h = x1 - x0, y1 - y0
    cx = x0 + w * rng.uniform(0.4, 0.6)
    j = lambda: rng.normal(0, 0.02)   # noqa: E731
    kind = rng.choice(["stack", "box", "tree", "person", "water", "hook"], p=[.25, .22, .15, .13, .1, .15])
    s = []
    if kind == "stack":
        n = int(rng.integers(2, 5))
        ys = np.linspace(y0 + 0.1 * h, y1 - 0.08 * h, n)
        for i, y in enumerate(ys):
            a = x0 + w * rng.uniform(0.05, 0.25) if i != n - 1 else x0 + 0.02 * w
            b = x1 - w * rng.uniform(0.05, 0.25) if i != n - 1 else x1 - 0.02 * w
            s.append([(a, y + j()), (b, y - 0.03 * w + j())])
        s.insert(1, [(cx, ys[0] - 0.05 * h), (cx + j(), ys[-1] + (0.05 * h if rng.random() < 0.5 else 0))])
    elif kind == "box":
        a, b = x0 + 0.12 * w, x1 - 0.12 * w
        t, u = y0 + 0.12 * h, y1 - 0.1 * h
        s.append([(a, t), (a + j(), u)])
        s.append([(a, t), (b, t + j()), (b - 0.02 * w, u)])
        for yy in np.linspace(t, u, int(rng.integers(2, 4)))[1:]:
            s.append([(a, yy), (b, yy + j())])
    elif kind == "tree":
        s.append([(x0 + 0.05 * w, y0 + 0.35 * h), (x1 - 0.05 * w, y0 + 0.32 * h)])
        s.append([(cx, y0 + 0.05 * h), (cx + j(), y1 - 0.02 * h)])
        s.append([(cx - 0.02 * w, y0 + 0.4 * h), (cx - 0.2 * w, y0 + 0.7 * h), (x0 + 0.05 * w, y1 - 0.15 * h)])
        s.append([(cx + 0.03 * w, y0 + 0.42 * h), (cx + 0.25 * w, y0 + 0.7 * h), (x1 - 0.02 * w, y1 - 0.1 * h)])
    elif kind == "person":
        s.append([(cx + 0.05 * w, y0 + 0.05 * h), (cx - 0.1 * w, y0 + 0.5 * h), (x0 + 0.05 * w, y1 - 0.05 * h)])
        s.append([(cx - 0.02 * w, y0 + 0.4 * h), (cx + 0.2 * w, y0 + 0.75 * h), (x1 - 0.02 * w, y1 - 0.02 * h)])
    elif kind == "water":
        for yy in (0.15, 0.45):
            p = (x0 + 0.3 * w, y0 + yy * h)
            s.append([p, (p[0] + 0.25 * w, p[1] + 0.1 * h)])
        s.append([(x0 + 0.15 * w, y1 - 0.1 * h), (x0 + 0.6 * w, y0 + 0.65 * h)])
    else:
        s.append([(x0 + 0.1 * w, y0 + 0.2 * h), (x1 - 0.1 * w, y0 + 0.18 * h), (x1 - 0.15 * w, y1 - 0.1 * h),
                  (x1 - 0.3 * w, y1 - 0.2 * h)])
        s.append([(cx, y0 + 0.05 * h), (cx - 0.1 * w, y0 + 0.6 * h), (x0 + 0.05 * w, y1 - 0.05 * h)])
    if rng.random() < 0.25:   # a dot on top
        s.append([(cx - 0.05 * w, y0 - 0.02 * h), (cx + 0.05 * w, y0 + 0.08 * h)])
    return [np.array(k, float) for k in s]


def _kanji_char(rng):
    layout = rng.choice(["one", "lr", "tb", "frame"], p=[0.3, 0.4, 0.2, 0.1])
    if layout == "one":
        parts = [(0, 0, 1, 1)]
    elif layout == "lr":
        m = rng.uniform(0.3, 0.45)
        parts = [(0, 0, m, 1), (m + 0.05, 0, 1, 1)]
    elif layout == "tb":
        m = rng.uniform(0.35, 0.55)
        parts = [(0.1, 0, 0.9, m), (0, m + 0.05, 1, 1)]
    else:
        parts = [(0.22, 0.25, 0.78, 0.85)]
    strokes = []
    for p in parts:
        strokes += _kanji_component(rng, *p)
    if layout == "frame":
        strokes = [np.array([(0.05, 0.05), (0.05, 0.98)]), np.array([(0.05, 0.05), (0.95, 0.05), (0.95, 0.95),
                                                                      (0.85, 0.9)])] + strokes
    return strokes


def _kanji_name(rng):
    """Strokes of a name of 2-4 kanji-like characters, in char heights."""
    n = int(rng.integers(2, 5))
    out, x = [], 0.0
    cursive = rng.random() < 0.4
    for _ in range(n):
        sz = rng.uniform(0.85, 1.1)
        strokes = [s * sz + [x, rng.normal(0, 0.04)] for s in _kanji_char(rng)]
        if cursive:   # semi-cursive: some strokes run into the next one
            merged = [strokes[0]]
            for s in strokes[1:]:
                if rng.random() < 0.35:
                    merged[-1] = np.vstack([merged[-1], s])
                else:
                    merged.append(s)
            strokes = merged
        out += [s + rng.normal(0, 0.012, s.shape) for s in strokes]
        x += sz * rng.uniform(1.02, 1.2)
    shear = np.tan(np.radians(rng.uniform(-4, 10)))
    return [np.column_stack([s[:, 0] - shear * (s[:, 1] - 0.5), s[:, 1]]) for s in out]


# ---------------------------------------------------------------------- pens

_INKS = {   # optical density per channel at full deposit
    "black": (1.15, 1.15, 1.08), "blue": (1.15, 0.78, 0.22), "green": (1.0, 0.38, 0.85),
    "purple": (0.55, 1.05, 0.32), "blue-black": (1.05, 0.9, 0.55), "graphite": (0.62, 0.62, 0.6),
}


def _pen(rng, case):
    if case in ("pencil", "pencil-on-cream"):
        kind = "pencil"
    elif case == "thin-ballpoint":
        kind = "ballpoint"
    else:
        kind = rng.choice(["ballpoint", "gel", "felt", "marker", "fountain", "pencil"],
                          p=[0.36, 0.2, 0.13, 0.05, 0.14, 0.12])
    if case == "faint-handwriting" and kind in ("marker", "felt"):
        kind = "ballpoint"
    width = {"ballpoint": (0.25, 0.5), "gel": (0.35, 0.7), "felt": (0.5, 1.0), "marker": (1.0, 2.0),
             "fountain": (0.5, 1.1), "pencil": (0.3, 0.7)}[kind]
    if kind == "pencil":
        colour = "graphite"
    elif kind == "fountain":
        colour = rng.choice(["blue", "black", "blue-black"])
    else:
        colour = rng.choice(["black", "blue", "green", "purple"], p=[0.55, 0.35, 0.05, 0.05])
    return {"kind": kind, "w_mm": rng.uniform(*width), "colour": colour,
            "od": np.array(_INKS[colour]) * rng.uniform(0.8, 1.2), "nib": rng.uniform(0, np.pi)}


def _pressure(rng, n):
    t = np.linspace(0, 1, n)
    a, b = rng.uniform(0.03, 0.12), rng.uniform(0.05, 0.2)
    p = np.minimum(1, t / a) ** 0.5 * np.minimum(1, (1 - t) / b) ** 0.7
    wob = np.interp(t, np.linspace(0, 1, 6), rng.uniform(-1, 1, 6))
    return np.clip(p * (1 + 0.15 * wob), 0.2, 1.1)


def _ink_stroke(rng, pts, pen, ppm):
    """Width (mm) and deposit (0-1) along a stroke for this pen."""
    n = len(pts)
    p = _pressure(rng, n)
    w0, kind = pen["w_mm"], pen["kind"]
    d = np.ones(n)
    if kind == "ballpoint":
        w = w0 * (0.85 + 0.15 * p)
        d = 0.55 + 0.45 * p
        s = np.concatenate([[0], np.cumsum(np.hypot(*np.diff(pts, axis=0).T))])
        knots = rng.random(int(s[-1] / 0.8) + 2)
        # the ball skips now and then: the deposit thins out and comes back
        skip = _smoothstep(0.7, 0.95, np.interp(s / 0.8, np.arange(len(knots)), knots))
        d = d * (1 - rng.uniform(0.3, 0.6) * skip)
    elif kind == "gel":
        w, d = w0 * (0.75 + 0.25 * p), 0.9 + 0.1 * np.minimum(p, 1)
    elif kind == "felt":
        w, d = w0 * (0.9 + 0.1 * p), np.full(n, 0.9)
    elif kind == "marker":
        w = np.full(n, w0)
    elif kind == "fountain":
        tan = np.gradient(pts, axis=0)
        ang = np.arctan2(tan[:, 1], tan[:, 0])
        w = w0 * (0.3 + 0.7 * np.abs(np.sin(ang - pen["nib"]))) * (0.7 + 0.3 * p)
        t = np.linspace(0, 1, n)
        d = 0.75 + 0.25 * np.exp(-((1 - t) / 0.04) ** 2) + 0.1 * np.exp(-(t / 0.03) ** 2)
    else:   # pencil
        w, d = w0 * (0.8 + 0.2 * p), 0.45 + 0.55 * np.minimum(p, 1)
    w = np.clip(w, 1.0 / ppm, 7.0 / ppm)
    return w, np.clip(d, 0.05, 1.0)


# ------------------------------------------------------------- rasterising

_CIRCLE = np.stack([np.cos(np.linspace(0, 2 * np.pi, 12, endpoint=False)),
                    np.sin(np.linspace(0, 2 * np.pi, 12, endpoint=False))], 1)


def _draw_stroke(draw, view, k, pts, w, d):
    """Fills a stroke of varying width (mm) into a k-times picture raster,
    each piece with its deposit. PIL fills the pixels its outline touches,
    about one sub-pixel too wide, so the outline is pulled in by half of one."""
    d = np.asarray(d, float)
    val = np.where(d > 0, np.clip(np.rint(d * 255), 1, 255), 0).astype(int)
    shrink = 0.5 / (k * view.ppm)
    hw = np.maximum(np.asarray(w) / 2 - shrink, 0.2 / (k * view.ppm))
    if len(pts) == 1:
        pts = np.vstack([pts, pts + 1e-4])
        hw, val = np.repeat(hw, 2), np.repeat(val, 2)
    tan = np.gradient(pts, axis=0)
    tan /= np.maximum(np.hypot(tan[:, 0], tan[:, 1]), 1e-9)[:, None]
    nrm = np.column_stack([-tan[:, 1], tan[:, 0]])
    left = view.px(pts + nrm * hw[:, None], k).tolist()
    right = view.px(pts - nrm * hw[:, None], k).tolist()
    for i in range(len(pts) - 1):
        draw.polygon([tuple(left[i]), tuple(left[i + 1]), tuple(right[i + 1]), tuple(right[i])], fill=int(val[i]))
    # round joints where the path turns sharply, and round ends
    turn = np.abs(np.angle(np.exp(1j * np.diff(np.arctan2(tan[:, 1], tan[:, 0])))))
    seg = np.hypot(*np.diff(pts, axis=0).T)
    need = np.zeros(len(pts), bool)
    need[1:] |= turn > 0.25
    need[1:] |= seg * 2 < hw[1:] * turn * 2
    need[[0, -1]] = True
    for i in np.flatnonzero(need):
        ring = view.px(pts[i] + _CIRCLE * hw[i], k)
        draw.polygon([tuple(q) for q in ring.tolist()], fill=int(val[i]))


def _draw_poly(draw, view, k, poly, fill):
    x0, y0, x1, y1 = view.safe
    poly = np.column_stack([np.clip(poly[:, 0], x0, x1), np.clip(poly[:, 1], y0, y1)])
    draw.polygon([tuple(q) for q in view.px(poly, k).tolist()], fill=int(fill))


def _rect(x0, y0, x1, y1):
    return np.array([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], float)


def _line_poly(a, b, t):
    a, b = np.asarray(a, float), np.asarray(b, float)
    d = b - a
    n = np.array([-d[1], d[0]]) / max(np.hypot(*d), 1e-9) * t / 2
    return np.array([a + n, b + n, b - n, a - n])


def _box_reduce(img, k):
    return np.asarray(img.reduce(k), np.float32) / 255.0


# -------------------------------------------------------------------- print

class _Print:
    """Print layers: one k-times raster per ink, coverage 0-255."""

    def __init__(self, view):
        self.view, self.layers = view, {}

    def layer(self, od):
        key = tuple(np.round(od, 3))
        if key not in self.layers:
            im = Image.new("L", (self.view.W * SS_PRINT, self.view.H * SS_PRINT), 0)
            self.layers[key] = (im, ImageDraw.Draw(im))
        return self.layers[key][1]

    def poly(self, od, poly, fill=255):
        _draw_poly(self.layer(od), self.view, SS_PRINT, poly, fill)

    def line(self, od, a, b, t):
        self.poly(od, _line_poly(a, b, max(t, 0.6 / self.view.ppm)))

    def rect_outline(self, od, x0, y0, x1, y1, t):
        for a, b in [((x0, y0), (x1, y0)), ((x1, y0), (x1, y1)), ((x1, y1), (x0, y1)), ((x0, y1), (x0, y0))]:
            self.line(od, a, b, t)

    def text(self, rng, od, x0, x1, base, h, keepout=(), cjk=False):
        """A line of glyph-like blocks standing on `base`, `h` mm high."""
        t = h * (0.1 if cjk else 0.09)
        x = x0
        while x < x1:
            gw = h * (rng.uniform(0.85, 1.0) if cjk else rng.uniform(0.45, 0.75))
            if not cjk and rng.random() < 0.17:   # a space
                x += h * 0.5
                continue
            top = base - (h if cjk or rng.random() < 0.3 else 0.62 * h)
            ok = all(x + gw < k[0] or x > k[2] or base < k[1] or top > k[3] for k in keepout)
            if ok:
                for _ in range(int(rng.integers(3, 6)) if cjk else int(rng.integers(2, 4))):
                    if rng.random() < 0.5:
                        gx = x + rng.choice([0.0, 0.5, 1.0]) * (gw - t)
                        self.poly(od, _rect(gx, top + rng.uniform(0, 0.3) * (base - top), gx + t, base))
                    else:
                        gy = top + rng.choice([0.0, 0.5, 1.0]) * (base - top - t)
                        self.poly(od, _rect(x + rng.uniform(0, 0.3) * gw, gy, x + gw, gy + t))
            x += gw + h * 0.12

    def halftone(self, rng, od, x0, y0, x1, y1, cover, keepout=()):
        """A tint printed as a 45-degree dot screen (a flat tint when the dots
        would be below the camera's resolution)."""
        pitch = rng.uniform(0.17, 0.3)
        if pitch * self.view.ppm < 2.5 or (x1 - x0) * (y1 - y0) / pitch ** 2 > 6000:
            self.poly(od, _rect(x0, y0, x1, y1), fill=int(255 * cover))
            return
        r = pitch * np.sqrt(cover / np.pi)
        g = np.arange(-(x1 - x0 + y1 - y0), (x1 - x0 + y1 - y0), pitch)
        a, b = np.meshgrid(g, g)
        xs, ys = x0 + (a - b) / np.sqrt(2), y0 + (a + b) / np.sqrt(2)
        ok = (xs > x0) & (xs < x1) & (ys > y0) & (ys < y1)
        for kx in keepout:
            ok &= ~((xs > kx[0]) & (xs < kx[2]) & (ys > kx[1]) & (ys < kx[3]))
        for cx, cy in zip(xs[ok], ys[ok]):
            self.poly(od, np.array([cx, cy]) + _CIRCLE[::2] * r)

    def transmittance(self):
        """Per-pixel transmittance (h, w, 3) of all print layers."""
        t = np.ones((self.view.H, self.view.W, 3), np.float32)
        for od, (im, _) in self.layers.items():
            c = _box_reduce(im, SS_PRINT)[..., None]
            t *= 1 - c + c * np.power(10.0, -np.array(od, np.float32))
        return t


PRINT_BLACK = (1.3, 1.3, 1.25)


def _form_print(rng, pr, doc, wb, base, vis, colour_od):
    """Lays out a form's printed content around the writing box wb (mm)."""
    x0, y0, x1, y1 = wb
    vx0, vy0, vx1, vy1 = vis
    th = rng.uniform(1.8, 3.0) * max(1.0, 4.5 / pr.view.ppm)   # small print, legible size
    keep = [(x0 - 1.5, y0 - 1.5, x1 + 1.5, y1 + 1.5)]
    cjk = rng.random() < 0.4
    lw = rng.uniform(0.15, 0.35)
    if doc in ("form", "slip"):
        bx0, bx1 = x0 - rng.uniform(3, 15), x1 + rng.uniform(3, 15)
        by0, by1 = y0 - th * 2.2, y1 + rng.uniform(2, 8) + th * 1.8
        pr.rect_outline(colour_od, bx0, by0, bx1, by1, lw)
        pr.text(rng, colour_od, bx0 + 1.0, bx0 + rng.uniform(10, 30), by0 + th * 1.4, th * 0.85, keep, cjk)
        if rng.random() < 0.5:   # a grey label cell to the left
            pr.halftone(rng, colour_od, bx0 - rng.uniform(15, 30), by0, bx0, by1, rng.uniform(0.1, 0.25))
        if doc == "slip":    # the rest of the slip's table
            for k in range(1, 4):
                pr.rect_outline(colour_od, bx0, by0 - k * (by1 - by0) * 0.6, bx1, by0 - (k - 1) * (by1 - by0) * 0.6, lw)
                pr.text(rng, colour_od, bx0 + 1.0, bx1 - 1, by0 - (k - 0.6) * (by1 - by0) * 0.6, th, keep, cjk)
    if doc in ("form", "letter", "slip", "contract"):
        ly = base + rng.uniform(-0.3, 1.2)
        lx0, lx1 = x0 - rng.uniform(2, 10), x1 + rng.uniform(2, 10)
        pr.line(PRINT_BLACK if rng.random() < 0.7 else colour_od, (lx0, ly), (lx1, ly), rng.uniform(0.12, 0.3))
        if rng.random() < 0.5:   # a printed "x" at the start of the line
            s = th * 0.9
            cx = lx0 + s
            pr.line(PRINT_BLACK, (cx - s / 2, ly - s * 1.3), (cx + s / 2, ly - s * 0.3), th * 0.16)
            pr.line(PRINT_BLACK, (cx + s / 2, ly - s * 1.3), (cx - s / 2, ly - s * 0.3), th * 0.16)
        pr.text(rng, PRINT_BLACK, (lx0 + lx1) / 2 - rng.uniform(8, 20), (lx0 + lx1) / 2 + rng.uniform(5, 20),
                ly + th * 1.6, th * 0.8, keep, cjk)
    # body text above the writing, across the visible part of the sheet
    if doc in ("form", "letter", "contract", "slip") and rng.random() < 0.85:
        lead = th * rng.uniform(1.5, 2.0)
        top_limit = max(vy0, y0 - rng.uniform(40, 90))
        y = y0 - rng.uniform(6, 14) - (th * 2.5 if doc in ("form", "slip") else 0) - (th * 3 if doc == "slip" else 0)
        if doc == "slip":
            y -= 3 * (y1 - y0 + 8)
        left = max(vx0, x0 - rng.uniform(10, 60))
        right = min(vx1, x1 + rng.uniform(10, 60))
        while y > top_limit:
            end = right if rng.random() < 0.8 else left + (right - left) * rng.uniform(0.3, 0.9)
            pr.text(rng, PRINT_BLACK, left, end, y, th, keep, cjk)
            y -= lead
        if rng.random() < 0.4:   # a grey header band
            pr.halftone(rng, colour_od, left, y - th * 2, right, y + th * 0.5, rng.uniform(0.15, 0.4), keep)
        if rng.random() < 0.3:   # a coloured halftone logo
            lc = (rng.uniform(0.7, 1.1), rng.uniform(0.05, 0.3), rng.uniform(0.0, 0.1)) if rng.random() < 0.5 \
                else (rng.uniform(0.0, 0.2), rng.uniform(0.8, 1.1), rng.uniform(0.1, 0.4))
            r = rng.uniform(4, 9)
            cx, cy = left + r + 2, y - r - 2
            t = np.linspace(0, 2 * np.pi, 64, endpoint=False)
            ring = np.array([cx, cy]) + np.stack([np.cos(t), np.sin(t)], 1) * r
            pr.poly(lc, ring, fill=int(255 * rng.uniform(0.3, 0.6)))
    if doc == "letter" and rng.random() < 0.7:   # printed name under the signature
        pr.text(rng, PRINT_BLACK, x0, x0 + rng.uniform(20, 45), y1 + th * 2.2, th, [], cjk)


# --------------------------------------------------------------- the scene

_PAPERS = {   # linear albedo
    "copier": (0.84, 0.86, 0.89), "glossy": (0.87, 0.87, 0.86), "recycled": (0.70, 0.69, 0.64),
    "pink": (0.88, 0.70, 0.72), "blue": (0.68, 0.78, 0.88), "green": (0.72, 0.85, 0.70),
    "yellow": (0.90, 0.85, 0.58), "cream": (0.86, 0.78, 0.58), "kraft": (0.46, 0.32, 0.19),
    "legal": (0.92, 0.83, 0.38), "notebook": (0.84, 0.85, 0.84),
}
_COLOUR_PRINT = {"pink": (0.15, 0.85, 0.6), "blue": (0.95, 0.55, 0.12), "green": (0.85, 0.3, 0.75),
                 "yellow": (0.3, 0.45, 0.9)}


def _paper_for(rng, case):
    fixed = {"legal-pad": "legal", "kraft": "kraft", "cream": "cream", "pencil-on-cream": "cream",
             "flash-glare": rng.choice(["glossy", "copier"]), "ruled": rng.choice(["notebook", "copier", "cream"]),
             "squared": rng.choice(["notebook", "copier"]), "margin-line": rng.choice(["notebook", "copier"])}
    if case in fixed:
        return fixed[case]
    if case.startswith("seal"):
        return rng.choice(["copier", "copier", "recycled", "cream", "glossy"])
    return rng.choice(["copier", "glossy", "recycled", "pink", "blue", "green", "yellow", "cream"],
                      p=[0.42, 0.08, 0.14, 0.06, 0.06, 0.05, 0.05, 0.14])


def _seal(rng, spacing, blue=False):
    """A seal's outline and characters, in mm around (0, 0)."""
    shape = rng.choice(["round", "oval", "square"], p=[0.5, 0.2, 0.3])
    d = rng.uniform(10, 16) if shape != "square" else rng.uniform(16, 28)
    rx, ry = d / 2, (d / 2 * rng.uniform(1.25, 1.45) if shape == "oval" else d / 2)
    ring = d * rng.uniform(0.05, 0.085)
    sw = d * rng.uniform(0.04, 0.07)
    inverse = shape == "square" and rng.random() < 0.35   # white characters on a red field
    t = np.linspace(0, 2 * np.pi, 240, endpoint=False)
    if shape == "square":
        c = 0.1 * d   # rounded corners, wider than the ring
        sq = np.stack([np.clip(np.cos(t) * 1.5, -1, 1), np.clip(np.sin(t) * 1.5, -1, 1)], 1)
        outer = sq * (rx - c) + np.stack([np.cos(t), np.sin(t)], 1) * c
        inner = sq * (rx - c) + np.stack([np.cos(t), np.sin(t)], 1) * (c - ring)
    else:
        outer = np.stack([np.cos(t) * rx, np.sin(t) * ry], 1)
        inner = np.stack([np.cos(t) * (rx - ring), np.sin(t) * (ry - ring)], 1)
    n = int(rng.choice([1, 2, 3, 4], p=[0.2, 0.35, 0.2, 0.25])) if shape != "square" else int(rng.choice([2, 4]))
    ix, iy = (rx - ring) * (0.72 if shape != "square" else 0.9), (ry - ring) * (0.72 if shape != "square" else 0.9)
    if n == 4:
        cells = [(c, r) for c in (1, 0) for r in (0, 1)]
        cw, ch = ix, iy
        origin = [(-ix + c * cw, -iy + r * ch) for c, r in cells]
    else:
        cw, ch = 2 * ix, 2 * iy / n
        origin = [(-ix, -iy + r * ch) for r in range(n)]
    chars = []
    for ox, oy in origin:
        for s in _kanji_char(rng):
            k = np.column_stack([ox + (0.06 + 0.88 * s[:, 0]) * cw, oy + (0.06 + 0.88 * s[:, 1]) * ch])
            chars.append(_polyline(k, spacing))
    return {"outer": outer, "inner": inner, "chars": chars, "sw": sw, "inverse": inverse,
            "size": (2 * rx, 2 * ry), "blue": blue}


def _seal_od(rng, blue):
    if blue:
        od = (rng.uniform(0.8, 1.1), rng.uniform(0.4, 0.6), 0.08) if rng.random() < 0.6 \
            else (rng.uniform(0.4, 0.6), rng.uniform(0.85, 1.05), rng.uniform(0.2, 0.35))   # violet
    else:
        od = (rng.uniform(0.03, 0.12), rng.uniform(0.85, 1.2), rng.uniform(0.65, 0.95))
    return np.array(od) * rng.uniform(0.85, 1.15)


# Classes that measure one plain difficulty: no chance extras on top.
_PLAIN = {"uneven-light", "vignette", "kraft", "cream", "pencil", "noise", "jpeg-q60", "cut-by-border",
          "seal-plain", "blank", "lone-speck"}


def _rot(deg):
    a = np.radians(deg)
    return np.array([[np.cos(a), -np.sin(a)], [np.sin(a), np.cos(a)]])


def _compose(rng, sh):
    """The frame, the marks (in mm), and a camera aimed so that the writing
    spans the chosen share of the picture's width."""
    case = sh.case
    sh.W = W = int(rng.integers(560, 1301))
    aspect = rng.choice([0.75, 0.5625, 1.0, 1.333, 0.667], p=[0.35, 0.15, 0.2, 0.2, 0.1])
    sh.H = H = int(np.clip(W * aspect, 560, 1300))
    frac = rng.uniform(0.35, 0.85) if case != "cut-by-border" else rng.uniform(0.6, 0.95)
    sh.frac = frac
    sh.pen = _pen(rng, case)
    script = "latin" if (case == "i-dots" or rng.random() < 0.6) else "kanji"
    if sh.kind == "none" or sh.kind == "seal":
        script = None
    if script == "latin":
        unit = rng.uniform(2.2, 4.5)   # x-height, mm
        raw = [s * unit for s in _latin_name(rng, want_dots=case == "i-dots")]
    elif script == "kanji":
        unit = rng.uniform(6, 13)      # character height, mm
        raw = [s * unit for s in _kanji_name(rng)]
    else:
        raw, unit = [], rng.uniform(3, 5)
    span_mm = None
    if raw:   # centred on the origin, the baseline a little off level
        allp = np.vstack(raw)
        mid = (allp.min(0) + allp.max(0)) / 2
        rm = _rot(rng.normal(0, 3))
        raw = [(s - mid) @ rm.T for s in raw]
        span_mm = np.ptp(np.vstack(raw)[:, 0])
    seal = None
    if sh.kind == "seal" or case == "signed-and-sealed":
        seal = _seal(rng, 0.5, case == "seal-blue-over-print")
        if sh.kind == "seal":
            span_mm = seal["size"][0]
    sh.script, sh.unit, sh.seal = script, unit, seal

    tilt = np.radians(rng.uniform(3, 28))
    azim, roll = rng.uniform(0, 2 * np.pi), np.radians(rng.normal(0, 4))
    focal = W * rng.uniform(0.8, 1.4)
    off = np.array([rng.uniform(-0.1, 0.1) * W, rng.uniform(-0.1, 0.1) * H])   # px, writing off centre
    if case == "cut-by-border":
        cut = rng.uniform(0.1, 0.3)
        off[0] = rng.choice([-1, 1]) * (W / 2 - frac * W * (0.5 - cut))
    ppm = rng.uniform(4, 12) if span_mm is None else frac * W / span_mm
    for _ in range(4 if span_mm is not None else 0):
        view = _View(W, H, ppm, tilt, azim, roll, focal)
        q = view.px((np.vstack(raw) if raw else seal["outer"]) + off / ppm)
        ppm *= min(frac * W / max(np.ptp(q[:, 0]), 1.0), 0.9 * H / max(np.ptp(q[:, 1]), 1.0))
        if case != "cut-by-border":   # slide it back inside the frame
            lo, hi = q.min(0), q.max(0)
            m = 0.03 * np.array([W, H])
            fits = hi - lo < [W, H]
            off -= np.maximum(hi - (np.array([W, H]) - m), 0) * fits
            off += np.maximum(m - lo, 0) * fits
    sh.view = _View(W, H, ppm, tilt, azim, roll, focal)
    sh.ppm, sh.azim = ppm, azim
    shift = off / ppm
    spacing = 0.5 / ppm   # path samples half a pixel apart

    # the pen's dynamics along each stroke
    strokes = []
    for s in raw:
        pts = _spline(s + shift, spacing)
        w, d = _ink_stroke(rng, pts, sh.pen, ppm)
        strokes.append((pts, w, d))
    if case == "faint-handwriting":
        fscale = rng.uniform(0.15, 0.32)
        strokes = [(p, w, d * fscale / max(sh.pen["od"].mean(), 0.3)) for p, w, d in strokes]
    if case == "thin-ballpoint":
        tw = rng.uniform(1.0, 1.6) / ppm
        strokes = [(p, np.clip(w, tw * 0.85, tw), d) for p, w, d in strokes]
    sh.strokes = strokes
    if seal is not None:
        if sh.kind == "seal":
            sc = shift
        else:   # pressed at the end of the signature, partly over it
            allp = np.vstack([p for p, _, _ in strokes])
            sc = np.array([allp[:, 0].max() + seal["size"][0] * rng.uniform(-0.3, 0.6),
                           allp[:, 1].mean() + rng.normal(0, seal["size"][1] * 0.2)])
        rm = _rot(rng.normal(0, 5))
        for key in ("outer", "inner"):
            seal[key] = seal[key] @ rm.T + sc
        seal["chars"] = [_polyline(c @ rm.T + sc, spacing) for c in seal["chars"]]
        seal["centre"] = sc

    # boxes (mm) of the writing, and of everything that is ink
    if strokes:
        allp = np.vstack([p for p, _, _ in strokes])
        wb = (*allp.min(0), *allp.max(0))
    elif seal is not None:
        wb = (*seal["outer"].min(0), *seal["outer"].max(0))
    else:
        wb = (-unit * 3, -unit, unit * 3, unit)
    wb_all = wb
    if seal is not None and strokes:
        o = seal["outer"]
        wb_all = (min(wb[0], o[:, 0].min()), min(wb[1], o[:, 1].min()), max(wb[2], o[:, 0].max()),
                  max(wb[3], o[:, 1].max()))
    sh.wb = wb
    sh.vis = vis = sh.view.visible(margin=0.05 * W)
    sheet = [vis[0] - 50, vis[1] - 50, vis[2] + 50, vis[3] + 50]
    if rng.random() < 0.4:   # the sheet ends inside the picture on one or two sides, clear of the ink
        for side in rng.permutation(4)[:int(rng.integers(1, 3))]:
            lo, hi = (vis[side], wb_all[side] - 4) if side < 2 else (wb_all[side] + 4, vis[side])
            if hi - lo > 10:
                f = rng.uniform(0.15, 0.7)
                sheet[side] = lo + (hi - lo) * f if side < 2 else hi - (hi - lo) * f
    sh.sheet = sheet
    sh.paper = _paper_for(rng, case)


def _lay_print(rng, sh):
    """Everything printed on the sheet: rules, the form, text under a seal."""
    case, kind, vis, wb, unit, seal = sh.case, sh.kind, sh.vis, sh.wb, sh.unit, sh.seal
    pr = _Print(sh.view)
    colour_od = np.array(_COLOUR_PRINT.get(sh.paper, PRINT_BLACK)) if kind != "seal" else np.array(PRINT_BLACK)
    base = wb[3]
    if sh.script == "latin":   # the lowest baseline: descenders hang below it
        base = max(wb[1] + unit, wb[3] - unit * 1.1)
    rule_od = np.array([rng.uniform(0.25, 0.45), rng.uniform(0.12, 0.22), rng.uniform(0.0, 0.05)]) \
        if rng.random() < 0.75 else np.full(3, rng.uniform(0.15, 0.3))
    red_od = np.array([0.02, rng.uniform(0.4, 0.7), rng.uniform(0.3, 0.5)])
    lx0, ly0, lx1, ly1 = sh.sheet
    if case in ("ruled", "legal-pad", "margin-line") or (case == "blank" and rng.random() < 0.2):
        pitch = unit / rng.uniform(0.35, 0.5) if sh.script == "latin" else unit / rng.uniform(0.7, 0.9)
        pitch = float(np.clip(pitch, 5.5, 12)) if sh.script else rng.uniform(6, 9)
        lw = rng.uniform(0.1, 0.22) * (1.5 if case == "legal-pad" else 1)
        y = base + rng.uniform(-0.4, 0.6) - pitch * np.ceil((base - vis[1]) / pitch)
        while y < vis[3]:
            pr.line(rule_od, (max(lx0, vis[0]), y), (min(lx1, vis[2]), y), lw)
            y += pitch
        if case in ("legal-pad", "margin-line") or rng.random() < 0.3:
            mx = wb[0] + (wb[2] - wb[0]) * (rng.uniform(-0.25, 0.3) if case != "legal-pad" else rng.uniform(-0.3, 0.15))
            vw = vis[2] - vis[0]
            mx = float(np.clip(mx, vis[0] + 0.15 * vw, vis[2] - 0.15 * vw))
            for k in range(2 if case == "legal-pad" else 1):   # a legal pad's margin is doubled
                xx = mx - k * rng.uniform(1.5, 3.0)
                pr.line(red_od, (xx, max(ly0, vis[1])), (xx, min(ly1, vis[3])), rng.uniform(0.15, 0.3))
    elif case == "squared":
        pitch = rng.uniform(4, 6)
        lw = rng.uniform(0.08, 0.18)
        for axis in (0, 1):
            v = vis[axis] - (vis[axis] % pitch)
            while v < vis[axis + 2]:
                a = (v, max(ly0, vis[1])) if axis == 0 else (max(lx0, vis[0]), v)
                b = (v, min(ly1, vis[3])) if axis == 0 else (min(lx1, vis[2]), v)
                pr.line(rule_od, a, b, lw)
                v += pitch
    elif case in ("seal-over-print", "seal-blue-over-print"):
        # a company name and address, the seal stamped over the name
        sz = seal["size"][1]
        h = sz * rng.uniform(0.22, 0.4)
        cx, cy = seal["centre"]
        nx0 = cx - rng.uniform(2, 5) * sz
        pr.text(rng, PRINT_BLACK, nx0, cx + rng.uniform(0.1, 0.5) * sz, cy + h / 2 + rng.normal(0, 0.1) * h, h,
                cjk=rng.random() < 0.6)
        for k in range(int(rng.integers(1, 4))):
            yy = cy + h / 2 + (k + 1) * h * rng.uniform(1.3, 1.6) * (1 if rng.random() < 0.5 else -1)
            pr.text(rng, PRINT_BLACK, nx0, cx + rng.uniform(-0.5, 1.0) * sz, yy, h * 0.6)
    elif case == "seal-plain" and rng.random() < 0.4:   # the printed circle that says where to stamp
        r = seal["size"][0] * rng.uniform(0.55, 0.75)
        cx, cy = seal["centre"] + rng.normal(0, 1.0, 2)
        for a in np.linspace(0, 2 * np.pi, 24, endpoint=False):
            pr.line(PRINT_BLACK, (cx + r * np.cos(a), cy + r * np.sin(a)),
                    (cx + r * np.cos(a + 0.13), cy + r * np.sin(a + 0.13)), 0.15)
    elif kind == "signature" or (case == "blank" and rng.random() < 0.3):
        doc = rng.choice(["form", "letter", "slip", "contract", "card", "plain"], p=[0.3, 0.2, 0.12, 0.15, 0.08, 0.15])
        if sh.paper == "glossy":
            doc = "card"
        if case in ("pencil-on-cream", "kraft"):
            doc = rng.choice(["plain", "letter"])
        if doc == "card" and rng.random() < 0.6:   # a printed picture beside the greeting
            lc = rng.uniform(0.05, 0.9, 3)
            side = rng.choice([-1, 1])
            xa = wb[2] + 6 if side > 0 else wb[0] - 6 - rng.uniform(15, 40)
            pr.halftone(rng, lc, xa, wb[1] - 20, xa + rng.uniform(15, 40), wb[3] + 20, rng.uniform(0.3, 0.7))
        elif doc != "plain":
            _form_print(rng, pr, doc, wb, base, vis, colour_od)
    if case == "lone-speck":   # dust or a crumb: never ink
        for _ in range(int(rng.integers(1, 4))):
            for _ in range(20):   # somewhere on the visible paper
                cx, cy = sh.view.plane(*(rng.uniform(0.1, 0.9, 2) * [sh.W, sh.H]))
                if lx0 + 2 < cx < lx1 - 2 and ly0 + 2 < cy < ly1 - 2:
                    break
            r = rng.uniform(0.8, 2.5) / sh.ppm * (2.5 if rng.random() < 0.2 else 1)   # px radius
            blob = np.array([cx, cy]) + _CIRCLE * r * rng.uniform(0.6, 1.3, (12, 1))
            dust = (0.5, 0.55, 0.6) if rng.random() < 0.5 else (0.25, 0.35, 0.5)
            pr.poly(np.array(dust) * rng.uniform(0.6, 1.6), blob)
    sh.print = pr


def _ink_layers(rng, sh):
    """The pen's and the seal's footprints at SS_INK x, deposit as value."""
    W, H, k, view, seal = sh.W, sh.H, SS_INK, sh.view, sh.seal
    sh.sig_im = sh.seal_im = None
    if sh.strokes:
        sh.sig_im = Image.new("L", (W * k, H * k), 0)
        dr = ImageDraw.Draw(sh.sig_im)
        for pts, w, d in sh.strokes:
            _draw_stroke(dr, view, k, pts, w, d)
    if seal is None:
        return
    acc = np.zeros((H * k, W * k), np.uint8)
    for rep in range(2 if rng.random() < 0.25 else 1):
        im = Image.new("L", (W * k, H * k), 0)
        dr = ImageDraw.Draw(im)
        o = np.zeros(2)
        if rep:   # a second, fainter impression a pixel or two off
            a = rng.uniform(0, 2 * np.pi)
            o = rng.uniform(0.7, 2.0) / sh.ppm * np.array([np.cos(a), np.sin(a)])
        # red characters in a ring, or a red field with the characters cut out
        _draw_poly(dr, view, k, seal["outer"] + o, 255)
        if not seal["inverse"]:
            _draw_poly(dr, view, k, seal["inner"] + o, 0)
        fg = 0.0 if seal["inverse"] else 1.0
        for c in seal["chars"]:
            _draw_stroke(dr, view, k, c + o, np.full(len(c), seal["sw"]), np.full(len(c), fg))
        a_ = np.asarray(im)
        if rep:
            a_ = (a_ > 0).astype(np.uint8) * int(rng.uniform(110, 190))
        acc = np.maximum(acc, a_)
    # voids where the paste did not take, from smooth noise; a faded corner
    # has more of them
    cell = rng.uniform(2.5, 6) * k
    gh, gw = H * k // 8, W * k // 8   # a coarse grid for the smooth part
    q = _noise(rng, gh, gw, cell / 8)
    seal["fade"] = None
    if sh.case == "seal-faded-corner":
        ang = rng.uniform(0, 2 * np.pi)
        cu, cv = view.px(seal["centre"][None])[0]
        rad = seal["size"][0] * sh.ppm / 2
        u = (np.arange(gw, dtype=np.float32) + 0.5) * W / gw - cu
        v = (np.arange(gh, dtype=np.float32) + 0.5) * H / gh - cv
        q = q - 0.9 * _smoothstep(0.0, 1.0, (u[None, :] * np.cos(ang) + v[:, None] * np.sin(ang)) / rad)
        seal["fade"] = (ang, cu, cv, rad)
    q = np.asarray(Image.fromarray(q, "F").resize((W * k, H * k), Image.BILINEAR))
    fine = Image.fromarray(_noise(rng, H * k // 2, W * k // 2, 0.5 * cell / 2), "F")
    q = q + 0.35 * np.asarray(fine.resize((W * k, H * k), Image.NEAREST))
    thr = rng.uniform(-1.0, -0.75)
    acc[q < thr] = 0
    del q
    sh.seal_im = Image.fromarray(acc)
    dr = ImageDraw.Draw(sh.seal_im)
    for _ in range(int(rng.integers(2, 9))):   # blotches where the paste skipped
        c = seal["centre"] + rng.uniform(-0.5, 0.5, 2) * seal["size"]
        r = rng.uniform(0.2, 0.9) * seal["sw"]
        _draw_poly(dr, view, k, c + _CIRCLE * r * rng.uniform(0.5, 1.4, (12, 1)), 0)


def _coverage(im):
    """Covered share of each pixel, and the mean deposit where covered."""
    cov = _box_reduce(im.point(lambda x: 255 if x else 0), SS_INK)
    amt = _box_reduce(im, SS_INK)
    return cov, np.where(cov > 0, amt / np.maximum(cov, 1e-6), 0)


def _reflectance(rng, sh):
    """Linear reflectance of the scene: paper, print and ink on the sheet,
    the table or fabric around it."""
    W, H, view, vis, sheet, paper = sh.W, sh.H, sh.view, sh.vis, sh.sheet, sh.paper
    sh.uu = uu = (np.arange(W, dtype=np.float32) + 0.5)[None, :].repeat(H, 0)
    sh.vv = vv = (np.arange(H, dtype=np.float32) + 0.5)[:, None].repeat(W, 1)
    X, Y = view.plane(uu, vv)
    sh.X, sh.Y = X, Y = X.astype(np.float32), Y.astype(np.float32)
    inside = (X > sheet[0]) & (X < sheet[2]) & (Y > sheet[1]) & (Y < sheet[3])
    sheet_m = inside.astype(np.float32)
    if not inside.all():   # soft edge from a finer outline
        im = Image.new("L", (W * SS_PRINT, H * SS_PRINT), 0)
        _draw_poly(ImageDraw.Draw(im), view, SS_PRINT, _rect(*sheet), 255)
        sheet_m = _box_reduce(im, SS_PRINT)
    sh.sheet_m = sheet_m
    sh.alb = alb = np.array(_PAPERS[paper], np.float32) * rng.uniform(0.96, 1.03, 3).astype(np.float32)
    # formation: cloudy at a few mm, grain at the pixel
    form = 1 + 0.025 * _plane_noise(rng, X, Y, rng.uniform(2, 6)) + 0.012 * _noise(rng, H, W, 2.0)
    if paper in ("recycled", "kraft"):
        form = form + 0.05 * _plane_noise(rng, X, Y, 0.6) + 0.03 * _noise(rng, H, W, 1.2)
    paper_r = alb[None, None, :] * form[..., None]
    if paper in ("recycled", "kraft", "cream"):   # flecks and fibres in the pulp
        fl = Image.new("L", (W, H), 0)
        fd = ImageDraw.Draw(fl)
        area = (vis[2] - vis[0]) * (vis[3] - vis[1])
        for _ in range(int(area * (0.02 if paper != "cream" else 0.005))):
            c = rng.uniform([vis[0], vis[1]], [vis[2], vis[3]])
            a = rng.uniform(0, np.pi)
            p = view.px(np.array([c, c + rng.uniform(0.3, 1.5) * np.array([np.cos(a), np.sin(a)])]))
            fd.line([tuple(p[0]), tuple(p[1])], fill=int(rng.uniform(30, 120)), width=1)
        flk = np.asarray(fl, np.float32) / 255
        paper_r = paper_r * (1 - 0.5 * flk[..., None] * np.array([0.6, 0.7, 0.8], np.float32))
    # surroundings: wood, fabric, a desk mat or laminate, textured in the same plane
    bgk = rng.choice(["wood", "fabric", "mat", "laminate"])
    if bgk == "wood":
        col = np.array([0.33, 0.18, 0.08]) * rng.uniform(0.5, 1.6)
        ga = rng.uniform(0, np.pi)
        gx = X * np.cos(ga) + Y * np.sin(ga)
        grain = np.sin(2 * np.pi * (gx + 4 * _plane_noise(rng, X, Y, 25)) / rng.uniform(2, 6))
        bg = col[None, None, :] * (1 + 0.25 * grain + 0.1 * _plane_noise(rng, X, Y, 8))[..., None]
    elif bgk == "fabric":
        col = rng.uniform(0.05, 0.5, 3)
        p = rng.uniform(0.4, 1.2)
        weave = np.sin(2 * np.pi * X / p) * np.sin(2 * np.pi * Y / p)
        bg = col[None, None, :] * (1 + 0.2 * weave + 0.15 * _plane_noise(rng, X, Y, 10))[..., None]
    elif bgk == "mat":
        bg = np.full((H, W, 3), rng.uniform(0.03, 0.1), np.float32) * (1 + 0.1 * _noise(rng, H, W, 3))[..., None]
    else:
        bg = np.array(rng.uniform(0.45, 0.7, 3) * [1, 1, 0.95], np.float32)[None, None, :] \
            * (1 + 0.04 * _plane_noise(rng, X, Y, 5))[..., None]
    bg = bg.astype(np.float32)
    if not inside.all():   # the sheet's own shadow on the table
        s = _fft_blur(sheet_m, _gauss_tf(rng.uniform(1.5, 4)), 16)
        s = np.roll(s, (int(rng.integers(-3, 4)), int(rng.integers(-3, 4))), (0, 1))
        bg = bg * (1 - 0.55 * np.clip(s - sheet_m, 0, 1))[..., None]

    t_print = sh.print.transmittance() if sh.print.layers else 1.0
    t_ink = np.ones((H, W, 3), np.float32)
    pen = sh.pen
    if sh.sig_im is not None:
        cov, dmean = _coverage(sh.sig_im)
        if pen["kind"] == "pencil":   # graphite stays on the paper's tooth
            dmean = dmean * np.clip(1 + 0.9 * _noise(rng, H, W, 1.0) + 8 * (form - 1), 0.1, 2.0)
        elif pen["kind"] == "ballpoint":
            dmean = dmean * np.clip(1 + 0.25 * _noise(rng, H, W, 1.5), 0.4, 1.4)
        od = pen["od"].astype(np.float32)
        t_ink = 1 - cov[..., None] + cov[..., None] * np.power(10.0, -od * dmean[..., None])
        feather = paper in ("recycled", "kraft") or (paper == "cream" and rng.random() < 0.4)
        if feather and pen["kind"] in ("felt", "fountain", "gel", "marker"):
            # fluid ink wicks along the fibres of absorbent paper
            spread = _fft_blur(cov * dmean, _gauss_tf(rng.uniform(0.6, 1.2)), 8)
            fib = np.clip(1 + 0.8 * _noise(rng, H, W, 1.5), 0, 2)
            wick = np.clip(0.55 * spread * fib - cov * dmean, 0, None)
            t_ink = t_ink * np.power(10.0, -od * wick[..., None])
    if sh.seal_im is not None:
        cov, dmean = _coverage(sh.seal_im)
        paste = rng.uniform(0.7, 1.0) * np.clip(1 + 0.25 * _noise(rng, H, W, rng.uniform(4, 12))
                                                 + 0.12 * _noise(rng, H, W, 1.2), 0.3, 1.4)
        if sh.seal["fade"] is not None:
            ang, cu, cv, rad = sh.seal["fade"]
            proj = ((uu - cu) * np.cos(ang) + (vv - cv) * np.sin(ang)) / rad
            paste = paste * (1 - rng.uniform(0.6, 0.8) * _smoothstep(-0.2, 1.0, proj))
        od = _seal_od(rng, sh.seal["blue"]).astype(np.float32)
        t_ink = t_ink * (1 - cov[..., None] + cov[..., None] * np.power(10.0, -od * (dmean * paste)[..., None]))
    page = paper_r * t_print
    if rng.random() < 0.25:   # ink multiplied in stored values, as a paint program would
        page = _srgb_decode(_srgb_encode(page) * _srgb_encode(t_ink))
    else:
        page = page * t_ink
    return sheet_m[..., None] * page + (1 - sheet_m[..., None]) * bg


def _light(rng, sh, refl):
    """Radiance reaching the camera, exposed: room light and a lamp of
    another colour, shadows, flash and glare, vignetting."""
    case, W, H, X, Y, uu, vv = sh.case, sh.W, sh.H, sh.X, sh.Y, sh.uu, sh.vv
    side_odds = 0.0 if case in _PLAIN else 1.0   # chance of side difficulties
    amb_c = _cct_rgb(rng.choice([3000, 4000, 5000, 6500], p=[0.25, 0.35, 0.2, 0.2]) + rng.normal(0, 200))
    cx_, cy_ = (X - X.mean()) / max(np.ptp(X), 1), (Y - Y.mean()) / max(np.ptp(Y), 1)
    ga = rng.uniform(0, 2 * np.pi)
    grad = rng.uniform(0.05, 0.3) if case != "uneven-light" else rng.uniform(0.5, 0.9)
    amb = np.clip(1 + grad * (cx_ * np.cos(ga) + cy_ * np.sin(ga)) + 0.03 * _plane_noise(rng, X, Y, 60), 0.1, 2)
    lamp = rng.random() < (0.3 if case != "uneven-light" else 0.7)
    lamp_c = _cct_rgb(rng.uniform(2600, 3400))
    lampf = np.zeros_like(X)
    if lamp:   # a desk lamp off to one side: inverse square and cosine
        near = case == "uneven-light"
        vw = sh.vis[2] - sh.vis[0]
        a = rng.uniform(0, 2 * np.pi)
        lx, ly = X.mean() + np.cos(a) * vw * rng.uniform(0.4, 1.0), Y.mean() + np.sin(a) * vw * rng.uniform(0.4, 1.0)
        lh = vw * (rng.uniform(0.3, 0.9) if not near else rng.uniform(0.15, 0.4))
        lampf = lh ** 3 / ((X - lx) ** 2 + (Y - ly) ** 2 + lh ** 2) ** 1.5
        lampf = lampf / lampf.mean() * (rng.uniform(0.4, 1.5) if not near else rng.uniform(1.0, 2.5))
    sh.lamp_weight = float(lampf.mean()) / (float(lampf.mean()) + float(amb.mean()))
    sh.amb_c, sh.lamp_c = amb_c, lamp_c

    # shadows in picture coordinates (1 = fully shadowed)
    wb = sh.wb
    tq = sh.view.px(np.array([[(wb[0] + wb[2]) / 2, (wb[1] + wb[3]) / 2]]))[0]
    tw_px = max(sh.frac * W, 100)

    def capsule(p0, p1, r, pen_w):
        d = p1 - p0
        t = np.clip(((uu - p0[0]) * d[0] + (vv - p0[1]) * d[1]) / (d @ d), 0, 1)
        dist = np.hypot(uu - p0[0] - t * d[0], vv - p0[1] - t * d[1])
        return 1 - _smoothstep(r - pen_w, r + pen_w, dist)

    def halfplane(p, a, pen_w, bend=0.0):
        dist = (uu - p[0]) * np.cos(a) + (vv - p[1]) * np.sin(a)
        dist = dist + bend * ((uu - p[0]) * -np.sin(a) + (vv - p[1]) * np.cos(a)) ** 2 / W
        return _smoothstep(-pen_w, pen_w, dist)

    shadows = []
    if case == "finger-shadow" or rng.random() < 0.06 * side_odds:   # a finger or a pen, tip over the ink
        a = rng.uniform(0, 2 * np.pi)
        through = tq + rng.uniform(-0.3, 0.3, 2) * [tw_px, tw_px * 0.3]
        d = np.array([np.cos(a), np.sin(a)])
        r = rng.uniform(0.015, 0.045) * W
        shadows.append(capsule(through - d * 2 * max(W, H), through + d * rng.uniform(0.1, 0.6) * tw_px, r,
                               rng.uniform(0.2, 0.6) * r) * rng.uniform(0.35, 0.65))
    if case == "soft-shadow" or rng.random() < 0.1 * side_odds:   # the photographer, the phone, a hand
        a = rng.uniform(0, 2 * np.pi)
        p = tq + rng.uniform(-0.3, 0.3, 2) * tw_px
        shadows.append(halfplane(p, a, rng.uniform(0.04, 0.12) * W, rng.uniform(-1.5, 1.5)) * rng.uniform(0.3, 0.6))
    if case == "seal-hard-shadow" or rng.random() < 0.04 * side_odds:   # an object's edge under a small light
        a = rng.uniform(0, 2 * np.pi)
        p = tq + rng.uniform(-0.25, 0.25, 2) * tw_px
        shadows.append(halfplane(p, a, rng.uniform(0.5, 2.0), rng.uniform(-0.3, 0.3)) * rng.uniform(0.4, 0.65))
    shade_amb = np.zeros((H, W), np.float32)
    shade_lamp = np.zeros((H, W), np.float32)
    for s in shadows:   # each blocks one light, so the shade takes the other's colour
        if lamp and sh.lamp_weight > 0.45 and rng.random() < 0.6:
            shade_lamp = np.maximum(shade_lamp, s)
        else:
            shade_amb = np.maximum(shade_amb, s)
    rad = refl * ((amb * (1 - shade_amb))[..., None] * amb_c + (lampf * (1 - shade_lamp))[..., None] * lamp_c)

    # flash: a hot spot, and a glare where the surface mirrors it
    glare = np.zeros((H, W), np.float32)
    if case == "flash-glare" or rng.random() < 0.05 * side_odds:
        fr = np.hypot(uu - W / 2, vv - H / 2) / (0.5 * np.hypot(W, H))
        rad = rad * (1 + rng.uniform(0.3, 1.2) / (1 + (fr / rng.uniform(0.3, 0.7)) ** 2))[..., None]
        gc = tq + rng.uniform(-0.25, 0.25, 2) * tw_px if case == "flash-glare" else \
            np.array([W / 2, H / 2]) + rng.normal(0, 0.15, 2) * [W, H]
        gr = rng.uniform(0.05, 0.18) * W
        g = np.exp(-((uu - gc[0]) ** 2 + (vv - gc[1]) ** 2 * rng.uniform(0.6, 1.6)) / (2 * gr ** 2))
        strong = 1.0 if case == "flash-glare" else 0.4
        glare += strong * (g * rng.uniform(0.35, 1.1) + g ** 6 * rng.uniform(0.2, 0.8))
    elif sh.paper == "glossy" and rng.random() < 0.5:   # a window or lamp mirrored in the card
        a = rng.uniform(0, np.pi)
        dist = (uu - rng.uniform(0, W)) * np.cos(a) + (vv - rng.uniform(0, H)) * np.sin(a)
        glare += rng.uniform(0.15, 0.5) * np.exp(-(dist / (rng.uniform(0.03, 0.1) * W)) ** 2)
    corner = rng.uniform(0.72, 0.95) if case != "vignette" else rng.uniform(0.3, 0.55)
    rr = ((uu - W / 2) ** 2 + (vv - H / 2) ** 2) / ((W / 2) ** 2 + (H / 2) ** 2)
    vig = (1 + (corner ** -0.5 - 1) * rr) ** -2

    # exposure: the paper lands high, sometimes clipping; metering lifts a
    # dark sheet less than all the way to white
    on = sh.sheet_m > 0.5
    paper_level = np.percentile(rad[..., 1][on], 90) if on.any() else rad[..., 1].max()
    target = rng.uniform(0.55, 0.8) if rng.random() < 0.85 else rng.uniform(0.85, 1.15)
    target *= min(1.0, (sh.alb[1] / 0.85) ** 0.5)
    if case == "noise":
        target = rng.uniform(0.3, 0.5)
    sh.target = target
    gain = target / max(paper_level, 1e-4)
    return ((rad * gain + (glare * target)[..., None] * amb_c / amb_c.max()) * vig[..., None]).astype(np.float32)


def _camera(rng, sh, img):
    """Lens, sensor and the phone's processing; returns the JPEG bytes."""
    case, W, H, uu, vv = sh.case, sh.W, sh.H, sh.uu, sh.vv
    # defocus growing away from the focus line (the sheet is tilted), motion blur
    blurred = case == "blurred"
    s_lo = rng.uniform(0.3, 0.7) if not blurred else rng.uniform(1.2, 2.2)
    s_hi = s_lo + (rng.uniform(0.2, 1.2) if not blurred else rng.uniform(0.5, 1.5))
    mlen = rng.uniform(0.0, 1.5) if rng.random() < 0.3 else 0.0
    if blurred and rng.random() < 0.4:
        mlen = rng.uniform(3, 8)
    ma = rng.uniform(0, np.pi)

    def tf(sig):
        g = _gauss_tf(sig)
        return lambda fy, fx: g(fy, fx) * np.sinc(mlen * (fx * np.cos(ma) + fy * np.sin(ma)))

    pad = int(3 * s_hi + mlen) + 4
    lo, hi = _fft_blur(img, [tf(s_lo), tf(s_hi)], pad)
    fa = sh.azim + np.pi / 2   # the tilt axis; depth changes across it
    fproj = ((uu - W / 2) * np.cos(fa) + (vv - H / 2) * np.sin(fa)) / (0.5 * np.hypot(W, H))
    mix = np.clip(np.abs(fproj - rng.uniform(-0.3, 0.3)), 0, 1)[..., None]
    img = lo * (1 - mix) + hi * mix
    del lo, hi
    # lateral chromatic aberration: red and blue scaled about the centre
    ca = rng.uniform(0, 0.8) / (0.5 * np.hypot(W, H))
    for c, sgn in ((0, 1), (2, -1)):
        s = 1 + sgn * ca
        ch = Image.fromarray(np.ascontiguousarray(img[..., c]), "F")
        ch = ch.transform((W, H), Image.AFFINE, (1 / s, 0, W / 2 * (1 - 1 / s), 0, 1 / s, H / 2 * (1 - 1 / s)),
                          resample=Image.BILINEAR)
        img[..., c] = np.asarray(ch)

    # sensor: RGGB mosaic, shot and read noise, clipping, demosaic
    shot = rng.uniform(2e-4, 1.5e-3) if case != "noise" else rng.uniform(5e-3, 1.4e-2)
    read = rng.uniform(1e-3, 5e-3) if case != "noise" else rng.uniform(1e-2, 2.5e-2)
    raw = np.empty((H, W), np.float32)
    raw[0::2, 0::2] = img[0::2, 0::2, 0]
    raw[0::2, 1::2] = img[0::2, 1::2, 1]
    raw[1::2, 0::2] = img[1::2, 0::2, 1]
    raw[1::2, 1::2] = img[1::2, 1::2, 2]
    raw = raw + rng.standard_normal((H, W)).astype(np.float32) * np.sqrt(shot * np.clip(raw, 0, None) + read ** 2)
    img = _demosaic(np.clip(raw, 0, 1))
    if case == "noise":   # low light: the phone lifts the picture, noise and all
        img = img * (0.75 / sh.target)

    # processing: white balance fitted to the main light, denoise, tone, sharpen
    est = sh.amb_c * rng.uniform(0.96, 1.04, 3)
    if sh.lamp_weight > 0.45:
        est = 0.5 * (est + sh.lamp_c)
    img = img * (est[1] / est).astype(np.float32)
    # clipped highlights go neutral, as a phone's processing makes them
    top = img.max(-1, keepdims=True)
    hl = _smoothstep(0.9, 1.05, _small_blur(top, 1.5))
    img = img * (1 - hl) + top * hl
    den = rng.uniform(0.2, 0.6) if case != "noise" else rng.uniform(0.4, 0.8)
    yl = img.mean(-1, keepdims=True)
    chroma = _small_blur(img - yl, rng.uniform(0.8, 1.8))
    yl = yl * (1 - den) + _small_blur(yl, 0.8) * den
    out = _srgb_encode(yl + chroma)
    curve = rng.uniform(0.0, 0.25)   # the phone's contrast curve
    out = out + curve * out * (1 - out) * (out - 0.45) * 2
    if rng.random() < 0.85:   # unsharp mask, with its halos
        lum = out.mean(-1, keepdims=True)
        out = out + rng.uniform(0.3, 1.2) * (lum - _small_blur(lum, rng.uniform(0.8, 1.6)))
    out = np.clip(np.rint(out * 255), 0, 255).astype(np.uint8)
    q = int(rng.integers(50, 96)) if case != "jpeg-q60" else 60
    sub = int(rng.choice([2, 1, 0], p=[0.8, 0.1, 0.1])) if case != "jpeg-q60" else 2   # mostly 4:2:0
    buf = io.BytesIO()
    Image.fromarray(out, "RGB").save(buf, "JPEG", quality=q, subsampling=sub)
    return buf.getvalue()


def render(case, seed):
    """One photo of class `case`: (JPEG bytes, truth), truth True = ink."""
    rng = np.random.default_rng(seed)
    sh = SimpleNamespace(case=case, kind=KIND[case])
    _compose(rng, sh)
    _lay_print(rng, sh)
    _ink_layers(rng, sh)
    src = sh.sig_im if sh.kind == "signature" else sh.seal_im if sh.kind == "seal" else None
    if src is None:
        truth = np.zeros((sh.H, sh.W), bool)
    else:   # 8 of 16 sub-samples covered reduce to 128
        truth = np.asarray(src.point(lambda x: 255 if x else 0).reduce(SS_INK)) >= 120
    img = _light(rng, sh, _reflectance(rng, sh))
    return _camera(rng, sh, img), truth


def _demosaic(raw):
    """Bilinear demosaic of an RGGB mosaic."""
    H, W = raw.shape
    m = np.zeros((H, W, 3), np.float32)
    m[0::2, 0::2, 0] = 1
    m[0::2, 1::2, 1] = 1
    m[1::2, 0::2, 1] = 1
    m[1::2, 1::2, 2] = 1
    k = np.array([[0.25, 0.5, 0.25], [0.5, 1.0, 0.5], [0.25, 0.5, 0.25]], np.float32)
    out = np.empty((H, W, 3), np.float32)
    for c in range(3):
        v = np.pad(raw * m[..., c], 1, mode="reflect")
        w = np.pad(m[..., c], 1, mode="reflect")
        kk = k if c != 1 else np.array([[0, 0.25, 0], [0.25, 1.0, 0.25], [0, 0.25, 0]], np.float32)
        num = sum(kk[i, j] * v[i:i + H, j:j + W] for i in range(3) for j in range(3) if kk[i, j])
        den = sum(kk[i, j] * w[i:i + H, j:j + W] for i in range(3) for j in range(3) if kk[i, j])
        out[..., c] = num / np.maximum(den, 1e-6)
    return out
