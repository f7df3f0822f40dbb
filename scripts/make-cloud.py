#!/usr/bin/env python3
"""Writes a cloud of 60 taons at rest, spread uniformly over [-SPREAD, SPREAD]
on each axis (seed 7), as one 3776-byte ensemble record: 80-bit little-endian
reals, structure of arrays, occupancy bytes at 3712.

Usage: scripts/make-cloud.py OUT.tvx SPREAD
"""
import math
import random
import sys


def ext(v):
    if v == 0:
        return bytes(10)
    m, e = math.frexp(abs(v))
    return int(m * 2**64).to_bytes(8, "little") + (((v < 0) << 15) | (e - 1 + 16383)).to_bytes(2, "little")


def main():
    out, spread = sys.argv[1], float(sys.argv[2])
    random.seed(7)
    params = [0.001, 1, 2.718, 5, 10, 20, 1, 2.718, 5, 10, 20]
    record = b"".join(ext(p) for p in params) + bytes(2)
    coords = [[random.uniform(-spread, spread) for _ in range(60)] for _ in range(3)]
    for axis in coords:
        record += b"".join(ext(v) for v in axis)
    record += bytes(600 * 3) + bytes([1] * 60) + bytes(4)
    assert len(record) == 3776
    with open(out, "wb") as f:
        f.write(record)


if __name__ == "__main__":
    main()
