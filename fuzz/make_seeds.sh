#!/usr/bin/env bash
# Fills fuzz/seeds/<target>/ from the reader fixtures in tests/data (made by
# tests/data/make_fixtures.py), plus a bare DIB for the BMP reader. Run again
# after the fixtures change; the seeds are checked in.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
data=$here/../tests/data
copy() {  # target, source folder, extension
  mkdir -p "$here/seeds/$1"
  rm -f "$here/seeds/$1"/*
  cp "$data/$2"/*."$3" "$here/seeds/$1/"
}
copy bmp bmp bmp
copy gif gif gif
copy jpeg jpeg jpg
copy png png png
# A bare packed DIB: the 24-bit fixture without its 14-byte file header.
tail -c +15 "$data/bmp/rgb24.bmp" > "$here/seeds/bmp/bare-dib-rgb24"
