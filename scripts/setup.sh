#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12 (only what is
# missing) and prepares the private Wine prefix. Run as root, or with sudo
# available.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
packages=(
  cmake ninja-build make
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  libz-mingw-w64-dev libboost-dev googletest
  wine64 xvfb xauth fonts-ipafont-gothic
  gcab cabextract icoutils osslsigncode openssl
  locales python3 dpkg-dev
  fonts-wine fonts-dejavu-core
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  "${as_root[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
# Wine takes its interface language from LANG: both languages must exist.
has_locale() {
  locale -a 2>/dev/null | grep -qix "$(echo "$1" | sed 's/UTF-8/utf8/')"
}
need_locales=()
for l in en_US.UTF-8 ja_JP.UTF-8; do
  has_locale "$l" || need_locales+=("$l")
done
if [ ${#need_locales[@]} -gt 0 ]; then
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  [ -f /etc/locale.gen ] || "${as_root[@]}" touch /etc/locale.gen
  for l in "${need_locales[@]}"; do
    "${as_root[@]}" sed -i "s/^# *\($l UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$l UTF-8" /etc/locale.gen || echo "$l UTF-8" | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
  done
  "${as_root[@]}" env LC_ALL=C locale-gen >/dev/null
  for l in "${need_locales[@]}"; do
    has_locale "$l" || { echo "setup: the locale $l could not be generated" >&2; exit 1; }
  done
fi
# libpng is built from Debian's source package (fetched once, never kept in
# the repository).
"$here/fetch-libpng.sh" "${VESMARIN_BUILD:-$here/../build}/libpng"
"$here/wine-prefix.sh"
