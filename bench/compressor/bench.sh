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
# 3. Sardok's folder mode against the plainest FCI loop over the same files
#    (benchfloor pack: FCICreate, FCIAddFile per file, FCIFlushCabinet, with
#    the compression Sardok's cabinet shows) on three trees: the standard
#    library as in 1, a copy of /usr/share/doc (links resolved), and a flat
#    folder of 20,000 small files. Prints both medians and the median of the
#    run-by-run ratios (the aim: at most 1.10).
#
#   bench/compressor/bench.sh            # after scripts/build.sh
#   BENCH_RUNS=5 BENCH_FLAT_FILES=3000 bench/compressor/bench.sh
#   BENCH_ONLY=flat bench/compressor/bench.sh    # or python, or floor: one part only
#   BENCH_FLOOR_TREES="small doc" BENCH_SMALL_FILES=5000 BENCH_ONLY=floor bench/compressor/bench.sh
set -eu
here=$(cd "$(dirname "$0")" && pwd)
# The unattended mode opens (hidden) windows: a display and a prefix of the
# benchmarks' own.
. "$here/../windowed.sh"
bin=$VESMARIN_BUILD/x86_64/bin
runs=${BENCH_RUNS:-3}
flat=${BENCH_FLAT_FILES:-10000}
small=${BENCH_SMALL_FILES:-20000}
python_lib=${BENCH_PYTHON_LIB:-/usr/lib/python3.11}
doc_tree=${BENCH_DOC_TREE:-/usr/share/doc}
work=${BENCH_WORK:-$VESMARIN_BUILD/bench-compressor}
. "$here/../timing.sh"
only=${BENCH_ONLY:-}
need_programs Sardok.exe
[ "$only" != floor ] || need_programs benchfloor.exe
case $only in flat|floor) ;; *) need_tools gcab cabextract ;; esac
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

# A copy of the standard library without __pycache__, at $1.
copy_python_lib() {
  mkdir -p "$1"
  cp -rL "$python_lib/." "$1/" 2>/dev/null || true
  find "$1" -depth -name __pycache__ -type d -exec rm -rf {} +
}
# A flat folder at $1 of $2 small text files; with $3, a project that lists
# them, written there.
make_flat() {
  mkdir -p "$1"
  python3 - "$1" "$2" "${3:-}" "$(winpath "$1")" <<'PY'
import os, sys
folder, count, project, windows = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
p = open(project, "w") if project else None
if p:
    p.write('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<VesmarinCompressorProject>\n')
for i in range(count):
    name = "file%05d.txt" % i
    with open(os.path.join(folder, name), "w") as f:
        f.write(("line %d of a small file\n" % i) * (1 + i % 40))
    if p:
        p.write("<File>%s\\%s</File>\n" % (windows, name))
if p:
    p.write("</VesmarinCompressorProject>\n")
    p.close()
PY
}

# 1. The standard library.
if [ -z "$only" ] || [ "$only" = python ]; then
py=$work/python3.11
copy_python_lib "$py"
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
if [ -z "$only" ] || [ "$only" = flat ]; then
src=$work/flat
make_flat "$src" "$flat" "$work/flat.qxc"
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
rm -rf "$src" "$work"/*.cab
fi

# 3. Sardok against the FCI floor.
[ -z "$only" ] || [ "$only" = floor ] || exit 0
# The floor's list of "source<TAB>name" lines for the files below $1, and
# the number of files in it.
floor_list() {
  python3 - "$1" "$(winpath "$1")" "$2" <<'PY'
import os, sys
tree, windows, out = sys.argv[1], sys.argv[2], sys.argv[3]
count = 0
with open(out, "w", encoding="utf-8", errors="surrogateescape") as f:
    for root, dirs, files in os.walk(tree):
        for name in files:
            rel = os.path.relpath(os.path.join(root, name), tree).replace("/", "\\")
            f.write("%s\\%s\t%s\n" % (windows, rel, rel))
            count += 1
print(count)
PY
}
# FCI's compression code of the cabinet's first folder, in hex.
folder_compression() {
  python3 - "$1" <<'PY'
import sys
b = open(sys.argv[1], "rb").read()
at = 36 + (4 + (b[36] | b[37] << 8) if (b[30] | b[31] << 8) & 4 else 0)
print("%x" % (b[at + 6] | b[at + 7] << 8))
PY
}
members() { "$WINE" "$bin/benchfloor.exe" list "$(winpath "$1")" 2>/dev/null 9>&- | tr -dc '0-9'; }
floor_tree() {
  local label=$1 tree=$2 count bytes code i s f
  count=$(floor_list "$tree" "$work/$label.list")
  bytes=$(du -sb "$tree" | cut -f1)
  # Warm-up, the compression Sardok chose, and a check that both cabinets
  # hold every file.
  sardok /silent "$(winpath "$tree")" "$(winpath "$work/sardok.cab")" ||
    { echo "bench: Sardok failed on $tree" >&2; exit 1; }
  code=$(folder_compression "$work/sardok.cab")
  "$WINE" "$bin/benchfloor.exe" pack "$(winpath "$work/$label.list")" "$(winpath "$work/floor.cab")" \
    "$code" </dev/null >/dev/null 2>&1 9>&- || { echo "bench: the floor failed on $tree" >&2; exit 1; }
  for cab in sardok floor; do
    [ "$(members "$work/$cab.cab")" = "$count" ] ||
      { echo "bench: $cab.cab does not hold the $count files of $tree" >&2; exit 1; }
  done
  : >"$work/sardok.t"; : >"$work/floor.t"; : >"$work/ratio.t"
  for ((i = 0; i < runs; i++)); do
    rm -f "$work/sardok.cab" "$work/floor.cab"
    s=$(seconds "$WINE" "$bin/Sardok.exe" /silent "$(winpath "$tree")" "$(winpath "$work/sardok.cab")")
    f=$(seconds "$WINE" "$bin/benchfloor.exe" pack "$(winpath "$work/$label.list")" \
      "$(winpath "$work/floor.cab")" "$code")
    [ -f "$work/sardok.cab" ] && [ -f "$work/floor.cab" ] || { echo "bench: a timed run wrote no cabinet" >&2; exit 1; }
    echo "$s" >>"$work/sardok.t"; echo "$f" >>"$work/floor.t"; ratio "$s" "$f" >>"$work/ratio.t"; echo >>"$work/ratio.t"
  done
  printf '%s (%d files, %d bytes, compression %s):\n' "$label" "$count" "$bytes" "$code"
  printf '  Sardok %s s, FCI floor %s s, ratio %s (aim <= 1.10; median of %d)\n' \
    "$(median <"$work/sardok.t")" "$(median <"$work/floor.t")" "$(median <"$work/ratio.t")" "$runs"
  rm -rf "$tree" "$work"/*.cab "$work/$label.list"
}
for tree in ${BENCH_FLOOR_TREES:-python doc small}; do
  case $tree in
    python) copy_python_lib "$work/python3.11"; floor_tree python3.11 "$work/python3.11" ;;
    doc) mkdir -p "$work/doc"; cp -rL "$doc_tree/." "$work/doc/" 2>/dev/null || true
         floor_tree doc "$work/doc" ;;
    small) make_flat "$work/small" "$small"; floor_tree "small-files" "$work/small" ;;
  esac
done
