// Regions: sets of pixels kept as y-sorted bands of x-sorted, non-overlapping spans, so that
// combining, clipping and painting cost time in proportion to the bands and spans, not the
// pixels. HRGN objects and every clip of a device context are regions.
#pragma once

#include <span>
#include <vector>

#include "platform/gdi/gdi_object.h"

class Region {
 public:
  struct Band {
    int32_t top, bottom;        // rows [top, bottom)
    std::vector<int32_t> xs;    // pairs [x0, x1), sorted, disjoint, not touching
  };

  Region() = default;
  static Region FromRect(const RECT& r);
  // Union of any rectangles (overlapping, unordered); empty ones are ignored.
  static Region FromRects(std::span<const RECT> rects);
  // Union of one-row spans (y, x0, x1) as the rasterizers produce them.
  struct Span {
    int32_t y, x0, x1;
  };
  static Region FromSpans(std::vector<Span> spans);

  enum Op { And = 1, Or = 2, Xor = 3, Diff = 4, Copy = 5 };
  static Region Combine(const Region& a, const Region& b, int op);

  bool Empty() const { return bands_.empty(); }
  RECT Bounds() const;
  bool Contains(int32_t x, int32_t y) const;
  bool Intersects(const RECT& r) const;
  void Offset(int32_t dx, int32_t dy);
  // The region as rectangles, top to bottom, left to right (one per span of each band).
  std::vector<RECT> Rects() const;
  size_t RectCount() const;
  // SIMPLEREGION for one rectangle, COMPLEXREGION for more, NULLREGION for none.
  int Complexity() const;
  const std::vector<Band>& Bands() const { return bands_; }
  friend bool operator==(const Region& a, const Region& b);

 private:
  void Append(int32_t top, int32_t bottom, std::vector<int32_t> xs);
  std::vector<Band> bands_;
};

inline constexpr int ERROR_REGION = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3;
inline constexpr int RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;

class GdiRegion : public GdiObject {
 public:
  uint32_t ObjectType() const override { return OBJ_REGION; }
  Region region;
};

HRGN CreateRectRgn(int32_t left, int32_t top, int32_t right, int32_t bottom);
HRGN CreateRectRgnIndirect(const RECT& r);
HRGN CreateEllipticRgn(int32_t left, int32_t top, int32_t right, int32_t bottom);
HRGN CreateRoundRectRgn(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t w, int32_t h);
inline constexpr int ALTERNATE = 1, WINDING = 2;
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode);
HRGN CreateRegionHandle(Region region);  // wraps a region built in code
// The destination must exist already, as with the platform. Returns the result's complexity.
int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode);
int OffsetRgn(HRGN rgn, int32_t dx, int32_t dy);
int GetRgnBox(HRGN rgn, RECT* box);
bool PtInRegion(HRGN rgn, int32_t x, int32_t y);
bool RectInRegion(HRGN rgn, const RECT* r);
bool EqualRgn(HRGN a, HRGN b);
bool SetRectRgn(HRGN rgn, int32_t left, int32_t top, int32_t right, int32_t bottom);
const Region* RegionOf(HRGN rgn);  // null for a bad handle

// Region data: a 32-byte header (dwSize 32, iType RDH_RECTANGLES, nCount, nRgnSize, rcBound)
// followed by nCount RECTs.
inline constexpr DWORD RDH_RECTANGLES = 1;
struct RGNDATAHEADER {
  DWORD dwSize = 32;
  DWORD iType = RDH_RECTANGLES;
  DWORD nCount = 0;
  DWORD nRgnSize = 0;
  RECT rcBound;
};
// Returns the bytes needed (header + rectangles) when `data` is null or `size` too small,
// else the bytes written.
DWORD GetRegionData(HRGN rgn, DWORD size, void* data);
// `data` holds the header and its rectangles; `size` bounds what is read. The transform must
// be null (no other is supported). Returns null for malformed data.
HRGN ExtCreateRegion(const void* transform, DWORD size, const void* data);
