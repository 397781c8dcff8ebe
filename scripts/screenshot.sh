#!/usr/bin/env bash
# The main window with the two sample pictures and a hint, grabbed under Xvfb
# at 1× and at 2× (QT_SCALE_FACTOR=2) into docs/screenshot.png and
# docs/screenshot-2x.png.
# Usage: screenshot.sh BUILD_FOLDER
set -euo pipefail
build=$1
top=$(cd "$(dirname "$0")/.." && pwd)
tool=$build/scripts/screenshot/quorel-screenshot
[ -x "$tool" ] || { echo "screenshot: $tool is missing; build $build first" >&2; exit 1; }

settings=$(mktemp -d)
trap 'rm -rf "$settings"' EXIT
for scale in 1 2; do
  rm -f "$settings"/*
  cp "$top/resources/samples/signature.bmp" "$settings/\$quorel_s.bmp"
  cp "$top/resources/samples/seal.bmp" "$settings/\$quorel_i.bmp"
  # The signature scaled to 48 pixels high, so its readout shows the output size.
  printf '[Quorel]\r\nflags=14\r\nrate_type=1\r\nrate_h=48\r\n' > "$settings/wq.ini"
  out=$top/docs/screenshot.png
  [ "$scale" = 1 ] || out=$top/docs/screenshot-${scale}x.png
  XDG_RUNTIME_DIR=$settings QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale \
    xvfb-run -a -s "-screen 0 2048x1536x24" "$tool" "$settings" "$out"
  echo "screenshot: $out"
done
