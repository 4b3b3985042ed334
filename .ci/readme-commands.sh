#!/usr/bin/env bash
# Runs every command of the README's shell blocks as written, one after the
# other in the README's order, from the project's root, on an X display of
# their own; stops at the first that fails. The uninstall command asks
# before it removes and shows its progress until it is closed: a user's
# answers are given beside it, and the removal is checked afterwards.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mapfile -t commands < <(awk '/^```sh$/ { on = 1; next } /^```$/ { on = 0 } on && NF' README.md)
[ ${#commands[@]} -gt 0 ] || { echo "readme-commands: the README shows no commands" >&2; exit 1; }
export VESMARIN_README_COMMANDS=$(printf '%s\n' "${commands[@]}")
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -euo pipefail
  mapfile -t commands <<<"$VESMARIN_README_COMMANDS"
  for command in "${commands[@]}"; do
    echo "== $command"
    case $command in
      *Hollmere64.exe*/s*)
        . scripts/wine-env.sh
        app="$WINEPREFIX/drive_c/Program Files/Example App"
        [ -d "$app" ] || { echo "readme-commands: nothing to remove" >&2; exit 1; }
        "$WINE" "$VESMARIN_BUILD/x86_64/bin/pressbuttons.exe" 120 "Example App=6" "Example App=1" \
          </dev/null 2>&1 9>&- | tr -d "\r" &
        presser=$!
        bash -c "$command"
        wait "$presser"
        for _ in $(seq 600); do [ -e "$app/readme.txt" ] || break; sleep 0.1; done
        [ ! -e "$app/readme.txt" ] || { echo "readme-commands: the uninstaller left $app" >&2; exit 1; }
        "$WINESERVER" -w
        ;;
      *) bash -c "$command" ;;
    esac
  done'
