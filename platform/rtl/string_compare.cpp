#include "platform/rtl/string_compare.h"

namespace {

inline unsigned char Fold(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

}  // namespace

int CompareAnsi(std::string_view a, std::string_view b, bool ignoreCase) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (ignoreCase) {
      x = Fold(x);
      y = Fold(y);
    }
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int CompareStringA(uint32_t /*locale*/, uint32_t flags, std::string_view a, std::string_view b) {
  return CompareAnsi(a, b, (flags & NORM_IGNORECASE) != 0) + CSTR_EQUAL;
}
