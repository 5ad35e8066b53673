#!/usr/bin/env bash
# Signs a Windows program with an Authenticode signature (SHA-256): SIGN_KEY and SIGN_CERT are
# the private key and its certificate (PEM files); SIGN_TIMESTAMP_URL, when set, names an
# RFC 3161 time stamp server, so that the signature stays valid after the certificate expires.
# Usage: scripts/sign.sh IN OUT
set -uo pipefail
in=$1 out=$2
args=(sign -h sha256 -certs "$SIGN_CERT" -key "$SIGN_KEY" -n "Qwill setup")
[ -n "${SIGN_TIMESTAMP_URL:-}" ] && args+=(-ts "$SIGN_TIMESTAMP_URL")
rm -f "$out"
osslsigncode "${args[@]}" -in "$in" -out "$out" >/dev/null
