#!/bin/bash
# SZDD codec benchmark: packed sizes against mscompress on a corpus of stripped PE files, expansion
# cost against libmspack (callgrind instructions per expanded byte, and MB/s), packing time.
#   bench/run-szdd.sh [BUILD_DIR]     (default build/bench-szdd)
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build/bench-szdd}
PE_DIR=${PE_DIR:-/usr/lib/x86_64-linux-gnu/wine/x86_64-windows}
# 20 distinct PE files, 15.4 MB once stripped, and one of 1.5 MB.
CORPUS="ole32.dll opengl32.dll oleaut32.dll msvcp90.dll cmd.exe quartz.dll crypt32.dll winecfg.exe
        ucrtbase.dll winmm.dll jscript.dll urlmon.dll d3dx9_43.dll ntdll.dll msvcrt.dll rpcrt4.dll
        gdiplus.dll riched20.dll setupapi.dll gdi32.dll"
LARGE=comctl32.dll

for tool in cmake mscompress valgrind x86_64-w64-mingw32-strip; do
    command -v "$tool" >/dev/null || { echo "run-szdd.sh: $tool is not installed" >&2; exit 1; }
done

cmake -S "$ROOT/bench/szdd" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j2 >/dev/null
PACK=$BUILD/tools/szdd/szddpack
BENCH=$BUILD/szdd_bench

WORK=$BUILD/corpus
mkdir -p "$WORK"
for f in $CORPUS $LARGE; do
    [ -f "$PE_DIR/$f" ] || { echo "run-szdd.sh: $PE_DIR/$f is missing" >&2; exit 1; }
    [ -f "$WORK/$f" ] || x86_64-w64-mingw32-strip -o "$WORK/$f" "$PE_DIR/$f"
done

now() { date +%s.%N; }
row() { printf '| %-50s | %12s | %12s | %-22s | %10s |\n' "$@"; }
pct() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f %%", 100 * a / b }'; }
gain() { awk -v ours="$1" -v base="$2" 'BEGIN { printf "%+.2f %%", 100 * (ours - base) / base }'; }

# Packs with both encoders, checks that ours expands back, prints the row; sets SIZES.
measure() {
    local f=$1 label=$2 orig ours theirs
    "$PACK" compress "$WORK/$f" "$WORK/$f.sz"
    "$PACK" expand "$WORK/$f.sz" "$WORK/$f.back"
    cmp -s "$WORK/$f" "$WORK/$f.back" || { echo "run-szdd.sh: $f does not round-trip" >&2; exit 1; }
    rm -f "$WORK/$f.ms" "$WORK/$f.ms_"
    cp "$WORK/$f" "$WORK/$f.ms"
    mscompress "$WORK/$f.ms"
    orig=$(stat -c %s "$WORK/$f")
    ours=$(stat -c %s "$WORK/$f.sz")
    theirs=$(stat -c %s "$WORK/$f.ms_")
    row "$label" "$(pct "$ours" "$orig")" "$(pct "$theirs" "$orig")" "mscompress" \
        "$(gain "$ours" "$theirs")"
    SIZES="$orig $ours $theirs"
}

row "measure" "ours" "baseline" "baseline is" "difference"
row "--------------------------------------------------" "-----------:" "-----------:" \
    "----------------------" "---------:"
total_orig=0 total_ours=0 total_theirs=0
for f in $CORPUS; do
    measure "$f" "size: $f ($(stat -c %s "$WORK/$f") B)"
    read -r o s t <<<"$SIZES"
    total_orig=$((total_orig + o)) total_ours=$((total_ours + s)) total_theirs=$((total_theirs + t))
done
row "size: the 20 files above ($total_orig B)" "$(pct $total_ours $total_orig)" \
    "$(pct $total_theirs $total_orig)" "mscompress" "$(gain $total_ours $total_theirs)"
measure "$LARGE" "size: $LARGE ($(stat -c %s "$WORK/$LARGE") B)"

# Expansion of the large file, in memory, both decoders given the same packed file (ours).
packed=$WORK/$LARGE.sz
expanded=$(stat -c %s "$WORK/$LARGE")
instr() {
    local mode=$1 fn=$2 out=$BUILD/callgrind.$1
    valgrind --tool=callgrind --toggle-collect="$fn" --callgrind-out-file="$out" \
        "$BENCH" "$mode" "$packed" >/dev/null 2>"$out.log"
    awk -v n="$expanded" '/^totals:/ { printf "%.1f", $2 / n }' "$out"
}
ours_i=$(instr expand-ours BenchExpandOurs)
theirs_i=$(instr expand-mspack BenchExpandMspack)
row "expand $LARGE: instructions/byte (callgrind)" "$ours_i" "$theirs_i" "libmspack, in memory" \
    "$(gain "$ours_i" "$theirs_i")"
read -r ours_mbs theirs_mbs <<<"$("$BENCH" speed "$packed")"
row "expand $LARGE: MB/s (best of 15)" "$ours_mbs" "$theirs_mbs" "libmspack, in memory" \
    "$(gain "$ours_mbs" "$theirs_mbs")"

read -r pack_s _ <<<"$("$BENCH" pack "$WORK/$LARGE")"
cp "$WORK/$LARGE" "$WORK/$LARGE.t"
rm -f "$WORK/$LARGE.t_"
start=$(now)
mscompress "$WORK/$LARGE.t"
ms_s=$(awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }')
row "pack $LARGE: seconds (limit 1 s)" "$pack_s" "$ms_s" "mscompress (greedy)" \
    "$(gain "$pack_s" "$ms_s")"
