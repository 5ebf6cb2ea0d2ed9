// Bounds on charstring execution, shared by the Type 1 and Type 2 interpreters, and the budget
// object that keeps them for one glyph. A glyph whose program goes past any of them cannot be
// read: it draws nothing.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "pdf/fonts/formats/charstrings/glyph_commands.h"

// Bytes interpreted for one glyph, subroutines and accents included (and the bytes of every
// nested charstring fetched). Subroutines that call other subroutines many times over could
// otherwise take exponential time.
// Real glyphs, even large ornaments, stay far below.
inline constexpr int64_t kMaxCharstringSteps = int64_t(1) << 18;
// Entries of one glyph's command list (the Type 1 operand stack lives in it too), and the bytes
// of all its entries together.
inline constexpr size_t kMaxGlyphCommands = size_t(1) << 16;
inline constexpr size_t kMaxGlyphCommandBytes = size_t(2) << 20;
// Operands on the Type 2 stack; the format allows 48.
inline constexpr size_t kMaxType2Operands = 1024;
// Nested Type 1 charstrings: the glyph itself is the first of 19 levels.
inline constexpr int kMaxType1Nesting = 19;
// Nested Type 2 subroutine calls, as the format says.
inline constexpr int kMaxType2SubrNesting = 10;
// Accented glyphs made of accented glyphs are not followed (the format forbids them).
inline constexpr int kMaxSeacNesting = 1;
// Stem hints of one Type 2 glyph; the format allows 96.
inline constexpr int64_t kMaxType2Stems = 96 * 8;

// What one glyph's interpretation spends: steps and command list entries. Once a bound is
// passed the glyph has failed and stays failed.
class TCharstringBudget {
 public:
  explicit TCharstringBudget(TGlyphCommandList& list) : list_(list) {}

  bool Failed() const { return failed_; }
  void Fail() { failed_ = true; }
  // count more bytes interpreted or fetched; false once the budget is spent.
  bool Spend(int64_t count) {
    steps_ += count;
    if (steps_ > kMaxCharstringSteps) failed_ = true;
    return !failed_;
  }
  // Adds an entry to the command list while the list stays within its bounds.
  void Append(std::string s) {
    bytes_ += s.size();
    if (list_.size() >= kMaxGlyphCommands || bytes_ > kMaxGlyphCommandBytes) {
      failed_ = true;
      return;
    }
    list_.push_back(std::move(s));
  }

 protected:
  TGlyphCommandList& list_;

 private:
  int64_t steps_ = 0;
  size_t bytes_ = 0;
  bool failed_ = false;
};
