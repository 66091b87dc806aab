# Debian's source packages for the Windows builds, sourced by
# scripts/build-windows-deps.sh and scripts/build-windows-libmpv.sh with
# `sources` set to the cache's source folder.

# The version of a source package the archive offers.
source_version() {
  apt-cache showsrc "$1" | awk '/^Version:/ {print $2}' | sort -V | tail -n 1
}

# Fetches and unpacks a source package (Debian's patches applied) once;
# prints its folder.
unpack_source() {
  local package="$1" version="$2" upstream
  upstream="${version%-*}"
  upstream="${upstream#*:}"
  local folder="$sources/$package-$upstream"
  if [ ! -d "$folder" ]; then
    (cd "$sources" && apt-get source --only-source "$package=$version" >/dev/null)
  fi
  echo "$folder"
}
