#include "pdf/codecs/tiff/tiff_page_rows.h"

#include <algorithm>
#include <cstring>

#include "pdf/codecs/image_decoder/sample_rows.h"
#include "pdf/codecs/tiff/tiff_piece_rows.h"
#include "platform/gdi/picture.h"

namespace {

// A band of tiles holds the rows of one row of tiles: their samples are at most this large.
// (A strip costs a row at a time, however many rows it holds.)
constexpr int64_t kMaxPieceBytes = int64_t(1) << 30;
// A band of tiles is held in chunks of about this size.
constexpr int64_t kBandChunkBytes = int64_t(1) << 20;
// More pieces than this are not decoded (each costs a decompressor set-up).
constexpr uint64_t kMaxPieces = uint64_t(1) << 21;

}  // namespace

TTIFFPageRows::TTIFFPageRows(const TPDFTIFFPage& page) : p_(page), feeds_(page.Strips, page.FillOrder == 2) {}

TTIFFPageRows::~TTIFFPageRows() = default;

bool TTIFFPageRows::Open() {
  const TPDFTIFFPage& p = p_;
  if (p.Width == 0 || p.Height == 0 || uint64_t(p.Width) * p.Height > uint64_t(kMaxBitmapPixels)) return false;
  if (p.PlanarSeparate && p.SamplesPerPixel > 1) return false;
  if (p.SamplesPerPixel > 32) return false;
  switch (p.Compression) {
    case kTIFFNone: case kTIFFLZW: case kTIFFDeflate: case kTIFFPackBits: break;
    // libjpeg in this build gives 8-bit samples, and reads pieces held in memory.
    case kTIFFJPEG: if (p.BitsPerSample != 8 || p.Strips.InFile()) return false; break;
    default: return false;
  }
  // A predictor is part of the lossless codings only; JPEG data carry none.
  const uint32_t predictor = p.Predictor == 0 || p.Compression == kTIFFJPEG ? 1 : p.Predictor;
  if (predictor != 1 && !(predictor == 2 && p.BitsPerSample % 8 == 0)) return false;
  undoPredictor_ = predictor == 2;
  if (!conv_.Init(p)) return false;
  pixelBits_ = int32_t(p.BitsPerSample * p.SamplesPerPixel);
  if (!p.PiecesWithinBitmapLimit()) return false;
  lineBytes_ = (int64_t(p.Width) * PixelFormatBits(conv_.Format()) + 7) / 8;

  if (p.Tiled) {
    if (p.TileWidth == 0 || p.TileLength == 0) return false;
    const int64_t rowBytes = UsedBytes(p.TileWidth);
    if (p.TilesAcross() * p.TilesDown() > kMaxPieces ||
        rowBytes * int64_t(std::min(p.TileLength, p.Height)) > kMaxPieceBytes)
      return false;
    // Tiles are multiples of 16 pixels wide in any sound file; a tile width that would not
    // start its columns on a byte (or, for 1-bit targets, a whole bitmap byte) is refused.
    if ((uint64_t(p.TileWidth) * pixelBits_) % 8 != 0 || (conv_.Format() == pf1bit && p.TileWidth % 8 != 0))
      return false;
  } else {
    rowsPerStrip_ = p.RowsPerStrip == 0 || p.RowsPerStrip > p.Height ? p.Height : p.RowsPerStrip;
    const uint64_t strips = (uint64_t(p.Height) + rowsPerStrip_ - 1) / rowsPerStrip_;
    if (strips > kMaxPieces) return false;
  }
  line_.assign(size_t(lineBytes_), 0);
  return true;
}

std::unique_ptr<TTIFFPieceRows> TTIFFPageRows::PieceRows(size_t index, int64_t rowBytes, uint32_t height,
                                                      int64_t keepBytes) {
  const bool data = index < p_.Strips.size() && p_.Strips.Length(index) > 0;
  if (data && p_.Compression == kTIFFJPEG) {
    // The page's tables go before the piece while libjpeg reads it, without a copy of either;
    // the frame is the whole piece: a tile's rows below the page too. JPEG data are never
    // bit-reversed (libtiff's JPEG pages neither).
    const auto [tables, body] = p_.JPEGParts(index);
    return JPEGPieceRows(tables, body, p_.Tiled ? p_.TileWidth : p_.Width, p_.Tiled ? p_.TileLength : rowsPerStrip_,
                         p_.SamplesPerPixel, rowBytes);
  }
  // Rows below the page are never decoded; a piece without data reads as missing rows
  // without a decompressor set up for it.
  TSampleRows::TCoding coding = TSampleRows::kStored;
  switch (data ? p_.Compression : uint8_t(kTIFFNone)) {
    case kTIFFLZW: coding = TSampleRows::kLZW; break;
    case kTIFFDeflate: coding = TSampleRows::kInflate; break;
    case kTIFFPackBits: coding = TSampleRows::kPackBits; break;
    default: break;
  }
  return CodedPieceRows(data ? feeds_.Feed(index) : std::make_unique<TViewFeed>(std::string_view()), coding, rowBytes,
                        height, keepBytes);
}

void TTIFFPageRows::ConvertRow(TTIFFPieceRows& rows, uint32_t width, uint32_t x, uint8_t* line) {
  const uint8_t* from = rows.Next();
  if (rows.PastData()) {
    const std::vector<uint8_t>& missing = MissingRow(width);
    std::memcpy(At(line, x), missing.data(), missing.size());
    return;
  }
  ConvertData(from, width, At(line, x));
}

