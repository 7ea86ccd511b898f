#!/usr/bin/env bash
# Installs everything the game, its content tools and its tests need on Debian 12.
set -euo pipefail

packages=(
  g++ make cmake pkg-config ninja-build
  libsdl1.2-compat-dev libsdl-mixer1.2-dev
  libtomlplusplus-dev libvorbis-dev
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri
  libfreetype-dev libfontconfig-dev fonts-dejavu-core fonts-dejavu-extra
  libenet-dev
  libassimp-dev libembree-dev libstb-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libbullet-dev
  clang libclang-rt-14-dev
  libx11-dev
  xvfb xauth xdotool x11-utils x11-apps imagemagick valgrind
  desktop-file-utils appstream dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "setup: installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
