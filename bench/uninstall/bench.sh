#!/usr/bin/env bash
# Benchmark (not a test): the uninstaller's removal of a product of many
# files (the install benchmark's tree of about 100 MB) against a floor: the
# same files deleted by a bare loop with the shell's notification for each
# (benchfloor remove), both under Wine. Each side's work is taken beyond its
# one-file counterpart (a one-file product; a one-file folder), so that the
# start-up, the confirmation and the temporary copies drop out. The
# uninstaller is driven by the tests' uninstdriver (answers Yes, presses
# Close); it looks at the windows every 500 ms, so that its polling, which
# lasts as long as the removal, weighs little on the figures.
#
#   bench/uninstall/bench.sh              # after scripts/build.sh
#   BENCH_RUNS=7 BENCH_SIZE_MB=50 bench/uninstall/bench.sh
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../windowed.sh"
. "$here/../timing.sh"
bin=$VESMARIN_BUILD/x86_64/bin
runs=${BENCH_RUNS:-5}
size_mb=${BENCH_SIZE_MB:-100}
work=${BENCH_WORK:-$VESMARIN_BUILD/bench-uninstall}
need_programs Vesmarin.exe runexit.exe benchfloor.exe uninstdriver.exe
need_tools gcab python3
[ -f "$WINEPREFIX/.vesmarin-ready" ] || "$VESMARIN_ROOT/scripts/wine-prefix.sh"
start_bench "$work"
bench_unmanaged

key() { printf 'VesmarinBenchUninstall%s' "$1"; }

# The files of a size (0: one small file), their cabinet and the package
# that installs them with the uninstaller into $work/<mb>/installed.
make_package() {
  local mb=$1 dir=$work/$1
  mkdir -p "$dir/files"
  python3 "$here/../install/make-files.py" "$dir/files" "$mb"
  local names
  mapfile -t names < <(cd "$dir/files" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
  (cd "$dir/files" && gcab --create --zip "$dir/archive.cab" "${names[@]}")
  printf '[Vesmarin]\r\nSrcArchiveFile=%s\r\nDstExeFile=%s\r\n64bitSFX=1\r\nNoUI=1\r\nUltraSilentInstall=1\r\n' \
    "$(winpath "$dir/archive.cab")" "$(winpath "$dir/Setup.exe")" >"$dir/package.ini"
  printf 'DialogTitleE=Bench\r\nAskExtPath=0\r\nAskOverwrite=0\r\nUseExtractFolder=1\r\nBaseFolder=6\r\nExtractFolder=%s\r\nManifestType=0\r\nIconType=blue\r\n' \
    "$(winpath "$dir/installed")" >>"$dir/package.ini"
  printf 'UseUnInstall=1\r\nUseVesmarinUninstaller=1\r\nUseVesmarinUninstallerFolder=\\\r\nUnInstallTitle=Bench %s\r\nUnInstallTitleE=Bench %s\r\nUnInstallKey=%s\r\n' \
    "$mb" "$mb" "$(key "$mb")" >>"$dir/package.ini"
  iconv -f UTF-8 -t UTF-16 "$dir/package.ini" >"$dir/package.u16" && mv "$dir/package.u16" "$dir/package.ini"
  "$WINE" "$bin/Vesmarin.exe" "$(winpath "$dir/package.ini")" </dev/null >/dev/null 2>&1 9>&- || true
  [ -f "$dir/Setup.exe" ] || { echo "bench: the builder made no $mb MB package" >&2; exit 1; }
}

install() {
  local mb=$1 dir=$work/$1
  rm -rf "$dir/installed"
  "$WINE" "$dir/Setup.exe" </dev/null >/dev/null 2>&1 9>&- ||
    { echo "bench: the $mb MB installation failed" >&2; exit 1; }
  if diff -rq "$dir/files" "$dir/installed" 2>/dev/null | grep -v '^Only in .*installed' | grep -q .; then
    echo "bench: the $mb MB installation installed other files" >&2
    exit 1
  fi
}

uninstall_command() {
  "$WINE" reg query "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$(key "$1")" \
    /v UninstallString </dev/null 2>/dev/null 9>&- | tr -d '\r' |
    sed -n 's/^ *UninstallString *REG_[A-Z_]* *//p' | tr -d '"'
}

# One removal by the uninstaller, timed; checked that the product is gone.
# The command goes to the driver word by word (the work folder has no blanks).
time_uninstall() {
  local mb=$1 dir=$work/$1 command
  command=$(uninstall_command "$mb")
  [ -n "$command" ] || { echo "bench: no uninstall command for $mb MB" >&2; exit 1; }
  seconds "$WINE" "$bin/uninstdriver.exe" --report "$(winpath "$dir/report.txt")" --timeout 600000 --poll 500 \
    -- $command >>"$dir/uninstall.t"
  if [ -e "$dir/installed" ] && find "$dir/installed" -type f | grep -q .; then
    echo "bench: the $mb MB product was not removed" >&2
    exit 1
  fi
}

time_floor() {
  local mb=$1 dir=$work/$1
  rm -rf "$dir/floor"
  cp -r "$dir/files" "$dir/floor"
  sync
  seconds "$WINE" "$bin/benchfloor.exe" remove "$(winpath "$dir/floor")" >>"$dir/floor.t"
  [ ! -e "$dir/floor" ] || { echo "bench: the floor left files of $mb MB" >&2; exit 1; }
}

sizes="0 $size_mb"
for mb in $sizes; do
  make_package "$mb"
  install "$mb"
  : >"$work/$mb/uninstall.t"
  time_uninstall "$mb"  # warm-up
  : >"$work/$mb/uninstall.t"; : >"$work/$mb/floor.t"
done
files=$(find "$work/$size_mb/files" -type f | wc -l)
for ((i = 0; i < runs; i++)); do
  for mb in $sizes; do
    install "$mb"
    sync
    time_uninstall "$mb"
    time_floor "$mb"
  done
done

u0=$(median <"$work/0/uninstall.t"); u=$(median <"$work/$size_mb/uninstall.t")
f0=$(median <"$work/0/floor.t"); f=$(median <"$work/$size_mb/floor.t")
printf '%d files of about %d MB; %d runs\n' "$files" "$size_mb" "$runs"
awk -v u="$u" -v u0="$u0" -v f="$f" -v f0="$f0" -v n="$files" \
  'BEGIN { fw = f - f0; if (fw < 0.001) fw = 0.001
           printf "uninstaller %.3f s (one file %.3f s), work %.3f s, %.3f ms a file\n", u, u0, u - u0, (u - u0) * 1000 / n
           printf "floor       %.3f s (one file %.3f s), work %.3f s, %.3f ms a file\n", f, f0, f - f0, (f - f0) * 1000 / n
           printf "ratio of the work: %.2f\n", (u - u0) / fw }'
