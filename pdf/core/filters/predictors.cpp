#include "pdf/core/filters/predictors.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kTiffPredictor = 2;
constexpr int kFirstPngPredictor = 10;
// Row tag that selects the TIFF predictor in the per-row dispatch below; PNG tags are 0 to 4.
constexpr uint8_t kTiffRowTag = 202;

struct RowGeometry {
  int64_t rowBytes = 0;       // decoded bytes per row
  int64_t stride = 0;         // encoded bytes per row (PNG rows carry a tag byte)
  int64_t bytesPerPixel = 1;  // distance of the PNG "left" neighbour
  int64_t rows = 0;
};

RowGeometry Geometry(int64_t dataSize, const FlatePredictorParams& p, int64_t maxOutput) {
  RowGeometry g;
  const int64_t bitsPerPixel = int64_t{p.BitsPerComponent} * p.Colors;
  g.rowBytes = (bitsPerPixel * p.Columns + 7) / 8;
  g.stride = g.rowBytes + (p.Predictor >= kFirstPngPredictor ? 1 : 0);
  g.bytesPerPixel = std::max<int64_t>(1, (bitsPerPixel + 7) / 8);
  g.rows = (dataSize + g.stride - 1) / g.stride;
  if (maxOutput < 0) maxOutput = 0;
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

// Horizontal differencing: each sample was stored as the difference to the previous sample of
// the same colour component in the row.
void UndoTiffRow(uint8_t* row, int64_t n, const FlatePredictorParams& p) {
  const int64_t colors = p.Colors;
  const int64_t samples = int64_t{p.Columns} * colors;
  switch (p.BitsPerComponent) {
    case 8:
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
      const int bits = p.BitsPerComponent;
      const unsigned mask = (1u << bits) - 1;
      std::vector<uint8_t> in(row, row + n);
      std::fill(row, row + n, 0);
      std::vector<unsigned> running(static_cast<size_t>(colors), 0);
      for (int64_t s = 0; s < samples; ++s) {
        const int64_t bit = s * bits;
        const int shift = 8 - bits - static_cast<int>(bit % 8);
        const unsigned v = (in[bit / 8] >> shift) & mask;
        unsigned& run = running[static_cast<size_t>(s % colors)];
        run = (run + v) & mask;
        row[bit / 8] = static_cast<uint8_t>(row[bit / 8] | run << shift);
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
  const int bpc = p.BitsPerComponent;
  const bool bpcOk = bpc == 1 || bpc == 2 || bpc == 4 || bpc == 8 || bpc == 16;
  return bpcOk && p.Colors >= 1 && p.Colors <= 32 && p.Columns >= 1;
}

std::string UndoPredictor(std::string_view data, const FlatePredictorParams& p, int64_t maxOutput) {
  if (p.Predictor < kTiffPredictor) return std::string(data);
  if (!PredictorParamsUsable(p)) return {};
  const RowGeometry g = Geometry(static_cast<int64_t>(data.size()), p, maxOutput);
  // Only now is a row known to fit under the ceiling; nothing row-sized is allocated before.
  if (g.rows == 0) return {};
  const bool png = p.Predictor >= kFirstPngPredictor;
  std::string out(static_cast<size_t>(g.rows * g.rowBytes), '\0');
  const std::vector<uint8_t> zeroRow(png ? static_cast<size_t>(g.rowBytes) : 0, 0);
  const uint8_t* above = zeroRow.data();
  auto* base = reinterpret_cast<uint8_t*>(out.data());
  const int64_t size = static_cast<int64_t>(data.size());
  for (int64_t r = 0; r < g.rows; ++r) {
    const int64_t start = r * g.stride;
    const int64_t avail = std::min(g.stride, size - start);
    uint8_t* row = base + r * g.rowBytes;
    uint8_t tag = 0;
    int64_t skip = 0;
    if (png) {
      tag = static_cast<uint8_t>(data[static_cast<size_t>(start)]);
      skip = 1;
    } else if (p.Predictor == kTiffPredictor) {
      tag = kTiffRowTag;
    }
    std::copy_n(data.data() + start + skip, avail - skip, reinterpret_cast<char*>(row));
    if (png) {
      UndoPngRow(tag, row, above, g.rowBytes, g.bytesPerPixel);
      above = row;
    } else if (tag == kTiffRowTag) {
      UndoTiffRow(row, g.rowBytes, p);
    }
  }
  return out;
}
