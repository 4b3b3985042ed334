#!/usr/bin/env bash
# Two limits of Sardok's batch and window runs, in English and Japanese:
#   limits.sh count <Sardok> <work>: a folder of 65,536 files (a cabinet
#     holds 65,535) fails with 302 and names the count and the limit.
#   limits.sh full <Sardok> <work> <compressor_e2e_tests>: a target drive
#     that fills up gives the message about free space and keeps nothing.
#     The drive is a tmpfs of 2 MB mounted here (as root; 77, a skip,
#     otherwise) and mapped as a drive letter of the Wine prefix.
#   limits.sh readonly <Sardok> <work>: a target on a read-only drive (a
#     tmpfs mounted read-only, as root; 77 otherwise) says that the target
#     could not be written and why, as a target that is a folder does,
#     without a word of the cabinet library.
set -eu
mode=$1
sardok=$2
work=$3
tests=${4:-}
root=$(cd "$(dirname "$0")/../../.." && pwd)
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
fail() { echo "$*" >&2; exit 1; }
if [ "$mode" = count ]; then
  rm -rf "$work"
  mkdir -p "$work"
  trap 'rm -rf "$work"' EXIT
  for d in $(seq 0 255); do
    mkdir "$work/many/d$d" -p
    (cd "$work/many/d$d" && touch $(seq -f 'f%g.txt' 0 255))
  done
  for lang in en_US.UTF-8 ja_JP.UTF-8; do
    set +e
    VESMARIN_LANG=$lang timeout 120 "$root/scripts/wine-run.sh" "$sardok" /silent "$(winpath "$work/many")" \
      "$(winpath "$work/many.cab")" 2>"$work/err"
    rc=$?
    set -e
    [ "$rc" = $((302 % 256)) ] || fail "$lang: 65,536 files ended with $rc, not 302"
    case $lang in
      en*) expected="Failed to create archive file: it would hold 65,536 files, but one cabinet holds at most 65,535." ;;
      *) expected="アーカイブ ファイルを作成できませんでした。ファイル数が 65,536 個になりますが、1 つのキャビネットに入れられるのは 65,535 個までです。" ;;
    esac
    [ "$(tr -d '\r' <"$work/err")" = "$expected" ] || fail "$lang: standard error says: $(cat "$work/err")"
    [ ! -e "$work/many.cab" ] || fail "$lang: an archive was written"
  done
  echo "65,536 files are refused with the count and the limit named"
  exit 0
fi

[ "$(id -u)" = 0 ] || { echo "a size-limited mount needs root: skipped"; exit 77; }
if [ "$mode" = readonly ]; then
  locked=$work/locked
  if mountpoint -q "$locked" 2>/dev/null; then umount "$locked" 2>/dev/null || umount -l "$locked"; fi
  rm -rf "$work"
  mkdir -p "$locked" "$work/src"
  printf 'alpha' >"$work/src/a.txt"
  mount -t tmpfs -o ro,size=1m tmpfs "$locked" || fail "no read-only tmpfs could be mounted at $locked"
  trap 'umount "$locked" 2>/dev/null || umount -l "$locked"; rm -rf "$work"' EXIT
  for lang in en_US.UTF-8 ja_JP.UTF-8; do
    set +e
    VESMARIN_LANG=$lang timeout 120 "$root/scripts/wine-run.sh" "$sardok" /silent \
      "$(winpath "$work/src")" "$(winpath "$locked/x.cab")" 2>"$work/err"
    rc=$?
    set -e
    [ "$rc" = $((302 % 256)) ] || fail "$lang: a read-only target ended with $rc, not 302"
    case $lang in
      en*) head="Failed to create archive file: could not write" ;;
      *) head="アーカイブ ファイルを作成できませんでした。次の場所に書き込めませんでした。" ;;
    esac
    text=$(tr -d '\r' <"$work/err")
    [ "$(printf '%s\n' "$text" | sed -n 1p)" = "$head" ] || fail "$lang: standard error says: $text"
    [ "$(printf '%s\n' "$text" | sed -n 3p)" = "$(winpath "$locked/x.cab")" ] ||
      fail "$lang: the target is not named: $text"
    [ -n "$(printf '%s\n' "$text" | sed -n 5p)" ] || fail "$lang: no cause is given: $text"
    case $text in
      *CAB[0-9]*) fail "$lang: the cabinet library is blamed: $text" ;;
    esac
  done
  echo "a read-only target is named with its cause"
  exit 0
fi
. "$root/scripts/wine-env.sh"
small=$work/small
# What a run that was killed left: its drive letter and its mount.
release() {
  for link in "$WINEPREFIX"/dosdevices/?:; do
    [ "$(readlink "$link")" != "$small" ] || rm -f "$link"
  done
  if mountpoint -q "$small"; then umount "$small" 2>/dev/null || umount -l "$small"; fi
}
release
rm -rf "$work"
mkdir -p "$small"
mount -t tmpfs -o size=2m tmpfs "$small" || fail "no tmpfs could be mounted at $small"
trap 'release; rm -rf "$work"' EXIT
for letter in q p o n m l k; do
  [ -e "$WINEPREFIX/dosdevices/$letter:" ] || break
done
ln -s "$small" "$WINEPREFIX/dosdevices/$letter:"
upper=$(printf '%s' "$letter" | tr a-z A-Z)
for lang in en_US.UTF-8 ja_JP.UTF-8; do
  VESMARIN_LANG=$lang VESMARIN_FULL_DRIVE="$upper:\\" timeout 120 "$root/scripts/wine-run.sh" "$tests" \
    --gtest_also_run_disabled_tests --gtest_filter='*AFullTargetIsReportedAsMissingFreeSpace' ||
    fail "$lang: the full drive was not reported as such"
  [ -z "$(ls -A "$small")" ] || fail "$lang: left on the full drive: $(ls -A "$small")"
done
echo "a full target is reported as missing free space and keeps nothing"
