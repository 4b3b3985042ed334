#!/usr/bin/env bash
# Benchmark (not a test): the builder's batch build of archives of 1, 100
# and 400 MB against a plain copy of the same bytes plus the start-up of an
# empty Windows program under Wine. Prints the median of several runs and
# the ratio build / (copy + start-up); the aim is at most 1.5 at 100 MB and
# above, growing linearly with the archive. For reading the figures it also
# times the builder's own start-up (a definition file that does not exist:
# the builder starts and ends with 5) and gives the build's work beyond that
# start-up against the copy alone, against a Windows-side copy, and against
# a Windows-side copy plus FDI's decoding of every member (the build decodes
# every member once before it writes). The figure that counts is the
# whole-process ratio: the builder's run, start-up included, against the
# floor of one Windows program that copies the archive and decodes every
# member once (a Windows-side copy plus FDI's decoding, one start-up
# counted); the aim is at most 1.2 for the 100 and 400 MB archives and the
# cabinet of many files.
#
#   bench/build/bench.sh                 # after scripts/build.sh
#   BENCH_RUNS=7 BENCH_SIZES_MB="1 100" BENCH_LIST_MB=100 bench/build/bench.sh
#   BENCH_BUILDER=/path/to/Vesmarin.exe bench/build/bench.sh   # another build of the builder
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/wine-env.sh"
bin=$VESMARIN_BUILD/x86_64/bin
runs=${BENCH_RUNS:-5}
sizes=${BENCH_SIZES_MB:-"1 100 400"}
list_mb=${BENCH_LIST_MB:-100}
stub64=${BENCH_STUB64:-1}
work=$VESMARIN_BUILD/bench-build
builder=${BENCH_BUILDER:-$bin/Vesmarin.exe}
[ -f "$builder" ] || { echo "bench: $builder is missing; run scripts/build.sh" >&2; exit 2; }
for program in runexit.exe benchfloor.exe; do
  [ -f "$bin/$program" ] || { echo "bench: $bin/$program is missing; run scripts/build.sh" >&2; exit 2; }
done
command -v gcab >/dev/null || { echo "bench: gcab is missing (scripts/setup.sh)" >&2; exit 2; }
[ -f "$WINEPREFIX/.vesmarin-ready" ] || "$VESMARIN_ROOT/scripts/wine-prefix.sh"

. "$here/../timing.sh"
start_bench "$work"

printf '%8s %10s %10s %10s %10s %8s %12s %10s %10s %11s %10s %12s %10s %11s\n' "archive" "build s" "copy s" "start-up s" \
  "copy+start" "ratio" "builder up s" "work/copy" "wcopy s" "work/wcopy" "wdecode s" "work/(wc+wd)" \
  "floor s" "whole/floor"
declare -A build_median
for mb in $sizes; do
  dir=$work/$mb
  mkdir -p "$dir"
  head -c "${mb}M" /dev/urandom >"$dir/payload.bin"
  gcab --create --nopath "$dir/archive.cab" "$dir/payload.bin"
  rm -f "$dir/payload.bin"
  printf '[Vesmarin]\r\nSrcArchiveFile=%s\r\nDstExeFile=%s\r\n64bitSFX=%s\r\nNoUI=1\r\n' \
    "$(winpath "$dir/archive.cab")" "$(winpath "$dir/Setup.exe")" "$stub64" >"$dir/bench.ini"
  # Warm-up, and a check that the build really succeeds.
  if ! "$WINE" "$builder" "$(winpath "$dir/bench.ini")" </dev/null >/dev/null 2>&1 9>&-; then
    echo "bench: the build of the $mb MB archive failed" >&2
    exit 1
  fi
  cp "$dir/archive.cab" "$dir/copy.cab"
  : >"$dir/build.t"; : >"$dir/copy.t"; : >"$dir/start.t"; : >"$dir/up.t"; : >"$dir/wcopy.t"; : >"$dir/decode.t"
  for ((i = 0; i < runs; i++)); do
    rm -f "$dir/Setup.exe" "$dir/copy.cab"
    seconds "$WINE" "$builder" "$(winpath "$dir/bench.ini")" >>"$dir/build.t"
    seconds cp "$dir/archive.cab" "$dir/copy.cab" >>"$dir/copy.t"
    seconds "$WINE" "$bin/runexit.exe" >>"$dir/start.t"
    seconds "$WINE" "$builder" "$(winpath "$dir/missing.ini")" >>"$dir/up.t"
    rm -f "$dir/wcopy.cab"
    seconds "$WINE" "$bin/benchfloor.exe" copy "$(winpath "$dir/archive.cab")" "$(winpath "$dir/wcopy.cab")" \
      >>"$dir/wcopy.t"
    seconds "$WINE" "$bin/benchfloor.exe" decode "$(winpath "$dir/archive.cab")" >>"$dir/decode.t"
  done
  b=$(median <"$dir/build.t"); c=$(median <"$dir/copy.t"); s=$(median <"$dir/start.t"); u=$(median <"$dir/up.t")
  w=$(median <"$dir/wcopy.t"); d=$(median <"$dir/decode.t")
  build_median[$mb]=$b
  awk -v mb="$mb" -v b="$b" -v c="$c" -v s="$s" -v u="$u" -v w="$w" -v d="$d" \
    'BEGIN { ww = w - s; if (ww < 0.001) ww = 0.001
             wd = ww + d - s; if (wd < 0.001) wd = 0.001
             floor = w + d - s; if (floor < 0.001) floor = 0.001
             printf "%5d MB %10.3f %10.3f %10.3f %10.3f %8.2f %12.3f %10.2f %10.3f %11.2f %10.3f %12.2f %10.3f %11.2f\n", mb, b, c, s,
             c + s, b / (c + s), u, (b - u) / c, w, (b - u) / ww, d, (b - u) / wd, floor, b / floor }'
  rm -rf "$dir"
