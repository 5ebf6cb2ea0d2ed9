// Test-only serialisation of a document as a PDF file, so that external tools (qpdf --check,
// poppler's pdftoppm) can judge what the library built: the header, every indirect object in
// slot order, a cross-reference table and the trailer.
#pragma once

#include <string>

class TPDFDocument;

namespace testpdf {

std::string SerializeDocument(TPDFDocument& document);
void WriteDocument(TPDFDocument& document, const std::string& path);

}  // namespace testpdf
