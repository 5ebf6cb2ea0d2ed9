#include "pdf/codecs/ccitt/ccitt_decoder.h"

#include <algorithm>
#include <limits>
#include <new>

#include "pdf/codecs/ccitt/ccitt_bit_reader.h"
#include "pdf/codecs/ccitt/ccitt_messages.h"
#include "pdf/codecs/ccitt/ccitt_rows.h"
#include "pdf/codecs/ccitt/ccitt_tables.h"
#include "platform/rtl/exceptions.h"

using ccitt::TCCITTBitReader;
using ccitt::TCCITTRowDecoder;
using ccitt::TRowEnd;

namespace {

std::span<const uint8_t> Bytes(std::string_view s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// An EOL at the position: 11 or more 0 bits (fill bits included) and a 1 bit. Sets the
// number of bits it takes.
bool EOLAhead(const TCCITTBitReader& reader, uint64_t& length) {
  const uint64_t zeros = reader.CountZeros(std::numeric_limits<uint64_t>::max());
  if (zeros < ccitt::EOLZeros || !reader.Fits(zeros + 1)) return false;
  length = zeros + 1;
  return true;
}

bool SkipEOL(TCCITTBitReader& reader) {
  uint64_t length = 0;
  if (!EOLAhead(reader, length)) return false;
  reader.Skip(length);
  return true;
}

// The next EOL at or after the position; EOLEnd is the position after its 1 bit, and
// SkippedOne tells whether a 1 bit was passed over before its zeros.
bool FindEOL(const TCCITTBitReader& reader, uint64_t& EOLEnd, bool& SkippedOne) {
  SkippedOne = false;
  uint64_t zeros = 0;
  for (uint64_t p = reader.Position(); p < reader.TotalBits(); ++p) {
    if (reader.BitAt(p) == 0) {
      ++zeros;
      continue;
    }
    if (zeros >= ccitt::EOLZeros) {
      EOLEnd = p + 1;
      return true;
    }
    SkippedOne = true;
    zeros = 0;
  }
  return false;
}

}  // namespace

TZRXCCITTDecoder::TZRXCCITTDecoder(int32_t Columns, int32_t RowFactor, bool FillBits,
                                   bool EncodedByteAlign, int32_t FillOrder, int32_t Rows)
    : columns_(Columns),
      rows_(Rows),
      row_factor_(RowFactor),
      fill_bits_(FillBits),
      encoded_byte_align_(EncodedByteAlign),
      fill_order_(FillOrder) {}

int32_t TZRXCCITTDecoder::RowBytes() const {
  return columns_ >= 1 && columns_ <= MaxColumns ? (columns_ + 7) / 8 : 0;
}

void TZRXCCITTDecoder::Prepare(std::span<const uint8_t> Data, int64_t WantedRows) {
  if (output_ != nullptr) output_->clear();
  row_.clear();
  row_pending_ = false;
  stopped_ = false;
  rows_decoded_ = 0;
  if (fill_order_ != 1 && fill_order_ != 2) throw EInvalidOperation(ccitt::kBadFillOrder);
  if (columns_ < 1 || columns_ > MaxColumns) throw EInvalidOperation(ccitt::kBadColumns);
  // Every coded row takes at least one bit, so the data bound the row count.
  const int64_t coded = static_cast<int64_t>(Data.size()) * 8 + 1;
  const int64_t by_pixels = MaxPixels / columns_;
  if (WantedRows > 0) {
    row_limit_ = std::min(WantedRows, coded);
    if (row_limit_ > by_pixels) throw EInvalidOperation(ccitt::kImageTooLarge);
    open_rows_ = false;
    if (output_ != nullptr)
      output_->assign(static_cast<size_t>(row_limit_) * static_cast<size_t>(RowBytes()), 0);
  } else {
    row_limit_ = coded;
    open_rows_ = true;
  }
  if (handler_ != nullptr) row_.assign(static_cast<size_t>(RowBytes()), 0);
}

uint8_t* TZRXCCITTDecoder::StartRow(int64_t r) {
  if (r >= row_limit_ || stopped_) return nullptr;
  const size_t row_bytes = static_cast<size_t>(RowBytes());
  if (open_rows_ && r + 1 > MaxPixels / columns_) throw EInvalidOperation(ccitt::kImageTooLarge);
  if (handler_ != nullptr) {
    FinishRows();
    if (stopped_) return nullptr;
    std::fill(row_.begin(), row_.end(), 0);
    row_pending_ = true;
    rows_decoded_ = r + 1;
    return row_.data();
  }
  if (open_rows_) output_->resize(static_cast<size_t>(r + 1) * row_bytes, 0);
  rows_decoded_ = r + 1;
  return output_->data() + static_cast<size_t>(r) * row_bytes;
}

void TZRXCCITTDecoder::FinishRows() {
  if (handler_ == nullptr || !row_pending_) return;
  row_pending_ = false;
  if (!(*handler_)(rows_decoded_ - 1, row_)) stopped_ = true;
}

bool TZRXCCITTDecoder::DecodeGroup3OneD(std::vector<uint8_t>& Output, std::span<const uint8_t> Data) {
  output_ = &Output;
  handler_ = nullptr;
  return Group3OneD(Data);
}

void TZRXCCITTDecoder::DecodeGroup3TwoD(std::vector<uint8_t>& Output, std::span<const uint8_t> Data) {
  output_ = &Output;
  handler_ = nullptr;
  Group3TwoD(Data);
}

bool TZRXCCITTDecoder::DecodeGroup4(std::vector<uint8_t>& Output, std::span<const uint8_t> Data) {
  output_ = &Output;
  handler_ = nullptr;
  return Group4(Data);
}

bool TZRXCCITTDecoder::DecodeGroup3OneD(const TRowHandler& Row, std::span<const uint8_t> Data) {
  output_ = nullptr;
  handler_ = &Row;
  return Group3OneD(Data);
}

void TZRXCCITTDecoder::DecodeGroup3TwoD(const TRowHandler& Row, std::span<const uint8_t> Data) {
  output_ = nullptr;
  handler_ = &Row;
  Group3TwoD(Data);
}

bool TZRXCCITTDecoder::DecodeGroup4(const TRowHandler& Row, std::span<const uint8_t> Data) {
  output_ = nullptr;
  handler_ = &Row;
  return Group4(Data);
}

bool TZRXCCITTDecoder::Group3OneD(std::span<const uint8_t> Data) {
  try {
    Prepare(Data, rows_);
    TCCITTBitReader reader(Data, fill_order_ == 2);
    TCCITTRowDecoder rows(reader, columns_);
    // Data whose first row starts with an EOL carry one before every row; their byte
    // alignment is then fill in front of the EOL, which ends on the boundary.
    uint64_t length = 0;
    const bool with_eols = EOLAhead(reader, length);
    for (int64_t r = 0;; ++r) {
      if (!with_eols && encoded_byte_align_) reader.AlignToByte();
      bool eol = SkipEOL(reader);
      if (!eol && with_eols && encoded_byte_align_) {
        reader.AlignToByte();
        eol = SkipEOL(reader);
      }
      // Two EOLs in a row begin the end-of-page sequence (RTC).
      if ((eol && EOLAhead(reader, length)) || reader.RestIsZero()) break;
      uint8_t* row = StartRow(r);
      if (row == nullptr) break;
      rows.SetOutputRow(row);
      const TRowEnd end = rows.DecodeOneDRow();
      if (end == TRowEnd::EOLInWhite) return false;
      if (end == TRowEnd::OutOfData) break;
    }
    FinishRows();
    return true;
  } catch (const Exception&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool TZRXCCITTDecoder::ReadEOL(TCCITTBitReader& Reader, bool FirstRow, bool& FillBits, bool& OneD) {
  uint64_t eol_end = 0;
  bool skipped_one = false;
  if (!FindEOL(Reader, eol_end, skipped_one)) {
    if (Reader.RestIsZero()) return false;
    throw EInvalidOperation(ccitt::kEOLNotFound);
  }
  if (FillBits) {
    if (skipped_one) throw EInvalidOperation(ccitt::kFillBitsNotZero);
    if ((eol_end & 7) != 0) {
      // Data that do not pad their EOLs switch the mode off at the first one.
      if (!FirstRow) throw EInvalidOperation(ccitt::kZeroBitsExpected);
      FillBits = false;
    }
  }
  Reader.SetPosition(eol_end);
  if (!Reader.Fits(1)) return false;
  OneD = Reader.Read(1) == 1;
  // EOL, tag, EOL: the end-of-page sequence.
  uint64_t length = 0;
  return !EOLAhead(Reader, length);
}

void TZRXCCITTDecoder::Group3TwoD(std::span<const uint8_t> Data) {
  Prepare(Data, rows_);
  TCCITTBitReader reader(Data, fill_order_ == 2);
  TCCITTRowDecoder rows(reader, columns_);
  bool fill_bits = fill_bits_;
  for (int64_t r = 0;; ++r) {
    bool one_d = true;
    if (r >= row_limit_ || !ReadEOL(reader, r == 0, fill_bits, one_d)) break;
    if (r == 0 && !one_d) throw EInvalidOperation(ccitt::kFirstRowNotOneD);
    uint8_t* row = StartRow(r);
    if (row == nullptr) break;
    rows.SetOutputRow(row);
    // A 1-D row cut short by an EOL leaves that EOL to the next row.
    const TRowEnd end = one_d ? rows.DecodeOneDRow() : rows.DecodeTwoDRow(false);
    if (end == TRowEnd::OutOfData) break;
  }
  FinishRows();
}

bool TZRXCCITTDecoder::Group4(std::span<const uint8_t> Data) {
  try {
    const int64_t factor = std::max(row_factor_, 1);
    Prepare(Data, rows_ > 0 ? (int64_t{rows_} - 1) * factor + 1 : 0);
    TCCITTBitReader reader(Data, fill_order_ == 2);
    TCCITTRowDecoder rows(reader, columns_);
    rows.ResetReference();
    uint64_t length = 0;
    for (int64_t r = 0;; ++r) {
      // The end-of-facsimile block (two EOLs), or nothing but padding, ends the image.
      if (reader.RestIsZero() || EOLAhead(reader, length)) break;
      uint8_t* row = StartRow(r);
      if (row == nullptr) break;
      rows.SetOutputRow(row);
      if (rows.DecodeTwoDRow(true) == TRowEnd::OutOfData) break;
      if (encoded_byte_align_) reader.AlignToByte();
    }
    FinishRows();
    return true;
  } catch (const Exception&) {
  } catch (const std::bad_alloc&) {
  }
  if (output_ != nullptr) std::fill(output_->begin(), output_->end(), 0);
  return false;
}

bool TZRXCCITTDecoder::DecodeGroup3OneD(std::vector<uint8_t>& Output, std::string_view Data) {
  return DecodeGroup3OneD(Output, Bytes(Data));
}

void TZRXCCITTDecoder::DecodeGroup3TwoD(std::vector<uint8_t>& Output, std::string_view Data) {
  DecodeGroup3TwoD(Output, Bytes(Data));
}

bool TZRXCCITTDecoder::DecodeGroup4(std::vector<uint8_t>& Output, std::string_view Data) {
  return DecodeGroup4(Output, Bytes(Data));
}

bool TZRXCCITTDecoder::Decode(int32_t K, std::vector<uint8_t>& Output, std::string_view Data) {
  output_ = &Output;
  handler_ = nullptr;
  return DecodeK(K, Bytes(Data));
}

bool TZRXCCITTDecoder::Decode(int32_t K, const TRowHandler& Row, std::string_view Data) {
  output_ = nullptr;
  handler_ = &Row;
  return DecodeK(K, Bytes(Data));
}

bool TZRXCCITTDecoder::DecodeK(int32_t K, std::span<const uint8_t> Data) {
  if (K < 0) return Group4(Data);
  if (K == 0) return Group3OneD(Data);
  Group3TwoD(Data);
  return true;
}
