// Images of the EPS writer: pixel rows compressed and ASCII85-encoded into reusable data
// streams, an image dictionary per picture, and a doubled, dithered mask for masked images.
#include <algorithm>
#include <cstring>

#include "pdf/codecs/dither/dither.h"
#include "pdf/core/filters/ascii85.h"
#include "pdf/core/filters/flate.h"
#include "pdf/render/canvas/eps_export.h"
#include "platform/gdi/bitmap.h"

namespace {

// The rows of a bitmap top first, each as long as its pixels need (no padding); 24-bit pixels
// stored blue-green-red come out red-green-blue.
std::string PixelRows(TBitmap& bitmap, int32_t bits) {
  const int64_t w = bitmap.Width(), h = bitmap.Height();
  const int64_t rowBytes = bits == 1 ? (w + 7) / 8 : w * (bits / 8);
  std::string rows(size_t(rowBytes * h), '\0');
  for (int64_t y = 0; y < h; ++y) {
    char* out = rows.data() + y * rowBytes;
    std::memcpy(out, bitmap.ScanLine(int(y)), size_t(rowBytes));
    if (bits == 24)
      for (int64_t x = 0; x < w; ++x) std::swap(out[3 * x], out[3 * x + 2]);
  }
  return rows;
}

int32_t BitsOf(const TBitmap& bitmap) {
  switch (bitmap.PixelFormat()) {
    case pf1bit: return 1;
    case pf8bit: return 8;
    case pf24bit: return 24;
    case pf32bit: return 32;
    default: return 0;
  }
}

// The mask at twice its size in both directions, dithered to one bit (1 where the image shows).
bool DoubledMask(const TBitmap& mask, TBitmap& target) {
  TBitmap source;
  source.Assign(mask);
  source.SetPixelFormat(pf24bit);
  const int32_t w = source.Width(), h = source.Height();
  TBitmap doubled;
  doubled.SetPixelFormat(pf24bit);
  doubled.SetSize(2 * w, 2 * h);
  for (int32_t y = 0; y < 2 * h; ++y) {
    const uint8_t* in = source.ScanLine(y / 2);
    uint8_t* out = doubled.ScanLine(y);
    for (int32_t x = 0; x < 2 * w; ++x) std::memcpy(out + 3 * x, in + 3 * (x / 2), 3);
  }
  target.SetPixelFormat(pf1bit);
  target.SetSize(2 * w, 2 * h);
  return DitherToMonochrome(doubled, target);
}

}  // namespace

void TPDFEPSExport::WriteDataStream(const std::string& bytes, const std::string& name) {
  Line("currentfile /ASCII85Decode filter /FlateDecode filter");
  Line("/ReusableStreamDecode filter");
  Line(ASCII85EncodeString(FlateCompressString(bytes)));
  Line("/" + name + " exch def");
}

void TPDFEPSExport::WriteColorSpace(int32_t bits) {
  switch (bits) {
    case 1:
    case 8: Line("/DeviceGray setcolorspace"); break;
    case 24: Line("/DeviceRGB setcolorspace"); break;
    case 32: Line("/DeviceCMYK setcolorspace"); break;
    default: break;
  }
}

void TPDFEPSExport::WriteImageDictionary(const std::string& prefix, int32_t width, int32_t height, int32_t bits,
                                         const std::string& source, const std::string& decode) {
  const std::string w = std::to_string(width), h = std::to_string(height);
  Line("/" + prefix + " 8 dict def");
  Line(prefix + " begin");
  Line("/ImageType 1 def");
  Line("/Width " + w + " def");
  Line("/Height " + h + " def");
  if (bits != 0) Line("/BitsPerComponent " + std::string(bits == 1 ? "1" : "8") + " def");
  Line("/DataSource " + source + " def");
  Line("/MultipleDataSources false def");
  Line("/ImageMatrix [ " + w + " 0 0 " + std::to_string(-int64_t(height)) + " 0 " + h + " ] def");
  if (!decode.empty()) Line("/Decode " + decode + " def");
  Line("end");
}

void TPDFEPSExport::WriteImage(TBitmap& bitmap, TBitmap* mask, bool imageMask, const std::string& id,
                               bool reusable) {
  if (bitmap.Empty()) return;
  const bool masked = mask != nullptr && !mask->Empty();
  const std::string data = "datastreamfor" + id, maskData = "maskstreamfor" + id;
  const bool known = reusable && std::find(images_.begin(), images_.end(), id) != images_.end();
  const int32_t bits = BitsOf(bitmap);
  if (!known) {
    TBitmap doubled;
    if (masked) {
      if (!DoubledMask(*mask, doubled)) return;
      WriteDataStream(PixelRows(doubled, 1), maskData);
    }
    WriteDataStream(bits != 0 ? PixelRows(bitmap, bits) : std::string(), data);
    WriteColorSpace(bits);
    const std::string decode = bits == 1    ? (imageMask ? "[ 0 1 ]" : "[ 1 0 ]")
                               : bits == 8  ? "[ 0 1 ]"
                               : bits == 24 ? "[ 0 1 0 1 0 1 ]"
                               : bits == 32 ? "[ 0 1 0 1 0 1 0 1 ]"
                                            : "";
    WriteImageDictionary("ImageDataDictionaryfor" + id, bitmap.Width(), bitmap.Height(), bits, data, decode);
    if (masked) {
      WriteImageDictionary("ImageMaskDictionaryfor" + id, doubled.Width(), doubled.Height(), 1, maskData, "[ 1 0 ]");
      Line("/MaskedImageDictionaryfor" + id + " 7 dict def");
      Line("MaskedImageDictionaryfor" + id + " begin");
      Line("/ImageType 3 def");
      Line("/InterleaveType 3 def");
      Line("/MaskDict ImageMaskDictionaryfor" + id + " def");
      Line("/DataDict ImageDataDictionaryfor" + id + " def");
      Line("end");
    }
    if (reusable) images_.push_back(id);
  } else {
    // The colour space may have changed since the definitions were written.
    WriteColorSpace(bits);
  }
  if (masked) {
    Line(maskData + " resetfile");
    Line(data + " resetfile");
    Line("MaskedImageDictionaryfor" + id + " image");
  } else {
    Line(data + " resetfile");
    Line("ImageDataDictionaryfor" + id + " image");
  }
  // The image's colour space replaced the colour: the next colour setting must be written.
  currentColor_.clear();
}
