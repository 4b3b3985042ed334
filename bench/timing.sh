# Sourced by the benchmarks: timing of whole commands and their medians.
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
now() { date +%s.%N; }
# Seconds one command takes (its output thrown away).
seconds() {
  local start end
  start=$(now)
  "$@" </dev/null >/dev/null 2>&1 9>&- || true
  end=$(now)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f\n", e - s }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { printf "%.4f", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# A fresh work folder, removed at the end, and one persistent wineserver, so
# that every timed run pays only its own start-up.
start_bench() {
  rm -rf "$1"
  mkdir -p "$1"
  trap 'rm -rf "'"$1"'"; "$WINESERVER" -k 2>/dev/null || true' EXIT
  "$WINESERVER" -k 2>/dev/null || true
  until "$WINESERVER" -p 9>&- 2>/dev/null; do sleep 0.2; done
  "$WINE" wineboot </dev/null >/dev/null 2>&1 9>&- || true
}
# Ends the benchmark with 2 when a program of the build ($bin) is missing.
need_programs() {
  local program
  for program; do
    [ -f "$bin/$program" ] || { echo "bench: $bin/$program is missing; run scripts/build.sh" >&2; exit 2; }
  done
}
# The same for a tool of this machine.
need_tools() {
  local tool
  for tool; do
    command -v "$tool" >/dev/null || { echo "bench: $tool is missing (scripts/setup.sh)" >&2; exit 2; }
  done
}
