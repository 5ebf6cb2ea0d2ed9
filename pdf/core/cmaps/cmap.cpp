#include "pdf/core/cmaps/cmap.h"

#include <algorithm>
#include <climits>

void TOrvanePDFLibraryCMap::Clear() {
  sections_.clear();
  codespaceRanges_.clear();
  cidRanges_.clear();
  bfRanges_.clear();
  cidIndex_ = RangeIndex();
  bfIndex_ = RangeIndex();
}

// The position of the first range in creation order that holds code, or -1.
template <typename Range>
int64_t TOrvanePDFLibraryCMap::Find(const std::vector<Range>& ranges, RangeIndex& index, uint32_t code) {
  if (!index.Valid) {
    index.Order.clear();
    for (size_t i = 0; i < ranges.size(); ++i)
      if (ranges[i].Low <= ranges[i].High) index.Order.push_back(static_cast<uint32_t>(i));
    std::stable_sort(index.Order.begin(), index.Order.end(),
                     [&](uint32_t a, uint32_t b) { return ranges[a].Low < ranges[b].Low; });
    index.Disjoint = true;
    for (size_t i = 1; i < index.Order.size() && index.Disjoint; ++i)
      index.Disjoint = ranges[index.Order[i - 1]].High < ranges[index.Order[i]].Low;
    index.Valid = true;
  }
  if (!index.Disjoint) {
    for (size_t i = 0; i < ranges.size(); ++i)
      if (ranges[i].Low <= code && code <= ranges[i].High) return static_cast<int64_t>(i);
    return -1;
  }
  auto at = std::upper_bound(index.Order.begin(), index.Order.end(), code,
                             [&](uint32_t c, uint32_t i) { return c < ranges[i].Low; });
  if (at == index.Order.begin()) return -1;
  --at;
  return code <= ranges[*at].High ? static_cast<int64_t>(*at) : -1;
}

void TOrvanePDFLibraryCMap::AddMapping(int codeLength, uint32_t code, std::string_view value) {
  const int width = static_cast<int>(value.size());
  if (width != 1 && width != 2) return;
  TOrvanePDFLibraryCMapSection* section = nullptr;
  for (const auto& s : sections_)
    if (s->CodeLength == codeLength && s->Width == width) {
      section = s.get();
      break;
    }
  if (section == nullptr) {
    sections_.push_back(std::make_unique<TOrvanePDFLibraryCMapSection>());
    section = sections_.back().get();
    section->CodeLength = codeLength;
    section->Width = width;
  }
  const auto at = std::upper_bound(section->Codes.begin(), section->Codes.end(), code);
  const auto index = at - section->Codes.begin();
  section->Codes.insert(at, code);
  section->Values.insert(section->Values.begin() + index * width, value.begin(), value.end());
}

uint16_t TOrvanePDFLibraryCMap::Lookup(int codeLength, uint32_t code) const {
  for (const auto& s : sections_) {
    if (codeLength != 0 && s->CodeLength != codeLength) continue;
    const auto at = std::lower_bound(s->Codes.begin(), s->Codes.end(), code);
    if (at == s->Codes.end() || *at != code) continue;
    const auto i = static_cast<size_t>(at - s->Codes.begin()) * static_cast<size_t>(s->Width);
    if (s->Width == 1) return s->Values[i];
    return static_cast<uint16_t>(s->Values[i] << 8 | s->Values[i + 1]);
  }
  return 0;
}

int TOrvanePDFLibraryCMap::MapCode(uint32_t code) const {
  if (identity_) return code <= INT_MAX ? static_cast<int>(code) : -1;
  int64_t value = -1;
  if (Kind == kKindCID) {
    const int64_t i = Find(cidRanges_, cidIndex_, code);
    if (i >= 0) {
      const auto& r = cidRanges_[static_cast<size_t>(i)];
      value = int64_t{r.CID} + (code - r.Low);
    }
  } else if (Kind == kKindUnicode) {
    const int64_t i = Find(bfRanges_, bfIndex_, code);
    if (i >= 0) {
      const auto& r = bfRanges_[static_cast<size_t>(i)];
      value = int64_t{r.Units[0]} + (code - r.Low);
    }
  }
  return value <= INT_MAX ? static_cast<int>(value) : -1;
}

void TOrvanePDFLibraryCMap::AddCidRange(uint32_t low, uint32_t high, uint16_t cid) {
  cidRanges_.push_back({low, high, cid});
  cidIndex_.Valid = false;
}

void TOrvanePDFLibraryCMap::AddBfRange(uint32_t low, uint32_t high, std::u16string_view units) {
  TCMapBfRange r{low, high, {}};
  for (size_t i = 0; i < units.size() && i < r.Units.size(); ++i) r.Units[i] = units[i];
  bfRanges_.push_back(r);
  bfIndex_.Valid = false;
}
