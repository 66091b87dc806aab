#!/usr/bin/env bash
# Makes the demo provider's media with ffmpeg, once, into a folder (default
# build/demo-media) that the stand-in server serves:
#   live/<id>/loop.m3u8, seg_NNN.ts  a 48-second loop of two-second MPEG-TS
#                                     segments per live channel (the server
#                                     plays it endlessly by the wall clock)
#   movies/<id>.<ext>, episodes/<id>.mkv
#                                     two audio tracks (eng, ron) and one
#                                     subtitle track (eng) each
#   icons/<id>.png                    channel logos
#   posters/<id>.jpg                  movie posters and the series cover
#   backdrop.jpg                      the trending movie's backdrop
# The folder counts as made when its file "complete" holds MEDIA_VERSION;
# anything else is made again, in a temporary folder renamed at the end, so
# an interrupted run never leaves half a folder behind.
#
# The ids and names here are those of the demo catalog
# (tests/fixtures/demo_catalog.cpp); keep the two in step.
set -euo pipefail

MEDIA_VERSION=3
OUT=${1:-"$(cd "$(dirname "$0")/.." && pwd)/build/demo-media"}
OUT=${OUT%/}

if [ -f "$OUT/complete" ] && [ "$(cat "$OUT/complete")" = "$MEDIA_VERSION" ]; then
  exit 0
