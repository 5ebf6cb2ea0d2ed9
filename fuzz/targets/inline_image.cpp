// Inline-image entry point: the content text is parsed image after image from its start (each
// "BI" found), and images of a modest size are decoded.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "pdf/codecs/image_decoder/image_decoder.h"
#include "pdf/core/objects/pdf_objects.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TPDFStructure store;
  auto* resources = static_cast<TPDFDictionary*>(store.ParseObject(
      "<< /ColorSpace << /P [ /Indexed /DeviceRGB 3 <FF000000FF000000FFFFFFFF> ] /Q [ /Indexed1 /DeviceRGB 1 "
      "(ab) ] /C /DeviceCMYK >> >>"));
  size_t from = 0;
  for (int images = 0; images < 16; ++images) {
    const size_t bi = text.find("BI", from);
    if (bi == std::string_view::npos) break;
    int32_t position = int32_t(bi + 3);
    TPDFInlineImage image;
    if (ParseInlineImage(text, position, image, resources, nullptr)) {
      // The end lies after the dictionary and within the text.
      if (position <= int32_t(bi + 2) || size_t(position) > size + 1) std::abort();
      // The data are cut out of the text, or (a table-expanded image) at most six bytes for
      // each byte or sample there.
      const uint64_t samples = uint64_t(std::max(image.Width, 0)) * uint64_t(std::max(image.Height, 0));
      if (image.Data.size() > 6 * (size + std::min<uint64_t>(samples, uint64_t(1) << 32) + 4)) std::abort();
      if (int64_t(image.Width) * image.Height <= 1 << 16) {
        TPDFImageDecoder decoder;
        decoder.SetInlineImage(image, &store);
      }
      from = size_t(position - 1);
    } else {
      from = bi + 2;
    }
  }
  return 0;
}
