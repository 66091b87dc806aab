#!/usr/bin/env bash
# Installs the package where only its dependencies are, runs its demo and
# removes it again:
#   chroot (the default)  a fresh Debian minbase chroot: debootstrap makes it
#                         once into <work>/base.tar, and packages apt
#                         downloads are kept in <work>/apt-archives, so a
#                         second run installs from there
#   --host                this machine (when a chroot cannot be made), without
#                         the package's recommendations; only the package is
#                         removed afterwards, and it must not be there before
# In either: apt-get install ./<deb>; vistra-demo under Xvfb as a user until
# it plays the first channel and ends (packaging/demo_walk.py); in the
# chroot, vistra-demo without ffmpeg says so; apt-get remove vistra leaves
# none of the package's files.
#
# Usage: install_check.sh [--host] <deb> <work folder> <screenshot folder>
# Needs root (chroot, mounts, apt-get). Prints "ok   ..." / "FAIL ..." lines
# and exits 1 when any check failed.
set -euo pipefail

host=0
if [ "${1:-}" = --host ]; then host=1; shift; fi
deb=$(readlink -f "$1")
work=$(mkdir -p "$2" && readlink -f "$2")
shots=$(mkdir -p "$3" && readlink -f "$3")
here=$(dirname "$(readlink -f "$0")")
suite=bookworm
mirror=http://deb.debian.org/debian
viewer_uid=4242
failed=0

check() {  # check <what> <command...>: the command's success is the check's
  local what=$1
  shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failed=1; fi
}

# --- where the package goes -------------------------------------------------

root=""
mounts=()
xvfb=""
cleanup() {
  [ -z "$xvfb" ] || { kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; }
  local i
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount -l "${mounts[i]}" 2>/dev/null || true; done
}
trap cleanup EXIT

bind() {  # bind <host path> <path in the chroot> [mount options]
  mkdir -p "$root$2"
  mount --bind "$1" "$root$2"
  mounts+=("$root$2")
}

mounts_under() {  # the mount points inside a folder, deepest first
  awk -v dir="$1/" 'index($2, dir) == 1 {print $2}' /proc/mounts | sort -r
}

# Unmounts what is still mounted inside a chroot folder (a run that was
# killed leaves its mounts behind), then removes it; never through a mount,
# which would delete the host's /dev or the kept downloads.
remove_tree() {
  local dir=$1 point
  [ -e "$dir" ] || return 0
  for point in $(mounts_under "$dir"); do umount -l "$point" || true; done
  if [ -n "$(mounts_under "$dir")" ]; then
    echo "install-check: $dir still has mounts inside; not removing it" >&2
    return 1
  fi
  rm -rf --one-file-system "$dir"
}

make_chroot() {
  if [ ! -f "$work/base.tar" ]; then
    echo "install-check: making a Debian $suite minbase chroot (once)"
    remove_tree "$work/base-new"
    debootstrap --variant=minbase "$suite" "$work/base-new" "$mirror" >"$work/debootstrap.log" 2>&1 ||
      { tail -n 20 "$work/debootstrap.log" >&2; return 1; }
    tar -C "$work/base-new" -cf "$work/base.tar.new" . && mv "$work/base.tar.new" "$work/base.tar"
    remove_tree "$work/base-new"
  fi
  root="$work/root"
  remove_tree "$root"
  mkdir -p "$root" "$work/apt-archives/partial"
  tar -C "$root" -xf "$work/base.tar"
  mount -t proc proc "$root/proc" && mounts+=("$root/proc")
  mount -t sysfs sysfs "$root/sys" && mounts+=("$root/sys")
  bind /dev /dev
  bind /dev/pts /dev/pts
  bind "$work/apt-archives" /var/cache/apt/archives
  bind /tmp/.X11-unix /tmp/.X11-unix
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror $suite main
deb $mirror $suite-updates main
deb http://deb.debian.org/debian-security $suite-security main
EOF
  # Keep what apt downloads for the next run.
  echo 'Binary::apt::APT::Keep-Downloaded-Packages "true";' >"$root/etc/apt/apt.conf.d/10keep-archives"
}

in_root() {  # a command as root where the package goes
  if [ "$host" -eq 1 ]; then "$@"; else chroot "$root" "$@"; fi
}

