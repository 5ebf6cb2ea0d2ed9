#!/usr/bin/python3
# Writes honest JPEG and GIF pictures of the kinds a Debian tool writes, at 36 and 64 megapixels
# and at the size cap, each with Pillow's decode reduced to the centres of its 16 x 16 blocks
# (NAME-centres.png, or NAME-centres.tif of CMYK samples: see make_large_pictures.py).
# --jpeg, at 6,000 x 6,000: cjpeg's samplings 2x2, 2x1 and 1x1, baseline and progressive, its
#   grey, and ImageMagick's CMYK (Adobe, inverted); at 8,000 x 8,000: ImageMagick's default,
#   Pillow's CMYK and its default progressive.
# --jpeg-cap-cmyk, at 16,384 x 16,384 (the size cap): Pillow's CMYK, baseline and progressive.
# --jpeg-cap-444: Pillow's 4:4:4 progressive at 14,500, 16,000 and 16,384 a side.
# --gif: Pillow's default (interlaced) at 6,000, 8,000 and 16,384 a side; three full frames at
#   16,384 a side, each over the last with disposal 3 (restore the previous), whose picture is
#   the last frame.
# Usage: make_large_jpegs_gifs.py --jpeg | --jpeg-cap-cmyk | --jpeg-cap-444 | --gif OUTDIR
import os
import subprocess
import sys

from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_large_pictures import centres, picture  # noqa: E402

Image.MAX_IMAGE_PIXELS = None
kind, out = sys.argv[1], sys.argv[2]
path = lambda name: os.path.join(out, name)


def cjpeg(source, name, *options):
    with open(path(name), "wb") as f:
        subprocess.run(["cjpeg", *options, source], stdout=f, check=True)
    centres(path(name))


def palette_frame(w, h, shift):
    """A palette picture (the green of the gradient picture as indexes, shifted) with a palette
    of its own: every pixel differs from the same pixel of the frame shifted otherwise."""
    im = picture(w, h).getchannel("G").point(lambda v: (v // 2 * 2 + shift) % 256).convert("P")
    im.putpalette([c for i in range(256) for c in (i, (37 * i) % 256, 255 - i)])
    return im


if kind == "--jpeg":
    im = picture(6000, 6000)
    im.save(path("source.ppm"))
    im.convert("L").save(path("source.pgm"))
    del im
    for sample in ("2x2", "2x1", "1x1"):
        cjpeg(path("source.ppm"), "cjpeg-%s-6000.jpg" % sample, "-sample", sample)
        cjpeg(path("source.ppm"), "cjpeg-%s-progressive-6000.jpg" % sample, "-sample", sample, "-progressive")
    cjpeg(path("source.pgm"), "cjpeg-grey-6000.jpg")
    os.remove(path("source.ppm"))
    os.remove(path("source.pgm"))
    im = picture(6000, 6000)
    im.save(path("source.png"))
    del im
    # ImageMagick's pixel cache is bounded by its policy: its CMYK at 36 megapixels.
    subprocess.run(["convert", path("source.png"), "-colorspace", "CMYK", path("magick-cmyk-6000.jpg")], check=True)
    im = picture(8000, 8000)
    im.save(path("source.png"))
    im.convert("CMYK").save(path("pillow-cmyk-8000.jpg"))
    im.save(path("pillow-progressive-8000.jpg"), progressive=True)
    del im
    subprocess.run(["convert", path("source.png"), path("magick-8000.jpg")], check=True)
    os.remove(path("source.png"))
    for name in ("pillow-cmyk-8000.jpg", "pillow-progressive-8000.jpg", "magick-8000.jpg", "magick-cmyk-6000.jpg"):
        centres(path(name))
elif kind.startswith("--jpeg-cap"):
    if kind == "--jpeg-cap-cmyk":
        im = picture(16384, 16384).convert("CMYK")
        im.save(path("pillow-cmyk-16384.jpg"))
        im.save(path("pillow-cmyk-progressive-16384.jpg"), progressive=True)
        del im
    else:
        for side in (14500, 16000, 16384):
            picture(side, side).save(path("pillow-444-progressive-%d.jpg" % side), progressive=True, subsampling=0)
    for name in sorted(os.listdir(out)):
        if name.endswith(".jpg"):
            centres(path(name))
elif kind == "--gif":
    for side in (6000, 8000, 16384):
        palette_frame(side, side, 0).save(path("pillow-%d.gif" % side))
        centres(path("pillow-%d.gif" % side))
    frames = [palette_frame(16384, 16384, shift) for shift in (1, 0, 2)]
    frames[0].save(path("three-frames-16384.gif"), save_all=True, append_images=frames[1:], disposal=3,
                   optimize=False)
    del frames
    centres(path("three-frames-16384.gif"), 2)
