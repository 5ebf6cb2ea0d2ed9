// Fuzz entry point: content streams through the renderer. The input is up to four parts split
// at lines "%%": the page's content, the content of a form XObject "/X" (which may draw itself
// or "/Y"), the content of a second form "/Y", and a calculator program that is the tint
// transform of the Separation space "/Sep" (and of the special spaces over and under the Indexed
// spaces "/I", "/IS", "/IN", "/SI" and "/SG"). The page renders on the GDI back end, or with cairo
// when the first byte has bit 3 set, or, for odd first bytes, collects its images or (first
// byte 3 modulo 4) its words without drawing; its box and rotation come from the input. Bits 4
// and 5 of the first byte make "/X" an isolated and a knockout transparency group; bit 6 puts
// "/Y" under RunLengthDecode, bit 7 under a filter no reader knows. "/F1" is Helvetica.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/core/objects/pdf_objects.h"
#include "pdf/fonts/font_collection.h"
#include "pdf/render/renderer/renderer.h"

namespace {

std::vector<std::string> Split(std::string_view text) {
  std::vector<std::string> parts;
  for (;;) {
    const size_t at = text.find("\n%%\n");
    if (at == std::string_view::npos || parts.size() == 3) break;
    parts.emplace_back(text.substr(0, at));
    text.remove_prefix(at + 4);
  }
  parts.emplace_back(text);
  parts.resize(4);
  return parts;
}

TPDFStream* Stream(TPDFStructure& store, const std::string& data, const char* dictionary) {
  TPDFStream* stream = store.NewStream(data, false);
  if (auto* dict = PDFCast<TPDFDictionary>(store.ParseObject(dictionary)))
    for (const auto& [key, value] : dict->Pairs()) stream->Dictionary()->SetPair(key, value);
  return stream;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> parts = Split(text);
  TPDFStructure store;
  std::vector<TPDFObject*> objects(8, nullptr);
  store.OnResolve = [&objects](TPDFIndRef&, int number, int) -> TPDFObject* {
    return number >= 1 && number < int(objects.size()) ? objects[size_t(number)] : nullptr;
  };
  const uint8_t first = size > 0 ? data[0] : 0;
  const std::string rotate = std::to_string(int(first % 8) * 45 - 90);
  objects[1] = store.ParseObject("<< /Type /Page /MediaBox [0 0 48 40] /CropBox [4 -3 60 33] /Rotate " + rotate +
                                 " /Contents 2 0 R /Resources 3 0 R >>");
  objects[2] = Stream(store, parts[0], "<< >>");
  objects[3] = store.ParseObject(
      "<< /XObject << /X 4 0 R /Y 5 0 R >> /ColorSpace << /Sep [/Separation /S /DeviceRGB 6 0 R] "
      "/N [/DeviceN [/A /B] /DeviceCMYK 6 0 R] /L [/Lab << /WhitePoint [0.96 1 0.82] >>] "
      "/I [/Indexed /DeviceRGB 2 <FF000000FF000000FF>] /IS [/Indexed [/Separation /S /DeviceRGB 6 0 R] 3 <00408050>] "
      "/IN [/Indexed [/DeviceN [/A /B] /DeviceCMYK 6 0 R] 1 <00FF80FF>] "
      "/SI [/Separation /S [/Indexed /DeviceRGB 1 <FF000000FF00>] 6 0 R] /SG [/Separation /S [/CalGray << >>] 6 0 R] >> "
      "/ExtGState << /G << /LW 3 /ca 0.5 /BM /Multiply /Font [7 0 R 12] >> >> "
      "/Properties << /P 7 0 R >> /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>");
  const std::string group = std::string("/Group << /S /Transparency /I ") + ((first & 16) ? "true" : "false") +
                            " /K " + ((first & 32) ? "true" : "false") + " >>";
  objects[4] = Stream(store, parts[1], ("<< /Subtype /Form /BBox [0 0 30 30] /Matrix [1 0 0 1 2 2] " + group + " >>").c_str());
  const char* filter = (first & 128) ? "/Filter /NoSuchFilter" : (first & 64) ? "/Filter /RunLengthDecode" : "";
  objects[5] = Stream(store, parts[2], ("<< /Subtype /Form /Resources 3 0 R /OC 7 0 R " + std::string(filter) + " >>").c_str());
  objects[6] = Stream(store, parts[3], "<< /FunctionType 4 /Domain [0 1 0 1] /Range [0 1 0 1 0 1] >>");
  objects[7] = store.ParseObject("<< /Type /OCG /Name (layer) >>");
  for (int n = 1; n < 8; ++n) objects[size_t(n)]->SetObjectNumber(n, 0);

  TPDFFontCollection fonts;
  TPDFRenderer renderer(&fonts);
  renderer.Options.UseGDIPlus = 0;
  renderer.Mode = first % 4 == 3   ? kRenderTextExtraction
                  : first % 2 == 1 ? kRenderImageCollection
                  : (first & 8)    ? kRenderCairoBitmap
                                   : kRenderBitmap;
  renderer.SetCairoTarget(u"libcairo.so.2", nullptr, 1, 0, 0);
  renderer.Resolution = 72;
  renderer.Page = PDFCast<TPDFDictionary>(objects[1]);
  renderer.OptionalContentStates = {{store.NewIndRef(7, 0), (first & 4) != 0}};
  renderer.RenderPage();
  return 0;
}
