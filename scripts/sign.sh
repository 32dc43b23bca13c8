#!/bin/bash
# Signs a Windows program with Authenticode, SHA-256, by osslsigncode:
#   sign.sh PROGRAM SIGNED_PROGRAM
# with KASTRELL_SIGN_PFX (a PKCS#12 file holding the certificate and its key)
# and KASTRELL_SIGN_PASSWORD in the environment, and optionally
# KASTRELL_SIGN_TIMESTAMP_URL (a timestamp server, so that the signature
# outlives the certificate). The password goes to osslsigncode through a file
# only its owner can read, never on a command line (ps, set -x) or in output.
set -euo pipefail
{ set +x; } 2>/dev/null
in=$1 out=$2
: "${KASTRELL_SIGN_PFX:?names no PKCS#12 file}" "${KASTRELL_SIGN_PASSWORD:?is not set}"
[ -r "$KASTRELL_SIGN_PFX" ] || { echo "KASTRELL_SIGN_PFX: cannot read \"$KASTRELL_SIGN_PFX\"" >&2; exit 1; }
password_file=$(umask 077 && mktemp)
trap 'rm -f "$password_file"' EXIT
printf '%s' "$KASTRELL_SIGN_PASSWORD" >"$password_file"
unset KASTRELL_SIGN_PASSWORD  # osslsigncode reads the file
timestamp=()
[ -z "${KASTRELL_SIGN_TIMESTAMP_URL:-}" ] || timestamp=(-ts "$KASTRELL_SIGN_TIMESTAMP_URL")
rm -f "$out"
osslsigncode sign -pkcs12 "$KASTRELL_SIGN_PFX" -readpass "$password_file" -h sha256 \
  -n "Kastrell Setup" "${timestamp[@]}" -in "$in" -out "$out" >/dev/null
echo "signed $out with the certificate of $(basename "$KASTRELL_SIGN_PFX")${KASTRELL_SIGN_TIMESTAMP_URL:+, timestamped by $KASTRELL_SIGN_TIMESTAMP_URL}"
