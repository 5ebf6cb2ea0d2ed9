#include "pdf/content/font/width_lookup.h"

#include <algorithm>

void TTalvoPDFWidthLookup::Add(uint16_t code, int width) {
  if (entries_.size() == entries_.capacity()) entries_.reserve(entries_.size() + 1024);
  entries_.push_back({code, width});
  sorted_ = false;
}

int TTalvoPDFWidthLookup::Find(uint16_t code) const {
  if (!sorted_) {
    std::stable_sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) { return a.Code < b.Code; });
    sorted_ = true;
  }
  const auto it = std::lower_bound(entries_.begin(), entries_.end(), code,
                                   [](const Entry& e, uint16_t c) { return e.Code < c; });
  return it != entries_.end() && it->Code == code ? it->Width : 0;
}
