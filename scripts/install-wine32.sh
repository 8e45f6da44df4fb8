#!/usr/bin/env bash
# Lets this machine run 32-bit Windows programs under Wine, for the scenarios against the i686
# build: the i386 architecture, wine32:i386 and qemu-user, and qemu-i386 registered with the
# kernel for i386 ELF programs (the kernel cannot execute them itself, so the 32-bit Wine loader
# runs under user-mode emulation). Does nothing for what is already there.
#
# Exits 0 even where the registration is impossible (binfmt_misc cannot be mounted): the 32-bit
# scenarios then find that the loader cannot start and report themselves as skipped. Exits 1 only
# when a package cannot be installed.
set -euo pipefail

sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

updated=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "install-wine32: adding the i386 architecture"
    $sudo_cmd dpkg --add-architecture i386
    $sudo_cmd apt-get update -qq
    updated=1
fi

missing=()
for p in wine32:i386 qemu-user; do
    installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "install-wine32: installing ${missing[*]}"
    [ "$updated" -eq 1 ] || $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" \
        > /tmp/tolvane-apt-wine32.log 2>&1 || {
        tail -20 /tmp/tolvane-apt-wine32.log
        exit 1
    }
fi

binfmt=/proc/sys/fs/binfmt_misc
if [ ! -e "$binfmt/register" ]; then
    $sudo_cmd mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || true
fi
if [ ! -e "$binfmt/register" ]; then
    echo "install-wine32: binfmt_misc cannot be mounted; 32-bit programs will not run here"
    exit 0
fi
if [ ! -e "$binfmt/qemu-i386" ]; then
    # F: the kernel opens the emulator now, so it is found from any mount namespace or root.
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    echo "install-wine32: registering qemu-i386 for i386 programs"
    if ! echo ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386:F" |
        $sudo_cmd tee "$binfmt/register" > /dev/null; then
        echo "install-wine32: the registration was refused; 32-bit programs will not run here"
    fi
fi
