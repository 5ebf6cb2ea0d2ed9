// One-dimensionally coded rows: alternating white and black runs, starting white.
#include <algorithm>

#include "pdf/codecs/ccitt/ccitt_messages.h"
#include "pdf/codecs/ccitt/ccitt_rows.h"
#include "platform/rtl/exceptions.h"

namespace ccitt {

TRowEnd TCCITTRowDecoder::DecodeOneDRow() {
  StartRow();
  TRowEnd end = TRowEnd::Complete;
  int32_t a0 = 0;
  bool black = false;
  while (a0 < columns_) {
    const TRun run = ReadRun(black);
    if (run.Status == TRunStatus::EOL) {
      // The EOL stays unread: it starts the next row.
      end = black ? TRowEnd::EOLInBlack : TRowEnd::EOLInWhite;
      break;
    }
    if (run.Status == TRunStatus::OutOfData) {
      end = TRowEnd::OutOfData;
      break;
    }
    if (run.Status == TRunStatus::Invalid) throw EInvalidOperation(kInvalidCode);
    // A run past the row's end is cut there.
    const int32_t a1 = static_cast<int32_t>(std::min<int64_t>(a0 + run.Length, columns_));
    if (black) SetRun(a0, a1);
    Record(a1);
    a0 = a1;
    black = !black;
  }
  FinishRow();
  return end;
}

}  // namespace ccitt
