#!/usr/bin/python3
"""Writes the clean-up bench's photos: every case class from every generator,
each from fixed seeds, as GEN-CLASS-N.jpg with its ink truth GEN-CLASS-N.pgm
(binary PGM, 255 = ink), and the list OUT/cases.txt (file, truth, generator,
class, panel). The real scans in DIBCO (a folder of NAME.jpg and NAME_gt.png,
black = ink) are listed too, their truth converted to PGM.

  make_set.py OUT [--seeds N] [--dibco FOLDER] [--generator NAME] [--case NAME]

A set already in OUT is kept when it was made from the same generators,
options, scans and libraries (OUT/stamp), so a second `make bench` starts at
once.
"""
import argparse
import hashlib
import pathlib
import sys

import numpy as np
from PIL import Image

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import gen_analytic  # noqa: E402
import gen_camera  # noqa: E402
import gen_curl  # noqa: E402
import gen_desk  # noqa: E402
import gen_drawn  # noqa: E402
import gen_form  # noqa: E402
import gen_phone  # noqa: E402
from classes import CLASSES  # noqa: E402

GENERATORS = {"analytic": gen_analytic, "drawn": gen_drawn, "camera": gen_camera, "phone": gen_phone,
              "curl": gen_curl, "desk": gen_desk, "form": gen_form}


def write_pgm(path, truth):
    h, w = truth.shape
    path.write_bytes(b"P5\n%d %d\n255\n" % (w, h) + (truth.astype(np.uint8) * 255).tobytes())


def stamp(args):
    """What a set is made from: the generators' code, the options, the scans
    read and the libraries that draw and encode."""
    digest = hashlib.sha256()
    for source in sorted(pathlib.Path(__file__).resolve().parent.glob("*.py")):
        digest.update(source.name.encode() + source.read_bytes())
    digest.update(repr((args.seeds, args.generator, args.case, np.__version__, Image.__version__)).encode())
    if args.dibco and args.dibco.is_dir():
        for scan in sorted(args.dibco.iterdir()):
            digest.update(f"{scan.resolve()} {scan.stat().st_size}".encode())
    return digest.hexdigest()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out", type=pathlib.Path)
    parser.add_argument("--seeds", type=int, default=2)
    parser.add_argument("--dibco", type=pathlib.Path)
    parser.add_argument("--generator")
    parser.add_argument("--case")
    args = parser.parse_args()
    args.out.mkdir(parents=True, exist_ok=True)
    made = stamp(args)
    stamp_file = args.out / "stamp"
    if stamp_file.exists() and stamp_file.read_text() == made and (args.out / "cases.txt").exists():
        print(f"make_set: the photos in {args.out} are up to date")
        return
    for stale in [stamp_file, args.out / "cases.txt", *args.out.glob("*.jpg"), *args.out.glob("*.pgm")]:
        stale.unlink(missing_ok=True)
    lines = []
    for g, (name, module) in enumerate(GENERATORS.items()):
        if args.generator and name != args.generator:
            continue
        for c, (case, kind) in enumerate(CLASSES):
            if args.case and case != args.case:
                continue
            for n in range(args.seeds):
                stem = f"{name}-{case}-{n}"
                jpeg, truth = module.render(case, 7919 * g + 101 * c + n + 1)
                (args.out / f"{stem}.jpg").write_bytes(jpeg)
                write_pgm(args.out / f"{stem}.pgm", truth)
                lines.append(f"{stem}.jpg {stem}.pgm {name} {case} {kind}")
    if args.dibco and args.dibco.is_dir():
        for jpg in sorted(args.dibco.glob("*.jpg")):
            gt = jpg.with_name(jpg.stem + "_gt.png")
            if not gt.exists():
                continue
            # Black is ink. The truth of one scan is smaller than its picture:
            # its picture's top and left margins were cut off (it matches the
            # picture at the bottom right, by cross-correlation), so it is
            # padded back there, as no ink, to the picture's size.
            truth = np.asarray(Image.open(gt).convert("L")) < 128
            with Image.open(jpg) as picture:
                w, h = picture.size
            th, tw = truth.shape
            if th <= h and tw <= w:
                truth = np.pad(truth, ((h - th, 0), (w - tw, 0)))
            write_pgm(args.out / f"dibco-{jpg.stem}.pgm", truth)
            lines.append(f"{jpg.resolve()} dibco-{jpg.stem}.pgm dibco {jpg.stem} signature")
    (args.out / "cases.txt").write_text("\n".join(lines) + "\n")
    stamp_file.write_text(made)


if __name__ == "__main__":
    main()
