#include "platform/rtl/strings.h"

#include <cstdint>

namespace {

// Decodes one UTF-8 sequence at s[i]; returns the code point or -1 when ill-formed,
// and the number of bytes consumed (1 for an ill-formed start, so the next byte is re-read).
int32_t DecodeUtf8(std::string_view s, size_t i, size_t& used) {
  const auto b0 = static_cast<uint8_t>(s[i]);
  used = 1;
  if (b0 < 0x80) return b0;
  int n;
  uint32_t cp;
  uint8_t lo = 0x80, hi = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) { n = 1; cp = b0 & 0x1F; }
  else if (b0 >= 0xE0 && b0 <= 0xEF) {
    n = 2; cp = b0 & 0x0F;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    n = 3; cp = b0 & 0x07;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return -1;
  }
  for (int k = 1; k <= n; ++k) {
    // On failure the maximal valid prefix is replaced as one unit and the breaking byte re-read.
    if (i + k >= s.size()) { used = static_cast<size_t>(k); return -1; }
    const auto b = static_cast<uint8_t>(s[i + k]);
    if (b < lo || b > hi) { used = static_cast<size_t>(k); return -1; }
    lo = 0x80; hi = 0xBF;
    cp = (cp << 6) | (b & 0x3F);
  }
  used = static_cast<size_t>(n) + 1;
  return static_cast<int32_t>(cp);
}

void AppendUtf16(WideString& out, uint32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Walks UTF-16 code points; an unpaired surrogate is passed to the callback as itself.
template <typename F>
void ForEachCodePoint(std::u16string_view w, F&& f) {
  for (size_t i = 0; i < w.size(); ++i) {
    uint32_t c = w[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (w[i + 1] - 0xDC00);
      ++i;
      f(c, false);
    } else {
      f(c, c >= 0xD800 && c <= 0xDFFF);
    }
  }
}

}  // namespace

WideString Utf8ToWide(std::string_view utf8) {
  WideString out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    size_t used;
    const int32_t cp = DecodeUtf8(utf8, i, used);
    AppendUtf16(out, cp < 0 ? 0xFFFD : static_cast<uint32_t>(cp));
    i += used;
  }
  return out;
}

std::string WideToUtf8(std::u16string_view wide) {
  std::string out;
  out.reserve(wide.size());
  ForEachCodePoint(wide, [&](uint32_t cp, bool lone) { AppendUtf8(out, lone ? 0xFFFD : cp); });
  return out;
}

WideString FileNameToWide(std::string_view bytes) {
  WideString out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    size_t used;
    const int32_t cp = DecodeUtf8(bytes, i, used);
    if (cp < 0) {
      for (size_t k = 0; k < used; ++k) out.push_back(static_cast<char16_t>(0xDC00 + static_cast<uint8_t>(bytes[i + k])));
    } else {
      AppendUtf16(out, static_cast<uint32_t>(cp));
    }
    i += used;
  }
  return out;
}

std::string WideToFileName(std::u16string_view wide) {
  std::string out;
  out.reserve(wide.size());
  ForEachCodePoint(wide, [&](uint32_t cp, bool lone) {
    if (lone && cp >= 0xDC80 && cp <= 0xDCFF) {
      out.push_back(static_cast<char>(cp - 0xDC00));
    } else {
      AppendUtf8(out, lone ? 0xFFFD : cp);
    }
  });
  return out;
}

std::string UpperCaseAscii(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return r;
}

std::string LowerCaseAscii(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return r;
}

WideString UpperCaseWide(std::u16string_view s) {
  WideString r(s);
  for (char16_t& c : r) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) c = static_cast<char16_t>(c - 32);
  }
  return r;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
  return a.size() == b.size() && UpperCaseAscii(a) == UpperCaseAscii(b);
}

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

WideString TrimWide(std::u16string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] <= u' ') ++b;
  while (e > b && s[e - 1] <= u' ') --e;
  return WideString(s.substr(b, e - b));
}
