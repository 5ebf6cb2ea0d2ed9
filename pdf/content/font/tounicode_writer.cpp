#include "pdf/content/font/tounicode_writer.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace {

std::string Entry(uint8_t code, uint16_t unicode) {
  char text[16];
  std::snprintf(text, sizeof text, "<%02X> <%04X>", code, unicode);
  return text;
}

}  // namespace

std::string ReencodingToUnicodeText(const TCodeUnicodePairs& pairs) {
  std::string entries;
  for (const auto& [code, unicode] : pairs) entries += Entry(code, unicode) + "\r\n";
  const std::string lines[] = {"/CIDInit /ProcSet findresource begin",
                               "12 dict begin",
                               "begincmap",
                               "/CIDSystemInfo",
                               "<< /Registry (Adobe)",
                               "/Ordering ()",
                               "/Supplement 0",
                               ">> def",
                               "/CMapName /Adobe--000 def",
                               "/CMapType 2 def",
                               "1 begincodespacerange",
                               "<00> <FF>",
                               "endcodespacerange",
                               std::to_string(pairs.size()) + " beginbfchar",
                               entries,
                               "endbfchar",
                               "endcmap",
                               "CMapName currentdict /CMap defineresource pop",
                               "end",
                               "end"};
  std::string text;
  for (const auto& line : lines) {
    if (!text.empty()) text += "\r\n";
    text += line;
  }
  return text;
}

std::string Type3ToUnicodeText(const TCodeUnicodePairs& pairs) {
  std::string text =
      "%!PS-Adobe-3.0 Resource-CMap\r/CIDInit /ProcSet findresource begin\n12 dict begin\n\nbegincmap\n"
      "/CIDSystemInfo 3 dict dup begin\n/Registry (Adobe) def\n/Ordering () def\n/Supplement 0 def\nend def\n\n"
      "/CMapName /Adobe--000 def\n/CMapType 2 def\n\nWMode 0 def\n\n1 begincodespacerange\n<00> <FF>\n"
      "endcodespacerange\n";
  constexpr size_t kBlock = 50;
  for (size_t at = 0; at < pairs.size(); at += kBlock) {
    const size_t n = std::min(kBlock, pairs.size() - at);
    text += std::to_string(n) + " beginbfchar\n";
    for (size_t i = at; i < at + n; ++i) text += Entry(pairs[i].first, pairs[i].second) + "\n";
    text += "endbfchar\n";
  }
  text += "\nendcmap\nCMapName currentdict /CMap\ndefineresource pop\nend\nend";
  return text;
}
