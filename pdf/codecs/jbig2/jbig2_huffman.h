// Huffman tables of JBIG2: the standard tables B.1 to B.15, tables read from table segments
// or from a text region's symbol-identifier code lengths, and their decoder.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "pdf/codecs/jbig2/jbig2_reader.h"

namespace jbig2 {

// Special range lengths of a table line.
inline constexpr int32_t kRangeEnd = -1;    // the end of a table
inline constexpr int32_t kRangeOOB = -2;    // the out-of-band value
inline constexpr int32_t kRangeLower = -3;  // range low minus a 32-bit number
inline constexpr int32_t kRangeUpper = 32;  // range low plus a 32-bit number

struct THuffmanLine {
  int64_t RangeLow = 0;
  int32_t PrefixLength = 0;
  int32_t RangeLength = 0;
  uint32_t Code = 0;
};

class THuffmanTable {
 public:
  THuffmanTable() = default;
  // Lines with their prefix lengths; codes are assigned here (lines of prefix length 0 get
  // none and never match).
  explicit THuffmanTable(std::vector<THuffmanLine> lines);
  const std::vector<THuffmanLine>& Lines() const { return lines_; }
  bool Empty() const { return lines_.empty(); }
  bool HasOOB() const;

 private:
  friend class THuffmanDecoder;
  std::vector<THuffmanLine> lines_;
  // Line indexes ordered by prefix length, and per length the first code, count and the
  // start of that length's run in order_.
  std::vector<uint32_t> order_;
  struct TLength {
    uint64_t First = 0;
    uint32_t Count = 0;
    uint32_t Start = 0;
  };
  std::vector<TLength> lengths_;
};

// Assigns canonical codes to lines in order of prefix length (stable), the way tables read
// from the data are coded. Lines of prefix length 0 keep code 0 and are left unused.
void AssignCodes(std::vector<THuffmanLine>& lines);

// Standard table B.n (n from 1 to 15).
const THuffmanTable& StandardTable(int n);

// A table segment's data part; an empty table when the data cannot describe one.
THuffmanTable ReadCustomTable(TStreamReader& reader);

class THuffmanDecoder {
 public:
  explicit THuffmanDecoder(TStreamReader& reader) : reader_(reader) {}
  // The value, or nullopt for out-of-band and for bits that match no line.
  std::optional<int64_t> DecodeInt(const THuffmanTable& table);
  uint32_t ReadBit() { return reader_.ReadBit(); }
  uint32_t ReadBits(int n) { return reader_.ReadBits(n); }
  void ConsumeRemainingBits() { reader_.ConsumeRemainingBits(); }

 private:
  TStreamReader& reader_;
};

}  // namespace jbig2
