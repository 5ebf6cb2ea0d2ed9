// A TIFF page decoded row after row into scan lines of its bitmap format (1-bit bilevel, 8-bit
// grey, 24-bit colour, 32-bit CMYK): strips a row at a time as their data are decompressed
// (missing data read as bytes 255), tiles a band of one tile row at a time, the pieces' bytes
// read (from the file, where they lie there) as the rows need them. JPEG pieces are read as
// libjpeg gives their samples, which must be the page's samples (grey or colour with extra
// samples; not YCbCr), from bytes held in memory. No more than a strip's row, or a band of
// tiles, is held, so a page is read in pieces as large as its layout makes them, never as
// large as the page.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pdf/codecs/tiff/tiff_piece_feeds.h"
#include "pdf/codecs/tiff/tiff_pixels.h"
#include "pdf/codecs/tiff/tiff_reader.h"

class TTIFFPieceRows;

class TTIFFPageRows {
 public:
  // The page must outlive the rows.
  explicit TTIFFPageRows(const TPDFTIFFPage& page);
  ~TTIFFPageRows();
  TTIFFPageRows(const TTIFFPageRows&) = delete;
  TTIFFPageRows& operator=(const TTIFFPageRows&) = delete;

  // False when the page's layout cannot be decoded (nothing is decoded yet): its size, strips
  // or tiles, compression, predictor or samples, or a size its data cannot back.
  bool Open();
  TPixelFormat Format() const { return conv_.Format(); }
  const std::vector<RGBQUAD>& Colors() const { return conv_.Colors(); }
  // Bytes of a scan line without padding.
  int64_t LineBytes() const { return lineBytes_; }
  // The next scan line from the top (Height of them; asked for more, the last again), valid
  // until the next call.
  const uint8_t* Next();

 private:
  // The rows of piece Index (rows of RowBytes bytes, of which the first KeepBytes are read),
  // decompressed as they are read.
  std::unique_ptr<TTIFFPieceRows> PieceRows(size_t index, int64_t rowBytes, uint32_t height, int64_t keepBytes);
  // Bytes of Width pixels of source samples.
  int64_t UsedBytes(uint32_t width) const { return (int64_t(width) * pixelBits_ + 7) / 8; }
  // Converts the next row of a piece: Width pixels land at pixel X of the line. Rows past the
  // piece's data (a missing piece, rows its data do not reach) are all alike: converted once
  // for each width, then copied.
  void ConvertRow(TTIFFPieceRows& rows, uint32_t width, uint32_t x, uint8_t* line);
  // Converts a row of Width pixels of the piece's data to `to`.
  void ConvertData(const uint8_t* from, uint32_t width, uint8_t* to);
  // Where pixel X of a scan line starts (pieces start on a byte of it).
  uint8_t* At(uint8_t* line, uint32_t x) const { return line + int64_t(x) * PixelFormatBits(conv_.Format()) / 8; }
  // The converted row of Width pixels of missing data.
  const std::vector<uint8_t>& MissingRow(uint32_t width);
  // Decodes the tiles of the band of tile rows starting at row Y.
  void FillTileBand(uint32_t y);
  // Row R of the band.
  uint8_t* BandRow(uint32_t r) { return band_[r / chunkRows_].data() + size_t(lineBytes_) * (r % chunkRows_); }

  const TPDFTIFFPage& p_;
  TTIFFPixelConverter conv_;
  int32_t pixelBits_ = 0;
  bool undoPredictor_ = false;  // horizontal differencing (never on JPEG samples)
  int64_t lineBytes_ = 0;
  uint32_t rowsPerStrip_ = 0;
  uint32_t next_ = 0;  // the row Next gives
  // Strips: the strip being read and its rows left.
  std::unique_ptr<TTIFFPieceRows> strip_;
  size_t stripIndex_ = 0;
  uint32_t stripRowsLeft_ = 0;
  // Tiles: the band of scan lines of one tile row that its tiles' data reach (dataRows_ of
  // bandRows_), and its first row. The band is held in chunks of chunkRows_ rows, made as the
  // data reach them: a band grown in one block would hold it and half of it again while it
  // moved.
  std::vector<std::vector<uint8_t>> band_;
  uint32_t chunkRows_ = 1;
  uint32_t bandTop_ = 0, bandRows_ = 0, dataRows_ = 0;
  // Strips: the scan line made; tiles: the scan line of rows past every tile's data.
  std::vector<uint8_t> line_;
  const uint8_t* last_ = nullptr;
  std::vector<uint8_t> row_;  // the row being converted, with read slack
  // The pieces' bytes, read one piece at a time.
  TTIFFPieceFeeds feeds_;
  // Missing rows converted, for the widths of whole pieces and of the page's last column.
  std::vector<uint8_t> missing_[2];
  uint32_t missingWidth_[2] = {0, 0};
};
