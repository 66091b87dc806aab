#!/usr/bin/env bash
# Checks the packaging's texts with their own validators: menu entries
# (desktop-file-validate), AppStream data (appstreamcli, no network), manual
# pages (man's warnings, plain or gzipped), and that the changelog's newest
# entry is the project's version. With the source folder it also checks that
# vistra.1 names every VISTRA_* variable the program reads.
#
# Usage: validate.sh <version> <source folder or -> <file>...
# Prints one line per check ("ok   ..." or "FAIL ...", with the validator's
# words below a failure) and exits 1 when any failed.
set -uo pipefail

version=$1
source_dir=$2
shift 2
failed=0

report() {  # report <name> <validator's output> <exit status>
  if [ "$3" -eq 0 ] && [ -z "$2" ]; then
    echo "ok   $1"
  else
    echo "FAIL $1"
    [ -z "$2" ] || printf '%s\n' "$2" | sed 's/^/     /'
    failed=1
  fi
}

# Variables the tests use to look inside the program; not for users.
TEST_HOOKS="VISTRA_TEXT_BOXES"

check_variables() {
  local page=$1 name missing=""
  for name in $(grep -rhoE '"VISTRA_[A-Z0-9_]+"' "$source_dir"/{app,net,store,catalog,panel,extras,state,player,ui,platform} |
                tr -d '"' | sort -u); do
    [[ " $TEST_HOOKS " == *" $name "* ]] && continue
    grep -q "^\.B $name\$" "$page" || missing+=" $name"
  done
  report "$(basename "$page") names every variable the program reads" "${missing:+missing:$missing}" 0
}

for file in "$@"; do
  name=$(basename "$file")
  case $name in
    *.desktop)
      out=$(desktop-file-validate "$file" 2>&1); report "$name (desktop-file-validate)" "$out" $? ;;
    *.metainfo.xml)
      # appstreamcli prints its summary even when all is well; only its
      # exit status tells.
      out=$(appstreamcli validate --no-net --no-color "$file" 2>&1); status=$?
      [ $status -eq 0 ] && out=""
      report "$name (appstreamcli validate --no-net)" "$out" $status ;;
    *.1 | *.1.gz)
      out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$file" 2>&1 >/dev/null); report "$name (man --warnings)" "$out" $?
      [ "$source_dir" != - ] && [[ $name == vistra.1* ]] && [[ $name != *.gz ]] && check_variables "$file" ;;
    changelog | changelog.gz)
      first=$(zcat -f "$file" 2>&1 | head -n 1)
      report "$name: the newest entry is $version" "$([[ $first == "vistra ($version) "* ]] || echo "first line: $first")" 0 ;;
    *)
      report "$name: no validator for this file" "" 1 ;;
  esac
done
exit $failed
