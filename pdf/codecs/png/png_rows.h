// The rows of a PNG picture one after another from the top, unfiltered and taken apart into
// colour samples and alpha samples, as the reader's whole decode lays them out: rows whose data
// are missing (not a filter byte and a whole row left) come out as filter 0 over bytes 255.
// The image data are inflated a piece at a time; an interlaced picture reads each of its seven
// passes through an inflate of its own, started where the pass begins, so that no more than a
// few rows of any pass are held.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "pdf/core/filters/flate_reader.h"

// The header values the rows depend on.
struct TPNGFormat {
  uint32_t Width = 0, Height = 0;
  uint32_t BitDepth = 0;
  uint8_t ColorType = 0;
  bool Interlaced = false;
};

// The most significant byte of each 2-byte sample among n bytes, into out (which may be the
// samples themselves): 16-bit samples handed on at 8 bits.
void KeepHighBytes(const uint8_t* samples, int64_t n, uint8_t* out);

class TPNGRows {
 public:
  // The channels of a pixel by colour type, and the bytes per pixel the filters work on.
  struct TLayout {
    int Channels = 0, Colour = 0, Alpha = 0;
    int FilterBytes = 0;
  };
  static TLayout LayoutOf(uint8_t colorType, uint32_t depth);
  // Bytes the image data must inflate to: every pass's rows with their filter bytes.
  static int64_t InflatedBytes(const TPNGFormat& format);
  // Bytes of one row of colour samples and of alpha samples (0 without alpha).
  static int64_t ColourRowBytes(const TPNGFormat& format);
  static int64_t AlphaRowBytes(const TPNGFormat& format);

  // idat: the joined image data (a zlib stream), held by the caller while rows are read.
  TPNGRows(const TPNGFormat& format, std::string_view idat);
  // The image data read a piece at a time where they lie.
  TPNGRows(const TPNGFormat& format, std::unique_ptr<TFlateInput> idat);
  ~TPNGRows();
  TPNGRows(const TPNGRows&) = delete;
  TPNGRows& operator=(const TPNGRows&) = delete;

  // Makes the next row (at most Height rows); its samples are valid until the next call.
  void Next();
  const uint8_t* Colour() const { return colourRow_; }
  const uint8_t* Alpha() const { return alpha_.data(); }

 private:
  struct TPass {
    uint32_t Row0 = 0, Col0 = 0, RowStep = 1, ColStep = 1;
    uint32_t Columns = 0, Rows = 0;  // the pass's size in pixels
    uint32_t Taken = 0;              // rows of the pass made so far
    int64_t RowBytes = 0;            // without the filter byte
    std::unique_ptr<TFlateReader> Data;  // positioned at the pass's next row
    std::vector<uint8_t> Row, Above;
  };

  // Sets up the passes over the image data that `walker` inflates.
  void Start(std::unique_ptr<TFlateReader> walker);
  // Reads, unfilters and keeps the pass's next row.
  void ReadPassRow(TPass& pass);
  // Puts the pass's row into the image row's columns.
  void PlacePassRow(const TPass& pass);

  TPNGFormat format_;
  TLayout layout_;
  std::vector<TPass> passes_;
  uint32_t y_ = 0;
  std::vector<uint8_t> colour_, alpha_;
  const uint8_t* colourRow_ = colour_.data();
  // Takes a row's pixels apart into colour and alpha samples (8 and 16 bits).
  void (*split_)(const uint8_t*, uint32_t, uint8_t*, uint8_t*, uint32_t, uint32_t) = nullptr;
};
