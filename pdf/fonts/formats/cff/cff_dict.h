// The binary DICTs of CFF fonts (Top DICT, Font DICTs, Private DICTs) read into named entries:
// each operator becomes a key, its operands a number, an array or a string. The entries can be
// written as the text of a PDF dictionary or built as a dictionary directly.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TPDFStructure;
class TPDFDictionary;

struct TCFFDictItem {
  enum TKind { kNumber, kArray, kString };
  std::string Key;
  TKind Kind = kNumber;
  // Number texts (a number: one; an array: all in order); for a string its text.
  std::vector<std::string> Operands;
  // Arrays written "[ a b ]" rather than "[a b]".
  bool Spaced = true;
};

// Kind 0: Top DICT and Font DICT operators; kind 1: Private DICT operators. A key that occurs
// again replaces its earlier entry in place. Operators the table does not know leave their
// operands for the next one; the operand stack holds at most 48 operands, as the format says.
std::vector<TCFFDictItem> ReadCFFDict(std::string_view data, int kind,
                                      const std::function<std::string(int64_t sid)>& sidToString);
// "<< " followed by each entry and a space, then ">>".
std::string CFFDictToText(const std::vector<TCFFDictItem>& items);
// A new dictionary of the store holding the entries.
TPDFDictionary* BuildCFFDict(TPDFStructure& store, const std::vector<TCFFDictItem>& items);
// A number text of a DICT (integers, and reals with an "E" or "E-" exponent); 0 when unreadable.
double CFFNumberValue(std::string_view text);
