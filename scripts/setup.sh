#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12 (only what is
# missing) and prepares the private Wine prefix. Run as root, or with sudo
# available.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
packages=(
  cmake ninja-build make
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  libz-mingw-w64-dev libboost-dev googletest
  wine64 xvfb xauth fonts-ipafont-gothic
  gcab cabextract icoutils osslsigncode openssl
  locales python3 dpkg-dev
  fonts-wine fonts-dejavu-core
)
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  # In the C locale: the machine may not have the user's locale yet.
  "${as_root[@]}" env LC_ALL=C apt-get update -q
  "${as_root[@]}" env LC_ALL=C DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
# Wine takes its interface language from LANG: both languages must exist.
need_locales=()
for l in en_US.UTF-8 ja_JP.UTF-8; do
  vesmarin_locale_exists "$l" || need_locales+=("$l")
done
if [ ${#need_locales[@]} -gt 0 ]; then
  [ -f /etc/locale.gen ] || "${as_root[@]}" touch /etc/locale.gen
  for l in "${need_locales[@]}"; do
    "${as_root[@]}" sed -i "s/^# *\($l UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$l UTF-8" /etc/locale.gen || echo "$l UTF-8" | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
  done
  "${as_root[@]}" env LC_ALL=C locale-gen >/dev/null
  for l in "${need_locales[@]}"; do
    vesmarin_locale_exists "$l" || { echo "setup: the locale $l could not be generated" >&2; exit 1; }
  done
fi
# libpng is built from Debian's source package (fetched once, never kept in
# the repository).
"$here/fetch-libpng.sh" "$VESMARIN_BUILD/libpng"
"$here/wine-prefix.sh"
