#include "platform/forms/form_text.h"

#include <cmath>
#include <limits>

#include "platform/rtl/numbers.h"
#include "platform/rtl/strings.h"

namespace {

bool IsIdentStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

class Parser {
 public:
  Parser(std::string_view text, const TFormParseLimits& limits) : s_(text), limits_(limits) {
    if (text.size() > limits.maxInputBytes) Fail("Form description too large");
  }

  TFormObject ParseRoot() {
    SkipBlanks();
    TFormObject root = ParseObject(0);
    SkipBlanks();
    if (pos_ < s_.size()) Fail("End of description expected");
    return root;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw EParserError(what + " on line " + std::to_string(line_));
  }

  void SkipBlanks() {
    while (pos_ < s_.size()) {
      char c = s_[pos_];
      if (c == '\n') {
        ++line_;
      } else if (c == 0 || static_cast<unsigned char>(c) > ' ') {
        break;
      }
      ++pos_;
    }
  }

  bool AtEnd() const { return pos_ >= s_.size(); }
  char Peek() const { return AtEnd() ? '\0' : s_[pos_]; }

  void Expect(char c) {
    SkipBlanks();
    if (Peek() != c) Fail(std::string("'") + c + "' expected");
    ++pos_;
  }

  std::string Ident() {
    SkipBlanks();
    if (!IsIdentStart(Peek())) Fail("Identifier expected");
    size_t start = pos_;
    while (!AtEnd() && IsIdentChar(s_[pos_])) ++pos_;
    return std::string(s_.substr(start, pos_ - start));
  }

  // An identifier with dotted parts ("Font.Style", "Form2.Button1").
  std::string DottedIdent() {
    std::string name = Ident();
    while (Peek() == '.') {
      ++pos_;
      if (!IsIdentStart(Peek())) Fail("Identifier expected");
      name += '.';
      name += Ident();
    }
    return name;
  }

  bool KeywordIs(std::string_view word) {
    SkipBlanks();
    size_t end = pos_;
    while (end < s_.size() && IsIdentChar(s_[end])) ++end;
    return SameTextAscii(s_.substr(pos_, end - pos_), word);
  }

  void CheckDepth(int depth) const {
    if (depth > limits_.maxDepth) Fail("Nesting too deep");
  }

  // An index in brackets after an object's or an item's name, when there is one.
  bool OptionalIndex(int64_t& index) {
    SkipBlanks();
    if (Peek() != '[') return false;
    ++pos_;
    index = IntegerToken();
    Expect(']');
    return true;
  }

  // True, past it, at the character that closes a bracketed run of values.
  bool Closes(char close, const char* missing) {
    SkipBlanks();
    if (AtEnd()) Fail(missing);
    if (Peek() != close) return false;
    ++pos_;
    return true;
  }

  // True, past it, at the "end" that closes an object or an item.
  bool EndsBlock() {
    SkipBlanks();
    if (AtEnd()) Fail("'end' expected");
    if (!KeywordIs("end")) return false;
    Ident();
    return true;
  }

  TFormObject ParseObject(int depth) {
    CheckDepth(depth);
    TFormObject obj;
    obj.line = line_;
    std::string keyword = Ident();
    if (SameTextAscii(keyword, "object")) {
      obj.kind = TFormObject::Kind::Object;
    } else if (SameTextAscii(keyword, "inherited")) {
      obj.kind = TFormObject::Kind::Inherited;
    } else if (SameTextAscii(keyword, "inline")) {
      obj.kind = TFormObject::Kind::Inline;
    } else {
      Fail("'object' expected");
    }
    std::string first = Ident();
    SkipBlanks();
    if (Peek() == ':') {
      ++pos_;
      obj.name = first;
      obj.className = Ident();
    } else {
      obj.className = first;
    }
    obj.hasIndex = OptionalIndex(obj.index);
    while (!EndsBlock()) {
      if (KeywordIs("object") || KeywordIs("inherited") || KeywordIs("inline")) {
        obj.children.push_back(ParseObject(depth + 1));
        continue;
      }
      obj.props.push_back(ParseProperty(depth));
    }
    return obj;
  }

