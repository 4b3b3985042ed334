#!/usr/bin/env bash
# Fails when any given program holds the bytes "lsfx".
status=0
for f in "$@"; do
  if [ ! -s "$f" ]; then echo "missing: $f"; status=1; continue; fi
  if grep -q -a 'lsfx' "$f"; then echo "holds the marker: $f"; status=1; else echo "clean: $f"; fi
done
exit $status
