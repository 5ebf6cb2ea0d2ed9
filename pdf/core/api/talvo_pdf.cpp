#include "pdf/core/api/talvo_pdf.h"

#include "pdf/core/document/pdf_document.h"

// Bodies follow.
const char* const kTalvoPDFProducer = "Orvane Talvo PDF Library 9.15 (https://www.example.com/talvo-pdf)";

TTalvoPDF::TTalvoPDF() { InitDaubrixOptions(GDIPlusSettings); }
TTalvoPDF::~TTalvoPDF() = default;
int32_t TTalvoPDF::RegisterHandle(void*, int) { return 0; }
int32_t TTalvoPDF::RegisterDocument(TPDFDocument*) { return 0; }
int32_t TTalvoPDF::RegisterImage(TPDFImage*) { return 0; }
int32_t TTalvoPDF::RegisterFont(TPDFFont*) { return 0; }
void* TTalvoPDF::HandleToObject(int32_t, int) const { return nullptr; }
TPDFDocument* TTalvoPDF::DocumentFromHandle(int32_t) const { return nullptr; }
TPDFImage* TTalvoPDF::ImageFromHandle(int32_t) const { return nullptr; }
TPDFFont* TTalvoPDF::FontFromHandle(int32_t) const { return nullptr; }
int32_t TTalvoPDF::SetCurrentDocument(int32_t) { return 0; }
int32_t TTalvoPDF::SetCurrentImage(int32_t) { return 0; }
int32_t TTalvoPDF::CurrentImageWidth() { return 0; }
int32_t TTalvoPDF::CurrentImageHeight() { return 0; }
int32_t TTalvoPDF::SetCurrentFont(int32_t) { return 0; }
int32_t TTalvoPDF::CurrentFontHandle() { return 0; }
int32_t TTalvoPDF::AddStandardFontByIndex(int32_t) { return 0; }
void TTalvoPDF::EnsureFont() {}
int32_t TTalvoPDF::SetTextSize(double) { return 0; }
double TTalvoPDF::TextSize() { return 0; }
int32_t TTalvoPDF::PageCount() { return 0; }
int32_t TTalvoPDF::CurrentPageNumber() { return 0; }
int32_t TTalvoPDF::SetCurrentPage(int32_t) { return 0; }
int32_t TTalvoPDF::SetUnits(int32_t) { return 1; }
int32_t TTalvoPDF::SetCoordinateOrigin(int32_t) { return 1; }
int32_t TTalvoPDF::SetPageSize(double, double) { return 0; }
int32_t TTalvoPDF::PlaceImage(double, double, double, double) { return 0; }
int32_t TTalvoPDF::LoadImageFile(const WideString&, int32_t) { return 0; }
int32_t TTalvoPDF::LoadImageStream(TStream&, int32_t) { return 0; }
int32_t TTalvoPDF::RenderPage(int32_t, int32_t, int32_t, TStream&) { return 0; }
double TTalvoPDF::ConvertLength(double v) const { return v; }
double TTalvoPDF::ConvertX(double v) { return v; }
double TTalvoPDF::ConvertY(double v) { return v; }
TPDFPageTree& TTalvoPDF::PageTree() const { return currentDocument_->PageTree(); }
