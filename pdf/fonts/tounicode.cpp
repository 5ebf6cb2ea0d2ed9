#include "pdf/fonts/tounicode.h"

#include <algorithm>
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
    // Leading zeros do not change the value; a value past 64 bits stays at the largest one.
    h.Value = h.Value > (UINT64_MAX >> 4) ? UINT64_MAX : h.Value << 4 | uint64_t(v);
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
    if (code->Value <= 0xFFFF)
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
    if (low->Value <= high->Value && high->Value <= 0xFFFF)
      ranges.push_back({uint16_t(low->Value), uint16_t(high->Value), Units(*dst)});
  }
}

struct BlockKeywords {
  std::string_view CharBegin, CharEnd, RangeBegin, RangeEnd;
};

// Where a word comes first in the text from a point that only moves forward. The word is
// looked for again only once the point has passed the place found (a word missing from one
// point on is missing from every later one), so that a scan asking again and again reads the
// text once for each word.
class ForwardFind {
 public:
  ForwardFind(std::string_view text, std::string_view word) : text_(text), word_(word), at_(text.find(word)) {}
  size_t From(size_t pos) {
    if (at_ != std::string_view::npos && at_ < pos) at_ = text_.find(word_, pos);
    return at_;
  }

 private:
  std::string_view text_, word_;
  size_t at_;
};

// The blocks of one kind in text order: each runs from its begin keyword to its end keyword
// (to "endcmap", or the end of the text, when that is missing). What lies outside the blocks
// goes to left when asked for. The scan stays linear however many blocks there are, ended or
// not.
void ReadBlocks(std::string_view text, const BlockKeywords& k, std::vector<TToUnicodeRange>& ranges,
                std::string* left) {
  ForwardFind charBegin(text, k.CharBegin), rangeBegin(text, k.RangeBegin), charEnd(text, k.CharEnd),
      rangeEnd(text, k.RangeEnd), endcmap(text, "endcmap");
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t nextChar = charBegin.From(pos), nextRange = rangeBegin.From(pos);
    const bool isChar = nextChar <= nextRange;
    const size_t start = std::min(nextChar, nextRange);
    if (start == std::string_view::npos) break;
    if (left != nullptr) left->append(text.substr(pos, start - pos));
    const size_t body = start + (isChar ? k.CharBegin : k.RangeBegin).size();
    size_t stop = (isChar ? charEnd : rangeEnd).From(body);
    size_t after = stop == std::string_view::npos ? stop : stop + (isChar ? k.CharEnd : k.RangeEnd).size();
    if (stop == std::string_view::npos) {
      stop = endcmap.From(body);
      after = stop == std::string_view::npos ? text.size() : stop + 7;
      if (stop == std::string_view::npos) stop = text.size();
    }
    ToUnicodeReader r(text.substr(body, stop - body));
    isChar ? ReadChars(r, ranges) : ReadRanges(r, ranges);
    pos = after;
  }
  if (left != nullptr && pos < text.size()) left->append(text.substr(pos));
}

}  // namespace

void ParseToUnicode(std::string_view text, bool& oneByte, std::vector<TToUnicodeRange>& ranges) {
  oneByte = false;
  constexpr std::string_view kBegin = "begincodespacerange", kEnd = "endcodespacerange";
  const size_t begin = text.find(kBegin);
  if (begin == std::string_view::npos) return;
  const size_t end = text.find(kEnd, begin + kBegin.size());
  if (end == std::string_view::npos) return;
  ToUnicodeReader codespace(text.substr(begin + kBegin.size(), end - begin - kBegin.size()));
  const auto low = ReadHex(codespace.Next());
  const auto high = ReadHex(codespace.Next());
  if (!low || !high) return;
  oneByte = low->Digits == 2;
  const std::string_view rest = text.substr(end + kEnd.size());
  // The bf blocks come first; a CMap written with cid blocks (as some writers label the same
  // pairs) is read from what the bf blocks leave.
  std::string left;
  ReadBlocks(rest, {"beginbfchar", "endbfchar", "beginbfrange", "endbfrange"}, ranges, &left);
  ReadBlocks(left, {"begincidchar", "endcidchar", "begincidrange", "endcidrange"}, ranges, nullptr);
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
