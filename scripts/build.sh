#!/usr/bin/env bash
# Builds everything: the host build (tests, tools) in build/host, then TolvaneSetup.exe for
# x86_64 in build/win64 and for i686 in build/win32. Extra arguments go to every configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
# Nothing in the build should depend on the time it runs; fix the clock for any tool that asks.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}
jobs=${JOBS:-2}
mkdir -p build
log=build/build.log

cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Debug "$@" > "$log" 2>&1 || { cat "$log"; exit 1; }
cmake --build build/host -j "$jobs" >> "$log" 2>&1 || { tail -50 "$log"; exit 1; }

packer=$PWD/build/host/tools/szdd/szddpack
for arch in x86_64:win64 i686:win32; do
    toolchain=${arch%%:*}
    dir=build/${arch##*:}
    cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$toolchain.cmake \
        -DCMAKE_BUILD_TYPE=Release -DTOLVANE_PACKER="$packer" "$@" >> "$log" 2>&1 \
        || { tail -50 "$log"; exit 1; }
    cmake --build "$dir" -j "$jobs" >> "$log" 2>&1 || { tail -50 "$log"; exit 1; }
done
echo "build: build/win64/TolvaneSetup.exe build/win32/TolvaneSetup.exe"
