#!/usr/bin/env python3
"""Writes the payload folder of the slow installer build.

OUTDIR/system.xp3      67,108,864 bytes (64 MiB): the XP3 signature, then a
                       pattern, so one copy takes long enough to be caught
                       half done
OUTDIR/system.xp3.sig  a copy of SIG (the installer's own signature payload)

Files are rewritten only when their bytes change, so builds stay incremental.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from payload_files import write_if_changed  # noqa: E402

SIZE = 64 * 1024 * 1024
XP3_SIGNATURE = b"XP3\r\n \n\x1a\x8bg\x01"


def archive():
    period = bytes((i * 167 + 11) & 0xFF for i in range(65521))
    body = period * (SIZE // len(period) + 1)
    return (XP3_SIGNATURE + body)[:SIZE]


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_big_archive.py OUTDIR SIG")
    out, sig = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    write_if_changed(os.path.join(out, "system.xp3"), archive())
    with open(sig, "rb") as f:
        write_if_changed(os.path.join(out, "system.xp3.sig"), f.read())


if __name__ == "__main__":
    main()
