// A small document of numbered objects for the font collection's tests: objects are added by
// their PDF text and reached through references.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "pdf/core/objects/pdf_objects.h"

struct FontDoc {
  TPDFStructure store;
  std::map<int, TPDFObject*> objects;
  FontDoc() {
    store.OnResolve = [this](TPDFIndRef&, int number, int) -> TPDFObject* {
      const auto it = objects.find(number);
      return it == objects.end() ? nullptr : it->second;
    };
  }
  TPDFObject* Add(int number, const std::string& text) { return Put(number, store.ParseObject(text)); }
  TPDFObject* Put(int number, TPDFObject* o) {
    o->SetObjectNumber(number, 0);
    objects[number] = o;
    return o;
  }
  // A stream with its dictionary's entries given as PDF text ("/Length1 5 ...").
  TPDFObject* AddStream(int number, const std::string& data, const std::string& entries = "") {
    auto* stream = store.NewStream(data, false);
    if (!entries.empty()) {
      auto* dict = PDFCast<TPDFDictionary>(store.ParseObject("<< " + entries + " >>"));
      for (const auto& [key, value] : dict != nullptr ? dict->Pairs() : std::vector<TPDFDictionary::TPair>{})
        stream->Dictionary()->SetValue(key->Name(), value);
    }
    return Put(number, stream);
  }
  TPDFObject* Ref(int number) { return store.ParseObject(std::to_string(number) + " 0 R"); }
};
