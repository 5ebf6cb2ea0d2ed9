// The colour indexes of one GIF frame, a row at a time from the top, decoded as the rows are
// asked for: never the frame whole. A frame stored row after row is read by one decoder; an
// interlaced frame, whose four passes lie one after another in its data, by one decoder per
// pass, each moving forward through its own pass (the later passes' decoders pass over the
// earlier passes' data without keeping them). A decoder goes once its pass has no more rows of
// data, and a pass the data cannot reach gets none: a frame as large as the screen over a few
// bytes holds nothing after its first row.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "pdf/codecs/gif/gif_decoder.h"

class TPDFLZWDecompressor;

class TPDFGIFFrameRows {
 public:
  // The decoder (and the file it holds) must outlive the rows.
  TPDFGIFFrameRows(const TPDFGIFDecoder& gif, const TPDFGIFFrame& frame);
  ~TPDFGIFFrameRows();
  TPDFGIFFrameRows(const TPDFGIFFrameRows&) = delete;
  TPDFGIFFrameRows& operator=(const TPDFGIFFrameRows&) = delete;

  // Row r of the frame (rows asked for from the top down): how many of its Width indexes the
  // data reach (0 for a row past their end), which lie at Indexes until the next call of Row or
  // ReleaseSpent.
  int64_t Row(uint32_t r, const uint8_t*& Indexes);
  // Lets the decoders go whose passes have no more rows of data.
  void ReleaseSpent();
  // No row below the last one asked for has any data.
  bool Done() const;

  // Where the frame's rows hold a decoder: from frame row First until row End is read (the
  // decoder goes while End is read), Bytes each (the decoder and what it keeps of its output).
  struct THold {
    int64_t First = 0, End = 0, Bytes = 0;
  };
  // The holds of a frame's decoders, reckoned from its data's size, without decoding them.
  static std::vector<THold> Holds(const TPDFGIFDecoder& gif, const TPDFGIFFrame& frame);
  // How many indexes the frame's data decode to (at most Width x Height), counted without
  // holding them.
  static int64_t DecodedSize(const TPDFGIFDecoder& gif, const TPDFGIFFrame& frame);

 private:
  struct TPass {
    std::unique_ptr<TPDFLZWDecompressor> lzw;
    int64_t start = 0;   // where the pass's first row lies in the frame's indexes
    int64_t made = 0;    // indexes the pass's decoder has made
    uint32_t rows = 0;   // the pass's rows in the frame
    bool spent = false;  // no later row of the pass has data
  };
  // A decoder over the frame's data, with no more first room than the data can fill.
  std::unique_ptr<TPDFLZWDecompressor> NewDecoder() const;
  // The most indexes the frame's data can make, counted from their size.
  static int64_t Reach(const TPDFGIFDecoder& gif, const TPDFGIFFrame& frame);

  const TPDFGIFDecoder& gif_;
  const TPDFGIFFrame& frame_;
  std::array<TPass, 4> passes_;
};
