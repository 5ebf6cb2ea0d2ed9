#include "pdf/core/object_parser.h"

#include <cmath>
#include <unordered_map>

#include "pdf/core/objects/pdf_objects.h"
#include "platform/rtl/numbers.h"
#include "platform/rtl/strings.h"

namespace {

inline bool IsWhite(char c) { return c == 0 || c == 9 || c == 10 || c == 12 || c == 13 || c == 32; }

// "}" is deliberately not a delimiter here.
inline bool IsDelimiter(char c) {
  switch (c) {
    case '(': case ')': case '<': case '>': case '[': case ']': case '/': case '%': case '{':
      return true;
    default:
      return false;
  }
}

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

inline int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Pairs of hexadecimal digits to bytes, an odd count padded with "0"; a pair with a character
// that is not a hexadecimal digit gives 0.
std::string HexDigitsToBytes(std::string digits) {
  if (digits.size() % 2 != 0) digits += '0';
  std::string out(digits.size() / 2, '\0');
  for (size_t i = 0; i < out.size(); ++i) {
    const int hi = HexValue(digits[2 * i]), lo = HexValue(digits[2 * i + 1]);
    out[i] = hi < 0 || lo < 0 ? '\0' : static_cast<char>(hi * 16 + lo);
  }
  return out;
}

// Octal digits weighted 64, 8, 1 from the right; the low 8 bits.
char OctalByte(std::string_view digits) {
  int v = 0;
  for (const char c : digits) v = v * 8 + (c - '0');
  return static_cast<char>(v & 255);
}

// Integer text (an optional "-" and digits) as a 64-bit integer, 0 when it does not convert.
int64_t IntegerOrZero(std::string_view text) {
  int64_t v = 0;
  return TryStrToInt64(text, v) ? v : 0;
}

}  // namespace

// A recursive-descent reader over text held in memory with one position. Every value it
// returns has consumed at least one byte, so every loop advances.
class TPDFObjectParser {
 public:
  TPDFObjectParser(TPDFStructure& store, std::string_view text) : st_(store), t_(text), n_(text.size()) {}

  TPDFObject* ParseTop(size_t& consumed) {
    TPDFObject* result = nullptr;
    if (n_ > 0) {
      SkipWhitespace();
      result = ParseValue(0);
    }
    consumed = std::min(p_, n_);
    return result != nullptr ? result : st_.NewNull();
  }

 private:
  // Blanks and comments before a value; the last byte of the text is never skipped.
  void SkipWhitespace() {
    for (;;) {
      while (p_ + 1 < n_ && IsWhite(t_[p_])) ++p_;
      if (p_ + 1 < n_ && t_[p_] == '%') {
        while (p_ + 1 < n_ && t_[p_] != '\n' && t_[p_] != '\r') ++p_;
        continue;
      }
      return;
    }
  }

  // Bytes after the current one.
  size_t Rest() const { return p_ < n_ ? n_ - p_ - 1 : 0; }

  TPDFObject* ParseValue(int depth) {
    if (p_ >= n_) return nullptr;
    const char c = t_[p_];
    if (c == '<' && Rest() >= 3 && t_[p_ + 1] == '<') return depth < kPDFMaxNestingDepth ? ParseDictionary(depth) : SkipTooDeep();
    if (c == '[' && Rest() >= 1) return depth < kPDFMaxNestingDepth ? ParseArray(depth) : SkipTooDeep();
    if (Keyword("true")) return st_.NewBoolean(true);
    if (Keyword("false")) return st_.NewBoolean(false);
    if (Keyword("null")) return st_.NewNull();
    if (c == '-' || c == '.' || IsDigit(c)) return ParseNumberOrReference();
    if (c == '(' && Rest() >= 1) return ParseLiteralString();
    if (c == '<' && Rest() >= 1) return ParseHexString();
    if (Rest() < 1) return nullptr;
    if (c == '/') return ParseName();
    return nullptr;  // ")", ">", "]", "}", "R", "obj" and other bare words end the value
  }

  bool Keyword(std::string_view word) {
    if (t_.substr(p_, word.size()) != word) return false;
    const size_t after = p_ + word.size();
    if (after < n_ && !IsWhite(t_[after]) && !IsDelimiter(t_[after])) return false;
    p_ = after;
    return true;
  }

