#!/usr/bin/env bash
# Screenshots of the compressor's windows in English and Japanese on a
# private X display: the progress dialog and the message boxes of the
# unattended mode ("Contains no files.", the failure, the abort), and the
# main window. Needs the
# x86-64 tree built, imagemagick and xdotool. Pictures go to the folder
# given (default build/screenshots/compressor).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
out=${1:-$VESMARIN_BUILD/screenshots/compressor}
export SHOTS_OUT=$out
export WINEPREFIX=$VESMARIN_BUILD/wineprefix-shots
mkdir -p "$out"
"$here/wine-prefix.sh"
exec xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -eu
  . "$VESMARIN_ROOT/scripts/wine-env.sh"
  sardok=$VESMARIN_BUILD/x86_64/bin/Sardok.exe
  work=$(mktemp -d)
  winpath() { printf "Z:%s" "$(printf "%s" "$1" | tr / "\\\\")"; }
  mkdir -p "$work/src"
  for i in 1 2 3 4 5 6; do head -c 8000000 /dev/urandom >"$work/src/big$i.bin"; done
  printf "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<VesmarinCompressorProject>\n</VesmarinCompressorProject>\n" >"$work/empty.qxc"
  {
    printf "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<VesmarinCompressorProject>\n"
    for i in 1 2 3 4 5 6; do printf "<File>%s</File>\n" "$(winpath "$work/src/big$i.bin")"; done
    printf "</VesmarinCompressorProject>\n"
  } >"$work/big.qxc"
  "$WINESERVER" -k 2>/dev/null || true
  until "$WINESERVER" -p 9>&- 2>/dev/null; do sleep 0.2; done
  "$WINE" wineboot </dev/null >/dev/null 2>&1 9>&- || true

  # The X window of a viewable top-level window with this title, once shown.
  find_window() {
    local id
    for _ in $(seq 1 100); do
      for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
        echo "$id"; return 0
      done
      sleep 0.05
    done
    return 1
  }
  # import can wait for ever on a window that went away.
  shot() { sleep 0.4; timeout 10 import -window "$1" "$SHOTS_OUT/$2.png" && echo "$SHOTS_OUT/$2.png"; }
  # Waits up to 10 s for a run to end, pressing Return for its boxes, then
  # ends it.
  finish() {
    for _ in $(seq 1 20); do
      kill -0 "$1" 2>/dev/null || { wait "$1" 2>/dev/null || true; return 0; }
      xdotool key Return 2>/dev/null || true
      sleep 0.5
    done
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
  }

  for lang in en ja; do
    if [ $lang = ja ]; then export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8; else export LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8; fi
    # Progress dialog of the unattended mode, held still while it is taken;
    # then Cancel, which shows the abort message.
    "$WINE" "$sardok" /compress "$(winpath "$work/big.qxc")" "$(winpath "$work/out.cab")" </dev/null >/dev/null 2>&1 &
    pid=$!
    id=$(find_window "Vesmarin Compressor") || { finish $pid; continue; }
    kill -STOP $pid; shot "$id" "progress-$lang"
    # Cancel sits at the bottom centre of the dialog; the click waits in the
    # queue until the run goes on.
    eval $(xdotool getwindowgeometry --shell "$id")
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 22)) click 1
    kill -CONT $pid
    sleep 1
    id=$(find_window "Vesmarin Compressor") && shot "$id" "message-aborted-$lang" || true
    finish $pid
    # "Contains no files."
    "$WINE" "$sardok" /compress "$(winpath "$work/empty.qxc")" </dev/null >/dev/null 2>&1 &
    pid=$!
    id=$(find_window "Vesmarin Compressor") && shot "$id" "message-no-files-$lang" || true
    finish $pid
    # The archive cannot be written.
    "$WINE" "$sardok" /compress "$(winpath "$work/big.qxc")" "$(winpath "$work/none/x.cab")" </dev/null >/dev/null 2>&1 &
    pid=$!
    sleep 3
    id=$(find_window "Vesmarin Compressor") && shot "$id" "message-failed-$lang" || true
    finish $pid
    # The main window of the interactive mode, with its project loaded.
    "$WINE" "$sardok" "$(winpath "$work/big.qxc")" </dev/null >/dev/null 2>&1 &
    pid=$!
    sleep 3
    id=$(find_window "Vesmarin Compressor") && shot "$id" "main-window-$lang" || true
    kill $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true
  done
  "$WINESERVER" -k 2>/dev/null || true
  rm -rf "$work"
'
