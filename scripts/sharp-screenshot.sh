#!/usr/bin/env bash
# The sample signature and seal at fit-height 48 as GIF 1×, GIF 2× and PNG 2×,
# on a light and a dark page, rendered by headless Chromium at device scale 2.
# Usage: sharp-screenshot.sh BUILD_FOLDER   (writes build/sharp-2x.png)
set -euo pipefail
build=$1
top=$(cd "$(dirname "$0")/.." && pwd)
tool=$build/src/cli/quorel-snippet
out=$top/build/sharp-2x.png
[ -x "$tool" ] || { echo "sharp-screenshot: $tool is missing; build $build first" >&2; exit 1; }
command -v chromium-headless-shell >/dev/null ||
  { echo "sharp-screenshot: chromium-headless-shell is not installed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/settings"
snippet() {
  "$tool" --settings "$work/settings" --signature "$top/resources/samples/signature.bmp" \
    --seal "$top/resources/samples/seal.bmp" --signature-color 2a5db0 --align left \
    --signature-scale height:48 --seal-scale height:48 "$@"
}
gif1=$(snippet) gif2=$(snippet --density 2) png2=$(snippet --format png --density 2)
row() {  # background, text colour
  printf '<tr style="background:%s;color:%s">' "$1" "$2"
  printf '<td>%s</td><td>%s</td><td>%s</td></tr>' "$gif1" "$gif2" "$png2"
}
{
  printf '<html><body style="margin:0;font:13px DejaVu Sans,sans-serif">'
  printf '<table cellspacing=0 cellpadding=12 style="width:660px;white-space:nowrap">'
  printf '<tr><th>GIF 1×</th><th>GIF 2×</th><th>PNG 2×</th></tr>'
  row '#ffffff' '#000000'
  row '#202124' '#ffffff'
  printf '</table></body></html>'
} > "$work/page.html"

mkdir -p "$(dirname "$out")"
chromium-headless-shell --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
  --disable-component-update --disable-sync --hide-scrollbars --force-color-profile=srgb \
  --user-data-dir="$work/profile" --screenshot="$out" --force-device-scale-factor=2 \
  --window-size=660,190 "file://$work/page.html" 2>/dev/null >/dev/null
echo "sharp-screenshot: $out"
