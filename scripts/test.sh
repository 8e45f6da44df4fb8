#!/usr/bin/env bash
# Runs every test: installs what is missing, builds both Windows builds and the host build, runs
# the host tests (under ASan and UBSan), the artwork and codec checks, the bounded fuzz runs and
# the Wine scenarios. Exits non-zero when any stage fails.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh || exit 1
# The 32-bit Wine loader under qemu, for the i686 build's scenarios (skipped where it cannot run).
scripts/install-wine32.sh || exit 1
scripts/build.sh || exit 1

failed=()
stage() {
    local name=$1
    shift
    echo "== $name"
    if ! "$@"; then
        failed+=("$name")
    fi
}

stage "host tests" ctest --test-dir build/host --output-on-failure -j 2
# Memcheck once over the host tests without sanitizers; the fault injection's hundreds of whole
# installations stay with the sanitizer run.
stage "host tests under valgrind" tests/host/run-valgrind.sh '-FaultInjection.*'
stage "reproducible build" scripts/check-reproducible.sh
stage "signing" scripts/check-signing.sh
stage "release" scripts/release.sh
stage "artwork" tools/artwork/check_artwork.sh
[ -x tests/fuzz/run.sh ] && stage "fuzz" tests/fuzz/run.sh build/fuzz
[ -x tests/wine/szdd-lz32-check.sh ] && stage "LZ32 cross-check" tests/wine/szdd-lz32-check.sh
stage "Wine scenarios" tests/wine/run.sh -j 2

if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED stages: ${failed[*]}"
    exit 1
fi
echo "all stages passed"
