#include "pdf/codecs/png/png_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <vector>

#include "pdf/codecs/png/png_common.h"
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

struct Layout {
  int channels = 0, colour = 0, alpha = 0;
  int bpp = 0;  // bytes per pixel for the filters
};

Layout LayoutOf(uint8_t colorType, uint32_t depth) {
  const int wide = depth == 16 ? 2 : 1;
  switch (colorType) {
    case 0: return {1, 1, 0, wide};
    case 2: return {3, 3, 0, 3 * wide};
    case 3: return {1, 1, 0, 1};
    case 4: return {2, 1, 1, 2 * wide};
    case 6: return {4, 3, 1, 4 * wide};
    default: return {};
  }
}

struct Pass {
  uint32_t row0, col0, rowStep, colStep;
};
constexpr std::array<Pass, 7> kAdam7 = {{{0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
                                         {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1}}};
constexpr Pass kSinglePass = {0, 0, 1, 1};

uint32_t PassExtent(uint32_t size, uint32_t start, uint32_t step) {
  return size > start ? (size - start - 1) / step + 1 : 0;
}

int64_t RowBytes(uint64_t pixels, int channels, uint32_t depth) {
  return static_cast<int64_t>((pixels * channels * depth + 7) / 8);
}

uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return uint8_t(a);
  if (pb <= pc) return uint8_t(b);
  return uint8_t(c);
}

void Unfilter(uint8_t filter, uint8_t* row, const uint8_t* prev, int64_t len, int bpp) {
  switch (filter) {
    case 1:
      for (int64_t i = bpp; i < len; ++i) row[i] = uint8_t(row[i] + row[i - bpp]);
      break;
    case 2:
      for (int64_t i = 0; i < len; ++i) row[i] = uint8_t(row[i] + prev[i]);
      break;
    case 3:
      for (int64_t i = 0; i < len; ++i) {
        const int left = i >= bpp ? row[i - bpp] : 0;
        row[i] = uint8_t(row[i] + ((left + prev[i]) >> 1));
      }
      break;
    case 4:
      for (int64_t i = 0; i < len; ++i) {
        const int left = i >= bpp ? row[i - bpp] : 0;
        const int upLeft = i >= bpp ? prev[i - bpp] : 0;
        row[i] = uint8_t(row[i] + Paeth(left, prev[i], upLeft));
      }
      break;
    default: break;  // 0, and values the format does not define, change nothing
  }
}

// Keeps the most significant byte of every 2-byte sample.
void ReduceTo8Bits(std::string& data) {
  const size_t n = data.size() / 2;
  for (size_t i = 0; i < n; ++i) data[i] = data[2 * i];
  data.resize(n);
}

}  // namespace

