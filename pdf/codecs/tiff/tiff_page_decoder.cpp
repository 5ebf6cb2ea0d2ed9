// Decoding a page into the reader's bitmap, a scan line at a time from the page's rows; and
// whether a page's pieces lay out no more than a bitmap may hold.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "pdf/codecs/tiff/tiff_page_rows.h"
#include "pdf/codecs/tiff/tiff_reader.h"

uint64_t TPDFTIFFPage::TilesAcross() const { return TileWidth ? (uint64_t(Width) + TileWidth - 1) / TileWidth : 0; }

uint64_t TPDFTIFFPage::TilesDown() const { return TileLength ? (uint64_t(Height) + TileLength - 1) / TileLength : 0; }

uint64_t TPDFTIFFPage::CoveredPixels() const {
  if (!Tiled || TileWidth == 0 || TileLength == 0) return uint64_t(Width) * Height;
  const uint64_t columns = TilesAcross() * TileWidth, rows = TilesDown() * TileLength;  // each below 2^33
  return rows > UINT64_MAX / columns ? UINT64_MAX : columns * rows;
}

bool TPDFTIFFPage::PiecesWithinBitmapLimit() const {
  // Missing data read as bytes 255: a page the strips do not fill is still the page, and costs
  // its pixels. Tiles reach past the page's edges and are read as far as they reach, so their
  // grid may be no larger than a bitmap may be (tiles of 65,500 columns on a page of 13 are
  // no layout any writer makes).
  return CoveredPixels() <= uint64_t(kMaxBitmapPixels);
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
