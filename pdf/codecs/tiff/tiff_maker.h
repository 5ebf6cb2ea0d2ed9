// TPDFTIFFMaker: wraps one strip of already-compressed bilevel data (CCITT Group 3 or 4, or
// LZW) in a minimal single-page little-endian TIFF file, so that a general image decoder can
// read it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/streams.h"

class TPDFTIFFMaker {
 public:
  struct TEntry {
    uint16_t Tag = 0;
    uint16_t Type = 0;
    uint32_t Count = 0;
    uint32_t Value = 0;
  };

  TPDFTIFFMaker() = default;

  // Writes the file from the stream's position 0.
  void SaveToStream(TStream& Stream);
  void AddEntry(uint16_t Tag, uint16_t Type, uint32_t Count, uint32_t Value);
  void AddLongEntry(uint16_t Tag, uint32_t Value) { AddEntry(Tag, 4, 1, Value); }
  void AddShortEntry(uint16_t Tag, uint16_t Value) { AddEntry(Tag, 3, 1, Value); }
  // Writes the pair Numerator / Denominator at the current data offset, points a RATIONAL
  // entry at it and moves the data offset on by 8.
  void AddRationalEntry(TStream& Stream, uint16_t Tag, uint32_t Numerator, uint32_t Denominator);

  // The strip exactly as it is to appear in the file.
  std::string Data;
  uint32_t Width = 0;
  uint32_t Height = 0;
  // The reader's compression code: 1 Group 4, 3 LZW, 4 Group 3 one-dimensional, 5 Group 3
  // two-dimensional; other values write no Compression tag.
  uint8_t Compression = 0;
  bool MinIsBlack = false;
  std::vector<TEntry> Entries;
  uint32_t ResolutionX = 96;
  uint32_t ResolutionY = 96;
  bool T4ByteAligned = false;

 private:
  uint64_t dataOffset_ = 0;
};

// A row of white bilevel pixels: Width div 8 + 1 bytes of 255.
void TIFFBlankRow(int32_t Width, std::string& Row);
