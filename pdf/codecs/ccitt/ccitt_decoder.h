// Decoder of CCITT fax data (Group 3 one- and two-dimensional, Group 4) into packed rows:
// one bit per pixel, most significant bit first, a black pixel written as 1.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

namespace ccitt {
class TCCITTBitReader;
}  // namespace ccitt

class TZRXCCITTDecoder {
 public:
  // Columns: pixels per row (1 to MaxColumns). RowFactor: the image's bits per component
  // (Group 4 decodes (Rows - 1) * RowFactor + 1 rows). FillBits: EOLs of Group 3
  // two-dimensional data end on a byte boundary. EncodedByteAlign: coded rows start on a
  // byte boundary. FillOrder: 1 most significant bit first, 2 each byte reversed. Rows: the
  // number of rows, or 0 or less when unknown (decoding then ends with the data).
  TZRXCCITTDecoder(int32_t Columns, int32_t RowFactor, bool FillBits, bool EncodedByteAlign,
                   int32_t FillOrder, int32_t Rows);

  // Each decode replaces Output with the rows, (Columns + 7) / 8 bytes each, at most as
  // many rows as Rows asks for and never more than the data can code; rows the data does
  // not reach stay white (0).
  // K = 0. False on any failure; the rows decoded so far stay in Output.
  bool DecodeGroup3OneD(std::vector<uint8_t>& Output, std::span<const uint8_t> Data);
  // K > 0. Failures raise EInvalidOperation.
  void DecodeGroup3TwoD(std::vector<uint8_t>& Output, std::span<const uint8_t> Data);
  // K < 0. False on any failure, with Output cleared to 0.
  bool DecodeGroup4(std::vector<uint8_t>& Output, std::span<const uint8_t> Data);

  // The same decodes row by row: each row goes to Row (its index, counted from 0, and its
  // bytes) once it is complete, in order, and only one row is held at a time. Row returning
  // false ends the decode there, as the end of the data would. Rows the data do not reach
  // are not handed over. The rows handed before a failure stand.
  using TRowHandler = std::function<bool(int64_t Row, std::span<const uint8_t> Bits)>;
  bool DecodeGroup3OneD(const TRowHandler& Row, std::span<const uint8_t> Data);
  void DecodeGroup3TwoD(const TRowHandler& Row, std::span<const uint8_t> Data);
  bool DecodeGroup4(const TRowHandler& Row, std::span<const uint8_t> Data);

  bool DecodeGroup3OneD(std::vector<uint8_t>& Output, std::string_view Data);
  void DecodeGroup3TwoD(std::vector<uint8_t>& Output, std::string_view Data);
  bool DecodeGroup4(std::vector<uint8_t>& Output, std::string_view Data);

  // The decode K names (below 0 Group 4, 0 Group 3 one-dimensional, above 0 Group 3
  // two-dimensional): true where it read the data (the two-dimensional one raises instead).
  bool Decode(int32_t K, std::vector<uint8_t>& Output, std::string_view Data);
  bool Decode(int32_t K, const TRowHandler& Row, std::string_view Data);

  int32_t Columns() const { return columns_; }
  int32_t RowBytes() const;
  // Rows the last decode reached (started), at most Output.size() / RowBytes().
  int64_t RowsDecoded() const { return rows_decoded_; }

  static constexpr int32_t MaxColumns = 1 << 20;
  // Images above this many pixels are refused.
  static constexpr int64_t MaxPixels = int64_t{1} << 28;

 private:
  // The decodes themselves, into output_ or handler_ (one of them set).
  bool Group3OneD(std::span<const uint8_t> Data);
  void Group3TwoD(std::span<const uint8_t> Data);
  bool Group4(std::span<const uint8_t> Data);
  bool DecodeK(int32_t K, std::span<const uint8_t> Data);
  // Checks the parameters and sizes the output; WantedRows <= 0 means "as many as coded".
  void Prepare(std::span<const uint8_t> Data, int64_t WantedRows);
  // The output row r, growing output_ when the row count is open (or, row by row, handing
  // over the row before it); nullptr when the data cannot hold another row or the handler
  // stopped.
  uint8_t* StartRow(int64_t r);
  // Row by row: hands over the last row started, now complete.
  void FinishRows();
  // Group 3 two-dimensional: finds the next EOL and reads the row's tag bit (1 = 1-D).
  // False when the data ended cleanly (nothing but zero bits left, or RTC).
  bool ReadEOL(ccitt::TCCITTBitReader& Reader, bool FirstRow, bool& FillBits, bool& OneD);

  int32_t columns_;
  int32_t rows_;
  int32_t row_factor_;
  bool fill_bits_;
  bool encoded_byte_align_;
  int32_t fill_order_;

  int64_t row_limit_ = 0;     // rows Output may hold
  bool open_rows_ = false;    // Output grows row by row
  int64_t rows_decoded_ = 0;

  // Where the rows go: the whole output, or one row at a time to the handler.
  std::vector<uint8_t>* output_ = nullptr;
  const TRowHandler* handler_ = nullptr;
  std::vector<uint8_t> row_;
  bool row_pending_ = false;  // row_ holds row rows_decoded_ - 1, not yet handed over
  bool stopped_ = false;      // the handler ended the decode
};