done

# Growth: the build's cost per MB between the sizes measured.
set -- $sizes
if [ $# -ge 3 ]; then
  awk -v a="$1" -v b="$2" -v c="$3" -v ta="${build_median[$1]}" -v tb="${build_median[$2]}" \
      -v tc="${build_median[$3]}" \
    'BEGIN { printf "build cost per MB: %.2f ms from %d to %d MB, %.2f ms from %d to %d MB\n",
             1000 * (tb - ta) / (b - a), a, b, 1000 * (tc - tb) / (c - b), b, c }'
fi

# The listing of a cabinet of many files.
if [ "$list_mb" -gt 0 ]; then
  dir=$work/list
  mkdir -p "$dir/files"
  python3 "$here/../install/make-files.py" "$dir/files" "$list_mb"
  mapfile -t names < <(cd "$dir/files" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
  (cd "$dir/files" && gcab --create --zip "$dir/archive.cab" "${names[@]}")
  rm -rf "$dir/files"
  printf '[Vesmarin]\r\nSrcArchiveFile=%s\r\nDstExeFile=%s\r\n64bitSFX=%s\r\nNoUI=1\r\n' \
    "$(winpath "$dir/archive.cab")" "$(winpath "$dir/Setup.exe")" "$stub64" >"$dir/bench.ini"
  "$WINE" "$builder" "$(winpath "$dir/bench.ini")" </dev/null >/dev/null 2>&1 9>&- ||
    { echo "bench: the build of the many-file archive failed" >&2; exit 1; }
  : >"$dir/build.t"; : >"$dir/up.t"; : >"$dir/wcopy.t"; : >"$dir/list.t"; : >"$dir/start.t"; : >"$dir/decode.t"
  for ((i = 0; i < runs; i++)); do
    rm -f "$dir/Setup.exe" "$dir/wcopy.cab"
    seconds "$WINE" "$builder" "$(winpath "$dir/bench.ini")" >>"$dir/build.t"
    seconds "$WINE" "$builder" "$(winpath "$dir/missing.ini")" >>"$dir/up.t"
    seconds "$WINE" "$bin/benchfloor.exe" copy "$(winpath "$dir/archive.cab")" "$(winpath "$dir/wcopy.cab")" \
      >>"$dir/wcopy.t"
    seconds "$WINE" "$bin/benchfloor.exe" list "$(winpath "$dir/archive.cab")" >>"$dir/list.t"
    seconds "$WINE" "$bin/benchfloor.exe" decode "$(winpath "$dir/archive.cab")" >>"$dir/decode.t"
    seconds "$WINE" "$bin/runexit.exe" >>"$dir/start.t"
  done
  members=${#names[@]}
  awk -v n="$members" -v b="$(median <"$dir/build.t")" -v u="$(median <"$dir/up.t")" \
      -v w="$(median <"$dir/wcopy.t")" -v l="$(median <"$dir/list.t")" -v s="$(median <"$dir/start.t")" \
      -v d="$(median <"$dir/decode.t")" \
    'BEGIN { floor = (w - s) + (l - s); if (floor < 0.001) floor = 0.001
             decoded = (w - s) + (d - s); if (decoded < 0.001) decoded = 0.001
             printf "many files: %d members; build work %.3f s; floor (Windows-side copy + bare listing) work %.3f s (listing %.3f s); ratio %.2f\n",
                    n, b - u, floor, l - s, (b - u) / floor
             printf "many files: floor (Windows-side copy + decoding every member) work %.3f s (decoding %.3f s); ratio %.2f\n",
                    decoded, d - s, (b - u) / decoded
             whole = w + d - s; if (whole < 0.001) whole = 0.001
             printf "many files: whole process %.3f s against the copy-plus-decode floor %.3f s; ratio %.2f\n",
                    b, whole, b / whole }'
  rm -rf "$dir"
fi
