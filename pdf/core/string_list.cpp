#include "pdf/core/string_list.h"

#include <utility>

#include "platform/rtl/streams.h"
#include "platform/rtl/string_compare.h"

void TTalvoPDFStringList::Clear() {
  items_.clear();
  items_.shrink_to_fit();
}

int TTalvoPDFStringList::AddObject(std::string_view s, void* object) {
  if (!sorted_) {
    items_.push_back({std::string(s), object});
    return Count() - 1;
  }
  int index;
  if (Find(s, index) && duplicates_ == 0) return index;
  items_.insert(items_.begin() + index, Item{std::string(s), object});
  return index;
}

void TTalvoPDFStringList::AddStrings(const TTalvoPDFStringList& other) {
  if (&other == this) {
    const std::vector<Item> copy = items_;
    for (const Item& item : copy) AddObject(item.String, item.Object);
    return;
  }
  for (const Item& item : other.items_) AddObject(item.String, item.Object);
}

void TTalvoPDFStringList::InsertObject(int index, std::string_view s, void* object) {
  if (index < 0 || index > Count()) return;
  items_.insert(items_.begin() + index, Item{std::string(s), object});
}

void TTalvoPDFStringList::Delete(int index) {
  if (InRange(index)) items_.erase(items_.begin() + index);
}

void TTalvoPDFStringList::Exchange(int i, int j) {
  if (InRange(i) && InRange(j)) std::swap(items_[i], items_[j]);
}

void TTalvoPDFStringList::Put(int index, std::string_view s) {
  if (InRange(index)) items_[index].String = std::string(s);
}

void TTalvoPDFStringList::PutObject(int index, void* object) {
  if (InRange(index)) items_[index].Object = object;
}

std::string TTalvoPDFStringList::Get(int index) const { return InRange(index) ? items_[index].String : std::string(); }

const std::string& TTalvoPDFStringList::operator[](int index) const {
  static const std::string kEmpty;
  return InRange(index) ? items_[index].String : kEmpty;
}

void* TTalvoPDFStringList::GetObject(int index) const { return InRange(index) ? items_[index].Object : nullptr; }

int TTalvoPDFStringList::CompareStrings(std::string_view a, std::string_view b) const {
  return CompareAnsi(a, b, !caseSensitive_);
}

bool TTalvoPDFStringList::Find(std::string_view s, int& index) const {
  bool found = false;
  int lo = 0, hi = Count() - 1;
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    const int c = CompareStrings(items_[mid].String, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (duplicates_ != 1) lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

int TTalvoPDFStringList::IndexOf(std::string_view s) const {
  if (sorted_) {
    int index;
    return Find(s, index) ? index : -1;
  }
  const bool quickReject = caseSensitive_ && !s.empty();
  for (int i = 0; i < Count(); ++i) {
    const std::string& item = items_[i].String;
    if (quickReject && (item.empty() || item[0] != s[0])) continue;
    if (CompareStrings(item, s) == 0) return i;
  }
  return -1;
}

int TTalvoPDFStringList::IndexOfObject(const void* object) const {
  for (int i = 0; i < Count(); ++i)
    if (items_[i].Object == object) return i;
  return -1;
}

int TTalvoPDFStringList::IndexOfName(std::string_view name) const {
  for (int i = 0; i < Count(); ++i) {
    const std::string& item = items_[i].String;
    const size_t eq = item.find('=');
    if (eq != std::string::npos && CompareStrings(std::string_view(item).substr(0, eq), name) == 0) return i;
  }
  return -1;
}

std::string TTalvoPDFStringList::GetValue(std::string_view name) const {
  const int i = IndexOfName(name);
  if (i < 0) return std::string();
  const std::string& item = items_[i].String;
  return name.size() + 1 <= item.size() ? item.substr(name.size() + 1) : std::string();
}

void TTalvoPDFStringList::SetSorted(bool value) {
  if (value == sorted_) return;
  if (value) Sort();
  sorted_ = value;
}

void TTalvoPDFStringList::Sort() {
  if (Count() >= 2) QuickSort(0, Count() - 1);
}

// The classic middle-pivot partition sort. It recurses into the smaller part and loops on the
// larger one, so the stack stays logarithmic whatever the data.
void TTalvoPDFStringList::QuickSort(int lo, int hi) {
  while (lo < hi) {
    int i = lo, j = hi;
    const std::string pivot = items_[lo + (hi - lo) / 2].String;
    do {
      while (CompareStrings(items_[i].String, pivot) < 0) ++i;
      while (CompareStrings(items_[j].String, pivot) > 0) --j;
      if (i <= j) {
        if (i != j) std::swap(items_[i], items_[j]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - lo < hi - i) {
      if (lo < j) QuickSort(lo, j);
      lo = i;
    } else {
      if (i < hi) QuickSort(i, hi);
      hi = j;
    }
  }
}

std::string TTalvoPDFStringList::GetText() const {
  std::string text;
  for (const Item& item : items_) {
    text += item.String;
    text += "\r\n";
  }
  return text;
}

void TTalvoPDFStringList::SaveToStream(TStream& stream) const { stream.WriteString(GetText()); }
