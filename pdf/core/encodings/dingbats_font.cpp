#include "pdf/core/encodings/dingbats_font.h"

#include <span>
#include <string_view>

#include "pdf/core/filters/flate.h"
#include "platform/rtl/resources.h"

namespace {

// A dingbats face needs some tens of kilobytes; the cap only stops a broken resource.
constexpr int64_t kMaxDingbatsFontSize = 1 << 24;

std::string_view CompressedFont() {
  static const std::span<const uint8_t> packed = FindResourceData(kDingbatsFontResource);
  return {reinterpret_cast<const char*>(packed.data()), packed.size()};
}

}  // namespace

void LoadDingbatsFont(std::string& data) { data = FlateDecompressString(CompressedFont(), kMaxDingbatsFontSize); }

std::string LoadGlyphList() {
  std::string data;
  LoadDingbatsFont(data);
  return data;
}
