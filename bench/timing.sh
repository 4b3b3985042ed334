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
