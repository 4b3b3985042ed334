#!/usr/bin/env bash
# dialog-picture.sh <Hollmere64.exe>
# scripts/dialog-screenshot.sh writes a picture of the dialog as large as
# the dialog, and fails when it cannot.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$root/scripts/dialog-screenshot.sh" "$1" 100 409 "$work/dialog.bmp" >/dev/null
header=$(od -A n -t u1 -N 2 "$work/dialog.bmp" | tr -s ' ')
width=$(od -A n -t d4 -j 18 -N 4 "$work/dialog.bmp" | tr -d ' ')
height=$(od -A n -t d4 -j 22 -N 4 "$work/dialog.bmp" | tr -d ' ')
[ "$header" = " 66 77" ] && [ "$width" -gt 100 ] && [ "$height" -gt 50 ] ||
  { echo "not a picture of the dialog: header$header, $width x $height" >&2; exit 1; }
if "$root/scripts/dialog-screenshot.sh" "$1" 59999 409 "$work/none.bmp" >/dev/null 2>&1; then
  echo "a dialog that does not exist gave a picture" >&2
  exit 1
fi
