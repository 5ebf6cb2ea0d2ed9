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

}  // namespace

uint32_t GetACP() { return 1252; }
uint32_t GetOEMCP() { return 437; }

bool IsValidCodePage(uint32_t codePage) { return Converter("UTF-16LE", IconvName(codePage)).Valid(); }

WideString MultiByteToWideChar(uint32_t codePage, std::string_view bytes) {
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
