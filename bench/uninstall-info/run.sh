#!/usr/bin/env bash
# The uninstaller's reading of its information copy: 10,000 and 100,000
# [Files] entries in the same run, under Wine. Linear reading takes about
# ten times as long for ten times the entries. Counts may be given:
#   bench/uninstall-info/run.sh [entries ...]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/wine-env.sh"
. "$here/../timing.sh"
bin="$VESMARIN_BUILD/x86_64/bin"
[ -f "$bin/inforeadbench.exe" ] || { echo "missing $bin/inforeadbench.exe: run scripts/build.sh first" >&2; exit 1; }
work="$VESMARIN_BUILD/bench-uninstall-info"
start_bench "$work"
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(10000 100000)
"$VESMARIN_ROOT/scripts/wine-run.sh" "$bin/inforeadbench.exe" "$(winpath "$work")" "${counts[@]}"
