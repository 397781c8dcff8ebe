#!/usr/bin/env bash
# Installs the Debian packages a target needs, and only those not yet installed.
# Usage: install-deps.sh [test|run|bench|fuzz|shots|fixtures]...   (default: test)
set -euo pipefail

packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev
          qt6-base-dev libjpeg62-turbo-dev libpng-dev libgif-dev)
for what in "${@:-test}"; do
  case "$what" in
    test) ;;
    run) packages+=(fonts-noto-cjk) ;;  # the window's Japanese texts
    bench) packages+=(imagemagick libjpeg-turbo-progs) ;;  # convert and djpeg, the references
    fuzz)  packages+=(clang libclang-rt-14-dev) ;;
    shots) packages+=(xvfb xauth x11-apps fonts-noto-cjk) ;;
    fixtures) packages+=(imagemagick python3-pil libjpeg-turbo-progs) ;;
    *) echo "install-deps: unknown set '$what'" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