  TFormProperty ParseProperty(int depth) {
    TFormProperty p;
    SkipBlanks();
    p.line = line_;
    p.name = DottedIdent();
    Expect('=');
    p.value = ParseValue(depth);
    return p;
  }

  int64_t IntegerToken() {
    SkipBlanks();
    TFormValue v = Number();
    if (v.kind != TFormValue::Kind::Integer) Fail("Integer expected");
    return v.integer;
  }

  TFormValue ParseValue(int depth) {
    CheckDepth(depth);
    SkipBlanks();
    char c = Peek();
    TFormValue v;
    if (c == '\'' || c == '#') {
      v.kind = TFormValue::Kind::String;
      StringValue(v);
    } else if (c == '-' || c == '+' || c == '$' || IsDigit(c)) {
      v = Number();
    } else if (c == '[') {
      ++pos_;
      v.kind = TFormValue::Kind::Set;
      SkipBlanks();
      if (Peek() != ']') {
        for (;;) {
          v.items.push_back(Ident());
          SkipBlanks();
          if (Peek() == ',') {
            ++pos_;
            continue;
          }
          break;
        }
      }
      Expect(']');
    } else if (c == '(') {
      ++pos_;
      v.kind = TFormValue::Kind::List;
      while (!Closes(')', "')' expected")) v.list.push_back(ParseValue(depth + 1));
    } else if (c == '{') {
      ++pos_;
      v.kind = TFormValue::Kind::Binary;
      while (!Closes('}', "'}' expected")) {
        int hi = HexValue(s_[pos_]);
        if (hi < 0) Fail("Invalid binary value");
        ++pos_;
        if (AtEnd()) Fail("Invalid binary value");
        int lo = HexValue(s_[pos_]);  // the two digits of a byte stand together
        if (lo < 0) Fail("Invalid binary value");
        ++pos_;
        v.text += static_cast<char>((hi << 4) | lo);
      }
    } else if (c == '<') {
      ++pos_;
      v.kind = TFormValue::Kind::Collection;
      while (!Closes('>', "'>' expected")) {
        if (!KeywordIs("item")) Fail("'item' expected");
        Ident();
        TFormValue::Item item;
        item.hasIndex = OptionalIndex(item.index);
        while (!EndsBlock()) item.props.push_back(ParseProperty(depth + 1));
        v.collection.push_back(std::move(item));
      }
    } else if (IsIdentStart(c)) {
      v.kind = TFormValue::Kind::Ident;
      v.text = DottedIdent();
    } else {
      Fail("Invalid property value");
    }
    return v;
  }

  // Quoted pieces and #n characters, joined directly or with "+" between lines.
  void StringValue(TFormValue& v) {
    for (;;) {
      SkipBlanks();
      char c = Peek();
      if (c == '\'') {
        ++pos_;
        for (;;) {
          if (AtEnd()) Fail("Unterminated string");
          char d = s_[pos_++];
          if (d == '\n' || d == '\r') Fail("Unterminated string");
          if (d == '\'') {
            if (Peek() == '\'') {
              ++pos_;
              v.text += '\'';
              continue;
            }
            break;
          }
          v.text += d;
        }
      } else if (c == '#') {
        ++pos_;
        uint64_t cp = 0;
        bool any = false;
        if (Peek() == '$') {
          ++pos_;
          while (!AtEnd() && HexValue(s_[pos_]) >= 0) {
            cp = cp * 16 + static_cast<uint64_t>(HexValue(s_[pos_++]));
            any = true;
            if (cp > 0x10FFFF) Fail("Invalid character");
          }
        } else {
          while (!AtEnd() && IsDigit(s_[pos_])) {
            cp = cp * 10 + static_cast<uint64_t>(s_[pos_++] - '0');
            any = true;
            if (cp > 0x10FFFF) Fail("Invalid character");
          }
        }
        if (!any) Fail("Invalid character");
        if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
        if (cp > 0xFF) v.wide = true;
        AppendUtf8(v.text, static_cast<uint32_t>(cp));
      } else {
        break;
      }
      // Directly adjacent pieces continue the string; "+" continues it on a later line.
      size_t save = pos_;
      int saveLine = line_;
      SkipBlanks();
      if (Peek() == '+') {
        ++pos_;
        SkipBlanks();
        if (Peek() != '\'' && Peek() != '#') Fail("String expected");
        continue;
      }
      if (save == pos_ && (Peek() == '\'' || Peek() == '#')) continue;
      pos_ = save;
      line_ = saveLine;
      break;
    }
  }

