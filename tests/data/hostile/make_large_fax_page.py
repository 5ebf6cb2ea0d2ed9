#!/usr/bin/python3
# Writes a bilevel 16,000 x 16,000 picture as a PBM, for libtiff's tools to store as a Group 4
# fax page at the program's size cap: a disc with a white bar across it, a diagonal, a frame
# edge, rows of dashes like lines of text and a block of random squares, so that its rows code
# every mode of the fax data.
# Usage: make_large_fax_page.py OUT.pbm
import math
import random
import sys

W = H = 16000
random.seed(5)
squares = [[random.random() < 0.3 for _ in range(100)] for _ in range(100)]
with open(sys.argv[1], "wb") as out:
    out.write(b"P4\n%d %d\n" % (W, H))
    for y in range(H):
        runs = []
        dy = y - 8000
        if abs(dy) < 6000:
            h = int(math.sqrt(6000 ** 2 - dy * dy))
            if 7000 < y < 9000 and h > 5000:
                runs += [(8000 - h, 3001), (13000, 8000 + h)]
            else:
                runs.append((8000 - h, 8000 + h))
        runs.append((max(0, y - 2), y + 3))
        if 100 < y < 15900:
            runs.append((101, 400))
        if y < 3000 and (y // 40) % 7 == 0:
            runs += [(x, x + 26) for x in range(0, W, 65)]
        if 12000 <= y < 14000:
            row = squares[(y - 12000) // 20]
            runs += [(1000 + 20 * i, 1020 + 20 * i) for i in range(100) if row[i]]
        bits = bytearray(b"0" * W)
        for a, b in runs:
            b = min(b, W)
            if b > a:
                bits[a:b] = b"1" * (b - a)
        out.write(int(bits, 2).to_bytes(W // 8, "big"))
