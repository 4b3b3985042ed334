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
# BENCH_SET=scale measures whether that cost stays flat as the package
# grows: 5,000 files of 1 KiB in 50 folders and 50,000 in 500 folders (100
# files to a folder in both), ultra-silent with the built-in uninstaller
# (mode "uninst": every file enters the created-paths list and the uninstall
# information), each against the floor's extraction of its cabinet, in one
# run; it prints the ratio for each set (the aim: at most 1.10 at both
# sizes). The 50,000-file set takes minutes a run, so it runs once unless
# BENCH_RUNS says otherwise; the ratios of one run are what count.
#
# BENCH_SET=small measures the cost of each file alone: BENCH_FILES (2000)
# files of 1 KiB in BENCH_FOLDERS (20) folders, ultra-silent, against the
# floor's extraction of the same cabinet; it prints both sides per file and
# their ratio (the aim: at most 1.10). Its modes besides "ultra": "alternate",
# the same files in a cabinet whose consecutive members lie in different
# folders (as another tool may order them), and "reinstall", the package
# installed over the files of its own earlier installation. Each mode is
# measured against the floor doing the same: extracting the alternating
# cabinet, or writing over the files it wrote before.
#
#   bench/install/bench.sh              # after scripts/build.sh
#   BENCH_SET=small bench/install/bench.sh
#   BENCH_SET=small BENCH_MODES="ultra reinstall" bench/install/bench.sh
#   BENCH_SET=scale bench/install/bench.sh
#   BENCH_SET=scale BENCH_SCALE_SETS="5000x50 20000x200" bench/install/bench.sh
#   BENCH_RUNS=7 BENCH_SIZE_MB=200 BENCH_MODES="silent ultra" bench/install/bench.sh
#   BENCH_UNMANAGED=0 bench/install/bench.sh   # keep the window-manager wait
#   BENCH_SET=small BENCH_CALLS=1 bench/install/bench.sh   # calls a file, no timing
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../windowed.sh"
. "$here/../timing.sh"
bin=$VESMARIN_BUILD/x86_64/bin
size_mb=${BENCH_SIZE_MB:-100}
set_kind=${BENCH_SET:-mixed}
small_files=${BENCH_FILES:-2000}
small_folders=${BENCH_FOLDERS:-20}
# The sets of a run besides the one-file package (0): a size in MB, "small",
# or s<files>x<folders> (small files in that many folders).
case $set_kind in
  mixed) sets=$size_mb; modes=${BENCH_MODES:-"silent ultra nocheck"}; runs=${BENCH_RUNS:-5} ;;
  small) sets=small; modes=${BENCH_MODES:-"ultra alternate reinstall"}; runs=${BENCH_RUNS:-5} ;;
  scale)
    sets=""
    for pair in ${BENCH_SCALE_SETS:-5000x50 50000x500}; do sets="$sets s$pair"; done
    sets=${sets# }
    modes=${BENCH_MODES:-uninst}
    runs=${BENCH_RUNS:-1}
    ;;
  *) echo "bench: BENCH_SET is mixed, small or scale" >&2; exit 2 ;;
esac
work=${BENCH_WORK:-$VESMARIN_BUILD/bench-install}
need_programs Vesmarin.exe Tessaly64.exe runexit.exe benchfloor.exe
need_tools gcab cabextract python3
[ -f "$WINEPREFIX/.vesmarin-ready" ] || "$VESMARIN_ROOT/scripts/wine-prefix.sh"
unmanaged=${BENCH_UNMANAGED:-1}

start_bench "$work"
bench_unmanaged "$([ "$unmanaged" = 1 ] && echo N || echo Y)"

# The cabinet of a set (a size in MB, 0: one small file; small: the small
# files), its files kept for the check. Its members come grouped by folder
# (sorted by path) or, for order "alternate", sorted by file name, so that
# consecutive members lie in different folders.
make_cabinet() {
  local mb=$1 order=${2:-grouped} dir=$work/cab$1
  [ "$order" = grouped ] || dir=$dir-$order
  mkdir -p "$dir/files"
  if [ "$mb" = small ]; then
    python3 "$here/make-files.py" "$dir/files" small "$small_files" "$small_folders"
  elif [ "${mb#s}" != "$mb" ]; then
    local pair=${mb#s}
    python3 "$here/make-files.py" "$dir/files" small "${pair%x*}" "${pair#*x}"
  else
    python3 "$here/make-files.py" "$dir/files" "$mb"
  fi
  local names
  if [ "$order" = alternate ]; then
    mapfile -t names < <(cd "$dir/files" && find . -type f | sed 's|^\./||' |
      awk -F/ '{ print $NF "\t" $0 }' | LC_ALL=C sort | cut -f2)
  else
    mapfile -t names < <(cd "$dir/files" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
  fi
  (cd "$dir/files" && gcab --create --zip "$dir/archive.cab" "${names[@]}")
}

# What a mode does: the cabinet it installs (the folder below $work) and
# whether it writes over its own earlier installation. The floor of a mode
# does the same with its cabinet.
mode_cab() { if [ "$2" = alternate ]; then echo "cab$1-alternate"; else echo "cab$1"; fi; }
mode_floor() {
  case $1 in alternate) echo alternate ;; reinstall) echo reinstall ;; *) echo plain ;; esac
}
over_earlier() { [ "$1" = reinstall ] || [ "$1" = floor-reinstall ]; }

