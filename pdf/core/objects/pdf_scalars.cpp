#include "pdf/core/objects/pdf_scalars.h"

#include "pdf/core/objects/pdf_structure.h"
#include "pdf/core/pdf_helpers.h"
#include "platform/rtl/numbers.h"

namespace {

constexpr char kHexUpper[] = "0123456789ABCDEF";

bool NameByteNeedsEscape(unsigned char c) {
  if (c < 33 || c > 126) return true;
  switch (c) {
    case '/': case '(': case ')': case '#': case '%': case '[': case ']': case '{': case '}': case '<': case '>':
      return true;
    default:
      return false;
  }
}

}  // namespace

void TPDFNull::Write(std::string& out, int) const { out += "null"; }

void TPDFBoolean::Write(std::string& out, int) const { out += value_ ? "true" : "false"; }

int TPDFNumeric::AsInteger() const { return ClampToInt32(RoundHalfEven(value_)); }

void TPDFNumeric::Write(std::string& out, int) const { out += FormatPDFNumber(value_, Owner()->Decimals); }

void TPDFName::Write(std::string& out, int) const {
  out += '/';
  for (const char ch : name_) {
    const auto c = static_cast<unsigned char>(ch);
    if (NameByteNeedsEscape(c)) {
      out += '#';
      out += kHexUpper[c >> 4];
      out += kHexUpper[c & 15];
    } else {
      out += ch;
    }
  }
}

void TPDFString::Write(std::string& out, int) const {
  if (isHex_) {
    out.reserve(out.size() + 2 * value_.size() + 2);
    out += '<';
    for (const char ch : value_) {
      const auto c = static_cast<unsigned char>(ch);
      out += kHexUpper[c >> 4];
      out += kHexUpper[c & 15];
    }
    out += '>';
    return;
  }
  out.reserve(out.size() + value_.size() + 2);
  out += '(';
  for (const char ch : value_) {
    switch (ch) {
      case '\b': out += "\\b"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\f': out += "\\f"; break;
      case '\r': out += "\\r"; break;
      case '(': case ')': case '\\': out += '\\'; out += ch; break;
      default: out += ch; break;
    }
  }
  out += ')';
}

TPDFObject* TPDFIndRef::Resolve() {
  const TPDFStructure* owner = Owner();
  return owner->OnResolve ? owner->OnResolve(*this, targetNumber_, targetGeneration_) : nullptr;
}

void TPDFIndRef::Renumber(int delta) {
  targetNumber_ = static_cast<int>(static_cast<unsigned>(targetNumber_) + static_cast<unsigned>(delta));
}

void TPDFIndRef::Write(std::string& out, int) const {
  out += IntToStr(targetNumber_);
  out += ' ';
  out += IntToStr(targetGeneration_);
  out += " R";
}
