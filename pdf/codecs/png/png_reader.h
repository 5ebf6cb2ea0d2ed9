// Reading a PNG file for the PDF side: the header values, palette, transparency chunk, ICC
// profile and resolution, and either the IDAT data unchanged (to be embedded with FlateDecode
// and the PNG predictor) or unfiltered, re-compressed colour samples plus a separate alpha
// channel for a soft mask. Nothing is raised: problems end the reading, and what was read so
// far stays in the fields.
#pragma once

#include <cstdint>
#include <string>

#include "pdf/codecs/png/png_rows.h"
#include "platform/rtl/byte_source.h"
#include "platform/rtl/streams.h"

class TPNGReader {
 public:
  TPNGReader() = default;
  virtual ~TPNGReader() = default;

  // Reads the signature and the chunks from the stream's position; decodes the image when a
  // usable header and image data were read (unless HeaderOnly).
  void ReadChunks(TStream& stream);
  // Fills ImageData, AlphaData, PassThrough and the bits-per-component fields.
  void DecodeImage();
  // The tail of an Indexed colour space: "/DeviceRGB " hival "<" palette in hexadecimal ">".
  void GetIndexedColorSpace(std::string& text) const;
  // True once an IHDR whose values form a valid PNG image was read.
  bool HeaderValid() const { return headerValid_; }
  // The header values the image's rows depend on.
  TPNGFormat Format() const;

  // From IHDR.
  uint32_t Width = 0, Height = 0;
  uint32_t BitDepth = 0;
  // Bits per component of ImageData and AlphaData as handed on (8 after a 16-bit reduction).
  uint32_t ImageBitsPerComponent = 0;
  uint32_t AlphaBitsPerComponent = 0;
  uint8_t ColorType = 0, CompressionMethod = 0, FilterMethod = 0, InterlaceMethod = 0;
  // PLTE entries (at most 256) and their R, G, B triples.
  uint32_t PaletteCount = 0;
  std::string Palette;
  // The tRNS data as read (not interpreted here).
  std::string Transparency;
  // All IDAT data joined in file order (a decode reads them a piece at a time and keeps them).
  std::string IDATData;
  // Bytes of IDAT data the chunks hold (read into IDATData, or left in the file).
  int64_t IDATBytes = 0;
  std::string ImageData;
  std::string AlphaData;
  // Dots per inch.
  uint32_t ResolutionX = 96, ResolutionY = 96;
  // ImageData is IDATData unchanged.
  bool PassThrough = false;
  // Set by the caller before reading: hand 16-bit colour or alpha samples on as 8 bits.
  bool Reduce16BitImage = false;
  bool Reduce16BitAlpha = false;
  // Set by the caller before reading: no IDAT data is collected and nothing is decoded.
  bool HeaderOnly = false;
  // Set by the caller before reading: decoded samples are handed on in stored deflate blocks
  // (no compression time) rather than compressed.
  bool StoreDecoded = false;
  // Set by the caller before reading: samples that need decoding are not made; IDATData keeps
  // the image data for TPNGRows and SamplesDeferred says so (the bits-per-component fields are
  // those the samples would have).
  bool DeferSamples = false;
  bool SamplesDeferred = false;
  // Set by the caller before reading, with DeferSamples: the bytes the stream reads, positions
  // alike. A file past HeldFileBytes keeps its image data there (ImageDataInFile; IDATData
  // stays empty and every picture's samples are deferred), read a piece at a time where they
  // lie when rows are made.
  TSharedBytes File;
  int64_t HeldFileBytes = int64_t(64) << 20;
  bool ImageDataInFile = false;
  // Stream positions: the first PLTE data byte, the tRNS chunk start, the first IDAT chunk
  // start (0 until one is seen).
  int64_t PalettePosition = 0;
  int64_t TransparencyPosition = 0;
  int64_t FirstIDATPosition = 0;
  // The iCCP profile, still zlib-compressed (name, separator and method removed).
  std::string ICCProfile;

 private:
  bool headerValid_ = false;
};
