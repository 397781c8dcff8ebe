#!/usr/bin/env bash
# Installs the Debian packages a target needs, and only those not yet installed.
# Usage: install-deps.sh [test|run|bench|fuzz|shots|fixtures|package|web]...   (default: test)
set -euo pipefail

# qt6-translations-l10n: Qt's own dialogs in Japanese (a test checks it is loaded).
packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev
          qt6-base-dev libjpeg62-turbo-dev libpng-dev libgif-dev qt6-translations-l10n
          libheif-dev libwebp-dev)  # HEIC and WebP pictures (the web edition goes without)
for what in "${@:-test}"; do
  case "$what" in
    # the browser tests (under CI=true a missing one fails); the window's cases under Xvfb
    test) packages+=(chromium-headless-shell xvfb xauth) ;;
    run) packages+=(fonts-noto-cjk) ;;  # the window's Japanese texts
    bench) packages+=(imagemagick python3-pil python3-numpy libjpeg-turbo-progs) ;;  # djpeg: the camera job's reference; numpy: the photo generators
    fuzz)  packages+=(clang libclang-rt-14-dev) ;;
    shots) packages+=(xvfb xauth x11-apps fonts-noto-cjk chromium-headless-shell) ;;
    fixtures) packages+=(imagemagick python3-pil libjpeg-turbo-progs webp libheif-examples) ;;  # cwebp, heif-enc
    package) packages+=(dpkg-dev) ;;  # cpack's DEB generator
    # The web edition: emscripten and node; dpkg-dev unpacks the libraries' Debian sources;
    # the page's test drives chromium-headless-shell through node-ws and makes a WebP with
    # cwebp; Debian's node 18 beside a newer one (scripts/node18.sh) loads the node-* modules.
    web) packages+=(emscripten node-acorn binaryen nodejs dpkg-dev python3 libjpeg62-turbo-dev libpng-dev
                    zlib1g-dev node-ws chromium-headless-shell webp node-cjs-module-lexer node-undici) ;;
    *) echo "install-deps: unknown set '$what'" >&2; exit 2 ;;
  esac
done

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
