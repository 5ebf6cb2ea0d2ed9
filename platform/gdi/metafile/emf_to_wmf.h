// Windows metafiles made from enhanced ones, as the platform's GetWinMetaFileBits does: lines,
// shapes, pens, brushes and modes become their WMF records, paths become polygons and
// polylines, curves are flattened, and bitmaps become device-independent bitmap copies (an
// alpha-blended one as a mask ANDed and its colours ORed, since WMF has no alpha). Records
// without a WMF counterpart are left out. Coordinates are the EMF's device pixels, scaled
// down when the picture is wider or taller than 16-bit coordinates reach.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdi/metafile/emf_reader.h"

struct WmfPicture {
  std::vector<uint8_t> bytes;  // the WMF, from its 18-byte header on
  int32_t width = 0, height = 0;  // the window, in the WMF's units
  uint16_t inch = 96;             // WMF units per inch
};

// The WMF of a picture `width` x `height` pixels at `dpi` pixels per inch.
WmfPicture ConvertEmfToWmf(const EmfDocument& emf, int32_t width, int32_t height, int dpi);
// The same behind a placeable header.
std::vector<uint8_t> PlaceableWmfFromEmf(const EmfDocument& emf, int32_t width, int32_t height, int dpi);

// The platform's function: the WMF bytes (the size when `data` is null; 0 for a bad handle or
// a buffer too small). The picture is the metafile's bounds at 96 pixels per inch.
UINT GetWinMetaFileBits(HENHMETAFILE emf, UINT size, BYTE* data, int mapMode, HDC reference);