void TTIFFPageRows::ConvertData(const uint8_t* from, uint32_t width, uint8_t* to) {
  // Whole-byte samples with nothing to undo are converted where the piece's rows give them;
  // others in a row of their own, with room to read past its end.
  if (!undoPredictor_ && (p_.BitsPerSample % 8 == 0 || conv_.Format() == pf1bit)) {
    conv_.Convert(from, width, to);
    return;
  }
  const int64_t usedBytes = UsedBytes(width);
  row_.resize(size_t(usedBytes) + kSampleReadSlack);
  // Bytes the data did not produce read as 255.
  std::memcpy(row_.data(), from, size_t(usedBytes));
  if (undoPredictor_) UndoHorizontalPredictor(row_.data(), width, p_.SamplesPerPixel, p_.BitsPerSample, p_.BigEndian);
  conv_.Convert(row_.data(), width, to);
}

const std::vector<uint8_t>& TTIFFPageRows::MissingRow(uint32_t width) {
  const size_t slot = width == missingWidth_[0] || missingWidth_[0] == 0 ? 0 : 1;
  if (missingWidth_[slot] != width || missing_[slot].empty()) {
    missingWidth_[slot] = width;
    const int64_t usedBytes = UsedBytes(width);
    row_.assign(size_t(usedBytes) + kSampleReadSlack, 0xFF);
    if (undoPredictor_)
      UndoHorizontalPredictor(row_.data(), width, p_.SamplesPerPixel, p_.BitsPerSample, p_.BigEndian);
    // Converted whole bytes: a piece's columns start on a byte of the line.
    std::vector<uint8_t>& line = missing_[slot];
    line.assign(size_t((int64_t(width) * PixelFormatBits(conv_.Format()) + 7) / 8) + kSampleReadSlack, 0);
    conv_.Convert(row_.data(), width, line.data());
    line.resize(line.size() - kSampleReadSlack);
  }
  return missing_[slot];
}

void TTIFFPageRows::FillTileBand(uint32_t y) {
  const TPDFTIFFPage& p = p_;
  const uint64_t across = p.TilesAcross();
  const int64_t rowBytes = UsedBytes(p.TileWidth);
  if (y == 0) {
    // The scan line of the rows no tile's data reach, the same in every band.
    for (uint64_t tx = 0; tx < across; ++tx) {
      const uint32_t x = uint32_t(tx * p.TileWidth);
      const std::vector<uint8_t>& missing = MissingRow(std::min(p.TileWidth, p.Width - x));
      std::memcpy(At(line_.data(), x), missing.data(), missing.size());
    }
  }
  bandTop_ = y;
  bandRows_ = std::min(p.TileLength, p.Height - y);
  // Only the rows some tile's data reach are held: a band of tiles as tall as the page whose
  // data end early (or are missing) costs what its data make, not the page again.
  dataRows_ = 0;
  chunkRows_ = uint32_t(std::clamp<int64_t>(kBandChunkBytes / std::max<int64_t>(lineBytes_, 1), 1, bandRows_));
  for (uint64_t tx = 0; tx < across; ++tx) {
    const uint32_t x = uint32_t(tx * p.TileWidth);
    const uint32_t width = std::min(p.TileWidth, p.Width - x);
    // Only the tile's columns on the page are kept of its rows.
    std::unique_ptr<TTIFFPieceRows> rows =
        PieceRows(size_t(uint64_t(y / p.TileLength) * across + tx), rowBytes, bandRows_, UsedBytes(width));
    for (uint32_t r = 0; r < bandRows_; ++r) {
      const uint8_t* from = rows->Next();
      // Past its data a piece reads as missing rows to its end.
      if (rows->PastData()) break;
      if (r == dataRows_) {
        // A row no tile before reached: theirs are missing there. The chunks of a band before
        // serve again (every band but the last is as tall).
        const size_t chunk = r / chunkRows_;
        const size_t need = size_t(lineBytes_) * std::min(chunkRows_, bandRows_ - uint32_t(chunk) * chunkRows_);
        if (chunk == band_.size()) band_.emplace_back();
        if (band_[chunk].size() < need) band_[chunk].resize(need);
        std::memcpy(BandRow(r), line_.data(), line_.size());
        ++dataRows_;
      }
      ConvertData(from, width, At(BandRow(r), x));
    }
  }
}

const uint8_t* TTIFFPageRows::Next() {
  const TPDFTIFFPage& p = p_;
  if (next_ >= p.Height) return last_;
  const uint32_t y = next_++;
  if (p.Tiled) {
    if (bandRows_ == 0 || y >= bandTop_ + bandRows_) FillTileBand(y - y % p.TileLength);
    return last_ = y - bandTop_ < dataRows_ ? BandRow(y - bandTop_) : line_.data();
  }
  if (stripRowsLeft_ == 0) {
    stripIndex_ = y / rowsPerStrip_;
    stripRowsLeft_ = std::min(rowsPerStrip_, p.Height - y);
    // The strip before is done with before the next is read.
    strip_.reset();
    strip_ = PieceRows(stripIndex_, UsedBytes(p.Width), stripRowsLeft_, UsedBytes(p.Width));
  }
  --stripRowsLeft_;
  // Rows whose conversion is a copy are handed on where the strip's rows give them.
  if (conv_.Copies() && !undoPredictor_) {
    const uint8_t* row = strip_->Next();
    return last_ = strip_->PastData() ? MissingRow(p.Width).data() : row;
  }
  ConvertRow(*strip_, p.Width, 0, line_.data());
  return last_ = line_.data();
}
