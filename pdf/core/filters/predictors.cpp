#include "pdf/core/filters/predictors.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kTiffPredictor = 2;
constexpr int kFirstPngPredictor = 10;

struct RowGeometry {
  int64_t rowBytes = 0;       // decoded bytes per row
  int64_t stride = 0;         // encoded bytes per row (PNG rows carry a tag byte)
  int64_t rows = 0;
};

// Rows have a size only with at least one colour, one bit and one column.
bool RowsHaveSize(const FlatePredictorParams& p) { return p.Colors >= 1 && p.BitsPerComponent >= 1 && p.Columns >= 1; }

// The depths whose samples the TIFF predictor adds up.
bool TiffDepth(int bits) { return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16; }

RowGeometry Geometry(int64_t dataSize, const FlatePredictorParams& p, int64_t maxOutput) {
  RowGeometry g;
  if (maxOutput < 0) maxOutput = 0;
  // In 128 bits: a row the parameters merely state may be far beyond any output.
  const unsigned __int128 bits =
      static_cast<unsigned __int128>(p.BitsPerComponent) * static_cast<unsigned>(p.Colors) * static_cast<unsigned>(p.Columns);
  const unsigned __int128 rowBytes = (bits + 7) / 8;
  if (rowBytes > static_cast<unsigned __int128>(maxOutput)) return g;
  g.rowBytes = static_cast<int64_t>(rowBytes);
  g.stride = g.rowBytes + (p.Predictor >= kFirstPngPredictor ? 1 : 0);
  g.rows = (dataSize + g.stride - 1) / g.stride;
  g.rows = std::min(g.rows, maxOutput / g.rowBytes);
  return g;
}

void UndoPngRow(uint8_t tag, uint8_t* row, const uint8_t* above, int64_t n, int64_t bpp) {
  switch (tag) {
    case 1:  // Sub
      for (int64_t i = bpp; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - bpp]);
      break;
    case 2:  // Up
      for (int64_t i = 0; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + above[i]);
      break;
    case 3:  // Average
      for (int64_t i = 0; i < n; ++i) {
        const int left = i >= bpp ? row[i - bpp] : 0;
        row[i] = static_cast<uint8_t>(row[i] + (left + above[i]) / 2);
      }
      break;
    case 4:  // Paeth
      for (int64_t i = 0; i < n; ++i) {
        const int left = i >= bpp ? row[i - bpp] : 0;
        const int upperLeft = i >= bpp ? above[i - bpp] : 0;
        row[i] = static_cast<uint8_t>(row[i] + PaethPredictor(left, above[i], upperLeft));
      }
      break;
    default:  // 0 (None) and unknown tags leave the row as stored
      break;
  }
}

// Horizontal differencing of 8-bit RGB: the running sums stay in registers instead of being
// read back from the bytes just stored.
void UndoTiffRow3(uint8_t* row, int64_t n) {
  if (n < 3) return;
  uint8_t r = row[0], g = row[1], b = row[2];
  int64_t i = 3;
  for (; i + 3 <= n; i += 3) {
    row[i] = r = static_cast<uint8_t>(r + row[i]);
    row[i + 1] = g = static_cast<uint8_t>(g + row[i + 1]);
    row[i + 2] = b = static_cast<uint8_t>(b + row[i + 2]);
  }
  if (i < n) row[i] = r = static_cast<uint8_t>(r + row[i]);
  if (i + 1 < n) row[i + 1] = static_cast<uint8_t>(g + row[i + 1]);
}

