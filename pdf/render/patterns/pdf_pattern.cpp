#include "pdf/render/patterns/pdf_pattern.h"

#include <algorithm>
#include <cmath>

#include "pdf/core/filters/flate.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/core/pdf_helpers.h"
#include "platform/gdi/bitmap.h"

namespace {

// Pattern numbers are written with the store's decimals, and a bitmap brush's pixel is a
// small length (in a form whose shorter side is one unit, a thousandth or less): written as it
// is, its scale would lose most of its digits. A matrix that only scales is written as a power
// of ten whose digits survive; the rest of its scale goes into the cell, whose numbers grow.
struct TPatternSpace {
  std::array<double, 6> Matrix;
  double CellX = 1, CellY = 1;  // pattern units of one bitmap pixel
};

TPatternSpace ChoosePatternSpace(const std::array<double, 6>& m, int decimals) {
  TPatternSpace s{m};
  if (m[1] != 0 || m[2] != 0 || !(std::abs(m[0]) > 0) || !(std::abs(m[3]) > 0) || !std::isfinite(m[0]) ||
      !std::isfinite(m[3]))
    return s;
  const double smallest = std::min(std::abs(m[0]), std::abs(m[3]));
  const double q = std::max(std::pow(10.0, std::floor(std::log10(smallest))), std::pow(10.0, -std::max(decimals, 0)));
  s.Matrix[0] = std::copysign(q, m[0]);
  s.Matrix[3] = std::copysign(q, m[3]);
  s.CellX = std::abs(m[0]) / q;
  s.CellY = std::abs(m[3]) / q;
  return s;
}

}  // namespace

bool TPDFPattern::WriteBitmapPattern(TBitmap& bitmap, const std::array<double, 6>& matrix) {
  if (Owner == nullptr || bitmap.Empty()) return false;
  bitmap.SetPixelFormat(pf24bit);
  const int w = bitmap.Width(), h = bitmap.Height();
  std::string pixels;
  pixels.reserve(size_t(w) * size_t(h) * 3);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = row + size_t(x) * 3;
      pixels += char(p[2]);
      pixels += char(p[1]);
      pixels += char(p[0]);
    }
  }
  const std::string packed = FlateCompressString(pixels);
  if (packed.empty()) return false;
  const int decimals = Owner->Decimals;
  auto num = [decimals](double v) { return FormatPDFNumber(v, decimals); };
  const TPatternSpace space = ChoosePatternSpace(matrix, decimals);
  const double cellW = w * space.CellX, cellH = h * space.CellY;
  // The cell paints the bitmap once, as an inline image (readers find its end through its
  // filter, whatever bytes the compressed data hold).
  std::string content = "q \r\n" + num(cellW) + " 0 0 " + num(cellH) + " 0 0 cm\r\n";
  content += "BI\r\n/BPC 8\r\n/H " + num(h) + "\r\n/W " + num(w) + "\r\n/CS /RGB\r\n/F /Fl\r\nID\r";
  content += packed;
  content += "\r\nEI\r\nQ\r\n";

  TPDFStream* stream = Owner->NewStream(content, false);
  TPDFDictionary* dict = stream->Dictionary();
  dict->SetValue("Type", Owner->NewName("Pattern"));
  dict->SetValue("PatternType", Owner->NewNumeric(1));
  dict->SetValue("PaintType", Owner->NewNumeric(1));
  dict->SetValue("TilingType", Owner->NewNumeric(1));
  dict->SetValue("BBox", Owner->NewDoubleArray({0, 0, cellW, cellH}));
  dict->SetValue("XStep", Owner->NewNumeric(cellW));
  dict->SetValue("YStep", Owner->NewNumeric(cellH));
  const std::array<double, 6>& m = space.Matrix;
  dict->SetValue("Matrix", Owner->NewDoubleArray({m[0], m[1], m[2], m[3], m[4], m[5]}));
  dict->SetValue("Resources", Owner->ParseObject("<< /ProcSet [ /PDF /Text /ImageB /ImageC /ImageI ] >>"));
  int objNum = 0, gen = 0;
  if (Owner->MakeIndirect(stream, objNum, gen)) Ref = Owner->NewIndRef(objNum, gen);
  return true;
}
