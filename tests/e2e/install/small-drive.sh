#!/usr/bin/env bash
# Installations onto a drive that fills up:
#   small-drive.sh <work> <install_full_drive_tests>
# The drive is a tmpfs of 5 MiB mounted here (as root; 77, a skip,
# otherwise) and mapped as a drive letter of the Wine prefix; the tests
# find it in VESMARIN_FULL_DRIVE.
set -eu
work=$1
tests=$2
root=$(cd "$(dirname "$0")/../../.." && pwd)
fail() { echo "$*" >&2; exit 1; }
[ "$(id -u)" = 0 ] || { echo "a size-limited mount needs root: skipped"; exit 77; }
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
mount -t tmpfs -o size=5m tmpfs "$small" || fail "no tmpfs could be mounted at $small"
trap 'release; rm -rf "$work"' EXIT
for letter in q p o n m l k; do
  [ -e "$WINEPREFIX/dosdevices/$letter:" ] || break
done
ln -s "$small" "$WINEPREFIX/dosdevices/$letter:"
upper=$(printf '%s' "$letter" | tr a-z A-Z)
VESMARIN_FULL_DRIVE="$upper:\\" timeout 500 "$root/scripts/wine-run.sh" "$tests" \
  --gtest_also_run_disabled_tests --gtest_filter='FullDrive.*' ||
  fail "a full drive did not end the installation cleanly"
echo "a full drive ends the installation and leaves nothing of it"
