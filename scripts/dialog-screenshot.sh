#!/usr/bin/env bash
# A picture of one dialog of a program in one language, for a look at its
# layout: scripts/dialog-screenshot.sh <program.exe> <dialog id> <language, hex> <out.png>
# for example build/x86_64/bin/Hollmere64.exe 100 411 hollmere-100-ja.png.
# Runs its own wineserver on a private display: not while tests run.
set -eu
[ $# -eq 4 ] || { echo "usage: $0 program.exe dialog-id language-hex out.png" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
export SHOT_PROGRAM="Z:$(readlink -f "$1" | tr / '\\')" SHOT_ID="$2" SHOT_LANGUAGE="$3"
export SHOT_OUT=$(readlink -f "$4")
export SHOT_TOOL="$VESMARIN_BUILD/x86_64/bin/dialogshow.exe"
exec xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$WINESERVER" -k 2>/dev/null || true
  until "$WINESERVER" -p 9>&- 2>/dev/null; do sleep 0.2; done
  "$WINE" wineboot </dev/null >/dev/null 2>&1 9>&- || true
  "$WINE" "$SHOT_TOOL" "$SHOT_PROGRAM" "$SHOT_ID" "$SHOT_LANGUAGE" 8 &
  sleep 4
  import -window root -crop 640x480+0+0 "$SHOT_OUT"
  wait
  "$WINESERVER" -k 2>/dev/null || true'
