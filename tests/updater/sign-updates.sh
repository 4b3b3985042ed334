#!/usr/bin/env bash
# Makes the update programs of the updater tests from one program:
#   sign-updates.sh <program.exe> <library.dll> <out-dir>
# update-signed.exe    signed by "Vesmarin Test Update Signer" (the signer
#                      the test build of the updater accepts)
# update-foreign.exe   signed by another, equally self-signed publisher
# update-unsigned.exe  not signed at all
# update-library.exe   a library signed by the right signer: it passes every
#                      check but cannot be started
set -eu
program=$1
library=$2
out=$3
mkdir -p "$out/signing"
key() {
  local name=$1 subject=$2
  [ -f "$out/signing/$name.pem" ] && return 0
  openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=$subject" \
    -keyout "$out/signing/$name.key" -out "$out/signing/$name.pem" >/dev/null 2>&1
}
key maker "Vesmarin Test Update Signer"
key foreign "Another Publisher"
sign() {
  local name=$1 source=$2 target=$3
  rm -f "$target.tmp"
  osslsigncode sign -certs "$out/signing/$name.pem" -key "$out/signing/$name.key" \
    -n "Update" -in "$source" -out "$target.tmp" >/dev/null
  mv "$target.tmp" "$target"
}
sign maker "$program" "$out/update-signed.exe"
sign foreign "$program" "$out/update-foreign.exe"
sign maker "$library" "$out/update-library.exe"
cp "$program" "$out/update-unsigned.exe"
