#!/usr/bin/env bash
# Screenshots of the compressor's windows in English and Japanese on a
# private X display: the main window with a project loaded, the About box,
# the progress dialog and a message box. The windows are driven and taken
# by the compressor's window test (CompressorWindows.EveryWindowShows) from
# the Windows side, so nothing beyond what scripts/setup.sh installs is
# needed. Needs the x86-64 tree built. Pictures (.bmp, and .png as well when
# imagemagick's convert is there) go to the folder given (default
# build/screenshots/compressor).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
out=${1:-$VESMARIN_BUILD/screenshots/compressor}
mkdir -p "$out"
bin=$VESMARIN_BUILD/x86_64/bin
export SHOTS_TEST=$bin/compressor_window_tests.exe
[ -f "$SHOTS_TEST" ] || { echo "build the x86-64 tree first (scripts/build.sh)" >&2; exit 1; }
export WINEPREFIX=$VESMARIN_BUILD/wineprefix-shots
"$here/wine-prefix.sh"
rm -f "$bin"/screenshots/compressor-*.bmp
for lang in en_US.UTF-8 ja_JP.UTF-8; do
  VESMARIN_LANG=$lang xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    . "$VESMARIN_ROOT/scripts/wine-env.sh"
    "$WINESERVER" -k 2>/dev/null || true
    # The previous server may still be ending: a new one starts once it has
    # (within two minutes).
    started=0
    for _ in $(seq 600); do
      "$WINESERVER" -p 9>&- 2>/dev/null && { started=1; break; }
      sleep 0.2
    done
    [ "$started" = 1 ] || { echo "no wineserver could be started" >&2; exit 1; }
    "$WINE" wineboot </dev/null >/dev/null 2>&1 9>&- || true
    rc=0
    "$WINE" "$SHOTS_TEST" --gtest_filter=CompressorWindows.EveryWindowShows </dev/null || rc=$?
    "$WINESERVER" -k 2>/dev/null || true
    exit $rc'
done
for shot in "$bin"/screenshots/compressor-*.bmp; do
  cp "$shot" "$out/"
  if convert -version >/dev/null 2>&1; then
    convert "$shot" "$out/$(basename "${shot%.bmp}").png"
  fi
  echo "$out/$(basename "$shot")"
done
