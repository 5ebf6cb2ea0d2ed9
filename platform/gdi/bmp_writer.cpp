#include "platform/gdi/bmp_writer.h"

#include <algorithm>
#include <string>

#include "platform/rtl/numbers.h"

namespace {

// Where the 40-byte info header puts the horizontal and vertical pixels-per-metre fields.
constexpr int64_t kXPelsOffset = 38, kYPelsOffset = 42;

void Put16(std::string& s, uint32_t v) {
  s.push_back(char(v & 0xFF));
  s.push_back(char((v >> 8) & 0xFF));
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

}  // namespace

void WriteBmp(const GdiBitmap& bmp, TStream& stream) {
  const int bpp = bmp.BitsPerPixel();
  const bool masks = bpp == 16 && bmp.Is565();
  const uint32_t tableEntries = bpp <= 8 ? uint32_t(bmp.Colors().size()) : 0;
  const uint32_t extra = masks ? 12 : tableEntries * 4;
  const uint64_t imageSize = uint64_t(bmp.Stride()) * uint64_t(bmp.Height());
  const uint32_t offBits = 14 + 40 + extra;
  std::string s;
  s += "BM";
  Put32(s, uint32_t(offBits + imageSize));  // wraps only past 4 GiB, which the size cap rules out
  Put32(s, 0);
  Put32(s, offBits);
  Put32(s, 40);
  Put32(s, uint32_t(bmp.Width()));
  Put32(s, uint32_t(bmp.Height()));
  Put16(s, 1);
  Put16(s, uint32_t(bpp));
  Put32(s, masks ? BI_BITFIELDS : BI_RGB);
  Put32(s, uint32_t(imageSize));
  Put32(s, uint32_t(bmp.xPelsPerMeter));
  Put32(s, uint32_t(bmp.yPelsPerMeter));
  Put32(s, tableEntries);
  Put32(s, 0);
  if (masks) {
    Put32(s, 0xF800);
    Put32(s, 0x07E0);
    Put32(s, 0x001F);
  }
  for (uint32_t i = 0; i < tableEntries; ++i) {
    const RGBQUAD& q = bmp.Colors()[i];
    s.push_back(char(q.rgbBlue));
    s.push_back(char(q.rgbGreen));
    s.push_back(char(q.rgbRed));
    s.push_back(0);
  }
  if (auto* memory = dynamic_cast<TMemoryStream*>(&stream))
    memory->Reserve(memory->Position() + int64_t(s.size()) + int64_t(imageSize));
  stream.WriteString(s);
  // Rows go straight from the bitmap to the stream: no second full-size copy. Short rows go a
  // few hundred kilobytes at a time (a page of 2^28 rows of four bytes took a write a row):
  // bottom-up ones lie in the file's order already, top-down ones are gathered.
  const int64_t stride = bmp.Stride();
  constexpr int64_t kGathered = 256 * 1024;
  const int64_t rowsAtOnce = stride > 0 ? kGathered / stride : 0;
  if (rowsAtOnce < 2) {
    for (int32_t y = bmp.Height() - 1; y >= 0; --y) stream.WriteBuffer(bmp.Row(y), stride);
    return;
  }
  std::string gathered;
  for (int64_t y = bmp.Height() - 1; y >= 0; y -= rowsAtOnce) {
    const int64_t n = std::min(rowsAtOnce, y + 1);
    if (bmp.BottomUp()) {
      stream.WriteBuffer(bmp.Row(int32_t(y)), n * stride);
      continue;
    }
    gathered.clear();
    for (int64_t k = 0; k < n; ++k) gathered.append(reinterpret_cast<const char*>(bmp.Row(int32_t(y - k))), size_t(stride));
    stream.WriteString(gathered);
  }
}

std::string EncodeBmp(const GdiBitmap& bitmap) {
  TMemoryStream m;
  WriteBmp(bitmap, m);
  return m.DataString();
}

int32_t PixelsPerMetre(double dpi) { return ClampToInt32(TruncSaturate(dpi * 1000 / 25.4)); }

void PatchBmpResolution(TStream& stream, int64_t start, int32_t pixelsPerMetre) {
  std::string field;
  Put32(field, uint32_t(pixelsPerMetre));
  for (const int64_t offset : {kXPelsOffset, kYPelsOffset}) {
    stream.SetPosition(start + offset);
    stream.WriteBuffer(field.data(), 4);
  }
}
