#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian machine; does nothing for what is
# already there.
set -euo pipefail

packages=(
    cmake make g++ python3
    mingw-w64
    googletest libgtest-dev
    clang libclang-rt-14-dev valgrind
    libmspack-dev mscompress
    wine wine64 xvfb imagemagick x11-apps x11-utils
    osslsigncode
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "install-deps: installing ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" > /tmp/tolvane-apt.log 2>&1 || {
        tail -20 /tmp/tolvane-apt.log
        exit 1
    }
fi
