#!/usr/bin/env bash
# A tree made on Linux holds names Windows cannot: device names, <>:"|?*,
# a trailing dot or space, a backslash inside a name. Wine lists them as
# they are (FindFirstFileW gives the Linux name, its 8.3 name is mangled),
# and most of them cannot even be opened by that name. The batch modes
# refuse such a tree with 302 before anything is written and name every
# refused path on standard error; names that differ only in case are all
# packed. The window part runs in the window tests: dropped there, the tree
# is added without them and one message names them.
set -eu
sardok=$1
work=$2
windowtests=${3:-}
root=$(cd "$(dirname "$0")/../../.." && pwd)
rm -rf "$work"
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
fail() { echo "$*" >&2; exit 1; }
# Wine gives a Linux parent only the low eight bits of the exit code.
refusedCode=$((302 % 256))

tree=$work/tree
mkdir -p "$tree/sub" "$tree/z" "$tree/dir."
printf 'alpha' >"$tree/a.txt"
printf 'upper' >"$tree/sub/FAQ.html"
printf 'lower' >"$tree/sub/faq.html"
printf 'after' >"$tree/z/after.txt"
printf 'inside' >"$tree/dir./inside.txt"
bad=(con nul.txt aux.h com1 'q?.txt' 'a:b.txt' 'trail.' 'trail ' 'back\slash' 'lt<x')
for name in "${bad[@]}"; do printf 'x' >"$tree/$name"; done
refused=("${bad[@]}" 'dir.')

# Folder mode: 302, nothing written, every refused path named.
set +e
"$root/scripts/wine-run.sh" "$sardok" /silent "$(winpath "$tree")" "$(winpath "$work/out.cab")" \
  2>"$work/err"
rc=$?
set -e
[ "$rc" = "$refusedCode" ] || fail "folder mode ended with $rc, not 302"
[ ! -e "$work/out.cab" ] || fail "folder mode wrote an archive"
for name in "${refused[@]}"; do
  grep -qF "Cannot be added to the archive: $(winpath "$tree/$name")" "$work/err" ||
    fail "folder mode did not name $name: $(cat "$work/err")"
done
[ "$(grep -c 'Cannot be added' "$work/err")" = "${#refused[@]}" ] || fail "$(cat "$work/err")"

# File-list mode: the same for a listed file.
set +e
"$root/scripts/wine-run.sh" "$sardok" /silent "/file:$(winpath "$tree/a.txt")" \
  "/file:$(winpath "$tree/q?.txt")" "$(winpath "$work/list.cab")" 2>"$work/err"
rc=$?
set -e
[ "$rc" = "$refusedCode" ] || fail "file-list mode ended with $rc, not 302"
[ ! -e "$work/list.cab" ] || fail "file-list mode wrote an archive"
grep -qF "Cannot be added to the archive: $(winpath "$tree/q?.txt")" "$work/err" ||
  fail "file-list mode did not name q?.txt"
# In Japanese.
set +e
VESMARIN_LANG=ja_JP.UTF-8 "$root/scripts/wine-run.sh" "$sardok" /silent \
  "/file:$(winpath "$tree/trail.")" "$(winpath "$work/list.cab")" 2>"$work/err"
rc=$?
set -e
[ "$rc" = "$refusedCode" ] || fail "file-list mode in Japanese ended with $rc, not 302"
grep -qF "アーカイブに追加できません: $(winpath "$tree/trail.")" "$work/err" ||
  fail "no Japanese line naming trail.: $(cat "$work/err")"

# Without them: names that differ only in case are both packed, in the
# folder mode and, with one name twice, in the file-list mode.
for name in "${refused[@]}"; do rm -rf "${tree:?}/$name"; done
"$root/scripts/wine-run.sh" "$sardok" /silent "$(winpath "$tree")" "$(winpath "$work/out.cab")"
listed=$(cabextract -l "$work/out.cab" | awk -F'|' 'NF == 3 && $1 ~ /^ *[0-9]+ *$/ { gsub(/^ +| +$/, "", $3); print $3 }' | LC_ALL=C sort | tr '\n' ' ')
[ "$listed" = "a.txt sub/FAQ.html sub/faq.html z/after.txt " ] || fail "folder mode packed '$listed'"
mkdir -p "$work/p/q"
printf '# p' >"$work/p/__init__.py"
printf '# q' >"$work/p/q/__init__.py"
"$root/scripts/wine-run.sh" "$sardok" /silent "/file:$(winpath "$work/p/__init__.py")" \
  "/file:$(winpath "$work/p/q/__init__.py")" "$(winpath "$work/init.cab")"
[ "$(cabextract -l "$work/init.cab" | grep -c '__init__.py')" = 2 ] || fail "one __init__.py was lost"
cabextract -t "$work/out.cab" >/dev/null
cabextract -t "$work/init.cab" >/dev/null

if [ -n "$windowtests" ]; then
  mkdir -p "$tree/dir."
  printf 'inside' >"$tree/dir./inside.txt"
  for name in "${bad[@]}"; do printf 'x' >"$tree/$name"; done
  VESMARIN_LINUX_TREE=$(winpath "$tree") VESMARIN_LINUX_TREE_REFUSED=${#refused[@]} \
    "$root/scripts/wine-run.sh" "$windowtests" --gtest_also_run_disabled_tests \
    --gtest_filter='*ATreeFromLinuxIsAddedWithoutTheNamesWindowsCannotHold'
fi
rm -rf "$work"
echo "names Windows cannot hold are refused and named"
