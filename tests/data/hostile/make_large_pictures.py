#!/usr/bin/python3
# Writes honest pictures whose samples pass 2^29 bytes, each as the tool named stores it, and
# each as Pillow decodes it reduced to the centres of its 16 x 16 blocks, each centre drawn as a
# block of 10 x 10 pixels (NAME-centres.png):
#   rgb-16000.png                  16,000 x 16,000 RGB, Pillow
#   rgb-16000-lzw-one-strip.tif    the same, tiffcp -c lzw -r 16000
#   rgb-16000-zip-one-strip.tif    the same, tiffcp -c zip -r 16000
#   rgb-16000-packbits-one-strip.tif  the same, tiffcp -c packbits -r 16000 (a 774 MB file)
#   rgb48-11314.png                11,314 x 11,314 RGB of 16-bit samples, ImageMagick
#   rgb-16385x16384.png            one column past the size cap, Pillow (no centres)
#   black-16385x16384.bmp          the same size, a black 24-bit BMP (sparse on disk)
# The picture is smooth gradients with a solid core in the middle of each block, so that any
# sampling of a block near its centre sees the core's colour (with noise, for grain, around the
# cores only).
# Usage: make_large_pictures.py OUTDIR
#
# make_large_pictures.py --run OUTDIR writes instead a folder of 8,000 x 8,000 pictures of every
# kind for one run: an uncompressed TIFF in strips of 32 rows (tiffcp), an LZW TIFF (ImageMagick's
# predictor and strips of 32 rows), Pillow's PNG, BMP and JPEG, and an icon holding the PNG.
import os
import struct
import subprocess
import sys

from PIL import Image, ImageChops, ImageDraw

Image.MAX_IMAGE_PIXELS = None
BLOCKS = 16


def picture(w, h, noise=0):
    r = Image.linear_gradient("L").resize((w, h))
    g = Image.linear_gradient("L").rotate(90).resize((w, h))
    b = Image.radial_gradient("L").resize((w, h))
    im = Image.merge("RGB", (r, g, b))
    if noise:
        grain = Image.effect_noise((w, h), noise)
        im = ImageChops.add(im, Image.merge("RGB", (grain, grain.rotate(180), grain.transpose(Image.FLIP_LEFT_RIGHT))),
                            scale=1.0, offset=-128)
    draw = ImageDraw.Draw(im)
    for j in range(BLOCKS):
        for i in range(BLOCKS):
            x0, x1 = i * w // BLOCKS, (i + 1) * w // BLOCKS
            y0, y1 = j * h // BLOCKS, (j + 1) * h // BLOCKS
            colour = ((37 * i + 11 * j) % 256, (91 * j + 5 * i * i) % 256, (13 * i * j + 60) % 256)
            draw.rectangle([x0 + (x1 - x0) // 3, y0 + (y1 - y0) // 3, x1 - (x1 - x0) // 3, y1 - (y1 - y0) // 3],
                           fill=colour)
    return im


def centres(path, frame=0):
    """Pillow's decode (of the given frame) reduced to the block centres: a PNG, or for CMYK
    pictures a TIFF of the CMYK samples, whose inks the program turns into colour its own way."""
    im = Image.open(path)
    im.seek(frame)
    im.load()
    mode = "CMYK" if im.mode == "CMYK" else "RGB"
    small = im.convert(mode).resize((BLOCKS, BLOCKS), Image.NEAREST)
    big = small.resize((10 * BLOCKS, 10 * BLOCKS), Image.NEAREST)
    if mode == "CMYK":
        big.save(path[:-4] + "-centres.tif")
    else:
        big.save(path[:-4] + "-centres.png")


def run_folder(out):
    path = lambda name: os.path.join(out, name)
    im = picture(8000, 8000)
    im.save(path("c.png"))
    im.save(path("d.bmp"))
    im.save(path("e.jpg"), quality=90)
    im.save(path("strips.tif"))
    del im
    subprocess.run(["tiffcp", "-c", "none", "-r", "32", path("strips.tif"), path("a.tif")], check=True)
    subprocess.run(["convert", path("strips.tif"), "-compress", "lzw", path("b.tif")], check=True)
    os.remove(path("strips.tif"))
    png = open(path("c.png"), "rb").read()
    with open(path("f.ico"), "wb") as f:
        f.write(struct.pack("<HHHBBBBHHII", 0, 1, 1, 0, 0, 0, 0, 1, 32, len(png), 22) + png)


def main():
    if sys.argv[1] == "--run":
        run_folder(sys.argv[2])
        return
    out = sys.argv[1]
    path = lambda name: os.path.join(out, name)

    im = picture(16000, 16000)
    im.save(path("rgb-16000.png"))
    im.save(path("strips.tif"), compression="tiff_deflate")
    del im
    for c in ("lzw", "zip", "packbits"):
        subprocess.run(["tiffcp", "-m", "0", "-c", c, "-r", "16000", path("strips.tif"), path("rgb-16000-%s-one-strip.tif" % c)],
                       check=True)
    os.remove(path("strips.tif"))

    picture(11314, 11314).save(path("rgb-11314.png"))
    subprocess.run(["convert", path("rgb-11314.png"), "-depth", "16", "png48:" + path("rgb48-11314.png")], check=True)
    os.remove(path("rgb-11314.png"))

    for name in ("rgb-16000.png", "rgb-16000-lzw-one-strip.tif", "rgb-16000-zip-one-strip.tif",
                 "rgb-16000-packbits-one-strip.tif", "rgb48-11314.png"):
        centres(path(name))

    picture(16385, 16384).save(path("rgb-16385x16384.png"))

    # Rows of 24-bit pixels padded to 4 bytes, all zero: only the header is written.
    w, h = 16385, 16384
    pixels = (3 * w + 3) // 4 * 4 * h
    with open(path("black-16385x16384.bmp"), "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 54 + pixels, 0, 0, 54))
        f.write(struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, pixels, 2835, 2835, 0, 0))
        f.truncate(54 + pixels)


if __name__ == "__main__":
    main()
