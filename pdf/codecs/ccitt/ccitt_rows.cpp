#include "pdf/codecs/ccitt/ccitt_rows.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "pdf/codecs/ccitt/ccitt_messages.h"
#include "pdf/codecs/ccitt/ccitt_tables.h"
#include "platform/rtl/exceptions.h"

namespace ccitt {

TCCITTRowDecoder::TCCITTRowDecoder(TCCITTBitReader& reader, int32_t columns)
    : reader_(reader),
      columns_(columns),
      ref_(static_cast<size_t>(columns) + 2),
      cur_(static_cast<size_t>(columns) + 2) {}

void TCCITTRowDecoder::ResetReference() { ref_count_ = 0; }

void TCCITTRowDecoder::StartRow() {
  count_ = 0;
  search_index_ = 0;
}

void TCCITTRowDecoder::FinishRow() {
  // The row just decoded is the reference of the next; positions past the recorded
  // elements read as columns, which stands for the row's end.
  std::swap(ref_, cur_);
  ref_count_ = count_;
}

void TCCITTRowDecoder::Record(int32_t position) {
  // Two changes at one position cancel (a run of length 0), so the elements stay strictly
  // increasing and within the array.
  if (count_ > 0 && cur_[count_ - 1] == position) {
    --count_;
    return;
  }
  if (count_ < static_cast<int32_t>(cur_.size())) cur_[count_++] = position;
}

void TCCITTRowDecoder::SetRun(int32_t start, int32_t end) {
  start = std::max(start, 0);
  end = std::min(end, columns_);
  if (start >= end) return;
  int32_t x = start;
  while ((x & 7) != 0 && x < end) {
    row_[x >> 3] |= static_cast<uint8_t>(0x80u >> (x & 7));
    ++x;
  }
  const int32_t whole = (end - x) >> 3;
  if (whole > 0) {
    std::memset(row_ + (x >> 3), 0xFF, static_cast<size_t>(whole));
    x += whole * 8;
  }
  for (; x < end; ++x) row_[x >> 3] |= static_cast<uint8_t>(0x80u >> (x & 7));
}

TCCITTRowDecoder::TRun TCCITTRowDecoder::ReadRun(bool black) {
  const unsigned width = black ? BlackLookupBits : WhiteLookupBits;
  int64_t total = 0;
  for (;;) {
    const uint32_t bits = reader_.Peek(width);
    const TRunCode& code = black ? BlackCode(bits) : WhiteCode(bits);
    switch (code.Kind) {
      case TCodeKind::Invalid:
        if (!reader_.Fits(width)) return {TRunStatus::OutOfData, total};
        return {TRunStatus::Invalid, total};
      case TCodeKind::EOL:
        // Only zeros left is the padding at the end of the data, not an EOL.
        if (reader_.RestIsZero()) return {TRunStatus::OutOfData, total};
        return {TRunStatus::EOL, total};
      case TCodeKind::Terminating:
      case TCodeKind::MakeUp:
        if (!reader_.Fits(code.Bits)) return {TRunStatus::OutOfData, total};
        reader_.Skip(code.Bits);
        // Runs longer than any row only need to stay longer than the row.
        total = std::min<int64_t>(total + code.Run, int64_t{1} << 40);
        if (code.Kind == TCodeKind::Terminating) return {TRunStatus::Run, total};
        break;
    }
  }
}

TCCITTRowDecoder::TRun TCCITTRowDecoder::DecodeWhiteRun() {
  const TRun run = ReadRun(false);
  if (run.Status == TRunStatus::EOL) throw EInvalidOperation(kEOLInWhiteRun);
  if (run.Status == TRunStatus::Invalid) throw EInvalidOperation(kInvalidCode);
  return run;
}

TCCITTRowDecoder::TRun TCCITTRowDecoder::DecodeBlackRun() {
  const TRun run = ReadRun(true);
  if (run.Status == TRunStatus::EOL) throw EInvalidOperation(kEOLInBlackRun);
  if (run.Status == TRunStatus::Invalid) throw EInvalidOperation(kInvalidCode);
  return run;
}

}  // namespace ccitt
