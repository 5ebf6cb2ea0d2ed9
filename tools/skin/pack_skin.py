#!/usr/bin/python3
"""The skin packer: writes packed skins, the format the skin component reads.

A packed skin is a 32-bit little-endian unpacked size followed by an LZHUF stream of the skin
archive. The archive is a 16-byte header (version, byte length of the name list, two unused
words), a version block of zeros (0, 256, 80 or 48 bytes for versions 20000, 30000, 40000 and
50000), the entry names each ended by CR LF, one 32-bit size per entry, and the entries' bytes.

LZHUF here: a 4,096-byte ring that starts as 4,036 spaces, matches of 3 to 60 bytes; literals
and match lengths (symbols 0-313) coded by an adaptive Huffman tree whose counts halve when
the root reaches 0x8000; match positions coded as a prefix for their upper six bits and six
plain bits.

  pack_skin.py pack OUT FILE...             pack files (entry name = file name) into OUT
  pack_skin.py archive OUT FILE...          write the unpacked archive instead
  pack_skin.py compress IN OUT [--size N]   LZHUF-pack any bytes (N: the size to state)
Options of pack and archive: --version V (default 50000).
"""

import argparse
import os
import struct
import sys

N = 4096
F = 60
THRESHOLD = 2
N_CHAR = 256 - THRESHOLD + F
T = N_CHAR * 2 - 1
R = T - 1
MAX_FREQ = 0x8000

VERSION_BLOCKS = {20000: 0, 30000: 256, 40000: 80, 50000: 48}


def position_code_tables():
    """Code and length of the prefix of each upper-six-bit value (0-63)."""
    groups = [(32, 0, 0, 3), (16, 1, 3, 4), (8, 4, 11, 5), (4, 12, 23, 6), (2, 24, 47, 7), (1, 48, 63, 8)]
    first_byte = {}
    length = {}
    i = 0
    for per_value, lo, hi, bits in groups:
        for value in range(lo, hi + 1):
            first_byte[value] = i
            length[value] = bits
            i += per_value
    assert i == 256
    return first_byte, length


P_CODE, P_LEN = position_code_tables()


class Tree:
    """The adaptive Huffman tree, updated after every symbol as the decoder updates it."""

    def __init__(self):
        self.freq = [0] * (T + 1)
        self.prnt = [0] * (T + N_CHAR)
        self.son = [0] * T
        for i in range(N_CHAR):
            self.freq[i] = 1
            self.son[i] = i + T
            self.prnt[i + T] = i
        i, j = 0, N_CHAR
        while j <= R:
            self.freq[j] = self.freq[i] + self.freq[i + 1]
            self.son[j] = i
            self.prnt[i] = self.prnt[i + 1] = j
            i += 2
            j += 1
        self.freq[T] = 0xFFFF
        self.prnt[R] = 0

    def reconst(self):
        freq, son, prnt = self.freq, self.son, self.prnt
        j = 0
        for i in range(T):
            if son[i] >= T:
                freq[j] = (freq[i] + 1) // 2
                son[j] = son[i]
                j += 1
        i, n = 0, N_CHAR
        while n < T:
            f = freq[i] + freq[i + 1]
            freq[n] = f
            k = n - 1
            while f < freq[k]:
                k -= 1
            k += 1
            freq[k + 1:n + 1] = freq[k:n]
            son[k + 1:n + 1] = son[k:n]
            freq[k] = f
            son[k] = i
            i += 2
            n += 1
        for i in range(T):
            k = son[i]
            if k >= T:
                prnt[k] = i
            else:
                prnt[k] = prnt[k + 1] = i

    def update(self, c):
        freq, son, prnt = self.freq, self.son, self.prnt
        if freq[R] == MAX_FREQ:
            self.reconst()
        c = prnt[c + T]
        while True:
            freq[c] += 1
            k = freq[c]
            l = c + 1
            if k > freq[l]:
                l += 1
                while k > freq[l]:
                    l += 1
                l -= 1
                freq[c] = freq[l]
                freq[l] = k
                i = son[c]
                prnt[i] = l
                if i < T:
                    prnt[i + 1] = l
                j = son[l]
                son[l] = i
                prnt[j] = c
                if j < T:
                    prnt[j + 1] = c
                son[c] = j
                c = l
            c = prnt[c]
            if c == 0:
                break

    def code(self, c):
        """The bits of symbol c, root first."""
        bits = []
        k = self.prnt[c + T]
        while k != R:
            bits.append(k & 1)
            k = self.prnt[k]
        bits.reverse()
        return bits


class BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.count = 0

    def bits(self, values):
        for b in values:
            self.acc = (self.acc << 1) | b
            self.count += 1
            if self.count == 8:
                self.out.append(self.acc)
                self.acc = 0
                self.count = 0

    def value(self, v, width):
        self.bits([(v >> (width - 1 - i)) & 1 for i in range(width)])

    def finish(self):
        if self.count:
            self.out.append(self.acc << (8 - self.count))
            self.acc = 0
            self.count = 0
        return bytes(self.out)


def find_matches(data):
    """(length, distance) at every position where a match of at least 3 bytes starts, greedy."""
    size = len(data)
    heads = {}
    chain = [-1] * size
    max_chain = 48
    pos = 0
    tokens = []
    while pos < size:
        best_len, best_dist = 0, 0
        if pos + THRESHOLD < size:
            key = data[pos:pos + 3]
            cand = heads.get(key, -1)
            limit = min(F, size - pos)
            tries = 0
            while cand >= 0 and pos - cand < N and tries < max_chain:
                if data[cand + best_len:cand + best_len + 1] == data[pos + best_len:pos + best_len + 1]:
                    n = 3
                    while n < limit and data[cand + n] == data[pos + n]:
                        n += 1
                    if n > best_len:
                        best_len, best_dist = n, pos - cand
                        if n == limit:
                            break
                cand = chain[cand]
                tries += 1
        step = best_len if best_len > THRESHOLD else 1
        tokens.append((best_len, best_dist) if best_len > THRESHOLD else (0, data[pos]))
        for p in range(pos, min(pos + step, size - 2)):
            key = data[p:p + 3]
            chain[p] = heads.get(key, -1)
            heads[key] = p
        pos += step
    return tokens


def lzhuf(data):
    """The LZHUF stream of data (without the size in front)."""
    tree = Tree()
    out = BitWriter()
    for length, value in find_matches(data):
        if length == 0:
            symbol = value
        else:
            symbol = 255 - THRESHOLD + length
        out.bits(tree.code(symbol))
        tree.update(symbol)
        if length:
            # The decoder copies from (r - position - 1) of its ring: distance = position + 1.
            position = value - 1
            upper = position >> 6
            out.value(P_CODE[upper] >> (8 - P_LEN[upper]), P_LEN[upper])
            out.value(position & 0x3F, 6)
    return out.finish()


def packed(data, stated_size=None):
    size = len(data) if stated_size is None else stated_size
    return struct.pack("<I", size) + lzhuf(data)


def archive(entries, version=50000):
    """The archive of (name, bytes) entries in this order."""
    block = VERSION_BLOCKS.get(version, 0)
    names = b"".join(name.encode("utf-8") + b"\r\n" for name, _ in entries)
    out = bytearray(struct.pack("<IIII", version, len(names), 0, 0))
    out += bytes(block)
    out += names
    for _, data in entries:
        out += struct.pack("<I", len(data))
    for _, data in entries:
        out += data
    return bytes(out)


def read_entries(paths):
    entries = []
    for p in paths:
        with open(p, "rb") as f:
            entries.append((os.path.basename(p), f.read()))
    return entries


def main(argv):
    ap = argparse.ArgumentParser(description="Packs skins.")
    sub = ap.add_subparsers(dest="cmd", required=True)
    for name in ("pack", "archive"):
        p = sub.add_parser(name)
        p.add_argument("out")
        p.add_argument("files", nargs="+")
        p.add_argument("--version", type=int, default=50000)
    c = sub.add_parser("compress")
    c.add_argument("input")
    c.add_argument("out")
    c.add_argument("--size", type=int, default=None)
    args = ap.parse_args(argv)
    if args.cmd == "compress":
        with open(args.input, "rb") as f:
            result = packed(f.read(), args.size)
    else:
        body = archive(read_entries(args.files), args.version)
        result = packed(body) if args.cmd == "pack" else body
    with open(args.out, "wb") as f:
        f.write(result)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
