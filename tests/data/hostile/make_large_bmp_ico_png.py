#!/usr/bin/python3
# Writes honest large BMPs, icons and PNGs, row by row (never held whole), each with the centres
# of its 16 x 16 blocks as a 160 x 160 PNG of 10 x 10 pixel blocks (NAME-centres.png, or for a
# picture of one row or column 16 pixels along it): what the footprint reads of the picture.
# Usage: make_large_bmp_ico_png.py KIND OUTDIR, KIND one of
#   --bmp      BMPs of 36 and 64 megapixels: 1, 4 and 8 bits with palettes, 16 bits 5-5-5 and
#              5-6-5 (bit fields), 24 bits bottom-up and top-down, 32 bits, RLE8 and RLE4
#   --bmp-cap  the same kinds at the size cap (16,384 x 16,384) but 5-5-5 and top-down
#   --ico      icons of one entry: PNGs of RGB (6,000 a side), RGBA (4,000), one colour (11,585)
#              and at the cap; DIBs of 32 bits with alpha (4,000) and 24 bits with a mask (8,000)
#   --png-cap  PNGs of 16-bit grey and of 16-bit RGBA interlaced at the cap, files past 64 MiB
# BMPs are checked by Pillow's decode, icons by Pillow's decode shown on white; the PNGs' centres
# come from the pictures' own values (Pillow makes 16-bit grey into levels it cuts at 255).
import os
import struct
import sys
import warnings
import zlib

import numpy as np
from PIL import Image

Image.MAX_IMAGE_PIXELS = None
# A large entry stated as 0 (256) in the directory is its own size: no warning for that.
warnings.simplefilter("ignore")
BLOCKS = 16