fi
for tool in ffmpeg fc-match; do
  command -v "$tool" >/dev/null || { echo "make-demo-media: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

mkdir -p "$(dirname "$OUT")"
# One maker at a time (the test suite and scripts/start.sh may both ask).
exec 9>"$OUT.lock"
flock 9
if [ -f "$OUT/complete" ] && [ "$(cat "$OUT/complete")" = "$MEDIA_VERSION" ]; then
  exit 0
fi

WORK="$OUT.tmp.$$"
rm -rf "$WORK"
mkdir -p "$WORK/live" "$WORK/movies" "$WORK/episodes" "$WORK/icons" "$WORK/posters" "$WORK/scratch"
trap 'rm -rf "$WORK"' EXIT
SECONDS=0

FONT=$(fc-match -f '%{file}' 'DejaVu Sans:bold')
FONT_PLAIN=$(fc-match -f '%{file}' 'DejaVu Sans')
JOBS=$(nproc 2>/dev/null || echo 2)
FF=(ffmpeg -hide_banner -nostdin -loglevel error -y)

# --- live channels: id|name|background|hue|tone Hz|ticker ---
CHANNELS=(
  "101|Vistra News|smptehdbars|0|440|Headlines every hour · weather at ten past"
  "102|World Report|testsrc2|30|494|Reports from five continents · live from the studio"
  "103|Market Watch|rgbtestsrc|200|523|Markets open · currencies · commodities"
  "104|Sport Arena|testsrc|90|587|Tonight the cup final · highlights after the match"
  "105|Goal Line|pal75bars|150|659|Every goal of the weekend"
  "106|Pit Lane|testsrc2|250|698|Qualifying laps · race day coverage"
  "107|Cartoon Park|smptebars|300|784|Cartoons all morning · songs at noon"
  "108|Little Stars|yuvtestsrc|60|880|Stories for little ones"
  "109|Hit Parade|testsrc|180|330|The top twenty · new releases"
  "110|Jazz Lounge|pal100bars|220|370|Late-night jazz · live sessions"
  "111|Planet Wild|testsrc2|120|392|Wildlife from the poles to the tropics"
  "112|Time Travellers|rgbtestsrc|330|415|History retold · ancient cities"
)
# --- movies: id|title|extension|seconds|background|hue|size ---
MOVIES=(
  "201|Harbour Lights|mkv|90|testsrc2|20|640x360"
  "202|Paper Orbit|mp4|60|testsrc|160|640x360"
  "203|North Road|mkv|60|smptehdbars|260|640x360"
  "204|The Quiet Valley|mkv|75|testsrc2|100|640x360"
  "205|Clockwork Garden|mp4|60|rgbtestsrc|40|640x360"
  "206|Salt and Stone|mkv|60|testsrc|300|640x360"
  "207|Midnight Ferry|mkv|90|testsrc2|210|640x360"
  "208|Harbour Lights 1080p|mkv|30|testsrc2|20|1920x1080"
)
# --- episodes of the series "The Lighthouse" (401): id|title|season|seconds ---
EPISODES=(
  "4011|The Lighthouse S01E01 - Arrival|1|45"
  "4012|The Lighthouse S01E02 - The Storm|1|45"
  "4013|The Lighthouse S01E03 - Signals|1|45"
  "4021|The Lighthouse S02E01 - Return|2|45"
  "4022|The Lighthouse S02E02 - Fog|2|45"
  "4023|The Lighthouse S02E03 - Dawn|2|45"
)

# Runs a command in the background, at most one per core at a time; a
# failure is noted in the work folder and reported at the end.
FAILED="$WORK/scratch/failed"
spawn() {
  while [ "$(jobs -rp | wc -l)" -ge "$JOBS" ]; do wait -n || true; done
  ( "$@" || { echo "make-demo-media: failed: $*" >&2; touch "$FAILED"; } ) &
}

# Titles go into filter graphs between single quotes, where no escape
# works: a title with a character that would end the quote or the option is
# refused before anything is made, rather than mangled.
text() { printf '%s' "$1"; }
for row in "${CHANNELS[@]}" "${MOVIES[@]}" "${EPISODES[@]}"; do
  case $row in
    *[\'\\:%,\;]*) echo "make-demo-media: \"$row\" holds a character filter graphs cannot quote" >&2; exit 1 ;;
  esac
done

# --- the live loops ---
make_live() {
  local id=$1 name=$2 bg=$3 hue=$4 tone=$5 ticker=$6 dir="$WORK/live/$1"
  mkdir -p "$dir"
  local video="$bg=size=640x360:rate=25,format=yuv420p,hue=h=$hue"
  video+=",drawtext=fontfile=$FONT:text='$(text "$name")':fontsize=44:fontcolor=white:box=1:boxcolor=black@0.55:boxborderw=12:x=(w-tw)/2:y=36"
  video+=",drawtext=fontfile=$FONT:text='${id: -2}':fontsize=30:fontcolor=white:box=1:boxcolor=0x1e88e5@0.9:boxborderw=8:x=w-tw-24:y=h-th-84"
  video+=",drawtext=fontfile=$FONT_PLAIN:text='$(text "$ticker")   ·   Vistra demo':fontsize=22:fontcolor=yellow:box=1:boxcolor=black@0.75:boxborderw=8:x=w-mod(t*110\\,w+tw):y=h-46"
  # A soft tone of the channel's own pitch, and the channel's name spoken
  # every eight seconds.
  local audio="[2:a]aresample=48000,apad=whole_dur=8,aloop=loop=-1:size=384000[s];"
  audio+="[1:a]volume=0.06[t];[t][s]amix=inputs=2:duration=first:normalize=0,atrim=end_sample=2302976[a]"
  # Two-second segments that each begin with a key frame. The loop must
  # close exactly, for the server joins its passes end to end: 48 s is a
  # whole number of AAC frames at 48 kHz, and the audio stops one frame
  # (1024 samples) short because the encoder puts a frame of its own in
  # front, so its frames end where the video's do.
  "${FF[@]}" -f lavfi -i "$video" -f lavfi -i "sine=frequency=$tone:sample_rate=48000" \
    -f lavfi -i "flite=text='$(text "$name")':voice=slt" \
    -filter_complex "$audio" -map 0:v -map "[a]" -t 48 -threads 1 \
    -c:v libx264 -preset ultrafast -crf 27 -maxrate 900k -bufsize 1800k -g 50 -keyint_min 50 -sc_threshold 0 \
    -force_key_frames 'expr:gte(t,n_forced*2)' -pix_fmt yuv420p \
    -c:a aac -b:a 64k -metadata service_name="$name" -metadata service_provider="Vistra demo" \
    -f hls -hls_time 2 -hls_list_size 0 -hls_segment_type mpegts \
    -hls_segment_filename "$dir/seg_%03d.ts" "$dir/loop.m3u8"
}

# A subtitle file with a cue every five seconds.
make_subtitles() {
  local title=$1 seconds=$2 file=$3 n=0 s
  : >"$file"
  for ((s = 1; s + 4 <= seconds; s += 5)); do
    n=$((n + 1))
    printf '%d\n00:%02d:%02d,000 --> 00:%02d:%02d,500\n%s – subtitle %d\n(English)\n\n' \
      "$n" $((s / 60)) $((s % 60)) $(((s + 3) / 60)) $(((s + 3) % 60)) "$title" "$n" >>"$file"
  done
}

# A movie or an episode: a test picture with its title and running time,
# English and Romanian audio (two voices over tones of their own) and English
# subtitles.
make_feature() {
  local out=$1 title=$2 seconds=$3 bg=$4 hue=$5 size=$6 rate=24
  local scratch="$WORK/scratch/$(basename "$out")"
  local height=${size#*x} fontsize=40 bitrate=900k
  # The 1080p clip is there to measure decoding and drawing cost, so it
  # carries a bit rate like a real film's.
  [ "$height" -ge 1080 ] && { fontsize=96; rate=25; bitrate=6M; }
  make_subtitles "$title" "$seconds" "$scratch.srt"
  local video="$bg=size=$size:rate=$rate,format=yuv420p,hue=h=$hue"
  video+=",drawtext=fontfile=$FONT:text='$(text "$title")':fontsize=$fontsize:fontcolor=white:box=1:boxcolor=black@0.55:boxborderw=12:x=(w-tw)/2:y=h/12"
  video+=",drawtext=fontfile=$FONT_PLAIN:text='%{pts\\:hms}':fontsize=$((fontsize * 3 / 4)):fontcolor=white:box=1:boxcolor=black@0.55:boxborderw=8:x=(w-tw)/2:y=h/12+$((fontsize * 2))"
  local voices="[2:a]aresample=48000,apad=whole_dur=6,aloop=loop=-1:size=288000[e];"
  voices+="[1:a]volume=0.05[te];[te][e]amix=inputs=2:duration=first:normalize=0[eng];"
  voices+="[4:a]aresample=48000,apad=whole_dur=6,aloop=loop=-1:size=288000[r];"
  voices+="[3:a]volume=0.05[tr];[tr][r]amix=inputs=2:duration=first:normalize=0[ron]"
  local subtitle_codec=srt
  [ "${out##*.}" = mp4 ] && subtitle_codec=mov_text
  "${FF[@]}" -f lavfi -i "$video" \
    -f lavfi -i "sine=frequency=330:sample_rate=48000" -f lavfi -i "flite=text='$(text "$title"). English audio.':voice=slt" \
    -f lavfi -i "sine=frequency=262:sample_rate=48000" -f lavfi -i "flite=text='$(text "$title"). Romanian audio.':voice=awb" \
    -i "$scratch.srt" \
    -filter_complex "$voices" -map 0:v -map "[eng]" -map "[ron]" -map 5:s -t "$seconds" -threads 1 \
    -c:v libx264 -preset ultrafast -crf 27 -maxrate "$bitrate" -bufsize 2M -g $((rate * 2)) -pix_fmt yuv420p \
    -c:a aac -b:a 64k -c:s "$subtitle_codec" \
    -metadata title="$title" \
    -metadata:s:a:0 language=eng -metadata:s:a:0 title="English" \
    -metadata:s:a:1 language=ron -metadata:s:a:1 title="Română" \
    -metadata:s:s:0 language=eng -metadata:s:s:0 title="English" \
    -movflags +faststart "$out"
}

# A logo: the channel's number on a coloured tile, its name below.
make_icon() {
  local id=$1 name=$2 hue=$3
  "${FF[@]}" -f lavfi -i "color=c=0x1e4d8c:size=256x256,format=yuv444p,hue=h=$hue" \
    -vf "drawtext=fontfile=$FONT:text='${id: -2}':fontsize=120:fontcolor=white:x=(w-tw)/2:y=40,drawtext=fontfile=$FONT:text='$(text "$name")':fontsize=26:fontcolor=white:x=(w-tw)/2:y=190" \
    -frames:v 1 "$WORK/icons/$id.png"
}

make_poster() {
  local id=$1 title=$2 hue=$3
  "${FF[@]}" -f lavfi -i "gradients=size=300x450:c0=0x0d1b2a:c1=0x3a6ea5:x0=0:y0=0:x1=300:y1=450:seed=$id,hue=h=$hue" \
    -vf "drawtext=fontfile=$FONT:text='$(text "$title")':fontsize=26:fontcolor=white:box=1:boxcolor=black@0.5:boxborderw=10:x=(w-tw)/2:y=h-110" \
    -frames:v 1 -q:v 3 "$WORK/posters/$id.jpg"
}

# The trending movie's backdrop (the Home screen's background picture): a
# harbour at night, its lights on the water, a lighthouse.
make_backdrop() {
  local scene="drawbox=x=0:y=430:w=1280:h=290:color=0x06111f:t=fill"
  scene+=",drawbox=x=0:y=428:w=1280:h=3:color=0xd9a441@0.5:t=fill"
  scene+=",drawbox=x=0:y=470:w=1280:h=250:color=0x020810@0.5:t=fill"
  local i x colour
  for ((i = 0; i < 14; i++)); do
    x=$((640 + i * 40 + i * 37 % 23))
    colour=0xffb347
    ((i % 3)) || colour=0xffd27a
    scene+=",drawbox=x=$x:y=$((418 + i % 3 * 3)):w=6:h=6:color=$colour@0.95:t=fill"
    scene+=",drawbox=x=$((x + 1)):y=438:w=4:h=$((40 + i * 7 % 50)):color=$colour@0.25:t=fill"
  done
  for ((i = 0; i < 24; i++)); do
    scene+=",drawbox=x=$((300 + i * 389 % 960)):y=$((20 + i * 173 % 300)):w=2:h=2:color=white@0.$((3 + i % 6)):t=fill"
  done
  scene+=",drawbox=x=520:y=250:w=34:h=180:color=0xe8e4da:t=fill"
  scene+=",drawbox=x=520:y=300:w=34:h=22:color=0xb23a3a:t=fill,drawbox=x=520:y=360:w=34:h=22:color=0xb23a3a:t=fill"
  scene+=",drawbox=x=514:y=232:w=46:h=20:color=0xffe08a:t=fill,drawbox=x=510:y=226:w=54:h=6:color=0x2a2a2a:t=fill"
  scene+=",drawbox=x=530:y=440:w=14:h=200:color=0xffe08a@0.18:t=fill"
  scene+=",drawtext=fontfile=$FONT:text='Harbour Lights':fontsize=64:fontcolor=white@0.9:x=w-tw-80:y=h-200"
  "${FF[@]}" -f lavfi -i "gradients=size=1280x720:c0=0x040b16:c1=0x1b3a5e:x0=0:y0=0:x1=0:y1=430:nb_colors=2" \
    -vf "$scene" -frames:v 1 -q:v 3 "$WORK/backdrop.jpg"
}

for row in "${CHANNELS[@]}"; do
  IFS='|' read -r id name bg hue tone ticker <<<"$row"
  spawn make_live "$id" "$name" "$bg" "$hue" "$tone" "$ticker"
  spawn make_icon "$id" "$name" "$hue"
done
for row in "${MOVIES[@]}"; do
  IFS='|' read -r id title ext seconds bg hue size <<<"$row"
  spawn make_feature "$WORK/movies/$id.$ext" "$title" "$seconds" "$bg" "$hue" "$size"
  spawn make_poster "$id" "$title" "$hue"
done
for row in "${EPISODES[@]}"; do
  IFS='|' read -r id title season seconds <<<"$row"
  spawn make_feature "$WORK/episodes/$id.mkv" "$title" "$seconds" testsrc $((season * 140)) 640x360
done
spawn make_poster 401 "The Lighthouse" 180
spawn make_backdrop
wait
[ ! -e "$FAILED" ] || exit 1

rm -rf "$WORK/scratch"
echo "$MEDIA_VERSION" >"$WORK/complete"
rm -rf "$OUT"
mv "$WORK" "$OUT"
trap - EXIT
echo "make-demo-media: $(du -sh "$OUT" | cut -f1) of media in $OUT, made in $SECONDS s"
