// Fuzz entry point for ToUnicode text and embedded CMaps: the input is read as ToUnicode ranges
// and as a CMap of the collection's cache, and codes of the input are split and mapped.
#include <cstdint>
#include <string>
#include <vector>

#include "pdf/fonts/font_collection.h"
#include "pdf/fonts/tounicode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  bool oneByte = false;
  std::vector<TToUnicodeRange> ranges;
  ParseToUnicode(text, oneByte, ranges);
  for (uint32_t code : {0u, 1u, 0x20u, 0x41u, 0xFFu, 0x100u, 0x8140u, 0xFFFFu}) ToUnicodeText(ranges, code);
  TPDFFontCollection fonts;
  const int index = fonts.AddCMap("Fuzz", text);
  std::vector<uint32_t> codes;
  fonts.MapCodes(index, text.substr(0, 256), codes);
  for (const uint32_t code : codes) fonts.LookupCMap(index, code);
  return 0;
}