  TPDFObject* ParseDictionary(int depth) {
    p_ += 2;
    TPDFDictionary* dict = st_.NewDictionary();
    // Key texts already present, so that a long dictionary is not searched once per key.
    std::unordered_map<std::string_view, size_t> index;
    for (;;) {
      SkipWhitespace();
      TPDFObject* key = ParseValue(depth + 1);
      SkipWhitespace();
      TPDFObject* value = ParseValue(depth + 1);
      auto* name = PDFCast<TPDFName>(key);
      if (name == nullptr || value == nullptr) break;
      const auto [it, added] = index.emplace(name->Name(), dict->pairs_.size());
      if (added) dict->pairs_.emplace_back(name, value);
      else dict->pairs_[it->second] = {name, value};
    }
    if (p_ + 1 < n_ && t_[p_] == '>' && t_[p_ + 1] == '>') p_ += 2;
    return dict;
  }

  TPDFObject* ParseArray(int depth) {
    ++p_;
    TPDFArray* array = st_.NewArray();
    for (bool first = true;; first = false) {
      SkipWhitespace();
      TPDFObject* item = ParseValue(depth + 1);
      if (item == nullptr) break;
      array->Add(item);
      if (first && item->Kind() == kPDFKindIndRef && p_ + 1 < n_ && t_[p_] != ']') ReserveReferences(*array);
    }
    if (p_ < n_ && t_[p_] == ']') ++p_;
    return array;
  }

  // An array that starts with a reference usually holds nothing else (/Kids, /Annots): room
  // for one item per "R" is made at once. The look-ahead stops where the array's own items end
  // or a nested construct begins, so nested arrays never rescan each other's text, and one
  // item is reserved per four bytes at most.
  void ReserveReferences(TPDFArray& array) {
    size_t count = 0, q = p_ + 1;
    for (; q < n_; ++q) {
      const char c = t_[q];
      if (c == ']' || c == '[' || c == '<' || c == '(') break;
      if (c == 'R') ++count;
    }
    const size_t cap = (q - p_) / 4 + 1;
    array.Reserve(static_cast<int>(std::min(count, cap)));
  }

  // A container nested too deep: its text is passed over without building objects and it
  // reads as null.
  TPDFObject* SkipTooDeep() {
    int level = 0;
    while (p_ < n_) {
      const char c = t_[p_];
      if (c == '[' || (c == '<' && p_ + 1 < n_ && t_[p_ + 1] == '<')) {
        ++level;
        p_ += c == '[' ? 1 : 2;
      } else if (c == ']' || (c == '>' && p_ + 1 < n_ && t_[p_ + 1] == '>')) {
        --level;
        p_ += c == ']' ? 1 : 2;
        if (level <= 0) break;
      } else if (c == '(') {
        size_t end;
        p_ = FindStringEnd(p_, end) ? end + 1 : n_;
      } else if (c == '<') {
        const size_t gt = t_.find('>', p_);
        p_ = gt == std::string_view::npos ? n_ : gt + 1;
      } else if (c == '%') {
        while (p_ < n_ && t_[p_] != '\n' && t_[p_] != '\r') ++p_;
      } else {
        ++p_;
      }
    }
    return st_.NewNull();
  }

  // The closing parenthesis of the literal string opening at `open`, counting nested pairs;
  // a backslash escapes a parenthesis or backslash unless it is among the last two bytes.
  bool FindStringEnd(size_t open, size_t& close) const {
    int level = 1;
    for (size_t q = open + 1; q < n_; ++q) {
      const char c = t_[q];
      if (c == '\\' && q + 2 < n_ && (t_[q + 1] == '(' || t_[q + 1] == ')' || t_[q + 1] == '\\')) {
        ++q;
      } else if (c == '(') {
        ++level;
      } else if (c == ')' && --level == 0) {
        close = q;
        return true;
      }
    }
    return false;
  }

