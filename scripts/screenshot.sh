#!/usr/bin/env bash
# The main window with the two sample pictures and a hint, grabbed under Xvfb.
# Usage: screenshot.sh BUILD_FOLDER   (writes build/screenshot.png)
set -euo pipefail
build=$1
top=$(cd "$(dirname "$0")/.." && pwd)
tool=$build/scripts/screenshot/quorel-screenshot
out=$top/build/screenshot.png
[ -x "$tool" ] || { echo "screenshot: $tool is missing; build $build first" >&2; exit 1; }

settings=$(mktemp -d)
trap 'rm -rf "$settings"' EXIT
cp "$top/resources/samples/signature.bmp" "$settings/\$quorel_s.bmp"
cp "$top/resources/samples/seal.bmp" "$settings/\$quorel_i.bmp"
# The signature scaled to 48 pixels high, so its readout shows the output size.
printf '[Quorel]\r\nflags=14\r\nrate_type=1\r\nrate_h=48\r\n' > "$settings/wq.ini"

mkdir -p "$(dirname "$out")"
XDG_RUNTIME_DIR=$settings QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1024x768x24" "$tool" "$settings" "$out"
echo "screenshot: $out"
