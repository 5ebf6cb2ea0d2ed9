// An object store that can make objects indirect, as a document's does, and the samples of an
// image XObject turned into RGB bytes for comparison with an oracle.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "pdf/content/image_import/pdf_image.h"
#include "pdf/core/objects/pdf_objects.h"
#include "platform/rtl/streams.h"

namespace imagetest {

class IndirectStore {
 public:
  IndirectStore() {
    store.OnMakeIndirect = [this](TPDFObject* obj, int& num, int& gen) {
      num = next_++;
      gen = 0;
      obj->SetObjectNumber(num, gen);
      objects[num] = obj;
    };
    store.OnResolve = [this](TPDFIndRef&, int num, int) -> TPDFObject* {
      auto it = objects.find(num);
      return it == objects.end() ? nullptr : it->second;
    };
  }
  TPDFObject* Resolve(const TPDFObject* ref) {
    const auto* r = PDFCast<TPDFIndRef>(ref);
    if (!r) return nullptr;
    auto it = objects.find(r->TargetNumber());
    return it == objects.end() ? nullptr : it->second;
  }

  TPDFStructure store;
  std::map<int, TPDFObject*> objects;

 private:
  int next_ = 1;
};

// RGB bytes of an image stream of DeviceRGB or DeviceGray samples (8 bits, or 1 bit with its
// Decode array); empty for anything else.
inline std::string ImageRGB(const TPDFStream& stream) {
  const TPDFDictionary* d = stream.Dictionary();
  std::string data;
  if (!stream.Decode(data)) return {};
  const int w = d->GetInteger("Width", 0), h = d->GetInteger("Height", 0);
  const int bits = d->GetInteger("BitsPerComponent", 0);
  const std::string space = d->GetValueText("ColorSpace");
  std::string rgb;
  if (space == "DeviceRGB" && bits == 8) return data.substr(0, size_t(w) * h * 3);
  if (space == "DeviceGray" && bits == 8) {
    for (size_t i = 0; i < size_t(w) * h && i < data.size(); ++i) rgb.append(3, data[i]);
    return rgb;
  }
  if (space == "DeviceGray" && bits == 1) {
    const std::string decode = d->GetValueText("Decode");
    const bool zeroIsBlack = decode.empty() || decode.find("0 1") != std::string::npos;
    const size_t rowBytes = (size_t(w) + 7) / 8;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const bool bit = (uint8_t(data[size_t(y) * rowBytes + size_t(x) / 8]) >> (7 - x % 8)) & 1;
        rgb.append(3, char(bit == zeroIsBlack ? 255 : 0));
      }
    return rgb;
  }
  return {};
}

// The largest difference between two byte strings of equal length (1000 when they differ in
// length).
inline int MaxDifference(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return 1000;
  int worst = 0;
  for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(int(uint8_t(a[i])) - int(uint8_t(b[i]))));
  return worst;
}

// An image imported into a store of its own; a test adds its own views of it.
struct ImportedImage {
  std::unique_ptr<IndirectStore> store = std::make_unique<IndirectStore>();
  std::unique_ptr<TPDFImage> image;
  bool ok = false;
  // The stream the image became (its image XObject, or its form), or nothing.
  TPDFStream* Main() const { return image->Ref ? PDFCast<TPDFStream>(store->Resolve(image->Ref)) : nullptr; }
};

// The file's bytes imported with the options, compression and source keeping given, as an
// ImportedImage or a test's view derived from it.
template <class Result = ImportedImage>
Result ImportImage(const std::string& bytes, int options, int32_t compression, bool keepSource) {
  Result r;
  r.image = std::make_unique<TPDFImage>(&r.store->store, "TalvoPDFImTEST0001");
  r.image->Compression = compression;
  r.image->KeepSource = keepSource;
  TMemoryStream s(bytes);
  r.ok = r.image->LoadFromStream(s, options);
  return r;
}

}  // namespace imagetest
