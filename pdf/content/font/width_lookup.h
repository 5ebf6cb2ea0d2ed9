// Widths of characters by their 16-bit code, for fonts whose widths were measured per character
// rather than per byte code.
#pragma once

#include <cstdint>
#include <vector>

class TTalvoPDFWidthLookup {
 public:
  // Appends; the table becomes unsorted.
  void Add(uint16_t code, int width);
  // The width of code (one of them when it was added twice); 0 when absent. Sorts the table by
  // code on the first search after an addition.
  int Find(uint16_t code) const;
  int Count() const { return static_cast<int>(entries_.size()); }

 private:
  struct Entry {
    uint16_t Code;
    int Width;
  };
  mutable std::vector<Entry> entries_;
  mutable bool sorted_ = true;
};
