#!/usr/bin/env bash
# Runs the host tests once under Valgrind's memcheck, in a build without the sanitizers (the two
# do not mix): build/host-valgrind. Memory errors and definite leaks fail the run.
#   tests/host/run-valgrind.sh [GTEST_FILTER]      (default: every test)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=build/host-valgrind
filter=${1:-*}
log=$build/valgrind.log

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DTOLVANE_SANITIZE=OFF >/dev/null
cmake --build "$build" -j "${JOBS:-2}" --target host_tests >/dev/null

start=$(date +%s)
status=0
valgrind --tool=memcheck --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite \
    --show-leak-kinds=definite --log-file="$log" \
    "$build/tests/host/host_tests" --gtest_filter="$filter" --gtest_brief=1 || status=$?
elapsed=$(( $(date +%s) - start ))
grep -E 'ERROR SUMMARY|definitely lost' "$log" || true
if [ "$status" -ne 0 ]; then
    echo "valgrind: FAILED (exit $status) in ${elapsed}s, see $log" >&2
    exit 1
fi
echo "valgrind: host tests clean in ${elapsed}s"
