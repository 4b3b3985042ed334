#!/usr/bin/env bash
# A first run on a machine that has not made the locales the scripts pin
# (tests/scripts/without-locales.sh makes that state, privately): until
# scripts/setup.sh has made them, a script that sources wine-env.sh leaves
# the language alone; once they exist it pins them, also in a shell that
# was started before they existed (as scripts/demo.sh and scripts/test.sh
# are, with the user's LANG naming the locale still missing). Nothing of
# this prints a warning.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
rc=0
env -u LC_ALL -u VESMARIN_LANG LANG=en_US.UTF-8 "$here/without-locales.sh" bash -c '
  set -euo pipefail
  root=$1 out=$2
  # Before scripts/setup.sh: not pinned.
  bash -c ". \"\$1/scripts/wine-env.sh\"; echo \"\${LC_ALL:-unset}\"; bash -c true" _ "$root" \
    >"$out/before" 2>"$out/before.err"
  # This shell started while its LANG named a missing locale, as a new
  # user'"'"'s scripts/demo.sh does; it runs setup.sh, then sources
  # wine-env.sh itself.
  "$root/scripts/setup.sh" >"$out/setup" 2>"$out/setup.err"
  . "$root/scripts/wine-env.sh" 2>"$out/after.err"
  { echo "$LC_ALL $LANG"; bash -c "locale >/dev/null; true"; } >"$out/after" 2>>"$out/after.err"
  VESMARIN_LANG=ja_JP.UTF-8 bash -c ". \"\$1/scripts/wine-env.sh\"; echo \"\$LC_ALL \$LANG\"; locale >/dev/null" \
    _ "$root" >"$out/japanese" 2>"$out/japanese.err"
' _ "$root" "$out" 2>"$out/run.err" || rc=$?
fail=0
for step in run before setup after japanese; do
  if [ -s "$out/$step.err" ]; then
    echo "$step printed:" >&2
    cat "$out/$step.err" >&2
    fail=1
  fi
done
[ "$rc" -eq 0 ] || { echo "the first run ended with $rc" >&2; fail=1; }
[ "$(cat "$out/before" 2>/dev/null)" = unset ] ||
  { echo "a missing locale was pinned: $(cat "$out/before" 2>/dev/null)" >&2; fail=1; }
[ "$(cat "$out/after" 2>/dev/null)" = "en_US.UTF-8 en_US.UTF-8" ] ||
  { echo "the made locale was not pinned: $(cat "$out/after" 2>/dev/null)" >&2; fail=1; }
[ "$(cat "$out/japanese" 2>/dev/null)" = "ja_JP.UTF-8 ja_JP.UTF-8" ] ||
  { echo "the Japanese locale was not pinned: $(cat "$out/japanese" 2>/dev/null)" >&2; fail=1; }
# The machine's own locales are untouched.
LC_ALL=C locale -a | grep -ix 'en_US\.utf8' >/dev/null ||
  { echo "the machine lost en_US.UTF-8" >&2; fail=1; }
exit $fail
