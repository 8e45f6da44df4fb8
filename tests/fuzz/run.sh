#!/bin/bash
# Builds every fuzz target listed below with libFuzzer and runs each for a bounded time.
#   tests/fuzz/run.sh [BUILD_DIR]      (default build/fuzz; FUZZ_SECONDS per target, default 20)
# Targets that run the program against the simulated Windows load the resources of the host
# build (build/host/TolvaneSetup.res, made here when missing).
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build/fuzz}
SECONDS_PER_TARGET=${FUZZ_SECONDS:-20}
JOBS=${JOBS:-2}
CXX=${FUZZ_CXX:-clang++-14}
command -v "$CXX" >/dev/null 2>&1 || CXX=clang++
HOST_BUILD=$ROOT/build/host
HOST_RES=$HOST_BUILD/TolvaneSetup.res

# The program's logic and framework, and the simulated Windows under it (as the host build).
PROGRAM="app/InstallDialog.cpp app/InstallerApp.cpp install/FatalError.cpp
    install/InstallCommand.cpp install/Registration.cpp install/UndoJournal.cpp
    paths/DirectoryCreation.cpp paths/DirectoryPicker.cpp paths/PathRules.cpp payload/Payload.cpp
    settings/InstallerValues.cpp settings/Registry.cpp platform/framework/AppEntry.cpp
    platform/framework/CDialog.cpp platform/framework/CFileDialog.cpp
    platform/framework/CString.cpp platform/framework/CWinApp.cpp
    platform/framework/DataExchange.cpp tools/szdd/Szdd.cpp tests/host/support/InstallerRun.cpp"
PROGRAM=$(echo $PROGRAM)  # one line, for the table below
SIMULATION=$(cd "$ROOT" && echo platform/host/*.cpp)
SIM_INCLUDES=". platform/host app tools/szdd tests/host"

# One line per target: name | sources (relative to the repository) | include directories |
# definitions. Sources under platform/host/ are compiled with TOLVANE_HOST_SIMULATION.
TARGETS=(
    "szdd_expand_fuzz|tests/fuzz/SzddExpandFuzz.cpp tools/szdd/Szdd.cpp|tools/szdd|"
    "ensure_directory_fuzz|tests/fuzz/EnsureDirectoryFuzz.cpp $PROGRAM $SIMULATION|$SIM_INCLUDES|TOLVANE_RES_FILE=\"$HOST_RES\""
)

# Seeds per target, written as files into the target's corpus on the first run.
seed_szdd_expand_fuzz() {
    local dir=$1
    printf 'SZDD\x88\xf0\x27\x33A\x00\x00\x00\x00\x00' >"$dir/header-only"
    printf 'SZDD\x88\xf0\x27\x33A\x00\x0b\x00\x00\x00\x01x\xf0\xf7' >"$dir/run"
    printf 'SZDD\x88\xf0\x27\x33A\x00\x04\x00\x00\x00\x03ab\xee\xf1' >"$dir/spaces"
}

FLAGS=(-std=c++17 -g -O1 -Wall -Wextra -Werror -fsanitize=address,undefined
    -fno-sanitize-recover=undefined)

# An object is rebuilt when it is missing or older than a file its dependency list names.
stale() {
    local object=$1 deps=$1.d file
    [ -f "$object" ] && [ -f "$deps" ] || return 0
    for file in $(sed -e 's/^[^:]*://' -e 's/\\$//' "$deps"); do
        [ "$file" -nt "$object" ] && return 0
    done
    return 1
}

# build_target NAME SOURCES INCLUDES DEFINES: compiles each source into BUILD/obj/NAME, links.
build_target() {
    local name=$1 sources=$2 includes=$3 defines=$4 objects=() args=() s object failed=0
    for i in $includes; do args+=("-I$ROOT/$i"); done
    [ -n "$defines" ] && args+=("-D$defines")
    for s in $sources; do
        object=$BUILD/obj/$name/${s%.cpp}.o
        objects+=("$object")
        stale "$object" || continue
        mkdir -p "$(dirname "$object")"
        local extra=()
        # The simulation's own sources keep the real C runtime names.
        case $s in platform/host/*)
            extra=(-DTOLVANE_HOST_SIMULATION)
            ;;
        esac
        while [ "$(jobs -rp | wc -l)" -ge "$JOBS" ]; do wait -n || failed=1; done
        "$CXX" "${FLAGS[@]}" -fsanitize=fuzzer-no-link "${args[@]}" "${extra[@]}" -MMD \
            -MF "$object.d" -c "$ROOT/$s" -o "$object" &
    done
    while [ "$(jobs -rp | wc -l)" -gt 0 ]; do wait -n || failed=1; done
    wait || failed=1
    [ $failed -eq 0 ] || return 1
    "$CXX" "${FLAGS[@]}" -fsanitize=fuzzer "${objects[@]}" -o "$BUILD/$name"
}

mkdir -p "$BUILD"
if [ ! -f "$HOST_RES" ]; then
    cmake --build "$HOST_BUILD" --target host_resources >/dev/null
fi
status=0
for entry in "${TARGETS[@]}"; do
    IFS='|' read -r name sources includes defines <<<"$entry"
    if ! build_target "$name" "$sources" "$includes" "$defines"; then
        echo "fuzz $name: BUILD FAILED" >&2
        status=1
        continue
    fi

    corpus="$BUILD/$name.corpus"
    if [ ! -d "$corpus" ]; then
        mkdir -p "$corpus"
        if declare -F "seed_$name" >/dev/null; then "seed_$name" "$corpus"; fi
    fi
    log="$BUILD/$name.log"
    if "$BUILD/$name" -max_total_time="$SECONDS_PER_TARGET" -max_len=16384 -rss_limit_mb=2048 \
        -artifact_prefix="$BUILD/$name-" -print_final_stats=1 "$corpus" >"$log" 2>&1; then
        runs=$(grep -o 'Done [0-9]* runs' "$log" | grep -o '[0-9]*' || echo '?')
        cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*' || echo '?')
        echo "fuzz $name: $runs executions in ${SECONDS_PER_TARGET}s, coverage $cov, no failure"
    else
        echo "fuzz $name: FAILED, see $log and $BUILD/$name-*" >&2
        tail -n 30 "$log" >&2
        status=1
    fi
done
exit $status
