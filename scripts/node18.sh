#!/usr/bin/env bash
# Debian's node 18 beside a newer system node, for the tool's test on both:
# its two packages unpacked under build/node18/ (nothing installed), and
# build/node18/node to run it. Debian's node loads a few of its built-in
# modules from /usr/share/nodejs (node-cjs-module-lexer, node-undici: the
# "web" set of install-deps.sh). Nothing to do when the system's node is 18.
# Without Debian's node 18 the node 18 test is left out, except under CI=true.
set -euo pipefail

missing() {
  echo "node18: $1: the tool is not tested on node 18" >&2
  [ "${CI:-}" != true ] || exit 1
  exit 0
}

root=$(cd "$(dirname "$0")/.." && pwd)
dir=$root/build/node18
[ "$(node -p 'process.versions.node.split(".")[0]')" = 18 ] && exit 0
[ -x "$dir/node" ] && exit 0
node18_version() { apt-cache madison nodejs | awk -F' *\\| *' '$2 ~ /^18\./ { print $2; exit }'; }
version=$(node18_version)
if [ -z "$version" ]; then  # a machine whose package lists were never fetched
  sudo=(); [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -q >/dev/null 2>&1 || true
  version=$(node18_version)
fi
[ -n "$version" ] || missing "Debian's node 18 is not in the package lists"
rm -rf "$dir" && mkdir -p "$dir"
(cd "$dir" && apt-get download -q "nodejs=$version" "libnode108=$version" >/dev/null 2>&1) ||
  missing "nodejs $version cannot be downloaded"
for deb in "$dir"/*.deb; do dpkg-deb -x "$deb" "$dir/root"; done
cat >"$dir/node" <<SCRIPT
#!/bin/sh
LD_LIBRARY_PATH="$dir/root/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)" exec "$dir/root/usr/bin/node" "\$@"
SCRIPT
chmod +x "$dir/node"
echo "node18: $("$dir/node" --version) in $dir"
