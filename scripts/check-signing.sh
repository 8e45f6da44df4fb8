#!/usr/bin/env bash
# Signs copies of both installers with a throw-away self-signed certificate and verifies the
# signatures with osslsigncode, trusting that certificate as the root. Also shows that an
# unsigned file and a signed file changed after signing do not verify. Exits 0 only when
# everything behaves so.
set -uo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-sign.XXXXXX")
trap 'rm -rf "$work"' EXIT

if ! openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tolvane test signing" \
        -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
        -keyout "$work/key.pem" -out "$work/cert.pem" > "$work/openssl.log" 2>&1; then
    cat "$work/openssl.log"
    exit 1
fi

status=0
verify() { # verify FILE: osslsigncode's verdict, trusting only the test certificate
    osslsigncode verify -CAfile "$work/cert.pem" -ignore-cdp -in "$1" > "$1.verify.log" 2>&1
}
for arch in x86_64:win64 i686:win32; do
    name=${arch%%:*}
    source=build/${arch##*:}/TolvaneSetup.exe
    [ -f "$source" ] || { echo "FAIL $name: no $source (run scripts/build.sh)"; status=1; continue; }
    unsigned=$work/$name-unsigned.exe
    signed=$work/$name-signed.exe
    cp "$source" "$unsigned"
    cp "$source" "$signed"
    if ! scripts/sign.sh "$work/cert.pem" "$work/key.pem" "$signed" > /dev/null; then
        echo "FAIL $name: signing failed"
        status=1
        continue
    fi
    if verify "$signed"; then
        echo "ok   $name: signed copy verifies ($(stat -c %s "$signed") bytes)"
    else
        echo "FAIL $name: signed copy does not verify"
        cat "$signed.verify.log"
        status=1
    fi
    if verify "$unsigned"; then
        echo "FAIL $name: the unsigned file verified"
        status=1
    else
        echo "ok   $name: unsigned file does not verify ($(grep -m1 -i 'signature' "$unsigned.verify.log"))"
    fi
    # One byte of the code changed after signing: the digest no longer matches.
    tampered=$work/$name-tampered.exe
    cp "$signed" "$tampered"
    printf '\x90' | dd of="$tampered" bs=1 seek=1100 conv=notrunc status=none
    if cmp -s "$signed" "$tampered"; then
        printf '\xcc' | dd of="$tampered" bs=1 seek=1100 conv=notrunc status=none
    fi
    if verify "$tampered"; then
        echo "FAIL $name: a file changed after signing verified"
        status=1
    else
        echo "ok   $name: file changed after signing does not verify"
    fi
done
exit $status
