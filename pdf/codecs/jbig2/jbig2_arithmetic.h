// The arithmetic (MQ) decoder of JBIG2 with its context statistics, and the integer and
// symbol-identifier procedures built on it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "pdf/codecs/jbig2/jbig2_reader.h"

namespace jbig2 {

// One row of the MQ coder's probability estimation table.
struct TQeRow {
  uint16_t Qe;
  uint8_t NMPS, NLPS, Switch;
};
// Row index (0 to 46) of the table.
const TQeRow& QeRow(int index);

// One set of contexts: per context the probability state (high bits) and the more probable
// symbol (bit 0).
class TArithmeticDecoderStats {
 public:
  explicit TArithmeticDecoderStats(size_t count = 2) : entries_(count, 0) {}
  size_t Count() const { return entries_.size(); }
  void Reset() { std::fill(entries_.begin(), entries_.end(), uint8_t{0}); }
  uint8_t& operator[](size_t context) { return entries_[context]; }
  const std::vector<uint8_t>& Entries() const { return entries_; }

 private:
  std::vector<uint8_t> entries_;
};

// The integer procedures' statistics, in order.
enum TIntStat : int { IADH, IADW, IAEX, IAAI, IADT, IAIT, IAFS, IADS, IARDX, IARDY, IARDW, IARDH, IARI, kIntStatCount };

class TArithmeticDecoder {
 public:
  explicit TArithmeticDecoder(TStreamReader& reader);

  // INITDEC: starts decoding at the reader's position.
  void Start();
  int DecodeBit(TArithmeticDecoderStats& stats, uint32_t context);
  // The integer procedure; nullopt for out-of-band.
  std::optional<int64_t> DecodeInt(TIntStat which);
  int64_t DecodeIAID(int codeLength);

  // Statistics sized for a template (generic 0-3, refinement 0-1), all zero, or a copy of
  // saved when it has that size.
  void ResetGenericStats(int templateNumber, const TArithmeticDecoderStats* saved);
  void ResetRefinementStats(int templateNumber, const TArithmeticDecoderStats* saved);
  void ResetIntStats(int codeLength);
  TArithmeticDecoderStats& GenericStats() { return generic_; }
  TArithmeticDecoderStats& RefinementStats() { return refinement_; }

  // True once decoding has gone well past the end of the coded data or its end marker: what
  // follows is no longer coded by anyone, and loops driven by the data stop.
  // Past the marker only the bits still in the coder's register remain, which can settle at
  // most about 2^20 decisions even in the cheapest state.
  bool Exhausted() const { return pastEnd_ > kPastEndAllowance || afterMarker_ > kAfterMarkerAllowance; }
  // Decodes from another reader from the next Start on (coded pieces inside Huffman data);
  // the statistics stay.
  void SetReader(TStreamReader& reader) { reader_ = &reader; }

 private:
  static constexpr int kPastEndAllowance = 32;
  static constexpr int64_t kAfterMarkerAllowance = int64_t{1} << 22;
  void ByteIn();
  uint8_t NextByte();

  TStreamReader* reader_;
  uint32_t b_ = 0, b1_ = 0;
  uint32_t c_ = 0;
  uint32_t a_ = 0x8000;
  int ct_ = 0;
  int pastEnd_ = 0;  // marker byte-ins and bytes read past the end of the data
  int64_t afterMarker_ = 0;  // decisions since the first marker byte-in
  TArithmeticDecoderStats generic_;
  TArithmeticDecoderStats refinement_;
  std::vector<TArithmeticDecoderStats> int_;
  TArithmeticDecoderStats iaid_;
};

}  // namespace jbig2
