#include "pdf/core/objects/pdf_dictionary.h"

#include <algorithm>
#include <array>

#include "pdf/core/objects/object_import.h"
#include "pdf/core/objects/pdf_array.h"
#include "pdf/core/objects/pdf_scalars.h"
#include "pdf/core/objects/pdf_structure.h"

namespace {

// Dictionaries of this many pairs and more are searched through an index of their keys.
constexpr size_t kIndexedFrom = 32;

constexpr std::string_view kCommonKeyList =
    "[MediaBox][Length][CropBox][Type][Subtype][Name][Pages][Page][Parent][Font][Contents][BaseFont][PDF]"
    "[Text][ImageB][ImageC][ImageI][Resources][ProcSet][ExtGState][Type1][TrueType][WinAnsiEncoding]"
    "[Filter][FlateDecode][Annot][URI][Goto][XYZ][iBRL][TalvoPDF]";

// The list's entries, each without its brackets.
constexpr size_t kCommonKeyCount = size_t(std::count(kCommonKeyList.begin(), kCommonKeyList.end(), '['));
constexpr std::array<std::string_view, kCommonKeyCount> kCommonKeys = [] {
  std::array<std::string_view, kCommonKeyCount> keys{};
  size_t open = 0;
  for (std::string_view& key : keys) {
    const size_t close = kCommonKeyList.find(']', open);
    key = kCommonKeyList.substr(open + 1, close - open - 1);
    open = close + 1;
  }
  return keys;
}();

TPDFObject* ResolveIfReference(TPDFObject* value) {
  if (auto* ref = PDFCast<TPDFIndRef>(value)) return ref->Resolve();
  return value;
}

}  // namespace

bool IsCommonKey(std::string_view key) {
  // A key without brackets occurs in the list only as one whole entry: found without building
  // the bracketed text (every key of every dictionary made comes here).
  if (key.find_first_of("[]") == std::string_view::npos)
    return std::find(kCommonKeys.begin(), kCommonKeys.end(), key) != kCommonKeys.end();
  std::string bracketed;
  bracketed.reserve(key.size() + 2);
  bracketed += '[';
  bracketed += key;
  bracketed += ']';
  return kCommonKeyList.find(bracketed) != std::string_view::npos;
}

void TPDFDictionary::SetValue(std::string_view key, TPDFObject* value) {
  if (value == this) return;
  SetPair(Owner()->GetKeyName(key), value);
}

void TPDFDictionary::SetPair(TPDFName* key, TPDFObject* value) {
  if (key == nullptr) return;
  const int i = IndexOfKey(key->Name());
  if (i >= 0) pairs_[static_cast<size_t>(i)] = {key, value};
  else pairs_.emplace_back(key, value);
}

int TPDFDictionary::IndexOfKey(std::string_view key) const {
  if (pairs_.size() >= kIndexedFrom) return IndexedKey(key);
  for (size_t i = 0; i < pairs_.size(); ++i)
    if (pairs_[i].first != nullptr && pairs_[i].first->Name() == key) return static_cast<int>(i);
  return -1;
}

int TPDFDictionary::IndexedKey(std::string_view key) const {
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (indexed_ > pairs_.size()) ForgetIndex();
    for (; indexed_ < pairs_.size(); ++indexed_)
      if (const TPDFName* name = pairs_[indexed_].first) index_.emplace(name->Name(), int(indexed_));
    const auto it = index_.find(key);
    if (it == index_.end()) return -1;
    const TPDFName* name = pairs_[size_t(it->second)].first;
    if (name != nullptr && name->Name() == key) return it->second;
    // The pairs changed under the index: it is made again.
    ForgetIndex();
  }
  return -1;
}

void TPDFDictionary::ForgetIndex() const {
  index_.clear();
  indexed_ = 0;
}

TPDFObject* TPDFDictionary::GetValue(std::string_view key, bool resolve) const {
  const int i = IndexOfKey(key);
  if (i < 0) return nullptr;
  TPDFObject* value = pairs_[static_cast<size_t>(i)].second;
  return resolve ? ResolveIfReference(value) : value;
}

int TPDFDictionary::GetInteger(std::string_view key, int def) const {
  const auto* number = PDFCast<TPDFNumeric>(GetValue(key, true));
  return number != nullptr ? number->AsInteger() : def;
}

std::string TPDFDictionary::GetType() const {
  const auto* name = PDFCast<TPDFName>(GetValue("Type"));
  return name != nullptr ? name->Name() : std::string();
}

std::string TPDFDictionary::GetValueText(std::string_view key) const {
  const TPDFObject* value = GetValue(key, true);
  if (const auto* name = PDFCast<TPDFName>(value)) return name->Name();
  if (const auto* string = PDFCast<TPDFString>(value)) return string->Value();
  if (const auto* array = PDFCast<TPDFArray>(value)) return array->ToString();
  return std::string();
}

TPDFDictionary::TPair TPDFDictionary::GetPair(int index) const {
  if (index < 0 || index >= Count()) return {nullptr, nullptr};
  return pairs_[static_cast<size_t>(index)];
}

void TPDFDictionary::RemoveKey(std::string_view key) {
  const int i = IndexOfKey(key);
  if (i < 0) return;
  pairs_.erase(pairs_.begin() + i);
  ForgetIndex();
}

// The value and the key name are asked to go while the pair still holds them, so the store
// keeps both; removing the pair is all that remains of the request.
void TPDFDictionary::DeleteKey(std::string_view key) { RemoveKey(key); }

bool TPDFDictionary::ImportFrom(const TPDFDictionary* source) {
  if (source == nullptr) return false;
  if (source == this) return true;
  if (source->Owner() != Owner()) {
    TPDFObject* copy = ImportObject(*Owner(), *source);
    auto* dict = PDFCast<TPDFDictionary>(copy);
    if (dict == nullptr) return false;
    source = dict;
  }
  pairs_ = source->pairs_;
  ForgetIndex();
  return true;
}

void TPDFDictionary::Renumber(int delta) {
  if (Busy()) return;
  BusyGuard guard(*this);
  for (const auto& pair : pairs_)
    if (pair.second != nullptr) pair.second->Renumber(delta);
}

bool TPDFDictionary::References(const TPDFObject* obj) const {
  for (const auto& [key, value] : pairs_)
    if (key == obj || value == obj) return true;
  return false;
}

void TPDFDictionary::Write(std::string& out, int depth) const {
  const size_t n = pairs_.size();
  const bool lines = n > 1 || Owner()->MultiLine;
  out += "<<";
  out += lines ? '\n' : ' ';
  for (const auto& [key, value] : pairs_) {
    const size_t mark = out.size();
    try {
      WriteChild(key, out, depth);
      out += ' ';
      WriteChild(value, out, depth);
      if (lines && out.back() != '\n') out += '\n';
    } catch (const std::exception&) {
      out.resize(mark);
      out += "% bug \n";
    }
  }
  if (n == 1 && !Owner()->MultiLine) out += ' ';
  out += ">>\n";
}
