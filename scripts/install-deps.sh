#!/usr/bin/env bash
# Installs the Debian packages Corvid builds and runs with. Safe to run again: only what is
# missing is installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang
  libsdl2-dev libimgui-dev libstb-dev
  libfreetype-dev libfontconfig-dev fonts-ipafont-gothic
  libvorbis-dev libjpeg62-turbo-dev libpng-dev
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
  libgtest-dev libgmock-dev libbenchmark-dev liblz4-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
