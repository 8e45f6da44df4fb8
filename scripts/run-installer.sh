#!/usr/bin/env bash
# Runs the installer: installs what the machine lacks, builds, then
#  - with a display ($DISPLAY set): opens build/win64/TolvaneSetup.exe under Wine for you to use,
#    in the persistent prefix build/run-prefix (made on first use, with the test harness's prefix
#    settings); what you install stays there for the next run;
#  - without one: walks one complete installation on a virtual display and saves a screenshot of
#    each step in build/screenshots/ (tests/wine/walkthrough.py).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh

if [ -z "${DISPLAY:-}" ]; then
    exec /usr/bin/python3 tests/wine/walkthrough.py
fi

prefix=$PWD/build/run-prefix
/usr/bin/python3 tests/wine/walkthrough.py --prepare-prefix "$prefix"
mkdir -p "$prefix/drive_c/setup"
cp build/win64/TolvaneSetup.exe "$prefix/drive_c/setup/"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
status=0
# Its current directory on C:, as when started from Explorer; an hour is more than anyone needs.
(cd "$prefix/drive_c/setup" && timeout 3600 /usr/lib/wine/wine64 'C:\setup\TolvaneSetup.exe') \
    || status=$?
timeout 60 /usr/lib/wine/wineserver -w || true
echo "TolvaneSetup.exe ended with exit code $status; the Wine prefix is $prefix"
echo "(the default installation directory is $prefix/drive_c/Program Files/Brindlecot/Tolvane)"
exit "$status"
