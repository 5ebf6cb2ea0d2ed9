// A small writer of TIFF files for the tests: directories of entries with values, laid out by
// hand so that a test can also write what no sound writer would (loops, offsets past the end,
// absurd counts). And the pixels of a bitmap as RGB bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/bitmap.h"

namespace tifftest {

struct Entry {
  uint16_t tag = 0, type = 0;
  std::vector<uint32_t> values;  // for types 1, 3, 4 (and 7: bytes)
  std::string bytes;             // for type 7 or 2 when set
  uint32_t count = 0;            // when set: written instead of the number of values
  uint32_t offset = 0;           // when set: written instead of the place of the values
  bool raw = false;              // write count and offset exactly as given
};

class Builder {
 public:
  explicit Builder(bool big = false) : big_(big) {
    out_ = big ? "MM" : "II";
    Put(42, 2);
    Put(0, 4);  // first directory, patched
  }
  // Appends data; returns its offset.
  uint32_t Data(const std::string& bytes) {
    const uint32_t at = uint32_t(out_.size());
    out_ += bytes;
    return at;
  }
  // Writes a directory (entries sorted by the caller) and returns its offset. Its next-offset
  // field is at the returned offset + 2 + 12 * entries.
  uint32_t Directory(const std::vector<Entry>& entries, uint32_t next = 0) {
    // Values that do not fit into the entry go first.
    std::vector<uint32_t> places;
    for (const Entry& e : entries) {
      const std::string v = Values(e);
      places.push_back(v.size() > 4 && !e.raw ? Data(v) : 0);
      if (out_.size() % 2) out_ += '\0';
    }
    const uint32_t at = uint32_t(out_.size());
    Put(uint32_t(entries.size()), 2);
    for (size_t i = 0; i < entries.size(); ++i) {
      const Entry& e = entries[i];
      const std::string v = Values(e);
      Put(e.tag, 2);
      Put(e.type, 2);
      const uint32_t size = e.type == 3 ? 2 : e.type == 4 ? 4 : 1;
      Put(e.count ? e.count : e.raw ? 0 : uint32_t(v.size() / size), 4);
      if (e.raw || e.offset) {
        Put(e.offset, 4);
      } else if (v.size() > 4) {
        Put(places[i], 4);
      } else {
        out_ += v + std::string(4 - v.size(), '\0');
      }
    }
    Put(next, 4);
    return at;
  }
  void SetFirst(uint32_t offset) { Patch(4, offset); }
  void Patch(uint32_t at, uint32_t v) {
    std::string s;
    std::swap(s, out_);
    out_ = s.substr(0, at);
    Put(v, 4);
    out_ += s.substr(at + 4);
  }
  const std::string& bytes() const { return out_; }

  static Entry Make(uint16_t tag, uint16_t type, std::vector<uint32_t> v, std::string b = {}) {
    Entry e;
    e.tag = tag;
    e.type = type;
    e.values = std::move(v);
    e.bytes = std::move(b);
    return e;
  }
  static Entry Short(uint16_t tag, std::vector<uint32_t> v) { return Make(tag, 3, std::move(v)); }
  static Entry Long(uint16_t tag, std::vector<uint32_t> v) { return Make(tag, 4, std::move(v)); }
  static Entry Undefined(uint16_t tag, std::string b) { return Make(tag, 7, {}, std::move(b)); }

 private:
  std::string Values(const Entry& e) const {
    if (!e.bytes.empty()) return e.bytes;
    std::string s;
    const int size = e.type == 3 ? 2 : e.type == 4 ? 4 : 1;
    for (uint32_t v : e.values) Append(s, v, size);
    return s;
  }
  void Append(std::string& s, uint32_t v, int size) const {
    for (int i = 0; i < size; ++i) {
      const int shift = big_ ? 8 * (size - 1 - i) : 8 * i;
      s += char((v >> shift) & 0xFF);
    }
  }
  void Put(uint32_t v, int size) { Append(out_, v, size); }

  bool big_;
  std::string out_;
};

// A one-strip uncompressed little-endian TIFF of the given samples.
inline std::string PlainTIFF(uint32_t w, uint32_t h, uint32_t bits, uint32_t samples, uint32_t photometric,
                             const std::string& data) {
  Builder b;
  const uint32_t at = b.Data(data);
  b.SetFirst(b.Directory({Builder::Long(256, {w}), Builder::Long(257, {h}),
                          Builder::Short(258, std::vector<uint32_t>(samples, bits)), Builder::Short(259, {1}),
                          Builder::Short(262, {photometric}), Builder::Long(273, {at}), Builder::Short(277, {samples}),
                          Builder::Long(278, {h}), Builder::Long(279, {uint32_t(data.size())})}));
  return b.bytes();
}

// The bitmap's pixels as RGB bytes, rows top-down (any depth; through its colour table).
inline std::string BitmapRGB(TBitmap& bitmap) {
  std::string rgb;
  const GdiBitmap& dib = bitmap.Dib();
  rgb.reserve(size_t(dib.Width()) * dib.Height() * 3);
  for (int y = 0; y < dib.Height(); ++y)
    for (int x = 0; x < dib.Width(); ++x) {
      const COLORREF c = dib.GetColor(x, y);
      rgb += char(c & 0xFF);
      rgb += char((c >> 8) & 0xFF);
      rgb += char((c >> 16) & 0xFF);
    }
  return rgb;
}

// The first position where two byte strings of RGB pixels differ by more than Tolerance, as
// "x,y" for an image Width pixels wide; empty when they agree.
inline std::string FirstDifference(const std::string& a, const std::string& b, int width, int tolerance = 0) {
  if (a.size() != b.size()) return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    const int d = int(uint8_t(a[i])) - int(uint8_t(b[i]));
    if (d > tolerance || -d > tolerance) {
      const size_t p = i / 3;
      return std::to_string(p % size_t(width)) + "," + std::to_string(p / size_t(width)) + ": " +
             std::to_string(uint8_t(a[i])) + " vs " + std::to_string(uint8_t(b[i]));
    }
  }
  return {};
}

}  // namespace tifftest
