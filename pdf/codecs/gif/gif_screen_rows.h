// A GIF picture painted a row at a time, as TPDFGIFDecoder::GetFrameSamples paints it whole:
// every screen row white where no frame paints, the frames painted over it in file order.
// Frames stored row after row are decoded a piece at a time as their rows are reached;
// interlaced frames, whose rows come in four passes, are decoded whole while their rows are
// painted. For pictures the decoder finds PaintableInRows.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pdf/codecs/gif/gif_decoder.h"

class TPDFLZWDecompressor;

class TPDFGIFScreenRows {
 public:
  // The decoder must outlive the rows.
  explicit TPDFGIFScreenRows(const TPDFGIFDecoder& gif);
  ~TPDFGIFScreenRows();
  TPDFGIFScreenRows(const TPDFGIFScreenRows&) = delete;
  TPDFGIFScreenRows& operator=(const TPDFGIFScreenRows&) = delete;

  // The RGB samples of the next screen row from the top (three bytes a pixel), valid until the
  // next call.
  const uint8_t* Next();

 private:
  struct TFrameRows;
  // Paints the frame's row that lands on screen row y, if it has one.
  void PaintRow(TFrameRows& f, int64_t y);

  const TPDFGIFDecoder& gif_;
  std::vector<TFrameRows> frames_;
  std::vector<uint8_t> row_;
  int64_t next_ = 0;
};
