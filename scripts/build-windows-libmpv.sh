#!/usr/bin/env bash
# Cross-builds the media engine for Windows, libmpv-2.dll, from Debian's own
# source packages: a small LGPL FFmpeg (Windows' own TLS, D3D11VA and DXVA2
# decoding, only the formats an IPTV player meets), the subtitle font stack
# (freetype, fribidi, harfbuzz, libass with DirectWrite fonts) and the
# engine itself, all as shared libraries, into
# ${VISTRA_WINDOWS_CACHE:-$HOME/.cache/vistra-windows}/libmpv.
# Every library already built there is kept (a stamp names its version), so
# a second run returns in seconds. Nothing prebuilt is downloaded and nothing
# lands in the tree. Ends by gathering libmpv-2.dll and every DLL it loads
# (the mingw runtime included) into one folder, checking that none is
# missing, and printing that folder's path as the last line.
# Needs scripts/install-deps.sh first (mingw-w64, meson, nasm, a deb-src
# entry for `apt-get source`).
set -euo pipefail
cache="${VISTRA_WINDOWS_CACHE:-$HOME/.cache/vistra-windows}"
sources="$cache/src"
part="$cache/libmpv"
prefix="$part/prefix"
builds="$part/build"
bin="$part/bin"
host=x86_64-w64-mingw32
mingw_root="/usr/$host"
jobs=2
mkdir -p "$sources" "$prefix" "$builds"

source "$(dirname "$0")/windows-sources.sh"

# Runs a build step with its output in a log beside its build folder; on
# failure the log's tail says why.
logged() {
  local log="$1"
  shift
  if ! "$@" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "failed: $* (log: $log)" >&2
    return 1
  fi
}

# pkg-config and meson must see only the Windows libraries: the prefix's
# and mingw's own (zlib), never the build machine's.
write_tool_files() {
  cat >"$part/pkg-config" <<EOF
#!/bin/sh
PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig:$mingw_root/lib/pkgconfig" PKG_CONFIG_PATH= exec pkg-config "\$@"
EOF
  chmod +x "$part/pkg-config"
  # meson 1.0 reads the key "pkgconfig" (the newer "pkg-config" is ignored).
  cat >"$part/cross.txt" <<EOF
[binaries]
c = '$host-gcc-posix'
cpp = '$host-g++-posix'
ar = '$host-ar'
strip = '$host-strip'
windres = '$host-windres'
pkgconfig = '$part/pkg-config'
exe_wrapper = 'wine'

[host_machine]
system = 'windows'
cpu_family = 'x86_64'
cpu = 'x86_64'
endian = 'little'
EOF
}

# Configures, builds and installs a meson project as shared libraries.
meson_install() {
  local name="$1" source="$2"
  shift 2
  local build="$builds/$name"
  rm -rf "$build"
  logged "$builds/$name-setup.log" meson setup "$build" "$source" --cross-file "$part/cross.txt" \
    --prefix "$prefix" --libdir lib --buildtype release --default-library shared --wrap-mode nodownload "$@"
  logged "$builds/$name-build.log" ninja -C "$build" -j "$jobs"
  logged "$builds/$name-install.log" meson install -C "$build" --no-rebuild
}

