// Type 4: a small PostScript calculator. The program is split into tokens once; procedures
// are ranges of those tokens, so running one never copies text, and every token is read at
// most once per evaluation.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <unordered_map>

#include "pdf/core/object_parser.h"
#include "pdf/render/functions/pdf_function.h"
#include "platform/rtl/numbers.h"

namespace {

bool IsSeparator(char c) { return c == 0 || c == 9 || c == 10 || c == 12 || c == 13 || c == 32; }

std::vector<std::string> Tokenize(std::string_view text) {
  // A leading "{" (after any blanks) opens the program, the last "}" closes it.
  size_t start = 0;
  while (start < text.size() && IsSeparator(text[start])) ++start;
  if (start < text.size() && text[start] == '{') ++start;
  const size_t close = text.rfind('}');
  const size_t end = close == std::string_view::npos || close < start ? text.size() : close;
  std::vector<std::string> tokens;
  size_t i = start;
  while (i < end) {
    const char c = text[i];
    if (IsSeparator(c)) {
      ++i;
    } else if (c == '{' || c == '}') {
      tokens.emplace_back(1, c);
      ++i;
    } else {
      const size_t from = i;
      while (i < end && !IsSeparator(text[i]) && text[i] != '{' && text[i] != '}') ++i;
      tokens.emplace_back(text.substr(from, i - from));
    }
  }
  return tokens;
}

enum class Op {
  Add, Sub, Mul, Div, IDiv, Mod, Neg, Abs, Ceiling, Floor, Round, Truncate, Sqrt, Sin, Cos, Atan, Exp, Ln,
  Log, Cvi, Cvr, Eq, Ne, Gt, Ge, Lt, Le, And, Or, Xor, Not, BitShift, True, False, If, IfElse, Pop, Exch,
  Dup, Copy, Index, Roll
};

const std::unordered_map<std::string_view, Op>& Operators() {
  static const std::unordered_map<std::string_view, Op> table = {
      {"add", Op::Add},         {"sub", Op::Sub},     {"mul", Op::Mul},       {"div", Op::Div},
      {"idiv", Op::IDiv},       {"mod", Op::Mod},     {"neg", Op::Neg},       {"abs", Op::Abs},
      {"ceiling", Op::Ceiling}, {"floor", Op::Floor}, {"round", Op::Round},   {"truncate", Op::Truncate},
      {"sqrt", Op::Sqrt},       {"sin", Op::Sin},     {"cos", Op::Cos},       {"atan", Op::Atan},
      {"exp", Op::Exp},         {"ln", Op::Ln},       {"log", Op::Log},       {"cvi", Op::Cvi},
      {"cvr", Op::Cvr},         {"eq", Op::Eq},       {"ne", Op::Ne},         {"gt", Op::Gt},
      {"ge", Op::Ge},           {"lt", Op::Lt},       {"le", Op::Le},         {"and", Op::And},
      {"or", Op::Or},           {"xor", Op::Xor},     {"not", Op::Not},       {"bitshift", Op::BitShift},
      {"true", Op::True},       {"false", Op::False}, {"if", Op::If},         {"ifelse", Op::IfElse},
      {"pop", Op::Pop},         {"exch", Op::Exch},   {"dup", Op::Dup},       {"copy", Op::Copy},
      {"index", Op::Index},     {"roll", Op::Roll}};
  return table;
}

// Halves to even, kept as a double; values that large are integers already.
double RoundEven(double v) {
  if (!std::isfinite(v) || std::fabs(v) >= 4503599627370496.0) return v;
  return static_cast<double>(RoundHalfEven(v));
}

constexpr double kDegrees = 180.0 / std::numbers::pi;

}  // namespace

struct TPDFType4Function::TRun {
  struct Range {
    size_t Pos, End;
  };
  std::vector<Range> Ranges;   // what is being read; the last entry first
  std::vector<Range> Pending;  // procedures collected since the last if or ifelse
};

TPDFType4Function::TPDFType4Function(TPDFObject* obj, TPDFResolveMethod resolver)
    : TPDFFunction(obj, std::move(resolver)), tokens_(Tokenize(Program)) {
  Complexity = 2;
}

void TPDFType4Function::Push(double v, bool boolean) {
  if (Stack.size() >= kStackLimit) throw EPDFFunctionError("Calculator stack overflow");
  Stack.push_back(v);
  booleans_.push_back(boolean ? 1 : 0);
}

