#include "pdf/fonts/formats/type1/type1_tokenizer.h"

#include <cstdint>
#include <climits>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }
bool IsDelimiter(char c) {
  return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '/' || c == '%' || c == '{' ||
         c == '}';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

bool ParseType1Integer(std::string_view token, int64_t& value) {
  size_t i = token.starts_with('-') ? 1 : 0;
  if (i >= token.size()) return false;
  int64_t v = 0;
  for (; i < token.size(); ++i) {
    if (!IsDigit(token[i])) return false;
    if (v < (int64_t(1) << 31)) v = v * 10 + (token[i] - '0');
  }
  v = v > INT32_MAX ? INT32_MAX : v;
  value = token.starts_with('-') ? -v : v;
  return true;
}

int64_t Type1TokenInteger(std::string_view token) {
  int64_t v = 0;
  return ParseType1Integer(token, v) ? v : 0;
}

bool IsRDToken(std::string_view t, const TType1ProcNames& names) {
  return t == "-|" || t == "/-|" || t == "RD" || t == "/RD" || t == "/ps:RD" || (!names.RD.empty() && t == names.RD);
}

bool IsNDToken(std::string_view t, const TType1ProcNames& names) {
  return t == "|-" || t == "/|-" || t == "ND" || t == "/ND" || t == "/ps:ND" || (!names.ND.empty() && t == names.ND);
}

void TType1Tokenizer::SkipBlanksAndComments() {
  for (;;) {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    if (pos_ >= text_.size() || text_[pos_] != '%') return;
    while (pos_ < text_.size() && text_[pos_] != '\n' && text_[pos_] != '\r') ++pos_;
  }
}

bool TType1Tokenizer::MatchesName(std::string_view name) const {
  if (name.empty() || text_.substr(pos_, name.size()) != name) return false;
  const size_t after = pos_ + name.size();
  return after >= text_.size() || IsBlank(text_[after]) || IsDelimiter(text_[after]);
}

std::string TType1Tokenizer::TakeBytes(int64_t count) {
  if (count <= 0 || pos_ >= text_.size()) return {};
  const size_t n = size_t(count) < text_.size() - pos_ ? size_t(count) : text_.size() - pos_;
  std::string out(text_.substr(pos_, n));
  pos_ += n;
  return out;
}

std::string TType1Tokenizer::Next() {
  SkipBlanksAndComments();
  if (pos_ >= text_.size()) return {};
  const char c = text_[pos_];
  if (c == '[' || c == ']' || c == '{' || c == '}') {
    ++pos_;
    return std::string(1, c);
  }
  for (const std::string* name : {&names_.RD, &names_.ND, &names_.NP}) {
    if (MatchesName(*name)) {
      pos_ += name->size();
      return *name;
    }
  }
  const size_t start = pos_;
  if (c == '-' || c == '.' || IsDigit(c)) {
    bool dot = c == '.';
    ++pos_;
    while (pos_ < text_.size() && (IsDigit(text_[pos_]) || (text_[pos_] == '.' && !dot))) {
      if (text_[pos_] == '.') dot = true;
      ++pos_;
    }
    return std::string(text_.substr(start, pos_ - start));
  }
  if (c == '(') {
    int depth = 0;
    for (size_t p = pos_; p < text_.size(); ++p) {
      const char ch = text_[p];
      if (ch == '\\') {
        if (p + 1 < text_.size() && (text_[p + 1] == '(' || text_[p + 1] == ')' || text_[p + 1] == '\\')) ++p;
      } else if (ch == '(') {
        ++depth;
      } else if (ch == ')' && --depth == 0) {
        pos_ = p + 1;
        return std::string(text_.substr(start, pos_ - start));
      }
    }
    return {};
  }
  if (c == '<' && pos_ + 1 < text_.size()) {
    const size_t close = text_.find('>', pos_ + 1);
    const size_t end = close == std::string_view::npos ? text_.size() : close;
    std::string token(text_.substr(pos_ + 1, end - pos_ - 1));
    pos_ = close == std::string_view::npos ? text_.size() : close + 1;
    return token;
  }
  if (c == '/' || IsLetter(c)) {
    size_t p = c == '/' ? pos_ + 1 : pos_;
    const size_t wordStart = p;
    while (p < text_.size() && !IsBlank(text_[p]) && !IsDelimiter(text_[p])) ++p;
    pos_ = p;
    const std::string_view word = text_.substr(wordStart, p - wordStart);
    return (c == '/' ? std::string("/") : std::string("/ps:")) + std::string(word);
  }
  return {};
}

TType1TokenizedProgram TokenizeProgram(std::string_view text) {
  TType1TokenizedProgram out;
  TType1ProcNames& names = out.Names;
  TType1Tokenizer tok(text, names);
  bool privateMode = false, subrsMode = false, charStringsMode = false;
  int procDepth = 0;
  int64_t subrsCount = 0;
  std::string lastName, previous, entryNumber;
  for (;;) {
    std::string t = tok.Next();
    if (t.empty()) break;
    if (t == "/Private") privateMode = true;
    if (t == "/Subrs") {
      subrsMode = true;
      charStringsMode = false;
      subrsCount = Type1TokenInteger(tok.Next());
    } else if (t == "/CharStrings") {
      charStringsMode = true;
      subrsMode = false;
    }
    if (privateMode) {
      if (t[0] == '/' && !t.starts_with("/ps:")) {
        lastName = t.substr(1);
      } else if (t == "{") {
        ++procDepth;
      } else if (t == "}") {
        if (procDepth > 0) --procDepth;
      } else if (procDepth > 0 && t == "/ps:readstring") {
        names.RD = lastName;
      } else if (procDepth > 0 && t == "/ps:def") {
        names.ND = lastName;
      } else if (procDepth > 0 && t == "/ps:put") {
        names.NP = lastName;
        privateMode = false;
      }
    }
    if (subrsMode) {
      if (t == "/ps:dup") {
        entryNumber = tok.Next();
        previous = entryNumber;
        out.Tokens.push_back(t);
        continue;
      }
      if (IsRDToken(t, names)) {
        const int64_t n = Type1TokenInteger(previous);
        tok.SetPosition(tok.Position() + 1);
        int64_t entry = 0;
        const int32_t number =
            ParseType1Integer(entryNumber, entry) ? int32_t(entry) : int32_t(out.Subrs.size());
        out.Subrs.emplace_back(number, tok.TakeBytes(n));
        if (subrsCount > 0 && int64_t(out.Subrs.size()) >= subrsCount) subrsMode = false;
        previous = t;
        out.Tokens.push_back(t);
        continue;
      }
      if (IsNDToken(t, names)) subrsMode = false;
      previous = t;
    } else if (charStringsMode && IsRDToken(t, names)) {
      const int64_t n = Type1TokenInteger(previous);
      out.Tokens.push_back(t);
      tok.SetPosition(tok.Position() + 1);
      out.Tokens.push_back(tok.TakeBytes(n));
      previous = t;
      continue;
    } else {
      previous = t;
    }
    out.Tokens.push_back(t);
  }
  return out;
}