def rgb_rows(w, h, bottom_up=False):
    """The picture a row at a time (from the top, or from the bottom): smooth gradients with a
    solid core in the middle of each block (a sampling near a block's centre sees the core's
    colour)."""
    x = np.arange(w, dtype=np.int64)
    i = x * BLOCKS // w
    x0, x1 = i * w // BLOCKS, (i + 1) * w // BLOCKS
    core_x = (x >= x0 + (x1 - x0) // 3) & (x <= x1 - (x1 - x0) // 3)
    base = np.empty((w, 3), np.uint8)
    for y in (range(h - 1, -1, -1) if bottom_up else range(h)):
        j = y * BLOCKS // h
        y0, y1 = j * h // BLOCKS, (j + 1) * h // BLOCKS
        base[:, 0] = x * 255 // max(1, w - 1)
        base[:, 1] = y * 255 // max(1, h - 1)
        base[:, 2] = (x + y) * 255 // max(1, w + h - 2)
        if y0 + (y1 - y0) // 3 <= y <= y1 - (y1 - y0) // 3:
            core = np.stack([(37 * i + 11 * j) % 256, (91 * j + 5 * i * i) % 256, (13 * i * j + 60) % 256], 1)
            base[core_x] = core[core_x]
        yield y, base


def centre_points(n):
    return [(2 * k + 1) * n // (2 * BLOCKS) for k in range(BLOCKS)]


def save_centres(path, colours, w, h):
    """colours[j][i]: the picture at block (i, j)'s centre, as 8-bit RGB."""
    if w > 1 and h > 1:
        im = Image.new("RGB", (BLOCKS, BLOCKS))
        for j in range(BLOCKS):
            for i in range(BLOCKS):
                im.putpixel((i, j), tuple(colours[j][i]))
        im = im.resize((10 * BLOCKS, 10 * BLOCKS), Image.NEAREST)
    else:
        # A picture of one row or column: its 16 samples along it.
        line = [tuple(colours[0][k]) if h == 1 else tuple(colours[k][0]) for k in range(BLOCKS)]
        im = Image.new("RGB", (BLOCKS, 1) if h == 1 else (1, BLOCKS))
        for k, c in enumerate(line):
            im.putpixel((k, 0) if h == 1 else (0, k), c)
    im.save(path[:-4] + "-centres.png")


def widened(c, bits):
    """A colour component Pillow scaled from `bits` bits (v * 255 // top) widened as the bitmap
    reads it, its bits repeated."""
    top = (1 << bits) - 1
    v = (c * top + 127) // 255
    return (v << (8 - bits)) | (v >> (2 * bits - 8))


def pillow_centres(path, on_white=False, bits=None):
    """Pillow's decode at the block centres; bits: a 16-bit BMP's bits of red, green and blue."""
    im = Image.open(path)
    if path.endswith(".ico"):
        im = im.ico.getimage(im.ico.sizes().pop())
    small = im.convert("RGBA").resize((BLOCKS, BLOCKS), Image.NEAREST)
    colours = [[None] * BLOCKS for _ in range(BLOCKS)]
    for j in range(BLOCKS):
        for i in range(BLOCKS):
            r, g, b, a = small.getpixel((i, j))
            a = a if on_white else 255
            colours[j][i] = [(c * a + 255 * (255 - a) + 127) // 255 for c in (r, g, b)]
            if bits:
                colours[j][i] = [widened(c, n) for c, n in zip(colours[j][i], bits)]
    save_centres(path, colours, 2, 2)


# ---- BMP ----

def palette_of(bpp):
    if bpp == 1:
        return [(0, 0, 0), (255, 255, 255)]
    if bpp == 4:
        return [((k >> 3) * 255, ((k >> 1) & 3) * 85, (k & 1) * 255) for k in range(16)]
    return [((k >> 5) * 255 // 7, ((k >> 2) & 7) * 255 // 7, (k & 3) * 85) for k in range(256)]


def indexes(rgb, bpp):
    r, g, b = (rgb[:, c].astype(np.int64) for c in range(3))
    if bpp == 1:
        return ((r + g + b) > 384).astype(np.uint8)
    if bpp == 4:
        return ((r >> 7) << 3 | (g >> 6) << 1 | (b >> 7)).astype(np.uint8)
    return ((r >> 5) << 5 | (g >> 5) << 2 | (b >> 6)).astype(np.uint8)


def runs(values, bpp):
    """A row of indexes as run-length codes and its end of line."""
    out = bytearray()
    n = len(values)
    starts = np.flatnonzero(np.diff(values)) + 1
    edges = np.concatenate(([0], starts, [n]))
    for a, b in zip(edges[:-1], edges[1:]):
        v = int(values[a])
        while a < b:
            k = int(min(255, b - a))
            out += bytes([k, v if bpp == 8 else (v << 4 | v)])
            a += k
    return bytes(out) + b"\0\0"


def write_bmp(path, w, h, kind):
    bpp = {"1": 1, "4": 4, "8": 8, "rle8": 8, "rle4": 4, "555": 16, "565": 16, "24": 24, "24td": 24, "32": 32}[kind]
    compression = {"rle8": 1, "rle4": 2, "565": 3}.get(kind, 0)
    palette = palette_of(bpp) if bpp <= 8 else []
    masks = struct.pack("<III", 0xF800, 0x07E0, 0x1F) if kind == "565" else b""
    offset = 14 + 40 + len(masks) + 4 * len(palette)
    stride = (w * bpp + 31) // 32 * 4
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 0, 0, 0, offset))
        f.write(struct.pack("<IiiHHIIiiII", 40, w, -h if kind == "24td" else h, 1, bpp, compression, 0, 2835, 2835,
                            len(palette), 0))
        f.write(masks + b"".join(struct.pack("<BBBB", c[2], c[1], c[0], 0) for c in palette))
        for y, rgb in rgb_rows(w, h, bottom_up=kind != "24td"):
            if compression in (1, 2):
                data = runs(indexes(rgb, bpp), bpp)
            elif bpp <= 8:
                v = indexes(rgb, bpp)
                data = np.packbits(v).tobytes() if bpp == 1 else (
                    v.tobytes() if bpp == 8 else ((np.append(v, 0)[0:len(v) + (len(v) & 1):2] << 4) |
                                                  np.append(v, 0)[1:len(v) + 1:2]).astype(np.uint8).tobytes())
            elif bpp == 16:
                c = rgb.astype(np.uint16)
                v = (c[:, 0] >> 3) << 11 | (c[:, 1] >> 2) << 5 | c[:, 2] >> 3 if kind == "565" else \
                    (c[:, 0] >> 3) << 10 | (c[:, 1] >> 3) << 5 | c[:, 2] >> 3
                data = v.astype("<u2").tobytes()
            elif bpp == 24:
                data = rgb[:, ::-1].tobytes()
            else:
                data = np.hstack([rgb[:, ::-1], np.full((w, 1), 255, np.uint8)]).tobytes()
            f.write(data.ljust(stride, b"\0") if compression == 0 else data)
        if compression in (1, 2):
            f.write(b"\0\1")
        size = f.tell()
        f.seek(2)
        f.write(struct.pack("<I", size))
    pillow_centres(path, bits=(5, 6, 5) if kind == "565" else (5, 5, 5) if kind == "555" else None)


# ---- icons ----

def png_bytes(w, h, colour_type, depth, rows, interlaced=False, level=6):
    """A PNG of the rows rows(y) gives (bytes without filter), written a row at a time."""
    out = [b"\x89PNG\r\n\x1a\n"]

    def chunk(t, d):
        out.append(struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xFFFFFFFF))

    chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, depth, colour_type, 0, 0, 1 if interlaced else 0))
    z = zlib.compressobj(level)
    data = bytearray()
    for y in range(h):
        data += z.compress(b"\0" + rows(y))
        if len(data) > 1 << 20:
            chunk(b"IDAT", bytes(data))
            data.clear()
    data += z.flush()
    chunk(b"IDAT", bytes(data))
    chunk(b"IEND", b"")
    return b"".join(out)


