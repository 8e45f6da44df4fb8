#!/bin/sh
# Regenerates the artwork into a temporary directory and fails when it differs from the
# committed files in res/art, so a change to the generator cannot be forgotten in the images.
set -u
here=$(cd "$(dirname "$0")" && pwd)
art="$here/../../res/art"
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT INT TERM

if ! python3 "$here/make_artwork.py" "$tmp"; then
    echo "check_artwork: make_artwork.py failed" >&2
    exit 1
fi

status=0
for generated in "$tmp"/*; do
    name=$(basename "$generated")
    if ! cmp -s "$generated" "$art/$name"; then
        echo "check_artwork: res/art/$name differs from the generator's output" >&2
        status=1
    fi
done
for committed in "$art"/*; do
    name=$(basename "$committed")
    if [ ! -e "$tmp/$name" ]; then
        echo "check_artwork: res/art/$name is not made by the generator" >&2
        status=1
    fi
done
[ "$status" -eq 0 ] && echo "check_artwork: res/art matches the generator"
exit "$status"
