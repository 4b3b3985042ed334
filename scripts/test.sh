#!/usr/bin/env bash
# Sets up, builds both trees, and runs every test of the x86-64 tree under
# wine64 on a private X display. Extra arguments go to ctest (-R, -L ...).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/setup.sh"
"$here/build.sh"
. "$here/wine-env.sh"
export VESMARIN_CTEST_ARGS="$*"
# Each test program then gets an X display of its own with this screen
# (scripts/wine-run.sh): no other test's window covers its windows, so the
# pictures it takes of the screen show its own windows only.
export VESMARIN_TEST_SCREEN=1280x1024x24
exec xvfb-run -a -s "-screen 0 $VESMARIN_TEST_SCREEN" bash -c '
  set -euo pipefail
  . "$VESMARIN_ROOT/scripts/wine-env.sh"
  # A fresh wineserver, so its desktop uses this run'"'"'s display.
  "$WINESERVER" -k 2>/dev/null || true
  # The previous server may still be ending: a new one starts once it has
  # (within two minutes).
  started=0
  for _ in $(seq 600); do
    "$WINESERVER" -p 9>&- 2>/dev/null && { started=1; break; }
    sleep 0.2
  done
  [ "$started" = 1 ] || { echo "no wineserver could be started" >&2; exit 1; }
  "$WINE" wineboot </dev/null >/dev/null 2>&1 9>&-
  # The desktop process starts with the first window and lives on that
  # window'"'"'s display: make it here, on this run'"'"'s own display, before any
  # test starts on a display that ends with the test.
  "$WINE" rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 9>&-
  rc=0
  ctest --test-dir "$VESMARIN_BUILD/x86_64" -j "$(nproc)" --output-on-failure \
        --timeout 300 $VESMARIN_CTEST_ARGS || rc=$?
  "$WINESERVER" -k 2>/dev/null || true
  exit $rc'
