#!/usr/bin/env bash
# Benchmark (not a test): the silent installation of a package built by the
# x86-64 builder from an MSZIP cabinet of about 100 MB of files of mixed
# sizes (nested folders; incompressible, text-like and half-and-half
# content), run under Wine, against native cabextract of the same cabinet.
# Prints the median of several runs and the ratio install / cabextract; the
# aim is at most 1.5.
#
# For reading the figures it also installs a package of one small file (the
# fixed cost: Wine's start-up, the stub's start-up and its windows) and
# gives the work beyond that against cabextract's work beyond its own
# start-up, and times Wine's start-up of an empty program. Besides the
# plain silent installation (NoUI, with its checking window) it times the
# same package ultra-silent (no window at all) and ultra-silent without the
# container check, so that the window and the check can be told apart.
#
# The floor: benchfloor.exe extracts the same cabinet through cabinet.dll with
# only the work every installed file needs (folder, create, write, time,
# close, attributes, shell notification). Each mode's work beyond its
# one-file package is also given against the floor's work beyond its one
# file, and per file.
#
# BENCH_SET=small measures the cost of each file alone: BENCH_FILES (2000)
# files of 1 KiB in BENCH_FOLDERS (20) folders, ultra-silent unless
# BENCH_MODES says otherwise, against the floor's extraction of the same
# cabinet; it prints both sides per file and their ratio (the aim: at most
# 1.25).
#
#   bench/install/bench.sh              # after scripts/build.sh
#   BENCH_SET=small bench/install/bench.sh
#   BENCH_RUNS=7 BENCH_SIZE_MB=200 BENCH_MODES="silent ultra" bench/install/bench.sh
#   BENCH_UNMANAGED=0 bench/install/bench.sh   # keep the window-manager wait
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../windowed.sh"
. "$here/../timing.sh"
bin=$VESMARIN_BUILD/x86_64/bin
runs=${BENCH_RUNS:-5}
size_mb=${BENCH_SIZE_MB:-100}
set_kind=${BENCH_SET:-mixed}
small_files=${BENCH_FILES:-2000}
small_folders=${BENCH_FOLDERS:-20}
case $set_kind in
  mixed) set=$size_mb; modes=${BENCH_MODES:-"silent ultra nocheck"} ;;
  small) set=small; modes=${BENCH_MODES:-ultra} ;;
  *) echo "bench: BENCH_SET is mixed or small" >&2; exit 2 ;;
esac
work=${BENCH_WORK:-$VESMARIN_BUILD/bench-install}
need_programs Vesmarin.exe Tessaly64.exe runexit.exe benchfloor.exe
need_tools gcab cabextract python3
[ -f "$WINEPREFIX/.vesmarin-ready" ] || "$VESMARIN_ROOT/scripts/wine-prefix.sh"
unmanaged=${BENCH_UNMANAGED:-1}

start_bench "$work"
bench_unmanaged "$([ "$unmanaged" = 1 ] && echo N || echo Y)"

