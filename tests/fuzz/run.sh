#!/bin/bash
# Builds every fuzz target listed below with libFuzzer and runs each for a bounded time.
#   tests/fuzz/run.sh [BUILD_DIR]      (default build/fuzz; FUZZ_SECONDS per target, default 20)
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build/fuzz}
SECONDS_PER_TARGET=${FUZZ_SECONDS:-20}
CXX=${FUZZ_CXX:-clang++-14}
command -v "$CXX" >/dev/null 2>&1 || CXX=clang++

# One line per target: name | sources (relative to the repository) | include directories.
TARGETS=(
    "szdd_expand_fuzz|tests/fuzz/SzddExpandFuzz.cpp tools/szdd/Szdd.cpp|tools/szdd"
)

# Seeds per target, written as files into the target's corpus on the first run.
seed_szdd_expand_fuzz() {
    local dir=$1
    printf 'SZDD\x88\xf0\x27\x33A\x00\x00\x00\x00\x00' >"$dir/header-only"
    printf 'SZDD\x88\xf0\x27\x33A\x00\x0b\x00\x00\x00\x01x\xf0\xf7' >"$dir/run"
    printf 'SZDD\x88\xf0\x27\x33A\x00\x04\x00\x00\x00\x03ab\xee\xf1' >"$dir/spaces"
}

mkdir -p "$BUILD"
status=0
for entry in "${TARGETS[@]}"; do
    IFS='|' read -r name sources includes <<<"$entry"
    args=()
    for s in $sources; do args+=("$ROOT/$s"); done
    for i in $includes; do args+=("-I$ROOT/$i"); done
    "$CXX" -std=c++17 -g -O1 -Wall -Wextra -Werror -fsanitize=fuzzer,address,undefined \
        -fno-sanitize-recover=undefined "${args[@]}" -o "$BUILD/$name"

    corpus="$BUILD/$name.corpus"
    if [ ! -d "$corpus" ]; then
        mkdir -p "$corpus"
        if declare -F "seed_$name" >/dev/null; then "seed_$name" "$corpus"; fi
    fi
    log="$BUILD/$name.log"
    if "$BUILD/$name" -max_total_time="$SECONDS_PER_TARGET" -max_len=16384 -rss_limit_mb=2048 \
        -artifact_prefix="$BUILD/$name-" -print_final_stats=1 "$corpus" >"$log" 2>&1; then
        runs=$(grep -o 'Done [0-9]* runs' "$log" | grep -o '[0-9]*' || echo '?')
        echo "fuzz $name: $runs executions in ${SECONDS_PER_TARGET}s, no failure"
    else
        echo "fuzz $name: FAILED, see $log and $BUILD/$name-*" >&2
        tail -n 30 "$log" >&2
        status=1
    fi
done
exit $status
