#include "pdf/codecs/png/png_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <vector>

#include "pdf/codecs/png/png_common.h"
#include "pdf/codecs/png/png_rows.h"
#include "pdf/core/filters/flate.h"
#include "platform/rtl/numbers.h"

namespace {

// An image of more pixels than this is refused.
constexpr uint64_t kMaxPixels = uint64_t{1} << 28;
// The PNG format's limit for lengths, widths and heights.
constexpr uint32_t kMaxPNGValue = 0x7FFFFFFF;
// Deflate cannot expand data by more than about 1032 to 1; an image whose samples need more
// than that (plus room for a short tail of missing rows) cannot come from the data at hand.
constexpr int64_t kMaxInflateRatio = 1032;
constexpr int64_t kInflateSlack = int64_t{1} << 20;

uint32_t BigEndian32(const char* p) {
  const auto* u = reinterpret_cast<const uint8_t*>(p);
  return (uint32_t(u[0]) << 24) | (uint32_t(u[1]) << 16) | (uint32_t(u[2]) << 8) | u[3];
}

// Reads up to count bytes, never more than the stream holds.
std::string ReadAvailable(TStream& stream, int64_t count) {
  const int64_t left = std::max<int64_t>(0, stream.Size() - stream.Position());
  return stream.ReadString(std::min(count, left));
}

bool ValidDepth(uint8_t colorType, uint32_t depth) {
  switch (colorType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return false;
  }
}

// Keeps the most significant byte of every 2-byte sample.
void ReduceTo8Bits(std::string& data) {
  auto* bytes = reinterpret_cast<uint8_t*>(data.data());
  KeepHighBytes(bytes, int64_t(data.size()), bytes);
  data.resize(data.size() / 2);
}

}  // namespace

void TPNGReader::ReadChunks(TStream& stream) {
  if (stream.ReadString(8) != kPNGSignature) return;
  ImageDataInFile = !HeaderOnly && DeferSamples && File && File->Size() == stream.Size() &&
                    File->Size() > HeldFileBytes;
  bool first = true;
  // Every pass reads at least the 8 bytes of length and type, so the loop ends with the data.
  for (;;) {
    const int64_t chunkStart = stream.Position();
    const std::string head = stream.ReadString(8);
    if (head.size() < 8) break;
    const uint32_t length = BigEndian32(head.data());
    const std::string type = head.substr(4, 4);
    if (length > kMaxPNGValue) break;
    if (first && type != "IHDR") break;
    if (type == "IEND") break;
    const int64_t dataStart = stream.Position();
    const int64_t left = std::max<int64_t>(0, stream.Size() - dataStart);
    bool stop = false;
    if (type == "IHDR") {
      if (!first) {
        // A file has one header; a second one would resize what was already read.
        if (int64_t(length) > left) break;
        stream.Seek(length, TSeekOrigin::soCurrent);
      } else {
        if (length < 13 || int64_t(length) > left) break;
        const std::string d = stream.ReadString(13);
        Width = BigEndian32(d.data());
        Height = BigEndian32(d.data() + 4);
        BitDepth = uint8_t(d[8]);
        ColorType = uint8_t(d[9]);
        CompressionMethod = uint8_t(d[10]);
        FilterMethod = uint8_t(d[11]);
        InterlaceMethod = uint8_t(d[12]);
        // Nothing is sized from a header that does not describe a valid image.
        headerValid_ = Width > 0 && Height > 0 && Width <= kMaxPNGValue && Height <= kMaxPNGValue &&
                       uint64_t(Width) * Height <= kMaxPixels && ValidDepth(ColorType, BitDepth) &&
                       CompressionMethod == 0 && FilterMethod == 0 && InterlaceMethod <= 1;
        if (!headerValid_) break;
        stream.Seek(length - 13, TSeekOrigin::soCurrent);
      }
    } else if (type == "PLTE") {
      PalettePosition = dataStart;
      std::string d = ReadAvailable(stream, length);
      stop = d.size() < length;
      // An Indexed colour space holds at most 256 whole entries.
      PaletteCount = uint32_t(std::min<size_t>(d.size() / 3, 256));
      d.resize(PaletteCount * 3);
      Palette = std::move(d);
    } else if (type == "tRNS") {
      TransparencyPosition = dataStart - 8;
      if (length > 0) {
        Transparency = ReadAvailable(stream, length);
        stop = Transparency.size() < length;
      }
    } else if (type == "IDAT") {
      if (FirstIDATPosition == 0) FirstIDATPosition = chunkStart;
      if (HeaderOnly || ImageDataInFile) {
        stop = int64_t(length) > left;
        const int64_t there = std::min<int64_t>(length, left);
        stream.Seek(there, TSeekOrigin::soCurrent);
        IDATBytes += there;
      } else {
        // All image data lie in what is left of the stream: room for them is made once, and
        // each chunk is read straight into it.
        if (IDATData.empty()) IDATData.reserve(size_t(left));
        const size_t at = IDATData.size();
        const int64_t want = std::min<int64_t>(length, left);
        IDATData.resize(at + size_t(want));
        const int64_t got = std::max<int64_t>(0, stream.Read(IDATData.data() + at, want));
        IDATData.resize(at + size_t(got));
        IDATBytes += got;
        stop = uint64_t(got) < length;
      }
    } else if (type == "pHYs") {
      const std::string d = ReadAvailable(stream, length);
      stop = d.size() < length;
      if (!stop && d.size() >= 9) {
        const uint64_t x = BigEndian32(d.data()), y = BigEndian32(d.data() + 4);
        const uint8_t unit = uint8_t(d[8]);
        if (x == 0 || y == 0) {
          ResolutionX = ResolutionY = 96;
        } else if (unit == 1) {
          ResolutionX = uint32_t(x * 254 / 10000);
          ResolutionY = uint32_t(y * 254 / 10000);
        } else {
          ResolutionY = uint32_t(std::min<uint64_t>(y * 96 / x, kMaxPNGValue));
          ResolutionX = 96;
        }
      }
    } else if (type == "iCCP") {
      ICCProfile = ReadAvailable(stream, length);
      stop = ICCProfile.size() < length;
      const size_t nul = ICCProfile.find('\0');
      // Profile names are 1 to 79 bytes; the name, its terminator and the compression method
      // (0) come off, leaving the zlib stream.
      if (nul != std::string::npos && nul < 80 && ICCProfile.compare(nul, 2, std::string_view("\0\0", 2)) == 0) {
        ICCProfile.erase(0, nul + 2);
      } else {
        ICCProfile.clear();
      }
    } else {
      if (int64_t(length) > left) break;
      stream.Seek(length, TSeekOrigin::soCurrent);
    }
    first = false;
    if (stop) break;
    if (stream.ReadString(4).size() < 4) break;  // the CRC, not checked
  }
  if (!HeaderOnly && headerValid_ && IDATBytes > 0) DecodeImage();
}

