// Fuzz entry point: a file of any type through the image import (type detection, JPEG marker
// scan, BMP and PNG reading, the XObject writers) with a few of its options.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "pdf/content/image_import/pdf_image.h"
#include "pdf/core/objects/pdf_objects.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // -1 draws a BMP through the canvas (plain GDI here: no GDI+ provider is named).
  for (int options : {0, 1, 5, 7, -1}) {
    TPDFStructure store;
    int next = 1;
    store.OnMakeIndirect = [&next](TPDFObject* obj, int& num, int& gen) {
      num = next++;
      gen = 0;
      obj->SetObjectNumber(num, gen);
    };
    TPDFImage image(&store, "n");
    image.GDIPlusSettings.LibraryPath = u"/nonexistent/provider.so";
    image.Compression = options == 1 ? 1 : 0;
    TMemoryStream stream(bytes);
    const bool loaded = image.LoadFromStream(stream, options);
    if (loaded && (image.Dict == nullptr || image.Ref == nullptr || image.Width <= 0 || image.Height <= 0))
      std::abort();
    if (!loaded) continue;
    std::string text;
    image.Dict->WriteToString(text);
    image.SetColorKeyMask(0.1, 0.2, 0.3, 0.4, 0.5, 0.6);
    image.GetMaskKind();
  }
  return 0;
}
