#include "pdf/core/unicode_conversion.h"

namespace {

// Stands for an ill-formed sequence, which has no value of its own.
constexpr uint32_t kBadSequence = 0xFFFFFFFF;
constexpr uint32_t kReplacement = 0xFFFD;
constexpr uint32_t kBom = 0xFEFF;

struct Decoded {
  uint32_t value;
  size_t consumed;
};

bool IsHighSurrogate(uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

uint16_t Swap(uint16_t u) { return static_cast<uint16_t>(u << 8 | u >> 8); }

// Applies the error, BOM and output-format rules to decoded values and builds the output.
class UnicodeWriter {
 public:
  UnicodeWriter(WideString& out, uint8_t errorMode, uint8_t bomMode, uint8_t format)
      : out_(out), errorMode_(errorMode), bomMode_(bomMode), format_(format) {
    out_.clear();
    if (bomMode_ == kUnicodeBomWrite) {
      PutUnit(kBom);
      bomUnits_ = out_.size();
    }
  }

  // False when the error mode stops the conversion.
  bool Put(uint32_t v) {
    if (v == kBom && !wroteAny_ && (bomMode_ == kUnicodeBomDrop || bomMode_ == kUnicodeBomWrite))
      return true;
    if (IsBad(v)) {
      switch (errorMode_) {
        case kUnicodeErrorStopAndClear:
          out_.resize(bomUnits_);
          return false;
        case kUnicodeErrorStop:
          return false;
        case kUnicodeErrorSkip:
          return true;
        case kUnicodeErrorReplace:
          v = kReplacement;
          break;
        default:
          if (v > 0x10FFFF) v = kReplacement;  // an ill-formed sequence has no value to write
          break;
      }
    }
    Write(v);
    return true;
  }

 private:
  uint32_t MaxValue() const {
    if (format_ == kUnicodeOutUTF16LE || format_ == kUnicodeOutUTF16BE) return 0x10FFFF;
    if (format_ == kUnicodeOutUCS2LE || format_ == kUnicodeOutUCS2BE) return 0xFFFF;
    return 0;  // formats beyond the known ones hold nothing
  }

  bool IsBad(uint32_t v) const {
    if (v == kBadSequence || v > MaxValue() || format_ > kUnicodeOutUCS2BE) return true;
    if (v >= 0xD800 && v <= 0xDFFF) return true;
    if ((v & 0xFFFE) == 0xFFFE) return true;  // U+xxFFFE and U+xxFFFF in every plane
    return v >= 0xFDD0 && v <= 0xFDEF;
  }

  void PutUnit(uint32_t u) {
    const auto unit = static_cast<uint16_t>(u);
    const bool bigEndian = format_ == kUnicodeOutUTF16BE || format_ == kUnicodeOutUCS2BE;
    out_.push_back(static_cast<char16_t>(bigEndian ? Swap(unit) : unit));
  }

  void Write(uint32_t v) {
    wroteAny_ = true;
    if (v <= 0xFFFF) {
      PutUnit(v);
      return;
    }
    v -= 0x10000;
    PutUnit(0xD800 + (v >> 10));
    PutUnit(0xDC00 + (v & 0x3FF));
  }

  WideString& out_;
  uint8_t errorMode_;
  uint8_t bomMode_;
  uint8_t format_;
  size_t bomUnits_ = 0;
  bool wroteAny_ = false;
};

// One character from s at i. An ill-formed sequence consumes its longest valid beginning
// (at least one byte), never the byte that broke it.
Decoded DecodeUtf8(std::string_view s, size_t i) {
  const uint8_t b = static_cast<uint8_t>(s[i]);
  if (b < 0x80) return {b, 1};
  int need;
  uint8_t lo = 0x80, hi = 0xBF;
  uint32_t v;
  if (b >= 0xC2 && b <= 0xDF) {
    need = 1;
    v = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    need = 2;
    v = b & 0x0F;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;  // no encoded surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    need = 3;
    v = b & 0x07;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
  } else {
    return {kBadSequence, 1};
  }
  size_t j = i + 1;
  for (int k = 0; k < need; ++k, ++j) {
    if (j >= s.size()) return {kBadSequence, j - i};
    const uint8_t c = static_cast<uint8_t>(s[j]);
    const uint8_t min = k == 0 ? lo : 0x80;
    const uint8_t max = k == 0 ? hi : 0xBF;
    if (c < min || c > max) return {kBadSequence, j - i};
    v = v << 6 | (c & 0x3F);
  }
  return {v, j - i};
}

Decoded DecodeUtf16(std::u16string_view s, size_t i, uint8_t sourceFormat) {
  const bool bigEndian = sourceFormat == kUnicodeInUTF16BE || sourceFormat >= kUnicodeInUCS2BE;
  auto unit = [&](size_t k) -> uint32_t {
    const auto u = static_cast<uint16_t>(s[k]);
    return bigEndian ? Swap(u) : u;
  };
  const uint32_t u = unit(i);
  const bool pairs = sourceFormat == kUnicodeInUTF16LE || sourceFormat == kUnicodeInUTF16BE;
  if (!IsHighSurrogate(u) && !IsLowSurrogate(u)) return {u, 1};
  if (!pairs || IsLowSurrogate(u)) return {kBadSequence, 1};
  // A high surrogate counts as a pair only with a low one; otherwise it stands alone and the
  // unit after it is read on its own.
  if (i + 1 < s.size() && IsLowSurrogate(unit(i + 1)))
    return {0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00), 2};
  return {kBadSequence, 1};
}

// Every code point decode finds in src, through one writer into dest; a source format the
// caller cannot read leaves only what the writer starts with.
template <class Source, class Decode>
bool Convert(Source src, WideString& dest, bool sourceReadable, uint8_t errorMode, uint8_t bomMode,
             uint8_t outputFormat, Decode decode) {
  if (outputFormat == kUnicodeOutNone) {
    dest.clear();
    return false;
  }
  UnicodeWriter writer(dest, errorMode, bomMode, outputFormat);
  if (!sourceReadable) return false;
  for (size_t i = 0; i < src.size();) {
    const Decoded d = decode(src, i);
    i += d.consumed;
    if (!writer.Put(d.value)) return false;
  }
  return true;
}

}  // namespace

bool UTF8ToUTF16(std::string_view src, WideString& dest, uint8_t sourceFormat, uint8_t errorMode,
                 uint8_t bomMode, uint8_t outputFormat) {
  return Convert(src, dest, sourceFormat == 0, errorMode, bomMode, outputFormat,
                 [](std::string_view s, size_t i) { return DecodeUtf8(s, i); });
}

bool UTF16ToUTF16(std::u16string_view src, WideString& dest, uint8_t sourceFormat, uint8_t errorMode,
                  uint8_t bomMode, uint8_t outputFormat) {
  return Convert(src, dest, sourceFormat != 0, errorMode, bomMode, outputFormat,
                 [sourceFormat](std::u16string_view s, size_t i) { return DecodeUtf16(s, i, sourceFormat); });
}

WideString UTF8ToWide(std::string_view s) {
  WideString w;
  UTF8ToUTF16(s, w, 0, kUnicodeErrorReplace, kUnicodeBomDrop, kUnicodeOutUTF16LE);
  return w;
}
