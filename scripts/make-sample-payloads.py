#!/usr/bin/env python3
"""Writes the deterministic sample payloads used when no real ones are given.

system.xp3:     1,359,819 bytes: the XP3 signature, a marker text saying this
                is a sample, then bytes from a fixed linear congruential
                sequence (the same on every machine).
system.xp3.sig: 114 bytes of text, also marked as a sample.
"""
import sys, os
from payload_files import write_if_changed

XP3_SIZE = 1359819
SIG_SIZE = 114
XP3_SIGNATURE = b"XP3\r\n \n\x1a\x8b\x67\x01"

def sample_xp3():
    marker = b"\x00SAMPLE PAYLOAD - NOT A REAL ARCHIVE. Build with PAYLOAD_DIR=dir to embed the real system.xp3.\x00"
    head = XP3_SIGNATURE + marker
    out = bytearray(head)
    x = 20240611
    while len(out) < XP3_SIZE:
        x = (x * 1103515245 + 12345) & 0x7FFFFFFF
        out.append((x >> 16) & 0xFF)
    return bytes(out[:XP3_SIZE])

def sample_sig():
    text = b"SAMPLE SIGNATURE - NOT A REAL SIGNATURE of system.xp3. Build with PAYLOAD_DIR=dir to embed the real one."
    text = text.ljust(SIG_SIZE - 1, b".") + b"\n"
    assert len(text) == SIG_SIZE
    return text


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-sample-payloads.py OUTDIR")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_if_changed(os.path.join(out, "system.xp3"), sample_xp3())
    write_if_changed(os.path.join(out, "system.xp3.sig"), sample_sig())

if __name__ == "__main__":
    main()
