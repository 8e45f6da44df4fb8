#!/usr/bin/env python3
"""Writes the host build's payload: a deterministic stand-in program image of about 300 KB,
structured enough to compress like an executable (repeated tables, text, and noise)."""
import struct
import sys

out = bytearray(b"MZ" + bytes(58) + struct.pack("<I", 64) + b"PE\0\0")
seed = 12345
def rand():
    global seed
    seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
    return seed >> 16
for block in range(300):
    kind = block % 3
    if kind == 0:
        out += bytes((i * 7 + block) & 0xFF for i in range(1024))
    elif kind == 1:
        out += (b"Tolvane viewer stand-in table entry %04d " % block) * 20
    else:
        out += bytes(rand() & 0xFF for _ in range(512)) + bytes(512)
with open(sys.argv[1], "wb") as f:
    f.write(out)
