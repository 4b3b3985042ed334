#!/usr/bin/env bash
# A tree made on Linux holds what is no file: a pipe, a socket, and links to
# /dev/zero and /dev/null. Wine lists each as an empty plain file, and asked
# by name it answers "invalid parameter". None of them can be packed, and
# none is left out without a word: the folder mode refuses the tree with
# 302 and names each on standard error (in English and Japanese), the
# file-list mode names a listed one, and the archive pane leaves them out
# and names them (the unit tests, given as the third argument). Without
# them the tree is packed, its empty file with it.
set -eu
sardok=$1
work=$2
unittests=${3:-}
root=$(cd "$(dirname "$0")/../../.." && pwd)
rm -rf "$work"
trap 'rm -rf "$work"' EXIT
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
fail() { echo "$*" >&2; exit 1; }
# Wine gives a Linux parent only the low eight bits of the exit code.
refusedCode=$((302 % 256))

tree=$work/tree
mkdir -p "$tree/sub"
printf 'alpha' >"$tree/a.txt"
printf 'beta' >"$tree/sub/b.txt"
: >"$tree/empty.txt"
mkfifo "$tree/pipe"
ln -s /dev/zero "$tree/zero"
ln -s /dev/null "$tree/sub/null"
special=(pipe zero 'sub/null')
if python3 -c "import socket; socket.socket(socket.AF_UNIX).bind('$tree/socket')" 2>/dev/null; then
  special+=(socket)
fi

# Folder mode, both languages: 302, nothing written, every one named once.
for lang in en_US.UTF-8 ja_JP.UTF-8; do
  case $lang in
    en*) refused='Cannot be added to the archive: ' ;;
    *) refused='アーカイブに追加できません: ' ;;
  esac
  set +e
  VESMARIN_LANG=$lang timeout 120 "$root/scripts/wine-run.sh" "$sardok" /silent \
    "$(winpath "$tree")" "$(winpath "$work/out.cab")" 2>"$work/err"
  rc=$?
  set -e
  [ "$rc" = "$refusedCode" ] || fail "$lang: folder mode ended with $rc, not 302: $(cat "$work/err")"
  [ ! -e "$work/out.cab" ] || fail "$lang: folder mode wrote an archive"
  for name in "${special[@]}"; do
    grep -qxF "$refused$(winpath "$tree/$name")"$'\r' "$work/err" ||
      fail "$lang: folder mode did not name $name: $(cat "$work/err")"
  done
  [ "$(grep -c . "$work/err")" = "${#special[@]}" ] || fail "$lang: $(cat "$work/err")"
done

# File-list mode: a listed device fails the run and is named.
for name in zero; do
  set +e
  timeout 120 "$root/scripts/wine-run.sh" "$sardok" /silent "/file:$(winpath "$tree/a.txt")" \
    "/file:$(winpath "$tree/$name")" "$(winpath "$work/list.cab")" 2>"$work/err"
  rc=$?
  set -e
  [ "$rc" = "$refusedCode" ] || fail "file-list mode with $name ended with $rc, not 302"
  [ ! -e "$work/list.cab" ] || fail "file-list mode with $name wrote an archive"
  grep -qF "$(winpath "$tree/$name")" "$work/err" ||
    fail "file-list mode did not name $name: $(cat "$work/err")"
done

if [ -n "$unittests" ]; then
  entries=$(IFS='|'; printf '%s' "${special[*]}" | tr / '\\')
  VESMARIN_SPECIAL_TREE=$(winpath "$tree") VESMARIN_SPECIAL_ENTRIES=$entries \
    timeout 120 "$root/scripts/wine-run.sh" "$unittests" --gtest_also_run_disabled_tests \
    --gtest_filter='*PipesSocketsAndDevicesAreLeftOutAndNamed'
fi

# Without them the tree is packed, the empty file too.
for name in "${special[@]}"; do rm -f "${tree:?}/$name"; done
timeout 120 "$root/scripts/wine-run.sh" "$sardok" /silent "$(winpath "$tree")" \
  "$(winpath "$work/out.cab")"
listed=$(cabextract -l "$work/out.cab" | awk -F'|' 'NF == 3 && $1 ~ /^ *[0-9]+ *$/ { gsub(/^ +| +$/, "", $3); print $3 }' | LC_ALL=C sort | tr '\n' ' ')
[ "$listed" = "a.txt empty.txt sub/b.txt " ] || fail "folder mode packed '$listed'"
cabextract -t "$work/out.cab" >/dev/null
echo "pipes, sockets and devices are named, never left out without a word"