# --- the checks ---------------------------------------------------------------

install_package() {
  local log="$work/install.log" status=0 options=()
  # This machine keeps what it has: its other packages are not joined by
  # the package's recommendations (ffmpeg is there already for the tests).
  [ "$host" -eq 0 ] || options=(--no-install-recommends)
  cp "$deb" "$root/tmp/vistra.deb"
  SECONDS=0
  { in_root apt-get update -q &&
    in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${options[@]}" /tmp/vistra.deb; } \
    >"$log" 2>&1 || status=$?
  check "apt-get install ./$(basename "$deb") ($(grep -o '[0-9]* newly installed' "$log" || echo '?'), $SECONDS s)" \
    test $status -eq 0
  [ $status -eq 0 ] || tail -n 20 "$log"
  return $status
}

start_xvfb() {
  local n
  for n in $(seq 60 99); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
  done
  Xvfb ":$n" -screen 0 1280x720x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb=$!
  display=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
  echo "install-check: Xvfb did not start" >&2
  return 1
}

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# The demo as the user starts it: a plain environment, the user's own home.
demo_command=()
prepare_user() {
  if [ "$host" -eq 1 ]; then
    home="$work/home"
    rm -rf "$home" && mkdir -p "$home"
    demo_command=(env -i "HOME=$home" PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 "DISPLAY=$display")
  else
    chroot "$root" useradd -m -u $viewer_uid viewer
    home="$root/home/viewer"
    demo_command=(chroot --userspec=$viewer_uid:$viewer_uid "$root" env -i HOME=/home/viewer USER=viewer LOGNAME=viewer
                  PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 "DISPLAY=$display")
  fi
}

run_demo() {
  local port
  port=$(free_port)
  python3 "$here/demo_walk.py" "$display" "$home" "$port" "$shots" "${demo_command[@]}" "VISTRA_DEMO_PORT=$port" vistra-demo ||
    failed=1
}

said_ffmpeg_is_missing() {  # <exit status> <output>
  [ "$1" -ne 0 ] && [[ $2 == *"ffmpeg, which is not installed"* ]]
}

demo_without_ffmpeg() {
  local media="$home/.cache/vistra-demo/media" out status=0
  in_root env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q ffmpeg >/dev/null 2>&1 || true
  [ ! -d "$media" ] || mv "$media" "$media.made"
  out=$("${demo_command[@]}" vistra-demo 2>&1) || status=$?
  [ ! -d "$media.made" ] || mv "$media.made" "$media"
  check "without ffmpeg (and no media yet) vistra-demo says so and ends ($status: ${out##*vistra-demo: })" \
    said_ffmpeg_is_missing "$status" "$out"
}

# Every path the package installed is gone after removal, but for folders
# that other packages own too.
remove_package() {
  local list="$work/vistra.files" path left="" status=0
  in_root dpkg -L vistra >"$list"
  in_root env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q vistra >"$work/remove.log" 2>&1 || status=$?
  check "apt-get remove vistra" test $status -eq 0
  while read -r path; do
    [ -e "$root$path" ] || [ -L "$root$path" ] || continue
    if [ -d "$root$path" ] && [ ! -L "$root$path" ] && in_root dpkg -S "$path" >/dev/null 2>&1; then continue; fi
    left+=" $path"
  done <"$list"
  check "removal leaves none of its $(wc -l <"$list") paths behind${left:+ (left:$left)}" test -z "$left"
}

if [ "$host" -eq 0 ]; then
  make_chroot
  echo "install-check: in a fresh Debian $suite minbase chroot ($root)"
else
  # Removing the package at the end would take away an installation that
  # was there before.
  if dpkg-query -W -f='${Status}' vistra 2>/dev/null | grep -q "install ok installed"; then
    echo "install-check: vistra is installed on this machine already; not touching it" >&2
    exit 1
  fi
  echo "install-check: on this machine"
fi
install_package || exit 1
start_xvfb
prepare_user
run_demo
[ "$host" -eq 1 ] || demo_without_ffmpeg
remove_package
# A chroot that passed is not needed again (the next run starts afresh);
# one that failed stays for a look inside.
if [ "$host" -eq 0 ] && [ $failed -eq 0 ]; then
  cleanup
  mounts=()
  remove_tree "$root"
fi
exit $failed
