#include <algorithm>
#include "pdf/content/image_import/jpeg_header.h"

#include <cmath>
#include <optional>

#include "platform/rtl/numbers.h"

namespace {

// Bounded big-endian reads over a byte range.
class Reader {
 public:
  explicit Reader(std::string_view d) : d_(d) {}
  size_t Pos() const { return pos_; }
  size_t Left() const { return d_.size() - pos_; }
  void Skip(size_t n) { pos_ += std::min(n, Left()); }
  std::optional<uint8_t> Byte() {
    if (Left() < 1) return std::nullopt;
    return uint8_t(d_[pos_++]);
  }
  std::optional<uint16_t> Word() {
    if (Left() < 2) return std::nullopt;
    const uint16_t v = uint16_t((uint8_t(d_[pos_]) << 8) | uint8_t(d_[pos_ + 1]));
    pos_ += 2;
    return v;
  }
  std::string_view Take(size_t n) {
    const std::string_view s = d_.substr(pos_, n);
    pos_ += s.size();
    return s;
  }

 private:
  std::string_view d_;
  size_t pos_ = 0;
};

// TIFF data inside an Exif segment, in its own byte order; reads outside the data give 0.
class TiffData {
 public:
  explicit TiffData(std::string_view d) : d_(d), little_(d.starts_with("II")) {}
  bool Valid() const { return (d_.starts_with("II") || d_.starts_with("MM")) && U16(2) == 42; }
  uint16_t U16(uint64_t at) const {
    if (at + 2 > d_.size()) return 0;
    const uint8_t a = uint8_t(d_[at]), b = uint8_t(d_[at + 1]);
    return little_ ? uint16_t(a | (b << 8)) : uint16_t((a << 8) | b);
  }
  uint32_t U32(uint64_t at) const {
    const uint32_t a = U16(at), b = U16(at + 2);
    return little_ ? a | (b << 16) : (a << 16) | b;
  }
  uint64_t Size() const { return d_.size(); }

 private:
  std::string_view d_;
  bool little_;
};

// X and Y resolution of the first directory, in dots per inch; 0 for one it does not give.
void ExifResolution(std::string_view tiff, int32_t& x, int32_t& y) {
  x = y = 0;
  const TiffData t(tiff);
  if (!t.Valid()) return;
  const uint64_t ifd = t.U32(4);
  if (ifd + 2 > t.Size()) return;
  const uint32_t count = t.U16(ifd);
  double rx = 0, ry = 0;
  int unit = 2;
  // Entries that lie beyond the data are not read: the count cannot make the loop run long.
  for (uint64_t i = 0; i < count && ifd + 2 + 12 * (i + 1) <= t.Size(); ++i) {
    const uint64_t e = ifd + 2 + 12 * i;
    const uint16_t tag = t.U16(e), type = t.U16(e + 2);
    if ((tag == 282 || tag == 283) && (type == 5 || type == 10) && t.U32(e + 4) >= 1) {
      const uint64_t at = t.U32(e + 8);
      const uint32_t num = t.U32(at), den = t.U32(at + 4);
      double v = 0;
      if (at + 8 <= t.Size() && den != 0) {
        v = type == 10 ? double(int32_t(num)) / double(int32_t(den)) : double(num) / double(den);
      }
      (tag == 282 ? rx : ry) = v;
    } else if (tag == 296 && type == 3) {
      unit = t.U16(e + 8);
    }
  }
  const double scale = unit == 3 ? 2.54 : 1.0;  // centimetres to inches
  auto toInt = [](double v) {
    if (!(v > 0)) return int32_t(0);
    return int32_t(RoundHalfEven(std::min(v, 2147483647.0)));
  };
  x = toInt(rx * scale);
  y = toInt(ry * scale);
}

void ReadApplicationSegment(uint8_t code, std::string_view seg, TJPEGHeaderInfo& info) {
  if (code == 0xE0 && seg.starts_with(std::string_view("JFIF\0", 5))) {
    if (seg.size() < 12) return;
    Reader r(seg);
    r.Skip(7);  // identifier and version
    info.Unit = *r.Byte();
    info.XDensity = *r.Word();
    info.YDensity = *r.Word();
  } else if (code == 0xE1 && seg.starts_with(std::string_view("Exif\0", 5))) {
    // Only a JFIF header that gave no unit lets the Exif resolution in, as dots per inch (0
    // where the directory has none).
    int32_t x = 0, y = 0;
    if (info.Unit == 0) {
      if (seg.size() > 6) ExifResolution(seg.substr(6), x, y);
      info.Unit = 1;
      info.XDensity = x;
      info.YDensity = y;
    }
  }
}

}  // namespace

void ParseJPEGHeader(std::string_view data, TJPEGHeaderInfo& info) {
  info = TJPEGHeaderInfo{};
  if (!data.starts_with("\xFF\xD8")) return;
  Reader r(data);
  r.Skip(2);
  // Every pass consumes at least one byte and nothing seeks backwards.
  for (;;) {
    auto b = r.Byte();
    if (!b || *b != 0xFF) return;
    auto code = r.Byte();
    while (code && *code == 0xFF) code = r.Byte();
    if (!code) return;
    if (*code == 0x01 || (*code >= 0xD0 && *code <= 0xD7)) continue;
    if (*code >= 0xC0 && *code <= 0xC3) {
      if (r.Left() < 8) return;
      r.Skip(2);
      info.Frame = *code;
      info.Precision = *r.Byte();
      info.Height = *r.Word();
      info.Width = *r.Word();
      info.Components = *r.Byte();
      return;
    }
    const auto length = r.Word();
    if (!length || *length < 2 || *length - 2u > r.Left()) return;
    const std::string_view seg = r.Take(*length - 2u);
    if (*code == 0xE0 || *code == 0xE1) ReadApplicationSegment(*code, seg, info);
    if (*code == 0xEE && seg.starts_with("Adobe")) info.Adobe = true;
  }
}

void ReadJPEGHeader(TStream& stream, TJPEGHeaderInfo& info) {
  stream.SetPosition(0);
  ParseJPEGHeader(stream.ReadToEnd(), info);
}

bool JPEGEmbeddable(const TJPEGHeaderInfo& info) {
  return info.Width > 0 && info.Height > 0 && info.Precision == 8 && info.Frame != 0xC3 &&
         (info.Components == 1 || info.Components == 3 || info.Components == 4);
}

bool JPEGSizeBackedByData(const TJPEGHeaderInfo& info, int64_t bytes) {
  // Huffman coding gives every 8 x 8 block of the fullest component at least one bit: no
  // more than 512 pixels a byte. Beyond an allowance at least a quarter of the picture must be
  // within that (a file cut short still counts); a few hundred bytes do not make a picture of
  // hundreds of millions of pixels.
  constexpr int64_t kPixelsPerByte = 512;
  constexpr int64_t kAllowance = int64_t(4) << 20;
  const int64_t pixels = int64_t(info.Width) * info.Height;
  return pixels <= kAllowance || pixels / 4 <= kPixelsPerByte * std::max<int64_t>(bytes, 0);
}
