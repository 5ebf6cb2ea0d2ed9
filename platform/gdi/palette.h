// Logical palettes (HPALETTE): a list of colour entries, as the palette functions of the
// platform read and write them.
#pragma once

#include <span>
#include <vector>

#include "platform/gdi/gdi_object.h"

class GdiPalette : public GdiObject {
 public:
  uint32_t ObjectType() const override { return OBJ_PAL; }
  std::vector<PALETTEENTRY> entries;
};

// At most 1024 entries are kept, like the platform's limit.
HPALETTE CreatePalette(std::span<const PALETTEENTRY> entries);
// Copy `count` entries from `start`; return how many were copied (0 for a bad handle). With
// a null buffer GetPaletteEntries returns the palette's size.
UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* out);
UINT SetPaletteEntries(HPALETTE palette, UINT start, UINT count, const PALETTEENTRY* in);
