#!/usr/bin/env bash
# Each program's string table is one name space: two names of one
# resources/<program>/ folder that stand for the same IDS_ number would let
# one text silently replace the other. Prints every such pair; fails on any.
#   check-string-ids.sh <resources folder>
set -eu
status=0
for folder in "$1"/*/; do
  clashes=$(cat "$folder"*.h 2>/dev/null |
    awk '$1 == "#define" && $2 ~ /^IDS_/ && $3 ~ /^[0-9]+$/ {
           if ($3 in seen && seen[$3] != $2) print "  " seen[$3] " and " $2 " are both " $3
           else seen[$3] = $2 }')
  if [ -n "$clashes" ]; then
    echo "string ids used twice in $folder:"
    echo "$clashes"
    status=1
  else
    echo "string ids distinct in $folder"
  fi
done
exit $status
