// The Type 2 charstring interpreter of CFF fonts. Every drawing operator is expanded into the
// few commands that Type 1 charstrings produce ("rmoveto", "rlineto", "rrcurveto", "t2flex",
// "seac", "endchar"), so that one drawing routine serves both formats. Hints are decoded only as
// far as needed to skip the mask bytes and to find (and drop) the width.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "pdf/core/object_parser.h"
#include "pdf/fonts/formats/charstrings/charstring_budget.h"
#include "pdf/fonts/formats/charstrings/glyph_commands.h"
#include "pdf/fonts/formats/type1/standard_encoding.h"
#include "pdf/fonts/formats/type1/type1_decoder.h"

namespace {

using TArgs = std::vector<std::string>;

int64_t SubrBias(int64_t count) { return count < 1240 ? 107 : count < 33900 ? 1131 : 32768; }

class TType2Interpreter : public TCharstringBudget {
 public:
  TType2Interpreter(TPDFType1Decoder& decoder, TGlyphCommandList& list) : TCharstringBudget(list), d_(decoder) {}

  void Run(std::string_view data, bool isSubroutine);

 private:
  struct TGlyphRecord {
    bool WidthPending = true;
    int64_t Stems = 0;
  };

  size_t Count() const { return stack_.size(); }
  const std::string& At(size_t i) const { return stack_[i]; }
  double Num(size_t i) const { return i < stack_.size() ? ParsePDFNumber(stack_[i]) : 0.0; }
  std::string Text(size_t i) const { return i < stack_.size() ? stack_[i] : std::string("0"); }
  void Push(std::string s) {
    if (stack_.size() >= kMaxType2Operands) {
      Fail();
      return;
    }
    stack_.push_back(std::move(s));
  }
  std::string Pop() {
    if (stack_.empty()) return {};
    std::string s = std::move(stack_.back());
    stack_.pop_back();
    return s;
  }
  double PopNum() { return ParsePDFNumber(Pop()); }
  int64_t PopInt() {
    const double v = ParsePDFNumber(Pop());
    return std::isfinite(v) && std::abs(v) < 2e9 ? int64_t(v) : 0;
  }
  // Takes the bottom operand as the width while one is pending and the count says so.
  void CheckWidth(bool oddMeansWidth) {
    TGlyphRecord& g = glyphs_.back();
    if (!g.WidthPending || stack_.empty()) return;
    if ((Count() % 2 == 1) == oddMeansWidth) {
      stack_.erase(stack_.begin());
      g.WidthPending = false;
    }
  }
  void Stems(bool horizontal);
  void Mask(std::string_view data, size_t& i, bool hint);
  void Operator(uint8_t op, std::string_view data, size_t& i);
  void Escape(uint8_t op);
  void CurveFamily(bool vertical);
  void EndChar();
  void CallSubr(bool global);

