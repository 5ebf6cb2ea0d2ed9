// A GIF picture painted a row at a time, as TPDFGIFDecoder::GetFrameSamples paints it whole:
// every screen row white where no frame paints, the frames painted over it in file order.
// Each frame is read a row at a time (TPDFGIFFrameRows) while the screen's rows pass over it:
// only the frames on the current row hold a reader. For pictures the decoder finds
// PaintableInRows.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pdf/codecs/gif/gif_decoder.h"

class TPDFGIFFrameRows;

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
  // The screen row below which no frame paints: every row from there on is white.
  int64_t PaintedBottom() const { return bottom_; }

 private:
  struct TFrame {
    const TPDFGIFFrame* frame = nullptr;
    std::array<std::array<uint8_t, 3>, 256> colours{};
    std::unique_ptr<TPDFGIFFrameRows> rows;  // while the screen's rows pass over the frame
  };

  const TPDFGIFDecoder& gif_;
  std::vector<TFrame> frames_;      // in file order
  std::vector<size_t> byTop_;       // frames_ by their first row
  size_t started_ = 0;              // frames of byTop_ whose first row has been reached
  std::vector<size_t> live_;        // frames on the current row, in file order
  std::vector<uint8_t> row_;
  bool white_ = false;              // row_ is all white
  int64_t next_ = 0;
  int64_t bottom_ = 0;
};
