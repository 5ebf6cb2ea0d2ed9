// Ternary raster operations of the metafile's bitmap records, applied to a source pixel: the
// operation's truth table (bit P * 4 + S * 2 + D of its index) works on every bit of the
// brush, source and destination colours. A picture has no destination to read, so each source
// colour either gives a colour of its own, leaves the destination alone (transparent), or
// depends on the destination and is taken as drawn over white (or black) where that keeps it.
#pragma once

#include <array>
#include <cstdint>

class TRopEvaluator {
 public:
  // index: the third byte of the 32-bit operation; brush: COLORREF of the brush.
  TRopEvaluator(int index, uint32_t brush);

  // The colour a source pixel (COLORREF) draws; false when it leaves the destination alone.
  bool Apply(uint32_t source, uint32_t& out) const;
  // Uses the source at all; leaves every destination pixel alone; copies the source.
  bool UsesSource() const { return ((index_ & 0xCC) >> 2) != (index_ & 0x33); }
  bool KeepsDestination() const { return index_ == 0xAA; }
  bool Copies() const { return index_ == 0xCC; }
  // Uses the destination (a fill of the brush alone can be drawn exactly when not).
  bool UsesDestination() const { return ((index_ & 0xAA) >> 1) != (index_ & 0x55); }
  int Index() const { return index_; }
  // Operations whose pictures mix with what lies below them (AND, OR, XOR and the like of source
  // and destination): stored lossless whatever their size, since a lossy picture would show
  // its artefacts through the page.
  bool MixesWithDestination() const;

 private:
  int index_;
  // Per channel and source value: the result over a black and over a white destination.
  std::array<std::array<uint8_t, 256>, 3> overBlack_{}, overWhite_{};
};
