// Reads CMap text (embedded ToUnicode and encoding streams, the predefined CMap resources) into
// a TOrvanePDFLibraryCMap.
//
// Bad text never raises: entries that do not read are skipped, unknown tokens pass, and the end
// of the text ends the CMap. Guards against hostile text: every token is bounded by the text,
// ranges stay ranges (a range over 2^32 codes is one entry), a bfrange array takes one token
// per code and stops at "]" or the end of the text, numbers that do not fit their field (codes
// above 32 bits, CIDs and destination units above 16 bits, hexadecimal numbers of more than 16
// digits) make the entry invalid, and usecmap only records a name: following the chain is the
// caller's (see predefined_cmaps.h for a bounded walk).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "pdf/core/cmaps/cmap.h"

class TZRXBuffer;

class TOrvanePDFLibraryCMapParser {
 public:
  TOrvanePDFLibraryCMapParser() = default;
  virtual ~TOrvanePDFLibraryCMapParser() = default;
  TOrvanePDFLibraryCMapParser(const TOrvanePDFLibraryCMapParser&) = delete;
  TOrvanePDFLibraryCMapParser& operator=(const TOrvanePDFLibraryCMapParser&) = delete;

  // A new CMap read from the buffer's position on, with the usecmap name found; the buffer is
  // left where reading stopped. The caller owns the CMap.
  std::unique_ptr<TOrvanePDFLibraryCMap> CreateCMap(TZRXBuffer& buffer);

 private:
  enum class Section { None, Codespace, BfChar, BfRange, CidChar, CidRange };

  std::string_view NextToken();
  std::string_view NextDataToken();
  void Parse();
  void Remember(std::string_view token);
  std::string_view Previous(size_t back) const { return back < history_.size() ? history_[back] : std::string_view(); }
  bool StartSection(std::string_view token);
  void TakeEntryToken(std::string_view token);
  void ReadBfArray(std::string_view low, std::string_view high);
  void AddCodespaceEntry(std::string_view low, std::string_view high);
  void AddBfEntry(std::string_view low, std::string_view high, std::string_view dst);
  void AddCidEntry(std::string_view low, std::string_view high, std::string_view cid);
  // Reads both ends as codes (of equal spelling length when sameLength).
  bool ReadRange(std::string_view low, std::string_view high, uint32_t& lo, uint32_t& hi, bool sameLength);

  std::string text_;
  size_t pos_ = 0;
  TOrvanePDFLibraryCMap* cmap_ = nullptr;
  // The last ten tokens, most recent first.
  std::array<std::string_view, 10> history_{};
  bool inCMap_ = false;
  Section section_ = Section::None;
  int64_t entriesLeft_ = 0;
  int tokensInEntry_ = 0;
};

// A parser and a buffer over text, made and freed inside; the caller owns the CMap.
std::unique_ptr<TOrvanePDFLibraryCMap> ParseCMapText(std::string_view text);

// "<hex>" as a hexadecimal number of 1 to 16 digits, any other token as a decimal number;
// false for a negative value or a token that is no number.
bool ParseCMapNumber(std::string_view token, uint64_t& value);
