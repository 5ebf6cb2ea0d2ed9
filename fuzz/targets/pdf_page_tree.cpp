// Fuzz entry point: a page tree over hostile objects. The input is a run of PDF objects; the
// n-th one parsed is object n, the first is the /Pages root. Every page is looked up, selected,
// measured, given resources and drawn on; the document's optional content is read.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "pdf/content/painter/pdf_painter.h"
#include "pdf/core/document/pdf_document.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/core/pagetree/page_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TPDFDocument doc;
  doc.InitNewDocument();
  TPDFStructure& s = doc.Structure();
  // Objects of the input take the numbers after the new document's own.
  const int first = doc.SlotCount() + 1;
  size_t pos = 0;
  for (int n = 0; n < 64 && pos < text.size(); ++n) {
    size_t consumed = 0;
    TPDFObject* obj = s.ParseObjectAt(text.substr(pos), consumed);
    if (consumed == 0) break;
    pos += consumed;
    int num = 0, gen = 0;
    doc.MakeIndirect(obj, num, gen);
  }
  auto* root = PDFCast<TPDFDictionary>(doc.ResolveObject(first));
  if (root == nullptr) return 0;
  doc.GetCatalog()->SetValue("Pages", s.NewIndRef(first, 0));
  doc.GetCatalog()->SetValue("OCProperties", doc.ResolveObject(first + 1));
  (void)doc.OptionalContentStates();

  TPDFPageTree tree(doc.FindPagesRoot(), [&doc](const TPDFIndRef* ref) { return doc.PageNumberOf(ref); });
  const int count = std::min(tree.ReadPageCount(), 8);
  for (int n = 0; n <= count + 1; ++n) {
    tree.SelectPage(n);
    (void)tree.GetPageWidth();
    (void)tree.GetPageHeight();
    if (tree.Page() == nullptr) continue;
    tree.AddExtGStateResource("GS", s.NewIndRef(first, 0));
    tree.Painter().Rectangle(true, true, 0, 10, 10, 10);
    tree.SetPageWidth(100);
    if (TPDFIndRef* ref = tree.PageReference(n)) (void)tree.PageNumberOfReference(ref);
    if (tree.GetPageWidth() != 100) std::abort();
  }
  return 0;
}
