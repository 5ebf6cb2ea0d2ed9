#include "pdf/codecs/gif/gif_screen_rows.h"

#include <algorithm>
#include <cstring>

#include "pdf/core/filters/lzw.h"

struct TPDFGIFScreenRows::TFrameRows {
  const TPDFGIFFrame* frame = nullptr;
  std::array<std::array<uint8_t, 3>, 256> colours{};
  // Frames stored row after row: their decoder, and how far its output has been taken.
  std::unique_ptr<TPDFLZWDecompressor> lzw;
  // Interlaced frames: their indexes, decoded when their first row is reached.
  std::string indexes;
  bool decoded = false;
};

TPDFGIFScreenRows::TPDFGIFScreenRows(const TPDFGIFDecoder& gif)
    : gif_(gif), row_(size_t(gif.ScreenWidth) * 3) {
  for (const TPDFGIFFrame& f : gif.Frames) {
    if (!TPDFGIFDecoder::FrameUsable(f)) continue;
    TFrameRows rows;
    rows.frame = &f;
    rows.colours = gif.FrameColours(f, true);
    frames_.push_back(std::move(rows));
  }
}

TPDFGIFScreenRows::~TPDFGIFScreenRows() = default;

const uint8_t* TPDFGIFScreenRows::Next() {
  // White where no frame paints, as a new bitmap is.
  std::fill(row_.begin(), row_.end(), uint8_t{0xFF});
  if (next_ < gif_.ScreenHeight) {
    for (TFrameRows& f : frames_) PaintRow(f, next_);
    ++next_;
  }
  return row_.data();
}

void TPDFGIFScreenRows::PaintRow(TFrameRows& f, int64_t y) {
  const TPDFGIFFrame& frame = *f.frame;
  const int64_t w = frame.Width, h = frame.Height;
  const int64_t r = y - frame.Top;  // the frame's row on this screen row
  if (r < 0 || r >= h) return;
  const int64_t screenW = gif_.ScreenWidth, left = frame.Left;
  const int64_t x0 = std::max<int64_t>(0, -left), x1 = std::min<int64_t>(w, screenW - left);
  if (x1 <= x0) return;
  // The row's place k in the frame's data, and the indexes there: a row past the end of the
  // data is not painted, the row the data end in only as far as they reach.
  const uint8_t* src = nullptr;
  int64_t have = 0;
  if (frame.Interlaced) {
    if (!f.decoded) {
      f.indexes = gif_.DecodeLZW(frame);
      f.decoded = true;
    }
    int64_t k = 0;
    static constexpr int64_t kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
      if ((r - kStart[pass]) % kStep[pass] == 0 && r >= kStart[pass]) {
        k += (r - kStart[pass]) / kStep[pass];
        break;
      }
      k += h > kStart[pass] ? (h - kStart[pass] + kStep[pass] - 1) / kStep[pass] : 0;
    }
    have = std::clamp<int64_t>(int64_t(f.indexes.size()) - k * w, 0, w);
    src = reinterpret_cast<const uint8_t*>(f.indexes.data()) + std::min<int64_t>(k * w, int64_t(f.indexes.size()));
  } else {
    if (!f.lzw) {
      f.lzw = std::make_unique<TPDFLZWDecompressor>();
      f.lzw->MSBFirst = false;
      f.lzw->EarlyChange = false;
      f.lzw->InitialCodeWidth = frame.LZWMinimumCodeSize + 1;
      f.lzw->MaxOutput = w * h;
      f.lzw->Open(gif_.ImageData(frame), std::min<int64_t>(TPDFLZWDecompressor::kKeptHistory, w * h));
    }
    // The rows above this one are done with.
    f.lzw->Release(r * w);
    const int64_t made = f.lzw->Produce((r + 1) * w);
    have = std::clamp<int64_t>(made - r * w, 0, w);
    src = reinterpret_cast<const uint8_t*>(f.lzw->Window(std::min(r * w, made)).data());
  }
  const int64_t end = std::min(x1, have);
  uint8_t* dst = row_.data() + (left + x0) * 3;
  for (int64_t x = x0; x < end; ++x, dst += 3) {
    const auto& c = f.colours[src[x]];
    dst[0] = c[0], dst[1] = c[1], dst[2] = c[2];
  }
  // Past the frame's last row on the screen, what it holds goes.
  if (r == h - 1 || y == gif_.ScreenHeight - 1) {
    f.lzw.reset();
    std::string().swap(f.indexes);
  }
}
