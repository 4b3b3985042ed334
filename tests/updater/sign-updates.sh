#!/usr/bin/env bash
# Makes the update programs of the updater tests from one program:
#   sign-updates.sh <program.exe> <library.dll> <signer folder> <out-dir>
# update-signed.exe    signed with the test signer's key in <signer folder>
#                      (the key the test build of the updater is pinned to)
# update-impostor.exe  signed by a certificate made afresh here that carries
#                      the test signer's name but a key of its own
# update-foreign.exe   signed by another, equally self-signed publisher
# update-unsigned.exe  not signed at all
# update-library.exe   a library signed by the right signer: it passes every
#                      check but cannot be started
set -eu
program=$1
library=$2
signer=$3
out=$4
mkdir -p "$out/signing"
cp "$signer/test-signer.pem" "$out/signing/maker.pem"
cp "$signer/test-signer.key" "$out/signing/maker.key"
key() {
  local name=$1 subject=$2
  rm -f "$out/signing/$name.pem" "$out/signing/$name.key"
  openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=$subject" \
    -keyout "$out/signing/$name.key" -out "$out/signing/$name.pem" >/dev/null 2>&1
}
key impostor "Vesmarin Test Update Signer"
key foreign "Another Publisher"
sign() {
  local name=$1 source=$2 target=$3
  rm -f "$target.tmp"
  osslsigncode sign -certs "$out/signing/$name.pem" -key "$out/signing/$name.key" \
    -n "Update" -in "$source" -out "$target.tmp" >/dev/null
  mv "$target.tmp" "$target"
}
sign maker "$program" "$out/update-signed.exe"
sign impostor "$program" "$out/update-impostor.exe"
sign foreign "$program" "$out/update-foreign.exe"
sign maker "$library" "$out/update-library.exe"
cp "$program" "$out/update-unsigned.exe"