  TPDFType1Decoder& d_;
  std::vector<std::string> stack_;
  std::array<std::string, 33> transient_;
  std::vector<TGlyphRecord> glyphs_;
  int subrDepth_ = 0;
  int seacDepth_ = 0;
  uint32_t random_ = 0x2545F491;
};

void TType2Interpreter::Run(std::string_view data, bool isSubroutine) {
  if (!isSubroutine) glyphs_.push_back({});
  for (size_t i = 0; i < data.size() && Spend(1); ++i) {
    const uint8_t v = uint8_t(data[i]);
    const size_t left = data.size() - i - 1;
    if (v >= 32 && v <= 246) {
      Push(std::to_string(int(v) - 139));
    } else if (v >= 247 && v <= 254) {
      if (left < 1) break;
      const int w = uint8_t(data[++i]);
      Push(std::to_string(v <= 250 ? (v - 247) * 256 + w + 108 : -(v - 251) * 256 - w - 108));
    } else if (v == 28) {
      // Taken only with at least three bytes after it; otherwise the 28 alone is skipped.
      if (left < 3) continue;
      Push(std::to_string(int16_t(uint16_t(uint8_t(data[i + 1]) << 8 | uint8_t(data[i + 2])))));
      i += 2;
    } else if (v == 255) {
      if (left < 5) continue;
      const int16_t high = int16_t(uint16_t(uint8_t(data[i + 1]) << 8 | uint8_t(data[i + 2])));
      const uint16_t fraction = uint16_t(uint8_t(data[i + 3]) << 8 | uint8_t(data[i + 4]));
      Push(GlyphNumber(high + fraction / 65536.0));
      i += 4;
    } else if (v == 12) {
      if (left < 1) break;
      Escape(uint8_t(data[++i]));
    } else {
      Operator(v, data, i);
    }
  }
  if (!isSubroutine) glyphs_.pop_back();
}

void TType2Interpreter::Stems(bool horizontal) {
  CheckWidth(true);
  if (Count() % 2 == 1) stack_.erase(stack_.begin());
  TArgs args(stack_.begin(), stack_.end());
  glyphs_.back().Stems += std::max<int64_t>(1, int64_t(args.size() / 2));
  if (glyphs_.back().Stems > kMaxType2Stems) Fail();
  Append(GlyphCommand(horizontal ? "hstem" : "vstem", args));
  stack_.clear();
}

void TType2Interpreter::Mask(std::string_view data, size_t& i, bool hint) {
  if (!stack_.empty()) Stems(false);
  if (Failed()) return;
  const int64_t stems = glyphs_.back().Stems;
  int64_t bytes = (stems + 7) / 8;
  if (hint && bytes < 1) bytes = 1;
  std::string cmd = hint ? "hintmask(" : "cntrmask(";
  for (int64_t k = 0; k < stems; ++k) {
    const size_t at = i + 1 + size_t(k / 8);
    // The charstring's last byte never counts as a mask byte (the flags only label hints).
    const uint8_t b = at + 1 < data.size() ? uint8_t(data[at]) : 0;
    if (k > 0) cmd += ',';
    cmd += (b >> (7 - k % 8)) & 1 ? '1' : '0';
  }
  cmd += ')';
  Append(std::move(cmd));
  i += size_t(bytes);
}

void TType2Interpreter::Operator(uint8_t op, std::string_view data, size_t& i) {
  const size_t n = Count();
  switch (op) {
    case 1:
    case 18: Stems(true); return;
    case 3:
    case 23: Stems(false); return;
    case 19: Mask(data, i, true); return;
    case 20: Mask(data, i, false); return;
    case 21:
      CheckWidth(true);
      if (Count() % 2 == 1) stack_.erase(stack_.begin());
      Append(GlyphCommand("rmoveto", {Text(0), Text(1)}));
      break;
    case 22:
      CheckWidth(false);
      Append(GlyphCommand("rmoveto", {Text(0), "0"}));
      break;
    case 4:
      CheckWidth(false);
      Append("rmoveto(0, " + Text(0) + ")");
      break;
    case 5:
      for (size_t k = 0; k + 1 < n; k += 2) Append(GlyphCommand("rlineto", {At(k), At(k + 1)}));
      break;
    case 6:
    case 7:
      for (size_t k = 0; k < n; ++k) {
        const bool horizontal = (k % 2 == 0) == (op == 6);
        Append(horizontal ? GlyphCommand("rlineto", {At(k), "0"}) : GlyphCommand("rlineto", {"0", At(k)}));
      }
      break;
    case 8: {
      size_t k = 0;
      for (; k + 6 <= n; k += 6) Append(GlyphCommand("rrcurveto", TArgs(stack_.begin() + int64_t(k), stack_.begin() + int64_t(k + 6)), "rr"));
      stack_.erase(stack_.begin(), stack_.begin() + int64_t(k));
      return;  // leftover operands stay
    }
    case 24: {
      size_t k = 0;
      for (; n - k >= 8; k += 6) Append(GlyphCommand("rrcurveto", TArgs(stack_.begin() + int64_t(k), stack_.begin() + int64_t(k + 6))));
      Append(GlyphCommand("rlineto", {Text(k), Text(k + 1)}, "cl"));
      break;
    }
    case 25: {
      size_t k = 0;
      for (; n - k >= 8; k += 2) Append(GlyphCommand("rlineto", {At(k), At(k + 1)}));
      Append(GlyphCommand("rrcurveto", {Text(k), Text(k + 1), Text(k + 2), Text(k + 3), Text(k + 4), Text(k + 5)}, "lc"));
      break;
    }
    case 26:
    case 27: {
      size_t k = 0;
      std::string first = "0";
      if (n % 2 == 1) first = At(k++);
      for (; k + 4 <= n; k += 4) {
        if (op == 26) {
          Append(GlyphCommand("rrcurveto", {first, At(k), At(k + 1), At(k + 2), "0", At(k + 3)}, "vv"));
        } else {
          Append(GlyphCommand("rrcurveto", {At(k), first, At(k + 1), At(k + 2), At(k + 3), "0"}, "hh"));
        }
        first = "0";
      }
      break;
    }
    case 30: CurveFamily(true); break;
    case 31: CurveFamily(false); break;
    case 10: CallSubr(false); return;
    case 29: CallSubr(true); return;
    case 11: return;  // a subroutine is read to its end
    case 14: EndChar(); break;
    case 0:
    case 2:
    case 9:
    case 13:
    case 15:
    case 16:
    case 17: Append("Unknown: " + std::to_string(op)); return;
    default: return;
  }
  stack_.clear();
}

// vhcurveto (vertical) and hvcurveto: curves that start vertical or horizontal and alternate.
void TType2Interpreter::CurveFamily(bool vertical) {
  const int64_t c = int64_t(Count());
  const std::string tag = vertical ? "vh" : "hv";
  // The trailing operand when exactly five remain from k on, else 0.
  auto last = [&](size_t k) { return c - int64_t(k) == 5 ? At(size_t(c - 1)) : std::string("0"); };
  // A curve starting vertical (its end horizontal) or horizontal, from four operands at k.
  auto startVertical = [&](size_t k, const std::string& f, const std::string& t) {
    Append(GlyphCommand("rrcurveto", {"0", At(k), At(k + 1), At(k + 2), At(k + 3), f}, t));
  };
  auto startHorizontal = [&](size_t k, const std::string& f, const std::string& t) {
    Append(GlyphCommand("rrcurveto", {At(k), "0", At(k + 1), At(k + 2), f, At(k + 3)}, t));
  };
  if ((c - 4) % 8 == 0 || (c - 4) % 8 == 1) {
    // One curve, then pairs that alternate back.
    const std::string f = c == 5 ? At(4) : std::string("0");
    vertical ? startVertical(0, f, tag + "1") : startHorizontal(0, f, tag + "1");
    for (size_t k = 4; int64_t(k) + 8 <= c; k += 8) {
      vertical ? startHorizontal(k, "0", tag + "2") : startVertical(k, "0", tag + "2");
      vertical ? startVertical(k + 4, last(k + 4), tag + "3") : startHorizontal(k + 4, last(k + 4), tag + "3");
    }
  } else if (c % 8 == 0 || c % 8 == 1) {
    for (size_t k = 0; int64_t(k) + 8 <= c; k += 8) {
      vertical ? startVertical(k, "0", tag + "4") : startHorizontal(k, "0", tag + "4");
      vertical ? startHorizontal(k + 4, last(k + 4), tag + "5") : startVertical(k + 4, last(k + 4), tag + "5");
    }
  }
}

void TType2Interpreter::CallSubr(bool global) {
  const int64_t count = global ? int64_t(d_.GlobalSubrs.size()) : d_.LocalSubrCount();
  const int64_t index = PopInt() + SubrBias(count);
  if (subrDepth_ >= kMaxType2SubrNesting) return;
  const std::string_view subr = global ? d_.GetGlobalSubr(index) : d_.GetLocalSubr(index);
  ++subrDepth_;
  Run(subr, true);
  --subrDepth_;
}

void TType2Interpreter::EndChar() {
  if (Count() > 4) stack_.erase(stack_.begin(), stack_.end() - 4);
  if (Count() == 4 && seacDepth_ < kMaxSeacNesting) {
    const std::string adx = At(0), ady = At(1);
    const double bchar = Num(2), achar = Num(3);
    auto name = [](double code) {
      return code >= 0 && code <= 255 ? Type1StandardEncodingName(int(code)) : std::string_view();
    };
    const std::string_view baseName = name(bchar), accentName = name(achar);
    if (!baseName.empty() && !accentName.empty()) {
      const std::string base = d_.FindCharString(baseName);
      const std::string accent = d_.FindCharString(accentName);
      if (!base.empty() && !accent.empty()) {
        ++seacDepth_;
        stack_.clear();
        Run(base, false);
        Append(GlyphCommand("seac", {"0", adx, ady}));
        stack_.clear();
        Run(accent, false);
        --seacDepth_;
      }
    }
  }
  Append("endchar");
}

void TType2Interpreter::Escape(uint8_t op) {
  switch (op) {
    case 3: {
      const double b = PopNum(), a = PopNum();
      Push(a != 0 && b != 0 ? "1" : "0");
      return;
    }
    case 4: {
      const double b = PopNum(), a = PopNum();
      Push(a != 0 || b != 0 ? "1" : "0");
      return;
    }
    case 5: Push(PopNum() == 0 ? "1" : "0"); return;
    case 9: Push(GlyphNumber(std::abs(PopNum()))); return;
    case 10: {
      const double b = PopNum(), a = PopNum();
      Push(GlyphNumber(a + b));
      return;
    }
    case 11: {
      const double b = PopNum(), a = PopNum();
      Push(GlyphNumber(a - b));
      return;
    }
    case 12: {
      const double b = PopNum(), a = PopNum();
      Push(GlyphNumber(b == 0 ? 0.0 : a / b));
      return;
    }
    case 14: Push(GlyphNumber(-PopNum())); return;
    case 15: {
      const double b = PopNum(), a = PopNum();
      Push(a == b ? "1" : "0");
      return;
    }
    case 18: Pop(); return;
    case 20: {
      const int64_t i = PopInt();
      std::string val = Pop();
      if (i >= 0 && i <= 32) transient_[size_t(i)] = std::move(val);
      return;
    }
    case 21: {
      const int64_t i = PopInt();
      if (i >= 0 && i <= 32) Push(transient_[size_t(i)]);
      return;
    }
    case 22: {
      const double b = PopNum(), a = PopNum();
      std::string s2 = Pop(), s1 = Pop();
      Push(a <= b ? std::move(s1) : std::move(s2));
      return;
    }
    case 23: {
      // A value in (0, 1]; the sequence only has to be unpredictable enough for the font.
      random_ = random_ * 1103515245u + 12345u;
      const double r = double((random_ >> 8) & 0xFFFF) / 65536.0;
      Push(GlyphNumber(r == 0 ? 1.0 : r));
      return;
    }
    case 24: {
      const double b = PopNum(), a = PopNum();
      Push(GlyphNumber(a * b));
      return;
    }
    case 26: {
      const double a = PopNum();
      Push(GlyphNumber(a < 0 ? 0.0 : std::sqrt(a)));
      return;
    }
    case 27: {
      std::string a = Pop();
      Push(a);
      Push(std::move(a));
      return;
    }
    case 28: {
      std::string b = Pop(), a = Pop();
      Push(std::move(b));
      Push(std::move(a));
      return;
    }
    case 29: {
      const int64_t i = PopInt();
      if (stack_.empty()) {
        Push({});
      } else if (i < 0) {
        Push(stack_.back());
      } else if (i >= int64_t(Count())) {
        Push({});
      } else {
        Push(stack_[Count() - 1 - size_t(i)]);
      }
      return;
    }
    case 30: {
      const int64_t j = PopInt(), n = PopInt();
      if (n < 1 || n > int64_t(Count())) return;
      const int64_t shift = ((j % n) + n) % n;
      std::rotate(stack_.end() - n, stack_.end() - shift, stack_.end());
      return;
    }
    case 34:
      Append(GlyphCommand("t2flex", {Text(0), "0", Text(1), Text(2), Text(3), "0", Text(4), "0", Text(5),
                                     GlyphNumber(-Num(2)), Text(6), "0", "50"}));
      break;
    case 35:
      Append(GlyphCommand("t2flex", {Text(0), Text(1), Text(2), Text(3), Text(4), Text(5), Text(6), Text(7),
                                     Text(8), Text(9), Text(10), Text(11), Text(12)}));
      break;
    case 36:
      Append(GlyphCommand("t2flex", {Text(0), Text(1), Text(2), Text(3), Text(4), "0", Text(5), "0", Text(6),
                                     Text(7), Text(8), GlyphNumber(-(Num(1) + Num(3) + Num(7))), "50"}));
      break;
    case 37: {
      double dx = 0, dy = 0;
      for (size_t k = 0; k < 10; k += 2) {
        dx += Num(k);
        dy += Num(k + 1);
      }
      TArgs args;
      for (size_t k = 0; k < 10; ++k) args.push_back(Text(k));
      if (std::abs(dx) > std::abs(dy)) {
        args.push_back(Text(10));
        args.push_back(GlyphNumber(-dy));
      } else {
        args.push_back(GlyphNumber(-dx));
        args.push_back(Text(10));
      }
      args.push_back("50");
      Append(GlyphCommand("t2flex", args));
      break;
    }
    default: return;  // dotsection and unknown escapes
  }
  stack_.clear();
}

}  // namespace

bool TPDFType1Decoder::ConvertType2Glyph(const std::string& key) {
  GlyphCommands.clear();
  GlyphCommands.push_back("hsbw(0,0)");
  const std::string data = FindCharString(key);
  if (data.empty()) return false;
  TType2Interpreter interpreter(*this, GlyphCommands);
  interpreter.Run(data, false);
  if (interpreter.Failed()) {
    GlyphCommands.assign(1, "hsbw(0,0)");
    return false;
  }
  return true;
}
