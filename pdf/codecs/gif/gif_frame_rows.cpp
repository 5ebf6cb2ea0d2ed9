#include "pdf/codecs/gif/gif_frame_rows.h"

#include <algorithm>

#include "pdf/core/filters/lzw.h"

namespace {

// Interlaced frames: rows 0, 8, 16, ...; then 4, 12, ...; then 2, 6, ...; then 1, 3, 5, ...
constexpr uint32_t kFirst[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
// A decoder passing over data it does not keep decodes this much at a time.
constexpr int64_t kPiece = 64 * 1024;
// The output a decoder keeps behind the row it reads, for the strings that reach back into it
// (a GIF string is at most 4,096 bytes; those reaching further are walked in the string table):
// little, so that the frames and interlace passes sharing a screen row, four decoders for
// every interlaced frame, hold little together.
constexpr int64_t kHistory = 64 * 1024;

uint32_t PassRows(uint32_t height, int pass) {
  return height > kFirst[pass] ? (height - kFirst[pass] + kStep[pass] - 1) / kStep[pass] : 0;
}

// Makes the decoder's output reach `until` (or the data's end), letting what lies before
// `keepFrom` go as it goes; answers how much it has made.
int64_t Advance(TPDFLZWDecompressor& lzw, int64_t made, int64_t keepFrom, int64_t until) {
  while (made < until) {
    lzw.Release(std::min(made, keepFrom));
    const int64_t now = lzw.Produce(std::min(until, made + kPiece));
    if (now == made) break;
    made = now;
  }
  return made;
}

}  // namespace

TPDFGIFFrameRows::TPDFGIFFrameRows(const TPDFGIFDecoder& gif, const TPDFGIFFrame& frame) : gif_(gif), frame_(frame) {
  const int64_t reach = Reach(gif, frame);
  int64_t start = 0;
  for (int p = 0; p < 4; ++p) {
    TPass& pass = passes_[size_t(p)];
    pass.start = start;
    pass.rows = frame.Interlaced ? PassRows(frame.Height, p) : p == 0 ? frame.Height : 0;
    start += int64_t(pass.rows) * frame.Width;
    // A pass the data cannot reach never gets a decoder.
    pass.spent = pass.rows == 0 || pass.start >= reach;
  }
}

TPDFGIFFrameRows::~TPDFGIFFrameRows() = default;

std::unique_ptr<TPDFLZWDecompressor> TPDFGIFFrameRows::NewDecoder() const {
  auto lzw = std::make_unique<TPDFLZWDecompressor>();
  lzw->MSBFirst = false;
  lzw->EarlyChange = false;
  lzw->InitialCodeWidth = frame_.LZWMinimumCodeSize + 1;
  lzw->MaxOutput = int64_t(frame_.Width) * frame_.Height;
  lzw->KeptHistory = kHistory;
  const std::string_view data = gif_.ImageData(frame_);
  lzw->Open(data, std::min({kHistory, lzw->MaxOutput, 16 * int64_t(data.size()) + 4096}));
  return lzw;
}

int64_t TPDFGIFFrameRows::Row(uint32_t r, const uint8_t*& Indexes) {
  Indexes = nullptr;
  ReleaseSpent();
  const int64_t w = frame_.Width;
  if (!TPDFGIFDecoder::FrameUsable(frame_) || r >= frame_.Height) return 0;
  int pass = 0;
  while (frame_.Interlaced && pass < 3 && !(r >= kFirst[pass] && (r - kFirst[pass]) % kStep[pass] == 0)) ++pass;
  TPass& p = passes_[size_t(pass)];
  if (p.spent) return 0;
  const uint32_t k = frame_.Interlaced ? (r - kFirst[pass]) / kStep[pass] : r;
  const int64_t at = p.start + int64_t(k) * w;
  if (!p.lzw) p.lzw = NewDecoder();
  p.made = Advance(*p.lzw, p.made, at, at + w);
  const int64_t have = std::clamp<int64_t>(p.made - at, 0, w);
  if (have > 0) Indexes = reinterpret_cast<const uint8_t*>(p.lzw->Window(at).data());
  // The data end within this row (or the pass does): its later rows have none.
  p.spent = p.made < at + w || k + 1 >= p.rows;
  return have;
}

void TPDFGIFFrameRows::ReleaseSpent() {
  for (TPass& p : passes_)
    if (p.spent) p.lzw.reset();
}

bool TPDFGIFFrameRows::Done() const {
  return std::all_of(passes_.begin(), passes_.end(), [](const TPass& p) { return p.spent; });
}

int64_t TPDFGIFFrameRows::Reach(const TPDFGIFDecoder& gif, const TPDFGIFFrame& frame) {
  const int64_t pixels = int64_t(frame.Width) * frame.Height;
  // After n codes no string is longer than n, so the data cannot make more than n(n+1)/2.
  const int64_t codes = int64_t(gif.ImageData(frame).size()) * 8 / (frame.LZWMinimumCodeSize + 1) + 1;
  const int64_t reach = codes > (int64_t(1) << 31) ? INT64_MAX : codes * (codes + 1) / 2;
  return std::min(pixels, reach);
}

std::vector<TPDFGIFFrameRows::THold> TPDFGIFFrameRows::Holds(const TPDFGIFDecoder& gif, const TPDFGIFFrame& frame) {
  if (!TPDFGIFDecoder::FrameUsable(frame)) return {};
  const int64_t reach = Reach(gif, frame), w = frame.Width;
  // A decoder keeps its history and a piece beyond, in a buffer grown by doubling.
  const int64_t kept = 2 * (2 * kHistory + kPiece + w + 4096);
  const int64_t bytes = int64_t(sizeof(TPDFLZWDecompressor)) + std::min(reach, kept) + 64;
  std::vector<THold> holds;
  const TPDFGIFFrameRows rows(gif, frame);
  for (int p = 0; p < 4; ++p) {
    const TPass& pass = rows.passes_[size_t(p)];
    if (pass.spent) continue;
    // The pass's last row the data can reach, where its decoder goes.
    const int64_t last = std::min<int64_t>(pass.rows - 1, (reach - pass.start) / w);
    const int64_t first = frame.Interlaced ? kFirst[p] : 0, step = frame.Interlaced ? kStep[p] : 1;
    holds.push_back({first, first + step * last, bytes});
  }
  return holds;
}

int64_t TPDFGIFFrameRows::DecodedSize(const TPDFGIFDecoder& gif, const TPDFGIFFrame& frame) {
  if (!TPDFGIFDecoder::FrameUsable(frame)) return 0;
  TPDFGIFFrameRows rows(gif, frame);
  rows.passes_[0].lzw = rows.NewDecoder();
  const int64_t all = int64_t(frame.Width) * frame.Height;
  return Advance(*rows.passes_[0].lzw, 0, all, all);
}
