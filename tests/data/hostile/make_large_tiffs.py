#!/usr/bin/python3
# Writes honest TIFF pages a reader must read from the file as their rows need them, each with
# Pillow's decode reduced to the centres of its 16 x 16 blocks (NAME-centres.png: see
# make_large_pictures.py; files of one picture share the decode of one of them):
#   rgb-16384-none-one-strip.tif     the size cap, uncompressed, one strip (805 MB), tiffcp
#   rgb-16384-none-64-rows.tif       the same in strips of 64 rows
#   rgb-16384-none-tiles256.tif      the same in tiles of 256
#   rgb-16384-packbits.tif           the same, PackBits in tiffcp's strips
#   rgb-16384-pillow-lzw.tif         the same as Pillow writes it in LZW (one-row strips)
#   rgb-8000-none-one-row.tif        8,000 x 8,000, uncompressed one-row strips
#   rgb-8000-packbits-one-strip.tif  8,000 x 8,000 with grain around the cores (a photograph for
#                                    PackBits: a 194 MB file), one strip
#   rgb-8000-magick-lzw.tif          the photograph as ImageMagick writes it with -compress lzw
#                                    (predictor 2, strips of 32 rows)
#   rgb-8000-magick-zip-tiles.tif    the same, Deflate in tiles of 256
#   grey-16000-lzw-rows.tif          grey with grain, LZW in one-row strips (past 64 MB)
#   grey-16384-lzw-tiles16.tif       the same at the size cap, LZW in tiles of 16
#   grey-1x268435456-zip.tif         a column of the size cap, Deflate in tiffcp's strips
#   grey-268435456x1-zip.tif         a row of the size cap, Deflate in one strip
#   grey-2x134217728-zip.tif         their neighbours two pixels wide and high
#   grey-134217728x2-zip.tif
# The thin ones are runs of 2^20 pixels alike; their centres are computed from the runs, as
# Pillow cannot hold the row, on the page as it is drawn: one pixel right and down on white (so
# a picture one pixel wide or high leaves its page white).
# Usage: make_large_tiffs.py OUTDIR
import os
import shutil
import struct
import subprocess
import sys

from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_large_pictures import BLOCKS, centres, picture  # noqa: E402

Image.MAX_IMAGE_PIXELS = None
out = sys.argv[1]
path = lambda name: os.path.join(out, name)


def tiffcp(options, source, name):
    subprocess.run(["tiffcp", "-m", "0"] + options + [path(source), path(name)], check=True)


def thin(name, w, h):
    """A grey picture of the size cap w x h in runs of 2^20 pixels, and its page's centres."""
    n = w * h
    value = lambda i: (i >> 20) * 37 % 256
    # Uncompressed, one strip, written a run at a time; then Deflate by tiffcp.
    tags = [(256, 4, w), (257, 4, h), (258, 3, 8), (259, 3, 1), (262, 3, 1), (273, 4, 0), (277, 3, 1),
            (278, 4, h), (279, 4, n)]
    data_at = 8 + 2 + 12 * len(tags) + 4
    ifd = struct.pack("<H", len(tags))
    for tag, typ, v in tags:
        v = data_at if tag == 273 else v
        ifd += struct.pack("<HHI", tag, typ, 1) + (struct.pack("<I", v) if typ == 4 else struct.pack("<HH", v, 0))
    ifd += b"\0\0\0\0"
    with open(path("thin.tif"), "wb") as f:
        f.write(b"II*\0" + struct.pack("<I", 8) + ifd)
        for run in range(0, n, 1 << 20):
            f.write(bytes([value(run)]) * min(1 << 20, n - run))
    tiffcp(["-c", "zip"], "thin.tif", name)
    os.remove(path("thin.tif"))
    small = Image.new("L", (BLOCKS, BLOCKS))
    for j in range(BLOCKS):
        for i in range(BLOCKS):
            x, y = (2 * i + 1) * w // (2 * BLOCKS) - 1, (2 * j + 1) * h // (2 * BLOCKS) - 1
            small.putpixel((i, j), value(y * w + x) if x >= 0 and y >= 0 else 255)
    small.resize((10 * BLOCKS, 10 * BLOCKS), Image.NEAREST).save(path(name)[:-4] + "-centres.png")


def twins(first, *others):
    """Pillow's decode of the first file is the others' too: they hold the same picture."""
    centres(path(first))
    for name in others:
        shutil.copy(path(first)[:-4] + "-centres.png", path(name)[:-4] + "-centres.png")


im = picture(16384, 16384)
im.save(path("source.tif"))
im.save(path("rgb-16384-pillow-lzw.tif"), compression="tiff_lzw")
del im
for name, options in (("rgb-16384-none-one-strip.tif", ["-c", "none", "-r", "16384"]),
                      ("rgb-16384-none-64-rows.tif", ["-c", "none", "-r", "64"]),
                      ("rgb-16384-none-tiles256.tif", ["-c", "none", "-t", "-w", "256", "-l", "256"]),
                      ("rgb-16384-packbits.tif", ["-c", "packbits"])):
    tiffcp(options, "source.tif", name)
twins("rgb-16384-pillow-lzw.tif", "rgb-16384-none-one-strip.tif", "rgb-16384-none-64-rows.tif",
      "rgb-16384-none-tiles256.tif", "rgb-16384-packbits.tif")
picture(8000, 8000).save(path("source.tif"))
tiffcp(["-c", "none", "-r", "1"], "source.tif", "rgb-8000-none-one-row.tif")
centres(path("rgb-8000-none-one-row.tif"))
picture(8000, 8000, noise=60).save(path("source.tif"))
tiffcp(["-c", "packbits", "-r", "8000"], "source.tif", "rgb-8000-packbits-one-strip.tif")
for name, options in (("rgb-8000-magick-lzw.tif", ["-compress", "lzw"]),
                      ("rgb-8000-magick-zip-tiles.tif", ["-compress", "zip", "-define", "tiff:tile-geometry=256x256"])):
    subprocess.run(["convert", path("source.tif")] + options + [path(name)], check=True)
twins("rgb-8000-magick-lzw.tif", "rgb-8000-packbits-one-strip.tif", "rgb-8000-magick-zip-tiles.tif")
grey = picture(16384, 16384, noise=16).convert("L")
grey.save(path("source.tif"))
tiffcp(["-c", "lzw", "-t", "-w", "16", "-l", "16"], "source.tif", "grey-16384-lzw-tiles16.tif")
grey.crop((0, 0, 16000, 16000)).save(path("source.tif"))
del grey
tiffcp(["-c", "lzw", "-r", "1"], "source.tif", "grey-16000-lzw-rows.tif")
os.remove(path("source.tif"))
for name in ("grey-16000-lzw-rows.tif", "grey-16384-lzw-tiles16.tif"):
    centres(path(name))
thin("grey-1x268435456-zip.tif", 1, 1 << 28)
thin("grey-268435456x1-zip.tif", 1 << 28, 1)
thin("grey-2x134217728-zip.tif", 2, 1 << 27)
thin("grey-134217728x2-zip.tif", 1 << 27, 2)
