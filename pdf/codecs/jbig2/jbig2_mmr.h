// The MMR decoder: the mode codes of two-dimensional fax coding and the run-length codes,
// read from a data part's reader through a bit buffer filled a byte at a time. It counts the
// bytes it takes, so that a region can pass over the rest of its coded data.
#pragma once

#include <cstdint>

#include "pdf/codecs/ccitt/ccitt_tables.h"
#include "pdf/codecs/jbig2/jbig2_reader.h"

namespace jbig2 {

class TMMRDecoder {
 public:
  explicit TMMRDecoder(TStreamReader& reader) : reader_(&reader) {}

  // Forgets the buffered bits and counts bytes anew: each coded bitmap starts with it.
  void Reset();
  // The next mode code, taken. Bits that begin no mode code (the extension code, seven
  // zeros) answer Pass and stay unread.
  ccitt::TMode Get2DCode();
  // The next run-length code of the colour, taken: a terminating code (0 to 63), a make-up
  // code (64 or more; more codes follow) or kEOL. Bits that begin no code lose their first
  // bit and answer 1.
  int32_t GetWhiteCode();
  int32_t GetBlackCode();
  // The next 24 bits, left unread.
  uint32_t Get24Bits();
  // Takes bytes until length of them were taken since the last reset.
  void SkipTo(int64_t length);

  // Bits taken since the last reset.
  int64_t BitsTaken() const { return bytesTaken_ * 8 - bufferedBits_; }

  static constexpr int32_t kEOL = -2;

 private:
  void Fill(unsigned bits);
  void AddByte();
  uint32_t Peek(unsigned bits) const {
    return static_cast<uint32_t>(buffer_ >> (bufferedBits_ - bits)) & ((1u << bits) - 1);
  }
  // The next bits, zeros standing for those not yet added.
  uint32_t PeekPadded(unsigned bits) const;
  int32_t RunCode(bool black);

  int64_t bufferedBits_ = 0;
  uint64_t buffer_ = 0;
  int64_t bytesTaken_ = 0;
  TStreamReader* reader_;
};

}  // namespace jbig2
