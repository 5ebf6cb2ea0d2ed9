#include <algorithm>
#include <cmath>
#include <cstring>

#include "pdf/codecs/image_decoder/decoder_internal.h"
#include "pdf/codecs/png/png_common.h"
#include "pdf/codecs/png/png_writer.h"
#include "pdf/core/filters/flate.h"
#include "pdf/core/object_parser.h"
#include "platform/gdi/bitmap.h"
#include "platform/rtl/numbers.h"

namespace imgdec {

bool ImageSizeAccepted(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxImagePixels / height;
}

int ComponentsOf(std::string_view colorSpace, int deviceNComponents) {
  if (colorSpace == "DeviceRGB" || colorSpace == "Lab") return 3;
  if (colorSpace == "DeviceCMYK") return 4;
  if (colorSpace == "DeviceN") return std::max(deviceNComponents, 1);
  return 1;
}

bool UnpackableDepth(int bitsPerComponent) {
  return bitsPerComponent == 1 || bitsPerComponent == 2 || bitsPerComponent == 4 || bitsPerComponent == 8 ||
         bitsPerComponent == 16;
}

int64_t RowBytesFor(int64_t width, int components, int bitsPerComponent) {
  if (width <= 0) return 0;
  switch (bitsPerComponent) {
    case 1:
    case 2:
    case 4:
      return (width * components * bitsPerComponent + 7) / 8;
    case 8:
      return width * components;
    case 16:
      return width * components * 2;
    default:
      return width;
  }
}

std::vector<double> ParseNumberArray(std::string_view text) {
  std::vector<double> numbers;
  size_t i = 0;
  auto blank = [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; };
  while (i < text.size() && blank(text[i])) ++i;
  if (i >= text.size() || text[i] != '[') return {};
  ++i;
  while (i < text.size()) {
    while (i < text.size() && blank(text[i])) ++i;
    if (i >= text.size()) return {};
    if (text[i] == ']') return numbers;
    size_t j = i;
    while (j < text.size() && !blank(text[j]) && text[j] != ']') ++j;
    const std::string_view token = text.substr(i, j - i);
    if (!IsPDFNumberText(token)) return {};
    numbers.push_back(ParsePDFNumber(token));
    i = j;
  }
  return {};
}

bool DecodeStartsInverted(std::string_view decode) { return decode.starts_with("[ 1 0"); }

uint8_t ComponentByte(double x) {
  if (!(x > 0)) return 0;
  if (x >= 1) return 255;
  // RoundHalfEven worked out here for 0 < v < 255, where it is asked for every pixel of a CMYK
  // picture: the same byte without a call.
  const double v = x * 255;
  const int whole = int(v);
  const double diff = v - whole;
  return uint8_t(diff < 0.5 ? whole : diff > 0.5 ? whole + 1 : whole + (whole & 1));
}

void SamplesToBGR(const uint8_t* samples, uint8_t* pixels, int64_t width, bool grey) {
  if (grey) {
    for (int64_t x = 0; x < width; ++x, pixels += 3) pixels[0] = pixels[1] = pixels[2] = samples[x];
    return;
  }
  for (int64_t x = 0; x < width; ++x, samples += 3, pixels += 3) {
    pixels[0] = samples[2];
    pixels[1] = samples[1];
    pixels[2] = samples[0];
  }
}

std::pair<double, double> DecodePair(const std::vector<double>& decode, int c, int components) {
  if (int(decode.size()) < 2 * components) return {0.0, 1.0};
  return {decode[size_t(2 * c)], decode[size_t(2 * c + 1)]};
}

TByteTable DecodeTable(double low, double high) {
  TByteTable t{};
  // The default range gives every byte back (v / 255 * 255 rounds to v): made without a
  // rounding per entry, as every strip of a picture asks for it.
  if (low == 0 && high == 1) {
    for (int v = 0; v < 256; ++v) t[size_t(v)] = uint8_t(v);
    return t;
  }
  for (int v = 0; v < 256; ++v) t[size_t(v)] = ComponentByte(low + (high - low) * v / 255.0);
  return t;
}

bool IsIdentity(const TByteTable& table) {
  for (int v = 0; v < 256; ++v)
    if (table[size_t(v)] != v) return false;
  return true;
}

namespace {

void BigEndian32(std::string& out, uint32_t v) {
  out += char(v >> 24);
  out += char(v >> 16);
  out += char(v >> 8);
  out += char(v);
}

}  // namespace

std::string TwoColourPNG(int32_t width, int32_t height, const uint8_t* rows, int64_t rowBytes, COLORREF entry0,
                         COLORREF entry1) {
  const int64_t pngRow = (int64_t(width) + 7) / 8;
  std::string raw(size_t((pngRow + 1) * height), '\0');
  for (int64_t y = 0; y < height; ++y)
    std::memcpy(raw.data() + y * (pngRow + 1) + 1, rows + y * rowBytes, size_t(std::min(pngRow, rowBytes)));
  std::string header;
  BigEndian32(header, uint32_t(width));
  BigEndian32(header, uint32_t(height));
  header += char(1);  // bit depth
  header += char(3);  // palette
  header.append(3, '\0');
  std::string palette;
  for (const COLORREF c : {entry0, entry1}) {
    palette += char(GetRValue(c));
    palette += char(GetGValue(c));
    palette += char(GetBValue(c));
  }
  TMemoryStream out;
  out.WriteString(kPNGSignature);
  TPNGWriter::WriteChunk(out, "IHDR", header);
  TPNGWriter::WriteChunk(out, "PLTE", palette);
  TPNGWriter::WriteChunk(out, "IDAT", FlateStoreString(raw));
  TPNGWriter::WriteChunk(out, "IEND", {});
  return out.DataString();
}

std::pair<int32_t, int32_t> MaskMeetingSize(int32_t imageWidth, int32_t imageHeight, int32_t maskWidth,
                                            int32_t maskHeight) {
  const int64_t imageArea = int64_t{imageWidth} * imageHeight, maskArea = int64_t{maskWidth} * maskHeight;
  const int32_t w = std::max(imageWidth, maskWidth), h = std::max(imageHeight, maskHeight);
  // Memory follows the pixels the two hold, not the product of sides taken from each.
  if (int64_t{w} * h <= 4 * std::max(imageArea, maskArea)) return {w, h};
  return imageArea >= maskArea ? std::pair{imageWidth, imageHeight} : std::pair{maskWidth, maskHeight};
}

void FillWithItsPixel(TBitmap& bitmap, int32_t width, int32_t height) {
  bitmap.SetPixelFormat(pf24bit);
  uint8_t pixel[3];
  std::memcpy(pixel, bitmap.ScanLine(0), 3);
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(width, height);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = target.ScanLine(y);
    for (int32_t x = 0; x < width; ++x) std::memcpy(row + 3 * x, pixel, 3);
  }
  bitmap.Dib().TakeFrom(target.Dib());
}

}  // namespace imgdec
