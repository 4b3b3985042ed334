#!/usr/bin/env bash
# A new machine lacks the locale the scripts pin until scripts/setup.sh has
# made it. Until then a script that sources wine-env.sh must leave the
# language alone rather than name a missing locale, which makes every shell
# warn; once the locale exists, it is pinned. A locale name that no machine
# has stands for the missing one.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
fail=0
check() {  # <what> <stderr file>
  if [ -s "$2" ]; then
    echo "$1 printed:" >&2
    cat "$2" >&2
    fail=1
  fi
}
err=$(mktemp)
trap 'rm -f "$err"' EXIT
missing=xx_XX.UTF-8
pinned=$(env -u LC_ALL VESMARIN_LANG=$missing LANG=C.UTF-8 bash -c \
  '. "$1/scripts/wine-env.sh"; echo "${LC_ALL:-unset} $LANG"; bash -c true' _ "$root" 2>"$err")
check "wine-env.sh with a missing locale" "$err"
[ "$pinned" = "unset C.UTF-8" ] || { echo "a missing locale was pinned: $pinned" >&2; fail=1; }
# The first run's scripts source wine-env.sh before and after the locale is
# made; here none of them may warn.
env -u LC_ALL VESMARIN_LANG=$missing LANG=C.UTF-8 "$root/scripts/setup.sh" >/dev/null 2>"$err" ||
  { echo "setup.sh failed" >&2; fail=1; }
check "setup.sh with a missing locale" "$err"
pinned=$(env -u LC_ALL VESMARIN_LANG=ja_JP.UTF-8 bash -c \
  '. "$1/scripts/wine-env.sh"; echo "${LC_ALL:-unset} $LANG"' _ "$root" 2>"$err")
check "wine-env.sh with an existing locale" "$err"
[ "$pinned" = "ja_JP.UTF-8 ja_JP.UTF-8" ] || { echo "an existing locale was not pinned: $pinned" >&2; fail=1; }
exit $fail
