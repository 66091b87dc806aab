#!/usr/bin/env bash
# Builds Vistra and starts it.
#
# Without a playlist of your own (no PlaylistUrl in
# $XDG_DATA_HOME/Vistra43/settings.json, or only the demo's), Vistra starts
# with the demo provider: the stand-in server on 127.0.0.1 plays the
# provider, the panel and the public services, with media made once into
# build/demo-media, and stops when Vistra ends. With a playlist of your own,
# Vistra starts alone.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja
cmake --build build

settings="${XDG_DATA_HOME:-$HOME/.local/share}/Vistra43/settings.json"
playlist=""
if [ -f "$settings" ]; then
  playlist=$(grep -o '"PlaylistUrl" *: *"[^"]*"' "$settings" | head -n 1 | sed 's/.*: *"\(.*\)"/\1/' || true)
fi
# The demo's own playlist (the demo panel hands it out) counts as none.
demo_playlist='^http://127\.0\.0\.1:[0-9]+/get\.php\?username=demo&password=demo(&|$)'
if [ -n "$playlist" ] && ! [[ "$playlist" =~ $demo_playlist ]]; then
  exec ./build/vistra
fi

echo "start: no playlist of your own, so Vistra starts with the demo provider"
scripts/make-demo-media.sh build/demo-media

# A fixed port keeps the demo playlist, and so the catalog cache, the same
# from one start to the next; another free port is taken when it is busy.
port=${VISTRA_DEMO_PORT:-43043}
standin_output=$(mktemp)
standin=""
stop_standin() {
  if [ -n "$standin" ]; then
    kill "$standin" 2>/dev/null || true
    wait "$standin" 2>/dev/null || true
  fi
  rm -f "$standin_output"
}
trap stop_standin EXIT
trap 'exit 130' INT TERM

start_standin() {
  ./build/tests/vistra_standin "$1" --media build/demo-media >"$standin_output" &
  standin=$!
  for _ in $(seq 50); do
    [ "$(wc -l <"$standin_output")" -ge 2 ] && return 0
    kill -0 "$standin" 2>/dev/null || { wait "$standin" || true; standin=""; return 1; }
    sleep 0.1
  done
  return 1
}
start_standin "$port" || start_standin 0 || { echo "start: the stand-in server did not start" >&2; exit 1; }
base=$(head -n 1 "$standin_output")
echo "start: demo provider at $base"

export VISTRA_PANEL_URL="$base"
export VISTRA_TMDB_API_URL="$base"
export VISTRA_TMDB_IMAGE_URL="$base"
export VISTRA_WATCH_URL="$base"
export VISTRA_SPORTS_URL="$base"
export VISTRA_TRACE_URL="$base/cdn-cgi/trace"
export VISTRA_SPEEDTEST_URL="$base"
status=0
./build/vistra || status=$?
exit "$status"
