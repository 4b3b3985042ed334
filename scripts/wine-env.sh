# Sourced by every script that runs Windows programs: one private prefix,
# quiet Wine, and a pinned language and time zone.
VESMARIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]:-$0}")/.." && pwd)
: "${VESMARIN_BUILD:=$VESMARIN_ROOT/build}"
: "${WINEPREFIX:=$VESMARIN_BUILD/wineprefix}"
export VESMARIN_ROOT VESMARIN_BUILD WINEPREFIX
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mshtml=;mscoree="
# True when the locale (such as en_US.UTF-8) exists on this machine.
vesmarin_locale_exists() {
  local name
  name=$(printf '%s\n' "$1" | sed 's/\.[Uu][Tt][Ff]-\{0,1\}8$/.utf8/')
  LC_ALL=C locale -a 2>/dev/null | grep -ixF -- "$name" >/dev/null
}
# The language is pinned only once its locale exists (scripts/setup.sh makes
# it): a shell told to use a missing locale warns at every start. A shell
# that was started before setup.sh made it cannot switch to it itself (the C
# library reads the locale archive once per process) and would warn here;
# the setting is for the programs it starts, which can, so that warning is
# not shown.
vesmarin_lang=${VESMARIN_LANG:-en_US.UTF-8}
if [ "${LC_ALL:-}" = "$vesmarin_lang" ] || vesmarin_locale_exists "$vesmarin_lang"; then
  export LANG="$vesmarin_lang" LC_ALL="$vesmarin_lang" 2>/dev/null
fi
unset vesmarin_lang
export TZ="${VESMARIN_TZ:-UTC}"
if command -v wine64 >/dev/null 2>&1; then
  WINE=$(command -v wine64)
else
  WINE=/usr/lib/wine/wine64
fi
if command -v wineserver >/dev/null 2>&1; then
  WINESERVER=$(command -v wineserver)
else
  WINESERVER=/usr/lib/wine/wineserver
fi
export WINE WINESERVER
