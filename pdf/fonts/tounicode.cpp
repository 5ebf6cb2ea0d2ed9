#include "pdf/fonts/tounicode.h"

#include <cstdint>
#include <optional>
#include <string>

namespace {

bool IsSpace(char c) { return c == 0 || c == 9 || c == 10 || c == 12 || c == 13 || c == 32; }

struct HexToken {
  uint64_t Value = 0;
  size_t Digits = 0;
  std::string Text;  // the hexadecimal digits only
};

class ToUnicodeReader {
 public:
  explicit ToUnicodeReader(std::string_view text) : text_(text) {}

  // The next token: "<...>" (hex), "[" or "]", or a word; empty at the end.
  std::string_view Next() {
    while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
    if (pos_ >= text_.size()) return {};
    const size_t start = pos_;
    const char c = text_[pos_];
    if (c == '<') {
      const size_t end = text_.find('>', pos_);
      pos_ = end == std::string_view::npos ? text_.size() : end + 1;
    } else if (c == '[' || c == ']') {
      ++pos_;
    } else {
      while (pos_ < text_.size() && !IsSpace(text_[pos_]) && text_[pos_] != '<' && text_[pos_] != '[' &&
             text_[pos_] != ']')
        ++pos_;
      if (pos_ == start) ++pos_;
    }
    return text_.substr(start, pos_ - start);
  }
  size_t Position() const { return pos_; }
  void Seek(size_t pos) { pos_ = pos; }
  bool AtEnd() const { return pos_ >= text_.size(); }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

std::optional<HexToken> ReadHex(std::string_view token) {
  if (token.size() < 2 || token.front() != '<' || token.back() != '>') return std::nullopt;
  HexToken h;
  for (char c : token.substr(1, token.size() - 2)) {
    if (IsSpace(c)) continue;
    int v;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else return std::nullopt;
    h.Text.push_back(c);
    if (h.Digits < 16) h.Value = h.Value << 4 | uint64_t(v);
    ++h.Digits;
  }
  if (h.Digits == 0) return std::nullopt;
  return h;
}

// Units of four digits; a shorter last group is a unit of its own.
std::u16string Units(const HexToken& h) {
  std::u16string out;
  if (h.Digits <= 4) {
    out.push_back(char16_t(h.Value & 0xFFFF));
    return out;
  }
  for (size_t i = 0; i < h.Text.size(); i += 4) {
    uint32_t v = 0;
    for (char c : h.Text.substr(i, 4)) v = v << 4 | uint32_t(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    out.push_back(char16_t(v));
  }
  return out;
}

void ReadChars(ToUnicodeReader& r, std::vector<TToUnicodeRange>& ranges) {
  for (;;) {
    const auto code = ReadHex(r.Next());
    if (!code) return;
    const auto dst = ReadHex(r.Next());
    if (!dst) return;
    if (code->Digits <= 8 && code->Value <= 0xFFFF)
      ranges.push_back({uint16_t(code->Value), uint16_t(code->Value), Units(*dst)});
  }
}

void ReadRanges(ToUnicodeReader& r, std::vector<TToUnicodeRange>& ranges) {
  for (;;) {
    const auto low = ReadHex(r.Next());
    if (!low) return;
    const auto high = ReadHex(r.Next());
    if (!high) return;
    const std::string_view third = r.Next();
    if (third == "[") {
      uint64_t code = low->Value;
      for (std::string_view item = r.Next(); !item.empty() && item != "]"; item = r.Next(), ++code) {
        const auto dst = ReadHex(item);
        if (!dst) return;
        if (code <= high->Value && code < 65536 && dst->Value < 65535)
          ranges.push_back({uint16_t(code), uint16_t(code), Units(*dst)});
      }
      continue;
    }
    const auto dst = ReadHex(third);
    if (!dst) return;
    if (low->Digits <= 8 && high->Digits <= 8 && low->Value <= high->Value && high->Value <= 0xFFFF)
      ranges.push_back({uint16_t(low->Value), uint16_t(high->Value), Units(*dst)});
  }
}

}  // namespace

void ParseToUnicode(std::string_view text, bool& oneByte, std::vector<TToUnicodeRange>& ranges) {
  oneByte = false;
  ToUnicodeReader r(text);
  std::string_view token;
  do token = r.Next();
  while (!token.empty() && token != "begincodespacerange");
  if (token.empty()) return;
  const std::string_view first = r.Next();
  const auto low = ReadHex(first);
  const auto high = ReadHex(r.Next());
  if (!low || !high) return;
  oneByte = low->Digits == 2;
  while (!r.AtEnd()) {
    token = r.Next();
    if (token == "beginbfchar") ReadChars(r, ranges);
    else if (token == "beginbfrange") ReadRanges(r, ranges);
  }
}

std::u16string ToUnicodeText(const std::vector<TToUnicodeRange>& ranges, uint32_t code) {
  for (const TToUnicodeRange& range : ranges) {
    if (code < range.Low || code > range.High) continue;
    std::u16string text = range.Destination;
    if (!text.empty()) text.back() = char16_t(text.back() + (code - range.Low));
    return text;
  }
  return {};
}
