#!/usr/bin/env bash
# When Wine fails while it makes the prefix (here after making its folder),
# scripts/wine-prefix.sh ends with a non-zero exit and leaves no prefix that
# later runs take as ready.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin"
for tool in wine64 wineserver; do
  printf '#!/bin/sh\nmkdir -p "$WINEPREFIX"\nexit 1\n' >"$work/bin/$tool"
  chmod +x "$work/bin/$tool"
done
if PATH="$work/bin:$PATH" WINEPREFIX="$work/prefix" "$root/scripts/wine-prefix.sh" 2>/dev/null; then
  echo "wine-prefix.sh succeeded although Wine failed" >&2
  exit 1
fi
[ ! -e "$work/prefix/.vesmarin-ready" ] || { echo "the failed prefix was marked ready" >&2; exit 1; }
