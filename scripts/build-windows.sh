#!/usr/bin/env bash
# Builds the Windows version (mingw-w64, the `windows` preset, build-windows/)
# with its test programs, after scripts/install-deps.sh: first the
# third-party libraries Windows lacks, from Debian's sources into the cache
# folder ${VISTRA_WINDOWS_CACHE:-$HOME/.cache/vistra-windows} (kept between
# runs), then Wine's prefix there, then the program's own code. The tests then
# run under Wine with `ctest --preset windows`.
set -euo pipefail
cd "$(dirname "$0")/.."
export VISTRA_WINDOWS_CACHE="${VISTRA_WINDOWS_CACHE:-$HOME/.cache/vistra-windows}"
scripts/build-windows-deps.sh
# Wine makes its prefix on first use, which takes a while; made once here,
# before the build runs Windows tools and lists the tests two at a time.
cmake/wine-run.sh wineboot --init
cmake --preset windows
cmake --build --preset windows -j 2
