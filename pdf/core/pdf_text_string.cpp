#include "pdf/core/pdf_text_string.h"

#include <algorithm>

#include "pdf/core/encodings/pdfdoc_encoding.h"
#include "pdf/core/unicode_conversion.h"

int UnicodeToPDFDocCode(uint16_t ch) {
  if (PDFDocEncodingTable[ch & 0xFF] == ch) return ch & 0xFF;
  const auto it = std::find(PDFDocEncodingTable.begin(), PDFDocEncodingTable.end(), ch);
  return it == PDFDocEncodingTable.end() ? -1 : static_cast<int>(it - PDFDocEncodingTable.begin());
}

WideString UnwrapLengthPrefixedWide(const WideString& w) {
  if (w.size() < 2 || (w[0] >> 8) != 0xE7 || (w[1] >> 8) != 0xF8) return w;
  const size_t length = (w[0] & 0xFF) + 256u * (w[1] & 0xFF);
  return w.substr(2, std::min(length, w.size() - 2));
}

std::string EncodePDFTextString(const WideString& text, bool forceUnicode) {
  const WideString w = UnwrapLengthPrefixedWide(text);
  if (w.empty()) return {};
  if (!forceUnicode) {
    std::string codes;
    codes.reserve(w.size());
    for (const char16_t ch : w) {
      const int code = UnicodeToPDFDocCode(static_cast<uint16_t>(ch));
      if (code < 0) break;
      codes.push_back(static_cast<char>(code));
    }
    if (codes.size() == w.size()) return codes;
  }
  WideString units;
  UTF16ToUTF16(w, units, kUnicodeInUTF16LE, kUnicodeErrorReplace, kUnicodeBomWrite, kUnicodeOutUTF16BE);
  // The units are byte-swapped already; their bytes in storage order (low byte first) are
  // therefore big-endian.
  std::string bytes;
  bytes.reserve(units.size() * 2);
  for (const char16_t u : units) {
    bytes.push_back(static_cast<char>(u & 0xFF));
    bytes.push_back(static_cast<char>(u >> 8));
  }
  return bytes;
}
