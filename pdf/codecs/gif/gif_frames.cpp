// Decoding frames and painting them into the screen bitmap. Each frame's colour indexes are
// painted straight into the screen's scan lines, clipped to the screen; only the pixels the
// data actually reach are touched, so the work follows the data, not the sizes a file claims.
#include <algorithm>
#include <array>

#include "pdf/codecs/gif/gif_decoder.h"
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

void TPDFGIFDecoder::PaintFrame(const TPDFGIFFrame& Frame, const TScreen& Screen, int64_t& Budget) const {
  if (!FrameUsable(Frame) || int64_t(Frame.Width) * Frame.Height > Budget) return;
  const std::string indexes = DecodeLZW(Frame);
  Budget -= int64_t(indexes.size());

  const std::array<std::array<uint8_t, 3>, 256> colours = FrameColours(Frame, Screen.RGB);

  const int64_t screenW = Screen.Width, screenH = Screen.Height;
  const int64_t left = Frame.Left, top = Frame.Top;
  const int64_t x0 = std::max<int64_t>(0, -left), x1 = std::min<int64_t>(Frame.Width, screenW - left);
  if (x1 <= x0) return;
  const auto* src = reinterpret_cast<const uint8_t*>(indexes.data());
  const uint32_t rows = uint32_t(indexes.size() / Frame.Width);
  const uint32_t partial = uint32_t(indexes.size() % Frame.Width);
  for (uint32_t k = 0; k <= rows && k < Frame.Height; ++k) {
    const int64_t y = top + TargetRow(Frame, k);
    if (y >= screenH) continue;
    const int64_t end = std::min<int64_t>(x1, k < rows ? Frame.Width : partial);
    uint8_t* dst = Screen.Row(y) + (left + x0) * 3;
    const uint8_t* s = src + int64_t(k) * Frame.Width + x0;
    for (int64_t x = x0; x < end; ++x, dst += 3) {
      const auto& c = colours[*s++];
      dst[0] = c[0], dst[1] = c[1], dst[2] = c[2];
    }
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

bool TPDFGIFDecoder::PaintableInRows() const {
  if (!Paintable()) return false;
  int64_t frames = 0, pixels = 0, interlaced = 0;
  for (const TPDFGIFFrame& f : Frames) {
    if (!FrameUsable(f)) continue;
    ++frames;
    pixels += int64_t(f.Width) * f.Height;
    if (f.Interlaced) interlaced += int64_t(f.Width) * f.Height;
  }
  return frames <= kMaxFramesInRows && pixels <= MaxDecodedPixels &&
         interlaced <= int64_t(ScreenWidth) * ScreenHeight;
}

bool TPDFGIFDecoder::Paintable() const {
  const bool any = std::any_of(Frames.begin(), Frames.end(), [](const TPDFGIFFrame& f) { return FrameUsable(f); });
  // A screen the frames do not cover is still the picture: its rest is background, which costs
  // output pixels only. Beyond what a bitmap may hold it is not painted at all.
  return Valid && ScreenWidth != 0 && ScreenHeight != 0 && any &&
         int64_t(ScreenWidth) * ScreenHeight <= kMaxBitmapPixels;
}

void TPDFGIFDecoder::PaintFrames(const TScreen& Screen) const {
  int64_t budget = MaxDecodedPixels;
  for (const TPDFGIFFrame& f : Frames) PaintFrame(f, Screen, budget);
}

bool TPDFGIFDecoder::GetFrameBitmap(TBitmap& Bitmap) {
  Bitmap.SetPixelFormat(pf24bit);
  if (!Paintable()) {
    Bitmap.SetSize(0, 0);
    return false;
  }
  Bitmap.SetSize(ScreenWidth, ScreenHeight);
  PaintFrames(TScreen{[&Bitmap](int64_t y) { return Bitmap.ScanLine(int(y)); }, ScreenWidth, ScreenHeight, false});
  return true;
}

bool TPDFGIFDecoder::GetFrameSamples(std::string& Samples) const {
  Samples.clear();
  if (!Paintable()) return false;
  const int64_t rowBytes = int64_t(ScreenWidth) * 3;
  // White where no frame paints, as a new bitmap is.
  Samples.assign(size_t(rowBytes * ScreenHeight), '\xFF');
  auto* base = reinterpret_cast<uint8_t*>(Samples.data());
  PaintFrames(TScreen{[base, rowBytes](int64_t y) { return base + y * rowBytes; }, ScreenWidth, ScreenHeight, true});
  return true;
}