# The cabinet of a set (a size in MB, 0: one small file; small: the small
# files), its files kept for the check.
make_cabinet() {
  local mb=$1 dir=$work/cab$1
  mkdir -p "$dir/files"
  if [ "$mb" = small ]; then
    python3 "$here/make-files.py" "$dir/files" small "$small_files" "$small_folders"
  else
    python3 "$here/make-files.py" "$dir/files" "$mb"
  fi
  local names
  mapfile -t names < <(cd "$dir/files" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
  (cd "$dir/files" && gcab --create --zip "$dir/archive.cab" "${names[@]}")
}

# The package of a size in one mode; it installs into $dir/installed.
make_package() {
  local mb=$1 mode=$2 dir=$work/$1-$2 extra=""
  mkdir -p "$dir"
  case $mode in
    silent) ;;
    ultra) extra='UltraSilentInstall=1\r\n' ;;
    nocheck) extra='UltraSilentInstall=1\r\nNoCRCCheck=1\r\n' ;;
    *) echo "bench: unknown mode $mode" >&2; exit 2 ;;
  esac
  printf "[Vesmarin]\r\nSrcArchiveFile=%s\r\nDstExeFile=%s\r\n64bitSFX=1\r\nNoUI=1\r\n$extra" \
    "$(winpath "$work/cab$mb/archive.cab")" "$(winpath "$dir/Setup.exe")" >"$dir/package.ini"
  printf 'DialogTitleE=Bench\r\nAskExtPath=0\r\nAskOverwrite=0\r\nUseExtractFolder=1\r\nBaseFolder=6\r\nExtractFolder=%s\r\nManifestType=0\r\nIconType=blue\r\n' \
    "$(winpath "$dir/installed")" >>"$dir/package.ini"
  iconv -f UTF-8 -t UTF-16 "$dir/package.ini" >"$dir/package.u16" && mv "$dir/package.u16" "$dir/package.ini"
  "$WINE" "$bin/Vesmarin.exe" "$(winpath "$dir/package.ini")" </dev/null >/dev/null 2>&1 9>&- || true
  [ -f "$dir/Setup.exe" ] || { echo "bench: the builder made no $mb MB $mode package" >&2; exit 1; }
}

# One installation (warm-up), checked against the files the cabinet was
# made of: every byte and every modification time.
check_install() {
  local mb=$1 mode=$2 dir=$work/$1-$2 rc=0
  rm -rf "$dir/installed"
  "$WINE" "$dir/Setup.exe" </dev/null >/dev/null 2>&1 9>&- || rc=$?
  if [ $rc -ne 0 ] || ! diff -r "$work/cab$mb/files" "$dir/installed" >/dev/null; then
    echo "bench: the $mb MB $mode installation failed (exit $rc) or installed other files" >&2
    exit 1
  fi
  local want got
  want=$(cd "$work/cab$mb/files" && find . -type f -printf '%P %TY%Tm%Td%TH%TM\n' | sort | md5sum)
  got=$(cd "$dir/installed" && find . -type f -printf '%P %TY%Tm%Td%TH%TM\n' | sort | md5sum)
  [ "$want" = "$got" ] || { echo "bench: the $mb MB $mode installation has other file times" >&2; exit 1; }
}

# The floor writes at the same depth as the installations ($work/<set>-<mode>/
# installed): the shell's notification of a file costs more with every
# folder on its path.
floor_out() { printf '%s' "$work/$1-floor/installed"; }

check_floor() {
  local mb=$1 out
  out=$(floor_out "$1")
  rm -rf "$out"
  mkdir -p "$(dirname "$out")"
  "$WINE" "$bin/benchfloor.exe" extract "$(winpath "$work/cab$mb/archive.cab")" "$(winpath "$out")" \
    </dev/null >/dev/null 2>&1 9>&- || { echo "bench: the floor failed for $mb MB" >&2; exit 1; }
  diff -r "$work/cab$mb/files" "$out" >/dev/null ||
    { echo "bench: the floor gave other files for $mb MB" >&2; exit 1; }
}

check_cabextract() {
  local mb=$1 out=$work/cabextract$1
  rm -rf "$out"
  cabextract -q -d "$out" "$work/cab$mb/archive.cab" >/dev/null
  diff -r "$work/cab$mb/files" "$out" >/dev/null ||
    { echo "bench: cabextract gave other files for $mb MB" >&2; exit 1; }
}

sizes="0 $set"
for mb in $sizes; do
  make_cabinet "$mb"
  check_cabextract "$mb"
  check_floor "$mb"
  for mode in $modes; do
    make_package "$mb" "$mode"
    check_install "$mb" "$mode"
  done
done
files=$(find "$work/cab$set/files" -type f | wc -l)
cab_bytes=$(stat -c %s "$work/cab$set/archive.cab")
file_bytes=$(du -sb "$work/cab$set/files" | cut -f1)
for mb in $sizes; do rm -rf "$work/cab$mb/files"; done

