#!/usr/bin/python3
"""The README's before/after figure (docs/photo-cleanup.png): for a few bench
cases, the photo and the two-level result after none, trim and photo, as
bench_cleanup writes them with QUOREL_BENCH_DUMP=FOLDER (ink black, ink missed
grey, paper white).

  QUOREL_BENCH_DUMP=/tmp/dump build/release/bench/bench_cleanup --no-timing
  make_figure.py /tmp/dump build/release/bench-photos docs/photo-cleanup.png \\
      camera-legal-pad-1 drawn-finger-shadow-1 phone-seal-over-print-0 \\
      phone-pencil-0
"""
import pathlib
import sys

from PIL import Image, ImageDraw

WIDTH = 300  # each panel


def main():
    dump, photos, out = (pathlib.Path(a) for a in sys.argv[1:4])
    rows = []
    for stem in sys.argv[4:]:
        panels = [Image.open(photos / f"{stem}.jpg").convert("RGB")]
        for level in ("none", "trim", "photo"):
            path = dump / f"{stem}-{level}.pgm"
            panels.append(Image.open(path).convert("RGB") if path.exists()
                          else Image.new("RGB", panels[0].size, "white"))
        height = round(panels[0].height * WIDTH / panels[0].width)
        rows.append([p.resize((WIDTH, height), Image.LANCZOS) for p in panels])
    label = 16
    total = sum(r[0].height for r in rows) + label + 4 * len(rows)
    sheet = Image.new("RGB", (4 * WIDTH + 12, total), "white")
    draw = ImageDraw.Draw(sheet)
    for i, name in enumerate(("photo", "none", "trim", "photo clean-up")):
        draw.text((i * (WIDTH + 4) + 4, 2), name, fill="black")
    y = label
    for row in rows:
        for i, panel in enumerate(row):
            sheet.paste(panel, (i * (WIDTH + 4), y))
        y += row[0].height + 4
    sheet.save(out, optimize=True)


if __name__ == "__main__":
    main()
