#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need.
set -euo pipefail
PACKAGES=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcurl4-openssl-dev libssl-dev openssl libfmt-dev libcpp-httplib-dev
  libsdl2-dev libsdl2-image-dev libmpv-dev libcairo2-dev libpango1.0-dev libicu-dev libqrencode-dev
  libgl-dev libgl1-mesa-dri libglx-mesa0
  xvfb xauth x11-xserver-utils ffmpeg imagemagick xdotool python3 zbar-tools
  gettext
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
fi
