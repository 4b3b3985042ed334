#!/usr/bin/env bash
# Configures and builds both Windows trees (build/i686 and build/x86_64).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
# A build folder configured for another checkout (this one moved or copied)
# starts afresh rather than building the other checkout's trees.
"$here/drop-foreign-build.sh" "$VESMARIN_BUILD" "$VESMARIN_ROOT"
gen=()
command -v ninja >/dev/null 2>&1 && gen=(-G Ninja)
if [ ! -f "$VESMARIN_BUILD/CMakeCache.txt" ]; then
  cmake -S "$VESMARIN_ROOT" -B "$VESMARIN_BUILD" "${gen[@]}" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$VESMARIN_BUILD" -j "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
