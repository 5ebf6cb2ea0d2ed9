// The PostScript tokenizer of Type 1 programs. It reads just enough of the language to find
// the font dictionary, the Subrs and the CharStrings: words come back as "/ps:" + word, names
// as "/" + name, strings with their parentheses, hexadecimal strings without their brackets,
// and the program's own names for its RD, ND and NP procedures as themselves.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A token of an optional "-" and decimal digits, its value saturated at 32 bits.
bool ParseType1Integer(std::string_view token, int64_t& value);
// The same, 0 when the token is not such a number.
int64_t Type1TokenInteger(std::string_view token);

struct TType1ProcNames {
  std::string RD = "RD";
  std::string ND = "ND";
  std::string NP = "NP";
};

// "-|", "/-|", "RD", "/RD", "/ps:RD" or the program's RD name.
bool IsRDToken(std::string_view token, const TType1ProcNames& names);
// "|-", "/|-", "ND", "/ND", "/ps:ND" or the program's ND name.
bool IsNDToken(std::string_view token, const TType1ProcNames& names);

class TType1Tokenizer {
 public:
  TType1Tokenizer(std::string_view text, const TType1ProcNames& names) : text_(text), names_(names) {}

  // The next token; empty at the end and at the first character that cannot be read.
  std::string Next();
  // Position in the text, 0-based.
  size_t Position() const { return pos_; }
  void SetPosition(size_t pos) { pos_ = pos < text_.size() ? pos : text_.size(); }
  // Up to count bytes from the position (fewer at the end); the position moves past them.
  std::string TakeBytes(int64_t count);

 private:
  void SkipBlanksAndComments();
  bool MatchesName(std::string_view name) const;

  std::string_view text_;
  const TType1ProcNames& names_;
  size_t pos_ = 0;
};

// The tokens of a whole program, with the Subrs entries (number, still-encrypted bytes)
// collected apart and each CharStrings entry's bytes kept as one token after its RD token. The
// RD, ND and NP names the program defines in its Private dictionary are discovered on the way.
struct TType1TokenizedProgram {
  std::vector<std::string> Tokens;
  std::vector<std::pair<int32_t, std::string>> Subrs;
  TType1ProcNames Names;
};
TType1TokenizedProgram TokenizeProgram(std::string_view text);
