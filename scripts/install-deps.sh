#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need.
set -euo pipefail
PACKAGES=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev libsimdjson-dev
  libcurl4-openssl-dev libssl-dev openssl libfmt-dev libcpp-httplib-dev
  libsdl2-dev libsdl2-image-dev libmpv-dev libcairo2-dev libpango1.0-dev libicu-dev libqrencode-dev
  libgl-dev libgl1-mesa-dri libglx-mesa0 mpv
  xvfb xauth x11-xserver-utils x11-utils ffmpeg imagemagick xdotool python3 zbar-tools
  # scripts/compare-screens.sh starts two builds at one moment of the clock.
  faketime
  gettext
  # The interface's faces: DejaVu for Latin, Greek, Cyrillic, Arabic and
  # Hebrew, and a CJK face for channel names (the font tests check both).
  fonts-dejavu-core fonts-droid-fallback
  libexpat1-dev zlib1g-dev
  # Desktop notifications (GDBus), and the private bus their test starts.
  libglib2.0-dev dbus-daemon
  # The XMLTV benchmark's DOM yardstick only; the program never links it.
  libxml2-dev
  # A compiler cache for CI, which compiles the program three times over
  # (.ci/run keeps it under ~/.cache between runs).
  ccache
  # The fuzz build (scripts/fuzz.sh, and CI links every target): clang and
  # its libFuzzer and sanitizer runtimes.
  clang libclang-rt-14-dev
  # The Debian package (cpack, scripts/package.sh): dependencies from the
  # linked libraries, the validators, and a chroot to install it into.
  dpkg dpkg-dev file lintian desktop-file-utils appstream man-db debootstrap
  # The Windows build (scripts/build-windows.sh): mingw-w64 with posix
  # threads and its zlib, Wine to run the tests, and the source packages of
  # the libraries Windows lacks (apt-get source, with dpkg-dev above).
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev
  wine wine64 googletest
  # The media engine for Windows (scripts/build-windows-libmpv.sh): FFmpeg's
  # assembly, and meson for the font stack and the engine.
  nasm meson
  # The Windows installer and zip (scripts/package-windows.sh): the icon as
  # .ico, the NSIS compiler, the zip archiver.
  icoutils nsis zip
)
# Not installed on purpose: vlc and yt-dlp. The program starts them when the
# user has them (the external player, trailer resolution); the tests put
# python3 stand-ins named "vlc" and "yt-dlp" first on PATH (or empty PATH)
# and record their arguments, so the real programs are never run.
# `apt-get source` needs the archive's source entries: the same archive as
# the binary packages, read once more when the entry is new.
if ! grep -rqs "^Types:.*deb-src\|^deb-src " /etc/apt/sources.list /etc/apt/sources.list.d/; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  printf '%s\n' "Types: deb-src" "URIs: http://deb.debian.org/debian" "Suites: bookworm bookworm-updates" \
    "Components: main" "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" |
    $SUDO tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
  $SUDO apt-get update
fi
"$(dirname "$0")/apt-install-missing.sh" "${PACKAGES[@]}"
