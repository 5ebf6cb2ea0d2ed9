// Decoding a page into the reader's bitmap, a scan line at a time from the page's rows; and
// whether a page's data can back the size it claims.
#include <algorithm>
#include <cstring>
#include <vector>

#include "pdf/codecs/tiff/tiff_page_rows.h"
#include "pdf/codecs/tiff/tiff_reader.h"
#include "pdf/core/filters/lzw.h"

namespace {

// Missing data read as bytes 255, but a page may not claim many more pixels than its data can
// decode to: a few bytes that claim a picture of 2^28 pixels do not make the decoder fill it.
// Beyond this many pixels, at most three quarters of a page may be missing.
constexpr uint64_t kMissingPixelsAllowance = uint64_t(4) << 20;

// The most bytes Size bytes of data can decode to.
uint64_t LargestDecodedSize(uint8_t compression, uint64_t size) {
  switch (compression) {
    case kTIFFLZW: return LZWLargestDecodedSize(size, 9);
    case kTIFFDeflate: return size * 1032;  // zlib's largest ratio
    case kTIFFPackBits: return size * 64;   // two bytes for a run of 128
    default: return size;
  }
}

}  // namespace

uint64_t TPDFTIFFPage::CoveredPixels() const {
  if (!Tiled || TileWidth == 0 || TileLength == 0) return uint64_t(Width) * Height;
  const uint64_t across = (uint64_t(Width) + TileWidth - 1) / TileWidth;
  const uint64_t down = (uint64_t(Height) + TileLength - 1) / TileLength;
  return across * TileWidth * (down * TileLength);
}

bool TPDFTIFFPage::SizeBackedByData() const {
  const uint64_t page = uint64_t(Width) * Height;
  const uint64_t claimed = CoveredPixels();
  // Tiles reach past the page's right and bottom edges by less than a tile: a grid of tiles
  // much larger than the page (tiles of 65,500 columns on a page of 13) is no honest layout.
  if (claimed > 4 * page + kMissingPixelsAllowance) return false;
  if (claimed <= kMissingPixelsAllowance) return true;
  uint64_t backed = 0;
  switch (Compression) {
    case kTIFFJPEG:
      return true;
    case kTIFFGroup4:
    case kTIFFGroup3OneD:
    case kTIFFGroup3TwoD: {
      // A fax row can be coded in a single bit (a row like the one above it).
      const uint64_t rowPixels = Tiled ? TileWidth : Width;
      for (const std::string& strip : Strips) backed += uint64_t(strip.size()) * 8 * rowPixels;
      break;
    }
    default: {
      const uint64_t pixelBits = std::max<uint64_t>(uint64_t(BitsPerSample) * SamplesPerPixel, 1);
      for (const std::string& strip : Strips) backed += LargestDecodedSize(Compression, strip.size()) * 8 / pixelBits;
      break;
    }
  }
  return claimed / 4 <= backed;
}

bool TPDFTIFF::DecodePage(int32_t Index) {
  const TPDFTIFFPage* page = Page(Index);
  Bitmap = std::make_unique<TBitmap>();
  if (page == nullptr) return false;
  try {
    TTIFFPageRows rows(*page);
    if (rows.Open()) {
      Bitmap->SetPixelFormat(rows.Format());
      Bitmap->SetSize(int(page->Width), int(page->Height));
      if (!rows.Colors().empty()) Bitmap->Dib().SetColors(rows.Colors());
      for (uint32_t y = 0; y < page->Height; ++y)
        std::memcpy(Bitmap->ScanLine(int(y)), rows.Next(), size_t(rows.LineBytes()));
      return true;
    }
  } catch (const std::exception&) {
    // A bitmap the platform will not allocate: the page is not decoded.
  }
  Bitmap = std::make_unique<TBitmap>();
  return false;
}

bool TPDFTIFF::ReadUncompressedPage(int32_t Index) {
  const TPDFTIFFPage* page = Page(Index);
  if (page == nullptr || page->Compression != kTIFFNone) return false;
  return DecodePage(Index);
}

bool TPDFTIFF::ReadCompressedPage(int32_t Index) {
  const TPDFTIFFPage* page = Page(Index);
  if (page == nullptr || page->Compression != kTIFFLZW) return false;
  return DecodePage(Index);
}
