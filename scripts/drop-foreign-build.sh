#!/usr/bin/env bash
# drop-foreign-build.sh <build folder> <source folder>
# A build folder whose CMake caches were written for another place (a
# checkout moved or copied together with its build folder, or one build
# folder used by two checkouts) would go on building the other place's
# trees. Such a folder is emptied, all but the libpng sources fetched into
# it (they name no folder), so that the next configure starts afresh; the
# Wine prefixes go with it, as they hold the other tree's test state. A
# folder whose caches are its own, or that has none, is left alone.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 build-folder source-folder" >&2; exit 2; }
build=$1 source=$2
[ -d "$build" ] || exit 0
value() { sed -n "s/^$1:[A-Z]*=//p" "$2"; }
ours=0 foreign=
for cache in "$build"/CMakeCache.txt "$build"/*/CMakeCache.txt "$build"/*/libpng-build/CMakeCache.txt; do
  [ -f "$cache" ] || continue
  case $(value CMAKE_PROJECT_NAME "$cache") in VesmarinHost|Vesmarin) ours=1 ;; esac
  made=$(value CMAKE_CACHEFILE_DIR "$cache")
  home=$(value CMAKE_HOME_DIRECTORY "$cache")
  [ "${cache%/libpng-build/CMakeCache.txt}" = "$cache" ] && want=$source || want=$build/libpng/src
  if [ -z "$foreign" ] && ! { [ "$made" -ef "$(dirname "$cache")" ] && [ "$home" -ef "$want" ]; }; then
    foreign="$cache (made in ${made:-?} for ${home:-?})"
  fi
done
[ -n "$foreign" ] || exit 0
if [ "$ours" -ne 1 ]; then
  echo "drop-foreign-build: $foreign belongs to another folder, and $build is no Vesmarin build folder: not touched" >&2
  exit 1
fi
echo "drop-foreign-build: $foreign belongs to another folder: $build is configured afresh"
shopt -s dotglob nullglob
for entry in "$build"/*; do
  [ "$entry" = "$build/libpng" ] || rm -rf -- "$entry"
done
