#!/usr/bin/env bash
# screenshot-alone.sh <support_tests.exe>
# The pictures of windows show their window alone while another test, run
# beside them as scripts/test.sh runs tests, keeps a window over the whole
# screen and lifts it above every other window all the time.
set -euo pipefail
tests=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
[ -n "${VESMARIN_TEST_SCREEN:-}" ] ||
  { echo "run through scripts/test.sh, which gives every test a screen of its own" >&2; exit 1; }
work=$(mktemp -d)
cover=
finish() {
  touch "$work/stop"
  [ -z "$cover" ] || wait "$cover" || true
  rm -rf "$work"
}
trap finish EXIT
winpath() { "$WINE" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
. "$root/scripts/wine-env.sh"
export SCREENSHOT_COVER_UP=$(winpath "$work/up") SCREENSHOT_COVER_STOP=$(winpath "$work/stop")
"$root/scripts/wine-run.sh" "$tests" --gtest_also_run_disabled_tests \
  --gtest_filter=ScreenshotHelper.DISABLED_CoversTheScreen &
cover=$!
for _ in $(seq 600); do
  [ -e "$work/up" ] || ! kill -0 "$cover" 2>/dev/null && break
  sleep 0.1
done
[ -e "$work/up" ] || { echo "the covering window never showed" >&2; exit 1; }
"$root/scripts/wine-run.sh" "$tests" --gtest_filter='Screenshot.*'
