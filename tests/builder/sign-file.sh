#!/usr/bin/env bash
# sign-file.sh <in.exe> <out.exe> <work folder> [<size> | +<count>]
# Signs a copy of a program with a self-signed code-signing certificate made
# once in the work folder. With <size> the copy is first padded with zero
# bytes to that size; with +<count> that many random bytes are appended.
set -eu
in=$1 out=$2 work=$3 pad=${4:-}
mkdir -p "$work"
if [ ! -f "$work/cert.pem" ] || [ ! -f "$work/key.pem" ]; then
  openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 3650 \
    -subj "/CN=Vesmarin Test Signer" -addext "extendedKeyUsage=codeSigning" \
    -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1
fi
copy="$work/$(basename "$out").unsigned"
cp "$in" "$copy"
case "$pad" in
  "") ;;
  +*) head -c "${pad#+}" /dev/urandom >>"$copy" ;;
  *) truncate -s "$pad" "$copy" ;;
esac
rm -f "$out"
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -h sha256 \
  -n "Vesmarin test program" -in "$copy" -out "$out" >/dev/null
rm -f "$copy"
