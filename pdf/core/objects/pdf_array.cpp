#include "pdf/core/objects/pdf_array.h"

#include "pdf/core/objects/pdf_structure.h"

void TPDFArray::Add(TPDFObject* item) { items_.push_back(item); }

TPDFObject* TPDFArray::GetItem(int index) const {
  return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)] : nullptr;
}

// The old item is asked to go while this array still holds it, which the store refuses; it
// stays in the store until the store is cleared.
void TPDFArray::SetItem(int index, TPDFObject* item) {
  if (index < 0 || index >= Count()) return;
  items_[static_cast<size_t>(index)] = item;
}

void TPDFArray::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
}

void TPDFArray::Reserve(int n) {
  if (n > SpareCount()) items_.reserve(items_.size() + static_cast<size_t>(n));
}

bool TPDFArray::AllNumeric() const {
  for (const TPDFObject* item : items_)
    if (item == nullptr || item->Kind() != kPDFKindNumeric) return false;
  return true;
}

bool TPDFArray::ContainsText(std::string_view text) const {
  std::string s;
  for (const TPDFObject* item : items_) {
    if (item == nullptr) continue;
    item->WriteToString(s);
    if (s == text) return true;
  }
  return false;
}

void TPDFArray::Renumber(int delta) {
  if (Busy()) return;
  BusyGuard guard(*this);
  for (TPDFObject* item : items_)
    if (item != nullptr) item->Renumber(delta);
}

bool TPDFArray::References(const TPDFObject* obj) const {
  for (const TPDFObject* item : items_)
    if (item == obj) return true;
  return false;
}

void TPDFArray::Write(std::string& out, int depth) const {
  const size_t start = out.size();
  size_t lineStart = start;
  out += "[ ";
  for (const TPDFObject* item : items_) {
    WriteChild(item, out, depth);
    if (out.back() != '\n') out += ' ';
    if (out.size() - lineStart > 80) {
      out += '\n';
      lineStart = out.size();
    }
  }
  out += ']';
}
