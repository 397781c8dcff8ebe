#!/bin/sh
# Builds the Debian package of a build tree, unpacks it into a scratch folder
# and checks the files are where the desktop entry and the help button look.
# Usage: CheckPackage.sh BUILD_FOLDER DATADIR BINDIR (the paths compiled in)
set -eu
build=$1 datadir=$2 bindir=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "package: $*" >&2; exit 1; }

# gzip rather than xz: the check is about where files go, not about size.
cpack -G DEB -B "$scratch/out" --config "$build/CPackConfig.cmake" \
  -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip >/dev/null
deb=$(ls "$scratch"/out/*.deb)
dpkg-deb -x "$deb" "$scratch/root"
root=$scratch/root

dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "no Qt in Depends"
entry=$root$datadir/applications/quorel.desktop
[ -f "$entry" ] || fail "no desktop entry"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
icon_name=$(sed -n 's/^Icon=//p' "$entry")
[ -x "$root$bindir/$exec_name" ] || fail "Exec=$exec_name is not in $bindir"
[ -x "$root$bindir/quorel-snippet" ] || fail "no quorel-snippet"
for size in 16 32 48; do
  [ -f "$root$datadir/icons/hicolor/${size}x$size/apps/$icon_name.png" ] || fail "no $size-pixel icon"
done
[ -f "$root$datadir/quorel/help/man.html" ] || fail "no help page under $datadir"
echo "package: $(basename "$deb") is complete"
