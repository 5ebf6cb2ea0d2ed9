#include "pdf/core/document/pdf_document.h"

#include "pdf/content/font/pdf_font.h"
#include "pdf/core/pagetree/page_tree.h"
#include "pdf/core/xmp/xmp_packet.h"

// Bodies follow.
void TPDFDocument::ImageDeleter::operator()(TPDFImage*) const {}

const std::array<const char*, kStandardFontCount> kStandardFontNames = {
    "Courier",     "Courier-Bold", "Courier-BoldOblique", "Courier-Oblique",  "Helvetica",
    "Helvetica-Bold", "Helvetica-BoldOblique", "Helvetica-Oblique", "Times-Roman", "Times-Bold",
    "Times-Italic", "Times-BoldItalic", "Symbol", "ZapfDingbats"};

TPDFIndObj::TPDFIndObj(TPDFDocument* document, int number, int generation, TPDFObject* object)
    : document_(document), number_(number), generation_(generation), object_(object) {}

TPDFDocument::TPDFDocument() : structure_(std::make_unique<TPDFStructure>()) {
  trailer_ = structure_->NewDictionary();
  pageTree_ = std::make_unique<TPDFPageTree>(nullptr);
}
TPDFDocument::~TPDFDocument() = default;
void TPDFDocument::Clear() {}
bool TPDFDocument::InitNewDocument() { return true; }
TPDFIndObj* TPDFDocument::NewIndObj(TPDFObject*, bool) { return nullptr; }
TPDFIndObj* TPDFDocument::FindIndObj(int) const { return nullptr; }
TPDFObject* TPDFDocument::ResolveObject(int) const { return nullptr; }
void TPDFDocument::MakeIndirect(TPDFObject*, int&, int&) {}
TPDFIndObj* TPDFDocument::Slot(int) const { return nullptr; }
TPDFDictionary* TPDFDocument::GetCatalog() { return nullptr; }
TPDFDictionary* TPDFDocument::GetInfoDictionary() { return nullptr; }
TPDFDictionary* TPDFDocument::FindPagesRoot() { return nullptr; }
void TPDFDocument::SetInfoEntry(std::string_view, const WideString&) {}
void TPDFDocument::SetInfoString(std::string_view, std::string_view) {}
void TPDFDocument::SetVersion(std::string_view text) {
  version_ = std::string(text);
  versionSet_ = true;
}
TPDFImage* TPDFDocument::AddImage(TStream&, int, int) { return nullptr; }
TPDFFont* TPDFDocument::AddStandardFont(int) { return nullptr; }
TPDFImage* TPDFDocument::GetImage(int) const { return nullptr; }
bool TPDFDocument::OwnsImage(const TPDFImage*) const { return false; }
TPDFFont* TPDFDocument::GetFont(int) const { return nullptr; }
bool TPDFDocument::OwnsFont(const TPDFFont*) const { return false; }
std::string TPDFDocument::ReadMetadataStream() { return {}; }
TPDFOptionalContentStates TPDFDocument::OptionalContentStates() { return {}; }
int TPDFDocument::PageNumberOf(const TPDFIndRef*) { return 0; }
