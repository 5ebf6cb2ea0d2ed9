#include "platform/forms/accel_char.h"

namespace {

// The upper case of the letters an access key is usually taken from (Latin, Greek, Cyrillic);
// fixed tables rather than the C library's, so that a Turkish locale's "i" still matches "I".
char16_t UpperKey(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
      (c >= 0x430 && c <= 0x44F))
    return char16_t(c - 0x20);
  if (c >= 0x450 && c <= 0x45F) return char16_t(c - 0x50);
  return c;
}

}  // namespace

bool IsAccel(char16_t key, std::u16string_view caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != u'&') continue;
    if (caption[i + 1] == u'&') {
      ++i;
      continue;
    }
    return UpperKey(caption[i + 1]) == UpperKey(key);
  }
  return false;
}
