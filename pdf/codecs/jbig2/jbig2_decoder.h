// JBIG2 bi-level image data as PDF's JBIG2Decode filter holds it (optionally with the
// segments of a JBIG2Globals stream), or a JBIG2 file: the picture of page 1.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

class TZRXJBIG2Decoder {
 public:
  TZRXJBIG2Decoder() = default;

  // True when page 1 was produced, at least one pixel wide and high; Width, Height and the
  // rows then hold it. Nothing is raised for bad data.
  bool Decode(std::span<const uint8_t> Data, std::span<const uint8_t> Globals);
  bool DecodeWithoutGlobals(std::span<const uint8_t> Data) { return Decode(Data, {}); }

  // Row Index as one byte per pixel (1 = black); Width zero bytes and false for an index
  // outside the picture.
  bool GetRow(int32_t Index, std::vector<uint8_t>& Row) const;
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  // The picture packed: LineBytes() bytes a row, most significant bit first, 1 = black.
  const std::vector<uint8_t>& PackedRows() const { return rows_; }
  int32_t LineBytes() const { return (width_ + 7) / 8; }

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<uint8_t> rows_;
};
