// Two-dimensionally coded rows: each colour change is coded relative to the reference row
// (pass, horizontal and vertical modes), and in Group 4 rows also in uncompressed mode.
#include <algorithm>
#include <limits>

#include "pdf/codecs/ccitt/ccitt_changing_elements.h"
#include "pdf/codecs/ccitt/ccitt_messages.h"
#include "pdf/codecs/ccitt/ccitt_rows.h"
#include "pdf/codecs/ccitt/ccitt_tables.h"
#include "platform/rtl/exceptions.h"

namespace ccitt {

TRowEnd TCCITTRowDecoder::DecodeTwoDRow(bool group4) {
  StartRow();
  // a0 = -1 is the imaginary white element in front of the row.
  int32_t a0 = -1;
  bool black = false;
  while (a0 < columns_) {
    const TModeCode& mode = ModeCode(reader_.Peek(ModeLookupBits));
    if (!reader_.Fits(mode.Bits) || (mode.Mode == TMode::Invalid && reader_.RestIsZero())) {
      FinishRow();
      return TRowEnd::OutOfData;
    }
    const int32_t start = std::max(a0, 0);
    switch (mode.Mode) {
      case TMode::Invalid:
        if (!group4) throw EInvalidOperation(kInvalidGroup3TwoD);
        // Group 4: the row ends here; the rest of it stays white.
        reader_.Skip(mode.Bits);
        a0 = columns_;
        break;
      case TMode::Extension: {
        if (!group4) throw EInvalidOperation(kInvalidGroup3TwoD);
        if (!reader_.Fits(UncompressedEntranceBits)) {
          FinishRow();
          return TRowEnd::OutOfData;
        }
        if (reader_.Peek(UncompressedEntranceBits) != UncompressedEntrance)
          throw EInvalidOperation(kInvalidGroup4);
        reader_.Skip(UncompressedEntranceBits);
        if (DecodeUncompressed(a0, black) == TRowEnd::OutOfData) {
          FinishRow();
          return TRowEnd::OutOfData;
        }
        break;
      }
      case TMode::Pass: {
        reader_.Skip(mode.Bits);
        int32_t b1, b2;
        FindChangingElement(a0, black, b1, b2);
        if (black) SetRun(start, b2);
        a0 = b2;
        break;
      }
      case TMode::Horizontal: {
        reader_.Skip(mode.Bits);
        const TRun first = black ? DecodeBlackRun() : DecodeWhiteRun();
        if (first.Status == TRunStatus::OutOfData) {
          FinishRow();
          return TRowEnd::OutOfData;
        }
        const TRun second = black ? DecodeWhiteRun() : DecodeBlackRun();
        if (second.Status == TRunStatus::OutOfData) {
          FinishRow();
          return TRowEnd::OutOfData;
        }
        const int32_t a1 = static_cast<int32_t>(std::min<int64_t>(start + first.Length, columns_));
        const int32_t a2 = static_cast<int32_t>(std::min<int64_t>(a1 + second.Length, columns_));
        if (black)
          SetRun(start, a1);
        else
          SetRun(a1, a2);
        Record(a1);
        Record(a2);
        a0 = a2;
        break;
      }
      default: {  // the vertical modes
        reader_.Skip(mode.Bits);
        int32_t b1, b2;
        FindChangingElement(a0, black, b1, b2);
        // Coded changes left of a0 or past the row's end are held at those bounds.
        const int32_t a1 = std::clamp(b1 + VerticalOffset(mode.Mode), start, columns_);
        if (black) SetRun(start, a1);
        Record(a1);
        a0 = a1;
        black = !black;
        break;
      }
    }
  }
  FinishRow();
  return TRowEnd::Complete;
}

TRowEnd TCCITTRowDecoder::DecodeUncompressed(int32_t& a0, bool& black) {
  int32_t pos = std::max(a0, 0);
  // The pixels from a0 on are coded one by one, so a change recorded at a0 is taken back;
  // the colour of the pixel left of a0 is then the parity of the changes before it.
  if (count_ > 0 && cur_[count_ - 1] == pos) --count_;
  bool previous = (count_ & 1) != 0;
  const auto white = [&](uint64_t n) {
    if (n == 0 || pos >= columns_) return;
    if (previous) Record(pos);
    previous = false;
    pos = static_cast<int32_t>(std::min<uint64_t>(pos + n, columns_));
  };
  const auto one_black = [&]() {
    if (pos >= columns_) return;
    if (!previous) Record(pos);
    previous = true;
    SetRun(pos, pos + 1);
    ++pos;
  };
  for (;;) {
    // Each code is a number of 0 bits ended by a 1 bit.
    const uint64_t zeros = reader_.CountZeros(std::numeric_limits<uint64_t>::max());
    if (!reader_.Fits(zeros + 1)) {
      a0 = pos;
      return TRowEnd::OutOfData;
    }
    reader_.Skip(zeros + 1);
    if (zeros < 5) {
      white(zeros);
      one_black();
    } else if (zeros == 5) {
      white(5);
    } else {
      // Exit code: (zeros - 6) white pixels, then the colour of the next run.
      white(zeros - 6);
      if (!reader_.Fits(1)) {
        a0 = pos;
        return TRowEnd::OutOfData;
      }
      black = reader_.Read(1) == 1;
      if (black != previous) Record(pos);
      a0 = pos;
      return TRowEnd::Complete;
    }
  }
}

}  // namespace ccitt
