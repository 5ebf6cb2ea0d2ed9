#include "pdf/codecs/jbig2/jbig2_mmr.h"

namespace jbig2 {

using namespace ccitt;

void TMMRDecoder::Reset() {
  bufferedBits_ = 0;
  buffer_ = 0;
  bytesTaken_ = 0;
}

void TMMRDecoder::Fill(unsigned bits) {
  while (bufferedBits_ < int64_t{bits}) AddByte();
}

void TMMRDecoder::AddByte() {
  // Past the end of the data the reader gives zero bytes.
  buffer_ = (buffer_ << 8) | reader_->ReadByte();
  bufferedBits_ += 8;
  ++bytesTaken_;
}

uint32_t TMMRDecoder::PeekPadded(unsigned bits) const {
  if (bufferedBits_ >= int64_t{bits}) return Peek(bits);
  const auto have = static_cast<unsigned>(bufferedBits_);
  return have == 0 ? 0 : Peek(have) << (bits - have);
}

TMode TMMRDecoder::Get2DCode() {
  // A byte is added only when the bits at hand do not settle the code, so a bitmap's last
  // code takes nothing beyond the bitmap's own bytes.
  for (;;) {
    const TModeCode& code = ModeCode(PeekPadded(ModeLookupBits));
    const bool known = code.Mode != TMode::Extension && code.Mode != TMode::Invalid;
    if (known && code.Bits <= bufferedBits_) {
      bufferedBits_ -= code.Bits;
      return code.Mode;
    }
    if (bufferedBits_ >= int64_t{ModeLookupBits}) return TMode::Pass;
    AddByte();
  }
}

int32_t TMMRDecoder::RunCode(bool black) {
  const unsigned width = black ? BlackLookupBits : WhiteLookupBits;
  for (;;) {
    const uint32_t bits = PeekPadded(width);
    const TRunCode& code = black ? BlackCode(bits) : WhiteCode(bits);
    const bool run = code.Kind == TCodeKind::Terminating || code.Kind == TCodeKind::MakeUp;
    if (run && code.Bits <= bufferedBits_) {
      bufferedBits_ -= code.Bits;
      return code.Run;
    }
    if (bufferedBits_ < int64_t{width}) {
      AddByte();
      continue;
    }
    if (code.Kind == TCodeKind::EOL && (bits >> (width - EOLBits)) == EOLCode) {
      bufferedBits_ -= EOLBits;
      return kEOL;
    }
    // Bits that begin no code (twelve zeros among them) lose the first one.
    bufferedBits_ -= 1;
    return 1;
  }
}

int32_t TMMRDecoder::GetWhiteCode() { return RunCode(false); }

int32_t TMMRDecoder::GetBlackCode() { return RunCode(true); }

uint32_t TMMRDecoder::Get24Bits() {
  Fill(24);
  return Peek(24);
}

void TMMRDecoder::SkipTo(int64_t length) {
  if (length <= bytesTaken_) return;
  // The bytes are passed over at once: past the end of the data they would all be zeros,
  // and the reader stops at its end and marks it.
  reader_->Skip(length - bytesTaken_);
  bytesTaken_ = length;
}

}  // namespace jbig2
