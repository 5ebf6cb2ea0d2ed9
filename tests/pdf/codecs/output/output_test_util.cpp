#include "tests/pdf/codecs/output/output_test_util.h"

#include <unistd.h>

#include "tests/support/test_support.h"

namespace outputtest {

// Octree quantisation (at most 256 leaves after each row, deepest newest node merged first),
// palette in depth-first leaf order, and the nearest-colour lookup with its 15-bit cell cache.
// Prints the expected RGB bytes of every pixel as hexadecimal.
const char* const kReferenceQuantiser = R"PY(
import sys
data = open(sys.argv[1], 'rb').read()
w, h = int(sys.argv[2]), int(sys.argv[3])
MAXC, BITS = 256, 8
class Node:
    def __init__(self, level):
        self.leaf = level == BITS
        self.n = self.r = self.g = self.b = 0
        self.kids = [None] * 8
levels = [[] for _ in range(8)]
leaves = 0
root = None
def make(level):
    global leaves
    n = Node(level)
    if n.leaf: leaves += 1
    else: levels[level].append(n)
    return n
def add(r, g, b):
    global root
    if root is None: root = make(0)
    node, level = root, 0
    while not node.leaf:
        s = 7 - level
        i = ((r >> s) & 1) << 2 | ((g >> s) & 1) << 1 | ((b >> s) & 1)
        if node.kids[i] is None: node.kids[i] = make(level + 1)
        node, level = node.kids[i], level + 1
    node.n += 1; node.r += r; node.g += g; node.b += b
def reduce():
    global leaves
    level = BITS - 1
    while level > 0 and not levels[level]: level -= 1
    if not levels[level]: return False
    node = levels[level].pop()
    k = 0
    for c in node.kids:
        if c is not None:
            node.n += c.n; node.r += c.r; node.g += c.g; node.b += c.b; k += 1
    node.kids = [None] * 8
    node.leaf = True
    leaves -= k - 1
    return True
px = [tuple(data[i:i + 3]) for i in range(0, w * h * 3, 3)]
for y in range(h):
    for x in range(w): add(*px[y * w + x])
    while leaves > MAXC and reduce(): pass
pal = []
def walk(n):
    if n.leaf:
        pal.append((n.r // n.n, n.g // n.n, n.b // n.n))
        return
    for c in n.kids:
        if c is not None: walk(c)
walk(root)
pal = (pal + [(0, 0, 0)] * 256)[:256]
def key(r, g, b): return (r >> 3) | ((g & 0xF8) << 2) | ((b & 0xF8) << 7)
cache = {}
for i, (r, g, b) in enumerate(pal): cache.setdefault(key(r, g, b), i)
out = bytearray()
for (r, g, b) in px:
    k = key(r, g, b)
    if k not in cache:
        best, bd = 0, 0x30000
        for i, (pr, pg, pb) in enumerate(pal):
            d = abs(pr - r) + abs(pg - g) + abs(pb - b)
            if d < bd: best, bd = i, d
        cache[k] = best
    out += bytes(pal[cache[k]])
print(out.hex())
)PY";

std::string ReferenceGIFPixels(const testraster::Raster& raster, const std::string& folder) {
  const std::string input = folder + "/reference.rgb";
  testsupport::WriteFile(input, std::string(raster.RGB.begin(), raster.RGB.end()));
  std::string hex;
  if (RunPython(kReferenceQuantiser, input + " " + std::to_string(raster.Width) + " " + std::to_string(raster.Height),
                &hex, folder) != 0)
    return {};
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size() && hex[i] != '\n'; i += 2)
    bytes += char(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

void Fill24(TBitmap& bitmap, int width, int height, const std::function<RGB(int x, int y)>& colour) {
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      const RGB c = colour(x, y);
      row[x * 3] = c.B;
      row[x * 3 + 1] = c.G;
      row[x * 3 + 2] = c.R;
    }
  }
}

testraster::Raster ToRaster(const TBitmap& bitmap) {
  testraster::Raster r;
  r.Width = bitmap.Width();
  r.Height = bitmap.Height();
  r.RGB.reserve(size_t(r.Width) * size_t(r.Height) * 3);
  for (int y = 0; y < r.Height; ++y)
    for (int x = 0; x < r.Width; ++x) {
      const COLORREF c = bitmap.Dib().GetColor(x, y);
      r.RGB.push_back(uint8_t(c));
      r.RGB.push_back(uint8_t(c >> 8));
      r.RGB.push_back(uint8_t(c >> 16));
    }
  return r;
}

const std::string& Python() {
  static const std::string path = [] {
    if (access("/usr/bin/python3", X_OK) == 0) return std::string("/usr/bin/python3");
    if (testsupport::HaveTool("python3")) return std::string("python3");
    return std::string();
  }();
  return path;
}

int RunPython(const std::string& script, const std::string& args, std::string* out, const std::string& folder) {
  const std::string file = folder + "/script.py";
  testsupport::WriteFile(file, script);
  return testsupport::Run(Python() + " " + file + " " + args, out);
}

}  // namespace outputtest
