#!/usr/bin/env bash
# Builds the Windows installer and zip in a folder of their own
# (build-windows-package/) and checks them:
#   - the Release build of the Windows program and the demo's stand-in
#     server (mingw-w64), libmpv-2.dll and the libraries it needs
#     (scripts/build-windows-libmpv.sh), the icon as .ico (icotool, from the
#     PNGs the icon tool draws), the demo's media (made here with ffmpeg,
#     since Windows has none) and its launcher, assembled into one folder;
#     every DLL a program or library there imports is beside it or a part
#     of Windows
#   - Vistra-<version>-setup.exe (makensis, packaging/windows/vistra.nsi)
#     and Vistra-<version>-windows.zip of the same folder
#   - the installer walk under Wine (packaging/windows/install_walk.py):
#     a silent install into a fresh Wine prefix, the program started as its
#     Start-menu entry starts it against the stand-in server, the files it
#     writes compared with the Linux program's, the demo launcher, and a
#     silent removal; screenshots go to build-windows-package/walk/
# The Linux build (build/) provides the icon tool, the stand-in the walk
# runs as a Linux process, and the Linux program the files are compared
# with. Prints the outputs' names and sizes and the checks' results; exits 1
# when any failed.
#
# Usage: scripts/package-windows.sh [--no-walk]
set -euo pipefail
cd "$(dirname "$0")/.."
walk=1
case ${1:-} in
  --no-walk) walk=0 ;;
  "") ;;
  *) echo "usage: scripts/package-windows.sh [--no-walk]" >&2; exit 2 ;;
esac
SECONDS=0
export VISTRA_WINDOWS_CACHE="${VISTRA_WINDOWS_CACHE:-$HOME/.cache/vistra-windows}"
OUT=build-windows-package
LINUX=build
failed=0
step() { echo; echo "== $*"; }
check() {  # check <what> <command...>
  local what=$1
  shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failed=1; fi
}
ccache=()
command -v ccache >/dev/null && ccache=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

