#!/usr/bin/env bash
# Configures and builds both Windows trees (build/i686 and build/x86_64),
# tests included. `build.sh demo` builds only what scripts/demo.sh runs: the
# builder and runexit of the x86-64 tree and the stubs and uninstallers of
# both trees that the builder carries.
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
target=()
case ${1:-} in
  '') ;;
  demo) target=(--target demo) ;;
  *) echo "usage: $0 [demo]" >&2; exit 2 ;;
esac
cmake --build "$VESMARIN_BUILD" -j "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}" "${target[@]}"
