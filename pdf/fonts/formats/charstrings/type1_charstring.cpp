// The Type 1 charstring interpreter: one glyph's charstring, its subroutines, the flex and
// hint-replacement othersubrs and seac accents, turned into the glyph command list. The command
// list doubles as the operand stack: numbers are appended to it and operators take their
// operands from its end.
#include <array>
#include <string>
#include <utility>

#include "pdf/core/object_parser.h"
#include "pdf/fonts/formats/charstrings/charstring_budget.h"
#include "pdf/fonts/formats/charstrings/glyph_commands.h"
#include "pdf/fonts/formats/type1/standard_encoding.h"
#include "pdf/fonts/formats/type1/type1_decoder.h"
#include "pdf/fonts/formats/type1/type1_tokenizer.h"

namespace {

class TType1Interpreter : public TCharstringBudget {
 public:
  TType1Interpreter(TPDFType1Decoder& decoder, TGlyphCommandList& list) : TCharstringBudget(list), d_(decoder) {}

  void Interpret(std::string_view data);

 private:
  // An entry that an operator may take: a number text (or the empty stand-in of a missing one).
  static bool IsOperand(const std::string& s) {
    return s.empty() || (s[0] >= '0' && s[0] <= '9') || s[0] == '-' || s[0] == '.';
  }
  // The top operand; an empty argument when the list ends in a command or is empty.
  std::string Pop() {
    if (list_.empty() || !IsOperand(list_.back())) return {};
    std::string s = std::move(list_.back());
    list_.pop_back();
    return s;
  }
  int64_t PopInteger() {
    int64_t v = 0;
    return ParseType1Integer(Pop(), v) ? v : 0;
  }
  // A nested charstring (a subroutine, the parts of an accented glyph) is read only below the
  // nesting limit; the glyph itself is the first level.
  bool CanNest() const { return nesting_ < kMaxType1Nesting; }
  // A nested charstring as it is fetched: its bytes count against the step budget, so that
  // fetching (and decrypting) cannot cost more than interpreting would.
  std::string Fetch(std::string data) {
    if (!Spend(int64_t(data.size()))) data.clear();
    return data;
  }
  void MoveTo(std::string dx, std::string dy);
  void CallOtherSubr();
  void Seac();
  void Escape(uint8_t op);
  void Operator(uint8_t op);

