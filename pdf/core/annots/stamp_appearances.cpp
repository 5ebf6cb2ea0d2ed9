#include "pdf/core/annots/stamp_appearances.h"

#include "pdf/core/filters/flate.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

}  // namespace

std::string StampAppearanceStream(std::string_view name) {
  const TStampEntry* entry = nullptr;
  for (const TStampEntry& e : kStampTable)
    if (name == e.Name) entry = &e;
  if (entry == nullptr)
    for (const TStampEntry& e : kStampTable)
      if (std::string_view(e.Name) == "Draft") entry = &e;
  const std::string_view hex = entry->Appearance;
  std::string bytes;
  bytes.reserve(hex.size() / 2);
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<char>(HexDigit(hex[i]) << 4 | HexDigit(hex[i + 1])));
  return FlateDecompressString(bytes);
}
