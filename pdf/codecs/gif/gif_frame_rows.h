// The colour indexes of one GIF frame, a row at a time from the top, decoded as the rows are
// asked for: never the frame whole. A frame stored row after row is read by one decoder; an
// interlaced frame, whose four passes lie one after another in its data, by one decoder per
// pass, each moving forward through its own pass (the later passes' decoders pass over the
// earlier passes' data without keeping them).
#pragma once

#include <array>
#include <cstdint>
#include <memory>

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
  // data reach (0 for a row past their end), which lie at Indexes until the next call.
  int64_t Row(uint32_t r, const uint8_t*& Indexes);

  // The most reading a frame's rows may hold: its decoders and what each keeps of its output.
  static int64_t HeldBytes(const TPDFGIFDecoder& gif, const TPDFGIFFrame& frame);
  // How many indexes the frame's data decode to (at most Width x Height), counted without
  // holding them.
  static int64_t DecodedSize(const TPDFGIFDecoder& gif, const TPDFGIFFrame& frame);

 private:
  struct TPass {
    std::unique_ptr<TPDFLZWDecompressor> lzw;
    int64_t start = 0;  // where the pass's first row lies in the frame's indexes
    int64_t made = 0;   // indexes the pass's decoder has made
  };
  // A decoder over the frame's data, with no more first room than the data can fill.
  std::unique_ptr<TPDFLZWDecompressor> NewDecoder() const;

  const TPDFGIFDecoder& gif_;
  const TPDFGIFFrame& frame_;
  std::array<TPass, 4> passes_;
};
