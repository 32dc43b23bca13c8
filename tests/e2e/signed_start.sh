#!/bin/bash
# A publisher signs the program as the release does (scripts/sign.sh), here
# with a throwaway certificate: the signature verifies, the password shows
# nowhere, and the signed program still starts to its licence page.
source "$(dirname "$0")/lib.sh"
root=$(cd "$(dirname "$0")/../.." && pwd)

step "a throwaway code-signing certificate, in a PKCS#12 file with a password"
export password="throwaway-$RANDOM$RANDOM"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Kastrell test publisher" \
  -addext keyUsage=digitalSignature -addext extendedKeyUsage=codeSigning \
  -keyout "$work_dir/key.pem" -out "$work_dir/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work_dir/key.pem" -in "$work_dir/cert.pem" \
  -out "$work_dir/publisher.pfx" -passout env:password

step "signing as the release does"
signed=$work_dir/kastrell-setup.exe
output=$(KASTRELL_SIGN_PFX="$work_dir/publisher.pfx" KASTRELL_SIGN_PASSWORD="$password" \
  bash -x "$root/scripts/sign.sh" "$KASTRELL_EXE" "$signed" 2>&1) || fail "signing failed: $output"
grep -v "^+" <<<"$output" || true
! grep -qF "$password" <<<"$output" || fail "the password appeared in the output"

step "osslsigncode verifies an SHA-256 signature by the certificate"
osslsigncode verify -CAfile "$work_dir/cert.pem" -in "$signed" >"$work_dir/verify.txt" 2>&1 ||
  fail "the signature does not verify: $(cat "$work_dir/verify.txt")"
grep -E 'Message digest algorithm|Subject|Signature verification|Succeeded' "$work_dir/verify.txt" | sort -u
grep -q '^Message digest algorithm  : SHA256' "$work_dir/verify.txt" || fail "the digest is not SHA-256"
grep -q 'Subject: /CN=Kastrell test publisher' "$work_dir/verify.txt" || fail "signed by someone else"

step "the signed program starts to its licence page and closes"
KASTRELL_EXE=$signed
reset_state
start_setup signed_start
wait_window Form3
expect_fresh_licence_page
run_wine "$PROBE_EXE" close Form3 >/dev/null
expect_exit 0
echo "PASS"
