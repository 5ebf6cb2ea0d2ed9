#!/usr/bin/python3
"""Writes the filter test vectors of this folder with independent tools.

Run once by hand (needs python3-pil, libtiff-tools and imagemagick); the outputs are committed.
Each case NAME has NAME.in (encoded bytes) and NAME.out (the bytes a decoder must produce).
  flate_*   zlib.compress of the .out data
  a85_*     base64.a85encode of the .out data, with the "~>" end marker
  lzw_*     the single strip of a TIFF written by tiffcp -c lzw[:2] (MSB first, early change)
  tiffzip_* the single strip of a TIFF written by tiffcp -c zip:2 (Flate + TIFF predictor)
  png_*     the joined IDAT data of a PNG written by pnmtopng (one filter type throughout),
            ImageMagick or Pillow (a filter per row): Flate + PNG rows
"""
import base64
import os
import random
import struct
import subprocess
import tempfile
import zlib

from PIL import Image, TiffImagePlugin

HERE = os.path.dirname(os.path.abspath(__file__))
rng = random.Random(20240611)


def put(name, encoded, decoded):
    with open(os.path.join(HERE, name + ".in"), "wb") as f:
        f.write(encoded)
    with open(os.path.join(HERE, name + ".out"), "wb") as f:
        f.write(decoded)


def noisy_image(mode, w, h, noise):
    """A smooth gradient with some noise, so every predictor has real work."""
    bands = {"L": 1, "RGB": 3, "RGBA": 4}[mode]
    data = bytearray()
    for y in range(h):
        for x in range(w):
            for b in range(bands):
                v = (x * 7 + y * 3 + b * 50) % 256
                v = (v + rng.randint(-noise, noise)) % 256
                data.append(v)
    return Image.frombytes(mode, (w, h), bytes(data))


# --- Flate -----------------------------------------------------------------------------------
text = b"Velmora sorts image files by their likeness to a master image. " * 40
mixed = bytes(rng.getrandbits(8) for _ in range(3000)) + text + b"\0" * 2000
put("flate_text", zlib.compress(text), text)
put("flate_mixed_best", zlib.compress(mixed, 9), mixed)
put("flate_mixed_fast", zlib.compress(mixed, 1), mixed)
put("flate_one_byte", zlib.compress(b"A"), b"A")
# Several deflate blocks: flushes in the middle of the stream.
co = zlib.compressobj(6)
multi = co.compress(text[:700]) + co.flush(zlib.Z_FULL_FLUSH) + co.compress(mixed) + co.flush()
put("flate_flushed", multi, text[:700] + mixed)
# A stream that needs a preset dictionary: nothing can be decoded.
cd = zlib.compressobj(zdict=b"Velmora master image")
put("flate_needs_dict", cd.compress(text) + cd.flush(), b"")

# --- ASCII85 ---------------------------------------------------------------------------------
a85_cases = {
    "a85_text": b"Man is distinguished, not only by his reason, but by this singular passion.",
    "a85_zeros": b"\0" * 12 + b"x" + b"\0" * 4,
    "a85_binary": bytes(rng.getrandbits(8) for _ in range(301)),
    "a85_tail1": b"abcde",
    "a85_tail2": b"abcdef",
    "a85_tail3": b"abcdefg",
    "a85_highbytes": b"\xff\xff\xff\xff\xff\xff\xfe",
}
for name, data in a85_cases.items():
    put(name, base64.a85encode(data, wrapcol=64) + b"~>", data)


# --- TIFF strips (LZW, Deflate with the TIFF predictor) --------------------------------------
def tiff_strip(img, compression, big_endian=True):
    with tempfile.TemporaryDirectory() as d:
        src = os.path.join(d, "src.tif")
        dst = os.path.join(d, "dst.tif")
        img.save(src, compression=None)
        args = ["tiffcp", "-r", "100000", "-c", compression]
        if big_endian:
            args.append("-B")
        subprocess.run(args + [src, dst], check=True)
        t = Image.open(dst)
        offsets, counts = t.tag_v2[273], t.tag_v2[279]
        assert len(offsets) == 1, "one strip expected"
        with open(dst, "rb") as f:
            f.seek(offsets[0])
            return f.read(counts[0])


