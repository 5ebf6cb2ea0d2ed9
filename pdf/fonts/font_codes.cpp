// The collection's CMap cache and the code services of the current font: splitting shown
// strings into codes, mapping codes through CMaps with their usecmap parents, and Unicode text.
#include <algorithm>

#include "pdf/core/cmaps/cmap_parser.h"
#include "pdf/core/cmaps/predefined_cmaps.h"
#include "pdf/fonts/font_collection.h"
#include "pdf/fonts/tounicode.h"

namespace {

// The codespace ranges that split a CMap's codes: its own, else the nearest parent's.
const std::vector<TCMapCodespaceRange>* Codespace(const TPDFFontCollection& fonts, int index) {
  for (int depth = 0; depth < kMaxUseCMapDepth && index >= 0; ++depth) {
    const TOrvanePDFLibraryCMap* cmap = fonts.CachedCMap(index);
    if (cmap == nullptr) return nullptr;
    if (!cmap->CodespaceRanges().empty()) return &cmap->CodespaceRanges();
    index = cmap->ParentIndex;
  }
  return nullptr;
}

int RangeBytes(const TCMapCodespaceRange& r) {
  if (r.Bytes > 0) return r.Bytes;
  return r.High <= 0xFF ? 1 : r.High <= 0xFFFF ? 2 : r.High <= 0xFFFFFF ? 3 : 4;
}

// Whether the n-byte code lies in the range: each byte within the bytes of the range's ends.
bool InRange(const TCMapCodespaceRange& r, uint32_t code, int n) {
  for (int i = 0; i < n; ++i) {
    const int shift = 8 * (n - 1 - i);
    const uint32_t b = code >> shift & 0xFF;
    if (b < (r.Low >> shift & 0xFF) || b > (r.High >> shift & 0xFF)) return false;
  }
  return true;
}

// The length of the code at bytes[p]: the first codespace range that holds a code of its
// length; without one, the shortest length any range has.
size_t CodeLength(const std::vector<TCMapCodespaceRange>& ranges, std::string_view bytes, size_t p) {
  int shortest = 4;
  for (const auto& r : ranges) shortest = std::min(shortest, RangeBytes(r));
  uint32_t code = 0;
  for (int n = 1; n <= 4 && p + size_t(n) <= bytes.size(); ++n) {
    code = code << 8 | uint8_t(bytes[p + size_t(n) - 1]);
    for (const auto& r : ranges)
      if (RangeBytes(r) == n && InRange(r, code, n)) return size_t(n);
  }
  return size_t(std::max(shortest, 1));
}

void BigEndianPairs(std::string_view bytes, std::vector<uint32_t>& codes) {
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    codes.push_back(uint32_t(uint8_t(bytes[i])) << 8 | uint8_t(bytes[i + 1]));
}

}  // namespace

const TOrvanePDFLibraryCMap* TPDFFontCollection::CachedCMap(int index) const {
  return index >= 0 && size_t(index) < cmaps_.size() ? cmaps_[size_t(index)].get() : nullptr;
}

int TPDFFontCollection::AddCMap(std::string_view name, std::string_view text) {
  if (!name.empty()) {
    for (size_t i = 0; i < cmaps_.size(); ++i)
      if (cmaps_[i]->Name == name) return int(i);
  }
  auto cmap = ParseCMapText(text);
  if (!cmap) cmap = std::make_unique<TOrvanePDFLibraryCMap>();
  cmap->Name = std::string(name);
  cmaps_.push_back(std::move(cmap));
  return int(cmaps_.size()) - 1;
}

int TPDFFontCollection::LoadPredefinedCMap(std::string_view name) {
  for (size_t i = 0; i < cmaps_.size(); ++i)
    if (cmaps_[i]->Name == name) return int(i);
  const int position = PredefinedCMapPosition(name);
  if (position == 0) return -1;
  const int index = AddCMap(name, LoadPredefinedCMapText(position));
  // The whole usecmap chain, as deep as the cap allows; a name already loaded (a cycle, or a
  // parent shared with another CMap) is linked, not loaded again.
  int child = index;
  for (int depth = 1; depth < kMaxUseCMapDepth; ++depth) {
    const std::string parentName = cmaps_[size_t(child)]->UseCMapName;
    if (parentName.empty() || parentName == cmaps_[size_t(child)]->Name) break;
    int parent = -1;
    for (size_t i = 0; i < cmaps_.size(); ++i)
      if (cmaps_[i]->Name == parentName) parent = int(i);
    const bool known = parent >= 0;
    if (!known) {
      const int at = PredefinedCMapPosition(parentName);
      if (at == 0) break;
      parent = AddCMap(parentName, LoadPredefinedCMapText(at));
    }
    cmaps_[size_t(child)]->ParentIndex = parent;
    if (known) break;
    child = parent;
  }
  return index;
}

int TPDFFontCollection::LookupCMap(int index, uint32_t code) const {
  for (int depth = 0; depth < kMaxUseCMapDepth; ++depth) {
    const TOrvanePDFLibraryCMap* cmap = CachedCMap(index);
    if (cmap == nullptr) return -1;
    const int value = cmap->MapCode(code);
    if (value >= 0) return value;
    index = cmap->ParentIndex;
  }
  return -1;
}

bool TPDFFontCollection::MapCodes(int index, std::string_view bytes, std::vector<uint32_t>& codes) const {
  codes.clear();
  if (index == -1) return false;
  const auto* ranges = Codespace(*this, index);
  if (ranges != nullptr && !ranges->empty()) {
    for (size_t p = 0; p < bytes.size();) {
      const size_t n = std::min(CodeLength(*ranges, bytes, p), bytes.size() - p);
      uint32_t code = 0;
      for (size_t i = 0; i < n; ++i) code = code << 8 | uint8_t(bytes[p + i]);
      codes.push_back(code);
      p += n;
    }
    return true;
  }
  const TOrvanePDFLibraryCMap* cmap = CachedCMap(index);
  if (cmap != nullptr && cmap->OneByteCodes) {
    // No codespace: a byte is a code when the CMap maps it, else two bytes are.
    for (size_t p = 0; p < bytes.size();) {
      const uint32_t one = uint8_t(bytes[p]);
      if (p + 1 >= bytes.size() || LookupCMap(index, one) >= 0) {
        codes.push_back(one);
        ++p;
      } else {
        codes.push_back(one << 8 | uint8_t(bytes[p + 1]));
        p += 2;
      }
    }
  }
  if (codes.empty()) BigEndianPairs(bytes, codes);
  return true;
}

void TPDFFontCollection::StringToCodes(std::string_view bytes, std::vector<uint32_t>& codes) const {
  codes.clear();
  if (bytes.empty()) return;
  if (current_ == nullptr || current_->SplitCMapName.empty()) {
    BigEndianPairs(bytes, codes);
    return;
  }
  if (!MapCodes(current_->CMapIndex, bytes, codes)) BigEndianPairs(bytes, codes);
}

std::u16string TPDFFontCollection::CodeToUnicode(uint32_t code) const {
  if (current_ == nullptr) return {};
  if (current_->Composite) {
    if (!current_->ToUnicodeRanges.empty()) return ToUnicodeText(current_->ToUnicodeRanges, code);
    if (!current_->SplitCMapName.empty() && code <= 0xFFFF) return std::u16string(1, char16_t(code));
    return {};
  }
  if (code > 255) return {};
  const std::u16string& text = current_->Unicode[code];
  if (text.size() == 1 && text[0] == 0) return std::u16string(1, char16_t(code));
  return text;
}