double TPDFType4Function::Pop() {
  if (Stack.empty()) return 0.0;
  const double v = Stack.back();
  Stack.pop_back();
  booleans_.pop_back();
  return v;
}

int32_t TPDFType4Function::PopInteger() { return ClampToInt32(RoundHalfEven(Pop())); }

void TPDFType4Function::Evaluate(const std::vector<double>& inputs, std::vector<double>& outputs) {
  Stack.clear();
  booleans_.clear();
  for (int32_t i = 0; i < InputCount; ++i) Push(size_t(i) < inputs.size() ? inputs[size_t(i)] : 0.0);
  TRun run;
  run.Ranges.push_back({0, tokens_.size()});
  while (!run.Ranges.empty()) {
    TRun::Range& range = run.Ranges.back();
    if (range.Pos >= range.End) {
      run.Ranges.pop_back();
      continue;
    }
    const std::string& token = tokens_[range.Pos++];
    if (token == "{") {
      // Collect up to the matching brace; the procedure is the tokens in between.
      const size_t begin = range.Pos;
      int depth = 1;
      while (range.Pos < range.End) {
        const std::string& t = tokens_[range.Pos++];
        if (t == "{") ++depth;
        if (t == "}" && --depth == 0) break;
      }
      const size_t end = depth == 0 ? range.Pos - 1 : range.Pos;
      run.Pending.push_back({begin, end});
    } else if (token == "}") {
      // A stray closing brace has no meaning.
    } else if (token[0] >= 'a' && token[0] <= 'z') {
      Execute(run, token);
    } else {
      Push(StrToFloatPDF(token));
    }
  }
  outputs.assign(size_t(std::max(0, OutputCount)), 0.0);
  for (size_t j = outputs.size(); j-- > 0;) {
    const double v = Pop();
    outputs[j] = std::isnan(v) ? 0.0 : v;
  }
  Stack.clear();
  booleans_.clear();
}

