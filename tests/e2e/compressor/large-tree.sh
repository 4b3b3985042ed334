#!/usr/bin/env bash
# A real tree of thousands of files, empty files among them, packed by
# Sardok's folder mode: the cabinet passes cabextract's test and extracts
# byte for byte. The tree is a copy of this machine's documentation folder
# with links resolved and without its few files over 100 KB (topped up with
# generated files should it hold fewer than 5,000), without the few names a Windows folder cannot hold side by
# side (names differing only in case) or at all.
set -eu
sardok=$1
work=$2
minimum=${3:-5000}
rm -rf "$work"
mkdir -p "$work/src"
src=$work/src
cp -rL /usr/share/doc/. "$src/" 2>/dev/null || true
# Many files is the point, not many bytes: the few large ones stay out.
find "$src" -type f -size +100k -delete
# Names Windows cannot hold, and of names differing only in case all but the
# first.
find "$src" -depth \( -name '*[<>:"|?*\\]*' -o -name '*.' -o -name '* ' \) -exec rm -rf {} +
find "$src" | LC_ALL=C sort | awk '{ key = tolower($0); if (seen[key]++) print }' |
  while IFS= read -r path; do rm -rf "$path"; done
# Windows paths stay well below 260 characters.
find "$src" -type f | awk 'length($0) + 2 >= 240' |
  while IFS= read -r path; do rm -f "$path"; done
# Empty folders leave no trace in a cabinet.
find "$src" -mindepth 1 -type d -empty -delete
# Empty files, as every Python package has them.
find "$src" -type d | awk 'NR % 20 == 1' | while IFS= read -r folder; do
  : >"$folder/__init__.py"
done
: >"$src/empty first.txt"
count=$(find "$src" -type f | wc -l)
i=0
while [ "$count" -lt "$minimum" ]; do
  folder=$src/generated/d$((i / 100))
  mkdir -p "$folder"
  seq "$i" "$((i * 7 + 100))" >"$folder/f$i.txt"
  i=$((i + 1))
  count=$((count + 1))
done
empty=$(find "$src" -type f -empty | wc -l)

winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
root=$(cd "$(dirname "$0")/../../.." && pwd)
# Each step's limit guards against a hang, not the speed: it holds with the
# machine loaded many times over (CTest's limit covers all three).
timeout 1200 "$root/scripts/wine-run.sh" "$sardok" /silent "$(winpath "$src")" "$(winpath "$work/tree.cab")" ||
  { echo "Sardok ended with $?" >&2; exit 1; }
timeout 600 cabextract -q -t "$work/tree.cab" >/dev/null
mkdir "$work/out"
timeout 600 cabextract -q -d "$work/out" "$work/tree.cab" >/dev/null
if ! diff -r "$src" "$work/out" >"$work/diff.txt"; then
  head -20 "$work/diff.txt" >&2
  echo "the extracted tree differs from the source" >&2
  exit 1
fi
extracted=$(find "$work/out" -type f | wc -l)
[ "$extracted" -eq "$count" ] || { echo "$extracted files extracted of $count" >&2; exit 1; }
size=$(stat -c %s "$work/tree.cab")
source_size=$(du -sb "$src" | cut -f1)
rm -rf "$work"
echo "$count files ($empty empty, $source_size bytes) packed into $size bytes, extracted byte for byte"