scripts/install-deps.sh
version=$(sed -n 's/^project(Vistra43 VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
name="Vistra $version"
folder="$OUT/$name"
setup="$OUT/Vistra-$version-setup.exe"
zip="$OUT/Vistra-$version-windows.zip"
mkdir -p "$OUT"

step "Linux tools: the icon renderer, the stand-in, the program to compare with"
cmake -S . -B "$LINUX" -G Ninja "${ccache[@]}" >/dev/null
cmake --build "$LINUX" -j2 --target vistra vistra_standin vistra_icon_render

step "The icon"
# Windows picks the size it shows from the .ico (16 to 256 px); the large
# one stays PNG inside, as Windows expects of 256 px.
icons="$OUT/icons"
rm -rf "$icons"
"$LINUX/vistra_icon_render" "$icons" 16 24 32 48 64 128 256
small=()
for size in 16 24 32 48 64 128; do small+=("$icons/${size}x${size}/apps/vistra.png"); done
icotool -c -o "$OUT/vistra.ico" "${small[@]}" -r "$icons/256x256/apps/vistra.png"
ico_sizes=$(icotool -l "$OUT/vistra.ico" | sed -n 's/.*--width=\([0-9]*\) --height=\1 .*/\1/p' | tr '\n' ' ')
check "vistra.ico holds the square sizes 16 to 256 px ($ico_sizes)" test "$ico_sizes" = "16 24 32 48 64 128 256 "

step "Release build for Windows"
scripts/build-windows-deps.sh
# Wine runs the build's own tools (the interface texts' compiler).
cmake/wine-run.sh wineboot --init
# The shipped configuration (the windows-release preset), in a folder of
# the package's own, with the icon made above.
cmake --preset windows-release -B "$OUT/build" --no-warn-unused-cli "${ccache[@]}" \
  -DVISTRA_WINDOWS_ICON="$PWD/$OUT/vistra.ico" >/dev/null
cmake --build "$OUT/build" -j2 --target vistra vistra_standin

step "libmpv for Windows"
libmpv=""
if [ -x scripts/build-windows-libmpv.sh ]; then
  libmpv=$(scripts/build-windows-libmpv.sh | tail -n 1)
elif [ -f "$VISTRA_WINDOWS_CACHE/libmpv/bin/libmpv-2.dll" ]; then
  libmpv="$VISTRA_WINDOWS_CACHE/libmpv/bin"
fi
check "libmpv-2.dll built (${libmpv:-no folder})" test -f "${libmpv:-/nonexistent}/libmpv-2.dll"

step "The demo's media"
scripts/make-demo-media.sh "$PWD/$OUT/demo-media"

step "The program folder"
rm -rf "$folder"
mkdir -p "$folder"
for program in vistra vistra_standin; do
  if [ -f "$OUT/build/$program.exe" ]; then
    x86_64-w64-mingw32-strip -o "$folder/$program.exe" "$OUT/build/$program.exe"
  fi
done
[ -n "$libmpv" ] && cp "$libmpv"/*.dll "$folder/"
cp "$OUT/vistra.ico" packaging/windows/vistra-demo.cmd "$folder/"
cp packaging/copyright "$folder/copyright.txt"
cp -r "$OUT/demo-media" "$folder/demo-media"
rm -f "$folder/demo-media"/*.lock
check "vistra.exe built" test -f "$folder/vistra.exe"
# Explorer shows a program's icon and version from its resources (icoutils'
# wrestool lists and extracts them).
product_version() {
  wrestool -x --raw --type=16 "$1" 2>/dev/null | strings -el -n 3 | grep -A1 -x ProductVersion | tail -n 1
}
check "vistra.exe carries its icon (resource 1) and version $version" \
  eval 'wrestool -l "$folder/vistra.exe" 2>/dev/null | grep -q -- "--type=14 --name=1 " &&
        test "$(product_version "$folder/vistra.exe")" = "$version"'
check "vistra_standin.exe built" test -f "$folder/vistra_standin.exe"
# A DLL missing beside a program makes Windows refuse to start it (error
# 126); what Windows itself has is in Wine's system folder.
system32="$(cmake/wine-run.sh winepath -u 'C:\windows\system32' 2>/dev/null | tr -d '\r')"
missing_dlls() {
  local file dll
  for file in "$folder"/*.exe "$folder"/*.dll; do
    [ -f "$file" ] || continue
    for dll in $(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
      [ -n "$(find "$folder" "$system32" -maxdepth 1 -iname "$dll" -print -quit)" ] || echo "$(basename "$file"):$dll"
    done
  done
}
unresolved=$(missing_dlls | sort -u | tr '\n' ' ')
check "every imported DLL is beside its user or part of Windows${unresolved:+: $unresolved}" test -z "$unresolved"

step "Installer and zip"
# The uninstaller removes exactly what was packed: files first, then the
# folders, deepest first.
file_list="$OUT/uninstall-files.nsh"
(cd "$folder"
 find . -type f | sort | sed 's|^\./||; s|/|\\|g; s|.*|  Delete "$INSTDIR\\&"|'
 find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|  RMDir "$INSTDIR\\&"|') >"$file_list"
rm -f "$setup" "$zip"
makensis -V2 -DVERSION="$version" -DSOURCE_DIR="$PWD/$folder" -DOUT_FILE="$PWD/$setup" \
  -DFILE_LIST="$PWD/$file_list" packaging/windows/vistra.nsi
(cd "$OUT" && zip -qr9 "$(basename "$zip")" "$name")
check "the installer was made, with an icon and version $version" \
  eval 'wrestool -l "$setup" | grep -q -- "--type=14 " && test "$(product_version "$setup")" = "$version"'
check "the zip holds the program folder ($(find "$folder" -type f | wc -l) files)" \
  test "$(unzip -Z1 "$zip" | grep -vc '/$')" -eq "$(find "$folder" -type f | wc -l)"

walk_result="not run (--no-walk)"
if [ $walk -eq 1 ]; then
  step "The installer walk under Wine"
  if xvfb-run -a -s "-screen 0 1280x720x24" python3 packaging/windows/install_walk.py "$setup" "$folder" \
       "$LINUX/vistra" "$LINUX/tests/vistra_standin" "$OUT/walk"; then
    walk_result="passed"
  else
    walk_result="FAILED"
    failed=1
  fi
fi

step "Summary"
size_of() { echo "$(du -h "$1" | cut -f1), $(stat -c %s "$1") bytes"; }
echo "installer:  $setup ($(size_of "$setup"))"
echo "zip:        $zip ($(size_of "$zip"))"
echo "folder:     $folder ($(du -sh "$folder" | cut -f1), $(find "$folder" -type f | wc -l) files)"
echo "walk:       $walk_result"
echo "took:       $SECONDS s"
[ $failed -eq 0 ] && echo "all checks passed" || echo "some checks FAILED"
exit $failed
