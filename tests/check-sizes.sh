#!/usr/bin/env bash
# Fails when a program, stripped, is larger than its limit. The stub heads
# every installer and the uninstaller rides in each one: their sizes are
# every package's overhead. Usage: check-sizes.sh STRIP LIMIT PROGRAM
# [LIMIT PROGRAM]...
strip=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
while [ $# -ge 2 ]; do
  limit=$1 program=$2
  shift 2
  if [ ! -s "$program" ]; then echo "missing: $program"; status=1; continue; fi
  copy="$work/$(basename "$program")"
  cp "$program" "$copy"
  if ! "$strip" "$copy"; then echo "cannot strip: $program"; status=1; continue; fi
  size=$(stat -c %s "$copy")
  if [ "$size" -gt "$limit" ]; then
    echo "too large: $program is $size bytes stripped, at most $limit allowed"
    status=1
  else
    echo "within its limit: $program is $size bytes stripped (at most $limit)"
  fi
done
[ $# -eq 0 ] || { echo "usage: check-sizes.sh STRIP LIMIT PROGRAM [LIMIT PROGRAM]..."; exit 2; }
exit $status