void TPNGReader::ReadChunks(TStream& stream) {
  if (stream.ReadString(8) != kPNGSignature) return;
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
      if (HeaderOnly) {
        stop = int64_t(length) > left;
        stream.Seek(std::min<int64_t>(length, left), TSeekOrigin::soCurrent);
      } else {
        // All image data lie in what is left of the stream: room for them is made once, and
        // each chunk is read straight into it.
        if (IDATData.empty()) IDATData.reserve(size_t(left));
        const size_t at = IDATData.size();
        const int64_t want = std::min<int64_t>(length, left);
        IDATData.resize(at + size_t(want));
        const int64_t got = std::max<int64_t>(0, stream.Read(IDATData.data() + at, want));
        IDATData.resize(at + size_t(got));
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
  if (!HeaderOnly && headerValid_ && !IDATData.empty()) DecodeImage();
}

void TPNGReader::DecodeImage() {
  if (!headerValid_) return;
  const uint32_t depth = BitDepth;
  const Layout lay = LayoutOf(ColorType, depth);
  const bool interlaced = InterlaceMethod == 1;
  const auto passes = interlaced ? std::span<const Pass>(kAdam7) : std::span<const Pass>(&kSinglePass, 1);

  // The rows with their filter bytes, as the image data must inflate to.
  int64_t expected = 0;
  for (const Pass& p : passes) {
    const uint32_t pw = PassExtent(Width, p.col0, p.colStep), ph = PassExtent(Height, p.row0, p.rowStep);
    if (pw && ph) expected += int64_t(ph) * (RowBytes(pw, lay.channels, depth) + 1);
  }
  // A picture its data could never fill is not taken, whether decoded here or handed on: a few
  // hundred bytes do not make millions of rows, missing or not.
  if (expected > kMaxInflateRatio * int64_t(IDATData.size()) + kInflateSlack) return;

  PassThrough = !(ColorType == 4 || ColorType == 6 || interlaced || (Reduce16BitImage && depth == 16));
  ImageBitsPerComponent = depth;
  AlphaBitsPerComponent = depth;
  if (PassThrough) {
    // The zlib stream with its per-row filter bytes goes on unchanged; it is not kept twice.
    ImageData = std::move(IDATData);
    IDATData.clear();
    return;
  }
  IDATData = FlateDecompressString(IDATData, expected);

  const int64_t colourRow = RowBytes(Width, lay.colour, depth);
  const int64_t alphaRow = int64_t(lay.alpha) * Width * depth / 8;
  ImageData.assign(size_t(colourRow * Height), '\0');
  AlphaData.assign(size_t(alphaRow * Height), '\0');
  auto* image = reinterpret_cast<uint8_t*>(ImageData.data());
  auto* alpha = reinterpret_cast<uint8_t*>(AlphaData.data());
  const int colourBytes = lay.colour * int(depth) / 8;
  const int alphaBytes = lay.alpha * int(depth) / 8;
  const int pixelBytes = colourBytes + alphaBytes;

  const auto* in = reinterpret_cast<const uint8_t*>(IDATData.data());
  const int64_t inSize = int64_t(IDATData.size());
  int64_t pos = 0;
  std::vector<uint8_t> row, prev;
  for (const Pass& p : passes) {
    const uint32_t pw = PassExtent(Width, p.col0, p.colStep), ph = PassExtent(Height, p.row0, p.rowStep);
    if (pw == 0 || ph == 0) continue;
    const int64_t len = RowBytes(pw, lay.channels, depth);
    prev.assign(size_t(len), 0);
    row.resize(size_t(len));
    for (uint32_t k = 0; k < ph; ++k) {
      uint8_t filter = 0;
      if (pos + 1 + len <= inSize) {
        filter = in[pos];
        std::memcpy(row.data(), in + pos + 1, size_t(len));
      } else {
        std::fill(row.begin(), row.end(), uint8_t{255});  // missing rows come out white
      }
      pos += len + 1;
      Unfilter(filter, row.data(), prev.data(), len, lay.bpp);
      const int64_t y = int64_t(p.row0) + int64_t(k) * p.rowStep;
      uint8_t* outRow = image + y * colourRow;
      if (!interlaced && lay.alpha == 0) {
        std::memcpy(outRow, row.data(), size_t(len));
      } else if (depth < 8) {
        const uint32_t mask = (1u << depth) - 1;
        for (uint32_t i = 0; i < pw; ++i) {
          const uint64_t srcBit = uint64_t(i) * depth;
          const uint32_t sample = (row[srcBit / 8] >> (8 - depth - srcBit % 8)) & mask;
          const uint64_t dstBit = (uint64_t(p.col0) + uint64_t(i) * p.colStep) * depth;
          outRow[dstBit / 8] |= uint8_t(sample << (8 - depth - dstBit % 8));
        }
      } else {
        uint8_t* alphaRowOut = alpha + y * alphaRow;
        for (uint32_t i = 0; i < pw; ++i) {
          const uint64_t x = uint64_t(p.col0) + uint64_t(i) * p.colStep;
          const uint8_t* src = row.data() + int64_t(i) * pixelBytes;
          std::memcpy(outRow + x * colourBytes, src, size_t(colourBytes));
          if (alphaBytes) std::memcpy(alphaRowOut + x * alphaBytes, src + colourBytes, size_t(alphaBytes));
        }
      }
      std::swap(row, prev);
    }
  }
  if (Reduce16BitImage && ImageBitsPerComponent == 16) {
    ReduceTo8Bits(ImageData);
    ImageBitsPerComponent = 8;
  }
  auto encode = [this](const std::string& d) { return StoreDecoded ? FlateStoreString(d) : FlateCompressString(d); };
  ImageData = encode(ImageData);
  if (Reduce16BitAlpha && AlphaBitsPerComponent == 16) {
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