TPNGFormat TPNGReader::Format() const {
  return TPNGFormat{Width, Height, BitDepth, ColorType, InterlaceMethod == 1};
}

void TPNGReader::DecodeImage() {
  if (!headerValid_) return;
  const TPNGFormat format = Format();
  // The rows with their filter bytes, as the image data must inflate to.
  const int64_t expected = TPNGRows::InflatedBytes(format);
  // A picture its data could never fill is not taken, whether decoded here or handed on: a few
  // hundred bytes do not make millions of rows, missing or not.
  if (expected > kMaxInflateRatio * IDATBytes + kInflateSlack) return;

  const uint32_t depth = BitDepth;
  // Image data left in the file are no stream's data: their samples are made when needed.
  PassThrough = !(ColorType == 4 || ColorType == 6 || format.Interlaced || (Reduce16BitImage && depth == 16)) &&
                !ImageDataInFile;
  ImageBitsPerComponent = depth;
  AlphaBitsPerComponent = depth;
  if (PassThrough) {
    // The zlib stream with its per-row filter bytes goes on unchanged; it is not kept twice.
    ImageData = std::move(IDATData);
    IDATData.clear();
    return;
  }
  const bool reduceImage = Reduce16BitImage && depth == 16, reduceAlpha = Reduce16BitAlpha && depth == 16;
  if (DeferSamples) {
    // The image data stay for TPNGRows; the samples are what the decode below would make.
    SamplesDeferred = true;
    if (reduceImage) ImageBitsPerComponent = 8;
    if (reduceAlpha) AlphaBitsPerComponent = 8;
    return;
  }
  const int64_t colourRow = TPNGRows::ColourRowBytes(format), alphaRow = TPNGRows::AlphaRowBytes(format);
  ImageData.assign(size_t(colourRow * Height), '\0');
  AlphaData.assign(size_t(alphaRow * Height), '\0');
  {
    TPNGRows rows(format, IDATData);
    for (int64_t y = 0; y < int64_t(Height); ++y) {
      rows.Next();
      std::memcpy(ImageData.data() + y * colourRow, rows.Colour(), size_t(colourRow));
      if (alphaRow) std::memcpy(AlphaData.data() + y * alphaRow, rows.Alpha(), size_t(alphaRow));
    }
  }
  if (reduceImage) {
    ReduceTo8Bits(ImageData);
    ImageBitsPerComponent = 8;
  }
  auto encode = [this](const std::string& d) { return StoreDecoded ? FlateStoreString(d) : FlateCompressString(d); };
  ImageData = encode(ImageData);
  if (reduceAlpha) {
    ReduceTo8Bits(AlphaData);
    AlphaBitsPerComponent = 8;
  }
  AlphaData = encode(AlphaData);
}

void TPNGReader::GetIndexedColorSpace(std::string& text) const {
  static constexpr char kHex[] = "0123456789ABCDEF";
  text = "/DeviceRGB " + IntToStr(int64_t(PaletteCount) - 1) + "<";
  text.reserve(text.size() + Palette.size() * 2 + 1);
  for (const char c : Palette) {
    text += kHex[uint8_t(c) >> 4];
    text += kHex[uint8_t(c) & 15];
  }
  text += ">";
}
