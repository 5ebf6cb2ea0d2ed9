// Decoding frames and painting them into the screen bitmap. Each frame's colour indexes are
// painted straight into the screen's scan lines a row at a time, clipped to the screen; only
// the pixels the data actually reach are touched, so the work follows the data, not the sizes
// a file claims, and no frame is held whole.
#include <algorithm>
#include <array>

#include "pdf/codecs/gif/gif_decoder.h"
#include "pdf/codecs/gif/gif_frame_rows.h"
#include "pdf/core/filters/lzw.h"

bool TPDFGIFDecoder::FrameUsable(const TPDFGIFFrame& Frame) {
  return Frame.Width > 0 && Frame.Height > 0 && Frame.LZWMinimumCodeSize >= 2 && Frame.LZWMinimumCodeSize <= 8 &&
         int64_t(Frame.Width) * Frame.Height <= kMaxBitmapPixels;
}

uint32_t TPDFGIFDecoder::TargetRow(const TPDFGIFFrame& Frame, uint32_t k) {
  if (!Frame.Interlaced) return k;
  // Four passes: rows 0, 8, 16, ...; 4, 12, ...; 2, 6, ...; 1, 3, 5, ...
  static constexpr uint32_t kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
  const uint32_t h = Frame.Height;
  for (int pass = 0; pass < 4; ++pass) {
    const uint32_t rows = h > kStart[pass] ? (h - kStart[pass] + kStep[pass] - 1) / kStep[pass] : 0;
    if (k < rows) return kStart[pass] + k * kStep[pass];
    k -= rows;
  }
  return h;  // beyond the frame
}

std::string TPDFGIFDecoder::DecodeLZW(const TPDFGIFFrame& Frame) const {
  if (!FrameUsable(Frame)) return {};
  TPDFLZWDecompressor lzw;
  lzw.MSBFirst = false;
  lzw.EarlyChange = false;
  lzw.InitialCodeWidth = Frame.LZWMinimumCodeSize + 1;
  lzw.MaxOutput = int64_t(Frame.Width) * Frame.Height;
  // The frame's indexes are allocated once (the data's size bounds what this may reserve).
  lzw.ExpectedOutput = lzw.MaxOutput;
  return lzw.DecodeDefault(ImageData(Frame));
}

std::vector<const TPDFGIFFrame*> TPDFGIFDecoder::PaintedFrames() const {
  int64_t claimed = 0;
  for (const TPDFGIFFrame& f : Frames)
    if (FrameUsable(f)) claimed += int64_t(f.Width) * f.Height;
  // The budget is charged what each frame decodes to, in file order; only where the frames
  // claim more than it holds must that be counted.
  const bool all = claimed <= MaxDecodedPixels;
  int64_t budget = MaxDecodedPixels;
  std::vector<const TPDFGIFFrame*> painted;
  for (const TPDFGIFFrame& f : Frames) {
    if (!FrameUsable(f)) continue;
    if (!all) {
      if (int64_t(f.Width) * f.Height > budget) continue;
      budget -= TPDFGIFFrameRows::DecodedSize(*this, f);
    }
    painted.push_back(&f);
  }
  return painted;
}

bool TPDFGIFDecoder::OnScreen(const TPDFGIFFrame& Frame) const {
  return Frame.Top < ScreenHeight && Frame.Left < ScreenWidth;
}

void TPDFGIFDecoder::PaintRow(const TPDFGIFFrame& Frame, const std::array<std::array<uint8_t, 3>, 256>& Colours,
                              const uint8_t* Indexes, int64_t Have, uint8_t* ScreenRow) const {
  const int64_t left = Frame.Left;
  const int64_t end = std::min<int64_t>(Have, int64_t(ScreenWidth) - left);
  uint8_t* dst = ScreenRow + left * 3;
  for (int64_t x = 0; x < end; ++x, dst += 3) {
    const auto& c = Colours[Indexes[x]];
    dst[0] = c[0], dst[1] = c[1], dst[2] = c[2];
  }
}

std::array<std::array<uint8_t, 3>, 256> TPDFGIFDecoder::FrameColours(const TPDFGIFFrame& Frame, bool RGB) const {
  const std::vector<uint8_t>& table = Frame.HasLocalColorTable ? Frame.LocalColorTable : GlobalColorTable;
  const bool anyTable = Frame.HasLocalColorTable || HasGlobalColorTable;
  const size_t first = RGB ? 0 : 2, last = 2 - first;
  std::array<std::array<uint8_t, 3>, 256> colours{};
  for (size_t i = 0; i < 256; ++i) {
    if (!anyTable)
      colours[i] = {uint8_t(i), uint8_t(i), uint8_t(i)};
    else if (i * 3 + 2 < table.size())
      colours[i] = {table[i * 3 + first], table[i * 3 + 1], table[i * 3 + last]};
  }
  return colours;
}

