// What every two-dimensional row decoder of bi-level coding needs: the search for b1 and b2
// among the reference row's changing elements, and black runs set in a packed row.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>

namespace ccitt {

// b1 is the first element of reference right of a0 that changes to the colour opposite the
// current one (even indexes change white to black, odd ones black to white), b2 the element
// after it; positions past the recorded elements stand for the row's end, columns.
// searchIndex keeps where the search stopped: a0 never moves left within a row.
inline void FindChangingElements(std::span<const int32_t> reference, int32_t columns, int32_t a0, bool black,
                                 int32_t& searchIndex, int32_t& b1, int32_t& b2) {
  const auto count = static_cast<int32_t>(reference.size());
  int32_t i = searchIndex;
  while (i < count && reference[size_t(i)] <= a0) ++i;
  searchIndex = i;
  if ((i & 1) != (black ? 1 : 0)) ++i;
  b1 = i < count ? reference[size_t(i)] : columns;
  b2 = i + 1 < count ? reference[size_t(i) + 1] : columns;
}

// Sets pixels [start, end) of a packed row, most significant bit first; 0 <= start.
// Inline: a noisy page sets a run every few pixels.
inline void FillRun(uint8_t* row, int32_t start, int32_t end) {
  if (start >= end) return;
  const int32_t first = start >> 3, last = (end - 1) >> 3;
  const auto head = static_cast<uint8_t>(0xFFu >> (start & 7));
  const auto tail = static_cast<uint8_t>(0xFFu << (7 - ((end - 1) & 7)));
  if (first == last) {
    row[first] |= head & tail;
    return;
  }
  row[first] |= head;
  std::memset(row + first + 1, 0xFF, static_cast<size_t>(last - first - 1));
  row[last] |= tail;
}

}  // namespace ccitt
