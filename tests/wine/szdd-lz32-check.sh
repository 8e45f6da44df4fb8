#!/bin/bash
# Cross-check of our SZDD packer against LZ32 itself: files packed by szddpack are expanded under
# Wine by its expand.exe (LZOpenFileA + LZCopy) and compared byte for byte with the originals.
#   tests/wine/szdd-lz32-check.sh [SZDDPACK]    (default: builds one from tools/szdd)
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
WINE=${WINE:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-$(command -v wineserver || echo /usr/lib/wine/wineserver)}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

WORK=$(mktemp -d /tmp/szdd-lz32.XXXXXX)
export WINEPREFIX=$WORK/prefix
cleanup() {
    timeout 20 "$WINESERVER" -k >/dev/null 2>&1 || true
    rm -rf "$WORK"
}
trap cleanup EXIT

PACK=${1:-}
if [ -z "$PACK" ]; then
    PACK=$WORK/szddpack
    g++ -std=c++17 -O2 -Wall -Wextra -Werror -I"$ROOT/tools/szdd" "$ROOT/tools/szdd/Szdd.cpp" \
        "$ROOT/tools/szdd/SzddPack.cpp" -o "$PACK"
fi

# Inputs that exercise the format's edges: empty, one byte, leading spaces (matches from the
# pre-filled ring), all byte values, runs, random bytes, a far match at distance 4096, a PE file.
mkdir -p "$WORK/in"
python3 - "$WORK/in" <<'PY'
import os, random, sys
d = sys.argv[1]
rng = random.Random(5)
def put(name, data):
    with open(os.path.join(d, name), "wb") as f:
        f.write(data)
put("empty", b"")
put("one", b"Z")
put("spaces", b" " * 5000 + b"  then text  " * 40)
put("bytes", bytes(range(256)) * 30)
put("zeros", bytes(70000))
put("random", bytes(rng.getrandbits(8) for _ in range(100000)))
far = bytes(rng.getrandbits(8) for _ in range(4096))
put("far", far + far[:18] + far[:100])
PY
for pe in /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/comctl32.dll \
          /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/notepad.exe; do
    if [ -f "$pe" ]; then
        cp "$pe" "$WORK/in/$(basename "$pe")"
        break
    fi
done

timeout 120 "$WINE" wineboot -i >"$WORK/wineboot.log" 2>&1
timeout 60 "$WINESERVER" -w || true

total=0
passed=0
failed=()
for input in "$WORK"/in/*; do
    name=$(basename "$input")
    total=$((total + 1))
    "$PACK" compress "$input" "$WORK/$name.sz"
    rm -f "$WORK/$name.out"
    if timeout 60 "$WINE" expand.exe "Z:${WORK//\//\\}\\$name.sz" "Z:${WORK//\//\\}\\$name.out" \
        >"$WORK/$name.log" 2>&1 && cmp -s "$input" "$WORK/$name.out"; then
        passed=$((passed + 1))
    else
        failed+=("$name")
    fi
done

if [ "$passed" -eq "$total" ]; then
    echo "szdd-lz32-check: $passed of $total packed files expand byte-identical through LZ32 (Wine expand.exe)"
    exit 0
fi
echo "szdd-lz32-check: FAILED, $passed of $total identical; differing: ${failed[*]}"
exit 1
