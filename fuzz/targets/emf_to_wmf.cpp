// Fuzz entry point: EMF bytes through the record reader and converted into a placeable WMF,
// which the WMF translator must read back; the same records recorded again through a metafile
// device context by playing them onto it.
#include <cstdint>
#include <span>

#include "fuzz/support/emf_fuzz.h"
#include "platform/gdi/metafile/emf_to_wmf.h"
#include "platform/gdi/metafile/metafile_dc.h"
#include "platform/gdi/metafile/wmf_translator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto doc = ParseFuzzEmf(data, size);
  if (!doc) return 0;
  const std::vector<uint8_t> wmf = PlaceableWmfFromEmf(*doc, 64, 48, 96);
  try {
    TranslatePlaceableWmf(wmf);
  } catch (const std::exception&) {
    __builtin_trap();  // what we write must read back
  }
  const RECT frame{0, 0, 1693, 1270};
  HDC dc = CreateEnhMetaFileA(nullptr, nullptr, &frame, nullptr);
  PlayFuzzEmf(dc, *doc);
  HENHMETAFILE recorded = CloseEnhMetaFile(dc);
  if (!recorded) __builtin_trap();  // a recording always closes into a metafile
  DeleteEnhMetaFile(recorded);
  return 0;
}
