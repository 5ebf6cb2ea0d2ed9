// Fuzz entry point: EMF bytes through the record reader, every record's bitmap through the DIB
// decoder, and the whole picture played onto a small surface.
#include <cstdint>
#include <span>

#include "fuzz/support/emf_fuzz.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/metafile/emf_dib.h"

namespace {

void TryDib(const ENHMETARECORD& r, uint32_t at) {
  try {
    DecodeRecordDib24(r, r.U32(at), r.U32(at + 4), r.U32(at + 8), r.U32(at + 12), r.U32(at - 4));
  } catch (const std::exception&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto doc = ParseFuzzEmf(data, size);
  if (!doc) return 0;
  for (size_t i = 0; i < doc->Records().size(); ++i) {
    const ENHMETARECORD r = doc->Record(i);
    if (r.iType == EMR_BITBLT || r.iType == EMR_STRETCHBLT || r.iType == EMR_ALPHABLEND ||
        r.iType == EMR_TRANSPARENTBLT || r.iType == EMR_MASKBLT)
      TryDib(r, 84);
    if (r.iType == EMR_STRETCHDIBITS || r.iType == EMR_SETDIBITSTODEVICE) TryDib(r, 48);
  }
  auto bmp = std::make_shared<GdiBitmap>(64, 48, 24);
  HBITMAP hb = static_cast<HBITMAP>(RegisterGdiObject(bmp));
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, hb);
  PlayFuzzEmf(dc, *doc);
  DeleteDC(dc);
  DeleteObject(hb);
  return 0;
}
