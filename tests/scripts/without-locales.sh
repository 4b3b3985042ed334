#!/usr/bin/env bash
# without-locales.sh <command> [<argument> ...]
# Runs the command as on a new Debian machine that has not made the
# locales the scripts pin (en_US.UTF-8, ja_JP.UTF-8): in a mount namespace
# of its own, /usr/lib/locale is a private folder that holds only C.utf8,
# and /etc a private copy whose locale.gen names both locales commented
# out, as Debian ships it. Whatever the command generates (locale-gen) goes
# into that private folder and ends with it: the machine's own locales stay
# untouched and usable by everything else that runs meanwhile. Needs root.
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 command [argument ...]" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "without-locales: needs root (a mount namespace)" >&2; exit 1; }
state=$(mktemp -d "${TMPDIR:-/tmp}/without-locales.XXXXXX")
trap 'rm -rf "$state"' EXIT
mkdir -p "$state/locale"
[ -d /usr/lib/locale/C.utf8 ] && cp -a /usr/lib/locale/C.utf8 "$state/locale/"
cp -a /etc "$state/etc"
gen=$state/etc/locale.gen
[ -f "$gen" ] || touch "$gen"
sed -i 's/^\(en_US\.UTF-8 UTF-8\|ja_JP\.UTF-8 UTF-8\)/# \1/' "$gen"
grep -q '^# en_US\.UTF-8 UTF-8' "$gen" || echo '# en_US.UTF-8 UTF-8' >>"$gen"
grep -q '^# ja_JP\.UTF-8 UTF-8' "$gen" || echo '# ja_JP.UTF-8 UTF-8' >>"$gen"
export VESMARIN_NO_LOCALES_STATE=$state
unshare --mount --propagation private bash -c '
  set -euo pipefail
  mount --bind "$VESMARIN_NO_LOCALES_STATE/etc" /etc
  mount --bind "$VESMARIN_NO_LOCALES_STATE/locale" /usr/lib/locale
  unset VESMARIN_NO_LOCALES_STATE
  if LC_ALL=C locale -a | grep -ixE "en_US\.utf-?8|ja_JP\.utf-?8" >/dev/null; then
    echo "without-locales: the locales are still there" >&2
    exit 1
  fi
  exec "$@"' without-locales "$@"