int64_t TPDFGIFDecoder::RowsHeldBytes() const {
  if (!Paintable()) return INT64_MAX;
  // What the frames' decoders hold, row by row down the screen: each from the row where it is
  // made to the one where it goes. One that goes on the row it is made is held alone while
  // the row is painted: the largest of those comes on top.
  std::vector<std::pair<int64_t, int64_t>> changes;
  int64_t passing = 0;
  for (const TPDFGIFFrame* f : PaintedFrames()) {
    if (!OnScreen(*f)) continue;
    for (const TPDFGIFFrameRows::THold& hold : TPDFGIFFrameRows::Holds(*this, *f)) {
      const int64_t first = f->Top + hold.First, end = std::min<int64_t>(f->Top + hold.End, ScreenHeight - 1);
      passing = std::max(passing, hold.Bytes);
      if (first >= end) continue;
      // Made before any that goes on the same row.
      changes.emplace_back(first, -hold.Bytes);
      changes.emplace_back(end, hold.Bytes);
    }
  }
  std::sort(changes.begin(), changes.end());
  int64_t held = 0, most = 0;
  for (const auto& [row, change] : changes) {
    held -= change;
    most = std::max(most, held);
  }
  return most + passing;
}

bool TPDFGIFDecoder::PaintableInRows() const {
  // The decoders and the picture they paint share one picture at the size cap; a screen that
  // leaves less keeps a little for them.
  const int64_t left = 3 * (kMaxBitmapPixels - int64_t(ScreenWidth) * ScreenHeight);
  return RowsHeldBytes() <= std::clamp(left, MinRowsHeldBytes, MaxRowsHeldBytes);
}

bool TPDFGIFDecoder::Paintable() const {
  const bool any = std::any_of(Frames.begin(), Frames.end(), [](const TPDFGIFFrame& f) { return FrameUsable(f); });
  // A screen the frames do not cover is still the picture: its rest is background, which costs
  // output pixels only. Beyond what a bitmap may hold it is not painted at all.
  return Valid && ScreenWidth != 0 && ScreenHeight != 0 && any &&
         int64_t(ScreenWidth) * ScreenHeight <= kMaxBitmapPixels;
}

void TPDFGIFDecoder::PaintFrames(const TScreen& Screen) const {
  for (const TPDFGIFFrame* f : PaintedFrames()) {
    if (!OnScreen(*f)) continue;
    const auto colours = FrameColours(*f, Screen.RGB);
    TPDFGIFFrameRows rows(*this, *f);
    const uint32_t visible = uint32_t(std::min<int64_t>(f->Height, int64_t(ScreenHeight) - f->Top));
    for (uint32_t r = 0; r < visible; ++r) {
      const uint8_t* indexes = nullptr;
      const int64_t have = rows.Row(r, indexes);
      if (have > 0) PaintRow(*f, colours, indexes, have, Screen.Row(int64_t(f->Top) + r));
      // Rows stored one after another end with their data.
      if (have < f->Width && !f->Interlaced) break;
    }
  }
}

bool TPDFGIFDecoder::GetFrameBitmap(TBitmap& Bitmap) {
  Bitmap.SetPixelFormat(pf24bit);
  if (!Paintable()) {
    Bitmap.SetSize(0, 0);
    return false;
  }
  Bitmap.SetSize(ScreenWidth, ScreenHeight);
  PaintFrames(TScreen{[&Bitmap](int64_t y) { return Bitmap.ScanLine(int(y)); }, false});
  return true;
}

bool TPDFGIFDecoder::GetFrameSamples(std::string& Samples) const {
  Samples.clear();
  if (!Paintable()) return false;
  const int64_t rowBytes = int64_t(ScreenWidth) * 3;
  // White where no frame paints, as a new bitmap is.
  Samples.assign(size_t(rowBytes * ScreenHeight), '\xFF');
  auto* base = reinterpret_cast<uint8_t*>(Samples.data());
  PaintFrames(TScreen{[base, rowBytes](int64_t y) { return base + y * rowBytes; }, true});
  return true;
}
