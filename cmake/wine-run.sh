#!/usr/bin/env bash
# Runs a Windows program under Wine, as the Windows build's emulator: a Wine
# prefix of the build's own in the cache folder (made on first use) and no
# debug chatter. `wine` starts 64-bit programs without the 32-bit half.
set -euo pipefail
cache="${VISTRA_WINDOWS_CACHE:-$HOME/.cache/vistra-windows}"
export WINEPREFIX="${WINEPREFIX:-$cache/wineprefix}"
mkdir -p "$(dirname "$WINEPREFIX")"
export WINEDEBUG="${WINEDEBUG:--all}"
# No desktop integration, no Gecko or Mono installer prompts in a prefix
# that only runs console programs.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-winemenubuilder.exe,mscoree,mshtml=d}"
exec wine "$@"
