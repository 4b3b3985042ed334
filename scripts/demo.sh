#!/usr/bin/env bash
# The main job on the bundled example: pack examples/ExampleApp into a
# cabinet, build the installer from examples/Example.ini with the builder in
# batch mode, install it silently under Wine and show what it installed.
# Stops at the first step that fails, with a non-zero exit.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/setup.sh"
# Only the programs it runs, not the tests (scripts/test.sh builds those).
"$here/build.sh" demo
. "$here/wine-env.sh"
bin="$VESMARIN_BUILD/x86_64/bin"
work="$VESMARIN_BUILD/demo"
rm -rf "$work"
mkdir -p "$work"
cp "$VESMARIN_ROOT/examples/Example.ini" "$work/"

echo "== Packing examples/ExampleApp into ExampleApp.cab"
(cd "$VESMARIN_ROOT/examples/ExampleApp" &&
  find . -type f | sed 's|^\./||' | LC_ALL=C sort | xargs gcab --create --zip "$work/ExampleApp.cab")
gcab --list "$work/ExampleApp.cab" | sed 's/^/   /'

export VESMARIN_DEMO_BIN="$bin" VESMARIN_DEMO_WORK="$work"
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -euo pipefail
  . "$VESMARIN_ROOT/scripts/wine-env.sh"
  "$WINESERVER" -k 2>/dev/null || true
  # Wine stops at every early end, so that no program keeps waiting.
  trap "\"\$WINESERVER\" -k 2>/dev/null || true" EXIT
  # A program that waits for an answer nobody gives is stopped after 5 minutes.
  run() { timeout 300 "$WINE" "$VESMARIN_DEMO_BIN/runexit.exe" "$@" </dev/null 2>/dev/null | tr -d "\r"; }
  winpath() { "$WINE" winepath -w "$1" 2>/dev/null | tr -d "\r"; }
  work=$(winpath "$VESMARIN_DEMO_WORK")

  echo "== Building the installer: Vesmarin.exe Example.ini"
  result=$(run "$(winpath "$VESMARIN_DEMO_BIN/Vesmarin.exe")" "$work\\Example.ini")
  echo "   builder result: $result"
  [ "$result" = "exit=0" ] || { echo "the build failed" >&2; exit 1; }
  ls -l "$VESMARIN_DEMO_WORK/ExampleSetup.exe" | sed "s/^/   /"

  echo "== Installing silently: ExampleSetup.exe"
  result=$(run "$work\\ExampleSetup.exe")
  echo "   installer exit code: $result"
  [ "$result" = "exit=0" ] || { echo "the installation failed" >&2; exit 1; }

  target="$WINEPREFIX/drive_c/Program Files/Example App"
  echo "== Installed into C:\\Program Files\\Example App"
  (cd "$target" && find . -type f | sed "s|^\./|   |" | LC_ALL=C sort)
  echo "== Uninstall entry"
  "$WINE" reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ExampleApp" \
    </dev/null 2>/dev/null | tr -d "\r" | sed "/^$/d; s/^/   /"
  "$WINESERVER" -w
  trap - EXIT'
