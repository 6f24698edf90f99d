#!/usr/bin/env bash
# Signs a file in place with Authenticode, SHA-256 (osslsigncode): PelnixCpl.exe, PelnixLib.dll,
# Hook.dll and the installer package.
#   scripts/sign.sh FILE
# The certificate and key are those a release names:
#   PELNIX_SIGN_CERT       the certificate chain, PEM (default: the test certificate,
#                          packaging/signing/test-codesign-cert.pem)
#   PELNIX_SIGN_KEY        its private key, PEM (default: packaging/signing/test-codesign-key.pem)
#   PELNIX_SIGN_PASS_FILE  a file holding the key's passphrase, when the key is encrypted
#   PELNIX_SIGN_TIMESTAMP  a time-stamp server's URL (RFC 3161): a release sets it; the build
#                          and CI leave it empty, and then the signature is deterministic (the
#                          same file and key always give the same bytes).
# The signing time is the source's date (scripts/source-date-epoch.sh), not the clock's, so
# that the same commit signs to the same bytes.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
signing=$(dirname "$here")/packaging/signing
file=$1
cert=${PELNIX_SIGN_CERT:-$signing/test-codesign-cert.pem}
key=${PELNIX_SIGN_KEY:-$signing/test-codesign-key.pem}

args=(sign -certs "$cert" -key "$key" -h sha256 -n "PelnixCpl" -i "https://www.pelnix.example/"
      -time "$(bash "$here/source-date-epoch.sh")")
[ -n "${PELNIX_SIGN_PASS_FILE:-}" ] && args+=(-readpass "$PELNIX_SIGN_PASS_FILE")
[ -n "${PELNIX_SIGN_TIMESTAMP:-}" ] && args+=(-ts "$PELNIX_SIGN_TIMESTAMP")
signed="$file.signing"
# A file signed before (a rebuild that only re-signs) is signed afresh from its unsigned bytes.
if osslsigncode extract-signature -in "$file" -out /dev/null >/dev/null 2>&1; then
  osslsigncode remove-signature -in "$file" -out "$file.unsigned" >/dev/null
  mv -f "$file.unsigned" "$file"
fi
rm -f "$signed"
osslsigncode "${args[@]}" -in "$file" -out "$signed" >/dev/null
mv -f "$signed" "$file"
