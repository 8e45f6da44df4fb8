#!/usr/bin/env bash
# Checks a release directory made by scripts/release.sh (default dist/): the SHA-256 sums, and
# for each installer its machine type, GUI subsystem, imports (system DLLs only), version
# resource, icon, embedded payload and manifest (tools/release/pecheck.py). Exits 1 when any
# check fails.
set -uo pipefail
cd "$(dirname "$0")/.."
dist=${1:-dist}
status=0
if (cd "$dist" && sha256sum --quiet -c SHA256SUMS); then
    echo "ok   $dist/SHA256SUMS matches"
else
    echo "FAIL $dist/SHA256SUMS does not match the files"
    status=1
fi
for arch in x86_64 i686; do
    file=$dist/$arch/TolvaneSetup.exe
    grep -q " $arch/TolvaneSetup.exe\$" "$dist/SHA256SUMS" 2>/dev/null \
        || { echo "FAIL $file: not listed in SHA256SUMS"; status=1; }
    python3 tools/release/pecheck.py "$arch" "$file" || status=1
done
exit $status
