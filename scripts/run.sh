#!/usr/bin/env bash
# Starts the desktop program; without a display, shows the command-line tool on the samples.
set -euo pipefail
build=$1
top=$(cd "$(dirname "$0")/.." && pwd)
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$build/src/app/quorel" ]; then
  exec "$build/src/app/quorel"
fi
echo "No display here: showing quorel-snippet on the sample pictures instead of the window."
samples=$top/resources/samples
settings=$(mktemp -d)
trap 'rm -rf "$settings"' EXIT
"$build/src/cli/quorel-snippet" --settings "$settings" \
  --signature "$samples/signature.bmp" --seal "$samples/seal.bmp" --align center
echo  # the snippet itself ends without a newline
