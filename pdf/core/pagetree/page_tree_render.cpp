// Image resources and page rendering.
#include "pdf/content/font/pdf_font.h"
#include "pdf/content/image_import/pdf_image.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/core/pagetree/page_tree.h"

void TPDFPageTree::AddXObjectResource(TPDFImage& image) { AddXObjectResourceAt(image, 0); }

void TPDFPageTree::AddXObjectResourceAt(TPDFImage& image, int depth) {
  if (depth > kPDFMaxNestingDepth) return;
  for (TPDFFont* font : image.Fonts)
    if (font != nullptr) AddFontResource(*font);
  for (const auto& nested : image.Images)
    if (nested) AddXObjectResourceAt(*nested, depth + 1);
  AddResource("XObject", image.Name, image.Ref);
}

// Rendering follows with the renderer.
bool TPDFPageTree::RenderPage(int, int, double, int, const TGDIPlusSettings&, TStream&, std::string& message, int,
                              const TPDFOptionalContentStates&) {
  message.clear();
  return false;
}
