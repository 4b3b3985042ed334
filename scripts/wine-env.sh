# Sourced by every script that runs Windows programs: one private prefix,
# quiet Wine, and a pinned language and time zone.
VESMARIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]:-$0}")/.." && pwd)
: "${VESMARIN_BUILD:=$VESMARIN_ROOT/build}"
: "${WINEPREFIX:=$VESMARIN_BUILD/wineprefix}"
export VESMARIN_ROOT VESMARIN_BUILD WINEPREFIX
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mshtml=;mscoree="
export LANG="${VESMARIN_LANG:-en_US.UTF-8}"
export LC_ALL="$LANG"
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
