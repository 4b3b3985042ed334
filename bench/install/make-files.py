#!/usr/bin/env python3
"""Writes a deterministic tree of files of mixed sizes for the installation
benchmark: many small files, a few hundred medium ones and some large ones,
in nested folders, each either incompressible, text-like or half of each.

    make-files.py FOLDER MEGABYTES
    make-files.py FOLDER small FILES FOLDERS

The same arguments always give the same bytes. MEGABYTES 0 gives one small
file (the start-up package). "small" gives FILES files of 1 KiB spread
evenly over FOLDERS folders (the per-file cost alone).
"""
import os
import random
import sys

KIB = 1024
MIB = 1024 * KIB
WORDS = ("install package folder archive setup program window value file "
         "version system update shortcut registry user machine local common "
         "data stream block header offset table entry string number").split()


def text_pool(rng, size):
    out = bytearray()
    while len(out) < size:
        line = " ".join(rng.choice(WORDS) for _ in range(rng.randint(4, 14)))
        out += line.encode() + b"\r\n"
    return bytes(out[:size])


def content(rng, pool, kind, size):
    if kind == 0:  # incompressible
        return rng.randbytes(size)
    if kind == 1:  # text-like
        start = rng.randrange(len(pool) - size) if size < len(pool) else 0
        data = pool[start:start + size]
        while len(data) < size:
            data += pool[:size - len(data)]
        return data
    out = bytearray()  # half and half, in 8 KiB runs
    while len(out) < size:
        out += content(rng, pool, len(out) // (8 * KIB) % 2, min(8 * KIB, size - len(out)))
    return bytes(out)


def sizes(rng, total):
    # About a fifth of the bytes in small files, half in medium, the rest large.
    result = []
    small_budget = total // 5
    medium_budget = total // 2
    while small_budget > 0:
        size = min(rng.randint(256, 32 * KIB), small_budget)
        result.append(size)
        small_budget -= size
    while medium_budget > 0:
        size = min(rng.randint(64 * KIB, 1 * MIB), medium_budget)
        result.append(size)
        medium_budget -= size
    rest = total - sum(result)
    while rest > 0:
        size = min(rng.randint(4 * MIB, 12 * MIB), rest)
        result.append(size)
        rest -= size
    rng.shuffle(result)
    return result


def small_files(rng, pool, folder, files, folders):
    for number in range(files):
        sub = os.path.join(folder, "dir%02d" % (number % folders))
        os.makedirs(sub, exist_ok=True)
        name = os.path.join(sub, "file%05d.%s" % (number, ("bin", "txt", "dat")[number % 3]))
        with open(name, "wb") as out:
            out.write(content(rng, pool, number % 3, 1 * KIB))


def main():
    folder = sys.argv[1]
    rng = random.Random(20261209)
    pool = text_pool(rng, 1 * MIB)
    if sys.argv[2] == "small":
        small_files(rng, pool, folder, int(sys.argv[3]), int(sys.argv[4]))
        return
    megabytes = int(sys.argv[2])
    plan = sizes(rng, megabytes * MIB) if megabytes > 0 else [1000]
    for number, size in enumerate(plan):
        sub = os.path.join(folder, "part%02d" % (number % 12), "set%d" % (number % 5))
        os.makedirs(sub, exist_ok=True)
        name = os.path.join(sub, "file%05d.%s" % (number, ("bin", "txt", "dat")[number % 3]))
        with open(name, "wb") as out:
            out.write(content(rng, pool, number % 3, size))


if __name__ == "__main__":
    main()
