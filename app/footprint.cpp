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
double Tolerance = 0;

namespace {

constexpr int64_t kUnbounded = std::numeric_limits<int64_t>::max();
constexpr double kUnboundedFloat = std::numeric_limits<double>::infinity();

TIntBounds IntBounds(int32_t v, double p) {
  TIntBounds b;
  b.Min = RoundHalfEven(v * p);
  b.Max = p == 0 ? kUnbounded : RoundHalfEven(v / p);
  return b;
}

TFloatBounds FloatBounds(double v, double p) {
  TFloatBounds b;
  b.Min = v * p;
  b.Max = p == 0 ? kUnboundedFloat : v / p;
  return b;
}

}  // namespace

TMasterBounds ComputeBounds(const TFootprint& master, double p) {
  TMasterBounds b;
  b.Width = IntBounds(master.Width, p);
  b.Height = IntBounds(master.Height, p);
  b.Ratio = FloatBounds(master.AspectRatio, p);
  b.Pixels = FloatBounds(master.NumberOfPixels, p);
  for (int i = 0; i < kGridValues; ++i) b.Colour[size_t(i)] = FloatBounds(master.ColourDistribution[size_t(i)], p);
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

}  // namespace Tarnwick1
