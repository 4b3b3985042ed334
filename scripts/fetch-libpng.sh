#!/usr/bin/env bash
# Fetches and unpacks Debian's libpng source package into <dest>/src:
#   fetch-libpng.sh <dest>
# apt works on a private source list, package lists and cache under <dest>:
# the system's apt configuration is left alone. The deb-src entries copy the
# URIs, suites, components and key of the system's deb822 sources. Does
# nothing when <dest>/src already holds the sources.
set -euo pipefail
dest=$1
[ -f "$dest/src/png.h" ] && exit 0
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)
# Both build trees may ask at once: one fetches, the other waits.
exec 8>"$dest/.lock"
flock 8
[ -f "$dest/src/png.h" ] && exit 0
work="$dest/apt"
rm -rf "$work" "$dest/src" "$dest/src.tmp"
mkdir -p "$work/sources.list.d" "$work/lists/partial" "$work/cache/archives/partial" "$work/download"
sources=()
for f in /etc/apt/sources.list.d/*.sources; do [ -e "$f" ] && sources+=("$f"); done
# One-line sources (deb URI suite components) become deb-src lines.
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -e "$f" ] && sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f"
done >"$work/sources.list.d/vesmarin-src.list"
[ ${#sources[@]} -gt 0 ] || [ -s "$work/sources.list.d/vesmarin-src.list" ] ||
  { echo "fetch-libpng: no apt sources found" >&2; exit 1; }
for f in "${sources[@]}"; do
  # Each stanza becomes a deb-src stanza; comments are dropped.
  awk 'BEGIN { RS = ""; FS = "\n" }
       { out = ""
         for (i = 1; i <= NF; i++) {
           if ($i ~ /^#/) continue
           if ($i ~ /^Types:/) $i = "Types: deb-src"
           out = out $i "\n"
         }
         print out }' "$f"
done >"$work/sources.list.d/vesmarin-src.sources"
apt_opts=(
  -o "Dir::Etc::SourceList=/dev/null"
  -o "Dir::Etc::SourceParts=$work/sources.list.d"
  -o "Dir::State::Lists=$work/lists"
  -o "Dir::Cache=$work/cache"
  -o "Dir::Cache::pkgcache="
  -o "Dir::Cache::srcpkgcache="
  -o "APT::Sandbox::User=$(id -un)"
)
apt-get -q "${apt_opts[@]}" update >"$work/update.log" 2>&1 ||
  { cat "$work/update.log" >&2; exit 1; }
# The plain package name may pick a security version whose files the mirror
# lacks; the release's own suite always has them.
(cd "$work/download" && apt-get -q "${apt_opts[@]}" source --download-only libpng1.6/bookworm)
dsc=$(ls "$work"/download/libpng1.6_*.dsc | head -n 1)
dpkg-source --no-check -x "$dsc" "$dest/src.tmp" >"$work/unpack.log" 2>&1 ||
  { cat "$work/unpack.log" >&2; exit 1; }
mv "$dest/src.tmp" "$dest/src"
rm -f "$dest"/libpng1.6_*.orig.tar.*
rm -rf "$work/lists" "$work/cache"
echo "fetch-libpng: $(basename "$dsc" .dsc) unpacked into $dest/src"