rgb = noisy_image("RGB", 41, 19, 3)
put("lzw_rgb8_plain", tiff_strip(rgb, "lzw"), rgb.tobytes())
put("lzw_rgb8_pred2", tiff_strip(rgb, "lzw:2"), rgb.tobytes())
# Random data defeats the dictionary: the codes widen to 12 bits and the table is cleared.
noise = Image.frombytes("L", (128, 96), bytes(rng.getrandbits(8) for _ in range(128 * 96)))
put("lzw_noise_plain", tiff_strip(noise, "lzw"), noise.tobytes())
# 16-bit grey, big-endian samples as in PDF.
w16, h16 = 23, 17
g16 = [(x * 1500 + y * 977 + rng.randint(0, 40)) % 65536 for y in range(h16) for x in range(w16)]
img16 = Image.frombytes("I;16B", (w16, h16), struct.pack(">%dH" % len(g16), *g16))
raw16 = struct.pack(">%dH" % len(g16), *g16)
put("lzw_gray16_pred2", tiff_strip(img16, "lzw:2"), raw16)
put("tiffzip_rgb8_pred2", tiff_strip(rgb, "zip:2"), rgb.tobytes())
put("tiffzip_gray16_pred2", tiff_strip(img16, "zip:2"), raw16)


# --- PNG rows --------------------------------------------------------------------------------
def png_idat(path):
    with open(path, "rb") as f:
        data = f.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    pos, idat, ihdr = 8, b"", None
    while pos < len(data):
        (n,) = struct.unpack(">I", data[pos:pos + 4])
        kind = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + n]
        if kind == b"IHDR":
            ihdr = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + n
    return ihdr, idat


def row_filters(idat, ihdr):
    w, h, depth, ctype = ihdr[:4]
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[ctype]
    stride = (w * channels * depth + 7) // 8 + 1
    raw = zlib.decompress(idat)
    return {raw[r * stride] for r in range(h)}


def netpbm_png(pnm, name, flag, expected):
    """pnmtopng with one filter for every row."""
    with tempfile.TemporaryDirectory() as d:
        src = os.path.join(d, "src.pnm")
        dst = os.path.join(d, "dst.png")
        with open(src, "wb") as f:
            f.write(pnm)
        with open(dst, "wb") as out:
            subprocess.run(["pnmtopng", flag, src], check=True, stdout=out)
        ihdr, idat = png_idat(dst)
        tag = {"-nofilter": 0, "-sub": 1, "-up": 2, "-avg": 3, "-paeth": 4}[flag]
        assert row_filters(idat, ihdr) == {tag}, name
        put(name, idat, expected)
        return ihdr


def magick_png(img, name, out_spec, expected):
    """ImageMagick with its adaptive filtering: the filter changes from row to row."""
    with tempfile.TemporaryDirectory() as d:
        src = os.path.join(d, "src.png")
        dst = os.path.join(d, "dst.png")
        img.save(src)
        subprocess.run(["/usr/bin/convert", src, "-quality", "95", out_spec + dst], check=True)
        ihdr, idat = png_idat(dst)
        assert len(row_filters(idat, ihdr)) > 1, name
        put(name, idat, expected)


ppm = b"P6 %d %d 255\n" % rgb.size + rgb.tobytes()
for flag in ["-nofilter", "-sub", "-up", "-avg", "-paeth"]:
    netpbm_png(ppm, "png_rgb8" + flag.replace("-", "_"), flag, rgb.tobytes())
# 16-bit grey: samples are big-endian in the rows, as in PDF.
pgm16 = b"P5 %d %d 65535\n" % (w16, h16) + raw16
for flag in ["-sub", "-avg", "-paeth"]:
    ihdr = netpbm_png(pgm16, "png_gray16" + flag.replace("-", "_"), flag, raw16)
    assert ihdr[2] == 16 and ihdr[3] == 0, ihdr