# The package of a size in one mode; it installs into $dir/installed.
make_package() {
  local mb=$1 mode=$2 dir=$work/$1-$2 extra=""
  mkdir -p "$dir"
  case $mode in
    silent) ;;
    ultra | alternate | reinstall) extra='UltraSilentInstall=1\r\n' ;;
    uninst)
      extra='UltraSilentInstall=1\r\nUseUnInstall=1\r\nUseVesmarinUninstaller=1\r\nUseVesmarinUninstallerFolder=\\\r\n'
      extra="${extra}UnInstallTitle=Bench\\r\\nUnInstallTitleE=Bench\\r\\nUnInstallKey=VesmarinBenchInstall$mb\\r\\n"
      ;;
    nocheck) extra='UltraSilentInstall=1\r\nNoCRCCheck=1\r\n' ;;
    *) echo "bench: unknown mode $mode" >&2; exit 2 ;;
  esac
  printf "[Vesmarin]\r\nSrcArchiveFile=%s\r\nDstExeFile=%s\r\n64bitSFX=1\r\nNoUI=1\r\n$extra" \
    "$(winpath "$work/$(mode_cab "$mb" "$mode")/archive.cab")" "$(winpath "$dir/Setup.exe")" \
    >"$dir/package.ini"
  printf 'DialogTitleE=Bench\r\nAskExtPath=0\r\nAskOverwrite=0\r\nUseExtractFolder=1\r\nBaseFolder=6\r\nExtractFolder=%s\r\nManifestType=0\r\nIconType=blue\r\n' \
    "$(winpath "$dir/installed")" >>"$dir/package.ini"
  iconv -f UTF-8 -t UTF-16 "$dir/package.ini" >"$dir/package.u16" && mv "$dir/package.u16" "$dir/package.ini"
  "$WINE" "$bin/Vesmarin.exe" "$(winpath "$dir/package.ini")" </dev/null >/dev/null 2>&1 9>&- || true
  [ -f "$dir/Setup.exe" ] || { echo "bench: the builder made no $mb MB $mode package" >&2; exit 1; }
}

# One installation (warm-up), checked against the files the cabinet was
# made of: every byte and every modification time. A reinstallation is
# checked the second time, over the files of the first.
check_install() {
  local mb=$1 mode=$2 dir=$work/$1-$2 rc=0 files
  files=$work/$(mode_cab "$mb" "$mode")/files
  rm -rf "$dir/installed"
  if over_earlier "$mode"; then
    "$WINE" "$dir/Setup.exe" </dev/null >/dev/null 2>&1 9>&- || rc=$?
  fi
  [ $rc -ne 0 ] || "$WINE" "$dir/Setup.exe" </dev/null >/dev/null 2>&1 9>&- || rc=$?
  # The built-in uninstaller and its information file stand beside the files.
  if [ $rc -eq 0 ] && [ "$mode" = uninst ] &&
    { [ ! -f "$dir/installed/Hollmere64.exe" ] || [ ! -f "$dir/installed/Hollmere64.\$\$\$" ]; }; then
    echo "bench: the $mb $mode installation wrote no uninstaller" >&2
    exit 1
  fi
  if [ $rc -ne 0 ] || ! diff -r -x Hollmere64.exe -x 'Hollmere64.$$$' "$files" "$dir/installed" >/dev/null; then
    echo "bench: the $mb MB $mode installation failed (exit $rc) or installed other files" >&2
    exit 1
  fi
  local want got
  want=$(cd "$files" && find . -type f -printf '%P %TY%Tm%Td%TH%TM\n' | sort | md5sum)
  got=$(cd "$dir/installed" && find . -type f ! -name 'Hollmere64.*' -printf '%P %TY%Tm%Td%TH%TM\n' | sort | md5sum)
  [ "$want" = "$got" ] || { echo "bench: the $mb MB $mode installation has other file times" >&2; exit 1; }
}