def icon(path, entry, w, h, bpp):
    """An icon of one entry: its bytes, or a function that writes them and answers how many."""
    with open(path, "wb") as f:
        f.write(b"\0" * 22)
        size = entry(f) if callable(entry) else f.write(entry)
        f.seek(0)
        f.write(struct.pack("<HHHBBBBHHII", 0, 1, 1, w % 256, h % 256, 0, 0, 1, bpp, size, 22))
    pillow_centres(path, on_white=True)


def rgb_picture_rows(w, h):
    rows = rgb_rows(w, h)
    return lambda y: next(rows)[1].tobytes()


def rgba_picture_rows(w, h):
    rows = rgb_rows(w, h)
    x = np.arange(w, dtype=np.int64)

    def row(y):
        _, rgb = next(rows)
        a = (255 - (x + y) * 200 // (w + h)).astype(np.uint8)
        return np.hstack([rgb, a[:, None]]).tobytes()
    return row


def dib_entry(w, h, bpp):
    """A DIB entry of the picture, bottom-up: 32 bits with falling coverage, or 24 bits with a
    mask that clears every block's top left corner."""
    stride, mstride = (w * bpp + 31) // 32 * 4, (w + 31) // 32 * 4
    x = np.arange(w, dtype=np.int64)

    def write(f):
        f.write(struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, bpp, 0, 0, 0, 0, 0, 0))
        for y, rgb in rgb_rows(w, h, bottom_up=True):
            bgr = rgb[:, ::-1]
            if bpp == 32:
                a = (255 - (x + y) * 200 // (w + h)).astype(np.uint8)
                f.write(np.hstack([bgr, a[:, None]]).tobytes())
            else:
                f.write(bgr.tobytes().ljust(stride, b"\0"))
        for y in range(h - 1, -1, -1):
            clear = ((x % (w // BLOCKS)) < w // BLOCKS // 4) & ((y % (h // BLOCKS)) < h // BLOCKS // 4)
            f.write(np.packbits(clear.astype(np.uint8)).tobytes().ljust(mstride, b"\0"))
        return 40 + (stride + mstride) * h
    return write


# ---- PNGs at the cap, and thin ones ----

def centres_of_rows(path, w, h, colour):
    """Centres taken from the pictures' own values: colour(y, xs) gives the 8-bit RGB of row y at
    columns xs."""
    xs = np.array(centre_points(w), dtype=np.int64)
    colours = [[list(c) for c in colour(y, xs)] for y in centre_points(h)]
    save_centres(path, colours, w, h)


def write_png_stream(path, w, h, colour_type, depth, row_bytes, interlaced=False):
    """Streams a PNG: row_bytes(y, xs) gives the samples of row y at columns xs."""
    with open(path, "wb") as f:
        def chunk(t, d):
            f.write(struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xFFFFFFFF))
        f.write(b"\x89PNG\r\n\x1a\n")
        chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, depth, colour_type, 0, 0, 1 if interlaced else 0))
        z = zlib.compressobj(1)
        data = bytearray()
        passes = [(0, 0, 8, 8), (0, 4, 8, 8), (4, 0, 8, 4), (0, 2, 4, 4), (2, 0, 4, 2), (0, 1, 2, 2), (1, 0, 2, 1)] \
            if interlaced else [(0, 0, 1, 1)]
        if w == 1 and not interlaced:
            # Rows of one sample, many at a time.
            for y in range(0, h, 1 << 22):
                n = min(1 << 22, h - y)
                block = np.zeros((n, 2), np.uint8)
                block[:, 1] = np.frombuffer(row_bytes(np.arange(y, y + n, dtype=np.int64), np.zeros(1, np.int64)),
                                            np.uint8)
                data += z.compress(block.tobytes())
                if len(data) >= 1 << 20:
                    chunk(b"IDAT", bytes(data))
                    data.clear()
            passes = []
        for y0, x0, ystep, xstep in passes:
            xs = np.arange(x0, w, xstep, dtype=np.int64)
            if len(xs) == 0:
                continue
            for y in range(y0, h, ystep):
                data += z.compress(b"\0")
                for k in range(0, len(xs), 1 << 24):
                    data += z.compress(row_bytes(y, xs[k:k + (1 << 24)]))
                if len(data) >= 1 << 20:
                    chunk(b"IDAT", bytes(data))
                    data.clear()
        data += z.flush()
        chunk(b"IDAT", bytes(data))
        chunk(b"IEND", b"")


def grey16(w, h):
    """16-bit grey: the green of the picture in the high bytes, noise in the low ones."""
    rng = np.random.default_rng(7)

    def level(y, xs):
        return (xs * 255 // max(1, w - 1) + y * 255 // max(1, h - 1)) // 2

    def row(y, xs):
        v = level(y, xs).astype(np.uint16) << 8 | rng.integers(0, 256, len(xs), dtype=np.uint16)
        return v.astype(">u2").tobytes()
    return row, lambda y, xs: np.repeat(level(y, xs).astype(np.uint8)[:, None], 3, 1)


def rgba16(w, h):
    """16-bit RGBA: the picture in the high bytes of the colours (low bytes as high), falling
    coverage with a noisy low byte."""
    rng = np.random.default_rng(9)

    def colour(y, xs):
        return np.stack([xs * 255 // (w - 1), np.full(len(xs), y * 255 // (h - 1)), (xs + y) * 255 // (w + h - 2)], 1)

    def row(y, xs):
        c = colour(y, xs).astype(np.uint16) * 257
        a = (255 - (xs + y) * 200 // (w + h)).astype(np.uint16) << 8 | rng.integers(0, 256, len(xs), dtype=np.uint16)
        return np.hstack([c, a[:, None]]).astype(">u2").tobytes()
    return row, lambda y, xs: colour(y, xs).astype(np.uint8)


def main():
    kind, out = sys.argv[1], sys.argv[2]
    path = lambda name: os.path.join(out, name)
    if kind in ("--bmp", "--bmp-cap"):
        kinds = ["1", "4", "8", "555", "565", "24", "24td", "32", "rle8", "rle4"]
        sides = [6000, 8000] if kind == "--bmp" else [16384]
        for side in sides:
            for k in kinds:
                if side == 16384 and k in ("555", "24td"):
                    continue
                write_bmp(path("bmp%s-%d.bmp" % (k, side)), side, side, k)
    elif kind == "--ico":
        for name, w, rows, ct in (("rgb", 6000, rgb_picture_rows, 2), ("rgba", 4000, rgba_picture_rows, 6),
                                  ("rgb", 16384, rgb_picture_rows, 2)):
            icon(path("ico-png-%s-%d.ico" % (name, w)), png_bytes(w, w, ct, 8, rows(w, w)), w, w, 32)
        solid = bytes([40, 160, 220]) * 11585
        icon(path("ico-png-solid-11585.ico"), png_bytes(11585, 11585, 2, 8, lambda y: solid, level=9), 11585, 11585, 24)
        icon(path("ico-dib32-4000.ico"), dib_entry(4000, 4000, 32), 4000, 4000, 32)
        icon(path("ico-dib24-8000.ico"), dib_entry(8000, 8000, 24), 8000, 8000, 24)
    elif kind == "--png-cap":
        for name, make, ct, interlaced in (("png-grey16-16384.png", grey16, 0, False),
                                           ("png-rgba16-adam7-16384.png", rgba16, 6, True)):
            row, rgb = make(16384, 16384)
            write_png_stream(path(name), 16384, 16384, ct, 16, row, interlaced)
            centres_of_rows(path(name), 16384, 16384, rgb)


if __name__ == "__main__":
    main()
