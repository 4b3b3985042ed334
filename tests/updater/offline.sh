#!/usr/bin/env bash
# Without an Internet connection the updater ends with 0 at once, shows
# nothing and leaves the registry alone, even in the options mode on a first
# run. Runs it in a network namespace that has only loopback, with its own
# Wine prefix and wineserver inside that namespace (Wine's network state
# comes from the wineserver's side).
#   offline.sh <folder of Nemdrift.exe> <work folder>
set -eu
bin=$1
work=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
if ! unshare -n true 2>/dev/null; then
  echo "cannot make a network namespace here (needs root)" >&2
  exit 1
fi
rm -rf "$work"
mkdir -p "$work/app"
cp "$bin/Nemdrift.exe" "$work/app/"
cat >"$work/app/Nemdrift.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<KelvadonUpdate>
  <DownloadPath>Kelvadon</DownloadPath>
  <RegKey>Software\VesmarinTests\NemdriftOffline</RegKey>
  <RSSURL>http://127.0.0.1/news.xml</RSSURL>
  <NoUpdateMessage>n</NoUpdateMessage>
  <CheckFailMessage>f</CheckFailMessage>
  <NoUpdateDescription>n</NoUpdateDescription>
  <CheckFailDescription>f</CheckFailDescription>
  <VersionInfoURL>http://127.0.0.1/v.xml</VersionInfoURL>
</KelvadonUpdate>
XML
export VESMARIN_ROOT_FOR_OFFLINE=$root
export OFFLINE_WORK=$work
status=0
unshare -n bash -c '
  set -eu
  ip link set lo up
  . "$VESMARIN_ROOT_FOR_OFFLINE/scripts/wine-env.sh"
  export WINEPREFIX="$OFFLINE_WORK/prefix"
  unset DISPLAY
  if ip route | grep -q default; then echo "the namespace has a default route" >&2; exit 1; fi
  "$WINE" wineboot -i </dev/null >/dev/null 2>&1 9>&- || true
  "$WINESERVER" -w 9>&- || true
  rc=0
  for mode in "/Option" "/AutoCheck" ""; do
    code=0
    timeout 120 "$WINE" "$OFFLINE_WORK/app/Nemdrift.exe" $mode </dev/null >/dev/null 2>&1 9>&- || code=$?
    echo "mode [$mode] exit $code"
    [ "$code" = 0 ] || rc=1
  done
  "$WINESERVER" -w 9>&- || true
  if grep -q "NemdriftOffline" "$WINEPREFIX/user.reg"; then
    echo "the registry was touched" >&2
    rc=1
  fi
  exit $rc' || status=$?
rm -rf "$work"
exit $status
