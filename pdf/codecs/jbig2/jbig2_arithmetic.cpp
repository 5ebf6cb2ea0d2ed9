#include "pdf/codecs/jbig2/jbig2_arithmetic.h"

namespace jbig2 {

namespace {

// The probability estimation table of the MQ coder.
constexpr TQeRow kQe[47] = {
    {0x5601, 1, 1, 1},   {0x3401, 2, 6, 0},   {0x1801, 3, 9, 0},   {0x0AC1, 4, 12, 0},  {0x0521, 5, 29, 0},
    {0x0221, 38, 33, 0}, {0x5601, 7, 6, 1},   {0x5401, 8, 14, 0},  {0x4801, 9, 14, 0},  {0x3801, 10, 14, 0},
    {0x3001, 11, 17, 0}, {0x2401, 12, 18, 0}, {0x1C01, 13, 20, 0}, {0x1601, 29, 21, 0}, {0x5601, 15, 14, 1},
    {0x5401, 16, 14, 0}, {0x5101, 17, 15, 0}, {0x4801, 18, 16, 0}, {0x3801, 19, 17, 0}, {0x3401, 20, 18, 0},
    {0x3001, 21, 19, 0}, {0x2801, 22, 19, 0}, {0x2401, 23, 20, 0}, {0x2201, 24, 21, 0}, {0x1C01, 25, 22, 0},
    {0x1801, 26, 23, 0}, {0x1601, 27, 24, 0}, {0x1401, 28, 25, 0}, {0x1201, 29, 26, 0}, {0x1101, 30, 27, 0},
    {0x0AC1, 31, 28, 0}, {0x09C1, 32, 29, 0}, {0x08A1, 33, 30, 0}, {0x0521, 34, 31, 0}, {0x0441, 35, 32, 0},
    {0x02A1, 36, 33, 0}, {0x0221, 37, 34, 0}, {0x0141, 38, 35, 0}, {0x0111, 39, 36, 0}, {0x0085, 40, 37, 0},
    {0x0049, 41, 38, 0}, {0x0025, 42, 39, 0}, {0x0015, 43, 40, 0}, {0x0009, 44, 41, 0}, {0x0005, 45, 42, 0},
    {0x0001, 45, 43, 0}, {0x5601, 46, 46, 0}};

constexpr size_t kGenericContexts[4] = {1u << 16, 1u << 13, 1u << 10, 1u << 10};
constexpr size_t kRefinementContexts[2] = {1u << 13, 1u << 10};

void Resize(TArithmeticDecoderStats& stats, size_t count, const TArithmeticDecoderStats* saved) {
  if (saved && saved->Count() == count) {
    stats = *saved;
  } else if (stats.Count() == count) {
    stats.Reset();
  } else {
    stats = TArithmeticDecoderStats(count);
  }
}

}  // namespace

const TQeRow& QeRow(int index) { return kQe[index < 0 || index > 46 ? 0 : index]; }

TArithmeticDecoder::TArithmeticDecoder(TStreamReader& reader)
    : reader_(&reader), int_(kIntStatCount, TArithmeticDecoderStats(512)) {}

uint8_t TArithmeticDecoder::NextByte() {
  // Coded data end with the marker FF AC, after which no byte is read. Data cut before it
  // go on as if zero bytes followed, each one counted towards the coder's exhaustion.
  if (reader_->AtEnd() && pastEnd_ <= kPastEndAllowance) ++pastEnd_;
  return reader_->ReadByte();
}

void TArithmeticDecoder::Start() {
  pastEnd_ = 0;
  afterMarker_ = 0;
  b_ = NextByte();
  b1_ = NextByte();
  c_ = (b_ ^ 0xFF) << 16;
  ByteIn();
  c_ <<= 7;
  ct_ -= 7;
  a_ = 0x8000;
}

void TArithmeticDecoder::ByteIn() {
  if (b_ == 0xFF) {
    if (b1_ > 0x8F) {
      // A marker: no byte is read; C stays as it is, so zero bits are shifted in from now on.
      ct_ = 8;
      if (pastEnd_ <= kPastEndAllowance) ++pastEnd_;
    } else {
      b_ = b1_;
      b1_ = NextByte();
      c_ += 0xFE00 - (b_ << 9);
      ct_ = 7;
    }
  } else {
    b_ = b1_;
    b1_ = NextByte();
    c_ += 0xFF00 - (b_ << 8);
    ct_ = 8;
  }
}

int TArithmeticDecoder::DecodeBit(TArithmeticDecoderStats& stats, uint32_t context) {
  if (context >= stats.Count()) context = 0;
  if (pastEnd_) ++afterMarker_;
  uint8_t& cx = stats[context];
  int index = cx >> 1;
  int mps = cx & 1;
  const TQeRow& row = kQe[index];
  const uint32_t qe = row.Qe;
  int d;
  a_ -= qe;
  if ((c_ >> 16) < a_) {
    if (a_ & 0x8000) return mps;
    // MPS exchange.
    if (a_ < qe) {
      d = 1 - mps;
      if (row.Switch) mps = 1 - mps;
      index = row.NLPS;
    } else {
      d = mps;
      index = row.NMPS;
    }
  } else {
    c_ -= a_ << 16;
    // LPS exchange.
    if (a_ < qe) {
      a_ = qe;
      d = mps;
      index = row.NMPS;
    } else {
      a_ = qe;
      d = 1 - mps;
      if (row.Switch) mps = 1 - mps;
      index = row.NLPS;
    }
  }
  cx = static_cast<uint8_t>((index << 1) | mps);
  do {
    if (ct_ == 0) ByteIn();
    a_ <<= 1;
    c_ <<= 1;
    --ct_;
  } while ((a_ & 0x8000) == 0);
  return d;
}

std::optional<int64_t> TArithmeticDecoder::DecodeInt(TIntStat which) {
  TArithmeticDecoderStats& stats = int_[which];
  uint32_t prev = 1;
  auto bit = [&]() {
    const int b = DecodeBit(stats, prev);
    prev = prev < 256 ? (prev << 1) | uint32_t(b) : (((prev << 1) | uint32_t(b)) & 511) | 256;
    return b;
  };
  auto bits = [&](int n) {
    int64_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 1) | bit();
    return v;
  };
  const int s = bit();
  int64_t v;
  if (!bit())
    v = bits(2);
  else if (!bit())
    v = bits(4) + 4;
  else if (!bit())
    v = bits(6) + 20;
  else if (!bit())
    v = bits(8) + 84;
  else if (!bit())
    v = bits(12) + 340;
  else
    v = bits(32) + 4436;
  if (s && v == 0) return std::nullopt;
  return s ? -v : v;
}

int64_t TArithmeticDecoder::DecodeIAID(int codeLength) {
  uint32_t prev = 1;
  for (int i = 0; i < codeLength; ++i) prev = (prev << 1) | uint32_t(DecodeBit(iaid_, prev));
  return int64_t(prev) - (int64_t{1} << codeLength);
}

void TArithmeticDecoder::ResetGenericStats(int templateNumber, const TArithmeticDecoderStats* saved) {
  Resize(generic_, kGenericContexts[templateNumber & 3], saved);
}

void TArithmeticDecoder::ResetRefinementStats(int templateNumber, const TArithmeticDecoderStats* saved) {
  Resize(refinement_, kRefinementContexts[templateNumber & 1], saved);
}

void TArithmeticDecoder::ResetIntStats(int codeLength) {
  for (auto& s : int_) s.Reset();
  Resize(iaid_, size_t{1} << (codeLength + 1), nullptr);
}

}  // namespace jbig2
