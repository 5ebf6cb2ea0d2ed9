#include "pdf/core/encodings/glyph_list.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "pdf/core/filters/flate.h"
#include "platform/rtl/resources.h"

namespace {

constexpr char kFirstIndexed = 'A';
constexpr char kLastIndexed = 'z';
constexpr size_t kIndexSize = 3 * (kLastIndexed - kFirstIndexed + 1);
// The inflated list is about 63 KB; anything far larger is not ours.
constexpr int64_t kMaxGlyphListSize = 1 << 22;

const std::string& GlyphListData() {
  static const std::string data = [] {
    const auto packed = FindResourceData(kGlyphListResource);
    return FlateDecompressString(
        std::string_view(reinterpret_cast<const char*>(packed.data()), packed.size()), kMaxGlyphListSize);
  }();
  return data;
}

uint8_t Byte(const std::string& s, size_t i) { return static_cast<uint8_t>(s[i]); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Upper-case hexadecimal digits only, as glyph names write them; -1 for anything else.
int64_t ReadHex(std::string_view digits) {
  int64_t v = 0;
  for (char c : digits) {
    const int d = HexDigit(c);
    if (d < 0) return -1;
    v = v * 16 + d;
  }
  return v;
}

bool IsScalarValue(int64_t v) { return v >= 0 && v <= 0x10FFFF && (v < 0xD800 || v > 0xDFFF); }

}  // namespace

uint16_t GlyphNameToUnicode(std::string_view name) {
  if (name.empty() || name[0] < kFirstIndexed || name[0] > kLastIndexed) return 0;
  const std::string& data = GlyphListData();
  if (data.size() < kIndexSize) return 0;
  const size_t slot = 3 * static_cast<size_t>(name[0] - kFirstIndexed);
  const size_t offset = Byte(data, slot) | Byte(data, slot + 1) << 8 | Byte(data, slot + 2) << 16;
  if (offset == 0) return 0;
  // Records of the same first letter follow one another; every read stays inside the data.
  for (size_t p = offset - 1; p < data.size();) {
    const size_t len = Byte(data, p);
    if (len == 0 || p + 1 + len + 2 > data.size() || data[p + 1] != name[0]) break;
    if (std::string_view(data).substr(p + 1, len) == name)
      return static_cast<uint16_t>(Byte(data, p + 1 + len) | Byte(data, p + 2 + len) << 8);
    p += 1 + len + 2;
  }
  return 0;
}

namespace {

// The characters one component of a glyph name stands for: a name of the glyph list, "uni"
// and groups of four upper-case hexadecimal digits (each group one character, all well
// formed), or "u" and four to six of them; nothing otherwise.
std::vector<uint32_t> ComponentCodePoints(std::string_view component) {
  if (const uint16_t u = GlyphNameToUnicode(component)) return {u};
  std::vector<uint32_t> points;
  if (component.size() >= 7 && (component.size() - 3) % 4 == 0 && component.substr(0, 3) == "uni") {
    for (size_t i = 3; i < component.size(); i += 4) {
      const int64_t part = ReadHex(component.substr(i, 4));
      if (!IsScalarValue(part)) return {};
      points.push_back(uint32_t(part));
    }
  } else if (component.size() >= 5 && component.size() <= 7 && component[0] == 'u') {
    const int64_t v = ReadHex(component.substr(1));
    if (IsScalarValue(v)) points.push_back(uint32_t(v));
  }
  return points;
}

}  // namespace

uint32_t GlyphNameToCodePoint(std::string_view name) {
  name = name.substr(0, name.find('.'));
  const std::vector<uint32_t> points = ComponentCodePoints(name.substr(0, name.find('_')));
  return points.empty() ? 0 : points.front();
}

std::u16string GlyphNameToText(std::string_view name) {
  name = name.substr(0, name.find('.'));
  std::u16string text;
  // Every step moves past one component and its "_".
  for (size_t at = 0; at <= name.size();) {
    const size_t end = std::min(name.find('_', at), name.size());
    for (const uint32_t point : ComponentCodePoints(name.substr(at, end - at))) {
      if (point < 0x10000) {
        text += char16_t(point);
      } else {
        text += char16_t(0xD800 + ((point - 0x10000) >> 10));
        text += char16_t(0xDC00 + ((point - 0x10000) & 0x3FF));
      }
    }
    at = end + 1;
  }
  return text;
}