# FFmpeg, LGPL, with only what the player plays: the containers of live
# and on-demand IPTV, their audio, video and subtitle codecs, the network
# protocols with Schannel for TLS, and the filters the engine's audio and
# video chains insert. Hardware decoding through D3D11VA and DXVA2.
build_ffmpeg() {
  local version folder
  version="$(source_version ffmpeg)"
  [ -f "$prefix/.ffmpeg-$version" ] && return 0
  folder="$(unpack_source ffmpeg "$version")"
  local build="$builds/ffmpeg"
  rm -rf "$build"
  mkdir -p "$build"
  local demuxers=mpegts,hls,mov,matroska,flv,aac,mp3,ac3,eac3,h264,hevc,mpegvideo,mpegps,ogg,wav,ass,srt,webvtt
  local decoders=h264,hevc,mpeg1video,mpeg2video,aac,aac_latm,ac3,eac3,mp1,mp2,mp3,mp1float,mp2float,mp3float
  decoders+=,opus,vorbis,flac,pcm_s16le,pcm_s16be,pcm_s24le,pcm_f32le,mjpeg,png
  decoders+=,dvbsub,dvdsub,pgssub,subrip,srt,ass,ssa,webvtt,movtext,text
  local parsers=h264,hevc,mpegvideo,aac,aac_latm,ac3,mpegaudio,opus,vorbis,flac,dvbsub,dvdsub,mjpeg,png
  local protocols=file,http,https,httpproxy,hls,tcp,tls,udp,crypto,data,rtmp,rtmps
  local filters=format,aformat,null,anull,scale,aresample,volume
  filters+=,yadif,bwdif,hwupload,hwdownload,hwmap,crop,pad,hflip,vflip,transpose,rotate,setpts,asetpts
  filters+=,atempo,pan,loudnorm,dynaudnorm,fps,setsar,setdar,aevalsrc,anullsrc
  local hwaccels=h264_d3d11va,h264_d3d11va2,h264_dxva2,hevc_d3d11va,hevc_d3d11va2,hevc_dxva2
  hwaccels+=,mpeg2_d3d11va,mpeg2_d3d11va2,mpeg2_dxva2
  local bsfs=null,h264_mp4toannexb,hevc_mp4toannexb,aac_adtstoasc
  # The buffer sources and sinks every filter graph starts and ends with are
  # always built. Autodetection is off so nothing of the build machine slips
  # in; what Windows itself offers is named instead.
  (cd "$build" && logged "$build/configure.log" "$folder/configure" --prefix="$prefix" \
    --target-os=mingw32 --arch=x86_64 --cross-prefix="$host-" --cc="$host-gcc-posix" --cxx="$host-g++-posix" \
    --pkg-config="$part/pkg-config" --enable-cross-compile \
    --disable-static --enable-shared --disable-programs --disable-doc --disable-debug \
    --disable-autodetect --disable-everything --disable-postproc \
    --enable-w32threads --enable-schannel --enable-zlib --enable-d3d11va --enable-dxva2 \
    --enable-avdevice --enable-swscale --enable-swresample --enable-avfilter \
    --enable-demuxer="$demuxers" --enable-decoder="$decoders" --enable-parser="$parsers" \
    --enable-protocol="$protocols" --enable-filter="$filters" --enable-hwaccel="$hwaccels" \
    --enable-bsf="$bsfs")
  # configure drops a name it does not know without a word: check that
  # every one asked for made it into the build.
  require_components "$build/config_components.h" demuxer "$demuxers" decoder "$decoders" parser "$parsers" \
    protocol "$protocols" filter "$filters" hwaccel "$hwaccels" bsf "$bsfs"
  logged "$build/build.log" make -C "$build" -j "$jobs"
  logged "$build/install.log" make -C "$build" install
  touch "$prefix/.ffmpeg-$version"
}

