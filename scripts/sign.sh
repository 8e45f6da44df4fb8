#!/usr/bin/env bash
# Signs Windows executables in place with an Authenticode signature (SHA-256), using Debian's
# osslsigncode:  scripts/sign.sh CERT KEY FILE...
# CERT is the certificate (PEM or DER, with its chain if it has one), KEY its private key.
# TOLVANE_SIGN_PASS gives the key's password; TOLVANE_SIGN_TIMESTAMP_URL an RFC 3161 time-stamp
# server, so that the signature stays valid after the certificate expires.
set -euo pipefail
if [ $# -lt 3 ]; then
    echo "usage: $0 CERT KEY FILE..." >&2
    exit 2
fi
cert=$1
key=$2
shift 2
options=(-certs "$cert" -key "$key" -h sha256 -n "Tolvane Setup")
[ -n "${TOLVANE_SIGN_PASS:-}" ] && options+=(-pass "$TOLVANE_SIGN_PASS")
[ -n "${TOLVANE_SIGN_TIMESTAMP_URL:-}" ] && options+=(-ts "$TOLVANE_SIGN_TIMESTAMP_URL")

for file in "$@"; do
    signed=$file.signing
    rm -f "$signed"
    if ! osslsigncode sign "${options[@]}" -in "$file" -out "$signed" > "$signed.log" 2>&1; then
        cat "$signed.log" >&2
        rm -f "$signed" "$signed.log"
        echo "sign: could not sign $file" >&2
        exit 1
    fi
    rm -f "$signed.log"
    mv "$signed" "$file"
    echo "signed $file"
done
