#!/usr/bin/python3
# Writes the image files the import, PNG and JPEG tests read, with what Pillow (or the raw
# source data) says they hold. Usage: make_images.py {bmp|png|jpeg} OUTDIR
#
# For every case it writes NAME.<ext> and a line in OUTDIR/manifest.txt:
#   NAME key=value ...
# BMP and JPEG cases come with NAME.rgb (Pillow's RGB decode, rows top-down). PNG cases come
# with NAME.colour and NAME.alpha: the samples as a PNG row holds them without filter bytes
# (packed most significant bits first for depths below 8, 16-bit samples big-endian).
import io
import os
import random
import struct
import subprocess
import sys

from PIL import Image

out = sys.argv[2]
manifest = open(os.path.join(out, "manifest.txt"), "w")


def emit(name, **kv):
    manifest.write(name + " " + " ".join("%s=%s" % (k, v) for k, v in kv.items()) + "\n")


def write(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


def picture(w, h, seed):
    """An RGB picture with gradients, edges and noise."""
    rnd = random.Random(seed)
    im = Image.new("RGB", (w, h))
    px = im.load()
    for y in range(h):
        for x in range(w):
            px[x, y] = ((x * 255) // max(1, w - 1), (y * 255) // max(1, h - 1), rnd.randrange(256) if (x // 3 + y // 2) % 4 == 0 else (x * y) % 256)
    return im


def convert(args):
    subprocess.run(["convert"] + args, check=True)


# ---------------------------------------------------------------- BMP

def bmp_cases():
    src = picture(37, 23, 1)
    cases = {}
    b = io.BytesIO(); src.save(b, "BMP"); cases["rgb24"] = b.getvalue()
    b = io.BytesIO(); src.convert("RGBA").save(b, "BMP"); cases["rgb32"] = b.getvalue()
    b = io.BytesIO(); src.quantize(200).save(b, "BMP"); cases["pal8"] = b.getvalue()
    b = io.BytesIO(); src.convert("L").save(b, "BMP"); cases["grey8"] = b.getvalue()
    b = io.BytesIO(); src.quantize(16).save(b, "BMP"); cases["pal4_as8"] = b.getvalue()
    b = io.BytesIO(); src.convert("1").save(b, "BMP"); cases["mono"] = b.getvalue()
    for name, data in cases.items():
        write(name + ".bmp", data)
    # A 1-bit file with white first, one with a coloured palette.
    mono = bytearray(cases["mono"])
    off = struct.unpack_from("<I", mono, 10)[0]
    pal = 14 + struct.unpack_from("<I", mono, 14)[0]
    swapped = bytearray(mono)
    swapped[pal:pal + 8] = mono[pal + 4:pal + 8] + mono[pal:pal + 4]
    for i in range(off, len(swapped)):
        swapped[i] ^= 0xFF
    write("mono_whitefirst.bmp", bytes(swapped))
    coloured = bytearray(mono)
    coloured[pal:pal + 8] = bytes([200, 30, 10, 0, 20, 220, 240, 0])
    write("mono_colour.bmp", bytes(coloured))
    # Top-down: the same picture with its rows reversed and a negative height.
    bu = bytearray(cases["rgb24"])
    off = struct.unpack_from("<I", bu, 10)[0]
    w, h = struct.unpack_from("<ii", bu, 18)
    stride = (w * 3 + 3) & ~3
    rows = [bu[off + i * stride: off + (i + 1) * stride] for i in range(h)]
    td = bu[:off] + b"".join(reversed(rows))
    struct.pack_into("<i", td, 22, -h)
    write("rgb24_topdown.bmp", bytes(td))
    # 4-bit, RLE8 and 16-bit files from ImageMagick.
    src.save(os.path.join(out, "src.png"))
    convert([os.path.join(out, "src.png"), "-colors", "14", "-type", "Palette", "-define", "bmp:format=bmp3",
             "BMP3:" + os.path.join(out, "pal4.bmp")])
    convert([os.path.join(out, "src.png"), "-colors", "100", "-compress", "RLE", "-type", "Palette",
             "BMP3:" + os.path.join(out, "rle8.bmp")])
    convert([os.path.join(out, "src.png"), "-define", "bmp:subtype=RGB565", os.path.join(out, "rgb565.bmp")])
    convert([os.path.join(out, "src.png"), "-define", "bmp:subtype=RGB555", os.path.join(out, "rgb555.bmp")])
    # Resolution: 300 dpi is 11811 pixels per metre.
    res = bytearray(cases["rgb24"])
    struct.pack_into("<ii", res, 38, 11811, 5906)
    write("rgb24_res.bmp", bytes(res))
    for name in ["rgb24", "rgb32", "pal8", "grey8", "pal4_as8", "mono", "mono_whitefirst", "mono_colour",
                 "rgb24_topdown", "pal4", "rle8", "rgb565", "rgb555", "rgb24_res"]:
        im = Image.open(os.path.join(out, name + ".bmp"))
        im.load()
        write(name + ".rgb", im.convert("RGB").tobytes())
        emit(name, file=name + ".bmp", width=im.size[0], height=im.size[1], mode=im.mode)


# ---------------------------------------------------------------- PNG

def pack(samples, w, h, depth):
    """Samples (one int per sample, row by row) as PNG rows without filter bytes."""
    if depth == 8:
        return bytes(samples)
    if depth == 16:
        return b"".join(struct.pack(">H", v) for v in samples)
    per_row = len(samples) // h
    outb = bytearray()
    for y in range(h):
        row = samples[y * per_row:(y + 1) * per_row]
        acc, bits = 0, 0
        for v in row:
            acc = (acc << depth) | v
            bits += depth
            if bits == 8:
                outb.append(acc); acc, bits = 0, 0
        if bits:
            outb.append(acc << (8 - bits))
    return bytes(outb)


def png_expected(path, depth, colour_type):
    im = Image.open(path)
    im.load()
    w, h = im.size
    alpha = b""
    if colour_type == 3:
        colour = pack(list(im.tobytes()), w, h, depth)
    elif colour_type == 0:
        if depth == 16:
            vals = list(im.getdata())
            colour = pack([v & 0xFFFF for v in vals], w, h, 16)
        elif depth == 1:
            colour = pack([1 if v else 0 for v in im.convert("L").tobytes()], w, h, 1)
        else:
            scale = 255 // ((1 << depth) - 1)
            colour = pack([v // scale for v in im.convert("L").tobytes()], w, h, depth)
    elif colour_type == 2:
        colour = im.convert("RGB").tobytes()
    elif colour_type == 4:
        la = im.convert("LA").tobytes()
        colour, alpha = la[0::2], la[1::2]
    else:
        rgba = im.convert("RGBA").tobytes()
        colour = b"".join(rgba[i:i + 3] for i in range(0, len(rgba), 4))
        alpha = rgba[3::4]
    return w, h, colour, alpha


def png_case(name, path, depth, colour_type, interlace, colour=None, alpha=None):
    with open(path, "rb") as f:
        head = f.read(29)
    actual = struct.unpack(">BBBBB", head[24:29])
    assert (actual[0], actual[1], actual[4]) == (depth, colour_type, interlace), (name, actual)
    w, h, c, a = png_expected(path, depth, colour_type)
    if colour is not None:
        c, a = colour, alpha
    write(name + ".colour", c)
    write(name + ".alpha", a)
    emit(name, file=os.path.basename(path), width=w, height=h, depth=depth, colortype=colour_type,
         interlace=interlace)


def png_cases():
    src = picture(29, 17, 2)
    p = lambda n: os.path.join(out, n)
    src.save(p("rgb8.png"))
    png_case("rgb8", p("rgb8.png"), 8, 2, 0)
    src.convert("L").save(p("grey8.png"))
    png_case("grey8", p("grey8.png"), 8, 0, 0)
    src.convert("1").save(p("grey1.png"))
    png_case("grey1", p("grey1.png"), 1, 0, 0)
    for bits in (1, 2, 4, 8):
        q = src.quantize(1 << bits)
        q.save(p("pal%d.png" % bits), bits=bits)
        png_case("pal%d" % bits, p("pal%d.png" % bits), bits, 3, 0)
    rgba = src.convert("RGBA")
    rgba.putalpha(src.convert("L").point(lambda v: 255 - v))
    rgba.save(p("rgba8.png"))
    png_case("rgba8", p("rgba8.png"), 8, 6, 0)
    la = src.convert("LA")
    la.putalpha(src.convert("L").point(lambda v: (v * 7) % 256))
    la.save(p("la8.png"))
    png_case("la8", p("la8.png"), 8, 4, 0)
    # ImageMagick for grey at 2 and 4 bits, interlacing and 16-bit samples.
    for bits in (2, 4):
        for il in (0, 1):
            name = "grey%d%s" % (bits, "_il" if il else "")
            convert([p("grey8.png"), "-posterize", str(1 << bits)] + (["-interlace", "PNG"] if il else []) +
                    ["-define", "png:bit-depth=%d" % bits, "-define", "png:color-type=0", p(name + ".png")])
            png_case(name, p(name + ".png"), bits, 0, il)
    for base, ct, depth in (("rgb8", 2, 8), ("rgba8", 6, 8), ("grey8", 0, 8), ("la8", 4, 8), ("pal8", 3, 8)):
        name = base + "_il"
        convert([p(base + ".png"), "-interlace", "PNG", "-define", "png:color-type=%d" % ct,
                 "-define", "png:bit-depth=%d" % depth, p(name + ".png")])
        png_case(name, p(name + ".png"), depth, ct, 1)
    convert([p("pal4.png"), "-interlace", "PNG", "-define", "png:bit-depth=4", "PNG8:" + p("pal4_il.png")])
    png_case("pal4_il", p("pal4_il.png"), 4, 3, 1)
    # Interlaced 1-bit grey of width 10 (pass 2 starts at column 4).
    tiny = Image.new("L", (10, 9))
    tiny.putdata([255 if (x * 3 + y * 5) % 7 < 3 else 0 for y in range(9) for x in range(10)])
    tiny.save(p("grey1_w10.png"))
    convert([p("grey1_w10.png"), "-type", "bilevel", "-interlace", "PNG", "-define", "png:color-type=0",
             "-define", "png:bit-depth=1", p("grey1_il.png")])
    png_case("grey1_il", p("grey1_il.png"), 1, 0, 1)
    # 16-bit: raw samples through a PAM file; Pillow cannot hold them, the source is the oracle.
    rnd = random.Random(3)
    w, h = 13, 11
    for chans, ct, tupl in ((1, 0, "GRAYSCALE"), (3, 2, "RGB"), (2, 4, "GRAYSCALE_ALPHA"), (4, 6, "RGB_ALPHA")):
        samples = [rnd.randrange(65536) for _ in range(w * h * chans)]
        pam = ("P7\nWIDTH %d\nHEIGHT %d\nDEPTH %d\nMAXVAL 65535\nTUPLTYPE %s\nENDHDR\n" % (w, h, chans, tupl)).encode()
        pam += b"".join(struct.pack(">H", v) for v in samples)
        write("src16_%d.pam" % ct, pam)
        colour_ch = 1 if ct in (0, 4) else 3
        colour = [s for i, s in enumerate(samples) if i % chans < colour_ch]
        alpha = [s for i, s in enumerate(samples) if i % chans >= colour_ch]
        for il in (0, 1):
            name = "c%d_16%s" % (ct, "_il" if il else "")
            convert([p("src16_%d.pam" % ct)] + (["-interlace", "PNG"] if il else []) +
                    ["-define", "png:bit-depth=16", "-define", "png:color-type=%d" % ct, p(name + ".png")])
            png_case(name, p(name + ".png"), 16, ct, il, pack(colour, w, h, 16), pack(alpha, w, h, 16))


# ---------------------------------------------------------------- JPEG

def segments_without_app0(data):
    """The JPEG with its JFIF segment removed."""
    assert data[:2] == b"\xff\xd8" and data[2:4] == b"\xff\xe0"
    length = struct.unpack(">H", data[4:6])[0]
    return data[:2] + data[4 + length:]


def exif_app1(xres, yres):
    ifd = struct.pack("<H", 2)
    ifd += struct.pack("<HHII", 282, 5, 1, 8 + 2 + 24 + 4)
    ifd += struct.pack("<HHII", 283, 5, 1, 8 + 2 + 24 + 4 + 8)
    ifd += struct.pack("<I", 0)
    tiff = b"II*\x00" + struct.pack("<I", 8) + ifd + struct.pack("<II", xres, 1) + struct.pack("<II", yres, 1)
    body = b"Exif\x00\x00" + tiff
    return b"\xff\xe1" + struct.pack(">H", len(body) + 2) + body


def cmyk_to_rgb_bytes(c, m, y, k):
    """The colour manager's polynomial (a fit of a press profile), packed as bytes."""
    r = (1 - c - 0.8627 * k - 0.0745 * m + 0.2549 * c * m + 0.8627 * c * k + 0.0784 * k * m - 0.0275 * k * y
         + 0.0039 * m * y - 0.2588 * c * k * m + 0.0275 * c * k * y + 0.0275 * c * m * y + 0.0157 * k * m * y
         - 0.0471 * c * k * m * y)
    g = (1 - m - 0.8784 * k - 0.051 * y - 0.3216 * c + 0.2588 * c * k + 0.5138 * c * m + 0.8784 * k * m
         + 0.0236 * c * y + 0.0314 * k * y + 0.1608 * m * y - 0.451 * c * k * m + 0.0117 * c * k * y
         - 0.1137 * c * m * y - 0.1412 * k * m * y + 0.0784 * c * k * m * y)
    b = (1 - y - 0.8745 * k - 0.451 * m - 0.0627 * c + 0.0784 * c * k + 0.0862 * c * m + 0.3255 * k * m
         + 0.3764 * c * y + 0.8745 * k * y + 0.5922 * m * y - 0.0941 * c * k * m - 0.3921 * c * k * y
         - 0.3176 * c * m * y - 0.4667 * k * m * y + 0.3255 * c * k * m * y)
    return bytes(round(min(1.0, max(0.0, v)) * 255) for v in (r, g, b))


def jpeg_cases():
    src = picture(45, 31, 4)
    p = lambda n: os.path.join(out, n)
    src.save(p("baseline.jpg"), quality=90, dpi=(300, 300))
    src.save(p("progressive.jpg"), quality=85, progressive=True)
    src.save(p("sub444.jpg"), quality=95, subsampling=0)
    src.convert("L").save(p("grey.jpg"), quality=90)
    src.convert("CMYK").save(p("cmyk.jpg"), quality=95)
    data = open(p("baseline.jpg"), "rb").read()
    write("nojfif_exif.jpg", data[:2] + exif_app1(200, 150) + segments_without_app0(data)[2:])
    # JFIF with unit 0 (aspect ratio only) followed by Exif resolution.
    jf = bytearray(data)
    jf[13] = 0
    jf[14:18] = struct.pack(">HH", 1, 1)
    length = struct.unpack(">H", data[4:6])[0]
    write("jfif0_exif.jpg", bytes(jf[:4 + length]) + exif_app1(200, 150) + bytes(jf[4 + length:]))
    # CMYK as libtiff stores it in a JPEG TIFF (the inks as they are, no Adobe segment), taken
    # out of its TIFF into a file of its own: the TIFF's tables, then its one strip. Pillow reads
    # every CMYK JPEG file as inverted, so the inks are those it reads from the TIFF.
    src.convert("CMYK").save(p("cmyk_plain.tif"), compression="jpeg", quality=95)
    tif = Image.open(p("cmyk_plain.tif"))
    start, length = tif.tag_v2[273][0], tif.tag_v2[279][0]
    strip = open(p("cmyk_plain.tif"), "rb").read()[start:start + length]
    write("cmyk_plain.jpg", tif.tag_v2[347][:-2] + strip[2:])
    for name in ["baseline", "progressive", "sub444", "grey", "cmyk", "cmyk_plain", "nojfif_exif", "jfif0_exif"]:
        im = Image.open(p(name + ".jpg"))
        im.load()
        mode = im.mode
        if mode == "CMYK":
            # Pillow hands CMYK back as ink amounts (0 none, 255 full), whatever the file stores.
            ink = (tif if name == "cmyk_plain" else im).tobytes()
            write(name + ".cmyk", ink)
            # Read as Adobe writes it (stored inverted: ink = 1 - v/255) and as plain CMYK.
            inverted, plain = bytearray(), bytearray()
            for i in range(0, len(ink), 4):
                q = [v / 255 for v in ink[i:i + 4]]
                inverted += cmyk_to_rgb_bytes(*q)
                plain += cmyk_to_rgb_bytes(*[1 - v for v in q])
            write(name + ".rgbpoly", bytes(inverted))
            write(name + ".rgbpoly_raw", bytes(plain))
        write(name + ".rgb", im.convert("RGB").tobytes() if mode != "CMYK" else b"")
        write(name + ".grey", im.tobytes() if mode == "L" else b"")
        emit(name, file=name + ".jpg", width=im.size[0], height=im.size[1], mode=mode)


{"bmp": bmp_cases, "png": png_cases, "jpeg": jpeg_cases}[sys.argv[1]]()
manifest.close()
