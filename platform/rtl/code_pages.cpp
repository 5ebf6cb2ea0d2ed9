#include "platform/rtl/code_pages.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace {

std::string IconvName(uint32_t codePage) {
  if (codePage == CP_ACP) codePage = GetACP();
  if (codePage == CP_OEMCP) codePage = GetOEMCP();
  switch (codePage) {
    case CP_UTF8: return "UTF-8";
    case 932: return "CP932";
    case 936: return "GBK";
    case 949: return "CP949";
    case 950: return "BIG5";
    case 1361: return "JOHAB";
    case 10000: return "MACINTOSH";
    default: return "CP" + std::to_string(codePage);
  }
}

// One iconv descriptor for the life of a conversion.
class Converter {
 public:
  Converter(const std::string& to, const std::string& from) : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (Valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much of [in, in + inLeft) as it can into out; returns false when it stopped
  // on a sequence it cannot convert (in then points at it).
  bool Run(const char*& in, size_t& inLeft, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
      char buffer[256];
      char* dst = buffer;
      size_t room = sizeof buffer;
      char* src = const_cast<char*>(in);
      const size_t rc = iconv(cd_, &src, &inLeft, &dst, &room);
      const int error = errno;
      out.append(buffer, size_t(dst - buffer));
      in = src;
      if (rc != size_t(-1)) break;
      if (error != E2BIG) return false;
    }
    char buffer[64];
    char* dst = buffer;
    size_t room = sizeof buffer;
    iconv(cd_, nullptr, nullptr, &dst, &room);
    out.append(buffer, size_t(dst - buffer));
    return true;
  }

 private:
  iconv_t cd_;
};

WideString FromUtf16Le(const std::string& bytes) {
  WideString w(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < w.size(); ++i)
    w[i] = char16_t(uint8_t(bytes[2 * i]) | uint8_t(bytes[2 * i + 1]) << 8);
  return w;
}

std::string ToUtf16Le(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (const char16_t c : text) {
    bytes.push_back(char(c & 0xFF));
    bytes.push_back(char(c >> 8));
  }
  return bytes;
}

// The single bytes of 932 that Windows reads and the C library does not.
WideString Cp932SingleByte(uint8_t b) {
  if (b == 0x80) return u"\u0080";
  if (b == 0xA0) return u"\uF8F0";
  if (b >= 0xFD) return WideString(1, char16_t(0xF8F1 + (b - 0xFD)));
  return {};
}

}  // namespace

uint32_t GetACP() { return 1252; }

uint32_t CharsetCodePage(uint8_t charset) {
  switch (charset) {
    case 2: return CP_SYMBOL;
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;
    default: return 1252;
  }
}

bool IsDBCSLeadByteEx(uint32_t codePage, uint8_t b) {
  switch (codePage) {
    case 932: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950: return b >= 0x81 && b <= 0xFE;
    case 1361: return (b >= 0x84 && b <= 0xD3) || (b >= 0xD8 && b <= 0xDE) || (b >= 0xE0 && b <= 0xF9);
    default: return false;
  }
}
uint32_t GetOEMCP() { return 437; }

bool IsValidCodePage(uint32_t codePage) { return Converter("UTF-16LE", IconvName(codePage)).Valid(); }

WideString MultiByteToWideChar(uint32_t codePage, std::string_view bytes) {
  // The C library's 1258 joins a letter and the accent after it into one character, which the
  // code page's own table does not, and its 932 lacks five single bytes: both are read a
  // character at a time.
  if (codePage == CP_SYMBOL || codePage == 1258 || codePage == 932) {
    std::vector<size_t> firstByte;
    return MultiByteToWideCharUnits(codePage, bytes, firstByte);
  }
  Converter cv("UTF-16LE", IconvName(codePage));
  if (!cv.Valid()) return WideString(bytes.size(), u'\xFFFD');
  std::string out;
  const char* in = bytes.data();
  size_t left = bytes.size();
  // Every failed step consumes one byte, so the loop ends. Some converters take the bytes of
  // the sequence they refuse up to the end of the input: then nothing is left to skip.
  while (!cv.Run(in, left, out)) {
    out += "\xFD\xFF";
    if (left == 0) break;
    ++in;
    --left;
  }
  return FromUtf16Le(out);
}

WideString MultiByteToWideCharUnits(uint32_t codePage, std::string_view bytes, std::vector<size_t>& firstByte) {
  firstByte.clear();
  WideString out;
  if (codePage == CP_SYMBOL) {
    for (size_t i = 0; i < bytes.size(); ++i) {
      out.push_back(char16_t(0xF000 + uint8_t(bytes[i])));
      firstByte.push_back(i);
    }
    return out;
  }
  Converter cv("UTF-16LE", IconvName(codePage));
  for (size_t i = 0; i < bytes.size();) {
    size_t length = IsDBCSLeadByteEx(codePage, uint8_t(bytes[i])) && i + 1 < bytes.size() ? 2 : 1;
    const char* in = bytes.data() + i;
    size_t left = length;
    std::string unit;
    WideString chars;
    if (cv.Valid() && cv.Run(in, left, unit) && left == 0) chars = FromUtf16Le(unit);
    if (chars.empty() && codePage == 932 && length == 1) chars = Cp932SingleByte(uint8_t(bytes[i]));
    // A sequence the code page does not define stands for its first byte, as in
    // MultiByteToWideChar: the next byte is read on its own.
    // (assign() rather than = of a literal: GCC 12 inlines the latter into a copy it wrongly
    // takes for an overlapping one, -Wrestrict.)
    if (chars.empty()) chars.assign(1, u'\xFFFD'), length = 1;
    for (const char16_t c : chars) {
      out.push_back(c);
      firstByte.push_back(i);
    }
    i += length;
  }
  return out;
}

std::string WideCharToMultiByte(uint32_t codePage, std::u16string_view text, char defaultChar, bool* usedDefault) {
  if (usedDefault) *usedDefault = false;
  Converter cv(IconvName(codePage), "UTF-16LE");
  if (!cv.Valid()) {
    if (usedDefault) *usedDefault = !text.empty();
    return std::string(text.size(), defaultChar);
  }
  const std::string wide = ToUtf16Le(text);
  std::string out;
  const char* in = wide.data();
  size_t left = wide.size();
  while (!cv.Run(in, left, out)) {
    out.push_back(defaultChar);
    if (usedDefault) *usedDefault = true;
    // Skip the unit (or the pair) that failed.
    auto unitAt = [&](size_t i) { return char16_t(uint8_t(in[i]) | uint8_t(in[i + 1]) << 8); };
    const bool pair = left >= 4 && unitAt(0) >= 0xD800 && unitAt(0) < 0xDC00 && unitAt(2) >= 0xDC00 && unitAt(2) < 0xE000;
    const size_t skip = std::min<size_t>(pair ? 4 : 2, left);
    in += skip;
    left -= skip;
  }
  return out;
}
