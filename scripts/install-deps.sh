#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need.
set -euo pipefail
PACKAGES=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcurl4-openssl-dev libssl-dev openssl libfmt-dev libcpp-httplib-dev
  libsdl2-dev libsdl2-image-dev libmpv-dev libcairo2-dev libpango1.0-dev libicu-dev libqrencode-dev
  libgl-dev libgl1-mesa-dri libglx-mesa0
  xvfb xauth x11-xserver-utils x11-utils ffmpeg imagemagick xdotool python3 zbar-tools
  gettext
)
"$(dirname "$0")/apt-install-missing.sh" "${PACKAGES[@]}"
