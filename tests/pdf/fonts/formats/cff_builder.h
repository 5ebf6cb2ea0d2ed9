// Writes small CFF fonts for the tests: INDEXes, DICTs with their operands, Type 2 charstrings,
// and whole fonts (name-keyed or CID-keyed) laid out with every offset filled in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace glyphtest {

// INDEX of the items with the given offset size (0: the smallest that fits).
std::string CFFIndex(const std::vector<std::string>& items, int offSize = 0);

// DICT pieces: integers in the smallest form or always in five bytes, reals, operators
// (1200 + n for the escaped operator 12 n).
std::string DictInt(int64_t v);
std::string DictInt5(int64_t v);
std::string DictReal(const std::string& text);
std::string DictOp(int op);

// A Type 2 charstring from numbers (with 16-bit and 16.16 forms) and operators.
class TType2 {
 public:
  TType2& N(int64_t v);
  TType2& Fixed(double v);
  TType2& O(int op);
  TType2& Raw(std::initializer_list<int> bytes);
  const std::string& Bytes() const { return bytes_; }
  operator std::string() const { return bytes_; }

 private:
  std::string bytes_;
};

struct TCFFBuilder {
  std::vector<std::string> Strings;  // the String INDEX (SID 391 on)
  std::vector<std::string> GlobalSubrs;
  std::vector<std::string> CharStrings;
  // Raw charset and encoding data; empty means the predefined ones (no DICT entry) unless
  // CharsetValue / EncodingValue give the entry's number.
  std::string Charset, Encoding;
  int64_t CharsetValue = -1, EncodingValue = -1;
  // Further Top DICT bytes (FontMatrix, FontBBox, ...).
  std::string TopExtra;
  std::vector<std::string> LocalSubrs;
  std::string PrivateExtra;
  // The Top DICT names a Private DICT (with LocalSubrs and PrivateExtra).
  bool WritePrivate = true;
  // CID-keyed: ROS is written, each Font DICT has its own Private DICT and subroutines.
  bool CID = false;
  std::vector<std::vector<std::string>> FontDictSubrs;
  // Further bytes of Font DICT k (FontMatrix, ...).
  std::vector<std::string> FontDictExtra;
  std::string FDSelect;

  std::string Build() const;
};

// An OpenType font with the given tables (tag, data), its header "OTTO".
std::string OpenTypeFont(const std::vector<std::pair<std::string, std::string>>& tables);

}  // namespace glyphtest