  TPDFObject* ParseLiteralString() {
    // An unbalanced string is abandoned without moving; the enclosing containers then end and
    // their parents try the same position again, so the failure is remembered.
    if (unbalancedAt_ == p_) return nullptr;
    size_t close;
    if (!FindStringEnd(p_, close)) {
      unbalancedAt_ = p_;
      return nullptr;
    }
    const std::string_view body = t_.substr(p_ + 1, close - p_ - 1);
    p_ = close + 1;
    return st_.NewString(UnescapeBody(body), false);
  }

  static std::string UnescapeBody(std::string_view body) {
    std::string out;
    out.reserve(body.size());
    for (size_t i = 0; i < body.size(); ++i) {
      const char c = body[i];
      if (c == '\r') {
        out += '\n';
        if (i + 1 < body.size() && body[i + 1] == '\n') ++i;
        continue;
      }
      if (c != '\\') {
        out += c;
        continue;
      }
      if (++i >= body.size()) break;  // a lone backslash at the end is dropped
      const char e = body[i];
      switch (e) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case '\n': break;
        case '\r':
          if (i + 1 < body.size() && body[i + 1] == '\n') ++i;
          break;
        default:
          if (IsDigit(e)) {
            size_t len = 1;
            while (len < 3 && i + len < body.size() && IsDigit(body[i + len])) ++len;
            out += OctalByte(body.substr(i, len));
            i += len - 1;
          } else {
            out += e;  // "(", ")", "\" and any other byte stand for themselves
          }
      }
    }
    return out;
  }

  TPDFObject* ParseHexString() {
    size_t gt = std::string_view::npos;
    if (n_ >= 2 && p_ + 1 <= n_ - 2) gt = t_.substr(0, n_ - 1).find('>', p_ + 1);
    std::string_view body;
    if (gt != std::string_view::npos) {
      body = t_.substr(p_ + 1, gt - p_ - 1);
      p_ = gt + 1;
    } else {
      // Unterminated: the body stops one byte before the end of the text.
      body = p_ + 1 < n_ - 1 ? t_.substr(p_ + 1, n_ - 1 - (p_ + 1)) : std::string_view();
      p_ = n_;
    }
    // Written in place (a palette's hundreds of digits, in every strip of a picture).
    std::string digits(body.size(), '\0');
    size_t kept = 0;
    for (const char c : body)
      if (HexValue(c) >= 0) digits[kept++] = static_cast<char>(c >= 'a' ? c - ('a' - 'A') : c);
    digits.resize(kept);
    return st_.NewString(HexDigitsToBytes(std::move(digits)), true);
  }

  TPDFObject* ParseName() {
    const size_t start = ++p_;
    while (p_ < n_ && !IsWhite(t_[p_]) && !IsDelimiter(t_[p_])) ++p_;
    const std::string_view raw = t_.substr(start, p_ - start);
    std::string name;
    name.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '#' && i + 2 < raw.size() && HexValue(raw[i + 1]) >= 0 && HexValue(raw[i + 2]) >= 0) {
        name += static_cast<char>(HexValue(raw[i + 1]) * 16 + HexValue(raw[i + 2]));
        i += 2;
      } else {
        name += raw[i];
      }
    }
    return st_.NewName(name);
  }

  // One number token at the position: "-" only first, digits, at most one ".".
  double ReadNumberToken(bool& hasDot) {
    const size_t start = p_;
    if (p_ < n_ && t_[p_] == '-') ++p_;
    hasDot = false;
    while (p_ < n_ && (IsDigit(t_[p_]) || (t_[p_] == '.' && !hasDot))) {
      if (t_[p_] == '.') hasDot = true;
      ++p_;
    }
    const std::string_view raw = t_.substr(start, p_ - start);
    std::string token;
    token.reserve(raw.size() + 2);
    if (raw.front() == '.') token += '0';
    token += raw;
    if (token.back() == '.') token += '0';
    if (!hasDot && token.size() < 9) return static_cast<double>(IntegerOrZero(token));
    return ParsePDFNumber(token);
  }

  TPDFObject* ParseNumberOrReference() {
    bool hasDot;
    const double first = ReadNumberToken(hasDot);
    if (!hasDot) {
      const size_t mark = p_;
      SkipWhitespace();
      if (p_ < n_ && IsDigit(t_[p_])) {
        bool secondDot;
        const double second = ReadNumberToken(secondDot);
        SkipWhitespace();
        if (p_ < n_ && t_[p_] == 'R') {
          ++p_;
          return st_.NewIndRef(ClampToInt32(RoundHalfEven(first)), ClampToInt32(RoundHalfEven(second)));
        }
      }
      p_ = mark;
    }
    return st_.NewNumeric(first);
  }

  TPDFStructure& st_;
  std::string_view t_;
  size_t n_;
  size_t p_ = 0;
  size_t unbalancedAt_ = std::string_view::npos;
};

