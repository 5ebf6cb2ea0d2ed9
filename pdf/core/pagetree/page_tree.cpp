#include "pdf/core/pagetree/page_tree.h"

#include "pdf/content/painter/pdf_painter.h"
#include "pdf/core/annots/annots.h"

// Bodies follow.
TPDFPageTree::TPDFPageTree(TPDFDictionary*, TPDFPageNumberEvent pageNumberOf)
    : painter_(std::make_unique<TPDFPainter>(nullptr)), annots_(std::make_unique<TPDFAnnots>()) {
  OnPageNumber = std::move(pageNumberOf);
}
TPDFPageTree::~TPDFPageTree() = default;
int TPDFPageTree::ReadPageCount() { return 0; }
TPDFDictionary* TPDFPageTree::FindPage(int) { return nullptr; }
void TPDFPageTree::SelectPage(int) {}
double TPDFPageTree::GetPageWidth() { return 612; }
double TPDFPageTree::GetPageHeight() { return 792; }
void TPDFPageTree::SetPageWidth(double) {}
void TPDFPageTree::SetPageHeight(double) {}
TPDFDictionary* TPDFPageTree::GetResources() { return nullptr; }
void TPDFPageTree::AddFontResource(TPDFFont&) {}
void TPDFPageTree::AddXObjectResource(TPDFImage&) {}
void TPDFPageTree::AddExtGStateResource(std::string_view, TPDFIndRef*) {}
void TPDFPageTree::AddPatternResource(std::string_view, TPDFIndRef*) {}
void TPDFPageTree::FlushContent() {}
TPDFIndRef* TPDFPageTree::PageReference(int) { return nullptr; }
int TPDFPageTree::PageNumberOfReference(const TPDFIndRef*) { return 0; }
bool TPDFPageTree::RenderPage(int, int, double, int, const TGDIPlusSettings&, TStream&, std::string& message, int,
                              const TPDFOptionalContentStates&) {
  message.clear();
  return false;
}