# The floor writes at the same depth as the installations ($work/<set>-<mode>/
# installed): the shell's notification of a file costs more with every
# folder on its path. Floor kinds: plain, alternate (the alternating
# cabinet) and reinstall (over the files of its own earlier run).
floor_out() { printf '%s' "$work/$1-floor-$2/installed"; }
floor_cab() { if [ "$2" = alternate ]; then echo "cab$1-alternate"; else echo "cab$1"; fi; }

# One floor run; a reinstall floor keeps what its last run wrote.
run_floor() {
  local mb=$1 kind=$2 out
  out=$(floor_out "$mb" "$kind")
  [ "$kind" = reinstall ] || rm -rf "$out"
  mkdir -p "$(dirname "$out")"
  "$WINE" "$bin/benchfloor.exe" extract "$(winpath "$work/$(floor_cab "$mb" "$kind")/archive.cab")" \
    "$(winpath "$out")" </dev/null >/dev/null 2>&1 9>&-
}

check_floor() {
  local mb=$1 kind=$2
  rm -rf "$(floor_out "$mb" "$kind")"
  run_floor "$mb" "$kind" || { echo "bench: the $kind floor failed for $mb MB" >&2; exit 1; }
  if [ "$kind" = reinstall ]; then
    run_floor "$mb" "$kind" || { echo "bench: the $kind floor failed for $mb MB" >&2; exit 1; }
  fi
  diff -r "$work/$(floor_cab "$mb" "$kind")/files" "$(floor_out "$mb" "$kind")" >/dev/null ||
    { echo "bench: the $kind floor gave other files for $mb MB" >&2; exit 1; }
}

check_cabextract() {
  local mb=$1 out=$work/cabextract$1
  rm -rf "$out"
  cabextract -q -d "$out" "$work/cab$mb/archive.cab" >/dev/null
  diff -r "$work/cab$mb/files" "$out" >/dev/null ||
    { echo "bench: cabextract gave other files for $mb MB" >&2; exit 1; }
}

sizes="0 $sets"
floors=plain
for mode in $modes; do
  case " $floors " in *" $(mode_floor "$mode") "*) ;; *) floors="$floors $(mode_floor "$mode")" ;; esac
done
for mb in $sizes; do
  make_cabinet "$mb"
  case " $floors " in *" alternate "*) make_cabinet "$mb" alternate ;; esac
  check_cabextract "$mb"
  for kind in $floors; do check_floor "$mb" "$kind"; done
  for mode in $modes; do
    make_package "$mb" "$mode"
    check_install "$mb" "$mode"
  done
done
# Each set's file count and sizes, kept for the report.
for set in $sets; do
  find "$work/cab$set/files" -type f | wc -l >"$work/files$set"
  stat -c %s "$work/cab$set/archive.cab" >"$work/cab-bytes$set"
  du -sb "$work/cab$set/files" | cut -f1 >"$work/file-bytes$set"
done
for mb in $sizes; do rm -rf "$work/cab$mb/files" "$work/cab$mb-alternate/files"; done

# BENCH_CALLS=1: instead of timing, count the calls each mode's installation
# makes from the stub's own code (Wine's relay trace of the calls out of the
# program's module), per file beyond the one-file package, and exit.
calls() {
  local mb=$1 mode=$2 dir=$work/$1-$2
  over_earlier "$mode" || rm -rf "$dir/installed"
  WINEDEBUG=+relay "$WINE" "$dir/Setup.exe" </dev/null 2>&1 >/dev/null 9>&- |
    sed -n 's/^[0-9a-f]*:Call \([A-Za-z0-9_.]*\)(.*) ret=14[0-9a-f]*$/\1/p' | sort | uniq -c
}
if [ "${BENCH_CALLS:-0}" = 1 ]; then
  "$WINE" reg add 'HKCU\Software\Wine\Debug' /v RelayFromInclude /t REG_SZ /d Setup.exe /f \
    </dev/null >/dev/null 2>&1 9>&-
  for mode in $modes; do
    calls 0 "$mode" >"$work/calls0-$mode"
    for set in $sets; do
      files=$(cat "$work/files$set")
      calls "$set" "$mode" >"$work/calls$set-$mode"
      echo "calls a file, $mode, $files files (beyond the one-file package):"
      awk -v n="$files" 'NR == FNR { one[$2] = $1; next }
        { d = $1 - one[$2]; if (d > 0) { printf "  %8.2f %s\n", d / n, $2; t += d } }
        END { printf "  %8.2f in all\n", t / n }' "$work/calls0-$mode" "$work/calls$set-$mode" |
        sort -rn
    done
  done
  "$WINE" reg delete 'HKCU\Software\Wine\Debug' /v RelayFromInclude /f </dev/null >/dev/null 2>&1 9>&-
  exit 0
fi

