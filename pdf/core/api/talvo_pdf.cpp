#include "pdf/core/api/talvo_pdf.h"

#include <bit>
#include <cmath>

#include "pdf/content/font/pdf_font.h"
#include "pdf/content/painter/pdf_painter.h"
#include "pdf/core/document/pdf_document.h"
#include "pdf/core/pagetree/page_tree.h"
#include "pdf/core/pdf_helpers.h"
#include "pdf/render/canvas/gdiplus_binding.h"
#include "platform/rtl/strings.h"

// The maker's address lies under the reserved example domain.
const char* const kTalvoPDFProducer = "Orvane Talvo PDF Library 9.15 (http://www.example.com)";

namespace {

constexpr int32_t kHandleIndexMask = 0x07FFFFFF;
// Millimetres and inches per point, as the exact doubles the unit table stores.
const double kMillimetreDivisor = std::bit_cast<double>(uint64_t{0x3FD693E93E93E93F});
const double kInchDivisor = std::bit_cast<double>(uint64_t{0x3F8C71C71C71C71C});

}  // namespace

TTalvoPDF::TTalvoPDF() {
  InitDaubrixOptions(GDIPlusSettings);
  JPEGQuality = 75;
  DPIFactor = 1.0;
  PageBox = 2;
  lastError_ = 0;
  auto document = std::make_unique<TPDFDocument>();
  document->InitNewDocument();
  const WideString producer = Utf8ToWide(kTalvoPDFProducer);
  document->SetInfoEntry("Producer", producer);
  document->SetInfoEntry("Creator", producer);
  const WideString now = Utf8ToWide(PDFDateString());
  document->SetInfoEntry("CreationDate", now);
  document->SetInfoEntry("ModDate", now);
  documents_.push_back(std::move(document));
  SetCurrentDocument(RegisterDocument(documents_.back().get()));
  SetCurrentPage(1);
}

std::string TTalvoPDF::GDIPlusLoadProblem() const {
  TWZRXGDIPlus probe;
  LoadGDIPlusProvider(probe, GDIPlusSettings);
  return probe.LoadProblem();
}

TTalvoPDF::~TTalvoPDF() {
  currentImage_ = nullptr;
  currentFont_ = nullptr;
  currentDocument_ = nullptr;
  handles_.clear();
  try {
    documents_.clear();
  } catch (...) {
    // Freeing a document must not take the caller down.
  }
}

// --- handles ---

int32_t TTalvoPDF::RegisterHandle(void* object, int kind) {
  if (object == nullptr) return 0;
  for (size_t i = 0; i < handles_.size(); ++i)
    if (handles_[i].Object == object) return kPDFHandleBase + static_cast<int32_t>(i);
  handles_.push_back({object, kind});
  return kPDFHandleBase + static_cast<int32_t>(handles_.size() - 1);
}

int32_t TTalvoPDF::RegisterDocument(TPDFDocument* document) { return RegisterHandle(document, hkDocument); }
int32_t TTalvoPDF::RegisterImage(TPDFImage* image) { return RegisterHandle(image, hkImage); }
int32_t TTalvoPDF::RegisterFont(TPDFFont* font) { return RegisterHandle(font, hkFont); }

void* TTalvoPDF::HandleToObject(int32_t handle, int kind) const {
  if ((handle & kPDFHandleBase) != kPDFHandleBase) return nullptr;
  const int32_t index = handle & kHandleIndexMask;
  if (index >= static_cast<int32_t>(handles_.size())) return nullptr;
  const HandleEntry& entry = handles_[static_cast<size_t>(index)];
  return entry.Kind == kind ? entry.Object : nullptr;
}

TPDFDocument* TTalvoPDF::DocumentFromHandle(int32_t handle) const {
  return static_cast<TPDFDocument*>(HandleToObject(handle, hkDocument));
}
TPDFImage* TTalvoPDF::ImageFromHandle(int32_t handle) const {
  return static_cast<TPDFImage*>(HandleToObject(handle, hkImage));
}
TPDFFont* TTalvoPDF::FontFromHandle(int32_t handle) const {
  return static_cast<TPDFFont*>(HandleToObject(handle, hkFont));
}

TPDFPageTree& TTalvoPDF::PageTree() const { return currentDocument_->PageTree(); }
TPDFPainter& TTalvoPDF::Painter() const { return PageTree().Painter(); }

// --- documents and fonts ---

int32_t TTalvoPDF::SetCurrentDocument(int32_t handle) {
  TPDFDocument* document = DocumentFromHandle(handle);
  bool listed = false;
  for (const auto& d : documents_) listed = listed || d.get() == document;
  if (document == nullptr || !listed) return 0;
  currentDocument_ = document;
  currentImage_ = document->GetImage(0);
  currentFont_ = document->GetFont(0);
  return 1;
}