// Horizontal differencing: each sample was stored as the difference to the previous sample of
// the same colour component in the row.
void UndoTiffRow(uint8_t* row, int64_t n, const FlatePredictorParams& p) {
  const int64_t colors = p.Colors;
  const int64_t samples = int64_t{p.Columns} * colors;
  switch (p.BitsPerComponent) {
    case 8:
      if (colors == 3) return UndoTiffRow3(row, n);
      for (int64_t i = colors; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - colors]);
      return;
    case 16:
      for (int64_t s = colors; s < samples; ++s) {
        uint8_t* cur = row + 2 * s;
        const uint8_t* prev = row + 2 * (s - colors);
        const unsigned sum = ((cur[0] << 8 | cur[1]) + (prev[0] << 8 | prev[1])) & 0xFFFF;
        cur[0] = static_cast<uint8_t>(sum >> 8);
        cur[1] = static_cast<uint8_t>(sum);
      }
      return;
    default: {  // 1, 2 or 4 bits, most significant first; the row's padding bits come out 0
      // The sample a colour's running sum continues from is the one decoded a pixel before.
      const int bits = p.BitsPerComponent;
      const unsigned mask = (1u << bits) - 1;
      auto shiftOf = [bits](int64_t s) { return 8 - bits - static_cast<int>((s * bits) % 8); };
      auto sampleAt = [&](const uint8_t* bytes, int64_t s) { return (bytes[s * bits / 8] >> shiftOf(s)) & mask; };
      std::vector<uint8_t> in(row, row + n);
      std::fill(row, row + n, 0);
      for (int64_t s = 0; s < samples; ++s) {
        unsigned v = sampleAt(in.data(), s);
        if (s >= colors) v = (v + sampleAt(row, s - colors)) & mask;
        row[s * bits / 8] = static_cast<uint8_t>(row[s * bits / 8] | v << shiftOf(s));
      }
      return;
    }
  }
}

}  // namespace

int PaethPredictor(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a);
  const int pb = std::abs(p - b);
  const int pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  if (pb <= pc) return b;
  return c;
}

bool PredictorParamsUsable(const FlatePredictorParams& p) {
  if (p.Predictor < kTiffPredictor) return true;
  return RowsHaveSize(p) && (p.Predictor != kTiffPredictor || TiffDepth(p.BitsPerComponent));
}

void UndoPredictorInPlace(std::string& data, const FlatePredictorParams& p, int64_t maxOutput) {
  if (p.Predictor < kTiffPredictor) return;
  // Rows the stage cannot undo give nothing rather than samples it made up.
  const RowGeometry g = PredictorParamsUsable(p) ? Geometry(static_cast<int64_t>(data.size()), p, maxOutput)
                                                 : RowGeometry{};
  // Only now is a row known to fit under the ceiling; nothing row-sized is allocated before.
  if (g.rows == 0) return data.clear();
  const bool png = p.Predictor >= kFirstPngPredictor;
  const int64_t size = static_cast<int64_t>(data.size());
  // Decoded rows are never longer than encoded ones: row r moves down to r * rowBytes, over
  // bytes already read; only a short last row can need room past the data.
  data.resize(static_cast<size_t>(std::max(size, g.rows * g.rowBytes)));
  const std::vector<uint8_t> zeroRow(png ? static_cast<size_t>(g.rowBytes) : 0, 0);
  const uint8_t* above = zeroRow.data();
  auto* base = reinterpret_cast<uint8_t*>(data.data());
  for (int64_t r = 0; r < g.rows; ++r) {
    const int64_t start = r * g.stride;
    const int64_t skip = png ? 1 : 0;
    const int64_t stored = std::min(g.stride, size - start) - skip;
    const uint8_t tag = png ? base[start] : 0;
    uint8_t* row = base + r * g.rowBytes;
    if (row != base + start + skip) std::memmove(row, base + start + skip, static_cast<size_t>(stored));
    std::fill(row + stored, row + g.rowBytes, uint8_t{0});
    UndoPredictorRow(p, tag, row, above, g.rowBytes);
    if (png) above = row;
  }
  data.resize(static_cast<size_t>(g.rows * g.rowBytes));
}

void UndoPredictorRow(const FlatePredictorParams& p, uint8_t pngTag, uint8_t* row, const uint8_t* above,
                      int64_t rowBytes) {
  if (p.Predictor >= kFirstPngPredictor) {
    const int64_t bitsPerPixel = int64_t{p.BitsPerComponent} * p.Colors;
    UndoPngRow(pngTag, row, above, rowBytes, std::max<int64_t>(1, (bitsPerPixel + 7) / 8));
  } else if (p.Predictor == kTiffPredictor) {
    UndoTiffRow(row, rowBytes, p);
  }
}

std::string UndoPredictor(std::string_view data, const FlatePredictorParams& p, int64_t maxOutput) {
  std::string out(data);
  UndoPredictorInPlace(out, p, maxOutput);
  return out;
}