  TFormValue Number() {
    TFormValue v;
    size_t start = pos_;
    bool negative = false;
    if (Peek() == '-' || Peek() == '+') {
      negative = Peek() == '-';
      ++pos_;
    }
    if (Peek() == '$') {
      ++pos_;
      uint64_t value = 0;
      int digits = 0;
      while (!AtEnd() && HexValue(s_[pos_]) >= 0) {
        if (++digits > 16) Fail("Invalid integer");
        value = value * 16 + static_cast<uint64_t>(HexValue(s_[pos_++]));
      }
      if (digits == 0) Fail("Invalid integer");
      v.kind = TFormValue::Kind::Integer;
      // Hexadecimal numbers are bit patterns: $FFFFFFFF is -1 as a 32-bit value only when
      // written with 8 digits, so keep them as the unsigned value they spell.
      v.integer = static_cast<int64_t>(negative ? ~value + 1 : value);
      return v;
    }
    if (!IsDigit(Peek())) Fail("Number expected");
    while (!AtEnd() && IsDigit(s_[pos_])) ++pos_;
    bool isFloat = false;
    if (Peek() == '.' && pos_ + 1 < s_.size() && IsDigit(s_[pos_ + 1])) {
      isFloat = true;
      ++pos_;
      while (!AtEnd() && IsDigit(s_[pos_])) ++pos_;
    }
    if (Peek() == 'e' || Peek() == 'E') {
      size_t save = pos_;
      ++pos_;
      if (Peek() == '-' || Peek() == '+') ++pos_;
      if (IsDigit(Peek())) {
        isFloat = true;
        while (!AtEnd() && IsDigit(s_[pos_])) ++pos_;
      } else {
        pos_ = save;
      }
    }
    std::string_view token = s_.substr(start, pos_ - start);
    if (isFloat) {
      double d = 0;
      if (!TryStrToFloat(token, d) || !std::isfinite(d)) Fail("Invalid floating point number");
      v.kind = TFormValue::Kind::Float;
      v.number = d;
      // Currency and other typed floats carry a letter after the number; it changes nothing here.
      if (!AtEnd() && (s_[pos_] == 's' || s_[pos_] == 'c' || s_[pos_] == 'd' || s_[pos_] == 'u')) ++pos_;
    } else {
      int64_t i = 0;
      if (!TryStrToInt64(token, i)) Fail("Invalid integer");
      v.kind = TFormValue::Kind::Integer;
      v.integer = i;
    }
    return v;
  }

