#!/usr/bin/python3
# Writes the TIFF and GIF files the reader, decoder and import tests read, each with what an
# independent decoder makes of it. Usage: make_rasters.py {tiff|gif|ico} OUTDIR
#
# TIFF files are made by Pillow, ImageMagick and netpbm and recompressed by libtiff's tiffcp;
# the expected pixels come from tifftopnm (libtiff), or from Pillow for JPEG-compressed pages.
# GIF files are made by Pillow and ImageMagick; the expected pixels come from giftopnm, each
# frame painted at its place on a white screen (no transparency, no disposal).
# Icons are made by Pillow (PNG and BMP entries), ImageMagick and by hand (DIB entries of every
# depth with their AND masks, PNG entries of every colour type with transparency); the expected
# pixels are Pillow's decode of the entry nearest 8 x 8 (then the deepest), shown on white.
#
# For every case: NAME.tif, NAME.gif or NAME.ico, NAME.rgb (8-bit RGB, rows top-down, all pages one
# after the other) and a line in OUTDIR/manifest.txt:  NAME key=value ...
import io
import os
import random
import shutil
import struct
import subprocess
import sys

from PIL import Image

kind, out = sys.argv[1], sys.argv[2]
manifest = open(os.path.join(out, "manifest.txt"), "w")


def emit(name, **kv):
    manifest.write(name + " " + " ".join("%s=%s" % (k, v) for k, v in kv.items()) + "\n")


def path(name):
    return os.path.join(out, name)


def write(name, data):
    with open(path(name), "wb") as f:
        f.write(data)


def run(args, **kw):
    return subprocess.run(args, check=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, **kw).stdout


