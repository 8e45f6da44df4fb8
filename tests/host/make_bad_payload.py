#!/usr/bin/env python3
"""Writes a broken payload for the bad-payload installer builds, from a good SZDD file.
    make_bad_payload.py KIND INPUT OUTPUT
KIND: empty (no bytes), truncated (the first half of INPUT), claims-more / claims-less (the
header's expanded length patched to 0xFFFFFFF0 / 16), mode-b (the mode byte 'B'), copy (INPUT
unchanged, for a payload that is not SZDD at all)."""
import struct
import sys

kind, source, target = sys.argv[1:4]
data = bytearray(open(source, "rb").read())
if kind != "copy" and not data.startswith(b"SZDD\x88\xf0\x27\x33"):
    sys.exit("%s: not an SZDD file" % source)
if kind == "empty":
    data = bytearray()
elif kind == "truncated":
    data = data[: len(data) // 2]
elif kind == "claims-more":
    data[10:14] = struct.pack("<I", 0xFFFFFFF0)
elif kind == "claims-less":
    data[10:14] = struct.pack("<I", 16)
elif kind == "mode-b":
    data[8] = ord("B")
elif kind != "copy":
    sys.exit("unknown kind " + kind)
with open(target, "wb") as f:
    f.write(data)