# The runs in turn, so that a drift of the machine's speed hits every figure;
# before each, the removal of the last run's files and the written data of
# earlier runs reach the disk, so that no run pays for another's write-back.
: >"$work/start.t"
for ((i = 0; i < runs; i++)); do
  for mb in $sizes; do
    rm -rf "$work/cabextract$mb"
    sync
    seconds cabextract -q -d "$work/cabextract$mb" "$work/cab$mb/archive.cab" >>"$work/cab$mb.t"
    for kind in $floors; do
      [ "$kind" = reinstall ] || rm -rf "$(floor_out "$mb" "$kind")"
      sync
      seconds run_floor "$mb" "$kind" >>"$work/floor$mb-$kind.t"
    done
    for mode in $modes; do
      dir=$work/$mb-$mode
      over_earlier "$mode" || rm -rf "$dir/installed"
      sync
      seconds "$WINE" "$dir/Setup.exe" >>"$dir/install.t"
    done
  done
  seconds "$WINE" "$bin/runexit.exe" >>"$work/start.t"
done

for set in $sets; do
  files=$(cat "$work/files$set")
  cab_bytes=$(cat "$work/cab-bytes$set")
  file_bytes=$(cat "$work/file-bytes$set")
  printf '%d files, %.1f MB in a %.1f MB MSZIP cabinet; %d runs; Wine start-up of an empty program %.3f s\n' \
    "$files" "$(echo "$file_bytes" | awk '{ print $1 / 1048576 }')" \
    "$(echo "$cab_bytes" | awk '{ print $1 / 1048576 }')" "$runs" "$(median <"$work/start.t")"
  c0=$(median <"$work/cab0.t")
  c=$(median <"$work/cab$set.t")
  for kind in $floors; do
    f0=$(median <"$work/floor0-$kind.t")
    f=$(median <"$work/floor$set-$kind.t")
    printf 'floor %-9s (cabinet.dll, the per-file work alone): %.3f s, one file %.3f s, work %.3f s, %.3f ms a file\n' \
      "$kind" "$f" "$f0" "$(awk -v a="$f" -v b="$f0" 'BEGIN { print a - b }')" \
      "$(awk -v a="$f" -v b="$f0" -v n="$files" 'BEGIN { print (a - b) * 1000 / n }')"
  done
  printf '%-9s %10s %10s %8s %12s %12s %10s %10s %10s %10s\n' "mode" "install s" "cabext s" "ratio" \
    "1 file inst" "1 file cabx" "work s" "work ratio" "vs floor" "ms/file"
  for mode in $modes; do
    i0=$(median <"$work/0-$mode/install.t")
    i=$(median <"$work/$set-$mode/install.t")
    f0=$(median <"$work/floor0-$(mode_floor "$mode").t")
    f=$(median <"$work/floor$set-$(mode_floor "$mode").t")
    awk -v m="$mode" -v i="$i" -v c="$c" -v i0="$i0" -v c0="$c0" -v f="$f" -v f0="$f0" -v n="$files" \
      'BEGIN { w = c - c0; if (w < 0.001) w = 0.001
               fw = f - f0; if (fw < 0.001) fw = 0.001
               printf "%-9s %10.3f %10.3f %8.2f %12.3f %12.3f %10.3f %10.2f %10.2f %10.3f\n", m, i, c, i / c, i0, c0,
                      i - i0, (i - i0) / w, (i - i0) / fw, (i - i0) * 1000 / n }'
  done
done
echo "ratio: install / cabextract of the cabinet ($set_kind set); 1 file: the same of a one-file package;"
echo "work: the installation beyond the one-file package; work ratio: that against cabextract's work beyond its one file;"
echo "vs floor: the work against the work beyond its one file of the floor that does the same"
echo "(the floor of its mode: plain, alternate or reinstall); ms/file: the work per file"
echo "(the aim: at most 1.5 on the mixed set, at most 1.10 on the small files)"
[ "$set_kind" = mixed ] || for set in $sets; do
  files=$(cat "$work/files$set")
  for mode in $modes; do
    i0=$(median <"$work/0-$mode/install.t")
    i=$(median <"$work/$set-$mode/install.t")
    f0=$(median <"$work/floor0-$(mode_floor "$mode").t")
    f=$(median <"$work/floor$set-$(mode_floor "$mode").t")
    awk -v m="$mode" -v i="$i" -v i0="$i0" -v f="$f" -v f0="$f0" -v n="$files" \
      'BEGIN { fw = f - f0; if (fw < 0.001) fw = 0.001
               printf "per file, %s, %d files: installation %.3f ms, floor %.3f ms, ratio %.2f\n", m, n,
                      (i - i0) * 1000 / n, fw * 1000 / n, (i - i0) / fw }'
  done
done
