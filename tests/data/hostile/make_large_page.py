#!/usr/bin/python3
# Writes an honest picture of any size as a PBM (bilevel), PGM (grey) or PPM (colour), for
# libtiff's and netpbm's tools to store in strips and tiles of every height: a disc with a bar
# across it, a diagonal, a frame edge, rows of dashes like lines of text and a block of random
# squares, so that a fax page's rows code every mode of the fax data; grey and colour pictures
# paint the same shapes in tones over a background that darkens row by row. Runs of one value
# keep the LZW and Deflate data small at the program's size cap. Grey with alpha is written
# as an uncompressed TIFF in strips of 16 rows (netpbm's tools drop the alpha), its alpha
# clear over the right quarter of the page, whose grey is what a reader that leaves the alpha
# out shows.
# Usage: make_large_page.py [--grey | --rgb | --grey-alpha] [WIDTH HEIGHT] OUT   (default
# 16,000 x 16,000 bilevel; OUT "-" is standard output)
import math
import random
import struct
import sys

args = sys.argv[1:]
kind = "bilevel"
if args and args[0] in ("--grey", "--rgb", "--grey-alpha"):
    kind = args.pop(0)[2:]
W, H = (int(args[0]), int(args[1])) if len(args) == 3 else (16000, 16000)
out = sys.stdout.buffer if args[-1] == "-" else open(args[-1], "wb")

random.seed(5)
squares = [[random.random() < 0.3 for _ in range(100)] for _ in range(100)]
# Bilevel: 1 is black. Grey and colour: the tone of each shape.
tones = {"grey": [b"\x40", b"\xe0", b"\x10", b"\x90", b"\x00"],
         "grey-alpha": [b"\x40\xff", b"\xe0\xff", b"\x10\xff", b"\x90\xff", b"\x00\xff"],
         "rgb": [b"\xc0\x20\x30", b"\xf0\xe0\x40", b"\x10\x10\x80", b"\x30\xa0\x50", b"\x00\x00\x00"]}.get(kind)
size = {"bilevel": 1, "grey": 1, "rgb": 3, "grey-alpha": 2}[kind]
s = W / 16000  # the shapes are drawn at 16,000 x 16,000 and scaled to the page
t = H / 16000
if kind == "grey-alpha":
    # Little-endian, one directory, then the strips' offsets and counts, then the strips.
    strips = (H + 15) // 16
    tags = [(256, 4, [W]), (257, 4, [H]), (258, 3, [8, 8]), (259, 3, [1]), (262, 3, [1]), (273, 4, None),
            (277, 3, [2]), (278, 4, [16]), (279, 4, [W * 2 * min(16, H - 16 * i) for i in range(strips)]),
            (338, 3, [2])]
    arrays = 8 + 2 + 12 * len(tags) + 4
    offsets_at, counts_at = arrays, arrays + 4 * strips
    data_at = counts_at + 4 * strips
    tags[5] = (273, 4, [data_at + W * 2 * 16 * i for i in range(strips)])
    ifd = struct.pack("<H", len(tags))
    for tag, typ, values in tags:
        packed = b"".join(struct.pack("<H" if typ == 3 else "<I", v) for v in values)
        field = packed.ljust(4, b"\0") if len(packed) <= 4 else struct.pack("<I", offsets_at if tag == 273 else counts_at)
        ifd += struct.pack("<HHI", tag, typ, len(values)) + field
    out.write(b"II*\0" + struct.pack("<I", 8) + ifd + b"\0\0\0\0")
    out.write(b"".join(struct.pack("<I", v) for v in tags[5][2]) + b"".join(struct.pack("<I", v) for v in tags[8][2]))
else:
    header = {"bilevel": b"P4\n%d %d\n", "grey": b"P5\n%d %d\n255\n", "rgb": b"P6\n%d %d\n255\n"}[kind]
    out.write(header % (W, H))
for y in range(H):
    v = y / t  # the row in the drawing's own measure
    runs = []  # (first, end, shape)
    dy = v - 8000
    if abs(dy) < 6000:
        h = int(math.sqrt(6000 ** 2 - dy * dy))
        if 7000 < v < 9000 and h > 5000:
            runs += [(8000 - h, 3001, 0), (13000, 8000 + h, 0)]
        else:
            runs.append((8000 - h, 8000 + h, 0))
    runs.append((max(0, v - 2), v + 3, 1))
    if 100 < v < 15900:
        runs.append((101, 400, 2))
    if v < 3000 and (int(v) // 40) % 7 == 0:
        runs += [(x, x + 26, 4) for x in range(0, 16000, 65)]
    if 12000 <= v < 14000:
        row = squares[(int(v) - 12000) // 20]
        runs += [(1000 + 20 * i, 1020 + 20 * i, 3) for i in range(100) if row[i]]
    if kind == "bilevel":
        bits = bytearray(b"0" * W)
        for a, b, _ in runs:
            a, b = int(a * s), min(int(b * s), W)
            if b > a:
                bits[a:b] = b"1" * (b - a)
        out.write(int(bits, 2).to_bytes((W + 7) // 8, "big"))
        continue
    back = 255 - y * 160 // H
    line = bytearray((bytes([back, 255]) if size == 2 else bytes([back, back, 255 - back // 2][:size])) * W)
    for a, b, shape in runs:
        a, b = int(a * s), min(int(b * s), W)
        if b > a:
            line[a * size:b * size] = tones[shape] * (b - a)
    if size == 2:
        line[W * 3 // 4 * 2 + 1::2] = bytes(W - W * 3 // 4)
    out.write(line)
out.flush()
