#include "pdf/core/word_pair_list.h"

#include <algorithm>

#include "platform/rtl/numbers.h"

TZRXWordPairList::TZRXWordPairList() {
  keys_.reserve(1000);
  values_.reserve(1000);
}

void TZRXWordPairList::Add(uint16_t key, uint16_t value) {
  keys_.push_back(key);
  values_.push_back(value);
}

// Shell sort with the gap shrinking by 2.2; insertion within a pass moves an item only past
// strictly greater keys.
void TZRXWordPairList::Sort() {
  const size_t n = keys_.size();
  size_t gap = n / 2;
  while (gap > 0) {
    for (size_t i = gap; i < n; ++i) {
      const uint16_t key = keys_[i], value = values_[i];
      size_t j = i;
      while (j >= gap && keys_[j - gap] > key) {
        keys_[j] = keys_[j - gap];
        values_[j] = values_[j - gap];
        j -= gap;
      }
      keys_[j] = key;
      values_[j] = value;
    }
    gap = static_cast<size_t>(RoundHalfEven(static_cast<double>(gap) / 2.2));
  }
}

uint16_t TZRXWordPairList::Find(uint16_t key) {
  size_t lo = 0, hi = keys_.size();
  while (hi > lo) {
    const size_t mid = lo + (hi - lo) / 2;
    if (key > keys_[mid]) lo = mid + 1;
    else hi = mid;
  }
  found_ = lo < keys_.size() && keys_[lo] == key;
  return found_ ? values_[lo] : 0;
}

int TZRXSortedUniqueIntegerList::Add(int32_t value) {
  const auto it = std::lower_bound(items_.begin(), items_.end(), value);
  if (it == items_.end() || *it != value) return static_cast<int>(items_.insert(it, value) - items_.begin());
  return static_cast<int>(it - items_.begin());
}

int TZRXSortedUniqueIntegerList::IndexOf(int32_t value) const {
  const auto it = std::lower_bound(items_.begin(), items_.end(), value);
  return it != items_.end() && *it == value ? static_cast<int>(it - items_.begin()) : -1;
}

void TZRXSortedUniqueIntegerList::Remove(int32_t value) {
  const int i = IndexOf(value);
  if (i >= 0) items_.erase(items_.begin() + i);
}