int32_t TTalvoPDF::SetCurrentFont(int32_t handle) {
  TPDFFont* font = FontFromHandle(handle);
  if (font == nullptr || !currentDocument_->OwnsFont(font)) return 0;
  currentFont_ = font;
  PageTree().AddFontResource(*font);
  Painter().SetFont(font, 12.0);
  return 1;
}

int32_t TTalvoPDF::CurrentFontHandle() { return RegisterFont(currentFont_); }

int32_t TTalvoPDF::AddStandardFontByIndex(int32_t index) {
  TPDFFont* font = currentDocument_->AddStandardFont(index);
  if (font == nullptr) return 0;
  const int32_t handle = RegisterFont(font);
  SetCurrentFont(handle);
  return handle;
}

void TTalvoPDF::EnsureFont() {
  if (currentFont_ == nullptr || currentDocument_->FontCount() == 0) AddStandardFontByIndex(4);
}

int32_t TTalvoPDF::SetTextSize(double size) {
  EnsureFont();
  if (currentFont_ == nullptr) return 0;
  Painter().SetFont(currentFont_, size);
  return 1;
}

double TTalvoPDF::TextSize() { return Painter().FontSize; }

// --- pages ---

int32_t TTalvoPDF::PageCount() { return PageTree().ReadPageCount(); }

int32_t TTalvoPDF::CurrentPageNumber() { return PageTree().CurrentPage(); }

int32_t TTalvoPDF::SetCurrentPage(int32_t page) {
  PageTree().SelectPage(page);
  const int32_t result = PageTree().CurrentPage() == page ? 1 : 0;
  const double size = Painter().FontSize;
  SetCurrentFont(CurrentFontHandle());
  if (size > 0) SetTextSize(size);
  return result;
}

int32_t TTalvoPDF::SetUnits(int32_t units) {
  switch (units) {
    case 1: currentDocument_->UnitsDivisor = kMillimetreDivisor; break;
    case 2: currentDocument_->UnitsDivisor = kInchDivisor; break;
    default: currentDocument_->UnitsDivisor = 1.0; break;
  }
  return 1;
}

int32_t TTalvoPDF::SetCoordinateOrigin(int32_t origin) {
  currentDocument_->CoordinateOrigin = origin >= 0 && origin <= 3 ? origin : 0;
  return 1;
}

double TTalvoPDF::ConvertLength(double v) const { return v / currentDocument_->UnitsDivisor; }

double TTalvoPDF::ConvertX(double v) {
  const int32_t origin = currentDocument_->CoordinateOrigin;
  if (origin == 2 || origin == 3) return PageTree().GetPageWidth() - ConvertLength(v);
  return ConvertLength(v);
}

double TTalvoPDF::ConvertY(double v) {
  const int32_t origin = currentDocument_->CoordinateOrigin;
  if (origin == 1 || origin == 2) return PageTree().GetPageHeight() - ConvertLength(v);
  return ConvertLength(v);
}

int32_t TTalvoPDF::SetPageSize(double width, double height) {
  const double w = ConvertLength(width), h = ConvertLength(height);
  // No PDF number holds an infinity: written out, such a page would not measure what was set.
  if (!std::isfinite(w) || !std::isfinite(h)) return 0;
  TPDFPageTree& tree = PageTree();
  const double oldW = tree.GetPageWidth(), oldH = tree.GetPageHeight();
  tree.SetPageWidth(w);
  tree.SetPageHeight(h);
  if (tree.GetPageWidth() == w && tree.GetPageHeight() == h) return 1;
  tree.SetPageWidth(oldW);
  tree.SetPageHeight(oldH);
  return 0;
}

int32_t TTalvoPDF::RenderPage(int32_t dpi, int32_t page, int32_t format, TStream& stream) {
  renderMessage_.clear();
  const int32_t remembered = CurrentPageNumber();
  // Clamped into the page range; a document without pages asks for page 0, which the page
  // tree does not find (and answers so). A resolution the raster cannot be sized at is the
  // renderer's to refuse.
  const int32_t count = PageCount();
  if (page < 1) page = 1;
  if (page > count) page = count;
  int32_t result = 1;
  TPDFOptionalContentStates states = currentDocument_->OptionalContentStates();
  try {
    if (!PageTree().RenderPage(page, format, dpi * DPIFactor, JPEGQuality, GDIPlusSettings, stream, renderMessage_,
                               PageBox, states))
      result = 0;
  } catch (...) {
    SetCurrentPage(remembered);
    throw;
  }
  SetCurrentPage(remembered);
  return result;
}
