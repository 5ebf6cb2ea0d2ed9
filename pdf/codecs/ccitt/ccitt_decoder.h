// Decoder of CCITT fax data (Group 3 one- and two-dimensional, Group 4) into packed rows:
// one bit per pixel, most significant bit first, a black pixel written as 1.
#pragma once

#include <cstdint>
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

  bool DecodeGroup3OneD(std::vector<uint8_t>& Output, std::string_view Data);
  void DecodeGroup3TwoD(std::vector<uint8_t>& Output, std::string_view Data);
  bool DecodeGroup4(std::vector<uint8_t>& Output, std::string_view Data);

  int32_t Columns() const { return columns_; }
  int32_t RowBytes() const;
  // Rows the last decode reached (started), at most Output.size() / RowBytes().
  int64_t RowsDecoded() const { return rows_decoded_; }

  static constexpr int32_t MaxColumns = 1 << 20;
  // Images above this many pixels are refused.
  static constexpr int64_t MaxPixels = int64_t{1} << 28;

 private:
  // Checks the parameters and sizes Output; WantedRows <= 0 means "as many as coded".
  void Prepare(std::vector<uint8_t>& Output, std::span<const uint8_t> Data, int64_t WantedRows);
  // The output row r, growing Output when the row count is open; nullptr when the
  // data cannot hold another row.
  uint8_t* StartRow(std::vector<uint8_t>& Output, int64_t r);
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
};