# Fails naming each FFmpeg component (kind, then a comma list, repeated)
# that configure did not enable.
require_components() {
  local header="$1" missing=() kind name
  shift
  while [ "$#" -gt 0 ]; do
    kind="$1"
    for name in ${2//,/ }; do
      grep -q "^#define CONFIG_${name^^}_${kind^^} 1$" "$header" || missing+=("$kind $name")
    done
    shift 2
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    printf 'FFmpeg left out: %s\n' "${missing[@]}" >&2
    return 1
  fi
}

build_freetype() {
  local version folder
  version="$(source_version freetype)"
  [ -f "$prefix/.freetype-$version" ] && return 0
  folder="$(unpack_source freetype "$version")"
  # harfbuzz links freetype, not the other way round: no cycle.
  meson_install freetype "$folder" -Dharfbuzz=disabled -Dpng=disabled -Dbzip2=disabled -Dbrotli=disabled \
    -Dzlib=internal -Dtests=disabled
  touch "$prefix/.freetype-$version"
}

build_fribidi() {
  local version folder
  version="$(source_version fribidi)"
  [ -f "$prefix/.fribidi-$version" ] && return 0
  folder="$(unpack_source fribidi "$version")"
  meson_install fribidi "$folder" -Ddocs=false
  touch "$prefix/.fribidi-$version"
}

build_harfbuzz() {
  local version folder
  version="$(source_version harfbuzz)"
  [ -f "$prefix/.harfbuzz-$version" ] && return 0
  folder="$(unpack_source harfbuzz "$version")"
  meson_install harfbuzz "$folder" -Dfreetype=enabled -Dglib=disabled -Dgobject=disabled -Dcairo=disabled \
    -Dicu=disabled -Dgraphite2=disabled -Dchafa=disabled -Dtests=disabled -Ddocs=disabled \
    -Dintrospection=disabled -Dbenchmark=disabled
  touch "$prefix/.harfbuzz-$version"
}

# libass finds fonts through DirectWrite, Windows' own font list.
build_libass() {
  local version folder
  version="$(source_version libass)"
  [ -f "$prefix/.libass-$version" ] && return 0
  folder="$(unpack_source libass "$version")"
  local build="$builds/libass"
  rm -rf "$build"
  mkdir -p "$build"
  (cd "$build" && PKG_CONFIG="$part/pkg-config" logged "$build/configure.log" "$folder/configure" \
    --host="$host" CC="$host-gcc-posix" --prefix="$prefix" --enable-shared --disable-static \
    --enable-directwrite --disable-fontconfig --disable-coretext --disable-require-system-font-provider \
    --enable-asm)
  logged "$build/build.log" make -C "$build" -j "$jobs"
  logged "$build/install.log" make -C "$build" install
  touch "$prefix/.libass-$version"
}

# The engine as a library only, LGPL, without scripting. Video: OpenGL in a
# Win32 window (vo=gpu, and the render API for vo=libmpv); audio: WASAPI.
# Its Direct3D 11 output needs shaderc and SPIRV-Cross, which Debian's
# mingw cross tools lack (each would be another long cross build); the
# Direct3D 9 output is GPL-only.
build_mpv() {
  local version folder
  version="$(source_version mpv)"
  [ -f "$prefix/.mpv-$version" ] && return 0
  folder="$(unpack_source mpv "$version")"
  meson_install mpv "$folder" -Dgpl=false -Dlibmpv=true -Dcplayer=false -Dlua=disabled -Djavascript=disabled \
    -Dlibplacebo=disabled -Dvulkan=disabled -Dshaderc=disabled -Dspirv-cross=disabled -Dd3d11=disabled \
    -Dgl-win32=enabled -Dwasapi=enabled -Dlibavdevice=enabled -Dd3d-hwaccel=enabled \
    -Dd3d9-hwaccel=enabled -Dgl-dxinterop=enabled -Dzlib=enabled -Dmanpage-build=disabled \
    -Dhtml-build=disabled -Dpdf-build=disabled -Dcdda=disabled -Ddvdnav=disabled -Dlibbluray=disabled \
    -Dlcms2=disabled -Dlibarchive=disabled -Drubberband=disabled -Duchardet=disabled -Dvapoursynth=disabled \
    -Dzimg=disabled -Diconv=disabled -Dsdl2=disabled -Dsdl2-audio=disabled -Dsdl2-video=disabled \
    -Dsdl2-gamepad=disabled -Dopenal=disabled -Dwin32-internal-pthreads=disabled
  touch "$prefix/.mpv-$version"
}

# The Windows DLLs a module imports, one name a line, lower case.
imports_of() {
  "$host-objdump" -p "$1" | awk '/DLL Name:/ {print tolower($3)}'
}

# Where a non-system DLL comes from: the prefix, then mingw's runtime.
find_dll() {
  local name="$1" place
  for place in "$prefix/bin" "$mingw_root/bin" "$mingw_root/lib" /usr/lib/gcc/"$host"/*-posix; do
    local found
    found="$(find "$place" -maxdepth 1 -iname "$name" -print -quit 2>/dev/null)"
    if [ -n "$found" ]; then
      echo "$found"
      return 0
    fi
  done
  return 1
}

# The DLLs Windows itself provides, as Wine's own builds of them (kernel32,
# d3d11, ws2_32, ...). Wine also carries a zlib1.dll, which Windows does
# not: a DLL found among the built or mingw ones is always shipped.
wine_system_dlls=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows

# Copies libmpv-2.dll and, transitively, every DLL it imports that Windows
# does not provide; fails naming any that cannot be found.
gather_dlls() {
  rm -rf "$bin"
  mkdir -p "$bin"
  cp "$prefix/bin/libmpv-2.dll" "$bin/"
  local pending=(libmpv-2.dll) missing=() name dependency source
  while [ "${#pending[@]}" -gt 0 ]; do
    name="${pending[0]}"
    pending=("${pending[@]:1}")
    for dependency in $(imports_of "$bin/$name"); do
      [ -f "$bin/$dependency" ] && continue
      if source="$(find_dll "$dependency")"; then
        cp "$source" "$bin/$dependency"
        pending+=("$dependency")
      elif [ ! -f "$wine_system_dlls/$dependency" ]; then
        missing+=("$dependency (imported by $name)")
      fi
    done
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    printf 'missing DLL: %s\n' "${missing[@]}" >&2
    return 1
  fi
  # What ships carries no symbols (about half the size); the prefix keeps
  # them for debugging.
  "$host-strip" --strip-unneeded "$bin"/*.dll
}

write_tool_files
build_ffmpeg
build_freetype
build_fribidi
build_harfbuzz
build_libass
build_mpv
gather_dlls
echo "$bin"
