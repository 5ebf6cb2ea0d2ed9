// Fuzz entry point for the code-page conversions and the font-name reading the font writer
// applies to names from metafiles: the first byte picks a code page, the rest is converted to
// UTF-16 and back, and read as a font name.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "pdf/content/font/font_selection.h"
#include "platform/rtl/code_pages.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

constexpr std::array<uint32_t, 20> kCodePages = {0,    437,  850,  852,  874,  932,  936,  949,  950,   1250,
                                                 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 65001, 1361};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint32_t cp = kCodePages[data[0] % kCodePages.size()];
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const WideString wide = MultiByteToWideChar(cp, bytes);
  // Never more characters than bytes: each byte gives at most one unit (UTF-8 aside, whose
  // four-byte sequences give two).
  Check(wide.size() <= bytes.size());
  bool usedDefault = false;
  const std::string back = WideCharToMultiByte(cp, wide, '?', &usedDefault);
  Check(back.size() <= 4 * wide.size());
  const TFontNameParts parts = ParseFontName(bytes);
  Check(parts.Face.size() <= bytes.size());
  Check(parts.CodePage >= 0 && parts.CodePage <= 99999);
  return 0;
}
