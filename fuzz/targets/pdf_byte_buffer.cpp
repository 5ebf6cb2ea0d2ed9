// Fuzz entry point for the byte buffer and the Unicode converters: reads and searches over every
// kind of source, UTF-8 and UTF-16 conversion in every mode, and PDF text-string encoding.
//
// Input layout: byte 0 picks the source kind and the converter options, byte 1 a search byte,
// the rest is the data.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "pdf/core/byte_buffer.h"
#include "pdf/core/pdf_text_string.h"
#include "pdf/core/unicode_conversion.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void ExerciseBuffer(uint8_t kind, uint8_t probe, const std::string& bytes) {
  TZRXBuffer b;
  TMemoryStream stream(bytes);
  switch (kind % 4) {
    case 0: b.LoadFromString(bytes); break;
    case 1: b.LoadFromMemory(bytes.data(), static_cast<int64_t>(bytes.size())); break;
    case 2: b.LoadFromBytes(TZRXByteArray(bytes.begin(), bytes.end())); break;
    case 3: b.LoadFromStream(stream); break;
  }
  const TZRXByteArray set = {probe, static_cast<uint8_t>(probe + 1), ' '};
  size_t consumed = 0;
  while (b.Position() < b.Size()) {
    const int64_t at = b.FindAnyOf(set);
    const int64_t other = b.FindNoneOf(set);
    const int64_t exact = b.FindByte(probe);
    Check(at >= -1 && other >= -1 && exact >= -1);
    Check(exact == -1 || (at != -1 && at <= exact));
    Check(at != 0 || other != 0);
    std::string piece;
    b.ReadString(at >= 0 ? at + 1 : 7, piece);
    Check(!piece.empty() && bytes.compare(consumed, piece.size(), piece) == 0);
    if (at >= 0) {
      const auto last = static_cast<uint8_t>(piece.back());
      Check(last == set[0] || last == set[1] || last == set[2]);
    }
    consumed += piece.size();
  }
  Check(consumed == bytes.size());
}

bool WellFormedUtf16(const WideString& w) {
  for (size_t i = 0; i < w.size(); ++i) {
    const char16_t u = w[i];
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (i + 1 >= w.size() || w[i + 1] < 0xDC00 || w[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (u >= 0xDC00 && u <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

void ExerciseConverters(uint8_t options, const std::string& bytes) {
  const WideString w = UTF8ToWide(bytes);
  Check(w.size() <= bytes.size());
  Check(WellFormedUtf16(w));
  WideString out;
  const uint8_t errorMode = options % 5;
  const uint8_t bomMode = (options / 5) % 3;
  const uint8_t format = (options / 15) % 6;
  UTF8ToUTF16(bytes, out, options >= 240 ? 1 : 0, errorMode, bomMode, format);
  Check(out.size() <= bytes.size() + 1);
  WideString units(bytes.size() / 2, u'\0');
  std::memcpy(units.data(), bytes.data(), units.size() * 2);
  UTF16ToUTF16(units, out, options % 6, errorMode, bomMode, format);
  Check(out.size() <= units.size() + 1);
  const std::string pdf = EncodePDFTextString(units, options & 1);
  Check(pdf.size() <= 2 * units.size() + 2);
  Check(UnwrapLengthPrefixedWide(units).size() <= units.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);
  ExerciseBuffer(data[0], data[1], bytes);
  ExerciseConverters(data[0], bytes);
  return 0;
}
