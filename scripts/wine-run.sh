#!/usr/bin/env bash
# Runs one Windows program under wine64 (CTest's emulator). Wine's own
# helper processes inherit standard output; sending the program's output
# through files keeps CTest from waiting on them.
# With VESMARIN_TEST_SCREEN set (scripts/test.sh sets it, such as
# 1280x1024x24), the program and everything it starts get an X display of
# their own with that screen, which ends with the program, and a Win32
# desktop of their own on it (tests/tools/deskrun): the windows of tests
# running beside it are never on its screen. Listing a test program's tests
# needs neither.
. "$(dirname "$0")/wine-env.sh"
[ -f "$WINEPREFIX/.vesmarin-ready" ] || "$(dirname "$0")/wine-prefix.sh" || exit
tmp=$(mktemp -d)
xvfb=
run=()
if [ -n "${VESMARIN_TEST_SCREEN:-}" ] && [ "${2:-}" != --gtest_list_tests ]; then
  run=("$VESMARIN_BUILD/x86_64/bin/deskrun.exe")
  [ -f "${run[0]}" ] || { echo "wine-run: ${run[0]} is not built" >&2; rm -rf "$tmp"; exit 1; }
  # The server picks a free display number and writes it once it listens.
  Xvfb -displayfd 5 -screen 0 "$VESMARIN_TEST_SCREEN" -nolisten tcp \
    5>"$tmp/display" </dev/null >/dev/null 2>&1 9>&- &
  xvfb=$!
  for _ in $(seq 6000); do  # a minute at most
    [ -s "$tmp/display" ] || ! kill -0 "$xvfb" 2>/dev/null && break
    sleep 0.01
  done
  if [ ! -s "$tmp/display" ]; then
    echo "wine-run: no X display of its own could be started" >&2
    kill "$xvfb" 2>/dev/null
    rm -rf "$tmp"
    exit 1
  fi
  export DISPLAY=":$(cat "$tmp/display")"
fi
"$WINE" "${run[@]}" "$@" </dev/null >"$tmp/out" 2>"$tmp/err" 9>&-
rc=$?
cat "$tmp/out"
cat "$tmp/err" >&2
if [ -n "$xvfb" ]; then
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
fi
rm -rf "$tmp"
exit $rc
