#!/bin/bash
# Wine benchmark of the installer's start-up, installation and outcome latency against their
# baselines (bench/wine-startup.py); builds first when the Windows build is missing.
#   bench/run-wine.sh [--runs N]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
[ -f "$ROOT/build/win64/TolvaneSetupTestViewer.exe" ] || "$ROOT/scripts/build.sh"
exec timeout 1800 /usr/bin/python3 "$ROOT/bench/wine-startup.py" "$@"
