#include "tests/pdf/support/pdf_test_writer.h"

#include <cstdio>
#include <map>

#include "pdf/core/document/pdf_document.h"
#include "pdf/core/objects/pdf_objects.h"
#include "tests/support/test_support.h"

namespace testpdf {

std::string SerializeObjects(const IndirectObjects& objects, const TPDFObject& trailer, const std::string& version) {
  std::string out = "%PDF-" + version + "\n%\xE2\xE3\xCF\xD3\n";
  std::map<int, size_t> offsets;
  int highest = 0;
  for (const auto& [number, generation, object] : objects) {
    offsets[number] = out.size();
    highest = std::max(highest, number);
    out += std::to_string(number) + " " + std::to_string(generation) + " obj\n";
    if (object != nullptr) object->AppendToString(out);
    else out += "null";
    out += "\nendobj\n";
  }
  const size_t xref = out.size();
  out += "xref\n0 " + std::to_string(highest + 1) + "\n";
  out += "0000000000 65535 f\r\n";
  char line[32];
  for (int n = 1; n <= highest; ++n) {
    const auto it = offsets.find(n);
    if (it != offsets.end()) std::snprintf(line, sizeof line, "%010zu 00000 n\r\n", it->second);
    else std::snprintf(line, sizeof line, "%010d 00000 f\r\n", 0);
    out += line;
  }
  out += "trailer\n";
  trailer.AppendToString(out);
  out += "\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return out;
}

std::string SerializeDocument(TPDFDocument& document) {
  IndirectObjects objects;
  for (int i = 0; i < document.SlotCount(); ++i) {
    const TPDFIndObj* slot = document.Slot(i);
    objects.push_back({slot->ObjectNumber(), slot->Generation(), slot->GetObject()});
  }
  return SerializeObjects(objects, *document.Trailer(), document.Version());
}

void WriteDocument(TPDFDocument& document, const std::string& path) {
  testsupport::WriteFile(path, SerializeDocument(document));
}

}  // namespace testpdf
