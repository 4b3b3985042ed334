#!/usr/bin/env bash
# The stub's container check (open, map, marker, size, CRC, settings,
# archive listing) on 100 MB and 400 MB packages against one plain read of
# the same file, under Wine, as a ratio (target: at most 1.5).
# Needs a built tree: scripts/build.sh first. Sizes in MB may be given:
#   bench/stub-check/run.sh [size ...]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/wine-env.sh"
bin="$VESMARIN_BUILD/x86_64/bin"
for tool in Vesmarin.exe stubcheckbench.exe; do
  [ -f "$bin/$tool" ] || { echo "missing $bin/$tool: run scripts/build.sh first" >&2; exit 1; }
done
work="$VESMARIN_BUILD/bench-stub-check"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(100 400)
winpath() { echo "Z:$1" | sed 's|/|\\|g'; }
for mb in "${sizes[@]}"; do
  dir="$work/$mb"
  mkdir -p "$dir"
  head -c "${mb}M" /dev/urandom >"$dir/payload.bin"
  # Stored (uncompressed) members: the package is as large as its payload.
  (cd "$dir" && gcab -c archive.cab payload.bin)
  rm -f "$dir/payload.bin"
  printf '[Vesmarin]\r\nSrcArchiveFile=archive.cab\r\nDstExeFile=package.exe\r\n64bitSFX=1\r\nNoUI=1\r\nUltraSilentInstall=1\r\nDialogTitleE=Bench\r\nManifestType=0\r\nIconType=blue\r\n' |
    iconv -f UTF-8 -t UTF-16 >"$dir/package.ini"
  "$VESMARIN_ROOT/scripts/wine-run.sh" "$bin/Vesmarin.exe" "$(winpath "$dir/package.ini")" >/dev/null
  [ -f "$dir/package.exe" ] || { echo "the builder made no package for $mb MB" >&2; exit 1; }
  rm -f "$dir/archive.cab"
  printf '%4s MB package: ' "$mb"
  "$VESMARIN_ROOT/scripts/wine-run.sh" "$bin/stubcheckbench.exe" "$(winpath "$dir/package.exe")" 5
  rm -rf "$dir"
done
