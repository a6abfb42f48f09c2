#!/usr/bin/env python3
"""Writes the payloads that only the copier tests embed.

empty.bin      0 bytes
small57.bin    57 bytes (fewer than 100: one byte per chunk)
large.bin      45,000,000 bytes: written * 100 no longer fits 32 bits
               once 42,949,673 bytes are written, so the last reports show
               whether the percentage is computed wide enough
odd_names.res  a compiled resource file with names the resource compiler
               cannot spell: type "A%B" name "C", and type "データ" name "ソ表"

Files are rewritten only when their bytes change, so builds stay incremental.
"""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from payload_files import write_if_changed  # noqa: E402

LARGE_SIZE = 45000000


def pattern(size, seed):
    # A period of 65,521 bytes (a prime), so no chunk boundary lines up with
    # it and a misplaced chunk shows in a byte comparison.
    period = bytes(((i * 131 + seed) ^ (i >> 8)) & 0xFF for i in range(65521))
    return (period * (size // len(period) + 1))[:size]


def res_entry(type_name, name, data, language=0x0411):
    def text(s):
        return s.encode("utf-16-le") + b"\0\0"
    header = text(type_name) + text(name)
    while (8 + len(header)) % 4:
        header += b"\0"
    # data version, memory flags (moveable, pure), language, version, characteristics
    header += struct.pack("<IHHII", 0, 0x30, language, 0, 0)
    entry = struct.pack("<II", len(data), 8 + len(header)) + header + data
    while len(entry) % 4:
        entry += b"\0"
    return entry


def odd_names():
    # A .res file starts with an empty entry of type 0 and name 0.
    first = struct.pack("<II", 0, 32) + struct.pack("<HHHH", 0xFFFF, 0, 0xFFFF, 0) \
        + struct.pack("<IHHII", 0, 0, 0, 0, 0)
    return first + res_entry("A%B", "C", b"type A%B, name C") \
        + res_entry("データ", "ソ表", b"type and name in Japanese")


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_test_payloads.py OUTDIR")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_if_changed(os.path.join(out, "empty.bin"), b"")
    write_if_changed(os.path.join(out, "small57.bin"), pattern(57, 57))
    write_if_changed(os.path.join(out, "large.bin"), pattern(LARGE_SIZE, 3))
    write_if_changed(os.path.join(out, "odd_names.res"), odd_names())


if __name__ == "__main__":
    main()