void TPDFType4Function::Execute(TRun& run, std::string_view name) {
  const auto found = Operators().find(name);
  if (found == Operators().end()) return;  // unknown operators are ignored
  switch (found->second) {
    case Op::Add: { const double a = Pop(), b = Pop(); Push(b + a); break; }
    case Op::Sub: { const double a = Pop(), b = Pop(); Push(b - a); break; }
    case Op::Mul: { const double a = Pop(), b = Pop(); Push(b * a); break; }
    case Op::Div: {
      const double a = Pop(), b = Pop();
      if (a == 0) throw EPDFFunctionError("Division by zero");
      Push(b / a);
      break;
    }
    case Op::IDiv:
    case Op::Mod: {
      const int64_t a = PopInteger(), b = PopInteger();
      if (a == 0) throw EPDFFunctionError("Division by zero");
      // 64 bits: the quotient of the smallest integer by -1 still fits.
      Push(static_cast<double>(found->second == Op::IDiv ? b / a : b % a));
      break;
    }
    case Op::Neg: Push(-Pop()); break;
    case Op::Abs: Push(std::fabs(Pop())); break;
    case Op::Ceiling: Push(std::ceil(Pop())); break;
    case Op::Floor: Push(std::floor(Pop())); break;
    case Op::Round: Push(RoundEven(Pop())); break;
    case Op::Truncate: Push(std::trunc(Pop())); break;
    case Op::Sqrt: Push(std::sqrt(Pop())); break;
    case Op::Sin: Push(std::sin(Pop() / kDegrees)); break;
    case Op::Cos: Push(std::cos(Pop() / kDegrees)); break;
    case Op::Atan: {
      const double a = Pop(), b = Pop();
      double angle = std::atan2(b, a) * kDegrees;
      if (angle < 0) angle += 360;
      if (angle >= 360) angle -= 360;
      Push(angle);
      break;
    }
    case Op::Exp: { const double a = Pop(), b = Pop(); Push(std::pow(b, a)); break; }
    case Op::Ln: Push(std::log(Pop())); break;
    case Op::Log: Push(std::log10(Pop())); break;
    // cvi drops the fraction (towards zero), as PostScript's does; it does not round.
    case Op::Cvi: Push(ClampToInt32(RoundHalfEven(std::trunc(Pop())))); break;
    case Op::Cvr: break;
    case Op::Eq: { const double a = Pop(), b = Pop(); Push(b == a ? 1 : 0, true); break; }
    case Op::Ne: { const double a = Pop(), b = Pop(); Push(b != a ? 1 : 0, true); break; }
    case Op::Gt: { const double a = Pop(), b = Pop(); Push(b > a ? 1 : 0, true); break; }
    case Op::Ge: { const double a = Pop(), b = Pop(); Push(b >= a ? 1 : 0, true); break; }
    case Op::Lt: { const double a = Pop(), b = Pop(); Push(b < a ? 1 : 0, true); break; }
    case Op::Le: { const double a = Pop(), b = Pop(); Push(b <= a ? 1 : 0, true); break; }
    case Op::And:
    case Op::Or:
    case Op::Xor: {
      // Two booleans give a boolean (1 or 0 either way); anything else is taken bitwise.
      const bool logical = TopIsBoolean() && booleans_.size() >= 2 && booleans_[booleans_.size() - 2] != 0;
      const int32_t a = PopInteger(), b = PopInteger();
      const Op op = found->second;
      Push(op == Op::And ? (b & a) : op == Op::Or ? (b | a) : (b ^ a), logical);
      break;
    }
    case Op::Not: {
      // not of true is false; of an integer, its bitwise complement.
      if (TopIsBoolean()) {
        Push(PopInteger() == 0 ? 1 : 0, true);
      } else {
        Push(~PopInteger());
      }
      break;
    }
    case Op::BitShift: {
      const int32_t a = PopInteger();
      const auto b = static_cast<uint32_t>(PopInteger());
      // Shifts of 32 places or more clear every bit.
      uint32_t r = 0;
      if (a >= 0 && a < 32) r = b << a;
      if (a < 0 && a > -32) r = b >> -a;
      Push(static_cast<int32_t>(r));
      break;
    }
    case Op::True: Push(1, true); break;
    case Op::False: Push(0, true); break;
    case Op::If:
    case Op::IfElse: {
      const int32_t condition = PopInteger();
      std::vector<TRun::Range> pending;
      pending.swap(run.Pending);
      const TRun::Range* chosen = nullptr;
      if (found->second == Op::If) {
        if (condition == 1 && !pending.empty()) chosen = &pending[0];
      } else if (pending.size() >= 2) {
        chosen = condition == 1 ? &pending[0] : &pending[1];
      }
      if (chosen != nullptr) {
        // Runs next; a finished range below it is dropped first so the list stays short.
        if (run.Ranges.back().Pos >= run.Ranges.back().End) run.Ranges.pop_back();
        run.Ranges.push_back(*chosen);
      }
      break;
    }
    case Op::Pop: Pop(); break;
    case Op::Exch: {
      const bool aBool = TopIsBoolean();
      const double a = Pop();
      const bool bBool = TopIsBoolean();
      const double b = Pop();
      Push(a, aBool);
      Push(b, bBool);
      break;
    }
    case Op::Dup: {
      const bool boolean = TopIsBoolean();
      const double a = Pop();
      Push(a, boolean);
      Push(a, boolean);
      break;
    }
    case Op::Copy: {
      // At most the entries there are.
      const int64_t count = PopInteger();
      const int64_t k = std::clamp<int64_t>(count, 0, int64_t(Stack.size()));
      const size_t from = Stack.size() - size_t(k);
      for (size_t i = 0; i < size_t(k); ++i) Push(Stack[from + i], booleans_[from + i] != 0);
      break;
    }
    case Op::Index: {
      const int32_t k = PopInteger();
      const bool there = k >= 0 && size_t(k) < Stack.size();
      const size_t at = there ? Stack.size() - 1 - size_t(k) : 0;
      Push(there ? Stack[at] : 0.0, there && booleans_[at] != 0);
      break;
    }
    case Op::Roll: {
      const int64_t j = PopInteger();
      const int64_t count = PopInteger();
      const int64_t k = std::min<int64_t>(count, int64_t(Stack.size()));
      if (k <= 0) break;
      const int64_t shift = ((j % k) + k) % k;
      std::rotate(Stack.end() - k, Stack.end() - shift, Stack.end());
      std::rotate(booleans_.end() - k, booleans_.end() - shift, booleans_.end());
      break;
    }
  }
}
