// The reading steps of a CFF program into a Type 1 decoder: header, the four INDEXes that follow
// it, the Top DICTs with their charsets, encodings, Font DICTs, FDSelect and Private DICTs.
// Offsets count from the first byte of the CFF data.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/fonts/formats/font_bytes.h"

class TPDFType1Decoder;
class TPDFDictionary;

class TCFFReader {
 public:
  // What the INDEXes of one font may copy out of the data, all together: a few times the data
  // itself, as many Font DICTs may name one subroutine INDEX. Each item also counts as
  // kItemCost bytes.
  static constexpr int64_t kBudgetFactor = 8;
  static constexpr int64_t kBudgetAllowance = int64_t(4) << 20;
  static constexpr int64_t kItemCost = 32;
  // The first Top DICTs are read; a PDF font file holds one.
  static constexpr size_t kMaxTopDicts = 4;
  // FDSelect names Font DICTs with one byte, so later ones can never be used.
  static constexpr size_t kMaxFontDicts = 256;

  TCFFReader(TPDFType1Decoder& decoder, std::string_view data);

  // False when the data is too short for a header.
  bool Load();

  // An INDEX at the reader's position (or at offset): its items in order. Empty when the INDEX
  // does not fit the data's budget.
  std::vector<std::string> ReadIndex();
  std::vector<std::string> ReadIndexAt(int64_t offset);

 private:
  TPDFDictionary* ParseDict(std::string_view bytes, int kind);
  void ReadTopDict(TPDFDictionary* dict);
  void ReadCharset(int64_t offset, const std::vector<std::string>& charstrings);
  void SetPredefinedCharset(const std::vector<std::string>& charstrings);
  void ReadEncoding(int64_t offset);
  void SetStandardEncoding(int64_t which);
  void ReadFDSelect(int64_t offset);
  // The Private DICT that dict names, and its offset; nullptr when there is none.
  TPDFDictionary* ReadPrivateDict(TPDFDictionary* dict, int64_t& offset);
  // The local subroutines of the Private DICT that dict names.
  std::vector<std::string> ReadLocalSubrs(TPDFDictionary* dict);
  bool Spend(int64_t cost);

  TPDFType1Decoder& d_;
  std::string_view data_;
  TFontByteReader r_;
  int64_t budget_;
};