def picture(w, h, seed):
    """An RGB picture with gradients, hard edges and noise."""
    rnd = random.Random(seed)
    im = Image.new("RGB", (w, h))
    px = im.load()
    for y in range(h):
        for x in range(w):
            if (x // 5 + y // 4) % 3 == 0:
                px[x, y] = (rnd.randrange(256), rnd.randrange(256), rnd.randrange(256))
            else:
                px[x, y] = ((x * 255) // max(1, w - 1), (y * 255) // max(1, h - 1), ((x + y) * 7) % 256)
    return im


def bilevel(w, h):
    """Text-like black marks on white, with long runs and rows that change often."""
    im = Image.new("1", (w, h), 1)
    px = im.load()
    rnd = random.Random(7)
    for y in range(h):
        for x in range(w):
            if (x // 9 + y // 7) % 5 == 0 or ((x * x + y * 3) % 17 == 0 and y > h // 3) or (y % 23 == 0 and x > w // 2):
                px[x, y] = 0
            if y > 2 * h // 3 and rnd.random() < 0.08:
                px[x, y] = 0
    return im


def pnm_pages(data):
    """8-bit RGB bytes of every image in a PNM stream (P1-P6, any maxval)."""
    pages, pos = [], 0

    def token():
        nonlocal pos
        while True:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                while data[pos:pos + 1] not in (b"\n", b""):
                    pos += 1
                continue
            break
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        return data[start:pos]

    while pos < len(data):
        while pos < len(data) and data[pos:pos + 1].isspace():
            pos += 1
        if pos >= len(data):
            break
        magic = token()
        w, h = int(token()), int(token())
        maxval = 1 if magic == b"P4" else int(token())
        pos += 1
        rgb = bytearray()
        if magic == b"P4":
            row = (w + 7) // 8
            for y in range(h):
                bits = data[pos + y * row: pos + (y + 1) * row]
                for x in range(w):
                    v = 0 if (bits[x // 8] >> (7 - x % 8)) & 1 else 255
                    rgb += bytes((v, v, v))
            pos += row * h
        else:
            channels = 3 if magic == b"P6" else 1
            size = 2 if maxval > 255 else 1
            n = w * h * channels
            raw = data[pos:pos + n * size]
            pos += n * size
            vals = [raw[i * size] if size == 1 else (raw[i * 2] << 8 | raw[i * 2 + 1]) for i in range(n)]
            if size == 2:
                vals = [v >> 8 for v in vals] if maxval == 65535 else [v * 255 // maxval for v in vals]
            elif maxval != 255:
                vals = [(v * 255 + maxval // 2) // maxval for v in vals]
            if channels == 1:
                for v in vals:
                    rgb += bytes((v, v, v))
            else:
                rgb += bytes(vals)
        pages.append((w, h, bytes(rgb)))
    return pages


# ---------------------------------------------------------------- TIFF

def tiff_sources():
    """Uncompressed TIFF files of every layout, made by Pillow, ImageMagick and netpbm."""
    src = picture(61, 37, 1)
    src.save(path("src_rgb.tif"))
    src.convert("L").save(path("src_grey.tif"))
    src.convert("RGBA").save(path("src_rgba.tif"))
    src.convert("LA").save(path("src_greyalpha.tif"))
    src.quantize(200).save(path("src_pal8.tif"))
    src.convert("CMYK").save(path("src_cmyk.tif"))
    grey16 = Image.new("I;16", (61, 37))
    grey16.frombytes(bytes(b for i in range(61 * 37) for b in ((i * 97) & 0xFF, (i * 13) & 0xFF)))
    grey16.save(path("src_grey16.tif"))
    src.save(path("src.png"))
    run(["convert", path("src.png"), "-depth", "16", path("src_rgb16.tif")])
    run(["convert", path("src.png"), "-colors", "16", "-type", "Palette", "-depth", "4", path("src_pal4.tif")])
    run(["convert", path("src.png"), "-colorspace", "Gray", "-depth", "4", path("src_grey4.tif")])
    picture(10000, 10, 9).save(path("src_wide.tif"))
    bw = bilevel(203, 97)
    bw.save(path("src_bw.tif"))  # min-is-black
    bw.save(path("src_bw.pbm"))
    with open(path("src_bwwhite.tif"), "wb") as f:  # min-is-white
        f.write(run(["pnmtotiff", "-miniswhite", path("src_bw.pbm")]))


def strip_tagged_tiles(source, target):
    """A tiled file with its tiles' offsets and byte counts under the strip tags (TileOffsets 324
    as StripOffsets 273, TileByteCounts 325 as StripByteCounts 279), the entries in tag order
    again: the layout of libtiff's own test file quad-tile.tif, which libtiff reads as tiles."""
    data = bytearray(open(path(source), "rb").read())
    order = "<" if data[:2] == b"II" else ">"
    at = struct.unpack_from(order + "I", data, 4)[0]
    while at:
        (n,) = struct.unpack_from(order + "H", data, at)
        entries = [bytes(data[at + 2 + 12 * i:at + 14 + 12 * i]) for i in range(n)]
        renamed = []
        for e in entries:
            (tag,) = struct.unpack_from(order + "H", e)
            tag = {324: 273, 325: 279}.get(tag, tag)
            renamed.append(struct.pack(order + "H", tag) + e[2:])
        renamed.sort(key=lambda e: struct.unpack_from(order + "H", e)[0])
        data[at + 2:at + 2 + 12 * n] = b"".join(renamed)
        (at,) = struct.unpack_from(order + "I", data, at + 2 + 12 * n)
    write(target, bytes(data))


def tiff_case(name, source, options, path_kind, oracle="tifftopnm"):
    """options None: the source file as it is (a file another writer made)."""
    target = path(name + ".tif")
    if options is None:
        shutil.copyfile(path(source), target)
    else:
        run(["tiffcp"] + options + [path(source), target])
    if oracle == "pillow16":
        # 16-bit grey as Pillow reads it, each sample's high byte (tifftopnm's tile path reduces
        # the samples its own way).
        im = Image.open(target)
        pages = [(im.width, im.height, bytes(b for v in im.getdata() for b in (v >> 8,) * 3))]
    elif oracle == "pillow":
        im = Image.open(target)
        pages = []
        try:
            while True:
                rgb = im.convert("RGB")
                pages.append((rgb.width, rgb.height, rgb.tobytes()))
                im.seek(im.tell() + 1)
        except EOFError:
            pass
    else:
        pages = pnm_pages(run(["tifftopnm", target]))
    write(name + ".rgb", b"".join(p[2] for p in pages))
    if source == "src_cmyk.tif":
        write(name + ".cmyk", Image.open(target).tobytes())  # the ink samples as Pillow reads them
    emit(name, file=name + ".tif", width=pages[0][0], height=pages[0][1], pages=len(pages), path=path_kind)


def tiff_cases():
    tiff_sources()
    colour = ["rgb", "grey", "pal8", "pal4", "grey4", "rgba", "greyalpha", "grey16", "rgb16", "cmyk"]
    for s in colour:
        for tag, opts in [("none", ["-c", "none"]), ("lzw", ["-c", "lzw"]), ("lzw2", ["-c", "lzw:2"]),
                          ("zip", ["-c", "zip"]), ("zip2", ["-c", "zip:2"]), ("packbits", ["-c", "packbits"]),
                          ("lzw_r1", ["-c", "lzw", "-r", "1"]), ("none_r7", ["-c", "none", "-r", "7"]),
                          ("packbits_r5", ["-c", "packbits", "-r", "5"]),
                          ("lzw_tiles", ["-c", "lzw", "-t", "-w", "16", "-l", "16"]),
                          ("none_tiles", ["-c", "none", "-t", "-w", "32", "-l", "16"]),
                          ("packbits_tiles", ["-c", "packbits", "-t", "-w", "16", "-l", "32"]),
                          ("zip_be", ["-c", "zip", "-B"]), ("none_be", ["-c", "none", "-B"]),
                          ("lzw2_be", ["-c", "lzw:2", "-B"])]:
            if s in ("pal4", "grey4") and tag in ("lzw2", "zip2", "lzw2_be"):
                continue  # no predictor below 8 bits
            tiff_case(s + "_" + tag, "src_" + s + ".tif", opts, "decode",
                      oracle={"greyalpha": "pillow", "grey16": "pillow16"}.get(s, "tifftopnm"))
    # A wide page ten rows high in the tiles writers commonly use: the grid is ten times the page.
    tiff_case("wide_lzw_tiles1024", "src_wide.tif", ["-c", "lzw", "-t", "-w", "1024", "-l", "1024"], "decode")
    tiff_case("wide_zip_tiles1024", "src_wide.tif", ["-c", "zip", "-t", "-w", "1024", "-l", "1024"], "decode")
    for s in ("rgb", "grey"):
        tiff_case(s + "_jpeg", "src_" + s + ".tif", ["-c", "jpeg"], "jpeg", oracle="pillow")
        tiff_case(s + "_jpeg_r16", "src_" + s + ".tif", ["-c", "jpeg", "-r", "16"], "jpeg", oracle="pillow")
    tiff_case("rgb_jpegrgb", "src_rgb.tif", ["-c", "jpeg:r"], "jpeg", oracle="pillow")
    # CMYK in JPEG strips as libtiff stores it: the inks as they are, with no Adobe segment; one
    # strip (the page's picture) and strips of 8 rows (small enough to be inline images).
    tiff_case("cmyk_jpeg", "src_cmyk.tif", ["-c", "jpeg", "-r", "40"], "jpeg", oracle="pillow")
    tiff_case("cmyk_jpeg_r8", "src_cmyk.tif", ["-c", "jpeg", "-r", "8"], "jpeg", oracle="pillow")
    tiff_case("rgb_jpeg_tiles", "src_rgb.tif", ["-c", "jpeg", "-t", "-w", "16", "-l", "16"], "jpeg", oracle="pillow")
    # Grey and RGB with alpha in JPEG: the colour samples, the alpha dropped (libtiff writes RGB
    # with alpha only unconverted, jpeg:r). Strips of 8 and 16 rows (the last one shorter), tiles
    # cut at the page's edges, and ImageMagick's one strip.
    for s, mode in (("greyalpha", "jpeg"), ("rgba", "jpeg:r")):
        for tag, opts in (("r8", ["-r", "8"]), ("r16", ["-r", "16"]), ("tiles", ["-t", "-w", "16", "-l", "16"]),
                          ("tiles32", ["-t", "-w", "32", "-l", "16"])):
            tiff_case(s + "_jpeg_" + tag, "src_" + s + ".tif", ["-c", mode] + opts, "jpeg", oracle="pillow")
        source = "src_%s_im_jpeg.tif" % s
        run(["convert", path("src_%s.tif" % s), "-compress", "JPEG", path(source)])
        tiff_case(s + "_jpeg_im", source, None, "jpeg", oracle="pillow")
    # Pages in tiles of 16, 128 and 256 (a single tile reaching past the page, one column or one
    # row of them, or a grid cut at the right and bottom), beside the same picture in strips.
    for w, h in ((96, 32), (100, 60), (37, 131)):
        source = "src_%dx%d.tif" % (w, h)
        picture(w, h, w + h).save(path(source))
        for tag, compression in (("none", "none"), ("lzw", "lzw"), ("zip", "zip"), ("packbits", "packbits"),
                                 ("jpeg", "jpeg")):
            kind, oracle = ("jpeg", "pillow") if tag == "jpeg" else ("decode", "tifftopnm")
            name = "page%dx%d_%s" % (w, h, tag)
            tiff_case(name + "_strips", source, ["-c", compression, "-r", "16"], kind, oracle=oracle)
            for tile in (16, 128, 256):
                tiff_case(name + "_tiles%d" % tile, source, ["-c", compression, "-t", "-w", str(tile), "-l", str(tile)],
                          kind, oracle=oracle)
    # Tiles whose offsets stand under the strip tags (libtiff's quad-tile.tif: 512 x 384 in
    # tiles of 128), in every lossless compression, big-endian too, and grey in tiles of 16 cut
    # at the page's edges: read as libtiff reads them, as tiles.
    picture(512, 384, 5).save(path("src_quad.tif"))
    for tag, opts in (("lzw", ["-c", "lzw"]), ("none", ["-c", "none"]), ("zip", ["-c", "zip"]),
                      ("packbits", ["-c", "packbits"]), ("lzw_be", ["-c", "lzw", "-B"])):
        run(["tiffcp"] + opts + ["-t", "-w", "128", "-l", "128", path("src_quad.tif"), path("src_quad_tiles.tif")])
        strip_tagged_tiles("src_quad_tiles.tif", "src_quadtile_%s.tif" % tag)
        tiff_case("quadtile_" + tag, "src_quadtile_%s.tif" % tag, None, "decode")
    run(["tiffcp", "-c", "packbits", "-t", "-w", "16", "-l", "16", path("src_37x131.tif"), path("src_quad_tiles.tif")])
    strip_tagged_tiles("src_quad_tiles.tif", "src_quadtile_tiles16.tif")
    tiff_case("quadtile_tiles16", "src_quadtile_tiles16.tif", None, "decode")
    for s in ("bw", "bwwhite"):
        for tag, opts in [("none", ["-c", "none"]), ("lzw", ["-c", "lzw"]), ("packbits", ["-c", "packbits"]),
                          ("zip", ["-c", "zip"]), ("none_lsb", ["-c", "none", "-f", "lsb2msb"]),
                          ("none_r9", ["-c", "none", "-r", "9"]), ("lzw_tiles", ["-c", "lzw", "-t", "-w", "32", "-l", "16"])]:
            tiff_case(s + "_" + tag, "src_" + s + ".tif", opts, "decode")
        for tag, opts in [("g3", ["-c", "g3"]), ("g3_2d", ["-c", "g3:2d"]), ("g3_fill", ["-c", "g3:fill"]),
                          ("g3_2d_fill", ["-c", "g3:2d:fill"]), ("g4", ["-c", "g4"]),
                          ("g4_lsb", ["-c", "g4", "-f", "lsb2msb"]), ("g3_lsb", ["-c", "g3", "-f", "lsb2msb"]),
                          ("g4_r1", ["-c", "g4", "-r", "1"]), ("g4_r10", ["-c", "g4", "-r", "10"]),
                          ("g3_r10", ["-c", "g3", "-r", "10"]), ("g3_2d_r1", ["-c", "g3:2d", "-r", "1"]),
                          ("g4_be", ["-c", "g4", "-B"])]:
            tiff_case(s + "_" + tag, "src_" + s + ".tif", opts, "ccitt")
    # netpbm's own Group 3 coder, wrapped by libtiff's fax2tiff.
    with open(path("bw_pbmtog3.g3"), "wb") as f:
        f.write(run(["pbmtog3", path("src_bw.pbm")]))
    run(["fax2tiff", "-M", "-1", "-o", path("src_fax.tif"), path("bw_pbmtog3.g3")])
    tiff_case("bw_pbmtog3", "src_fax.tif", ["-c", "g3"], "ccitt")
    # Several pages, little- and big-endian.
    run(["tiffcp", "-c", "lzw", path("src_rgb.tif"), path("src_grey.tif"), path("src_bw.tif"), path("src_pages.tif")])
    tiff_case("pages", "src_pages.tif", [], "decode")
    tiff_case("pages_be", "src_pages.tif", ["-B"], "decode")


# ---------------------------------------------------------------- GIF

def gif_frames(data):
    """Every image of a GIF as giftopnm decodes it, at its own size."""
    return pnm_pages(run(["giftopnm", "-image=all", "-"], input=data))


def compose(width, height, frames, places):
    screen = bytearray(b"\xff" * (width * height * 3))
    for (w, h, rgb), (left, top) in zip(frames, places):
        for y in range(h):
            if top + y >= height:
                continue
            for x in range(w):
                if left + x >= width:
                    continue
                i = ((top + y) * width + left + x) * 3
                screen[i:i + 3] = rgb[(y * w + x) * 3:(y * w + x) * 3 + 3]
    return bytes(screen)


def gif_layout(data):
    """Each image's (left, top) and whether it has a local colour table and is interlaced."""
    pos, frames = 13, []
    if data[10] & 0x80:
        pos += 3 * (2 << (data[10] & 7))
    while pos < len(data):
        block = data[pos]
        pos += 1
        if block == 0x21:
            pos += 1
            while data[pos]:
                pos += data[pos] + 1
            pos += 1
        elif block == 0x2C:
            left, top = data[pos] | data[pos + 1] << 8, data[pos + 2] | data[pos + 3] << 8
            packed = data[pos + 8]
            pos += 9
            if packed & 0x80:
                pos += 3 * (2 << (packed & 7))
            pos += 1
            while data[pos]:
                pos += data[pos] + 1
            pos += 1
            frames.append(((left, top), bool(packed & 0x80), bool(packed & 0x40)))
        else:
            break
    return frames


def gif_case(name, data, places, width, height, oracle_data=None):
    write(name + ".gif", data)
    frames = gif_frames(oracle_data or data)
    write(name + ".rgb", compose(width, height, frames, places))
    emit(name, file=name + ".gif", width=width, height=height, frames=len(frames))


def gif_cases():
    src = picture(83, 51, 3)
    b = io.BytesIO(); src.quantize(256).save(b, "GIF"); gif_case("global256", b.getvalue(), [(0, 0)], 83, 51)
    b = io.BytesIO(); src.quantize(4).save(b, "GIF"); gif_case("global4", b.getvalue(), [(0, 0)], 83, 51)
    b = io.BytesIO(); src.convert("1").save(b, "GIF"); gif_case("bilevel", b.getvalue(), [(0, 0)], 83, 51)
    b = io.BytesIO(); src.convert("L").save(b, "GIF"); gif_case("grey", b.getvalue(), [(0, 0)], 83, 51)
    b = io.BytesIO(); src.quantize(64).save(b, "GIF", interlace=True)
    gif_case("interlaced", b.getvalue(), [(0, 0)], 83, 51)
    src.save(path("gif_src.png"))
    gif_case("im_interlaced", run(["convert", path("gif_src.png"), "-colors", "100", "-interlace", "GIF", "gif:-"]),
             [(0, 0)], 83, 51)
    # Frames of their own size and place, each with its own (local) colour table.
    a = picture(40, 30, 4); a.save(path("fa.png"))
    c = picture(17, 11, 5); c.save(path("fb.png"))
    d = picture(25, 9, 6); d.save(path("fc.png"))
    data = run(["convert", "-dispose", "none", "-page", "40x30+0+0", path("fa.png"), "-page", "+20+15", path("fb.png"),
                "-page", "+3+18", path("fc.png"), "-colors", "60", "gif:-"])
    gif_case("im_frames", data, [(0, 0), (20, 15), (3, 18)], 40, 30)
    # A frame that reaches past the screen's edge is clipped.
    # giftopnm refuses such a frame: it decodes the same frames on a screen large enough.
    def clipped(screen):
        return run(["convert", "-dispose", "none", "-page", screen + "+0+0", path("fa.png"), "-page", "+30+25",
                    path("fb.png"), "-colors", "60", "gif:-"])
    gif_case("im_clipped", clipped("40x30"), [(0, 0), (30, 25)], 40, 30, oracle_data=clipped("60x50"))
    assert any(local for _, local, _ in gif_layout(data)), "ImageMagick wrote no local colour table"
    # Pillow: several frames, the later ones with palettes of their own (local tables).
    second = picture(40, 30, 7).transpose(Image.FLIP_LEFT_RIGHT)
    second.paste((10, 20, 30), (0, 0, 40, 10))
    third = Image.new("RGB", (40, 30), (250, 0, 0))
    third.paste(picture(20, 10, 8), (10, 12))
    b = io.BytesIO()
    a.quantize(64).save(b, "GIF", save_all=True, append_images=[second.quantize(32), third.quantize(16)],
                        disposal=1, optimize=False)
    layout = gif_layout(b.getvalue())
    assert len(layout) == 3 and layout[1][1] and layout[2][1], "Pillow wrote no local colour tables"
    gif_case("pil_frames", b.getvalue(), [place for place, _, _ in layout], 40, 30)
    # ImageMagick: interlaced frames of their own size and place.
    data = run(["convert", "-dispose", "none", "-page", "40x30+0+0", path("fa.png"), "-page", "+20+15", path("fb.png"),
                "-page", "+3+18", path("fc.png"), "-colors", "60", "-interlace", "GIF", "gif:-"])
    layout = gif_layout(data)
    assert len(layout) == 3 and all(lace for _, _, lace in layout), "ImageMagick wrote frames not interlaced"
    gif_case("im_frames_interlaced", data, [place for place, _, _ in layout], 40, 30)
    # Pillow's picture of 300 x 300 set on a screen of 2,100 x 2,100 at (1700, 1500): a small file
    # whose screen most of all stays background.
    b = io.BytesIO(); picture(300, 300, 9).quantize(64).save(b, "GIF")
    gif_case("large_screen", placed(b.getvalue(), (2100, 2100), (1700, 1500)), [(1700, 1500)], 2100, 2100,
             oracle_data=b.getvalue())


def placed(data, screen, place):
    """The GIF with the logical screen's size and the first image's place changed."""
    data = bytearray(data)
    data[6:10] = bytes([screen[0] & 0xFF, screen[0] >> 8, screen[1] & 0xFF, screen[1] >> 8])
    pos = 13 + (3 * (2 << (data[10] & 7)) if data[10] & 0x80 else 0)
    while data[pos] == 0x21:  # extensions before the image
        pos += 2
        while data[pos]:
            pos += data[pos] + 1
        pos += 1
    assert data[pos] == 0x2C
    data[pos + 1:pos + 5] = bytes([place[0] & 0xFF, place[0] >> 8, place[1] & 0xFF, place[1] >> 8])
    return bytes(data)


def translucent(w, h, seed):
    """The picture with coverage falling from opaque at the top left to clear at the bottom
    right, and a clear hole in the middle."""
    im = picture(w, h, seed).convert("RGBA")
    px = im.load()
    for y in range(h):
        for x in range(w):
            a = 255 - (x + y) * 255 // max(1, w + h - 2)
            if abs(x - w // 2) < w // 5 and abs(y - h // 2) < h // 5:
                a = 0
            px[x, y] = px[x, y][:3] + (a,)
    return im


def dib_icon(w, h, bpp, pixels, mask, palette=(), compression=0, masks=b""):
    """A one-entry icon of a DIB: bottom-up rows of `pixels` (row bytes before padding), then
    the AND mask (rows of bits, 1 = transparent), or none."""
    import struct
    stride = (w * bpp + 31) // 32 * 4
    bits = b"".join(pixels[y].ljust(stride, b"\0") for y in reversed(range(h)))
    mstride = (w + 31) // 32 * 4
    andmask = b"".join(mask[y].ljust(mstride, b"\0") for y in reversed(range(h))) if mask else b""
    dib = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, bpp, compression, 0, 0, 0, len(palette), 0) + masks
    dib += b"".join(struct.pack("<BBBB", c[2], c[1], c[0], 0) for c in palette) + bits + andmask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, bpp, len(dib), 22) + dib


def bits_row(values, bpp):
    out, acc, n = bytearray(), 0, 0
    for v in values:
        acc, n = (acc << bpp) | v, n + bpp
        if n == 8:
            out.append(acc)
            acc, n = 0, 0
    if n:
        out.append(acc << (8 - n))
    return bytes(out)


def ico_case(name, data, tolerance=0, opaque=False):
    """The icon and, as Pillow decodes its entry nearest 8 x 8 (then the deepest), the pixels
    it shows on white (opaque: whatever Pillow makes of a mask the entry lacks)."""
    import struct
    write(name + ".ico", data)
    count = struct.unpack("<H", data[4:6])[0]
    entries = []
    for i in range(count):
        w, h, _, _, _, bpp = struct.unpack("<BBBBHH", data[6 + 16 * i:6 + 16 * i + 8])
        entries.append((abs((w or 256) - 8) + abs((h or 256) - 8), -bpp, w or 256, h or 256))
    _, _, w, h = min(entries)
    rgba = Image.open(path(name + ".ico")).ico.getimage((w, h)).convert("RGBA")
    rgb = bytearray()
    for r, g, b, a in rgba.getdata():
        a = 255 if opaque else a
        rgb += bytes((c * a + 255 * (255 - a) + 127) // 255 for c in (r, g, b))
    write(name + ".rgb", bytes(rgb))
    emit(name, file=name + ".ico", width=rgba.width, height=rgba.height, tolerance=tolerance)


def ico_cases():
    src = translucent(32, 32, 21)
    for fmt in ("png", "bmp"):
        b = io.BytesIO(); src.save(b, "ICO", sizes=[(16, 16), (32, 32)], bitmap_format=fmt)
        ico_case("pillow_" + fmt, b.getvalue())
    src.save(path("src.png"))
    for name, args in (("im_rgba", []), ("im_opaque", ["-alpha", "off"]), ("im_palette", ["-alpha", "off", "-colors", "12"])):
        run(["convert", path("src.png")] + args + ["-define", "icon:auto-resize=16,48", path(name + ".ico")])
        ico_case(name, open(path(name + ".ico"), "rb").read())
    os.remove(path("src.png"))
    # DIB entries of every depth, 13 x 7 (rows and masks padded), a diagonal of masked pixels.
    w, h = 13, 7
    rnd = random.Random(3)
    mask = [bits_row([1 if (x + y) % 5 == 0 else 0 for x in range(w)], 1) for y in range(h)]
    for bpp in (1, 4, 8):
        palette = [(rnd.randrange(256), rnd.randrange(256), rnd.randrange(256)) for _ in range(1 << bpp)]
        rows = [bits_row([rnd.randrange(1 << bpp) for _ in range(w)], bpp) for _ in range(h)]
        ico_case("dib_%d" % bpp, dib_icon(w, h, bpp, rows, mask, palette))
    rows24 = [bytes(rnd.randrange(256) for _ in range(3 * w)) for _ in range(h)]
    ico_case("dib_24", dib_icon(w, h, 24, rows24, mask))
    # Without its mask the entry is opaque, as the platform shows it (Pillow makes it clear).
    ico_case("dib_24_without_mask", dib_icon(w, h, 24, rows24, None), opaque=True)
    rows16 = [bytes(rnd.randrange(256) if i % 2 == 0 else rnd.randrange(128) for i in range(2 * w)) for _ in range(h)]
    # Pillow widens five bits by scaling, the platform by repeating their top bits: a level apart.
    ico_case("dib_16", dib_icon(w, h, 16, rows16, mask), tolerance=1)
    rows32 = [bytes(rnd.randrange(256) for _ in range(4 * w)) for _ in range(h)]
    ico_case("dib_32_alpha", dib_icon(w, h, 32, rows32, mask))
    # PNG entries of every colour type with transparency: a palette with coverage per entry, grey
    # and colour with a transparent colour, grey with coverage, grey of two bits.
    grey = src.convert("L")
    pal = src.convert("RGB").quantize(16)
    pal.info["transparency"] = bytes(range(0, 256, 16))
    for name, im in (("png_palette_trns", pal), ("png_grey_key", grey), ("png_rgb_key", src.convert("RGB")),
                     ("png_grey_alpha", src.convert("LA"))):
        b = io.BytesIO()
        if name == "png_grey_key":
            im.save(b, "PNG", transparency=grey.getpixel((3, 3)))
        elif name == "png_rgb_key":
            im.save(b, "PNG", transparency=im.getpixel((3, 3)))
        else:
            im.save(b, "PNG")
        ico_case(name, dib_icon_png(b.getvalue(), 32, 32))
    b = io.BytesIO(); grey.convert("1").save(b, "PNG")
    ico_case("png_one_bit", dib_icon_png(b.getvalue(), 32, 32))


def dib_icon_png(png, w, h):
    import struct
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(png), 22) + png


if kind == "tiff":
    tiff_cases()
elif kind == "gif":
    gif_cases()
elif kind == "ico":
    ico_cases()
manifest.close()