# One bit per pixel: rows of ceil(width / 8) bytes and a left neighbour one byte away. PBM
# writes 1 for black, PNG grey 1 for white.
bw, bh = 45, 21
pbm_rows = bytes(rng.getrandbits(8) for _ in range(6 * bh))
pbm_rows = bytes(b & (0xFF if (i % 6) < 5 else 0xF8) for i, b in enumerate(pbm_rows))
for flag in ["-up", "-paeth"]:
    ihdr = netpbm_png(b"P4 %d %d\n" % (bw, bh) + pbm_rows, "png_gray1" + flag.replace("-", "_"), flag,
                      bytes(b ^ (0xFF if (i % 6) < 5 else 0xF8) for i, b in enumerate(pbm_rows)))
    assert ihdr[2] == 1 and ihdr[3] == 0, ihdr
magick_png(rgb, "png_rgb8_adaptive", "PNG24:", rgb.tobytes())
rgba = noisy_image("RGBA", 29, 13, 5)
magick_png(rgba, "png_rgba8_adaptive", "PNG32:", rgba.tobytes())
# Pillow's own encoder picks a filter per row.
with tempfile.TemporaryDirectory() as d:
    p = os.path.join(d, "pil.png")
    rgb.save(p)
    ihdr, idat = png_idat(p)
    put("png_rgb8_pillow", idat, rgb.tobytes())
# PNG rows packed with LZW instead of Flate: an image of the filtered rows through tiffcp.
paeth_rows = zlib.decompress(open(os.path.join(HERE, "png_rgb8_paeth.in"), "rb").read())
rows_img = Image.frombytes("L", (41 * 3 + 1, 19), paeth_rows)
put("lzw_png_rgb8_paeth", tiff_strip(rows_img, "lzw"), rgb.tobytes())


# --- GIF image data (LZW, least significant bit first) ----------------------------------------
def gif_lzw(img, magick=False):
    """The code size, the joined data sub-blocks of the first image of a GIF written by Pillow
    or ImageMagick, and its pixels as Pillow's decoder reads them."""
    with tempfile.TemporaryDirectory() as d:
        p = os.path.join(d, "x.gif")
        if magick:
            src = os.path.join(d, "x.png")
            img.save(src)
            subprocess.run(["/usr/bin/convert", src, "-colors", "4", p], check=True)
        else:
            img.save(p, interlace=False)
        data = open(p, "rb").read()
        pixels = Image.open(p).tobytes()
    assert data[:6] in (b"GIF87a", b"GIF89a")
    flags = data[10]
    pos = 13 + (3 << ((flags & 7) + 1) if flags & 0x80 else 0)
    while data[pos] != 0x2C:  # skip extensions up to the image descriptor
        assert data[pos] == 0x21
        pos += 2
        while data[pos]:
            pos += data[pos] + 1
        pos += 1
    iflags = data[pos + 9]
    pos += 10 + (3 << ((iflags & 7) + 1) if iflags & 0x80 else 0)
    min_code = data[pos]
    pos += 1
    out = b""
    while data[pos]:
        out += data[pos + 1:pos + 1 + data[pos]]
        pos += data[pos] + 1
    return min_code, out, pixels


four = Image.frombytes("P", (37, 11), bytes((x // 5 + y) % 4 for y in range(11) for x in range(37)))
four.putpalette([0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255] + [0] * 756)
code, lzw, pixels = gif_lzw(four, magick=True)
assert code == 2, code
put("gif_lzw_min2", lzw, pixels)
many = Image.frombytes("P", (90, 70), bytes(rng.getrandbits(8) for _ in range(90 * 70)))
many.putpalette([rng.getrandbits(8) for _ in range(768)])
code, lzw, pixels = gif_lzw(many)
assert code == 8 and pixels == many.tobytes(), code
put("gif_lzw_min8", lzw, pixels)
print("vectors written")
