#include "pdf/fonts/cid_metrics.h"

#include <algorithm>
#include <cmath>

#include "pdf/core/objects/pdf_objects.h"

namespace {

const TPDFNumeric* Number(TPDFObject* o, const std::function<TPDFObject*(TPDFObject*)>& resolve) {
  return PDFCast<TPDFNumeric>(resolve ? resolve(o) : o);
}

int32_t Int(const TPDFNumeric* n) {
  const double v = n->Value();
  if (!std::isfinite(v)) return 0;
  return int32_t(std::clamp(std::round(v), -2147483647.0, 2147483647.0));
}

uint32_t ClampCID(double v) { return uint32_t(std::clamp(std::isfinite(v) ? v : 0.0, 0.0, 65535.0)); }

}  // namespace

uint32_t TCIDWidths::NextUnset(uint32_t cid) {
  uint32_t root = cid;
  while (root < kCIDCount && next_[root] != root) root = next_[root];
  while (cid < kCIDCount && next_[cid] != cid) {
    const uint32_t up = next_[cid];
    next_[cid] = root;
    cid = up;
  }
  return root;
}

void TCIDWidths::Set(uint32_t first, uint32_t last, int32_t width) {
  if (first > last || first >= kCIDCount) return;
  last = std::min(last, kCIDCount - 1);
  if (widths_.empty()) {
    widths_.assign(kCIDCount, kUnset);
    next_.resize(kCIDCount + 1);
    for (uint32_t i = 0; i <= kCIDCount; ++i) next_[i] = i;
  }
  for (uint32_t cid = NextUnset(first); cid <= last; cid = NextUnset(cid)) {
    widths_[cid] = width;
    next_[cid] = cid + 1;
  }
}

void TCIDWidths::Read(const TPDFArray* w, const std::function<TPDFObject*(TPDFObject*)>& resolve) {
  if (w == nullptr) return;
  const auto& items = w->Items();
  size_t i = 0;
  while (i + 1 < items.size()) {
    const TPDFNumeric* first = Number(items[i], resolve);
    if (first == nullptr) break;
    TPDFObject* second = resolve ? resolve(items[i + 1]) : items[i + 1];
    if (const auto* list = PDFCast<TPDFArray>(second)) {
      double cid = first->Value();
      for (TPDFObject* item : list->Items()) {
        const TPDFNumeric* width = Number(item, resolve);
        if (width == nullptr) continue;
        if (cid >= 0 && cid < kCIDCount) Set(uint32_t(cid), uint32_t(cid), Int(width));
        cid += 1;
      }
      i += 2;
      continue;
    }
    if (i + 2 >= items.size()) break;
    const auto* last = PDFCast<TPDFNumeric>(second);
    const TPDFNumeric* width = Number(items[i + 2], resolve);
    if (last == nullptr || width == nullptr) break;
    if (last->Value() >= 0 && first->Value() < kCIDCount) Set(ClampCID(first->Value()), ClampCID(last->Value()), Int(width));
    i += 3;
  }
}

std::optional<int32_t> TCIDWidths::Find(int64_t cid) const {
  if (widths_.empty() || cid < 0 || cid >= kCIDCount || widths_[size_t(cid)] == kUnset) return std::nullopt;
  return widths_[size_t(cid)];
}

void TCIDVerticalMetrics::ReadDW2(const TPDFArray* dw2) {
  if (dw2 == nullptr || dw2->Count() != 2) return;
  const auto* vy = PDFCast<TPDFNumeric>(dw2->Items()[0]);
  const auto* w1y = PDFCast<TPDFNumeric>(dw2->Items()[1]);
  if (vy == nullptr || w1y == nullptr) return;
  DefaultVy = Int(vy);
  DefaultW1y = Int(w1y);
}

void TCIDVerticalMetrics::ReadW2(const TPDFArray* w2, const std::function<TPDFObject*(TPDFObject*)>& resolve) {
  if (w2 == nullptr) return;
  const auto& items = w2->Items();
  size_t i = 0;
  while (i + 1 < items.size()) {
    const TPDFNumeric* first = Number(items[i], resolve);
    if (first == nullptr) break;
    TPDFObject* second = resolve ? resolve(items[i + 1]) : items[i + 1];
    if (const auto* list = PDFCast<TPDFArray>(second)) {
      const auto& v = list->Items();
      for (size_t k = 0; k + 2 < v.size(); k += 3) {
        const TPDFNumeric *a = Number(v[k], resolve), *b = Number(v[k + 1], resolve), *c = Number(v[k + 2], resolve);
        if (a == nullptr || b == nullptr || c == nullptr) break;
        const int32_t cid = Int(first) + int32_t(std::min<size_t>(k / 3, 65536));
        W2.push_back({cid, cid, Int(a), Int(b), Int(c)});
      }
      i += 2;
      continue;
    }
    if (i + 4 >= items.size()) break;
    const TPDFNumeric* last = Number(second, nullptr);
    const TPDFNumeric *a = Number(items[i + 2], resolve), *b = Number(items[i + 3], resolve),
                      *c = Number(items[i + 4], resolve);
    if (last == nullptr || a == nullptr || b == nullptr || c == nullptr) break;
    W2.push_back({Int(first), Int(last), Int(a), Int(b), Int(c)});
    i += 5;
  }
}

void TCIDVerticalMetrics::Find(int64_t cid, int32_t& w1y, int32_t& vy) const {
  w1y = DefaultW1y;
  vy = DefaultVy;
  for (auto it = W2.rbegin(); it != W2.rend(); ++it) {
    if (it->First <= cid && cid <= it->Last) {
      w1y = it->W1y;
      vy = it->Vy;
      return;
    }
  }
}
