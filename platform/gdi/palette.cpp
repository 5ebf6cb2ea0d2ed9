#include "platform/gdi/palette.h"

#include <algorithm>

HPALETTE CreatePalette(std::span<const PALETTEENTRY> entries) {
  auto p = std::make_shared<GdiPalette>();
  p->entries.assign(entries.begin(), entries.begin() + std::min<size_t>(entries.size(), 1024));
  return static_cast<HPALETTE>(RegisterGdiObject(p));
}

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* out) {
  auto p = LookupGdi<GdiPalette>(palette);
  if (!p) return 0;
  if (!out) return UINT(p->entries.size());
  if (start >= p->entries.size()) return 0;
  const UINT n = std::min<UINT>(count, UINT(p->entries.size()) - start);
  std::copy_n(p->entries.begin() + start, n, out);
  return n;
}

UINT SetPaletteEntries(HPALETTE palette, UINT start, UINT count, const PALETTEENTRY* in) {
  auto p = LookupGdi<GdiPalette>(palette);
  if (!p || !in || start >= p->entries.size()) return 0;
  const UINT n = std::min<UINT>(count, UINT(p->entries.size()) - start);
  std::copy_n(in, n, p->entries.begin() + start);
  return n;
}
