#!/usr/bin/env bash
# Builds the web edition into build/web/: the core compiled to WebAssembly, the
# command-line tool for node (quorel-snippet.mjs) and the page.
#
# libjpeg-turbo, libpng and zlib are built from Debian's source packages of the
# very versions the desktop build links (Debian's patches applied), fetched with
# `apt-get source` through a private source list under build/web-deps/, so the
# system's apt configuration is never touched. They are built once; a change of
# the installed versions builds them again.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
deps=$root/build/web-deps
prefix=$deps/prefix
jobs=${JOBS:-2}
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
# emcmake's own emulator passes node a flag that node 20 rejects, and node's
# global fetch breaks the 3.1.6 loader for files: configure checks would then
# fail quietly (libjpeg-turbo's SIZEOF_SIZE_T came out as 9).
emulator="$(command -v node);--no-experimental-fetch"

# "source=version" of the Debian source package behind an installed package.
installed_source() {
  dpkg-query -W -f '${source:Package}=${source:Version}' "$1" 2>/dev/null || {
    echo "web-build: $1 is not installed (scripts/install-deps.sh web)" >&2
    exit 1
  }
}

# apt-get with a private list of deb-src lines; the system's lists stay as they are.
private_apt() {
  apt-get -q -o Dir::Etc::SourceList="$deps/apt/sources.list" -o Dir::Etc::SourceParts="$deps/apt/parts" \
    -o Dir::State="$deps/apt/state" -o Dir::Cache="$deps/apt/cache" -o APT::Sandbox::User="$(id -un)" "$@"
}

write_source_list() {
  local codename keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  mkdir -p "$deps/apt/parts" "$deps/apt/state/lists/partial" "$deps/apt/cache/archives/partial"
  cat >"$deps/apt/sources.list" <<EOF
deb-src [signed-by=$keyring] http://deb.debian.org/debian $codename main
deb-src [signed-by=$keyring] http://deb.debian.org/debian $codename-updates main
deb-src [signed-by=$keyring] http://deb.debian.org/debian-security $codename-security main
EOF
}

# The versions to try, best first: the installed one, then (when a security
# update superseded it, or a mirror lacks it) the other revisions of the same
# upstream version, newest first.
candidate_versions() {
  local name=${1%%=*} want=${1#*=}
  echo "$want"
  private_apt_cache showsrc "$name" | sed -n 's/^Version: //p' | grep -F "${want%-*}-" |
    grep -vxF "$want" | sort -rVu || true
}
private_apt_cache() {
  apt-cache -o Dir::Etc::SourceList="$deps/apt/sources.list" -o Dir::Etc::SourceParts="$deps/apt/parts" \
    -o Dir::State="$deps/apt/state" -o Dir::Cache="$deps/apt/cache" "$@"
}

# zlib's Debian tarball lacks a file its CMake script wants: its sources are
# compiled directly.
build_zlib() {
  local src=$1 obj=$deps/zlib-obj
  rm -rf "$obj" && mkdir -p "$obj" "$prefix/lib" "$prefix/include"
  for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
           inftrees trees uncompr zutil; do
    emcc -O2 -DHAVE_UNISTD_H -c "$src/$c.c" -o "$obj/$c.o"
  done
  emar rcs "$prefix/lib/libz.a" "$obj"/*.o
  cp "$src/zlib.h" "$src/zconf.h" "$prefix/include/"
}

build_png() {
  local src=$1
  emcmake cmake -S "$src" -B "$deps/png-build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_HARDWARE_OPTIMIZATIONS=OFF \
    -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include" >/dev/null
  cmake --build "$deps/png-build" -j "$jobs" --target png_static >/dev/null
  cp "$deps/png-build/libpng16.a" "$prefix/lib/libpng.a"
  cp "$src/png.h" "$src/pngconf.h" "$deps/png-build/pnglibconf.h" "$prefix/include/"
}

build_jpeg() {
  local src=$1
  emcmake cmake -S "$src" -B "$deps/jpeg-build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF >/dev/null
  grep -q '^#define SIZEOF_SIZE_T  *4' "$deps/jpeg-build/jconfigint.h" || {
    echo "web-build: libjpeg-turbo's configure checks failed (SIZEOF_SIZE_T is not 4)" >&2
    exit 1
  }
  cmake --build "$deps/jpeg-build" -j "$jobs" --target jpeg-static >/dev/null
  cp "$deps/jpeg-build/libjpeg.a" "$prefix/lib/"
  cp "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$deps/jpeg-build/jconfig.h" "$prefix/include/"
}

build_libraries() {
  local wanted=$1
  echo "web-build: building $wanted for WebAssembly"
  write_source_list
  private_apt update >/dev/null
  rm -rf "$deps/src" "$prefix" && mkdir -p "$deps/src"
  local want name version dir fetched built=
  for want in $wanted; do
    name=${want%%=*}
    fetched=
    for version in $(candidate_versions "$want"); do
      if (cd "$deps/src" && private_apt source "$name=$version" >/dev/null 2>&1); then
        fetched=$name=$version
        break
      fi
      echo "web-build: $name $version cannot be fetched from Debian's archive" >&2
    done
    [ -n "$fetched" ] || { echo "web-build: no source of $want" >&2; exit 1; }
    built+=" $fetched"
    dir=$(find "$deps/src" -mindepth 1 -maxdepth 1 -type d -name "$name-*" | head -1)
    case $name in
      zlib) build_zlib "$dir" ;;
      libpng1.6) build_png "$dir" ;;
      libjpeg-turbo) build_jpeg "$dir" ;;
    esac
  done
  echo "web-build: built$built"
  echo "$wanted" >"$prefix/versions"
  echo "${built# }" >"$prefix/built-from"
}

# zlib first: libpng is built against it.
wanted="$(installed_source zlib1g-dev) $(installed_source libpng-dev) $(installed_source libjpeg62-turbo-dev)"
if [ "$(cat "$prefix/versions" 2>/dev/null)" != "$wanted" ]; then
  build_libraries "$wanted"
fi

emcmake cmake -S "$root" -B "$root/build/web-cmake" $(command -v ninja >/dev/null && echo -G Ninja) \
  -DCMAKE_BUILD_TYPE=Release -DQUOREL_WEB=ON -DQUOREL_GUI=OFF \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator" -DQUOREL_WEB_OUTPUT="$root/build/web" \
  -DJPEG_INCLUDE_DIR="$prefix/include" -DJPEG_LIBRARY="$prefix/lib/libjpeg.a" \
  -DPNG_PNG_INCLUDE_DIR="$prefix/include" -DPNG_LIBRARY="$prefix/lib/libpng.a" \
  -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a" >/dev/null
cmake --build "$root/build/web-cmake" -j "$jobs"
