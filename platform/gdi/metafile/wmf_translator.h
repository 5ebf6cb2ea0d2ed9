// Windows metafiles (WMF) translated into enhanced metafiles, as the platform does when an EMF
// is asked of a WMF: the records that have an EMF equivalent become that record, the WMF's
// object table (lowest free slot first) becomes EMF object indices, and the placeable
// header's bounds and units per inch become the frame and an anisotropic mapping.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/gdi/gdi_types.h"

inline constexpr uint32_t kPlaceableWmfKey = 0x9AC6CDD7;
inline constexpr size_t kPlaceableHeaderSize = 22;

struct PlaceableWmfHeader {
  int16_t left = 0, top = 0, right = 0, bottom = 0;  // logical units
  uint16_t inch = 0;                                 // logical units per inch
  bool checksumOk = false;
};

// True when `file` starts with the placeable key; `header` gets its fields.
bool ReadPlaceableWmfHeader(std::span<const uint8_t> file, PlaceableWmfHeader& header);
// Units per inch used when a placeable header says 0.
inline constexpr int kDefaultWmfInch = 96;

// The frame in hundredths of a millimetre that a placeable header gives (origin 0).
RECT PlaceableFrame(const PlaceableWmfHeader& header);

// A placeable WMF file to EMF bytes. Raises EInvalidGraphic for a wrong key or checksum or a
// WMF header that is not one.
std::vector<uint8_t> TranslatePlaceableWmf(std::span<const uint8_t> file);
// The records of a WMF (`wmf` starts at its 18-byte header) to EMF bytes: `window` is the
// picture's logical rectangle, `frame` (hundredths of a millimetre) where it lands. Raises
// EInvalidGraphic when the WMF header is not one.
std::vector<uint8_t> TranslateWmf(std::span<const uint8_t> wmf, const RECT& window, const RECT& frame);
// The window a WMF sets up for itself (its first SETWINDOWORG and SETWINDOWEXT), or empty.
RECT WmfDeclaredWindow(std::span<const uint8_t> wmf);
