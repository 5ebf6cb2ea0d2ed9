#include "tests/pdf/end_to_end/raster_compare.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "tests/support/test_support.h"

namespace testraster {

namespace {

const char* kMakePicture = R"PY(
import sys
from PIL import Image
path, w, h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
opts = dict(kv.split('=') for kv in sys.argv[4:])
opts = {k: int(v) for k, v in opts.items()}
img = Image.new('RGB', (w, h))
px = img.load()
for y in range(h):
    for x in range(w):
        r = (x * 255) // max(1, w - 1)
        g = (y * 255) // max(1, h - 1)
        b = 255 if (x // 4 + y // 4) % 2 else 0
        if x < w // 3 and y < h // 3:
            r, g, b = 200, 30, 60
        px[x, y] = (r, g, b)
if 'grey' in path:
    img = img.convert('L')
img.save(path, **opts)
)PY";

const char* kDecode = R"PY(
import sys
from PIL import Image
img = Image.open(sys.argv[1]).convert('RGB')
open(sys.argv[2], 'wb').write(b'P6\n%d %d\n255\n' % img.size + img.tobytes())
)PY";

Raster ReadPPM(const std::string& bytes) {
  Raster r;
  int maxval = 0, consumed = 0;
  if (std::sscanf(bytes.c_str(), "P6 %d %d %d%n", &r.Width, &r.Height, &maxval, &consumed) != 3 || maxval != 255)
    return {};
  const size_t start = static_cast<size_t>(consumed) + 1;
  const size_t size = static_cast<size_t>(r.Width) * r.Height * 3;
  if (bytes.size() < start + size) return {};
  r.RGB.assign(bytes.begin() + static_cast<std::ptrdiff_t>(start),
               bytes.begin() + static_cast<std::ptrdiff_t>(start + size));
  return r;
}

uint32_t LE(std::string_view b, size_t at, int n) {
  uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b[at + i]);
  return v;
}

}  // namespace

const std::string& PythonWithPIL() {
  static const std::string python = [] {
    for (const char* py : {"/usr/bin/python3", "python3"})
      if (testsupport::Run(std::string(py) + " -c 'import PIL' 2>/dev/null") == 0) return std::string(py);
    return std::string();
  }();
  return python;
}

bool MakeTestPicture(const std::string& path, int width, int height, const std::string& saveOptions) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("make.py"), kMakePicture);
  const std::string cmd = PythonWithPIL() + " " + dir.File("make.py") + " '" + path + "' " + std::to_string(width) + " " +
                          std::to_string(height) + " " + saveOptions;
  return testsupport::Run(cmd) == 0;
}

Raster DecodeWithPillow(const std::string& path) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("decode.py"), kDecode);
  if (testsupport::Run(PythonWithPIL() + " " + dir.File("decode.py") + " '" + path + "' " + dir.File("out.ppm")) != 0) return {};
  return ReadPPM(testsupport::ReadFile(dir.File("out.ppm")));
}

Raster RenderWithPoppler(const std::string& pdf, const std::string& prefix) {
  if (testsupport::Run("pdftoppm -r 72 -singlefile '" + pdf + "' '" + prefix + "'") != 0) return {};
  return ReadPPM(testsupport::ReadFile(prefix + ".ppm"));
}

Raster RenderWithPopplerCairo(const std::string& pdf, const std::string& prefix, double dpi) {
  if (testsupport::Run("pdftocairo -png -r " + std::to_string(dpi) + " -singlefile '" + pdf + "' '" + prefix + "'") != 0)
    return {};
  return DecodeWithPillow(prefix + ".png");
}

Raster ReadBmp(std::string_view b) {
  if (b.size() < 54 || b.substr(0, 2) != "BM") return {};
  const uint32_t offset = LE(b, 10, 4);
  const auto width = static_cast<int32_t>(LE(b, 18, 4));
  const auto height = static_cast<int32_t>(LE(b, 22, 4));
  if (LE(b, 28, 2) != 24 || width <= 0 || height == 0) return {};
  const int rows = std::abs(height);
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  if (b.size() < offset + stride * rows) return {};
  Raster r;
  r.Width = width;
  r.Height = rows;
  r.RGB.resize(static_cast<size_t>(width) * rows * 3);
  for (int y = 0; y < rows; ++y) {
    const size_t srcRow = offset + stride * static_cast<size_t>(height > 0 ? rows - 1 - y : y);
    for (int x = 0; x < width; ++x) {
      uint8_t* d = &r.RGB[(static_cast<size_t>(y) * width + x) * 3];
      d[0] = static_cast<uint8_t>(b[srcRow + x * 3 + 2]);
      d[1] = static_cast<uint8_t>(b[srcRow + x * 3 + 1]);
      d[2] = static_cast<uint8_t>(b[srcRow + x * 3]);
    }
  }
  return r;
}

Raster ShiftedOnWhite(const Raster& s) {
  Raster r;
  r.Width = s.Width;
  r.Height = s.Height;
  r.RGB.assign(s.RGB.size(), 255);
  for (int y = 1; y < s.Height; ++y)
    for (int x = 1; x < s.Width; ++x)
      std::memcpy(&r.RGB[(static_cast<size_t>(y) * s.Width + x) * 3], s.At(x - 1, y - 1), 3);
  return r;
}

Raster Crop(const Raster& r, int x, int y, int width, int height) {
  Raster c;
  if (x < 0 || y < 0 || width <= 0 || height <= 0 || x + width > r.Width || y + height > r.Height) return c;
  c.Width = width;
  c.Height = height;
  for (int row = 0; row < height; ++row) {
    const uint8_t* from = r.At(x, y + row);
    c.RGB.insert(c.RGB.end(), from, from + static_cast<size_t>(width) * 3);
  }
  return c;
}

int MaxDifference(const Raster& a, const Raster& b) {
  if (a.Width != b.Width || a.Height != b.Height || a.RGB.size() != b.RGB.size() || a.RGB.empty()) return 256;
  int worst = 0;
  for (size_t i = 0; i < a.RGB.size(); ++i) worst = std::max(worst, std::abs(a.RGB[i] - b.RGB[i]));
  return worst;
}

}  // namespace testraster
