#include "pdf/core/cmaps/cmap_parser.h"

#include <algorithm>

#include "pdf/core/byte_buffer.h"
#include "pdf/core/byte_strings.h"

namespace {

constexpr uint64_t kMaxCode = 0xFFFFFFFF;
constexpr uint64_t kMaxWord = 0xFFFF;

bool IsWhitespace(char c) { return c == 0 || c == '\t' || c == '\f' || c == ' ' || c == '\n' || c == '\r'; }
bool IsDelimiter(char c) { return IsWhitespace(c) || c == '%' || c == '[' || c == ']'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsHexToken(std::string_view t) { return t.size() >= 2 && t.front() == '<' && t.back() == '>'; }

// A hexadecimal string token of one byte: the low end of a range of one-byte codes.
bool IsOneByteToken(std::string_view t) { return IsHexToken(t) && t.size() == 4; }

}  // namespace

bool ParseCMapNumber(std::string_view token, uint64_t& value) {
  value = 0;
  if (IsHexToken(token)) {
    const std::string_view digits = token.substr(1, token.size() - 2);
    if (digits.empty() || digits.size() > 16) return false;
    for (char c : digits) {
      const int d = HexDigit(c);
      if (d < 0) return false;
      value = value << 4 | static_cast<uint64_t>(d);
    }
    return true;
  }
  if (!token.empty() && token[0] == '+') token.remove_prefix(1);
  if (token.empty() || token.size() > 19) return false;
  for (char c : token) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return true;
}

std::unique_ptr<TOrvanePDFLibraryCMap> TOrvanePDFLibraryCMapParser::CreateCMap(TZRXBuffer& buffer) {
  auto cmap = std::make_unique<TOrvanePDFLibraryCMap>();
  const int64_t start = buffer.Position();
  buffer.ReadString(buffer.Size() - start, text_);
  pos_ = 0;
  cmap_ = cmap.get();
  history_.fill(std::string_view());
  inCMap_ = false;
  section_ = Section::None;
  entriesLeft_ = 0;
  tokensInEntry_ = 0;
  Parse();
  buffer.SetPosition(start + static_cast<int64_t>(pos_));
  cmap_ = nullptr;
  history_.fill(std::string_view());
  text_.clear();
  return cmap;
}

// Whitespace first; then a comment up to the line end, a bracket, a hexadecimal string through
// its ">" (a dictionary opener "<<" through the character after the next ">"), or a run up to
// the next delimiter. A run that reaches the end of the text without a delimiter, or a string
// without its ">", gives the empty token, which ends the CMap.
std::string_view TOrvanePDFLibraryCMapParser::NextToken() {
  const std::string_view text(text_);
  while (pos_ < text.size() && IsWhitespace(text[pos_])) ++pos_;
  if (pos_ >= text.size()) return {};
  const size_t start = pos_;
  const char c = text[pos_];
  size_t end;
  if (c == '%') {
    end = text.find_first_of("\n\r", pos_);
    if (end == std::string_view::npos) end = text.size();
  } else if (c == '[' || c == ']') {
    end = pos_ + 1;
  } else if (c == '<') {
    const bool dictionary = pos_ + 1 < text.size() && text[pos_ + 1] == '<';
    const size_t close = text.find('>', pos_ + (dictionary ? 2 : 1));
    if (close == std::string_view::npos) {
      pos_ = text.size();
      return {};
    }
    end = std::min(close + (dictionary ? 2 : 1), text.size());
  } else {
    end = pos_;
    while (end < text.size() && !IsDelimiter(text[end])) ++end;
    if (end >= text.size()) {
      pos_ = text.size();
      return {};
    }
  }
  pos_ = end;
  return text.substr(start, end - start);
}

// Comments carry no data: they neither count as entries nor stand between a key and its value.
std::string_view TOrvanePDFLibraryCMapParser::NextDataToken() {
  std::string_view token = NextToken();
  while (!token.empty() && token[0] == '%') token = NextToken();
  return token;
}

void TOrvanePDFLibraryCMapParser::Remember(std::string_view token) {
  std::move_backward(history_.begin(), history_.end() - 1, history_.end());
  history_[0] = token;
}

void TOrvanePDFLibraryCMapParser::Parse() {
  for (;;) {
    const std::string_view token = NextDataToken();
    if (token.empty() || token == "endcmap") return;
    Remember(token);
    if (Previous(1) == "/CMapType") {
      if (token == "0" || token == "1") cmap_->Kind = TOrvanePDFLibraryCMap::kKindCID;
      if (token == "2") cmap_->Kind = TOrvanePDFLibraryCMap::kKindUnicode;
    }
    if (token == "usecmap") {
      const std::string_view name = Previous(1);
      cmap_->UseCMapName = std::string(name.empty() ? name : name.substr(1));
    }
    if (token == "begincmap") {
      inCMap_ = true;
      section_ = Section::None;
      continue;
    }
    if (!inCMap_) continue;
    if (section_ == Section::None) {
      StartSection(token);
      continue;
    }
    if (token == "endcodespacerange" || token == "endbfchar" || token == "endbfrange" || token == "endcidchar" ||
        token == "endcidrange") {
      section_ = Section::None;
      entriesLeft_ = 0;
      continue;
    }
    if (entriesLeft_ > 0) TakeEntryToken(token);
  }
}

bool TOrvanePDFLibraryCMapParser::StartSection(std::string_view token) {
  if (token == "begincodespacerange")
    section_ = Section::Codespace;
  else if (token == "beginbfchar")
    section_ = Section::BfChar;
  else if (token == "beginbfrange")
    section_ = Section::BfRange;
  else if (token == "begincidchar")
    section_ = Section::CidChar;
  else if (token == "begincidrange")
    section_ = Section::CidRange;
  else
    return false;
  entriesLeft_ = StrToIntDefA(Previous(1), 0);
  tokensInEntry_ = 0;
  return true;
}

void TOrvanePDFLibraryCMapParser::TakeEntryToken(std::string_view token) {
  ++tokensInEntry_;
  const bool ranged = section_ == Section::BfRange || section_ == Section::CidRange;
  if (tokensInEntry_ < (ranged ? 3 : 2)) return;
  switch (section_) {
    case Section::Codespace: AddCodespaceEntry(Previous(1), token); break;
    case Section::BfChar: AddBfEntry(Previous(1), Previous(1), token); break;
    case Section::CidChar: AddCidEntry(Previous(1), Previous(1), token); break;
    case Section::BfRange:
      if (token == "[")
        ReadBfArray(Previous(2), Previous(1));
      else
        AddBfEntry(Previous(2), Previous(1), token);
      break;
    case Section::CidRange:
      if (token == "[") {
        // Arrays of CIDs are not read: the rest of the section is passed over.
        entriesLeft_ = 0;
        tokensInEntry_ = 0;
        return;
      }
      AddCidEntry(Previous(2), Previous(1), token);
      break;
    case Section::None: break;
  }
  tokensInEntry_ = 0;
  --entriesLeft_;
}

// One destination token per code from low to high; the walk stops at "]" or the end of the
// text, so a range of 2^32 codes costs no more than the tokens that are there.
void TOrvanePDFLibraryCMapParser::ReadBfArray(std::string_view low, std::string_view high) {
  uint64_t lo = 0, hi = 0;
  std::string_view token;
  if (ParseCMapNumber(low, lo) && ParseCMapNumber(high, hi) && hi <= kMaxCode) {
    for (uint64_t code = lo; code <= hi; ++code) {
      token = NextDataToken();
      if (token.empty() || token == "]") return;
      const std::string src = "<" + IntToHexA(code, 4) + ">";
      AddBfEntry(src, src, token);
    }
  }
  do token = NextDataToken();
  while (!token.empty() && token != "]");
}

bool TOrvanePDFLibraryCMapParser::ReadRange(std::string_view low, std::string_view high, uint32_t& lo, uint32_t& hi,
                                            bool sameLength) {
  uint64_t l = 0, h = 0;
  if (sameLength && low.size() != high.size()) return false;
  if (!ParseCMapNumber(low, l) || !ParseCMapNumber(high, h) || l > kMaxCode || h > kMaxCode) return false;
  lo = static_cast<uint32_t>(l);
  hi = static_cast<uint32_t>(h);
  return true;
}

void TOrvanePDFLibraryCMapParser::AddCodespaceEntry(std::string_view low, std::string_view high) {
  uint32_t lo, hi;
  // "<8140>" spells a two-byte code: its digit count, not its value, gives the length.
  const int bytes = IsHexToken(low) ? static_cast<int>((low.size() - 1) / 2) : 0;
  if (ReadRange(low, high, lo, hi, false)) cmap_->AddCodespaceRange(lo, hi, bytes);
}

void TOrvanePDFLibraryCMapParser::AddBfEntry(std::string_view low, std::string_view high, std::string_view dst) {
  std::u16string units;
  if (IsHexToken(dst)) {
    const size_t count = (dst.size() - 2) / 4;
    for (size_t i = 0; i < count; ++i) {
      uint64_t unit = 0;
      if (!ParseCMapNumber("<" + std::string(dst.substr(1 + 4 * i, 4)) + ">", unit)) return;
      if (units.size() < 4) units.push_back(static_cast<char16_t>(unit));
    }
    // A destination of fewer than four digits names no character.
    if (count == 0) return;
  } else {
    uint64_t unit = 0;
    if (!ParseCMapNumber(dst, unit) || unit > kMaxWord) return;
    units.push_back(static_cast<char16_t>(unit));
  }
  uint32_t lo, hi;
  if (!ReadRange(low, high, lo, hi, true)) return;
  if (IsOneByteToken(low)) cmap_->OneByteCodes = true;
  cmap_->AddBfRange(lo, hi, units);
}

void TOrvanePDFLibraryCMapParser::AddCidEntry(std::string_view low, std::string_view high, std::string_view cid) {
  uint64_t value = 0;
  if (!ParseCMapNumber(cid, value) || value > kMaxWord) return;
  uint32_t lo, hi;
  if (!ReadRange(low, high, lo, hi, true)) return;
  if (IsOneByteToken(low)) cmap_->OneByteCodes = true;
  cmap_->AddCidRange(lo, hi, static_cast<uint16_t>(value));
}

std::unique_ptr<TOrvanePDFLibraryCMap> ParseCMapText(std::string_view text) {
  TOrvanePDFLibraryCMapParser parser;
  TZRXBuffer buffer;
  buffer.LoadFromString(std::string(text));
  return parser.CreateCMap(buffer);
}
