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
# Direct2D under Wine draws through its Direct3D, which needs an X display:
# without one (a CI machine, a console) the program gets a virtual screen of
# its own. (Started once per program, and Wine's session outlives it by a
# few seconds; `xvfb-run -a ctest --preset windows` shares one screen.)
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  # Each run looks for a free display from its own starting number, so
  # tests run side by side do not race for the same one.
  exec xvfb-run -a -n $((100 + $$ % 800)) -s "-screen 0 1920x1080x24" wine "$@"
fi
exec wine "$@"
