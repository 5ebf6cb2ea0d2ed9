// Decoding a page into the reader's bitmap: each strip (or tile) is decompressed to exactly the
// bytes its rows need (missing data reads as bytes 255), the horizontal predictor is undone row
// by row and the rows are converted straight into the bitmap's scan lines.
#include <algorithm>
#include <cstring>
#include <vector>

#include "pdf/codecs/tiff/tiff_bits.h"
#include "pdf/codecs/tiff/tiff_packbits.h"
#include "pdf/codecs/tiff/tiff_pixels.h"
#include "pdf/codecs/tiff/tiff_reader.h"
#include "pdf/core/filters/flate.h"
#include "pdf/core/filters/lzw.h"

namespace {

// One piece (strip or tile) of decoded samples is at most this large.
constexpr int64_t kMaxPieceBytes = int64_t(1) << 30;
// More pieces than this are not decoded (each costs a decompressor set-up).
constexpr uint64_t kMaxPieces = uint64_t(1) << 21;
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

// Decompresses a piece, at most Limit bytes of it: fewer when its data end sooner. Missing
// bytes are not made up here, so the buffer never holds more than the data produced.
std::string_view Decompress(uint8_t compression, std::string_view in, int64_t limit, std::string& buffer) {
  buffer.clear();
  if (in.empty()) return {};
  switch (compression) {
    case kTIFFNone:
      return in.substr(0, size_t(std::min<int64_t>(limit, int64_t(in.size()))));
    case kTIFFLZW: {
      TPDFLZWDecompressor lzw;
      lzw.MSBFirst = true;
      lzw.EarlyChange = true;
      lzw.InitialCodeWidth = 9;
      lzw.MaxOutput = limit;
      buffer = lzw.DecodeDefault(in);
      break;
    }
    case kTIFFDeflate:
      buffer = FlateDecompressString(in, limit);
      break;
    case kTIFFPackBits:
      PackBitsDecode(in, buffer, limit);
      break;
    default:
      break;
  }
  return std::string_view(buffer).substr(0, size_t(std::min<int64_t>(limit, int64_t(buffer.size()))));
}

class TPageDecoder {
 public:
  TPageDecoder(const TPDFTIFFPage& page, TBitmap& bitmap) : p_(page), bmp_(bitmap) {}
  bool Run();

 private:
  // Decodes piece Index (rows of RowBytes bytes) as far as the bitmap needs it and converts its
  // rows: Width pixels of each of its first Height rows land at pixel X of bitmap rows Y onward.
  void Piece(size_t index, int64_t rowBytes, uint32_t x, uint32_t y, uint32_t width, uint32_t height);

