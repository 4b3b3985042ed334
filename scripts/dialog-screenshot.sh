#!/usr/bin/env bash
# A picture of one dialog of a program in one language, for a look at its
# layout: scripts/dialog-screenshot.sh <program.exe> <dialog id> <language, hex> <out.bmp>
# for example build/x86_64/bin/Hollmere64.exe 100 411 hollmere-100-ja.bmp.
# The dialog shows on an X display and a desktop of its own, so this runs
# beside the tests as well. Needs the x86-64 tree built.
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: $0 program.exe dialog-id language-hex out.bmp" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
tool=$VESMARIN_BUILD/x86_64/bin/dialogshow.exe
[ -f "$tool" ] || { echo "build the x86-64 tree first (scripts/build.sh)" >&2; exit 1; }
"$here/wine-prefix.sh"
out=$(readlink -f "$4")
rm -f "$out"
VESMARIN_TEST_SCREEN=1024x768x24 "$here/wine-run.sh" "$tool" "Z:$(readlink -f "$1" | tr / '\\')" \
  "$2" "$3" 30 "Z:$(echo "$out" | tr / '\\')"
[ -s "$out" ] || { echo "dialog-screenshot: no picture was written" >&2; exit 1; }
echo "$out"
