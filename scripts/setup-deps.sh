#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
# Safe to run any number of times: apt-get skips what is already installed.
set -euo pipefail

packages=(
  build-essential g++ clang cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools libqt6opengl6-dev
  libqt6svg6-dev libgl-dev libxkbcommon-dev libboost-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libclang-rt-14-dev libdxflib-dev python3-ezdxf poppler-utils
  xvfb xauth x11-apps imagemagick
  fonts-dejavu-core fonts-dejavu-extra
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
