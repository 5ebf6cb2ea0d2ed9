// Helpers of the image decoder tests: image XObjects built with the object model, samples
// packed as PDF lays them out, and the decoded pixels read back through an independent PNG
// reader.
#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "pdf/codecs/image_decoder/image_decoder.h"
#include "pdf/core/objects/pdf_objects.h"

namespace imgtest {

// A store with a resolver over the objects the test registers by number.
class TestStore {
 public:
  TestStore();
  TPDFStructure& store() { return *store_; }
  // An image stream: the dictionary from its PDF text (without Length), the data as stored.
  TPDFStream* Image(const std::string& dictionary, const std::string& data);
  // A stream with a dictionary from text and data.
  TPDFStream* Stream(const std::string& dictionary, const std::string& data);
  TPDFObject* Parse(const std::string& text) { return store_->ParseObject(text); }
  // Registers obj as object number num; "num 0 R" then resolves to it.
  void Register(int num, TPDFObject* obj);

 private:
  std::unique_ptr<TPDFStructure> store_;
  std::vector<std::pair<int, TPDFObject*>> objects_;
};

// Samples of `bits` each, rows of `perRow` samples, each row padded to a whole byte.
std::string PackSamples(const std::vector<uint32_t>& samples, int perRow, int bits);
// RunLengthDecode data that give the bytes back: literal runs of up to 128 bytes and repeats
// of 2 to 128, without the end-of-data byte.
std::string RunLengthEncode(const std::string& data);
// Deterministic pseudo-random samples below 2^bits.
std::vector<uint32_t> RandomSamples(size_t count, int bits, uint32_t seed);

// The decoded picture as 0xAARRGGBB, top row first: from DataStream (PNG or BMP, read with
// the platform's readers) or else from Bitmap.
struct Pixels {
  int width = 0, height = 0;
  std::vector<uint32_t> argb;
  uint32_t At(int x, int y) const { return argb[size_t(y) * size_t(width) + size_t(x)]; }
  uint32_t Rgb(int x, int y) const { return At(x, y) & 0xFFFFFF; }
  uint32_t Alpha(int x, int y) const { return At(x, y) >> 24; }
};
Pixels DecodedPixels(TPDFImageDecoder& d);
Pixels BitmapPixels(TBitmap& b);

// Decodes an image stream with a fresh decoder (settings naming the test provider).
std::unique_ptr<TPDFImageDecoder> Decode(TPDFStream* image, bool keepBitmap = false);
// A fresh decoder (settings naming the test provider) set to the image; with drawOnly it only
// draws the image and may decode its rows while drawing them.
std::unique_ptr<TPDFImageDecoder> Decoder(TPDFStream* image, bool drawOnly);

// The largest difference of the red, green or blue bytes of two 0x00RRGGBB pixels.
int Distance(uint32_t a, uint32_t b);
// One line of pixels written as "rrggbb" words apart, as 0x00RRGGBB; empty after the last line.
std::vector<uint32_t> HexPixelLine(std::istream& in);

inline uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }
// round(x * 255), halves to even, clamped.
uint32_t Byte(double x);

}  // namespace imgtest
