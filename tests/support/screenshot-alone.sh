#!/usr/bin/env bash
# screenshot-alone.sh <support_tests.exe>
# The pictures of windows show their window alone while another test, run
# beside them as scripts/test.sh runs tests, keeps a window over the whole
# screen and lifts it above every other window all the time. The two runs
# wait for each other through two events of one name.
set -euo pipefail
tests=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
[ -n "${VESMARIN_TEST_SCREEN:-}" ] ||
  { echo "run through scripts/test.sh, which gives every test a screen of its own" >&2; exit 1; }
name="vesmarin-screenshot-cover-$$"
SCREENSHOT_COVER=$name "$root/scripts/wine-run.sh" "$tests" --gtest_also_run_disabled_tests \
  --gtest_filter=ScreenshotHelper.DISABLED_CoversTheScreen &
cover=$!
rc=0
SCREENSHOT_BESIDE_COVER=$name "$root/scripts/wine-run.sh" "$tests" --gtest_filter='Screenshot.*' ||
  rc=$?
wait "$cover" || rc=$?
exit $rc
