#!/usr/bin/python3
# Writes the small GIF and TIFF files of this folder whose headers claim pictures far larger
# than their data: a screen or a tile of hundreds of megapixels over a few bytes. Each must cost
# no more than one picture the program accepts, and end quickly.
# With --twins it writes instead two GIFs of one 16,000 x 16,000 picture (white, its lower
# half red): one frame, and the same frame after 16 one-pixel white frames. With --large it
# writes instead the crafted files too large to keep here (megabytes of tile offsets).
# Usage: make_claimed_pictures.py [--twins | --large] OUTDIR
import os
import struct
import sys

twins = sys.argv[1] == "--twins"
large = sys.argv[1] == "--large"
out = sys.argv[-1]


def write(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


# ---------------------------------------------------------------- GIF

def lzw_codes(codes, min_size):
    """Packs GIF LZW codes least significant bit first; the code width grows as a decoder's
    table does (no code here ever fills it past the first width step it reaches)."""
    width = min_size + 1
    clear = 1 << min_size
    next_code = clear + 2
    acc = bits = 0
    out = bytearray()
    previous = None
    for c in codes:
        acc |= c << bits
        bits += width
        while bits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            bits -= 8
        if c == clear:
            width, next_code, previous = min_size + 1, clear + 2, None
            continue
        if c == clear + 1:
            continue
        if previous is not None:
            next_code += 1
            if next_code == (1 << width) and width < 12:
                width += 1
        previous = c
    if bits:
        out.append(acc & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        piece = data[i:i + 255]
        out += bytes([len(piece)]) + piece
    return bytes(out) + b"\0"


def gif_frame(left, top, w, h, indexes_codes, min_size=2, interlaced=False):
    return (b"," + struct.pack("<HHHHB", left, top, w, h, 0x40 if interlaced else 0) + bytes([min_size]) +
            sub_blocks(lzw_codes(indexes_codes, min_size)))


def gif(screen_w, screen_h, frames):
    # Two colours: white (0) and red (1).
    return (b"GIF89a" + struct.pack("<HHBBB", screen_w, screen_h, 0x80, 0, 0) + b"\xff\xff\xff\xff\x00\x00" +
            b"".join(frames) + b";")


def one_pixel(left, top, index):
    return gif_frame(left, top, 1, 1, [4, index, 5])


def run_codes(count, index, min_size=2):
    """LZW codes of `count` pixels of one index: after the first pixel each code names the next
    entry the table is about to learn, one pixel longer than the last (clear+2 is two pixels,
    clear+3 three ...); a clear starts over before the table fills."""
    clear = 1 << min_size
    codes = [clear, index]
    next_code = clear + 2  # the code the decoder assigns after the next code
    left = count - 1
    run = 2
    while left > 0:
        if run > left or next_code >= 4094:
            codes += [clear, index]
            next_code = clear + 2
            left -= 1
            run = 2
            continue
        codes.append(next_code)
        next_code += 1
        left -= run
        run += 1
    codes.append(clear + 1)
    return codes


if twins:
    side, band = 16000, 8000
    red = gif_frame(0, side - band, side, band, run_codes(side * band, 1))
    write("one-frame.gif", gif(side, side, [red]))
    write("seventeen-frames.gif", gif(side, side, [one_pixel(i, 0, 0) for i in range(16)] + [red]))
    sys.exit(0)

if not large:
    # A 16,000 x 16,000 screen with 17 one-pixel frames: painted whole it costs the screen twice.
    write("gif-16000-square-17-frames.gif",
          gif(16000, 16000, [one_pixel(i * 900, i * 900, i % 2) for i in range(17)]))
    # The same screen with thousands of frames as large as the screen, each a few bytes of data
    # (one red pixel, the rest left as the screen is), plain and interlaced.
    full = lambda interlaced: gif_frame(0, 0, 16000, 16000, [4, 1, 5], interlaced=interlaced)
    write("gif-16000-square-4000-full-frames.gif", gif(16000, 16000, [full(False)] * 4000))
    write("gif-16000-square-1000-interlaced-frames.gif", gif(16000, 16000, [full(True)] * 1000))
    write("gif-16000-square-300-interlaced-frames.gif", gif(16000, 16000, [full(True)] * 300))


# ---------------------------------------------------------------- TIFF

def tiff(entries, data):
    """A little-endian TIFF of one directory; entries are (tag, type, values) with values a
    list of integers; the data follow the directory and the strip or tile offsets (given as the
    string "data") point at them."""
    head = 8
    count = len(entries)
    ifd_size = 2 + 12 * count + 4
    extra = bytearray()
    extra_at = head + ifd_size
    body = bytearray(struct.pack("<H", count))
    data_at = None
    for tag, typ, values in sorted(entries):
        size = {3: 2, 4: 4}[typ]
        if values == "data":
            values = [0]
            is_data = True
        else:
            is_data = False
        packed = b"".join(struct.pack("<H" if size == 2 else "<I", v) for v in values)
        if len(packed) <= 4:
            field = packed.ljust(4, b"\0")
        else:
            field = struct.pack("<I", extra_at + len(extra))
            extra += packed
        body += struct.pack("<HHI", tag, typ, len(values)) + field
        if is_data:
            data_at = len(body) - 4
    body += b"\0\0\0\0"
    data_offset = head + len(body) + len(extra)
    if data_at is not None:
        body[data_at:data_at + 4] = struct.pack("<I", data_offset)
    return b"II*\0" + struct.pack("<I", head) + bytes(body) + bytes(extra) + data


def tiff_lzw_codes(codes):
    """TIFF LZW: most significant bit first, the width growing one code early."""
    width = 9
    next_code = 258
    acc = bits = 0
    out = bytearray()
    previous = None
    for c in codes:
        acc = (acc << width) | c
        bits += width
        while bits >= 8:
            out.append((acc >> (bits - 8)) & 0xFF)
            bits -= 8
        acc &= (1 << bits) - 1
        if c == 256:
            width, next_code, previous = 9, 258, None
            continue
        if previous is not None:
            next_code += 1
            if next_code + 1 >= (1 << width) and width < 12:
                width += 1
        previous = c
    if bits:
        out.append((acc << (8 - bits)) & 0xFF)
    return bytes(out)


SHORT, LONG = 3, 4
lzw_black = tiff_lzw_codes([256, 0, 0, 0, 257])


def page(width, height, bits, samples, photometric, compression, extra):
    return [(256, LONG, [width]), (257, LONG, [height]), (258, SHORT, [bits] * samples),
            (259, SHORT, [compression]), (262, SHORT, [photometric]), (277, SHORT, [samples])] + extra


def tiled(tile_w, tile_h, tiles, data_size):
    offsets = "data" if tiles == 1 else None
    return [(322, LONG, [tile_w]), (323, LONG, [tile_h]), (324, LONG, offsets or [0] * tiles),
            (325, LONG, [data_size] * tiles)]


def pieces_at_data(entries, data, pieces, offsets_tag=324):
    """All strips or tiles point at the same data, written after the directory."""
    blob = tiff(entries, data)
    # The data are the last len(data) bytes; point every offset there.
    at = len(blob) - len(data)
    fixed = [(t, ty, [at] * pieces if t == offsets_tag else v) for t, ty, v in entries]
    blob = tiff(fixed, data)
    assert len(blob) - len(data) == at
    return blob


def one_row_strips(side, bits, samples, photometric, compression, count, data):
    """A page of `side` one-row strips, each claiming `count` bytes at the same data."""
    return pieces_at_data(page(side, side, bits, samples, photometric, compression,
                               [(273, LONG, [0] * side), (278, LONG, [1]), (279, LONG, [count] * side)]), data, side, 273)


if large:
    # A 16,383 x 16,383 PackBits grey page in 1,048,576 tiles of 16 x 16, all at one 4-byte
    # run: 8 MB of offsets and counts.
    tiles = 1024 * 1024
    write("tiff-packbits-16383-square-16-tiles.tif",
          pieces_at_data(page(16383, 16383, 8, 1, 1, 32773, tiled(16, 16, tiles, 4)), b"\x81\x00\x81\x00", tiles))
    # The same page in LZW, every tile at one short run of black.
    write("tiff-lzw-16383-square-16-tiles.tif",
          pieces_at_data(page(16383, 16383, 8, 1, 1, 5, tiled(16, 16, tiles, len(lzw_black))), lzw_black, tiles))
    sys.exit(0)

# A 16,383 x 16,383 grey LZW page of one-row strips, all at one short run of black.
write("tiff-lzw-16383-square-one-run.tif", one_row_strips(16383, 8, 1, 1, 5, len(lzw_black), lzw_black))
# 16,000 x 16,000 uncompressed pages of one-row strips, each claiming 10^9 bytes at 4 bytes,
# grey and RGB; and bilevel, each strip at the same 2,000 bytes of a row.
write("tiff-grey-16000-square-claimed-strips.tif", one_row_strips(16000, 8, 1, 1, 1, 10 ** 9, b"\x40" * 4))
write("tiff-rgb-16000-square-claimed-strips.tif", one_row_strips(16000, 8, 3, 2, 1, 10 ** 9, b"\x40" * 4))
write("tiff-bilevel-16000-square-one-row-strips.tif", one_row_strips(16000, 1, 1, 0, 1, 2000, b"\xf0" * 2000))
# A 16 x 16 page stored in one 16,384 x 16,384 LZW RGB tile.
write("tiff-16-square-page-16384-square-tile.tif",
      tiff(page(16, 16, 8, 3, 2, 5, tiled(16384, 16384, 1, len(lzw_black))), lzw_black))
# A 16 x 16 page stored in one grey tile 16 wide and 2^24 long, uncompressed.
write("tiff-16-square-page-tall-tile.tif", tiff(page(16, 16, 8, 1, 1, 1, tiled(16, 1 << 24, 1, 4)), b"\x80" * 4))
# A 16,000 x 16,000 Group 4 page of one 4-byte strip.
write("tiff-g4-16000-square-4-bytes.tif",
      tiff(page(16000, 16000, 1, 1, 0, 4, [(273, LONG, "data"), (278, LONG, [16000]), (279, LONG, [4])]),
           b"\x00\x10\x01\x00"))
# A 16,000 x 16,000 PackBits RGB page of one 4-byte strip.
write("tiff-packbits-16000-square-4-bytes.tif",
      tiff(page(16000, 16000, 8, 3, 2, 32773, [(273, LONG, "data"), (278, LONG, [16000]), (279, LONG, [4])]),
           b"\x81\x00\x81\x00"))
# A 16,383 x 16,383 bilevel page of one-row strips, each at the same 2,048 bytes of a row.
write("tiff-bilevel-16383-square-one-row-strips.tif", one_row_strips(16383, 1, 1, 0, 1, 2048, b"\xf0" * 2048))
# A 16,000 x 16,000 grey LZW page of 942 strips of 17 rows, all at the same 60 KB of codes:
# few enough to be an image each, which would copy the shared codes into every one.
codes = tiff_lzw_codes([256] + ([0] * 4000 + [256]) * 10 + [257])
write("tiff-lzw-16000-square-942-strips-one-run.tif",
      pieces_at_data(page(16000, 16000, 8, 1, 1, 5, [(273, LONG, [0] * 942), (278, LONG, [17]), (279, LONG, [len(codes)] * 942)]),
                     codes, 942, 273))
# A 16,000 x 16,000 grey JPEG page of 1,000 strips of 16 rows, all at one JPEG picture of a strip
# (baseline, 16,000 x 16 of one grey, with its own tables; written by Pillow).
import io
from PIL import Image
strip = io.BytesIO()
Image.new("L", (16000, 16), 90).save(strip, "JPEG")
JPEG_STRIP = strip.getvalue()
write("tiff-jpeg-16000-square-1000-strips-one-picture.tif",
      pieces_at_data(page(16000, 16000, 8, 1, 1, 7, [(273, LONG, [0] * 1000), (278, LONG, [16]), (279, LONG, [len(JPEG_STRIP)] * 1000)]),
                     JPEG_STRIP, 1000, 273))
# A 16,385 x 1 page in two 16,384 x 8,192 LZW RGB tiles (both over the same few bytes).
write("tiff-16385-wide-page-two-tall-tiles.tif",
      pieces_at_data(page(16385, 1, 8, 3, 2, 5, tiled(16384, 8192, 2, len(lzw_black))), lzw_black, 2))
