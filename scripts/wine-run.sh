#!/usr/bin/env bash
# Runs one Windows program under wine64 (CTest's emulator). Wine's own
# helper processes inherit standard output; sending the program's output
# through files keeps CTest from waiting on them.
. "$(dirname "$0")/wine-env.sh"
[ -f "$WINEPREFIX/.vesmarin-ready" ] || "$(dirname "$0")/wine-prefix.sh"
tmp=$(mktemp -d)
"$WINE" "$@" </dev/null >"$tmp/out" 2>"$tmp/err" 9>&-
rc=$?
cat "$tmp/out"
cat "$tmp/err" >&2
rm -rf "$tmp"
exit $rc