  TPDFType1Decoder& d_;
  std::vector<std::string> psStack_;
  bool flex_ = false;
  int64_t flexCount_ = 0;
  std::array<std::pair<std::string, std::string>, 7> flexSlots_;
  int nesting_ = 0;
};

void TType1Interpreter::Interpret(std::string_view data) {
  ++nesting_;
  if (nesting_ <= kMaxType1Nesting) {
    for (size_t i = 0; i < data.size() && Spend(1); ++i) {
      const uint8_t v = uint8_t(data[i]);
      if (v >= 32 && v <= 246) {
        Append(std::to_string(int(v) - 139));
      } else if (v >= 247 && v <= 254) {
        if (i + 1 >= data.size()) break;
        const int w = uint8_t(data[++i]);
        Append(std::to_string(v <= 250 ? (v - 247) * 256 + w + 108 : -(v - 251) * 256 - w - 108));
      } else if (v == 255) {
        if (i + 4 >= data.size()) break;
        const uint32_t u = uint32_t(uint8_t(data[i + 1])) << 24 | uint32_t(uint8_t(data[i + 2])) << 16 |
                           uint32_t(uint8_t(data[i + 3])) << 8 | uint8_t(data[i + 4]);
        i += 4;
        Append(std::to_string(int32_t(u)));
      } else if (v == 12) {
        if (i + 1 >= data.size()) break;
        Escape(uint8_t(data[++i]));
      } else if (v == 10) {
        const int64_t n = PopInteger();
        if (CanNest()) Interpret(Fetch(d_.GetSubr(n)));
      } else {
        Operator(v);
      }
    }
  }
  --nesting_;
}

void TType1Interpreter::MoveTo(std::string dx, std::string dy) {
  if (flex_ && flexCount_ >= 0 && flexCount_ <= 6) {
    flexSlots_[size_t(flexCount_)] = {std::move(dx), std::move(dy)};
    return;
  }
  Append(GlyphCommand("rmoveto", {dx, dy}));
}

void TType1Interpreter::Operator(uint8_t op) {
  switch (op) {
    case 1:
    case 3: {
      std::string dy = Pop(), y = Pop();
      Append(GlyphCommand(op == 1 ? "hstem" : "vstem", {y, dy}));
      break;
    }
    case 4: MoveTo("0", Pop()); break;
    case 5: {
      std::string dy = Pop(), dx = Pop();
      Append(GlyphCommand("rlineto", {dx, dy}));
      break;
    }
    case 6: Append(GlyphCommand("rlineto", {Pop(), "0"})); break;
    case 7: Append(GlyphCommand("rlineto", {"0", Pop()})); break;
    case 8: {
      std::vector<std::string> a(6);
      for (int k = 5; k >= 0; --k) a[size_t(k)] = Pop();
      Append(GlyphCommand("rrcurveto", a, "rr"));
      break;
    }
    case 9: Append("closepath"); break;
    case 13: {
      std::string wx = Pop(), sbx = Pop();
      Append(GlyphCommand("hsbw", {sbx, wx}));
      break;
    }
    case 14: Append("endchar"); break;
    case 21: {
      std::string dy = Pop(), dx = Pop();
      MoveTo(std::move(dx), std::move(dy));
      break;
    }
    case 22: MoveTo(Pop(), "0"); break;
    case 30: {
      std::string dx3 = Pop(), dy2 = Pop(), dx2 = Pop(), dy1 = Pop();
      Append(GlyphCommand("rrcurveto", {"0", dy1, dx2, dy2, dx3, "0"}, "vh"));
      break;
    }
    case 31: {
      std::string dy3 = Pop(), dy2 = Pop(), dx2 = Pop(), dx1 = Pop();
      Append(GlyphCommand("rrcurveto", {dx1, "0", dx2, dy2, "0", dy3}, "hv"));
      break;
    }
    default: break;  // return (11) and unknown codes
  }
}

void TType1Interpreter::Escape(uint8_t op) {
  switch (op) {
    case 0: Append("dotsection"); break;
    case 1: Append("vstem3"); break;
    case 2: Append("hstem3"); break;
    case 6: Seac(); break;
    case 7: {
      std::string wy = Pop(), wx = Pop(), sby = Pop(), sbx = Pop();
      Append(GlyphCommand("sbw", {sbx, sby, wx, wy}));
      break;
    }
    case 12: {
      const double b = ParsePDFNumber(Pop()), a = ParsePDFNumber(Pop());
      Append(GlyphNumber(b == 0 ? 0.0 : a / b));
      break;
    }
    case 16: CallOtherSubr(); break;
    case 17:
      if (psStack_.empty()) {
        Append("0");
      } else {
        Append(std::move(psStack_.back()));
        psStack_.pop_back();
      }
      break;
    case 33: {
      std::string y = Pop(), x = Pop();
      Append(GlyphCommand("setcurrentpoint", {x, y}));
      break;
    }
    default: break;
  }
}

void TType1Interpreter::CallOtherSubr() {
  const int64_t number = PopInteger();
  Pop();  // the argument count
  switch (number) {
    case 0: {
      std::string y = Pop(), x = Pop();
      Pop();  // flex height
      if (flexCount_ == 7) {
        std::vector<std::string> args;
        for (auto& [dx, dy] : flexSlots_) {
          args.push_back(dx);
          args.push_back(dy);
        }
        Append(GlyphCommand("flex", args));
      }
      flex_ = false;
      flexCount_ = 0;
      // Two following pops return x, then y.
      if (psStack_.size() + 2 > kMaxGlyphCommands) {
        Fail();
        break;
      }
      psStack_.push_back(std::move(y));
      psStack_.push_back(std::move(x));
      break;
    }
    case 1:
      flex_ = true;
      flexCount_ = 0;
      break;
    case 2: ++flexCount_; break;
    case 3:
      if (psStack_.size() >= kMaxGlyphCommands) {
        Fail();
        break;
      }
      psStack_.push_back("3");
      break;
    default: break;
  }
}

void TType1Interpreter::Seac() {
  const int64_t achar = PopInteger(), bchar = PopInteger();
  std::string ady = Pop(), adx = Pop(), asb = Pop();
  const std::string_view accentName = Type1StandardEncodingName(achar);
  const std::string_view baseName = Type1StandardEncodingName(bchar);
  if (accentName.empty() || baseName.empty()) return;
  const bool nest = CanNest();
  if (nest) Interpret(Fetch(d_.DecryptCharstring(d_.FindCharString(baseName))));
  Append(GlyphCommand("seac", {asb, adx, ady}));
  if (nest) Interpret(Fetch(d_.DecryptCharstring(d_.FindCharString(accentName))));
}

}  // namespace

bool TPDFType1Decoder::ConvertType1Glyph(const std::string& key) {
  GlyphCommands.clear();
  const std::string data = DecryptCharstring(FindCharString(key));
  if (data.empty()) return false;
  TType1Interpreter interpreter(*this, GlyphCommands);
  interpreter.Interpret(data);
  if (interpreter.Failed()) {
    GlyphCommands.clear();
    return false;
  }
  return true;
}
