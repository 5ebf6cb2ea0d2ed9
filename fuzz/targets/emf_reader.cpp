// Fuzz entry point: EMF bytes through the record reader, every record's bitmap through the DIB
// decoder, and the whole picture played onto a small surface.
#include <cstdint>
#include <span>

#include "platform/gdi/dc.h"
#include "platform/gdi/metafile/emf_dib.h"
#include "platform/gdi/metafile/emf_reader.h"
#include "platform/gdi/metafile/enh_metafile.h"

namespace {

void TryDib(const ENHMETARECORD& r, uint32_t at) {
  try {
    DecodeRecordDib24(r, r.U32(at), r.U32(at + 4), r.U32(at + 8), r.U32(at + 12), r.U32(at - 4));
  } catch (const std::exception&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::shared_ptr<const EmfDocument> doc;
  try {
    doc = EmfDocument::Parse(std::span<const uint8_t>(data, size));
  } catch (const std::exception&) {
    return 0;
  }
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
  const auto bytes = doc->Bytes();
  HENHMETAFILE h = SetEnhMetaFileBits(UINT(bytes.size()), bytes.data());
  const RECT dest{0, 0, 64, 48};
  PlayEnhMetaFile(dc, h, &dest);
  DeleteEnhMetaFile(h);
  DeleteDC(dc);
  DeleteObject(hb);
  return 0;
}
