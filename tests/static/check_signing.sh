#!/usr/bin/env bash
# The release's signing, with a throwaway certificate made here (no key is kept): the built program signed into
# SIGNED verifies against that certificate, with SHA-256, the program's description and TIME; signing again gives
# the same bytes; removing the signature gives back the program as built; the certificate exported with the older
# ciphers (RC2) signs too; a wrong password, or a password file with a carriage return or a second line, fails with
# a message that says so and leaves no file.  Usage: check_signing.sh SIGN_PROGRAM BUILT_SETUPB SIGNED TIME
set -euo pipefail
sign=$1 built=$2 signed=$3 time=$4 work=$(mktemp -d) status=0
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; status=1; }
signing() { "$sign" "$work/cert.p12" "$work/$1" "$time" "$built" "$2"; }  # with the password file $1, into $2
export_p12() { openssl pkcs12 -export "$@" -in "$work/cert.pem" -inkey "$work/key.pem" -passout "file:$work/password"; }
{ echo secret >"$work/password" && echo wrong >"$work/wrong" && printf 'secret\r\n' >"$work/crlf" &&
  printf 'secret\nsecret\n' >"$work/lines" && openssl req -x509 -newkey rsa:2048 -noenc \
    -keyout "$work/key.pem" -out "$work/cert.pem" -subj "/CN=setupb signing" -addext extendedKeyUsage=codeSigning &&
  export_p12 -out "$work/cert.p12" && export_p12 -legacy -out "$work/cert-legacy.p12"; } >"$work/log" 2>&1 ||
  { cat "$work/log"; echo "FAIL: no throwaway certificate"; exit 1; }
signing password "$signed" || { echo "FAIL: signing failed"; exit 1; }
osslsigncode verify -CAfile "$work/cert.pem" "$signed" >"$work/verify" 2>&1 || fail "bad signature: $(<"$work/verify")"
for line in "Signature verification: ok" "Message digest algorithm *: SHA256" "Signing time: $(TZ=UTC LC_ALL=C \
             date -d "@$time" '+%b %e %T %Y') GMT" "Text description: VELNARI CD-ROM Adapter Driver Setup"; do
  grep -q "^[[:space:]]*$line" "$work/verify" || fail "the signature verified by osslsigncode lacks '$line'"
done
signing password "$work/again.exe" && cmp "$signed" "$work/again.exe" || fail "signing a second time gave other bytes"
osslsigncode remove-signature -in "$signed" -out "$work/unsigned.exe" >/dev/null && cmp "$built" "$work/unsigned.exe" ||
  fail "the signed program without its signature is not the program as built"
"$sign" "$work/cert-legacy.p12" "$work/password" "$time" "$built" "$work/legacy.exe" >"$work/log" 2>&1 ||
  fail "the certificate exported with the older ciphers did not sign: $(cat "$work/log")"
for refused in "wrong:wrong password for the certificate file" "crlf:holds a carriage return" \
               "lines:holds more than one line"; do
  file=${refused%%:*}
  signing "$file" "$work/$file.exe" >"$work/log" 2>&1 && fail "signing with the password file $file succeeded"
  grep -q "${refused#*:}" "$work/log" || fail "the password file $file gave: $(cat "$work/log")"
  ! compgen -G "$work/$file.exe*" >/dev/null || fail "the password file $file left $(ls "$work/$file".exe*)"
done
[ "$status" -ne 0 ] || echo "signing OK"; exit $status
