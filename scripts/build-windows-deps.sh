#!/usr/bin/env bash
# Cross-builds the third-party libraries the Windows build needs and Windows
# lacks (expat, fmt, libqrencode, GoogleTest; cpp-httplib's header for the
# test fixtures)
# from Debian's own sources into a cache folder outside the tree:
# ${VISTRA_WINDOWS_CACHE:-$HOME/.cache/vistra-windows}/prefix.
# A library already there is kept (a stamp names its version), so a second
# run returns in a moment. Needs scripts/install-deps.sh first (the mingw-w64
# compilers and a deb-src entry for `apt-get source`).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cache="${VISTRA_WINDOWS_CACHE:-$HOME/.cache/vistra-windows}"
prefix="$cache/prefix"
sources="$cache/src"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
mkdir -p "$prefix" "$sources"
export VISTRA_WINDOWS_CACHE="$cache"

source "$root/scripts/windows-sources.sh"

# Configures, builds and installs a CMake project for Windows, static only.
cmake_install() {
  local source="$1" build="$2"
  shift 2
  cmake -S "$source" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF "$@" >/dev/null
  cmake --build "$build" -j 2 >/dev/null
  cmake --install "$build" >/dev/null
}

build_expat() {
  local version folder
  version="$(source_version expat)"
  [ -f "$prefix/.expat-$version" ] && return 0
  folder="$(unpack_source expat "$version")"
  local build="$cache/build/expat"
  rm -rf "$build"
  # The library's own CMake project sits in the expat/ folder of the source.
  cmake -S "$folder/expat" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF -DEXPAT_BUILD_EXAMPLES=OFF \
    -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF -DEXPAT_BUILD_PKGCONFIG=ON >/dev/null
  # Debian's patches test `#if XML_DTD == 1`, which the CMake build's empty
  # definition fails: give it the value the autotools build gives.
  sed -i 's/^#define XML_DTD$/#define XML_DTD 1/; s/^#define XML_GE$/#define XML_GE 1/' "$build/expat_config.h"
  cmake --build "$build" -j 2 >/dev/null
  cmake --install "$build" >/dev/null
  touch "$prefix/.expat-$version"
}

build_fmt() {
  local version folder
  version="$(source_version fmtlib)"
  [ -f "$prefix/.fmt-$version" ] && return 0
  folder="$(unpack_source fmtlib "$version")"
  rm -rf "$cache/build/fmt"
  cmake_install "$folder" "$cache/build/fmt" -DFMT_TEST=OFF -DFMT_DOC=OFF -DFMT_INSTALL=ON
  touch "$prefix/.fmt-$version"
}

# libqrencode for the Account screen's QR code: the library alone.
build_qrencode() {
  local version folder
  version="$(source_version qrencode)"
  [ -f "$prefix/.qrencode-$version" ] && return 0
  # The archive answers 404 for this package's Debian diff, which changes
  # only the packaging: the upstream tarball builds as it is.
  folder="$sources/qrencode-${version%-*}"
  if [ ! -d "$folder" ]; then
    (cd "$sources" && apt-get source --tar-only "qrencode=$version" >/dev/null && tar xf qrencode_"${version%-*}".orig.tar.*)
  fi
  rm -rf "$cache/build/qrencode"
  cmake_install "$folder" "$cache/build/qrencode" -Wno-dev -DWITH_TOOLS=NO -DWITH_TESTS=NO -DWITHOUT_PNG=YES
  touch "$prefix/.qrencode-$version"
}

# GoogleTest: the sources Debian's googletest package installs.
build_googletest() {
  local version
  version="$(dpkg-query -W -f='${Version}' googletest)"
  [ -f "$prefix/.googletest-$version" ] && return 0
  rm -rf "$cache/build/googletest"
  cmake_install /usr/src/googletest "$cache/build/googletest" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
  touch "$prefix/.googletest-$version"
}

# cpp-httplib for the test fixtures: its source package holds the
# header-only form (Debian's binary package splits it into a Linux library).
install_httplib() {
  local version folder
  version="$(source_version cpp-httplib)"
  [ -f "$prefix/.cpp-httplib-$version" ] && return 0
  folder="$(unpack_source cpp-httplib "$version")"
  install -D -m 644 "$folder/httplib.h" "$prefix/include/httplib.h"
  touch "$prefix/.cpp-httplib-$version"
}

build_expat
build_fmt
build_qrencode
build_googletest
install_httplib
