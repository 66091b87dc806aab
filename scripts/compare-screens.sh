#!/usr/bin/env bash
# Every screen of two builds, pixel against pixel: the screens walk
# (tests/e2e/screens_walk.py) of each build at 1280x720, 1920x1080 and
# 3840x2160, both with the clock started at the same moment (faketime), so
# clocks, guides and progress read alike; then the number of pixels that
# differ on each screen (ImageMagick's compare -metric AE) and a picture of
# where (diff-<screen>.png). For changes to how things are drawn.
#
#   scripts/compare-screens.sh BEFORE_DIR AFTER_DIR OUT_DIR
#
# Each DIR holds a build's vistra and vistra_standin. Prints
# "<size> <screen> <pixels>" per screen and the total of differing screens.
set -euo pipefail
before=$(realpath "$1") after=$(realpath "$2")
mkdir -p "$3"
out=$(realpath "$3")
walk="$(cd "$(dirname "$0")/.." && pwd)/tests/e2e/screens_walk.py"
start="@2026-01-15 12:00:05"
for size in 1280x720 1920x1080 3840x2160; do
  for side in before after; do
    dir=$before
    [ "$side" = after ] && dir=$after
    rm -rf "$out/$side/$size"
    # Children keep the walk's start of the clock, so the program and the
    # stand-in agree on the time.
    FAKETIME_DONT_RESET=1 faketime -f "$start" \
      xvfb-run -a -s "-screen 0 ${size}x24" python3 "$walk" --one "$dir/vistra" "$dir/vistra_standin" \
      "$out/$side/$size" > "$out/$side-$size.log" 2>&1 || echo "$side $size: the walk reported faults (see $out/$side-$size.log)"
  done
done
differing=0
for size in 1280x720 1920x1080 3840x2160; do
  for png in "$out/before/$size"/*.png; do
    name=$(basename "$png" .png)
    other="$out/after/$size/$name.png"
    [ -f "$other" ] || { echo "$size $name missing after"; continue; }
    pixels=$(compare -metric AE "$png" "$other" "$out/after/$size/diff-$name.png" 2>&1 || true)
    echo "$size $name $pixels"
    [ "$pixels" = 0 ] || differing=$((differing + 1))
  done
done
echo "$differing screen(s) differ"
