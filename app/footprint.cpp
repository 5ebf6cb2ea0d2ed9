#include "app/footprint.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <limits>

#include "platform/rtl/files.h"
#include "platform/rtl/numbers.h"
#include "platform/rtl/strings.h"

namespace Tarnwick1 {

TFootprint MasterPrint;
TFootprint CandidatePrint;
TMasterBounds MasterBounds;
int32_t PixelsSquare = 0;
int32_t CellSize = 0;
int32_t Precision = 0;

namespace {

constexpr int64_t kUnbounded = std::numeric_limits<int64_t>::max();

TIntBounds IntBounds(int32_t v, int32_t precision) {
  TIntBounds b;
  b.Min = RoundQuotient(__int128(v) * precision, 100);
  b.Max = precision == 0 ? kUnbounded : RoundQuotient(__int128(v) * 100, precision);
  return b;
}

TExactBounds ExactBounds(int64_t num, int64_t den, int32_t precision) { return TExactBounds{num, den, precision}; }

}  // namespace

bool TExactBounds::Contains(int64_t a, int64_t b) const {
  // a / b >= Num * P / (Den * 100), both sides multiplied by the positive b * Den * 100; the
  // products stay below 2^125 for 64-bit values and a 32-bit precision.
  if (__int128(a) * Den * 100 < __int128(Num) * Precision * b) return false;
  if (Precision == 0) return true;
  // a / b <= Num * 100 / (Den * P), multiplied by b * Den * P, whose sign turns the comparison.
  const __int128 left = __int128(a) * Den * Precision, right = __int128(Num) * 100 * b;
  return Precision > 0 ? left <= right : left >= right;
}

int64_t RoundQuotient(__int128 n, __int128 d) {
  if (d < 0) {
    n = -n;
    d = -d;
  }
  __int128 q = n / d, r = n % d;
  if (r < 0) {  // floor, so that the remainder lies in [0, d)
    --q;
    r += d;
  }
  if (2 * r > d || (2 * r == d && (q & 1) != 0)) ++q;
  if (q > std::numeric_limits<int64_t>::max()) return std::numeric_limits<int64_t>::max();
  if (q < std::numeric_limits<int64_t>::min()) return std::numeric_limits<int64_t>::min();
  return int64_t(q);
}

void RatioOf(const TFootprint& print, int64_t& num, int64_t& den) {
  num = print.Height != 0 ? print.Width : 0;
  den = print.Height != 0 ? print.Height : 1;
  if (den < 0) {
    num = -num;
    den = -den;
  }
}

int64_t PixelCountOf(const TFootprint& print) { return int64_t(print.Width) * int64_t(print.Height); }

TMasterBounds ComputeBounds(const TFootprint& master, int32_t precision) {
  TMasterBounds b;
  b.Width = IntBounds(master.Width, precision);
  b.Height = IntBounds(master.Height, precision);
  int64_t num = 0, den = 1;
  RatioOf(master, num, den);
  b.Ratio = ExactBounds(num, den, precision);
  b.Pixels = ExactBounds(PixelCountOf(master), 1, precision);
  for (int i = 0; i < kGridValues; ++i)
    b.Colour[size_t(i)] = ExactBounds(master.ColourDistribution[size_t(i)], 1, precision);
  return b;
}

std::string LocaleDecimalSeparator() {
  static const std::string separator = [] {
    std::string result = ".";
    locale_t loc = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (loc != static_cast<locale_t>(nullptr)) {
      const char* radix = nl_langinfo_l(RADIXCHAR, loc);
      if (radix && *radix) result = radix;
      freelocale(loc);
    }
    return result;
  }();
  return separator;
}

std::string FormatAspectRatio(int32_t width, int32_t height) {
  if (width < 0 || height <= 0) return "0" + LocaleDecimalSeparator() + "000";
  const int64_t w = width, h = height;
  // Decimals that leave 3 significant digits; at least 3 digits before the point keep all.
  const int decimals = w >= 100 * h ? (w >= 1000 * h ? 3 : 0) : w >= 10 * h ? 1 : w >= h ? 2 : 3;
  int64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  const int64_t q = (2 * w * scale + h) / (2 * h);  // halves away from zero
  std::string fraction = IntToStr(q % scale + scale).substr(1);
  fraction.resize(3, '0');
  return IntToStr(q / scale) + LocaleDecimalSeparator() + fraction;
}

std::string PropertyString(const TFootprint& print) {
  std::string s = IntToStr(print.Width) + " - " + IntToStr(print.Height);
  s += " - " + FormatAspectRatio(print.Width, print.Height);
  s += " - " + print.Orientation;
  s += " - " + IntToStr(static_cast<int64_t>(print.NumberOfPixels));
  s += " - " + print.ImageType;
  for (int32_t v : print.ColourDistribution) s += "-" + IntToStr(v);
  s += " - " + print.ColourClass;
  return s;
}

void SetFootprintSize(TFootprint& print, int32_t width, int32_t height) {
  print.Width = width;
  print.Height = height;
  print.AspectRatio = height != 0 ? double(width) / double(height) : 0;
  if (width <= 0 || height <= 0) {
    print.Orientation.clear();
  } else {
    print.Orientation = print.AspectRatio == 1.0 ? "Q" : print.AspectRatio < 1.0 ? "P" : "L";
  }
  print.NumberOfPixels = static_cast<double>(int64_t(width) * int64_t(height));
}

std::string ImageTypeOf(const std::string& fileName) {
  return UpperCaseAscii(WideToFileName(ExtractFileExt(FileNameToWide(fileName))));
}

bool SameImageType(const std::string& a, const std::string& b) {
  const auto family = [](const std::string& type) -> std::string {
    if (type == ".JPEG") return ".JPG";
    if (type == ".TIFF") return ".TIF";
    return type;
  };
  return family(a) == family(b);
}

}  // namespace Tarnwick1
