// Fuzz entry point: EMF or placeable WMF bytes through the import as a Form XObject (the
// metafile converter fills its content record by record). The content must balance its q and
// Q and hold only finite numbers; when small it is rendered, with the converter's images and
// patterns, onto a small page on the GDI back end. A placeable WMF's checksum is put right
// first, so that the fuzzer reaches the records.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/content/font/pdf_font.h"
#include "pdf/content/image_import/pdf_image.h"
#include "pdf/core/filters/flate.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/fonts/font_collection.h"
#include "pdf/render/patterns/pdf_pattern.h"
#include "pdf/render/renderer/renderer.h"

namespace {

// Content rendered per input beyond this is not drawn (the converter's own budget is larger).
constexpr size_t kMaxRenderedContent = size_t(256) << 10;

void FixPlaceableChecksum(std::string& file) {
  if (file.size() < 22 || file.compare(0, 4, "\xD7\xCD\xC6\x9A", 4) != 0) return;
  uint16_t sum = 0;
  for (size_t i = 0; i < 20; i += 2) sum ^= uint16_t(uint8_t(file[i]) | (uint8_t(file[i + 1]) << 8));
  file[20] = char(sum & 0xFF);
  file[21] = char(sum >> 8);
}

// The content's lines "q" and "Q" balance and never close more than they opened; no number
// is NaN or infinite.
void CheckContent(std::string_view content) {
  int64_t depth = 0;
  size_t at = 0;
  while (at < content.size()) {
    size_t end = content.find('\n', at);
    if (end == std::string_view::npos) end = content.size();
    const std::string_view line = content.substr(at, end - at);
    if (line == "q") ++depth;
    if (line == "Q" && --depth < 0) std::abort();
    at = end + 1;
  }
  if (depth != 0) std::abort();
  if (content.find("nan") != std::string_view::npos || content.find("inf") != std::string_view::npos) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string file(reinterpret_cast<const char*>(data), size);
  FixPlaceableChecksum(file);
  TPDFStructure store;
  std::vector<TPDFObject*> objects(1, nullptr);
  store.OnMakeIndirect = [&objects](TPDFObject* obj, int& num, int& gen) {
    num = int(objects.size());
    gen = 0;
    objects.push_back(obj);
    obj->SetObjectNumber(num, gen);
  };
  store.OnResolve = [&objects](TPDFIndRef&, int number, int) -> TPDFObject* {
    return number >= 1 && size_t(number) < objects.size() ? objects[size_t(number)] : nullptr;
  };
  TPDFImage image(&store, "TalvoPDFIm0");
  // The fonts the converter makes are the image's until a document takes them.
  struct FontOwner {
    std::vector<TPDFFont*>& fonts;
    ~FontOwner() {
      for (TPDFFont* font : fonts) delete font;
    }
  } fontOwner{image.Fonts};
  TMemoryStream stream(file);
  // Mutations that turn the file into another image type are the image import's to fuzz.
  if (!image.LoadFromStream(stream, 0) || image.Kind != 6) return 0;
  if (image.Dict == nullptr || image.Ref == nullptr || image.Width <= 0 || image.Height <= 0)
    std::abort();
  auto* form = PDFCast<TPDFStream>(image.Ref->Resolve());
  if (form == nullptr) std::abort();
  std::string content;
  FlateDecompressBuffer(form->Data(), content);
  CheckContent(content);
  if (content.size() > kMaxRenderedContent) return 0;

  // The form on a page of 64 x 48 points, with what the converter made as resources.
  std::string xobjects = "/" + image.Name + " " + image.Ref->ToString() + " ";
  for (const auto& nested : image.Images)
    if (nested && nested->Ref) xobjects += "/" + nested->Name + " " + nested->Ref->ToString() + " ";
  std::string patterns;
  for (const auto& pattern : image.Patterns)
    if (pattern && pattern->Ref) patterns += "/" + pattern->Name + " " + pattern->Ref->ToString() + " ";
  std::string fontResources;
  for (const TPDFFont* font : image.Fonts)
    if (font && font->Ref()) fontResources += "/" + font->Name() + " " + font->Ref()->ToString() + " ";
  TPDFObject* resources = store.ParseObject("<< /XObject << " + xobjects + ">> /Pattern << " + patterns +
                                            ">> /Font << " + fontResources + ">> >>");
  TPDFStream* pageContent = store.NewStream("q 48 0 0 48 4 0 cm /" + image.Name + " Do Q", false);
  int num = 0, gen = 0;
  store.OnMakeIndirect(pageContent, num, gen);
  auto* page = PDFCast<TPDFDictionary>(store.ParseObject("<< /Type /Page /MediaBox [0 0 64 48] /Contents " +
                                                         std::to_string(num) + " 0 R >>"));
  if (page == nullptr) return 0;
  page->SetValue("Resources", resources);
  TPDFFontCollection fonts;
  TPDFRenderer renderer(&fonts);
  renderer.Options.UseGDIPlus = 0;
  renderer.Mode = kRenderBitmap;
  renderer.Resolution = 72;
  renderer.Page = page;
  renderer.RenderPage();
  return 0;
}
