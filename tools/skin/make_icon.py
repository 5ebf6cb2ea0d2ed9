#!/usr/bin/python3
"""Draws the program's icon in the skin's colours: a photograph in front of another, the
front one showing a hill under the sun.

  make_icon.py FILE   writes FILE as an .ico with 16, 32 and 48 pixel images (32-bit with
                      their AND masks), each drawn for its size rather than scaled
  make_icon.py --png FOLDER   writes the same three images as FOLDER/velmora-<size>.png, the
                      icons that cmake --install puts beside the desktop entry

Everything is drawn from flat colours, as the skin is; what lies outside the two photographs
is transparent.
"""

import struct
import sys
import os
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_skin  # noqa: E402

CLEAR = None
SUN = (242, 178, 52)


def draw(size):
    """The picture at one size: rows of (r, g, b) or CLEAR."""
    px = [[CLEAR] * size for _ in range(size)]
    line = 1 if size < 40 else 2

    def box(x0, y0, x1, y1, fill, edge):
        for y in range(y0, y1):
            for x in range(x0, x1):
                border = x < x0 + line or x >= x1 - line or y < y0 + line or y >= y1 - line
                px[y][x] = edge if border else fill

    def at(f):
        return int(round(f * size))

    # The photograph behind, up and to the right.
    box(at(0.31), at(0.06), size, at(0.69), make_skin.ACCENT_LIGHT, make_skin.LINE_DARK)
    # The one in front: a white border round the picture.
    x0, y0, x1, y1 = 0, at(0.28), at(0.75), at(0.94)
    box(x0, y0, x1, y1, make_skin.WINDOW, make_skin.ACCENT_DARK)
    inset = line + max(1, size // 16)
    px0, py0, px1, py1 = x0 + inset, y0 + inset, x1 - inset, y1 - inset
    for y in range(py0, py1):
        for x in range(px0, px1):
            px[y][x] = make_skin.ACCENT_LIGHT
    # The sun in the upper right of the picture.
    r = max(1.0, (px1 - px0) * 0.13)
    cx, cy = px1 - 1 - r - (px1 - px0) * 0.1, py0 + r + (py1 - py0) * 0.12
    for y in range(py0, py1):
        for x in range(px0, px1):
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                px[y][x] = SUN
    # A hill, its top left of the middle.
    top = py0 + (py1 - py0) * 0.4
    for y in range(py0, py1):
        for x in range(px0, px1):
            t = (x + 0.5 - px0) / max(1, px1 - px0)
            height = 1 - ((t - 0.35) / 0.75) ** 2
            if y + 0.5 >= py1 - (py1 - top) * height:
                px[y][x] = make_skin.ACCENT
    return px


def ico_image(px):
    size = len(px)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for row in reversed(px):
        for p in row:
            colour += bytes((0, 0, 0, 0)) if p is CLEAR else bytes((p[2], p[1], p[0], 255))
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(px):
        bits = bytearray(stride)
        for x, p in enumerate(row):
            if p is CLEAR:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + mask


def ico(sizes):
    images = [ico_image(draw(s)) for s in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(sizes)))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    return bytes(out)


def png(px):
    """8-bit RGBA, unfiltered rows."""
    size = len(px)
    raw = bytearray()
    for row in px:
        raw.append(0)
        for p in row:
            raw += bytes((0, 0, 0, 0)) if p is CLEAR else bytes((p[0], p[1], p[2], 255))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main(argv):
    if len(argv) == 3 and argv[1] == "--png":
        for s in (16, 32, 48):
            with open(os.path.join(argv[2], "velmora-%d.png" % s), "wb") as f:
                f.write(png(draw(s)))
        return
    if len(argv) != 2:
        sys.exit(__doc__)
    with open(argv[1], "wb") as f:
        f.write(ico((16, 32, 48)))


if __name__ == "__main__":
    main(sys.argv)
