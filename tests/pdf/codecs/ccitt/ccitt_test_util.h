// Helpers of the fax decoder tests: bitmaps, PBM files, TIFF strips, bit strings, and the
// decoder run with the parameters a caller derives from a fax file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace ccitt_test {

// A bi-level bitmap in packed rows, (Width + 7) / 8 bytes each, black = 1.
struct TBitmap {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Bits;

  TBitmap() = default;
  TBitmap(int w, int h) : Width(w), Height(h), Bits(static_cast<size_t>(RowBytes(w)) * h, 0) {}
  static int RowBytes(int w) { return (w + 7) / 8; }
  bool Get(int x, int y) const { return (Bits[y * RowBytes(Width) + x / 8] >> (7 - x % 8)) & 1; }
  void Set(int x, int y, bool black) {
    uint8_t& b = Bits[y * RowBytes(Width) + x / 8];
    const uint8_t m = static_cast<uint8_t>(0x80 >> (x % 8));
    b = black ? (b | m) : (b & ~m);
  }
  TBitmap Inverted() const;
};

// Bitmaps to code: random pixels with a given share of black (percent); long random runs;
// every run length from 0 to past 2560 in both colours; a checkerboard.
TBitmap RandomBitmap(int w, int h, uint32_t seed, int black_percent);
TBitmap RandomRunsBitmap(int w, int h, uint32_t seed, int max_run);
TBitmap AllRunLengthsBitmap();
TBitmap Checkerboard(int w, int h);

// P4 PBM (and P1) files.
std::string WritePBM(const TBitmap& b);
bool ParsePBM(const std::string& file, TBitmap& out);

// Empty string when equal, else where the first difference lies.
std::string Difference(const TBitmap& expected, const TBitmap& actual);

// The decoder's output as a bitmap (Rows rows of Columns pixels).
TBitmap FromRows(const std::vector<uint8_t>& rows, int columns);

// The one strip of a single-page bi-level TIFF, with the tags the decoder's caller reads.
struct TTiffStrip {
  int Width = 0;
  int Height = 0;
  int Compression = 1;   // 3 Group 3, 4 Group 4
  int Photometric = 0;   // 0 min-is-white, 1 min-is-black
  int FillOrder = 1;
  uint32_t T4Options = 0;
  std::string Data;
};
bool ReadTiffStrip(const std::string& file, TTiffStrip& out);

// Decodes a strip as the PDF side would, picking the procedure by the compression.
// Rows <= 0 leaves the row count open. Returns false on a failure result or exception.
bool DecodeStrip(const TTiffStrip& strip, int rows, TBitmap& out, std::string* error = nullptr);

// Bit strings of '0' and '1', most significant bit of each byte first.
std::string ToBitString(const std::string& bytes);
std::string FromBitString(const std::string& bits);  // pads the last byte with 0 bits
// Splits a Group 3 stream at its EOLs: the coded rows between them (the tag bit of
// two-dimensional data included), with the fill bits in front of each EOL dropped.
std::vector<std::string> SplitAtEOLs(const std::string& bits);
// Position of the first EOL's end (after its 1 bit), or npos.
size_t FirstEOLStart(const std::string& bits);

// PBM -> TIFF (min-is-white or min-is-black) -> tiffcp with the given fax options, one strip.
bool MakeFaxTiff(const testsupport::TempDir& dir, const TBitmap& bitmap, bool min_is_black,
                 const std::string& options, TTiffStrip& strip, std::string* tiff_path = nullptr);
// The Group 4 strip libtiff's encoder writes for a min-is-white bitmap (through the library).
std::string LibtiffGroup4(const testsupport::TempDir& dir, const TBitmap& b);

// Runs a shell pipeline; false when it fails.
bool Shell(const std::string& command);
std::string Quote(const std::string& path);

}  // namespace ccitt_test
