#!/usr/bin/env bash
# A build folder whose CMake caches were written in another folder (the
# checkout moved or copied with it) is emptied but for the fetched libpng
# sources, the nested trees' caches and the libpng tree's included; a build
# folder whose caches are its own stays as it is, and a folder that is no
# build folder of this project is not touched.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cache() {  # <file> <project> <made in> <for>
  mkdir -p "$(dirname "$1")"
  printf 'CMAKE_PROJECT_NAME:STATIC=%s\nCMAKE_CACHEFILE_DIR:INTERNAL=%s\nCMAKE_HOME_DIRECTORY:INTERNAL=%s\n' \
    "$2" "$3" "$4" >"$1"
}
tree() {  # <checkout> <where its caches were made>
  local build=$1/build old=$2
  cache "$build/CMakeCache.txt" VesmarinHost "$old/build" "$old"
  cache "$build/x86_64/CMakeCache.txt" Vesmarin "$old/build/x86_64" "$old"
  cache "$build/x86_64/libpng-build/CMakeCache.txt" libpng "$old/build/x86_64/libpng-build" \
    "$old/build/libpng/src"
  mkdir -p "$build/x86_64-prefix/src" "$build/wineprefix" "$build/libpng/src" "$build/x86_64/bin"
  echo "build $old/build/x86_64" >"$build/build.ninja"
  echo "$old" >"$build/x86_64-prefix/src/x86_64-cfgcmd.txt"
  touch "$build/.ninja_log" "$build/wineprefix/system.reg" "$build/libpng/src/png.h" \
    "$build/x86_64/bin/Vesmarin.exe"
}
fail=0
# A copy whose caches name the folder it was copied from.
mkdir -p "$work/old" "$work/copy"
tree "$work/copy" "$work/old"
"$root/scripts/drop-foreign-build.sh" "$work/copy/build" "$work/copy" >/dev/null
left=$(cd "$work/copy/build" && find . -mindepth 1 | LC_ALL=C sort | tr '\n' ' ')
[ "$left" = "./libpng ./libpng/src ./libpng/src/png.h " ] || { echo "left behind: $left" >&2; fail=1; }
# Only a nested tree's cache is foreign.
tree "$work/copy" "$work/copy"
cache "$work/copy/build/x86_64/libpng-build/CMakeCache.txt" libpng \
  "$work/old/build/x86_64/libpng-build" "$work/old/build/libpng/src"
"$root/scripts/drop-foreign-build.sh" "$work/copy/build" "$work/copy" >/dev/null
[ ! -e "$work/copy/build/x86_64" ] || { echo "a foreign nested tree was kept" >&2; fail=1; }
# A build folder of its own stays, and so does the same folder reached
# through a link.
tree "$work/copy" "$work/copy"
ln -s "$work/copy" "$work/link"
"$root/scripts/drop-foreign-build.sh" "$work/copy/build" "$work/copy" >/dev/null
"$root/scripts/drop-foreign-build.sh" "$work/link/build" "$work/link" >/dev/null
[ -e "$work/copy/build/x86_64/bin/Vesmarin.exe" ] || { echo "an own build folder was emptied" >&2; fail=1; }
# A folder with a foreign cache that is no build folder of this project.
cache "$work/other/CMakeCache.txt" Other "$work/elsewhere" "$work/elsewhere"
if "$root/scripts/drop-foreign-build.sh" "$work/other" "$work/copy" 2>/dev/null; then
  echo "another project's folder was accepted" >&2
  fail=1
fi
[ -e "$work/other/CMakeCache.txt" ] || { echo "another project's folder was emptied" >&2; fail=1; }
exit $fail
