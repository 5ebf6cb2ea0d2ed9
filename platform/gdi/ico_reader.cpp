#include "platform/gdi/ico_reader.h"

#include <cstdlib>
#include <vector>

#include "platform/gdi/bmp_reader.h"
#include "platform/gdi/graphics_errors.h"
#include "platform/gdi/png_image.h"

namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic(SInvalidIcon); }

uint32_t Le16(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
uint32_t Le32(const uint8_t* p) { return Le16(p) | (Le16(p + 2) << 16); }


// Folds the AND mask (or the image's own alpha) into a 32-bit BGRA image.
std::shared_ptr<GdiBitmap> ToBgra(const DibImage& dib) {
  GdiBitmap& src = *dib.image;
  bool hasAlpha = false;
  if (src.BitsPerPixel() == 32)
    for (int32_t y = 0; y < src.Height() && !hasAlpha; ++y)
      for (int32_t x = 0; x < src.Width(); ++x)
        if (src.Row(y)[4 * x + 3]) {
          hasAlpha = true;
          break;
        }
  auto out = std::make_shared<GdiBitmap>(src.Width(), src.Height(), 32);
  for (int32_t y = 0; y < src.Height(); ++y) {
    uint8_t* row = out->Row(y);
    for (int32_t x = 0; x < src.Width(); ++x) {
      const COLORREF c = src.GetColor(x, y);
      uint8_t* p = row + 4 * x;
      p[0] = GetBValue(c);
      p[1] = GetGValue(c);
      p[2] = GetRValue(c);
      if (hasAlpha)
        p[3] = src.Row(y)[4 * x + 3];
      else
        p[3] = (dib.mask && dib.mask->GetRaw(x, y)) ? 0 : 255;
    }
  }
  return out;
}

}  // namespace

int64_t IcoDirectoryBytes(std::span<const uint8_t> d) {
  if (d.size() < 6 || Le16(d.data()) != 0 || (Le16(d.data() + 2) != 1 && Le16(d.data() + 2) != 2)) return 0;
  const uint32_t count = Le16(d.data() + 4);
  return count == 0 ? 0 : 6 + int64_t(count) * 16;
}

std::vector<IcoEntry> ReadIcoDirectory(std::span<const uint8_t> d, int64_t fileSize) {
  const int64_t bytes = IcoDirectoryBytes(d);
  if (bytes == 0 || bytes > int64_t(d.size()) || bytes > fileSize) Invalid();
  std::vector<IcoEntry> entries;
  for (int64_t at = 6; at < bytes; at += 16) {
    const uint8_t* p = d.data() + at;
    IcoEntry e{p[0] ? p[0] : 256, p[1] ? p[1] : 256, int(Le16(p + 6)), Le32(p + 8), Le32(p + 12)};
    if (int64_t(e.offset) + e.size > fileSize || e.size == 0) continue;  // lying entries are skipped
    entries.push_back(e);
  }
  if (entries.empty()) Invalid();
  return entries;
}

const IcoEntry& PickIcoEntry(const std::vector<IcoEntry>& entries, int wantWidth, int wantHeight) {
  if (wantWidth <= 0) wantWidth = 32;
  if (wantHeight <= 0) wantHeight = 32;
  const IcoEntry* best = nullptr;
  long bestDist = 0;
  for (const IcoEntry& e : entries) {
    const long dist = std::labs(long(e.width) - wantWidth) + std::labs(long(e.height) - wantHeight);
    if (!best || dist < bestDist || (dist == bestDist && e.bitCount > best->bitCount)) {
      best = &e;
      bestDist = dist;
    }
  }
  return *best;
}

IconImage ReadIcoFile(std::span<const uint8_t> data, int wantWidth, int wantHeight) {
  const std::vector<IcoEntry> entries = ReadIcoDirectory(data, int64_t(data.size()));
  const IcoEntry* best = &PickIcoEntry(entries, wantWidth, wantHeight);
  const auto image = data.subspan(best->offset, best->size);
  IconImage result;
  result.entryCount = int(entries.size());
  if (IsPngSignature(image)) {
    result.image = DecodePngToBgra(image);
  } else {
    try {
      result.image = ToBgra(ReadDib(image, -1, true));
    } catch (const EInvalidGraphic&) {
      Invalid();
    }
  }
  return result;
}
