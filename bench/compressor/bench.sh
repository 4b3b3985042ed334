#!/usr/bin/env bash
# Benchmark (not a test): Sardok against gcab on the same trees, measured
# side by side in one run.
#
# 1. A copy of the Python 3.11 standard library (/usr/lib/python3.11, links
#    resolved, __pycache__ left out: the sources a publisher ships): Sardok's
#    folder mode against `gcab -c -z` (MSZIP, one folder). Prints both
#    cabinet sizes and their ratio (the aim: at most 1.10), and the median
#    times and their ratio.
# 2. A flat folder of 10,000 small files: the unattended mode (/compress) of
#    a project that lists them against the folder mode over the same files.
#    Prints the medians and their ratio (the aim: at most 1.5).
#
#   bench/compressor/bench.sh            # after scripts/build.sh
#   BENCH_RUNS=5 BENCH_FLAT_FILES=3000 bench/compressor/bench.sh
#   BENCH_ONLY=flat bench/compressor/bench.sh    # or python: one part only
set -eu
here=$(cd "$(dirname "$0")" && pwd)
# The unattended mode opens (hidden) windows: a display and a prefix of the
# benchmarks' own.
. "$here/../windowed.sh"
bin=$VESMARIN_BUILD/x86_64/bin
runs=${BENCH_RUNS:-3}
flat=${BENCH_FLAT_FILES:-10000}
python_lib=${BENCH_PYTHON_LIB:-/usr/lib/python3.11}
work=${BENCH_WORK:-$VESMARIN_BUILD/bench-compressor}
. "$here/../timing.sh"
need_programs Sardok.exe
need_tools gcab cabextract
[ -d "$python_lib" ] || { echo "bench: $python_lib is missing" >&2; exit 2; }
"$VESMARIN_ROOT/scripts/wine-prefix.sh"
start_bench "$work"
bench_unmanaged

sardok() { "$WINE" "$bin/Sardok.exe" "$@" </dev/null >/dev/null 2>&1 9>&-; }
# gcab takes the member names from its arguments, all in one call (xargs
# could split them over several calls, each overwriting the cabinet): run it
# inside the tree.
gcab_tree() {
  local names
  mapfile -t names < <(cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
  (cd "$1" && gcab -c -z "$2" "${names[@]}")
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0) ? a / b : 0 }'; }

only=${BENCH_ONLY:-}
# 1. The standard library.
if [ "$only" != flat ]; then
py=$work/python3.11
mkdir -p "$py"
cp -rL "$python_lib/." "$py/" 2>/dev/null || true
find "$py" -depth -name __pycache__ -type d -exec rm -rf {} +
files=$(find "$py" -type f | wc -l)
bytes=$(du -sb "$py" | cut -f1)
# Warm-up, and a check that both cabinets are whole.
sardok /silent "$(winpath "$py")" "$(winpath "$work/sardok.cab")" ||
  { echo "bench: Sardok failed on $py" >&2; exit 1; }
gcab_tree "$py" "$work/gcab.cab"
cabextract -q -t "$work/sardok.cab" >/dev/null && cabextract -q -t "$work/gcab.cab" >/dev/null ||
  { echo "bench: a cabinet does not pass cabextract -t" >&2; exit 1; }
s_size=$(stat -c %s "$work/sardok.cab")
g_size=$(stat -c %s "$work/gcab.cab")
: >"$work/sardok.t"; : >"$work/gcab.t"
for ((i = 0; i < runs; i++)); do
  rm -f "$work/sardok.cab" "$work/gcab.cab"
  seconds "$WINE" "$bin/Sardok.exe" /silent "$(winpath "$py")" "$(winpath "$work/sardok.cab")" >>"$work/sardok.t"
  seconds gcab_tree "$py" "$work/gcab.cab" >>"$work/gcab.t"
  [ -f "$work/sardok.cab" ] && [ -f "$work/gcab.cab" ] || { echo "bench: a timed run wrote no cabinet" >&2; exit 1; }
done
s_time=$(median <"$work/sardok.t"); g_time=$(median <"$work/gcab.t")
printf 'python3.11 stdlib (%d files, %d bytes, no __pycache__):\n' "$files" "$bytes"
printf '  size: Sardok %d bytes, gcab -z %d bytes, ratio %s (aim <= 1.10)\n' \
  "$s_size" "$g_size" "$(ratio "$s_size" "$g_size")"
printf '  time: Sardok %s s, gcab -z %s s, ratio %s (median of %d)\n' \
  "$s_time" "$g_time" "$(ratio "$s_time" "$g_time")" "$runs"
rm -rf "$py" "$work"/*.cab
fi

# 2. A flat project of many files against the folder mode.
[ "$only" != python ] || exit 0
src=$work/flat
mkdir -p "$src"
python3 - "$src" "$flat" "$work/flat.qxc" "$(winpath "$src")" <<'PY'
import os, sys
folder, count, project, windows = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
with open(project, "w") as p:
    p.write('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<VesmarinCompressorProject>\n')
    for i in range(count):
        name = "file%05d.txt" % i
        with open(os.path.join(folder, name), "w") as f:
            f.write(("line %d of a small file\n" % i) * (1 + i % 40))
        p.write("<File>%s\\%s</File>\n" % (windows, name))
    p.write("</VesmarinCompressorProject>\n")
PY
sardok /silent "$(winpath "$src")" "$(winpath "$work/folder.cab")" ||
  { echo "bench: the folder mode failed on $src" >&2; exit 1; }
sardok /compress /silent "$(winpath "$work/flat.qxc")" "$(winpath "$work/project.cab")" &&
  [ -f "$work/project.cab" ] || { echo "bench: /compress failed on $work/flat.qxc" >&2; exit 1; }
: >"$work/project.t"; : >"$work/folder.t"
for ((i = 0; i < runs; i++)); do
  rm -f "$work/project.cab" "$work/folder.cab"
  seconds "$WINE" "$bin/Sardok.exe" /compress /silent "$(winpath "$work/flat.qxc")" \
    "$(winpath "$work/project.cab")" >>"$work/project.t"
  seconds "$WINE" "$bin/Sardok.exe" /silent "$(winpath "$src")" "$(winpath "$work/folder.cab")" >>"$work/folder.t"
  for cab in project folder; do
    [ -f "$work/$cab.cab" ] || { echo "bench: a timed run wrote no $cab.cab" >&2; exit 1; }
  done
done
p_time=$(median <"$work/project.t"); f_time=$(median <"$work/folder.t")
printf 'flat folder of %d files:\n' "$flat"
printf '  /compress of its project %s s, folder mode %s s, ratio %s (aim <= 1.5; median of %d)\n' \
  "$p_time" "$f_time" "$(ratio "$p_time" "$f_time")" "$runs"
