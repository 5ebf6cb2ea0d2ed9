// A PDF file written object by object for the benchmarks: objects numbered from 1 in the
// order added, a cross-reference table and a trailer naming the catalog.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "pdf/core/objects/pdf_objects.h"

namespace benchpdf {

struct Doc {
  std::vector<std::pair<std::string, std::string>> objects;  // dictionary text, stream data
  std::vector<bool> isStream;
  int Add(const std::string& text) {
    objects.push_back({text, {}});
    isStream.push_back(false);
    return int(objects.size());
  }
  int AddStream(const std::string& dict, const std::string& data) {
    objects.push_back({dict, data});
    isStream.push_back(true);
    return int(objects.size());
  }
  std::string File(int catalog) const {
    std::string out = "%PDF-1.7\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
      offsets.push_back(out.size());
      out += std::to_string(i + 1) + " 0 obj\n";
      if (isStream[i]) {
        std::string d = objects[i].first;
        d.insert(d.rfind(">>"), " /Length " + std::to_string(objects[i].second.size()) + " ");
        out += d + "\nstream\n" + objects[i].second + "\nendstream";
      } else {
        out += objects[i].first;
      }
      out += "\nendobj\n";
    }
    const size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    char line[32];
    for (size_t o : offsets) {
      std::snprintf(line, sizeof line, "%010zu 00000 n \n", o);
      out += line;
    }
    return out + "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root " + std::to_string(catalog) +
           " 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  }
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
      TPDFObject* o = doc.isStream[i] ? Store.NewStream(doc.objects[i].second, false)
                                      : Store.ParseObject(doc.objects[i].first);
      o->SetObjectNumber(int(i) + 1, 0);
      Objects[int(i) + 1] = o;
    }
  }
  TPDFStructure Store;
  std::map<int, TPDFObject*> Objects;
};

inline std::string Ref(int n) { return std::to_string(n) + " 0 R"; }

}  // namespace benchpdf
