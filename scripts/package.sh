#!/usr/bin/env bash
# Builds the Debian package in a Release build folder of its own
# (build-package/) and checks it:
#   - it holds the programs, the two menu entries, the icons (48, 128, 256,
#     512 px and SVG), the AppStream data, the manual pages, the copyright and
#     changelog, the demo's two helpers, and nothing else (no test program,
#     no benchmark); libmpv2 is among its dependencies, ffmpeg recommended
#   - desktop-file-validate, appstreamcli validate --no-net, man's warnings
#     (packaging/validate.sh) and lintian (no error) on what it holds
#   - installed where only its dependencies are, the demo reaches Home and
#     plays the first channel, and removal leaves none of its files
#     (packaging/install_check.sh: a Debian chroot, or --host this machine;
#     Home, Live and Player screenshots go to build-package/screenshots/)
# Prints the package's name and size and the checks' results; exits 1 when
# any failed.
#
# Usage: scripts/package.sh [--host | --no-install]
set -euo pipefail
cd "$(dirname "$0")/.."
mode=chroot
case ${1:-} in
  --host) mode=host ;;
  --no-install) mode=none ;;
  "") ;;
  *) echo "usage: scripts/package.sh [--host | --no-install]" >&2; exit 2 ;;
esac
SECONDS=0
BUILD=build-package
failed=0
step() { echo; echo "== $*"; }
check() {  # check <what> <command...>
  local what=$1
  shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failed=1; fi
}

scripts/install-deps.sh
step "Release build and cpack"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j2 --target vistra vistra_standin vistra_icons vistra_package_files
rm -f "$BUILD"/vistra_*.deb
(cd "$BUILD" && cpack -G DEB) | grep -E "^CPack: - package" || true
deb=$(ls "$BUILD"/vistra_*_amd64.deb)
version=$(dpkg-deb -f "$deb" Version)

step "What the package holds"
EXPECTED_FILES="
usr/bin/vistra
usr/bin/vistra-demo
usr/libexec/vistra/make-demo-media
usr/libexec/vistra/vistra_standin
usr/share/applications/example.vistra.Vistra.Demo.desktop
usr/share/applications/example.vistra.Vistra.desktop
usr/share/doc/vistra/changelog.gz
usr/share/doc/vistra/copyright
usr/share/icons/hicolor/128x128/apps/vistra.png
usr/share/icons/hicolor/256x256/apps/vistra.png
usr/share/icons/hicolor/48x48/apps/vistra.png
usr/share/icons/hicolor/512x512/apps/vistra.png
usr/share/icons/hicolor/scalable/apps/vistra.svg
usr/share/man/man1/vistra-demo.1.gz
usr/share/man/man1/vistra.1.gz
usr/share/metainfo/example.vistra.Vistra.metainfo.xml"
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {sub("^\\./", "", $6); print $6}' | LC_ALL=C sort)
unexpected=$(comm -13 <(LC_ALL=C sort <<<"${EXPECTED_FILES#?}") <(echo "$files") | tr '\n' ' ')
missing=$(comm -23 <(LC_ALL=C sort <<<"${EXPECTED_FILES#?}") <(echo "$files") | tr '\n' ' ')
check "no file missing${missing:+: $missing}" test -z "$missing"
check "no other file (tests, benchmarks, tools)${unexpected:+: $unexpected}" test -z "$unexpected"
depends=$(dpkg-deb -f "$deb" Depends)
check "Depends names libmpv2 (loaded at run time) and the linked libraries ($(tr -cd , <<<"$depends" | wc -c) more)" \
  grep -qE '(^|, )libmpv2(,|$).*libsdl2' <<<"$depends"
check "Recommends ffmpeg (the demo's media)" grep -qw ffmpeg <<<"$(dpkg-deb -f "$deb" Recommends)"
root="$BUILD/package-root"
rm -rf "$root" && dpkg-deb -x "$deb" "$root"
icons_match() {
  local size
  for size in 48 128 256 512; do
    python3 - "$root/usr/share/icons/hicolor/${size}x${size}/apps/vistra.png" "$size" <<'EOF' || return 1
import struct, sys
with open(sys.argv[1], "rb") as f:
    head = f.read(24)
width, height = struct.unpack(">II", head[16:24])
sys.exit(0 if head[:8] == b"\x89PNG\r\n\x1a\n" and width == height == int(sys.argv[2]) else 1)
EOF
  done
}
check "each PNG icon is as large as its folder says" icons_match

step "Validators"
validated=$(packaging/validate.sh "$version" - "$root"/usr/share/applications/*.desktop \
  "$root"/usr/share/metainfo/*.metainfo.xml "$root"/usr/share/man/man1/*.1.gz "$root/usr/share/doc/vistra/changelog.gz") ||
  failed=1
echo "$validated"
appstream_note=$(appstreamcli validate --no-net --no-color "$root"/usr/share/metainfo/*.xml 2>&1 | tail -n 1)
lintian_out=$(lintian --pedantic --display-info "$deb" 2>&1 | grep -v "running with root privileges" || true)
[ -z "$lintian_out" ] || echo "$lintian_out"
count_tags() { grep -c "^$1: " <<<"$lintian_out" || true; }
lintian_summary="$(count_tags E) errors, $(count_tags W) warnings, $(count_tags I) infos, $(count_tags P) pedantic"
check "lintian: $lintian_summary" test "$(count_tags E)" -eq 0

install_result="not run (--no-install)"
if [ "$mode" != none ]; then
  step "Install, demo and removal ($mode)"
  args=()
  [ "$mode" = host ] && args=(--host)
  if packaging/install_check.sh "${args[@]}" "$deb" "$BUILD/install-check" "$BUILD/screenshots"; then
    install_result="passed ($mode)"
  else
    install_result="FAILED ($mode)"
    failed=1
  fi
fi

step "Summary"
echo "package:    $deb ($(du -h "$deb" | cut -f1), $(stat -c %s "$deb") bytes; installed $(dpkg-deb -f "$deb" Installed-Size) KiB)"
echo "validators: $(grep -c '^ok' <<<"$validated") passed, $(grep -c '^FAIL' <<<"$validated" || true) failed" \
     "(desktop-file-validate, appstreamcli: \"${appstream_note}\", man)"
echo "lintian:    $lintian_summary"
echo "install:    $install_result"
echo "took:       $SECONDS s"
[ $failed -eq 0 ] && echo "all checks passed" || echo "some checks FAILED"
exit $failed
