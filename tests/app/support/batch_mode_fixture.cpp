#include "tests/app/support/batch_mode_fixture.h"

namespace apptest {

namespace {

// Pictures of 4 x 4 solid cells in every format the program reads. Raster types by Pillow;
// the metafiles are written record by record (sixteen filled rectangles).
const char* kMakeCells = R"PY(
import struct, sys
from PIL import Image
cells = [(255,0,0),(0,255,0),(0,0,255),(255,255,255),(0,0,0),(128,128,128),(200,100,0),(10,10,235),
         (255,255,0),(0,255,255),(255,0,255),(60,120,180),(90,30,30),(30,90,30),(30,30,90),(240,240,240)]
def cellimg(w, h):
    im = Image.new('RGB', (w, h)); px = im.load()
    for y in range(h):
        for x in range(w):
            px[x, y] = cells[(y * 4 // h) * 4 + x * 4 // w]
    return im
def rects(w, h):
    return [((i % 4) * w // 4, (i // 4) * h // 4, (i % 4 + 1) * w // 4, (i // 4 + 1) * h // 4, c) for i, c in enumerate(cells)]
def cref(c): return c[0] | (c[1] << 8) | (c[2] << 16)
def emf(path, w, h):
    recs = [struct.pack('<III', 37, 12, 0x80000008)]
    for l, t, r, b, c in rects(w, h):
        recs += [struct.pack('<IIIIII', 39, 24, 1, 0, cref(c), 0), struct.pack('<III', 37, 12, 1),
                 struct.pack('<IIiiii', 43, 24, l, t, r + 1, b + 1), struct.pack('<III', 37, 12, 0x80000000),
                 struct.pack('<III', 40, 12, 1)]
    recs.append(struct.pack('<IIIII', 14, 20, 0, 16, 20))
    body = b''.join(recs)
    hdr = struct.pack('<II4i4iIIIIHHIIIiiii', 1, 88, 0, 0, w - 1, h - 1, 0, 0, w * 2540 // 96, h * 2540 // 96,
                      0x464D4520, 0x10000, 88 + len(body), len(recs) + 1, 2, 0, 0, 0, 0, 1024, 768, 271, 203)
    open(path, 'wb').write(hdr + body)
def wmf(path, w, h):
    def rec(f, *a): return struct.pack('<IH', 3 + len(a), f) + struct.pack('<%dh' % len(a), *a)
    recs = [rec(0x020B, 0, 0), rec(0x020C, h, w), struct.pack('<IHHhhI', 8, 0x02FA, 5, 0, 0, 0), rec(0x012D, 0)]
    for l, t, r, b, c in rects(w, h):
        recs += [struct.pack('<IHHIH', 7, 0x02FC, 0, cref(c), 0), rec(0x012D, 1), rec(0x041B, b + 1, r + 1, t, l),
                 rec(0x01F0, 1)]
    recs.append(struct.pack('<IH', 3, 0))
    body = b''.join(recs)
    mh = struct.pack('<HHHIHIH', 1, 9, 0x300, 9 + len(body) // 2, 2, max(struct.unpack('<I', r[:4])[0] for r in recs), 0)
    ph = struct.pack('<IHhhhhHI', 0x9AC6CDD7, 0, 0, 0, w, h, 96, 0)
    x = 0
    for v in struct.unpack('<10H', ph): x ^= v
    open(path, 'wb').write(ph + struct.pack('<H', x) + mh + body)
o = sys.argv[1]
cellimg(64, 48).save(o + '/cells.png')
cellimg(128, 96).save(o + '/big.bmp')
cellimg(32, 24).save(o + '/small.jpg', quality=98, subsampling=0)
cellimg(64, 48).save(o + '/cells.gif')
cellimg(64, 48).save(o + '/cells.tif')
cellimg(64, 64).save(o + '/cells.ico', sizes=[(64, 64)])
emf(o + '/cells.emf', 64, 48)
wmf(o + '/cells.wmf', 64, 48)
Image.new('RGB', (64, 48), (20, 200, 40)).save(o + '/green.png')
)PY";

}  // namespace

void BatchMode::MakeCells() {
  testsupport::WriteFile(dir.File("cells.py"), kMakeCells);
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("cells.py") + " " + images), 0);
}

}  // namespace apptest
