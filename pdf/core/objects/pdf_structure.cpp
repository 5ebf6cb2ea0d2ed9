#include "pdf/core/objects/pdf_structure.h"

#include <algorithm>

#include "pdf/core/objects/pdf_array.h"
#include "pdf/core/objects/pdf_dictionary.h"
#include "pdf/core/objects/pdf_scalars.h"
#include "pdf/core/objects/pdf_stream.h"

namespace {

// The store grows in large steps and refills its spare room before it runs out.
constexpr int kGrowStep = 1000;
constexpr int kLowWater = 100;

}  // namespace

TPDFStructure::TPDFStructure() { Clear(); }

TPDFStructure::~TPDFStructure() = default;

void TPDFStructure::Clear() {
  NumberFormat = "0.0000";
  Decimals = 4;
  MultiLine = true;
  commonKeyNames_.clear();
  objects_.clear();
  objects_.shrink_to_fit();
}

void TPDFStructure::Reserve(int n) {
  if (n > SpareCount()) objects_.reserve(objects_.size() + static_cast<size_t>(n));
}

TPDFObject* TPDFStructure::ObjectAt(int index) const {
  return index >= 0 && index < ObjectCount() ? objects_[static_cast<size_t>(index)].get() : nullptr;
}

bool TPDFStructure::Owns(const TPDFObject* obj) const { return obj != nullptr && obj->Owner() == this; }

void TPDFStructure::RegisterObject(std::unique_ptr<TPDFObject> obj) {
  if (SpareCount() < kLowWater) {
    // Grow geometrically once the store is large, so registering stays constant time.
    Reserve(std::max(kGrowStep, ObjectCount() / 2));
  }
  objects_.push_back(std::move(obj));
}

template <class T, class... Args>
T* TPDFStructure::Create(Args&&... args) {
  std::unique_ptr<T> obj(new T(this, std::forward<Args>(args)...));
  T* raw = obj.get();
  RegisterObject(std::move(obj));
  return raw;
}

TPDFNull* TPDFStructure::NewNull() { return Create<TPDFNull>(); }
TPDFBoolean* TPDFStructure::NewBoolean(bool value) { return Create<TPDFBoolean>(value); }
TPDFNumeric* TPDFStructure::NewNumeric(double value) { return Create<TPDFNumeric>(value); }
TPDFName* TPDFStructure::NewName(std::string_view text) { return Create<TPDFName>(text); }
TPDFString* TPDFStructure::NewString(std::string_view bytes, bool hex) { return Create<TPDFString>(bytes, hex); }
TPDFDictionary* TPDFStructure::NewDictionary() { return Create<TPDFDictionary>(); }
TPDFArray* TPDFStructure::NewArray() { return Create<TPDFArray>(); }
TPDFIndRef* TPDFStructure::NewIndRef(int objNum, int gen) { return Create<TPDFIndRef>(objNum, gen); }

TPDFArray* TPDFStructure::NewArrayFromObjects(std::span<TPDFObject* const> items) {
  std::unique_ptr<TPDFArray> array(new TPDFArray(this));
  array->Reserve(static_cast<int>(items.size()));
  for (TPDFObject* item : items) array->Add(item);
  TPDFArray* raw = array.get();
  RegisterObject(std::move(array));
  return raw;
}

TPDFArray* TPDFStructure::NewArrayFromObjects(std::initializer_list<TPDFObject*> items) {
  return NewArrayFromObjects(std::span<TPDFObject* const>(items.begin(), items.size()));
}

TPDFArray* TPDFStructure::NewIntegerArray(std::span<const int> values) {
  std::vector<TPDFObject*> items;
  items.reserve(values.size());
  for (const int v : values) items.push_back(NewNumeric(v));
  return NewArrayFromObjects(items);
}

TPDFArray* TPDFStructure::NewIntegerArray(std::initializer_list<int> values) {
  return NewIntegerArray(std::span<const int>(values.begin(), values.size()));
}

TPDFArray* TPDFStructure::NewDoubleArray(std::span<const double> values) {
  std::vector<TPDFObject*> items;
  items.reserve(values.size());
  for (const double v : values) items.push_back(NewNumeric(v));
  return NewArrayFromObjects(items);
}

TPDFArray* TPDFStructure::NewDoubleArray(std::initializer_list<double> values) {
  return NewDoubleArray(std::span<const double>(values.begin(), values.size()));
}

TPDFStream* TPDFStructure::NewStream(std::string_view data, bool doCompress) {
  // The stream's dictionary is created (and registered) inside the stream's constructor.
  TPDFStream* stream = Create<TPDFStream>();
  stream->Compress(data, doCompress);
  return stream;
}

void TPDFStructure::ReleaseObject(TPDFObject* obj) {
  // Found by address before anything else: a pointer the store no longer holds is never
  // dereferenced.
  if (obj == nullptr) return;
  size_t index = objects_.size();
  while (index > 0 && objects_[index - 1].get() != obj) --index;
  if (index == 0) return;
  --index;
  if (const auto* name = PDFCast<TPDFName>(obj); name != nullptr && name->IsKeyName()) return;
  // An object in the document's indirect-object table is still in use, even when no stored
  // object holds it directly.
  if (obj->HasNumber()) return;
  for (const auto& other : objects_)
    if (other->References(obj)) return;
  objects_.erase(objects_.begin() + static_cast<std::ptrdiff_t>(index));
}

TPDFName* TPDFStructure::FindName(std::string_view text) const {
  for (const auto& obj : objects_)
    if (auto* name = PDFCast<TPDFName>(obj.get()); name != nullptr && name->Name() == text) return name;
  return nullptr;
}

TPDFName* TPDFStructure::GetKeyName(std::string_view key) {
  TPDFName* name = nullptr;
  if (IsCommonKey(key)) {
    // A name handed out here is never freed, and no name can be stored before it later, so it
    // stays the first stored name of its text unless someone renames it.
    const auto it = commonKeyNames_.find(std::string(key));
    if (it != commonKeyNames_.end() && it->second->Name() == key) {
      name = it->second;
    } else {
      name = FindName(key);
      if (name != nullptr) commonKeyNames_[std::string(key)] = name;
    }
  }
  if (name == nullptr) {
    name = NewName(key);
    if (IsCommonKey(key)) commonKeyNames_[std::string(key)] = name;
  }
  name->isKeyName_ = true;
  return name;
}

bool TPDFStructure::MakeIndirect(TPDFObject* obj, int& objNum, int& gen) {
  if (!OnMakeIndirect) return false;
  OnMakeIndirect(obj, objNum, gen);
  return true;
}
