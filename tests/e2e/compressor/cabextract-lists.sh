#!/usr/bin/env bash
# Cabinets written by Sardok's folder mode and unattended mode must list
# with cabextract, which loops forever on a cabinet that claims to continue
# in a next one. Also the folder mode on a drive root, made here as a drive
# letter of the Wine prefix that points at a work folder, and a source with a
# link that loops.
set -eu
sardok=$1
work=$2
root=$(cd "$(dirname "$0")/../../.." && pwd)
rm -rf "$work"
mkdir -p "$work/src/sub"
printf 'alpha' >"$work/src/a.txt"
printf 'beta' >"$work/src/sub/b.txt"
head -c 200000 /dev/urandom >"$work/src/sub/big.bin"
# A link back up the tree: the scan must end at it, as it leads to a folder
# being scanned, or it would never end or fail on long paths.
ln -s .. "$work/src/sub/loop"
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
"$root/scripts/wine-run.sh" "$sardok" /silent "$(winpath "$work/src")" "$(winpath "$work/folder.cab")"
cat >"$work/p.qxc" <<XML
<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<VesmarinCompressorProject><File>$(winpath "$work/src/a.txt")</File><Folder Name="docs"><File>$(winpath "$work/src/sub/b.txt")</File></Folder></VesmarinCompressorProject>
XML
"$root/scripts/wine-run.sh" "$sardok" /compress /silent "$(winpath "$work/p.qxc")"
check() {
  local cab=$1 expected=$2 listed
  listed=$(timeout 20 cabextract -l "$cab" | awk -F'|' 'NF == 3 && $1 ~ /^ *[0-9]+ *$/ { gsub(/^ +| +$/, "", $3); print $3 }' | LC_ALL=C sort | tr '\n' ' ')
  if [ "$listed" != "$expected" ]; then
    echo "$cab lists '$listed', expected '$expected'" >&2
    exit 1
  fi
  timeout 20 cabextract -t "$cab" >/dev/null
}
check "$work/folder.cab" "a.txt sub/b.txt sub/big.bin "
check "$work/p.cab" "a.txt docs/b.txt "

. "$root/scripts/wine-env.sh"
for letter in r s t u v w x y; do
  [ -e "$WINEPREFIX/dosdevices/$letter:" ] || break
done
drive="$WINEPREFIX/dosdevices/$letter:"
ln -s "$work/src" "$drive"
trap 'rm -f "$drive"' EXIT
upper=$(printf '%s' "$letter" | tr a-z A-Z)
"$root/scripts/wine-run.sh" "$sardok" /silent "$upper:\\" "$(winpath "$work/root.cab")"
check "$work/root.cab" "a.txt sub/b.txt sub/big.bin "
rm -rf "$work"
echo "every cabinet lists with cabextract"
