#!/usr/bin/env bash
# Builds the installer once more from the same sources into a fresh directory, for x86_64 and
# i686, and compares the result byte for byte with the build of scripts/build.sh (build/win64,
# build/win32): the installer, the viewer it embeds, the packed payload and the compiled
# resources. Prints one line per artifact; exits 1 when any differs. Extra arguments go to the
# configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}
jobs=${JOBS:-2}
packer=$PWD/build/host/tools/szdd/szddpack
[ -x "$packer" ] || { echo "no packer at $packer: run scripts/build.sh first" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-repro.XXXXXX")
trap 'rm -rf "$work"' EXIT

build() { # build DIR TOOLCHAIN
    cmake -S . -B "$1" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$2.cmake -DCMAKE_BUILD_TYPE=Release \
        -DTOLVANE_PACKER="$packer" "${@:3}" > "$1.log" 2>&1 \
        && cmake --build "$1" -j "$jobs" --target TolvaneSetup >> "$1.log" 2>&1 \
        || { tail -30 "$1.log"; return 1; }
}

status=0
for arch in x86_64:win64 i686:win32; do
    toolchain=${arch%%:*}
    build "$work/$toolchain-b" "$toolchain" "$@"
    for artifact in TolvaneSetup.exe viewer/Tolvane.exe payload/Tolvane.ex_ TolvaneSetup.res.o; do
        a=build/${arch##*:}/$artifact
        b=$work/$toolchain-b/$artifact
        if cmp -s "$a" "$b"; then
            echo "same      $toolchain $artifact $(stat -c %s "$a") bytes sha256 $(sha256sum < "$a" | cut -c1-64)"
        else
            echo "DIFFERENT $toolchain $artifact: $(cmp "$a" "$b" 2>&1 | head -1)"
            status=1
        fi
    done
done
exit $status
