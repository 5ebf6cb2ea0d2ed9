// Reading BMP files and bare DIBs (header, colour table, bits) from untrusted bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "platform/gdi/dib.h"

// A whole BMP file: BITMAPFILEHEADER then a DIB. Accepts core (OS/2 1.x), OS/2 2.x without its
// own compressions, BITMAPINFOHEADER, V4 and V5 headers; 1, 4, 8, 16, 24 and 32 bits; BI_RGB,
// BI_RLE8, BI_RLE4, BI_BITFIELDS and BI_ALPHABITFIELDS; rows bottom-up or top-down.
// Raises EInvalidGraphic for anything malformed and EOutOfMemory for images over 2^28 pixels.
std::shared_ptr<GdiBitmap> ReadBmpFile(std::span<const uint8_t> data);

struct DibImage {
  std::shared_ptr<GdiBitmap> image;
  std::shared_ptr<GdiBitmap> mask;  // icons only: the 1-bit AND mask (1 = transparent)
};

// A DIB without file header. `bitsOffset` is the offset of the pixels from the start of `dib`,
// or -1 when they follow the colour table. With `iconImage` the header's height covers the
// image and its AND mask stacked, as in icon resources.
DibImage ReadDib(std::span<const uint8_t> dib, int64_t bitsOffset, bool iconImage);
// A DIB whose header and colour table lie apart from its bits (as metafile records carry
// them): `info` holds the header and table, `bits` the pixels from their first byte.
DibImage ReadDib(std::span<const uint8_t> info, std::span<const uint8_t> bits);

// The 24-bit pixels of a BMP file where they lie in its bytes: row y (0 = top) starts at
// first + y * step. For a caller that samples a few pixels of a large picture; the rows are
// those ReadBmpFile would copy.
struct BmpRows24 {
  int32_t width = 0, height = 0;
  const uint8_t* first = nullptr;
  int64_t step = 0;  // negative for files kept bottom-up
  bool Empty() const { return first == nullptr; }
  const uint8_t* Row(int32_t y) const { return first + step * y; }
};
// Empty for a well-formed file of another depth or compression (ReadBmpFile reads those);
// raises as ReadBmpFile does for malformed ones.
BmpRows24 ViewBmpRows24(std::span<const uint8_t> data);