# The runs in turn, so that a drift of the machine's speed hits every figure;
# before each, the removal of the last run's files and the written data of
# earlier runs reach the disk, so that no run pays for another's write-back.
: >"$work/start.t"
for ((i = 0; i < runs; i++)); do
  for mb in $sizes; do
    rm -rf "$work/cabextract$mb"
    sync
    seconds cabextract -q -d "$work/cabextract$mb" "$work/cab$mb/archive.cab" >>"$work/cab$mb.t"
    rm -rf "$(floor_out "$mb")"
    sync
    seconds "$WINE" "$bin/benchfloor.exe" extract "$(winpath "$work/cab$mb/archive.cab")" \
      "$(winpath "$(floor_out "$mb")")" >>"$work/floor$mb.t"
    for mode in $modes; do
      dir=$work/$mb-$mode
      rm -rf "$dir/installed"
      sync
      seconds "$WINE" "$dir/Setup.exe" >>"$dir/install.t"
    done
  done
  seconds "$WINE" "$bin/runexit.exe" >>"$work/start.t"
done

printf '%d files, %.1f MB in a %.1f MB MSZIP cabinet; %d runs; Wine start-up of an empty program %.3f s\n' \
  "$files" "$(echo "$file_bytes" | awk '{ print $1 / 1048576 }')" \
  "$(echo "$cab_bytes" | awk '{ print $1 / 1048576 }')" "$runs" "$(median <"$work/start.t")"
c0=$(median <"$work/cab0.t")
c=$(median <"$work/cab$set.t")
f0=$(median <"$work/floor0.t")
f=$(median <"$work/floor$set.t")
printf 'floor (cabinet.dll, the per-file work alone): %.3f s, one file %.3f s, work %.3f s, %.3f ms a file\n' \
  "$f" "$f0" "$(awk -v a="$f" -v b="$f0" 'BEGIN { print a - b }')" \
  "$(awk -v a="$f" -v b="$f0" -v n="$files" 'BEGIN { print (a - b) * 1000 / n }')"
printf '%-8s %10s %10s %8s %12s %12s %10s %10s %10s %10s\n' "mode" "install s" "cabext s" "ratio" \
  "1 file inst" "1 file cabx" "work s" "work ratio" "vs floor" "ms/file"
for mode in $modes; do
  i0=$(median <"$work/0-$mode/install.t")
  i=$(median <"$work/$set-$mode/install.t")
  awk -v m="$mode" -v i="$i" -v c="$c" -v i0="$i0" -v c0="$c0" -v f="$f" -v f0="$f0" -v n="$files" \
    'BEGIN { w = c - c0; if (w < 0.001) w = 0.001
             fw = f - f0; if (fw < 0.001) fw = 0.001
             printf "%-8s %10.3f %10.3f %8.2f %12.3f %12.3f %10.3f %10.2f %10.2f %10.3f\n", m, i, c, i / c, i0, c0,
                    i - i0, (i - i0) / w, (i - i0) / fw, (i - i0) * 1000 / n }'
done
echo "ratio: install / cabextract of the cabinet ($set_kind set); 1 file: the same of a one-file package;"
echo "work: the installation beyond the one-file package; work ratio: that against cabextract's work beyond its one file;"
echo "vs floor: the work against the floor's work beyond its one file; ms/file: the work per file"
echo "(the aim: at most 1.5 on the mixed set, at most 1.25 on the small files)"
if [ "$set_kind" = small ]; then
  for mode in $modes; do
    i0=$(median <"$work/0-$mode/install.t")
    i=$(median <"$work/$set-$mode/install.t")
    awk -v m="$mode" -v i="$i" -v i0="$i0" -v f="$f" -v f0="$f0" -v n="$files" \
      'BEGIN { fw = f - f0; if (fw < 0.001) fw = 0.001
               printf "per file, %s: installation %.3f ms, floor %.3f ms, ratio %.2f\n", m,
                      (i - i0) * 1000 / n, fw * 1000 / n, (i - i0) / fw }'
  done
fi
