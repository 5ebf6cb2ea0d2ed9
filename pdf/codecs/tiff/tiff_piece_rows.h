// The rows of one strip or tile of a TIFF page, one after another in the file's layout of
// samples: stored, inflated, run-length (PackBits) or LZW-decoded by the library's own
// decompressors, or decoded by libjpeg for JPEG pieces. No more than a few rows of a piece are held.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "pdf/codecs/image_decoder/sample_rows.h"

class TTIFFPieceRows {
 public:
  virtual ~TTIFFPieceRows() = default;
  // The next row (at least the bytes the piece was opened to keep), valid until the next call.
  virtual const uint8_t* Next() = 0;
  // Whether the row Next gave last lay wholly past the piece's data.
  virtual bool PastData() const = 0;
};

// The first `rows` rows of rowBytes bytes of the piece's bytes as TSampleRows makes them
// (keepBytes: how much of each row is read), the bytes read as the rows need them.
std::unique_ptr<TTIFFPieceRows> CodedPieceRows(std::unique_ptr<TByteFeed> bytes, TSampleRows::TCoding coding,
                                               int64_t rowBytes, uint32_t rows, int64_t keepBytes);

// Rows of rowBytes bytes of a JPEG piece of width x height pixels (the strip or the whole
// tile) whose pixels are `samples` 8-bit samples: the decoded rows, bytes the picture does
// not reach 255. The piece's bytes are read after `tables` (the page's, or nothing). A piece
// of another number of components, of a frame larger than the piece (see JPEGFrameFitsPiece)
// or of data libjpeg does not start on has no rows of data.
std::unique_ptr<TTIFFPieceRows> JPEGPieceRows(std::string_view tables, std::string_view bytes, uint32_t width,
                                              uint32_t height, uint32_t samples, int64_t rowBytes);

// A JPEG frame as large as the strip or tile it fills, its sides at most rounded up to whole
// blocks of 16: one larger (a frame of 16000 x 16000 in a page of 16) would make whoever
// draws the page decode far more than it shows.
bool JPEGFrameFitsPiece(uint64_t frameWidth, uint64_t frameHeight, uint32_t width, uint32_t height);
