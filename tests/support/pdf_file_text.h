// A PDF file from object texts, shared by the tests and the benchmarks: objects numbered from 1
// in order (a stream gets its /Length), a cross-reference table and a trailer naming the catalog.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace pdffile {

struct TextObject {
  std::string Text;  // the object's syntax, or a stream's dictionary without /Length
  bool IsStream = false;
  std::string Data;  // a stream's bytes
};

inline std::string FileText(const std::vector<TextObject>& objects, int catalog) {
  std::string out = "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n";
  std::vector<size_t> offsets;
  for (size_t i = 0; i < objects.size(); ++i) {
    const TextObject& o = objects[i];
    offsets.push_back(out.size());
    out += std::to_string(i + 1) + " 0 obj\n";
    if (o.IsStream) {
      std::string dict = o.Text;
      dict.insert(dict.rfind(">>"), " /Length " + std::to_string(o.Data.size()) + " ");
      out += dict + "\nstream\n" + o.Data + "\nendstream";
    } else {
      out += o.Text;
    }
    out += "\nendobj\n";
  }
  const size_t xref = out.size();
  out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  char line[32];
  for (const size_t offset : offsets) {
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
    out += line;
  }
  return out + "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root " + std::to_string(catalog) +
         " 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
}

}  // namespace pdffile