TPDFObject* TPDFStructure::ParseObjectAt(std::string_view text, size_t& consumed) {
  return TPDFObjectParser(*this, text).ParseTop(consumed);
}

TPDFObject* TPDFStructure::ParseObject(std::string_view text) {
  size_t consumed;
  return ParseObjectAt(text, consumed);
}

std::string TPDFStructure::DecodeLiteralString(std::string_view token) const { return ::DecodeLiteralString(token); }

std::string TPDFStructure::DecodeHexString(std::string_view token) const { return ::DecodeHexString(token); }

bool IsOctalText(std::string_view text) {
  if (text.empty() || text.size() > 3) return false;
  int v = 0;
  for (const char c : text) {
    if (!IsDigit(c)) return false;
    v = v * 10 + (c - '0');
  }
  return v <= (text.size() == 1 ? 7 : text.size() == 2 ? 77 : 777);
}

std::string DecodeLiteralString(std::string_view token) {
  if (token.size() < 2) return std::string();
  const std::string_view body = token.substr(1, token.size() - 2);
  std::string out;
  out.reserve(body.size());
  for (size_t i = 0; i < body.size(); ++i) {
    const char c = body[i];
    if (c != '\\' || i + 1 >= body.size()) {
      if (c != '\\') out += c;
      continue;
    }
    const char e = body[i + 1];
    switch (e) {
      case 'b': out += '\b'; ++i; continue;
      case 't': out += '\t'; ++i; continue;
      case 'n': out += '\n'; ++i; continue;
      case 'f': out += '\f'; ++i; continue;
      case 'r': out += '\r'; ++i; continue;
      case '(': case ')': case '\\': out += e; ++i; continue;
      case '\r':
        ++i;
        if (i + 1 < body.size() && body[i + 1] == '\n') ++i;
        continue;
      case '\n': ++i; continue;
      default: break;
    }
    for (size_t len = 3; len >= 1; --len) {
      const std::string_view digits = body.substr(i + 1, len);
      if (digits.size() == len && IsOctalText(digits)) {
        out += OctalByte(digits);
        i += len;
        break;
      }
    }
    // Without an octal number the backslash is dropped and the next byte read normally.
  }
  return out;
}

std::string DecodeHexString(std::string_view token) {
  if (token.size() < 2 || token.front() != '<' || token.back() != '>') return std::string();
  std::string kept;
  for (const char c : token.substr(1, token.size() - 2))
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || IsDigit(c)) kept += c;
  return HexDigitsToBytes(std::move(kept));
}

bool IsPDFNumberText(std::string_view text) {
  const std::string t = Trim(text);
  const size_t minus = t.find('-');
  if (minus != std::string::npos && minus > 0) return false;
  if (t.find_first_not_of("0123456789.-") != std::string::npos) return false;
  const size_t dot = t.find('.');
  return dot == std::string::npos || t.find('.', dot + 1) == std::string::npos;
}

double ParsePDFNumber(std::string_view text) {
  if (!IsPDFNumberText(text)) return 0;
  const std::string t = Trim(text);
  const size_t dot = t.find('.');
  if (dot == std::string::npos) return static_cast<double>(IntegerOrZero(t));
  const double whole = std::fabs(static_cast<double>(IntegerOrZero(std::string_view(t).substr(0, dot))));
  const std::string_view fraction = std::string_view(t).substr(dot + 1, 9);
  const double part = static_cast<double>(IntegerOrZero(fraction)) / std::pow(10.0, static_cast<double>(fraction.size()));
  const double value = whole + part;
  return t.find('-') != std::string::npos ? -value : value;
}
