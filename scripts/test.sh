#!/usr/bin/env bash
# Sets up, builds both trees, and runs every test of the x86-64 tree under
# wine64 on a private X display. Extra arguments go to ctest (-R, -L ...).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
"$here/setup.sh"
"$here/build.sh"
. "$here/wine-env.sh"
export VESMARIN_CTEST_ARGS="$*"
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  . "$VESMARIN_ROOT/scripts/wine-env.sh"
  # A fresh wineserver, so its desktop uses this run'"'"'s display.
  "$WINESERVER" -k 2>/dev/null || true
  until "$WINESERVER" -p 9>&- 2>/dev/null; do sleep 0.2; done
  "$WINE" wineboot </dev/null >/dev/null 2>&1 9>&- || true
  rc=0
  ctest --test-dir "$VESMARIN_BUILD/x86_64" -j "$(nproc)" --output-on-failure \
        --timeout 300 $VESMARIN_CTEST_ARGS || rc=$?
  "$WINESERVER" -k 2>/dev/null || true
  exit $rc'
