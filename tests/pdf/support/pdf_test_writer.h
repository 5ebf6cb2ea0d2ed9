// Test-only serialisation of a document as a PDF file, so that external tools (qpdf --check,
// poppler's pdftoppm) can judge what the library built: the header, every indirect object in
// slot order, a cross-reference table and the trailer.
#pragma once

#include <string>
#include <vector>

class TPDFDocument;
class TPDFObject;

namespace testpdf {

// Indirect objects in file order (a null object writes null), and the trailer dictionary.
struct IndirectObject {
  int Number = 0;
  int Generation = 0;
  const TPDFObject* Object = nullptr;
};
using IndirectObjects = std::vector<IndirectObject>;
std::string SerializeObjects(const IndirectObjects& objects, const TPDFObject& trailer,
                             const std::string& version = "1.4");

std::string SerializeDocument(TPDFDocument& document);
void WriteDocument(TPDFDocument& document, const std::string& path);

}  // namespace testpdf
