#include "pdf/codecs/jpeg2000/jpeg2000_layout.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr std::array<uint8_t, 8> kJP2Signature = {0x00, 0x00, 0x00, 0x0C, 0x6A, 0x50, 0x20, 0x20};
constexpr uint32_t kBoxHeader = 0x6A703268;     // "jp2h"
constexpr uint32_t kBoxCodestream = 0x6A703263;  // "jp2c"
constexpr uint32_t kBoxChannels = 0x63646566;    // "cdef"
constexpr uint16_t kSOC = 0xFF4F, kSIZ = 0xFF51, kSOT = 0xFF90, kEOC = 0xFFD9;
// Rsiz, eight sizes and offsets, Csiz: the fields before the components.
constexpr int kSIZFixedBytes = 36;

// Big-endian reads of a span; the caller has checked the range.
uint32_t Be16(std::span<const uint8_t> d, int64_t at) { return uint32_t(d[size_t(at)]) << 8 | d[size_t(at) + 1]; }
uint32_t Be32(std::span<const uint8_t> d, int64_t at) { return Be16(d, at) << 16 | Be16(d, at + 2); }
uint64_t Be64(std::span<const uint8_t> d, int64_t at) { return uint64_t(Be32(d, at)) << 32 | Be32(d, at + 4); }

int64_t CeilDiv(int64_t a, int64_t b) { return (a + b - 1) / b; }

// Products of stated sizes, held far below overflow: anything this large is refused anyway.
constexpr int64_t kHuge = int64_t{1} << 40;
int64_t CappedProduct(int64_t a, int64_t b) { return a > 0 && b > kHuge / a ? kHuge : a * b; }

// One box of a JP2 file: its type, where its content starts and where the box ends. A box
// whose length runs past the data ends with the data; Open is set when the length was 0
// ("to the end") or too long, so that the end was not stated.
struct Box {
  uint32_t Type = 0;
  int64_t Content = 0, End = 0;
  bool Open = false;
};

bool ReadBox(std::span<const uint8_t> d, int64_t at, int64_t limit, Box& box) {
  if (limit - at < 8) return false;
  uint64_t length = Be32(d, at);
  box.Type = Be32(d, at + 4);
  int64_t header = 8;
  if (length == 1) {
    if (limit - at < 16) return false;
    length = Be64(d, at + 8);
    header = 16;
  }
  box.Content = at + header;
  box.Open = length == 0 || length > uint64_t(limit - at);
  if (!box.Open && length < uint64_t(header)) return false;
  box.End = box.Open ? limit : at + int64_t(length);
  return true;
}

TJpeg2000Header ReadSIZ(std::span<const uint8_t> d, int64_t at, int64_t limit) {
  TJpeg2000Header h;
  if (limit - at < 4 + kSIZFixedBytes || Be16(d, at) != kSIZ) return h;
  const int64_t body = at + 4;
  const int64_t xsiz = Be32(d, body + 2), ysiz = Be32(d, body + 6);
  const int64_t x0 = Be32(d, body + 10), y0 = Be32(d, body + 14);
  const int64_t tw = Be32(d, body + 18), th = Be32(d, body + 22);
  const int64_t tx0 = Be32(d, body + 26), ty0 = Be32(d, body + 30);
  const int32_t components = int32_t(Be16(d, body + 34));
  if (xsiz <= x0 || ysiz <= y0 || tw == 0 || th == 0 || tx0 > x0 || ty0 > y0 || tx0 + tw <= x0 || ty0 + th <= y0 ||
      components == 0 || limit - body < kSIZFixedBytes + 3 * int64_t(components))
    return h;
  int64_t samples = 0;
  for (int32_t c = 0; c < components; ++c) {
    const int64_t dx = d[size_t(body + kSIZFixedBytes + 3 * c + 1)];
    const int64_t dy = d[size_t(body + kSIZFixedBytes + 3 * c + 2)];
    if (dx == 0 || dy == 0) return h;
    samples += CappedProduct(CeilDiv(xsiz, dx) - CeilDiv(x0, dx), CeilDiv(ysiz, dy) - CeilDiv(y0, dy));
  }
  h.Width = xsiz - x0;
  h.Height = ysiz - y0;
  h.Components = components;
  h.Tiles = CappedProduct(CeilDiv(xsiz - tx0, tw), CeilDiv(ysiz - ty0, th));
  h.Samples = samples;
  h.Valid = true;
  return h;
}

// Where a codestream starting at `start` ends: after its end-of-codestream marker, else
// after its last whole tile-part; `limit` when that cannot be told (a tile-part that runs
// to the end, or a damaged main header).
int64_t CodestreamEnd(std::span<const uint8_t> d, int64_t start, int64_t limit) {
  int64_t p = start + 2;
  // Main header: marker segments up to the first tile-part.
  while (true) {
    if (limit - p < 4) return limit;
    const uint32_t marker = Be16(d, p);
    if (marker == kSOT) break;
    const uint32_t length = Be16(d, p + 2);
    if ((marker >> 8) != 0xFF || length < 2) return limit;
    p += 2 + length;
  }
  while (limit - p >= 2) {
    const uint32_t marker = Be16(d, p);
    if (marker == kEOC) return p + 2;
    if (marker != kSOT) return p;
    if (limit - p < 12) return limit;
    const int64_t length = Be32(d, p + 6);
    if (length < 12 || length > limit - p) return limit;
    p += length;
  }
  return p;
}

}  // namespace

int Jpeg2000CodecOf(std::span<const uint8_t> data) {
  if (data.size() < 8) return 0;
  if (std::equal(kJP2Signature.begin(), kJP2Signature.end(), data.begin())) return 1;
  if (Be16(data, 0) == kSOC && Be16(data, 2) == kSIZ) return 2;
  return 0;
}

TJpeg2000Layout ReadJpeg2000Layout(std::span<const uint8_t> data) {
  TJpeg2000Layout layout;
  layout.Codec = Jpeg2000CodecOf(data);
  const int64_t size = int64_t(data.size());
  layout.CodestreamEnd = size;
  if (layout.Codec == 0) return layout;
  int64_t limit = size;
  bool endStated = false;
  if (layout.Codec == 1) {
    bool found = false;
    Box box;
    for (int64_t at = 0; !found && ReadBox(data, at, size, box); at = box.End) {
      if (box.Type == kBoxHeader) {
        Box inner;
        for (int64_t in = box.Content; ReadBox(data, in, box.End, inner); in = inner.End)
          if (inner.Type == kBoxChannels) layout.HasChannelDefinitions = true;
      } else if (box.Type == kBoxCodestream) {
        found = true;
        layout.CodestreamStart = box.Content;
        limit = box.End;
        endStated = !box.Open;
      }
      if (box.End <= at) break;
    }
    if (!found) return layout;
  }
  const int64_t start = layout.CodestreamStart;
  if (limit - start < 4 || Be16(data, start) != kSOC) return layout;
  layout.Header = ReadSIZ(data, start + 2, limit);
  layout.CodestreamEnd = endStated ? limit : CodestreamEnd(data, start, limit);
  return layout;
}
