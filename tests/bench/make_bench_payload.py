#!/usr/bin/env python3
"""Writes the bench's 64 MiB payload: deterministic bytes that do not
compress, so no layer below can shortcut the write. Rewrites nothing when
the file is already there with the right size."""
import os
import random
import sys

SIZE = 64 * 1024 * 1024
path = sys.argv[1]
if os.path.exists(path) and os.path.getsize(path) == SIZE:
    sys.exit(0)
os.makedirs(os.path.dirname(path), exist_ok=True)
rng = random.Random(64)
with open(path + ".part", "wb") as out:
    left = SIZE
    while left:
        block = min(left, 1 << 20)
        out.write(rng.randbytes(block))
        left -= block
os.replace(path + ".part", path)
