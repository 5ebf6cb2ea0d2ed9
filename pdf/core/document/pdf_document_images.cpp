// The document's images: adding one from a stream, and the image list.
#include "pdf/core/document/pdf_document.h"

// Bodies follow with the image import.
void TPDFDocument::ImageDeleter::operator()(TPDFImage*) const {}
TPDFImage* TPDFDocument::AddImage(TStream&, int, int) { return nullptr; }
TPDFImage* TPDFDocument::GetImage(int) const { return nullptr; }
bool TPDFDocument::OwnsImage(const TPDFImage*) const { return false; }
