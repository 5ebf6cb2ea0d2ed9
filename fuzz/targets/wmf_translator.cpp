// Fuzz entry point: placeable WMF files through the translator (the placeable checksum is put
// right first, so that the fuzzer reaches the records), the EMF it makes through the reader,
// and the picture played onto a small surface.
#include <cstdint>
#include <span>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/metafile/emf_reader.h"
#include "platform/gdi/metafile/enh_metafile.h"
#include "platform/gdi/metafile/wmf_translator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> file(data, data + size);
  if (file.size() >= kPlaceableHeaderSize) {
    uint16_t sum = 0;
    for (size_t i = 0; i < 20; i += 2) sum ^= uint16_t(file[i] | (file[i + 1] << 8));
    file[20] = uint8_t(sum);
    file[21] = uint8_t(sum >> 8);
  }
  std::vector<uint8_t> emf;
  try {
    emf = TranslatePlaceableWmf(file);
  } catch (const std::exception&) {
    return 0;
  }
  // What the translator makes must always read back as an EMF.
  std::shared_ptr<const EmfDocument> doc = EmfDocument::Parse(emf);
  if (doc->SkippedRecords() != 0 || doc->Truncated()) __builtin_trap();
  auto bmp = std::make_shared<GdiBitmap>(64, 48, 24);
  HBITMAP hb = static_cast<HBITMAP>(RegisterGdiObject(bmp));
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, hb);
  HENHMETAFILE h = SetEnhMetaFileBits(UINT(emf.size()), emf.data());
  const RECT dest{0, 0, 64, 48};
  PlayEnhMetaFile(dc, h, &dest);
  DeleteEnhMetaFile(h);
  DeleteDC(dc);
  DeleteObject(hb);
  return 0;
}
