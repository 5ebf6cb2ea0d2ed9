// The WMF translator's record handlers and the state they keep (inside the metafile folder).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/gdi/metafile/emf_writer.h"

inline constexpr uint16_t META_EOF = 0x0000, META_REALIZEPALETTE = 0x0035, META_SETPALENTRIES = 0x0037,
                          META_SETBKMODE = 0x0102, META_SETMAPMODE = 0x0103, META_SETROP2 = 0x0104,
                          META_SETRELABS = 0x0105, META_SETPOLYFILLMODE = 0x0106, META_SETSTRETCHBLTMODE = 0x0107,
                          META_SETTEXTCHAREXTRA = 0x0108, META_RESTOREDC = 0x0127, META_RESIZEPALETTE = 0x0139,
                          META_DIBCREATEPATTERNBRUSH = 0x0142, META_SETLAYOUT = 0x0149, META_SETBKCOLOR = 0x0201,
                          META_SETTEXTCOLOR = 0x0209, META_OFFSETVIEWPORTORG = 0x0211, META_LINETO = 0x0213,
                          META_MOVETO = 0x0214, META_OFFSETCLIPRGN = 0x0220, META_FILLREGION = 0x0228,
                          META_SETMAPPERFLAGS = 0x0231, META_SELECTPALETTE = 0x0234, META_POLYGON = 0x0324,
                          META_POLYLINE = 0x0325, META_SETTEXTJUSTIFICATION = 0x020A, META_SETWINDOWORG = 0x020B,
                          META_SETWINDOWEXT = 0x020C, META_SETVIEWPORTORG = 0x020D, META_SETVIEWPORTEXT = 0x020E,
                          META_OFFSETWINDOWORG = 0x020F, META_SCALEWINDOWEXT = 0x0410,
                          META_SCALEVIEWPORTEXT = 0x0412, META_EXCLUDECLIPRECT = 0x0415,
                          META_INTERSECTCLIPRECT = 0x0416, META_ELLIPSE = 0x0418, META_FLOODFILL = 0x0419,
                          META_FRAMEREGION = 0x0429, META_ANIMATEPALETTE = 0x0436, META_TEXTOUT = 0x0521,
                          META_POLYPOLYGON = 0x0538, META_EXTFLOODFILL = 0x0548, META_RECTANGLE = 0x041B,
                          META_SETPIXEL = 0x041F, META_ROUNDRECT = 0x061C, META_PATBLT = 0x061D,
                          META_SAVEDC = 0x001E, META_PIE = 0x081A, META_STRETCHBLT = 0x0B23, META_ESCAPE = 0x0626,
                          META_INVERTREGION = 0x012A, META_PAINTREGION = 0x012B, META_SELECTCLIPREGION = 0x012C,
                          META_SELECTOBJECT = 0x012D, META_SETTEXTALIGN = 0x012E, META_ARC = 0x0817,
                          META_CHORD = 0x0830, META_BITBLT = 0x0922, META_EXTTEXTOUT = 0x0A32,
                          META_SETDIBTODEV = 0x0D33, META_DIBBITBLT = 0x0940, META_DIBSTRETCHBLT = 0x0B41,
                          META_STRETCHDIB = 0x0F43, META_DELETEOBJECT = 0x01F0, META_CREATEPALETTE = 0x00F7,
                          META_CREATEPATTERNBRUSH = 0x01F9, META_CREATEPENINDIRECT = 0x02FA,
                          META_CREATEFONTINDIRECT = 0x02FB, META_CREATEBRUSHINDIRECT = 0x02FC,
                          META_CREATEREGION = 0x06FF;

// One record's parameters (after its size and function), read with bounds checks: anything
// outside reads as 0.
struct WmfRecord {
  uint16_t function = 0;
  std::span<const uint8_t> params;

  size_t Size() const { return params.size(); }
  bool Has(uint64_t off, uint64_t len) const { return off <= params.size() && len <= params.size() - off; }
  uint16_t U16(uint64_t off) const { return Has(off, 2) ? uint16_t(params[off] | (params[off + 1] << 8)) : 0; }
  int16_t I16(uint64_t off) const { return int16_t(U16(off)); }
  uint32_t U32(uint64_t off) const { return uint32_t(U16(off)) | (uint32_t(U16(off + 2)) << 16); }
  // The parameter word `i` (0-based).
  int16_t W(size_t i) const { return I16(2 * i); }
};

class WmfTranslation {
 public:
  WmfTranslation(EmfWriter& out, uint16_t objectCount);
  // The mapping of the picture's window onto the frame's pixels.
  void Begin(const RECT& window, SIZE viewport);
  void Record(const WmfRecord& r);
  size_t OutputSize() const { return outputSize_; }

 private:
  enum class Kind { Pen, Brush, Font, Palette, Region };
  struct Object {
    Kind kind;
    std::vector<RECT> rects;  // regions: logical units
  };
  struct Mapping {
    POINT windowOrg{0, 0}, viewportOrg{0, 0};
    SIZE windowExt{1, 1}, viewportExt{1, 1};
  };

  void Emit(EmfRecordBuilder& b);
  void Emit(DWORD type, std::initializer_list<uint32_t> params);
  // The lowest free slot, or -1 when the table is full (the object is then not made).
  int Allocate(Kind kind);
  void Mapping_(const WmfRecord& r);
  void Shapes(const WmfRecord& r);
  void Poly(const WmfRecord& r);
  void Text(const WmfRecord& r);
  void CreateObject(const WmfRecord& r);
  void ObjectUse(const WmfRecord& r);
  void Blits(const WmfRecord& r);
  void Regions(const WmfRecord& r);
  // The EMF's region data: device units under the current mapping, or logical units as given.
  std::vector<uint8_t> RegionData(const std::vector<RECT>& rects, bool toDevice) const;
  void EmitRegionRecord(DWORD type, const std::vector<RECT>& rects, std::optional<uint32_t> brush, SIZE stroke);
  void BlitRecord(const WmfRecord& r, bool stretch, bool dib, bool withBitmap);

  EmfWriter& out_;
  std::vector<std::optional<Object>> table_;
  Mapping map_;
  std::vector<Mapping> saved_;
  int selectedPalette_ = -1;
  int charExtra_ = 0;
  size_t outputSize_ = 0;
};
