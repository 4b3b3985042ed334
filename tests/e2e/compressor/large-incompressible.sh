#!/usr/bin/env bash
# A tree of more than 2 GiB that does not compress, packed by Sardok's
# folder mode: a folder of a cabinet counts its 32 KiB data blocks in 16
# bits, so the files must be spread over folders, and the cabinet passes
# cabextract's test. Twice that much cannot go into one cabinet, whose size
# is a 32-bit field: refused with the limit named, and nothing left behind.
# Disk: the tree, the library's temporary data and the cabinet, each about
# 2.2 GB (the larger tree repeats the files as hard links; its temporary
# data stops at 4 GiB), all removed at the end. Runs alone.
set -eu
sardok=$1
work=$2
root=$(cd "$(dirname "$0")/../../.." && pwd)
rm -rf "$work"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src/sub"
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
fail() { echo "$*" >&2; exit 1; }
# Each step's limit guards against a hang, not the speed: it holds with the
# machine loaded many times over (CTest's limit covers all three).

# Three files of 730 MiB: 70,080 blocks in all, two of them fit one folder.
for name in one.bin two.bin sub/three.bin; do
  head -c 730M /dev/urandom >"$work/src/$name"
done
printf 'small' >"$work/src/small.txt"
timeout 1800 "$root/scripts/wine-run.sh" "$sardok" /silent "$(winpath "$work/src")" "$(winpath "$work/tree.cab")" ||
  fail "Sardok ended with $?"
size=$(stat -c %s "$work/tree.cab")
[ "$size" -gt $((2 << 30)) ] || fail "the cabinet holds only $size bytes"
# The header's folder count (offset 26, 16 bits).
folders=$(od -An -tu2 -j26 -N2 "$work/tree.cab" | tr -d ' ')
[ "$folders" -ge 2 ] || fail "$folders folder(s) for more than 65,535 blocks"
timeout 1200 cabextract -q -t "$work/tree.cab" >"$work/test.txt" 2>&1 ||
  fail "cabextract rejects the cabinet: $(head -5 "$work/test.txt")"
listed=$(cabextract -l "$work/tree.cab" |
  awk -F'|' 'NF == 3 && $1 ~ /^ *[0-9]+ *$/ { gsub(/^ +| +$/, "", $3); print $3 }' | LC_ALL=C sort | tr '\n' ' ')
[ "$listed" = "one.bin small.txt sub/three.bin two.bin " ] || fail "the cabinet lists '$listed'"
first="$(du -sb "$work/src" | cut -f1) bytes that do not compress packed into $size bytes in $folders folders"
rm -f "$work/tree.cab"

# The same files twice: a cabinet of 4.6 GB.
mkdir "$work/src/again"
for name in one.bin two.bin sub/three.bin; do ln "$work/src/$name" "$work/src/again/${name#sub/}"; done
. "$root/scripts/wine-env.sh"
temp=$(find "$WINEPREFIX/drive_c/users" -maxdepth 4 -type d -name Temp | head -1)
mkdir "$work/out"
touch "$work/before"
set +e
timeout 1800 "$root/scripts/wine-run.sh" "$sardok" /silent "$(winpath "$work/src")" "$(winpath "$work/out/tree.cab")" \
  2>"$work/err"
rc=$?
set -e
[ "$rc" = $((302 % 256)) ] || fail "a cabinet past 4 GiB ended with $rc, not 302"
expected="Failed to create archive file: it would be larger than the 4,294,967,295 bytes that one cabinet can hold."
[ "$(tr -d '\r' <"$work/err")" = "$expected" ] || fail "standard error says: $(cat "$work/err")"
[ -z "$(ls -A "$work/out" 2>/dev/null)" ] || fail "left in the target's folder: $(ls -A "$work/out")"
left=$(find "$temp" -newer "$work/before" -type f 2>/dev/null | head -3)
[ -z "$left" ] || fail "left in the temporary folder: $left"
echo "$first; twice that is refused at the cabinet's 32-bit size"