  const TPDFTIFFPage& p_;
  TBitmap& bmp_;
  TTIFFPixelConverter conv_;
  int32_t pixelBits_ = 0;
  std::string buffer_;
  std::string reversed_;
  std::vector<uint8_t> row_;  // the row being converted, with read slack
  // A row with no data converted once (missing rows are all alike), and its width in pixels.
  std::vector<uint8_t> missingRow_;
  uint32_t missingWidth_ = 0;
};

bool TPageDecoder::Run() {
  const TPDFTIFFPage& p = p_;
  if (p.Width == 0 || p.Height == 0 || uint64_t(p.Width) * p.Height > uint64_t(kMaxBitmapPixels)) return false;
  if (p.PlanarSeparate && p.SamplesPerPixel > 1) return false;
  if (p.SamplesPerPixel > 32) return false;
  switch (p.Compression) {
    case kTIFFNone: case kTIFFLZW: case kTIFFDeflate: case kTIFFPackBits: break;
    default: return false;
  }
  const uint32_t predictor = p.Predictor == 0 ? 1 : p.Predictor;
  if (predictor != 1 && !(predictor == 2 && p.BitsPerSample % 8 == 0)) return false;
  if (!conv_.Init(p)) return false;
  pixelBits_ = int32_t(p.BitsPerSample * p.SamplesPerPixel);
  if (!p.SizeBackedByData()) return false;

  bmp_.SetPixelFormat(conv_.Format());
  bmp_.SetSize(int(p.Width), int(p.Height));
  if (!conv_.Colors().empty()) bmp_.Dib().SetColors(conv_.Colors());

  if (p.Tiled) {
    if (p.TileWidth == 0 || p.TileLength == 0) return false;
    const uint64_t across = (uint64_t(p.Width) + p.TileWidth - 1) / p.TileWidth;
    const uint64_t down = (uint64_t(p.Height) + p.TileLength - 1) / p.TileLength;
    const int64_t rowBytes = (int64_t(p.TileWidth) * pixelBits_ + 7) / 8;
    if (across * down > kMaxPieces || rowBytes * int64_t(std::min(p.TileLength, p.Height)) > kMaxPieceBytes)
      return false;
    // Tiles are multiples of 16 pixels wide in any sound file; a tile width that would not
    // start its columns on a byte (or, for 1-bit targets, a whole bitmap byte) is refused.
    if ((uint64_t(p.TileWidth) * pixelBits_) % 8 != 0 || (conv_.Format() == pf1bit && p.TileWidth % 8 != 0))
      return false;
    for (uint64_t ty = 0; ty < down; ++ty)
      for (uint64_t tx = 0; tx < across; ++tx) {
        const uint32_t x = uint32_t(tx * p.TileWidth), y = uint32_t(ty * p.TileLength);
        Piece(size_t(ty * across + tx), rowBytes, x, y, std::min(p.TileWidth, p.Width - x),
              std::min(p.TileLength, p.Height - y));
      }
    return true;
  }
  const uint32_t rps = p.RowsPerStrip == 0 || p.RowsPerStrip > p.Height ? p.Height : p.RowsPerStrip;
  const int64_t rowBytes = (int64_t(p.Width) * pixelBits_ + 7) / 8;
  const uint64_t strips = (uint64_t(p.Height) + rps - 1) / rps;
  if (strips > kMaxPieces || rowBytes * int64_t(rps) > kMaxPieceBytes) return false;
  for (uint64_t i = 0; i < strips; ++i) {
    const uint32_t y = uint32_t(i * rps);
    const uint32_t rows = std::min(rps, p.Height - y);
    Piece(size_t(i), rowBytes, 0, y, p.Width, rows);
  }
  return true;
}

void TPageDecoder::Piece(size_t index, int64_t rowBytes, uint32_t x, uint32_t y, uint32_t width, uint32_t height) {
  std::string_view in = index < p_.Strips.size() ? std::string_view(p_.Strips[index]) : std::string_view();
  if (p_.FillOrder == 2) {
    reversed_.assign(in);
    ReverseBitOrder(reversed_);
    in = reversed_;
  }
  // Rows below the page, and the columns of the last row beyond it, are never decoded.
  const int64_t usedBytes = (int64_t(width) * pixelBits_ + 7) / 8;
  const std::string_view decoded = Decompress(p_.Compression, in, rowBytes * (height - 1) + usedBytes, buffer_);
  row_.assign(size_t(usedBytes) + kSampleReadSlack, 0);
  const int32_t targetBits = PixelFormatBits(conv_.Format());
  const size_t targetBytes = (size_t(width) * targetBits + 7) / 8;
  for (uint32_t r = 0; r < height; ++r) {
    uint8_t* target = bmp_.ScanLine(int(y + r)) + int64_t(x) * targetBits / 8;
    // Bytes the data did not produce read as 255.
    const uint64_t at = uint64_t(r) * uint64_t(rowBytes);
    const size_t have = at < decoded.size() ? size_t(std::min<uint64_t>(usedBytes, decoded.size() - at)) : 0;
    if (have == 0 && missingWidth_ == width) {
      std::memcpy(target, missingRow_.data(), targetBytes);
      continue;
    }
    if (have) std::memcpy(row_.data(), decoded.data() + at, have);
    std::memset(row_.data() + have, 0xFF, size_t(usedBytes) - have);
    if (p_.Predictor == 2) UndoHorizontalPredictor(row_.data(), width, p_.SamplesPerPixel, p_.BitsPerSample, p_.BigEndian);
    conv_.Convert(row_.data(), width, target);
    if (have == 0) {
      missingRow_.assign(target, target + targetBytes);
      missingWidth_ = width;
    }
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
    if (TPageDecoder(*page, *Bitmap).Run()) return true;
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
