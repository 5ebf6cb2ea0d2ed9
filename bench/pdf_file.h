// A PDF file written object by object for the benchmarks: objects numbered from 1 in the
// order added, a cross-reference table and a trailer naming the catalog.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "pdf/core/objects/pdf_objects.h"
#include "tests/support/pdf_file_text.h"

namespace benchpdf {

struct Doc {
  std::vector<pdffile::TextObject> objects;
  int Add(const std::string& text) {
    objects.push_back({text, false, {}});
    return int(objects.size());
  }
  int AddStream(const std::string& dict, const std::string& data) {
    objects.push_back({dict, true, data});
    return int(objects.size());
  }
  std::string File(int catalog) const { return pdffile::FileText(objects, catalog); }
};

// The objects of a file in a store of our own, references resolved among them (streams keep
// their data as written, their dictionaries empty).
struct Loaded {
  explicit Loaded(const Doc& doc) {
    Store.OnResolve = [this](TPDFIndRef&, int n, int) -> TPDFObject* {
      const auto found = Objects.find(n);
      return found != Objects.end() ? found->second : nullptr;
    };
    for (size_t i = 0; i < doc.objects.size(); ++i) {
      const pdffile::TextObject& text = doc.objects[i];
      TPDFObject* o = text.IsStream ? Store.NewStream(text.Data, false) : Store.ParseObject(text.Text);
      o->SetObjectNumber(int(i) + 1, 0);
      Objects[int(i) + 1] = o;
    }
  }
  TPDFStructure Store;
  std::map<int, TPDFObject*> Objects;
};

inline std::string Ref(int n) { return std::to_string(n) + " 0 R"; }

}  // namespace benchpdf
