#!/usr/bin/env bash
# Every interface-text PO file passes gettext's own checker: the syntax, the
# header (charset, language) and the printf formats of entries flagged
# c-format. Translators' PO editors run the same tool, so a file this passes
# opens in any of them.
#   check_po_msgfmt.sh PO_FOLDER
set -uo pipefail
folder=${1:?usage: check_po_msgfmt.sh PO_FOLDER}
failed=0
count=0
for po in "$folder"/*.po; do
  count=$((count + 1))
  if ! msgfmt --check-format --check-header -o /dev/null "$po"; then
    echo "check_po_msgfmt: $po fails msgfmt" >&2
    failed=1
  fi
done
[ "$count" -gt 0 ] || { echo "check_po_msgfmt: no PO files in $folder" >&2; exit 1; }
exit $failed
