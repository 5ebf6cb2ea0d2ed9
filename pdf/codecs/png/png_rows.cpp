#include "pdf/codecs/png/png_rows.h"

#include <algorithm>
#include <cstring>

#include "pdf/core/filters/predictors.h"

namespace {

constexpr int kPngPredictor = 15;

struct PassGrid {
  uint32_t row0, col0, rowStep, colStep;
};
constexpr std::array<PassGrid, 7> kAdam7 = {{{0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
                                             {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1}}};
constexpr PassGrid kWhole = {0, 0, 1, 1};

uint32_t PassExtent(uint32_t size, uint32_t start, uint32_t step) {
  return size > start ? (size - start - 1) / step + 1 : 0;
}

int64_t RowBytesOf(uint64_t pixels, int channels, uint32_t depth) {
  return static_cast<int64_t>((pixels * uint64_t(channels) * depth + 7) / 8);
}

std::vector<PassGrid> GridsOf(const TPNGFormat& f) {
  if (!f.Interlaced) return {kWhole};
  return {kAdam7.begin(), kAdam7.end()};
}

// Pixels of C colour bytes and A alpha bytes taken apart, pixel i landing on column
// col0 + i * step.
template <int C, int A>
void Split(const uint8_t* src, uint32_t pixels, uint8_t* colour, uint8_t* alpha, uint32_t col0, uint32_t step) {
  for (uint32_t i = 0; i < pixels; ++i, src += C + A) {
    const size_t x = size_t(col0) + size_t(i) * step;
    std::memcpy(colour + x * C, src, C);
    if constexpr (A > 0) std::memcpy(alpha + x * A, src + C, A);
  }
}

using SplitFunction = void (*)(const uint8_t*, uint32_t, uint8_t*, uint8_t*, uint32_t, uint32_t);

SplitFunction SplitFor(int colourBytes, int alphaBytes) {
  switch (colourBytes * 8 + alphaBytes) {
    case 1 * 8 + 0: return Split<1, 0>;
    case 2 * 8 + 0: return Split<2, 0>;
    case 3 * 8 + 0: return Split<3, 0>;
    case 6 * 8 + 0: return Split<6, 0>;
    case 1 * 8 + 1: return Split<1, 1>;
    case 2 * 8 + 2: return Split<2, 2>;
    case 3 * 8 + 1: return Split<3, 1>;
    case 6 * 8 + 2: return Split<6, 2>;
    default: return nullptr;
  }
}

}  // namespace

void KeepHighBytes(const uint8_t* samples, int64_t n, uint8_t* out) {
  for (int64_t i = 0; i < n / 2; ++i) out[i] = samples[2 * i];
}

TPNGRows::TLayout TPNGRows::LayoutOf(uint8_t colorType, uint32_t depth) {
  const int wide = depth == 16 ? 2 : 1;
  switch (colorType) {
    case 0: return {1, 1, 0, wide};
    case 2: return {3, 3, 0, 3 * wide};
    case 3: return {1, 1, 0, 1};
    case 4: return {2, 1, 1, 2 * wide};
    case 6: return {4, 3, 1, 4 * wide};
    default: return {};
  }
}

int64_t TPNGRows::InflatedBytes(const TPNGFormat& f) {
  const TLayout lay = LayoutOf(f.ColorType, f.BitDepth);
  int64_t bytes = 0;
  for (const PassGrid& g : GridsOf(f)) {
    const uint32_t pw = PassExtent(f.Width, g.col0, g.colStep), ph = PassExtent(f.Height, g.row0, g.rowStep);
    if (pw && ph) bytes += int64_t(ph) * (RowBytesOf(pw, lay.Channels, f.BitDepth) + 1);
  }
  return bytes;
}

int64_t TPNGRows::ColourRowBytes(const TPNGFormat& f) {
  return RowBytesOf(f.Width, LayoutOf(f.ColorType, f.BitDepth).Colour, f.BitDepth);
}

int64_t TPNGRows::AlphaRowBytes(const TPNGFormat& f) {
  return int64_t(LayoutOf(f.ColorType, f.BitDepth).Alpha) * f.Width * f.BitDepth / 8;
}

TPNGRows::TPNGRows(const TPNGFormat& format, std::string_view idat)
    : format_(format),
      layout_(LayoutOf(format.ColorType, format.BitDepth)),
      colour_(size_t(ColourRowBytes(format))),
      alpha_(size_t(AlphaRowBytes(format))) {
  Start(std::make_unique<TFlateReader>(idat, InflatedBytes(format)));
}

TPNGRows::TPNGRows(const TPNGFormat& format, std::unique_ptr<TFlateInput> idat)
    : format_(format),
      layout_(LayoutOf(format.ColorType, format.BitDepth)),
      colour_(size_t(ColourRowBytes(format))),
      alpha_(size_t(AlphaRowBytes(format))) {
  Start(std::make_unique<TFlateReader>(std::move(idat), InflatedBytes(format)));
}

void TPNGRows::Start(std::unique_ptr<TFlateReader> walker) {
  std::vector<int64_t> starts;
  int64_t at = 0;
  for (const PassGrid& g : GridsOf(format_)) {
    TPass pass;
    pass.Row0 = g.row0, pass.Col0 = g.col0, pass.RowStep = g.rowStep, pass.ColStep = g.colStep;
    pass.Columns = PassExtent(format_.Width, g.col0, g.colStep);
    pass.Rows = PassExtent(format_.Height, g.row0, g.rowStep);
    if (pass.Columns == 0 || pass.Rows == 0) continue;
    pass.RowBytes = RowBytesOf(pass.Columns, layout_.Channels, format_.BitDepth);
    pass.Row.assign(size_t(pass.RowBytes), 0);
    pass.Above.assign(size_t(pass.RowBytes), 0);
    starts.push_back(at);
    at += int64_t(pass.Rows) * (pass.RowBytes + 1);
    passes_.push_back(std::move(pass));
  }
  // One inflate walks the data; each pass but the last starts from a copy of it made where the
  // pass begins, the last takes it over. A walk that ends early leaves the later passes
  // without data: their rows are missing.
  int64_t walked = 0;
  for (size_t i = 0; i < passes_.size(); ++i) {
    walker->Read(nullptr, starts[i] - walked);
    walked = starts[i];
    passes_[i].Data = i + 1 < passes_.size() ? std::make_unique<TFlateReader>(*walker) : std::move(walker);
  }
  split_ = SplitFor(layout_.Colour * int(format_.BitDepth) / 8, layout_.Alpha * int(format_.BitDepth) / 8);
}

TPNGRows::~TPNGRows() = default;

void TPNGRows::ReadPassRow(TPass& pass) {
  std::swap(pass.Row, pass.Above);
  uint8_t filter = 0;
  const bool whole = pass.Data->Read(&filter, 1) == 1 &&
                     pass.Data->Read(pass.Row.data(), pass.RowBytes) == pass.RowBytes;
  if (!whole) {
    // Missing rows come out white.
    filter = 0;
    std::fill(pass.Row.begin(), pass.Row.end(), uint8_t{255});
  }
  const FlatePredictorParams params{kPngPredictor, layout_.Channels, int(format_.BitDepth), int(pass.Columns)};
  UndoPredictorRow(params, filter, pass.Row.data(), pass.Above.data(), pass.RowBytes);
  ++pass.Taken;
}

void TPNGRows::PlacePassRow(const TPass& pass) {
  const uint32_t depth = format_.BitDepth;
  if (depth < 8) {
    // Grey or palette samples of 1, 2 or 4 bits, most significant first, into a row that starts
    // as zeros.
    const uint32_t mask = (1u << depth) - 1;
    for (uint32_t i = 0; i < pass.Columns; ++i) {
      const uint64_t srcBit = uint64_t(i) * depth;
      const uint32_t sample = (pass.Row[srcBit / 8] >> (8 - depth - srcBit % 8)) & mask;
      const uint64_t dstBit = (uint64_t(pass.Col0) + uint64_t(i) * pass.ColStep) * depth;
      colour_[dstBit / 8] |= uint8_t(sample << (8 - depth - dstBit % 8));
    }
    return;
  }
  if (split_) split_(pass.Row.data(), pass.Columns, colour_.data(), alpha_.data(), pass.Col0, pass.ColStep);
}

void TPNGRows::Next() {
  if (y_ >= format_.Height || passes_.empty()) return;
  if (!format_.Interlaced) {
    TPass& pass = passes_.front();
    ReadPassRow(pass);
    if (layout_.Alpha == 0) {
      colourRow_ = pass.Row.data();
    } else {
      PlacePassRow(pass);
      colourRow_ = colour_.data();
    }
  } else {
    std::fill(colour_.begin(), colour_.end(), uint8_t{0});
    std::fill(alpha_.begin(), alpha_.end(), uint8_t{0});
    for (TPass& pass : passes_) {
      if (y_ < pass.Row0 || (y_ - pass.Row0) % pass.RowStep != 0 || pass.Taken >= pass.Rows) continue;
      ReadPassRow(pass);
      PlacePassRow(pass);
    }
    colourRow_ = colour_.data();
  }
  ++y_;
}
