// The samples of an image one row after another, as the whole decode would leave them: the
// stored bytes as they are, or inflated (and run-length decoded), run-length decoded as TIFF
// packs them, or LZW-decoded a piece at a time with a PNG or TIFF predictor undone row by row. A partly decoded last row ends in zeros under a predictor and in ones without;
// rows past the data read as all ones. No more than a few rows are held at any time.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "pdf/core/filters/byte_feed.h"
#include "pdf/core/filters/flate_reader.h"
#include "pdf/core/filters/lzw.h"
#include "pdf/core/filters/predictors.h"

class TSampleRows {
 public:
  // How the stream's bytes hold the samples: as they are, a zlib stream (of run-length data
  // for kInflateRunLength), LZW codes (most significant bit first, widened one code early or
  // not), or TIFF's PackBits (run-length data whose length byte 128 is no end but nothing).
  enum TCoding { kStored, kInflate, kLZW, kLZWLateChange, kInflateRunLength, kPackBits };

  // bytes: the stream's data (held by the caller while rows are read); predictor: undone after
  // inflating or LZW (Predictor below 2: none); rowBytes: bytes of one row of samples, which a
  // predictor's rows must match; rows: how many rows the image has (0: unknown), for the first
  // room of decoded bytes; keepBytes: how much of each row the caller reads (0: all of it;
  // rows under a predictor are always made whole), so that rows far wider than what is shown
  // of them cost what their data make, not what they claim.
  TSampleRows(std::string_view bytes, TCoding coding, const FlatePredictorParams& predictor, int64_t rowBytes,
              int64_t rows = 0, int64_t keepBytes = 0);
  // The same for bytes a feed hands over a window at a time (a piece of a file read as its
  // rows are needed).
  TSampleRows(std::unique_ptr<TByteFeed> feed, TCoding coding, const FlatePredictorParams& predictor,
              int64_t rowBytes, int64_t rows = 0, int64_t keepBytes = 0);
  ~TSampleRows();
  TSampleRows(const TSampleRows&) = delete;
  TSampleRows& operator=(const TSampleRows&) = delete;

  // True when the rows can be made here: a predictor that is none, TIFF or PNG, with rows of
  // rowBytes.
  static bool Supported(TCoding coding, const FlatePredictorParams& predictor, int64_t rowBytes);
  // True when the data give no sample byte at all (the whole decode fails on such data). Asked
  // before the first row.
  bool Empty();
  // The next row (its first keepBytes bytes, valid until the next call).
  const uint8_t* Next();
  // Rows read in parts instead, for rows too wide to hold (rows without a predictor only,
  // PartsSupported): the next n bytes of the row being read (n at most keepBytes), the next
  // row's first bytes once a row is done with; bytes past the data read as ones.
  bool PartsSupported() const { return !png_ && !tiff_; }
  const uint8_t* NextPart(int64_t n);
  // Whether the row Next gave last lay wholly past the data (all ones, like every row after it).
  bool PastData() const { return onesRow_; }

 private:
  // Makes at least `want` LZW-decoded bytes available, fewer where the data end; returns how
  // many are.
  int64_t FillLZW(int64_t want);
  // Puts the next row's kept bytes of inflated or LZW-decoded data into row_ (passing over the
  // rest) and its PNG filter byte into tag; answers how many bytes the data held of the row's
  // stride.
  int64_t Take(uint8_t& tag);
  // Decoded bytes: inflated, through the run-length decode for kInflateRunLength, or the
  // PackBits runs (out nullptr: passed over); answers how many there were.
  int64_t ReadDecoded(uint8_t* out, int64_t n);
  // The bytes the runs are read from: inflated, or the stream's own for PackBits.
  int64_t ReadRunBytes(uint8_t* out, int64_t n);

  // The bytes the rows are made from: read by the inflate or the LZW decoder, or here (stored
  // and PackBits data) from the feed's window being read.
  TFedInput fed_{nullptr};
  // Run-length data from their start, for Empty to look at on a reader of its own.
  std::unique_ptr<TByteFeed> start_;
  TCoding coding_;
  FlatePredictorParams predictor_;
  bool png_, tiff_;
  int64_t rowBytes_, stride_, keep_;
  std::unique_ptr<TFlateReader> inflater_;
  std::unique_ptr<TPDFLZWDecompressor> lzw_;
  int64_t lzwTaken_ = 0;  // LZW output handed out in rows
  int64_t lzwMade_ = 0;   // LZW output made
  // Run-length data: what is left of the run being read, and whether it repeats runByte_.
  int64_t runLeft_ = 0;
  bool runRepeats_ = false;
  uint8_t runByte_ = 0;
  bool runsEnded_ = false;
  bool done_ = false;  // the data have ended: every further row reads as ones
  bool onesRow_ = false;  // row_ holds a row of ones, given out after the data ended
  int64_t partLeft_ = 0;  // bytes of the row being read in parts that are still to come
  std::vector<uint8_t> row_, above_;
};
