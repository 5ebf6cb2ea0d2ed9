#include "pdf/codecs/ccitt/ccitt_rows.h"

#include <algorithm>
#include <utility>

#include "pdf/codecs/ccitt/ccitt_changing_elements.h"
#include "pdf/codecs/ccitt/ccitt_messages.h"
#include "pdf/codecs/ccitt/ccitt_tables.h"
#include "platform/rtl/exceptions.h"

namespace ccitt {

namespace {

// Every recorded change costs at least one bit of code, so a row holds no more changes than
// the data have bits, and no more than columns + 1 (they are distinct positions 0..columns).
size_t ElementCapacity(const TCCITTBitReader& reader, int32_t columns) {
  return static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(columns), reader.TotalBits())) + 2;
}

}  // namespace

TCCITTRowDecoder::TCCITTRowDecoder(TCCITTBitReader& reader, int32_t columns)
    : reader_(reader),
      columns_(columns),
      ref_(ElementCapacity(reader, columns)),
      cur_(ElementCapacity(reader, columns)) {}

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