  std::string_view s_;
  TFormParseLimits limits_;
  size_t pos_ = 0;
  int line_ = 1;
};

// ---- Writer ----

void Indent(std::string& out, int level) { out.append(static_cast<size_t>(level) * 2, ' '); }

void WriteValue(std::string& out, const TFormValue& v, int level);

void WriteProps(std::string& out, const std::vector<TFormProperty>& props, int level) {
  for (const TFormProperty& p : props) {
    Indent(out, level);
    out += p.name;
    out += " = ";
    WriteValue(out, p.value, level);
    out += '\n';
  }
}

void WriteValue(std::string& out, const TFormValue& v, int level) {
  switch (v.kind) {
    case TFormValue::Kind::Integer:
      out += IntToStr(v.integer);
      break;
    case TFormValue::Kind::Float: {
      std::string f = FloatToStr(v.number);
      // Keep it a float when read back: a whole number gets ".0".
      if (f.find_first_of(".E") == std::string::npos) f += ".0";
      out += f;
      break;
    }
    case TFormValue::Kind::String:
      out += QuoteFormString(v.text, v.wide);
      break;
    case TFormValue::Kind::Ident:
      out += v.text;
      break;
    case TFormValue::Kind::Set:
      out += '[';
      for (size_t i = 0; i < v.items.size(); ++i) {
        if (i) out += ", ";
        out += v.items[i];
      }
      out += ']';
      break;
    case TFormValue::Kind::List:
      out += '(';
      for (const TFormValue& item : v.list) {
        out += '\n';
        Indent(out, level + 1);
        WriteValue(out, item, level + 1);
      }
      out += ')';
      break;
    case TFormValue::Kind::Binary: {
      static const char* hex = "0123456789ABCDEF";
      out += '{';
      for (size_t i = 0; i < v.text.size(); ++i) {
        if (i % 32 == 0) {
          out += '\n';
          Indent(out, level + 1);
        }
        unsigned char b = static_cast<unsigned char>(v.text[i]);
        out += hex[b >> 4];
        out += hex[b & 15];
      }
      out += '}';
      break;
    }
    case TFormValue::Kind::Collection:
      out += '<';
      for (const auto& item : v.collection) {
        out += '\n';
        Indent(out, level + 1);
        out += "item";
        if (item.hasIndex) out += " [" + IntToStr(item.index) + "]";
        out += '\n';
        WriteProps(out, item.props, level + 2);
        Indent(out, level + 1);
        out += "end";
      }
      out += '>';
      break;
  }
}

void WriteObject(std::string& out, const TFormObject& obj, int level) {
  Indent(out, level);
  out += obj.kind == TFormObject::Kind::Inherited ? "inherited " : obj.kind == TFormObject::Kind::Inline ? "inline " : "object ";
  if (!obj.name.empty()) out += obj.name + ": ";
  out += obj.className;
  if (obj.hasIndex) out += " [" + IntToStr(obj.index) + "]";
  out += '\n';
  WriteProps(out, obj.props, level + 1);
  for (const TFormObject& child : obj.children) WriteObject(out, child, level + 1);
  Indent(out, level);
  out += "end\n";
}

// Decodes one UTF-8 sequence; ill-formed bytes come back as themselves with `valid` false.
uint32_t NextCodePoint(std::string_view s, size_t& i, bool& valid) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  valid = true;
  int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
  if (len == 1) {
    ++i;
    return c;
  }
  if (len == 0 || i + static_cast<size_t>(len) > s.size()) {
    valid = false;
    ++i;
    return c;
  }
  uint32_t cp = c & (0xFF >> (len + 1));
  for (int k = 1; k < len; ++k) {
    unsigned char d = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
    if ((d & 0xC0) != 0x80) {
      valid = false;
      ++i;
      return c;
    }
    cp = (cp << 6) | (d & 0x3F);
  }
  static const uint32_t minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < minimum[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    valid = false;
    ++i;
    return c;
  }
  i += static_cast<size_t>(len);
  return cp;
}

}  // namespace

TFormObject ParseFormDescription(std::string_view text, const TFormParseLimits& limits) {
  Parser p(text, limits);
  return p.ParseRoot();
}

std::string WriteFormDescription(const TFormObject& root) {
  std::string out;
  WriteObject(out, root, 0);
  return out;
}

std::string QuoteFormString(std::string_view utf8, bool wide) {
  std::string out;
  bool inQuotes = false;
  auto open = [&] {
    if (!inQuotes) out += '\'';
    inQuotes = true;
  };
  auto close = [&] {
    if (inQuotes) out += '\'';
    inQuotes = false;
  };
  size_t i = 0;
  while (i < utf8.size()) {
    size_t start = i;
    bool valid = true;
    uint32_t cp = NextCodePoint(utf8, i, valid);
    if (!valid) {
      // A byte that is not UTF-8 stays a raw byte inside quotes.
      open();
      out += utf8[start];
      continue;
    }
    if (cp < 0x20 || (wide && cp > 0x7E)) {
      close();
      out += '#' + IntToStr(cp);
    } else if (cp == '\'') {
      open();
      out += "''";
    } else {
      open();
      out.append(utf8.substr(start, i - start));
    }
  }
  close();
  if (out.empty()) out = "''";
  return out;
}
