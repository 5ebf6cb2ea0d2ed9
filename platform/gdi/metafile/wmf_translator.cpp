#include "platform/gdi/metafile/wmf_translator.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/gdi/graphics_errors.h"
#include "platform/gdi/metafile/emf_reader.h"
#include "platform/gdi/metafile/emf_writer.h"
#include "platform/gdi/metafile/wmf_records.h"

namespace {

[[noreturn]] void NotAWmf() { throw EInvalidGraphic("Metafile is not valid"); }

// The reference device of translated pictures: 96 pixels per inch exactly.
constexpr SIZEL kDevicePixels{1920, 1440};
constexpr SIZEL kDeviceMillimetres{508, 381};

uint16_t Le16(std::span<const uint8_t> b, size_t off) {
  return off + 2 <= b.size() ? uint16_t(b[off] | (b[off + 1] << 8)) : 0;
}
uint32_t Le32(std::span<const uint8_t> b, size_t off) { return uint32_t(Le16(b, off)) | (uint32_t(Le16(b, off + 2)) << 16); }

// Where WMF records start, after checking the 18-byte header.
size_t RecordsStart(std::span<const uint8_t> wmf) {
  if (wmf.size() < 18) NotAWmf();
  const uint16_t type = Le16(wmf, 0), headerWords = Le16(wmf, 2), version = Le16(wmf, 4);
  if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0100 && version != 0x0300)) NotAWmf();
  return 18;
}

}  // namespace

bool ReadPlaceableWmfHeader(std::span<const uint8_t> file, PlaceableWmfHeader& h) {
  if (file.size() < kPlaceableHeaderSize || Le32(file, 0) != kPlaceableWmfKey) return false;
  h.left = int16_t(Le16(file, 6));
  h.top = int16_t(Le16(file, 8));
  h.right = int16_t(Le16(file, 10));
  h.bottom = int16_t(Le16(file, 12));
  h.inch = Le16(file, 14);
  uint16_t sum = 0;
  for (size_t i = 0; i < 10; ++i) sum ^= Le16(file, 2 * i);
  h.checksumOk = sum == Le16(file, 20);
  return true;
}

RECT PlaceableFrame(const PlaceableWmfHeader& h) {
  const int64_t inch = h.inch ? h.inch : kDefaultWmfInch;
  const int64_t w = std::abs(int64_t(h.right) - h.left), hh = std::abs(int64_t(h.bottom) - h.top);
  return RECT{0, 0, int32_t((w * 2540 + inch / 2) / inch), int32_t((hh * 2540 + inch / 2) / inch)};
}

std::vector<uint8_t> TranslatePlaceableWmf(std::span<const uint8_t> file) {
  PlaceableWmfHeader h;
  if (!ReadPlaceableWmfHeader(file, h) || !h.checksumOk) NotAWmf();
  const RECT window{std::min(h.left, h.right), std::min(h.top, h.bottom), std::max(h.left, h.right),
                    std::max(h.top, h.bottom)};
  return TranslateWmf(file.subspan(kPlaceableHeaderSize), window, PlaceableFrame(h));
}

RECT WmfDeclaredWindow(std::span<const uint8_t> wmf) {
  RECT r{};
  size_t pos;
  try {
    pos = RecordsStart(wmf);
  } catch (const EInvalidGraphic&) {
    return r;
  }
  bool org = false, ext = false;
  // Only the records before the first drawing matter; a bounded scan is enough.
  for (int n = 0; n < 4096 && pos + 6 <= wmf.size() && !(org && ext); ++n) {
    const uint64_t words = Le32(wmf, pos);
    const uint16_t function = Le16(wmf, pos + 4);
    if (words < 3 || words * 2 > wmf.size() - pos || function == META_EOF) break;
    if (function == META_SETWINDOWORG && words >= 5) {
      r.top = int16_t(Le16(wmf, pos + 6));
      r.left = int16_t(Le16(wmf, pos + 8));
      org = true;
    } else if (function == META_SETWINDOWEXT && words >= 5) {
      r.bottom = r.top + int16_t(Le16(wmf, pos + 6));
      r.right = r.left + int16_t(Le16(wmf, pos + 8));
      ext = true;
    }
    pos += size_t(words * 2);
  }
  return ext ? r : RECT{};
}

std::vector<uint8_t> TranslateWmf(std::span<const uint8_t> wmf, const RECT& window, const RECT& frame) {
  const size_t start = RecordsStart(wmf);
  const uint16_t objects = Le16(wmf, 10);
  // Device pixels of the frame at the reference device's 96 dpi; never 0 so that the mapping
  // stays defined for a picture without area.
  const int32_t vpW = std::max<int32_t>(1, int32_t(std::lround(double(frame.right - frame.left) * 96 / 2540)));
  const int32_t vpH = std::max<int32_t>(1, int32_t(std::lround(double(frame.bottom - frame.top) * 96 / 2540)));
  EmfWriter out(RECTL{0, 0, vpW - 1, vpH - 1}, frame, kDevicePixels, kDeviceMillimetres);
  WmfTranslation t(out, objects);
  t.Begin(window, SIZE{vpW, vpH});
  size_t pos = start;
  while (pos + 6 <= wmf.size()) {
    const uint64_t words = Le32(wmf, pos);
    const uint16_t function = Le16(wmf, pos + 4);
    // A record whose size cannot be believed ends the picture: the next one cannot be found.
    if (words < 3 || words * 2 > wmf.size() - pos) break;
    if (function == META_EOF) break;
    t.Record(WmfRecord{function, wmf.subspan(pos + 6, size_t(words * 2 - 6))});
    pos += size_t(words * 2);
    if (t.OutputSize() > kMaxMetafileBytes / 2) break;
  }
  return out.Finish(uint16_t(std::min<uint32_t>(uint32_t(objects) + 1, 0xFFFF)));
}
