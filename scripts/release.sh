#!/usr/bin/env bash
# Puts the release into dist/: dist/x86_64/TolvaneSetup.exe and dist/i686/TolvaneSetup.exe from
# the builds of scripts/build.sh, signed when a certificate and key are given, with their
# SHA-256 sums in dist/SHA256SUMS; then checks the result (scripts/check-release.sh).
#     scripts/release.sh [--sign CERT KEY]
set -euo pipefail
cd "$(dirname "$0")/.."
sign=()
if [ $# -gt 0 ]; then
    if [ $# -ne 3 ] || [ "$1" != --sign ]; then
        echo "usage: $0 [--sign CERT KEY]" >&2
        exit 2
    fi
    sign=("$2" "$3")
fi
for dir in win64 win32; do
    [ -f "build/$dir/TolvaneSetup.exe" ] \
        || { echo "release: no build/$dir/TolvaneSetup.exe: run scripts/build.sh" >&2; exit 1; }
done

rm -rf dist
mkdir -p dist/x86_64 dist/i686
cp build/win64/TolvaneSetup.exe dist/x86_64/TolvaneSetup.exe
cp build/win32/TolvaneSetup.exe dist/i686/TolvaneSetup.exe
if [ ${#sign[@]} -gt 0 ]; then
    scripts/sign.sh "${sign[@]}" dist/x86_64/TolvaneSetup.exe dist/i686/TolvaneSetup.exe
fi
(cd dist && sha256sum x86_64/TolvaneSetup.exe i686/TolvaneSetup.exe > SHA256SUMS)
scripts/check-release.sh dist
for file in x86_64/TolvaneSetup.exe i686/TolvaneSetup.exe; do
    echo "release: dist/$file $(stat -c %s "dist/$file") bytes sha256 $(grep " $file\$" dist/SHA256SUMS | cut -c1-64)"
done
