// Decoding of one coded row into one packed output row (1 bit per pixel, most significant
// bit first, black = 1), keeping the changing elements of the row as the reference of the next.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "pdf/codecs/ccitt/ccitt_bit_reader.h"
#include "pdf/codecs/ccitt/ccitt_changing_elements.h"

namespace ccitt {

// How a row ended.
enum class TRowEnd {
  Complete,    // all columns coded
  EOLInWhite,  // a one-dimensional row met an EOL where a white run was due (left unread)
  EOLInBlack,  // ... where a black run was due (left unread)
  OutOfData,   // the next code needs bits past the end of the data: the image ends here
};

class TCCITTRowDecoder {
 public:
  // columns must be at least 1; the caller validates it.
  TCCITTRowDecoder(TCCITTBitReader& reader, int32_t columns);

  // The row that the next decode writes into ((columns + 7) / 8 zeroed bytes).
  void SetOutputRow(uint8_t* row) { row_ = row; }
  // The reference row becomes an all-white row (the start of a Group 4 image).
  void ResetReference();

  // A row coded with white and black run lengths, starting white.
  TRowEnd DecodeOneDRow();
  // A row coded relative to the reference row. The two fax groups differ in what an
  // extension or an invalid mode code means.
  TRowEnd DecodeTwoDRow(bool group4);

 private:
  enum class TRunStatus { Run, EOL, Invalid, OutOfData };
  struct TRun {
    TRunStatus Status;
    int64_t Length;
  };

  void StartRow();
  void FinishRow();
  // A run of the given colour: make-up codes followed by a terminating code.
  TRun ReadRun(bool black);
  // The runs of horizontal mode, where an EOL or a meaningless code is an error.
  TRun DecodeWhiteRun();
  TRun DecodeBlackRun();
  // b1 (and b2) for the current a0 and colour. Inline, as SetRun: each change of a noisy
  // picture's rows takes one or both.
  void FindChangingElement(int32_t a0, bool black, int32_t& b1, int32_t& b2) {
    FindChangingElements(std::span<const int32_t>(ref_.data(), size_t(ref_count_)), columns_, a0, black,
                         search_index_, b1, b2);
  }
  void SetRun(int32_t start, int32_t end) { FillRun(row_, std::max(start, 0), std::min(end, columns_)); }
  void Record(int32_t position) {
    // Two changes at one position cancel (a run of length 0), so the elements stay strictly
    // increasing and within the array.
    if (count_ > 0 && cur_[count_ - 1] == position) {
      --count_;
      return;
    }
    if (count_ < static_cast<int32_t>(cur_.size())) cur_[count_++] = position;
  }
  TRowEnd DecodeUncompressed(int32_t& a0, bool& black);

  TCCITTBitReader& reader_;
  int32_t columns_;
  uint8_t* row_ = nullptr;
  // Changing elements: strictly increasing positions in 0..columns.
  std::vector<int32_t> ref_;
  std::vector<int32_t> cur_;
  int32_t ref_count_ = 0;
  int32_t count_ = 0;
  int32_t search_index_ = 0;
};

}  // namespace ccitt
