#include "platform/gdi/metafile/wmf_records.h"

#include <algorithm>
#include <cmath>

#include "platform/gdi/dib.h"
#include "platform/gdi/font.h"
#include "platform/gdi/metafile/emf_reader.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/region.h"
#include "platform/gdi/text.h"

namespace {

constexpr uint32_t kStockOrNone = 0;

RECTL WmfRect(const WmfRecord& r, size_t firstWord) {
  // Rectangles are stored bottom, right, top, left.
  return RECTL{r.W(firstWord + 3), r.W(firstWord + 2), r.W(firstWord + 1), r.W(firstWord)};
}

RECTL PointBounds(std::span<const POINT> pts) {
  if (pts.empty()) return RECTL{0, 0, -1, -1};
  RECTL b{pts[0].x, pts[0].y, pts[0].x, pts[0].y};
  for (const POINT& p : pts) {
    b.left = std::min(b.left, p.x);
    b.top = std::min(b.top, p.y);
    b.right = std::max(b.right, p.x);
    b.bottom = std::max(b.bottom, p.y);
  }
  return b;
}

// A little-endian 32-bit value at o, or 0 past the end.
uint32_t Le32(std::span<const uint8_t> d, size_t o) {
  return o + 4 <= d.size() ? uint32_t(d[o] | (d[o + 1] << 8) | (d[o + 2] << 16) | (uint32_t(d[o + 3]) << 24)) : 0u;
}

struct Dib {
  std::vector<uint8_t> info, bits;
};

// A packed DIB (header, table, bits) split in two, or nothing when the header cannot be read.
std::optional<Dib> SplitPackedDib(std::span<const uint8_t> dib, uint32_t usage) {
  const uint64_t headerSize = Le32(dib, 0);
  if (headerSize < 12 || headerSize > dib.size() || (headerSize != 12 && headerSize < 16)) return std::nullopt;
  uint64_t bpp, compression = BI_RGB, clrUsed = 0;
  if (headerSize == 12) {
    bpp = uint64_t(dib[10] | (dib[11] << 8));
  } else {
    bpp = uint64_t(dib[14] | (dib[15] << 8));
    if (headerSize >= 20) compression = Le32(dib, 16);
    if (headerSize >= 36) clrUsed = Le32(dib, 32);
  }
  uint64_t table = 0;
  const uint64_t entry = usage == DIB_PAL_COLORS ? 2 : (headerSize == 12 ? 3 : 4);
  if (bpp >= 1 && bpp <= 8) {
    const uint64_t max = uint64_t(1) << bpp;
    table = (clrUsed == 0 || clrUsed > max ? max : clrUsed) * entry;
  }
  if ((compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS) && headerSize < 52)
    table = compression == BI_BITFIELDS ? 12 : 16;
  if (headerSize + table > dib.size()) return std::nullopt;
  Dib d;
  d.info.assign(dib.begin(), dib.begin() + size_t(headerSize + table));
  d.bits.assign(dib.begin() + size_t(headerSize + table), dib.end());
  return d;
}

// A device-dependent bitmap (WMF's Bitmap16: type, width, height, bytes a row, planes, bits
// a pixel, then rows top first) as a bottom-up DIB.
std::optional<Dib> Bitmap16ToDib(const WmfRecord& r, size_t at, size_t bitsAt) {
  const int64_t width = r.I16(at + 2), height = r.I16(at + 4), rowBytes = r.I16(at + 6);
  const int planes = r.params.size() > at + 8 ? r.params[at + 8] : 0;
  const int bpp = r.params.size() > at + 9 ? r.params[at + 9] : 0;
  if (width <= 0 || height <= 0 || planes != 1 || rowBytes <= 0) return std::nullopt;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return std::nullopt;
  if ((width * bpp + 7) / 8 > rowBytes || !r.Has(bitsAt, uint64_t(rowBytes) * uint64_t(height))) return std::nullopt;
  Dib d;
  EmfRecordBuilder h(0);  // used only as a little-endian byte writer
  h.U32(40).I32(int32_t(width)).I32(int32_t(height)).U16(1).U16(uint16_t(bpp)).U32(BI_RGB).U32(0);
  h.U32(0).U32(0).U32(0).U32(0);
  if (bpp <= 8) {
    const std::vector<RGBQUAD> table = DefaultColorTable(bpp);
    for (const RGBQUAD& q : table) h.U8(q.rgbBlue).U8(q.rgbGreen).U8(q.rgbRed).U8(0);
  }
  d.info = h.Finish();
  d.info.erase(d.info.begin(), d.info.begin() + 8);  // the builder's type and size
  const int64_t stride = DibStride(width, bpp);
  d.bits.assign(size_t(stride * height), 0);
  for (int64_t y = 0; y < height; ++y) {
    const auto src = r.params.subspan(size_t(bitsAt + y * rowBytes), size_t((width * bpp + 7) / 8));
    std::copy(src.begin(), src.end(), d.bits.begin() + (height - 1 - y) * stride);
  }
  return d;
}

// Room in a record's fixed part for the four offset and size fields that AppendDib fills in;
// answers where they start.
uint32_t DibFields(EmfRecordBuilder& b) {
  const uint32_t at = b.Offset();
  b.U32(0).U32(0).U32(0).U32(0);
  return at;
}

// Places a DIB after a record's fixed part and fills in its four offset and size fields.
void AppendDib(EmfRecordBuilder& b, uint32_t fieldAt, const Dib& d) {
  b.Pad4();
  const uint32_t offBmi = b.Offset();
  b.Bytes(d.info).Pad4();
  const uint32_t offBits = b.Offset();
  b.Bytes(d.bits).Pad4();
  b.Patch(fieldAt, offBmi);
  b.Patch(fieldAt + 4, uint32_t(d.info.size()));
  b.Patch(fieldAt + 8, offBits);
  b.Patch(fieldAt + 12, uint32_t(d.bits.size()));
}

// Windows-1252 to UTF-16 (WMF font names are 8-bit text).
char16_t Cp1252(uint8_t c) {
  static constexpr char16_t k80[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                       0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
  return c >= 0x80 && c < 0xA0 ? k80[c - 0x80] : char16_t(c);
}

}  // namespace

WmfTranslation::WmfTranslation(EmfWriter& out, uint16_t objectCount) : out_(out), table_(objectCount) {}

void WmfTranslation::Emit(EmfRecordBuilder& b) {
  const std::vector<uint8_t> bytes = b.Finish();
  // What the reader would skip is not written: a WMF record whose contents lie (a bitmap
  // header that its bits cannot back, say) disappears here rather than in every reader.
  ENHMETARECORD view;
  view.bytes = bytes;
  view.iType = view.U32(0);
  view.nSize = view.U32(4);
  if (!CheckEmfRecord(view)) return;
  outputSize_ += bytes.size();
  out_.AddBytes(bytes);
}

void WmfTranslation::Emit(DWORD type, std::initializer_list<uint32_t> params) {
  EmfRecordBuilder b(type);
  for (uint32_t p : params) b.U32(p);
  Emit(b);
}

void WmfTranslation::Begin(const RECT& window, SIZE viewport) {
  map_.windowOrg = POINT{window.left, window.top};
  map_.windowExt = SIZE{std::max(1, window.right - window.left), std::max(1, window.bottom - window.top)};
  map_.viewportExt = viewport;
  Emit(EMR_SETMAPMODE, {uint32_t(MM_ANISOTROPIC)});
  Emit(EMR_SETWINDOWORGEX, {uint32_t(map_.windowOrg.x), uint32_t(map_.windowOrg.y)});
  Emit(EMR_SETWINDOWEXTEX, {uint32_t(map_.windowExt.cx), uint32_t(map_.windowExt.cy)});
  Emit(EMR_SETVIEWPORTORGEX, {0, 0});
  Emit(EMR_SETVIEWPORTEXTEX, {uint32_t(viewport.cx), uint32_t(viewport.cy)});
}

int WmfTranslation::Allocate(Kind kind) {
  for (size_t i = 0; i < table_.size(); ++i) {
    if (!table_[i]) {
      table_[i] = Object{kind, {}};
      return int(i);
    }
  }
  return -1;
}

void WmfTranslation::Record(const WmfRecord& r) {
  switch (r.function) {
    case META_SETWINDOWORG: case META_SETWINDOWEXT: case META_SETVIEWPORTORG: case META_SETVIEWPORTEXT:
    case META_OFFSETWINDOWORG: case META_OFFSETVIEWPORTORG: case META_SCALEWINDOWEXT: case META_SCALEVIEWPORTEXT:
    case META_SETMAPMODE: case META_SAVEDC: case META_RESTOREDC:
      return Mapping_(r);
    case META_SETBKCOLOR: return Emit(EMR_SETBKCOLOR, {r.U32(0)});
    case META_SETTEXTCOLOR: return Emit(EMR_SETTEXTCOLOR, {r.U32(0)});
    case META_SETBKMODE: return Emit(EMR_SETBKMODE, {r.U16(0)});
    case META_SETPOLYFILLMODE: return Emit(EMR_SETPOLYFILLMODE, {r.U16(0)});
    case META_SETROP2: return Emit(EMR_SETROP2, {r.U16(0)});
    case META_SETSTRETCHBLTMODE: return Emit(EMR_SETSTRETCHBLTMODE, {r.U16(0)});
    case META_SETTEXTALIGN: return Emit(EMR_SETTEXTALIGN, {r.U16(0)});
    case META_SETMAPPERFLAGS: return Emit(EMR_SETMAPPERFLAGS, {r.U32(0)});
    case META_SETLAYOUT: return Emit(EMR_SETLAYOUT, {r.U32(0)});
    case META_SETTEXTJUSTIFICATION: return Emit(EMR_SETTEXTJUSTIFICATION, {uint32_t(r.W(1)), uint32_t(r.W(0))});
    case META_SETTEXTCHAREXTRA: charExtra_ = r.W(0); return;
    case META_MOVETO: return Emit(EMR_MOVETOEX, {uint32_t(int32_t(r.W(1))), uint32_t(int32_t(r.W(0)))});
    case META_LINETO: return Emit(EMR_LINETO, {uint32_t(int32_t(r.W(1))), uint32_t(int32_t(r.W(0)))});
    case META_POLYLINE: case META_POLYGON: case META_POLYPOLYGON:
      return Poly(r);
    case META_RECTANGLE: case META_ELLIPSE: case META_ROUNDRECT: case META_ARC: case META_CHORD: case META_PIE:
    case META_SETPIXEL: case META_FLOODFILL: case META_EXTFLOODFILL:
      return Shapes(r);
    case META_TEXTOUT: case META_EXTTEXTOUT: return Text(r);
    case META_CREATEPENINDIRECT: case META_CREATEBRUSHINDIRECT: case META_DIBCREATEPATTERNBRUSH:
    case META_CREATEPATTERNBRUSH: case META_CREATEFONTINDIRECT: case META_CREATEPALETTE: case META_CREATEREGION:
      return CreateObject(r);
    case META_SELECTOBJECT: case META_DELETEOBJECT: case META_SELECTPALETTE: case META_REALIZEPALETTE:
    case META_SETPALENTRIES: case META_RESIZEPALETTE:
      return ObjectUse(r);
    case META_INTERSECTCLIPRECT: case META_EXCLUDECLIPRECT: case META_OFFSETCLIPRGN: case META_SELECTCLIPREGION:
    case META_FILLREGION: case META_PAINTREGION: case META_INVERTREGION: case META_FRAMEREGION:
      return Regions(r);
    case META_BITBLT: case META_STRETCHBLT: case META_DIBBITBLT: case META_DIBSTRETCHBLT: case META_STRETCHDIB:
    case META_SETDIBTODEV: case META_PATBLT:
      return Blits(r);
    default:
      return;  // ESCAPE and the records without an EMF counterpart
  }
}

void WmfTranslation::Mapping_(const WmfRecord& r) {
  const int32_t a = r.W(0), b = r.W(1);  // stored y first, then x
  switch (r.function) {
    case META_SETWINDOWORG:
      map_.windowOrg = POINT{b, a};
      return Emit(EMR_SETWINDOWORGEX, {uint32_t(b), uint32_t(a)});
    case META_OFFSETWINDOWORG:
      map_.windowOrg = POINT{map_.windowOrg.x + b, map_.windowOrg.y + a};
      return Emit(EMR_SETWINDOWORGEX, {uint32_t(map_.windowOrg.x), uint32_t(map_.windowOrg.y)});
    case META_SETVIEWPORTORG:
      map_.viewportOrg = POINT{b, a};
      return Emit(EMR_SETVIEWPORTORGEX, {uint32_t(b), uint32_t(a)});
    case META_OFFSETVIEWPORTORG:
      map_.viewportOrg = POINT{map_.viewportOrg.x + b, map_.viewportOrg.y + a};
      return Emit(EMR_SETVIEWPORTORGEX, {uint32_t(map_.viewportOrg.x), uint32_t(map_.viewportOrg.y)});
    case META_SETWINDOWEXT:
    case META_SETVIEWPORTEXT:
      // An extent of 0 is refused by the platform and changes nothing.
      if (a == 0 || b == 0) return;
      if (r.function == META_SETWINDOWEXT) {
        map_.windowExt = SIZE{b, a};
        return Emit(EMR_SETWINDOWEXTEX, {uint32_t(b), uint32_t(a)});
      }
      map_.viewportExt = SIZE{b, a};
      return Emit(EMR_SETVIEWPORTEXTEX, {uint32_t(b), uint32_t(a)});
    case META_SCALEWINDOWEXT:
    case META_SCALEVIEWPORTEXT: {
      // Stored yDenom, yNum, xDenom, xNum.
      const int32_t yDenom = r.W(0), yNum = r.W(1), xDenom = r.W(2), xNum = r.W(3);
      if (xDenom == 0 || yDenom == 0) return;
      SIZE& ext = r.function == META_SCALEWINDOWEXT ? map_.windowExt : map_.viewportExt;
      const int64_t cx = int64_t(ext.cx) * xNum / xDenom, cy = int64_t(ext.cy) * yNum / yDenom;
      if (cx == 0 || cy == 0) return;
      ext = SIZE{int32_t(cx), int32_t(cy)};
      return Emit(r.function == META_SCALEWINDOWEXT ? EMR_SCALEWINDOWEXTEX : EMR_SCALEVIEWPORTEXTEX,
                  {uint32_t(xNum), uint32_t(xDenom), uint32_t(yNum), uint32_t(yDenom)});
    }
    case META_SETMAPMODE:
      // A placeable picture's units are its own (bounds and units per inch): the fixed
      // mapping modes would tie it to the reference device, so only the two scalable modes
      // are taken over.
      if (r.U16(0) == MM_ISOTROPIC || r.U16(0) == MM_ANISOTROPIC) Emit(EMR_SETMAPMODE, {r.U16(0)});
      return;
    case META_SAVEDC:
      saved_.push_back(map_);
      return Emit(EMR_SAVEDC, {});
    case META_RESTOREDC: {
      int32_t level = r.W(0);
      const int32_t depth = int32_t(saved_.size());
      if (level > 0) level = level - depth - 1;  // an absolute level, as a relative one
      if (level >= 0 || -level > depth) return;
      map_ = saved_[size_t(depth + level)];
      saved_.resize(size_t(depth + level));
      return Emit(EMR_RESTOREDC, {uint32_t(level)});
    }
  }
}

void WmfTranslation::Poly(const WmfRecord& r) {
  std::vector<uint32_t> counts;
  size_t at;
  int64_t total;
  if (r.function == META_POLYPOLYGON) {
    const uint16_t polys = r.U16(0);
    if (!r.Has(2, uint64_t(polys) * 2)) return;
    total = 0;
    for (size_t i = 0; i < polys; ++i) {
      counts.push_back(r.U16(2 + 2 * i));
      total += counts.back();
    }
    at = 2 + size_t(polys) * 2;
  } else {
    total = r.W(0);
    at = 2;
  }
  if (total < 0 || !r.Has(at, uint64_t(total) * 4)) return;  // a count that lies
  std::vector<POINT> pts(static_cast<size_t>(total));
  for (int64_t i = 0; i < total; ++i) pts[size_t(i)] = POINT{r.I16(at + 4 * i), r.I16(at + 4 * i + 2)};
  const DWORD type = r.function == META_POLYLINE ? EMR_POLYLINE16
                     : r.function == META_POLYGON ? EMR_POLYGON16
                                                  : EMR_POLYPOLYGON16;
  EmfRecordBuilder b(type);
  b.Rect(PointBounds(pts));
  if (type == EMR_POLYPOLYGON16) {
    b.U32(uint32_t(counts.size())).U32(uint32_t(total));
    for (uint32_t c : counts) b.U32(c);
  } else {
    b.U32(uint32_t(total));
  }
  b.Bytes(r.params.subspan(at, size_t(total) * 4));
  Emit(b);
}

void WmfTranslation::Shapes(const WmfRecord& r) {
  switch (r.function) {
    case META_RECTANGLE: case META_ELLIPSE: {
      EmfRecordBuilder b(r.function == META_RECTANGLE ? EMR_RECTANGLE : EMR_ELLIPSE);
      b.Rect(WmfRect(r, 0));
      return Emit(b);
    }
    case META_ROUNDRECT: {
      EmfRecordBuilder b(EMR_ROUNDRECT);
      b.Rect(WmfRect(r, 2)).I32(r.W(1)).I32(r.W(0));
      return Emit(b);
    }
    case META_ARC: case META_CHORD: case META_PIE: {
      EmfRecordBuilder b(r.function == META_ARC ? EMR_ARC : r.function == META_CHORD ? EMR_CHORD : EMR_PIE);
      b.Rect(WmfRect(r, 4)).I32(r.W(3)).I32(r.W(2)).I32(r.W(1)).I32(r.W(0));
      return Emit(b);
    }
    case META_SETPIXEL:
      return Emit(EMR_SETPIXELV, {uint32_t(int32_t(r.W(3))), uint32_t(int32_t(r.W(2))), r.U32(0)});
    case META_FLOODFILL:
      return Emit(EMR_EXTFLOODFILL, {uint32_t(int32_t(r.W(3))), uint32_t(int32_t(r.W(2))), r.U32(0), 0});
    case META_EXTFLOODFILL:
      return Emit(EMR_EXTFLOODFILL, {uint32_t(int32_t(r.W(4))), uint32_t(int32_t(r.W(3))), r.U32(2), r.U16(0)});
  }
}

void WmfTranslation::Text(const WmfRecord& r) {
  int32_t x, y, length;
  uint32_t options = 0;
  RECTL rect{0, 0, -1, -1};
  size_t stringAt;
  if (r.function == META_TEXTOUT) {
    length = r.W(0);
    stringAt = 2;
    const size_t after = stringAt + ((size_t(std::max(length, 0)) + 1) & ~size_t(1));
    y = r.I16(after);
    x = r.I16(after + 2);
  } else {
    y = r.W(0);
    x = r.W(1);
    length = r.W(2);
    options = r.U16(6);
    stringAt = 8;
    if (options & (ETO_OPAQUE | ETO_CLIPPED)) {
      rect = RECTL{r.W(4), r.W(5), r.W(6), r.W(7)};
      stringAt = 16;
    }
  }
  if (length < 0 || !r.Has(stringAt, uint64_t(length))) return;
  std::vector<int32_t> dx;
  const size_t dxAt = stringAt + ((size_t(length) + 1) & ~size_t(1));
  if (r.function == META_EXTTEXTOUT && length > 0 && r.Has(dxAt, uint64_t(length) * 2)) {
    for (int32_t i = 0; i < length; ++i) dx.push_back(r.I16(dxAt + 2 * size_t(i)) + charExtra_);
  }
  EmfRecordBuilder b(EMR_EXTTEXTOUTA);
  b.Rect(RECTL{0, 0, -1, -1}).U32(1 /* GM_COMPATIBLE */).F32(0).F32(0);
  b.I32(x).I32(y).U32(uint32_t(length));
  const uint32_t offStringField = b.Offset();
  b.U32(0).U32(options & (ETO_OPAQUE | ETO_CLIPPED | ETO_GLYPH_INDEX)).Rect(rect);
  const uint32_t offDxField = b.Offset();
  b.U32(0);
  b.Patch(offStringField, b.Offset());
  b.Bytes(r.params.subspan(stringAt, size_t(length))).Pad4();
  if (!dx.empty()) {
    b.Patch(offDxField, b.Offset());
    for (int32_t d : dx) b.I32(d);
  }
  Emit(b);
}

void WmfTranslation::CreateObject(const WmfRecord& r) {
  switch (r.function) {
    case META_CREATEPENINDIRECT: {
      const int slot = Allocate(Kind::Pen);
      if (slot < 0) return;
      EmfRecordBuilder b(EMR_CREATEPEN);
      b.U32(uint32_t(slot + 1)).U32(r.U16(0)).I32(r.W(1)).I32(0).U32(r.U32(6));
      return Emit(b);
    }
    case META_CREATEBRUSHINDIRECT: {
      const int slot = Allocate(Kind::Brush);
      if (slot < 0) return;
      uint32_t style = r.U16(0);
      // Pattern styles need a bitmap that this record cannot carry.
      if (style != BS_SOLID && style != BS_NULL && style != BS_HATCHED) style = BS_SOLID;
      EmfRecordBuilder b(EMR_CREATEBRUSHINDIRECT);
      b.U32(uint32_t(slot + 1)).U32(style).U32(r.U32(2)).U32(r.U16(6));
      return Emit(b);
    }
    case META_DIBCREATEPATTERNBRUSH:
    case META_CREATEPATTERNBRUSH: {
      std::optional<Dib> dib;
      uint32_t usage = DIB_RGB_COLORS;
      if (r.function == META_DIBCREATEPATTERNBRUSH) {
        usage = r.U16(0) == BS_PATTERN ? DIB_RGB_COLORS : r.U16(2);
        if (usage > DIB_PAL_COLORS) usage = DIB_RGB_COLORS;
        dib = SplitPackedDib(r.params.subspan(std::min<size_t>(4, r.Size())), usage);
      } else {
        dib = Bitmap16ToDib(r, 0, 14 + 18);
      }
      // The slot is taken even for a bitmap that cannot be read, as the platform does, so
      // that the indices of later objects stay right.
      const int slot = Allocate(Kind::Brush);
      if (slot < 0 || !dib) return;
      const bool mono = dib->info.size() >= 16 && dib->info[14] == 1;
      EmfRecordBuilder b(mono && r.function == META_CREATEPATTERNBRUSH ? EMR_CREATEMONOBRUSH
                                                                       : EMR_CREATEDIBPATTERNBRUSHPT);
      b.U32(uint32_t(slot + 1)).U32(usage);
      const uint32_t fields = DibFields(b);
      AppendDib(b, fields, *dib);
      return Emit(b);
    }
    case META_CREATEFONTINDIRECT: {
      const int slot = Allocate(Kind::Font);
      if (slot < 0) return;
      EmfRecordBuilder b(EMR_EXTCREATEFONTINDIRECTW);
      b.U32(uint32_t(slot + 1));
      for (size_t i = 0; i < 5; ++i) b.I32(r.W(i));  // height, width, escapement, orientation, weight
      for (size_t i = 10; i < 18; ++i) b.U8(r.params.size() > i ? r.params[i] : 0);
      bool ended = false;
      for (size_t i = 0; i < 32; ++i) {
        const uint8_t c = r.params.size() > 18 + i ? r.params[18 + i] : 0;
        ended = ended || c == 0;
        b.U16(ended || i == 31 ? 0 : uint16_t(Cp1252(c)));
      }
      return Emit(b);
    }
    case META_CREATEPALETTE: {
      const uint16_t count = r.U16(2);
      const int slot = Allocate(Kind::Palette);
      if (slot < 0 || !r.Has(4, uint64_t(count) * 4)) return;
      EmfRecordBuilder b(EMR_CREATEPALETTE);
      b.U32(uint32_t(slot + 1)).U16(0x300).U16(count).Bytes(r.params.subspan(4, size_t(count) * 4));
      return Emit(b);
    }
    case META_CREATEREGION: {
      // nextInChain, type, count (32), size, scan count, max scan, bounds (8), then scans of
      // (count, top, bottom, count / 2 pairs of left and right, count again).
      const int slot = Allocate(Kind::Region);
      if (slot < 0) return;
      Object& o = *table_[size_t(slot)];
      const uint16_t scans = r.U16(10);
      size_t at = 22;
      for (uint16_t s = 0; s < scans && r.Has(at, 6); ++s) {
        const uint16_t count = r.U16(at), top = r.U16(at + 2), bottom = r.U16(at + 4);
        if (!r.Has(at + 6, uint64_t(count) * 2 + 2)) break;
        for (uint16_t k = 0; k + 1 < count; k += 2)
          o.rects.push_back(RECT{int16_t(r.U16(at + 6 + 2 * k)), int16_t(top), int16_t(r.U16(at + 8 + 2 * k)),
                                 int16_t(bottom)});
        at += 6 + size_t(count) * 2 + 2;
      }
      // A region without scans is its bounding box (the platform writes rectangles so).
      if (scans == 0) o.rects.push_back(RECT{r.W(7), r.W(8), r.W(9), r.W(10)});
      return;
    }
  }
}

void WmfTranslation::ObjectUse(const WmfRecord& r) {
  const uint16_t index = r.U16(0);
  const bool valid = index < table_.size() && table_[index].has_value();
  switch (r.function) {
    case META_SELECTOBJECT:
      if (!valid) return;
      if (table_[index]->kind == Kind::Region) return EmitRegionRecord(EMR_EXTSELECTCLIPRGN, table_[index]->rects, {}, {});
      if (table_[index]->kind == Kind::Palette) {
        selectedPalette_ = index;
        return Emit(EMR_SELECTPALETTE, {uint32_t(index + 1)});
      }
      return Emit(EMR_SELECTOBJECT, {uint32_t(index + 1)});
    case META_DELETEOBJECT:
      if (!valid) return;
      if (table_[index]->kind != Kind::Region) Emit(EMR_DELETEOBJECT, {uint32_t(index + 1)});
      if (selectedPalette_ == index) selectedPalette_ = -1;
      table_[index].reset();
      return;
    case META_SELECTPALETTE:
      if (!valid || table_[index]->kind != Kind::Palette) return;
      selectedPalette_ = index;
      return Emit(EMR_SELECTPALETTE, {uint32_t(index + 1)});
    case META_REALIZEPALETTE:
      return Emit(EMR_REALIZEPALETTE, {});
    case META_SETPALENTRIES: {
      const uint16_t start = r.U16(0), count = r.U16(2);
      if (selectedPalette_ < 0 || !r.Has(4, uint64_t(count) * 4)) return;
      EmfRecordBuilder b(EMR_SETPALETTEENTRIES);
      b.U32(uint32_t(selectedPalette_ + 1)).U32(start).U32(count).Bytes(r.params.subspan(4, size_t(count) * 4));
      return Emit(b);
    }
    case META_RESIZEPALETTE:
      if (selectedPalette_ < 0) return;
      return Emit(EMR_RESIZEPALETTE, {uint32_t(selectedPalette_ + 1), r.U16(0)});
  }
}

std::vector<uint8_t> WmfTranslation::RegionData(const std::vector<RECT>& rects, bool toDevice) const {
  // Logical to device under the anisotropic mapping in force (a clip region is in device
  // units; the region fills take logical ones).
  auto dx = [&](int64_t x) {
    if (!toDevice) return int32_t(std::clamp<int64_t>(x, INT32_MIN / 2, INT32_MAX / 2));
    return int32_t(std::clamp<int64_t>((x - map_.windowOrg.x) * map_.viewportExt.cx / map_.windowExt.cx +
                                           map_.viewportOrg.x, INT32_MIN / 2, INT32_MAX / 2));
  };
  auto dy = [&](int64_t y) {
    if (!toDevice) return int32_t(std::clamp<int64_t>(y, INT32_MIN / 2, INT32_MAX / 2));
    return int32_t(std::clamp<int64_t>((y - map_.windowOrg.y) * map_.viewportExt.cy / map_.windowExt.cy +
                                           map_.viewportOrg.y, INT32_MIN / 2, INT32_MAX / 2));
  };
  std::vector<RECT> device;
  for (const RECT& r : rects) {
    RECT d{dx(r.left), dy(r.top), dx(r.right), dy(r.bottom)};
    if (d.left > d.right) std::swap(d.left, d.right);
    if (d.top > d.bottom) std::swap(d.top, d.bottom);
    device.push_back(d);
  }
  const Region normal = Region::FromRects(device);
  const std::vector<RECT> out = normal.Rects();
  const RECT bound = normal.Bounds();
  EmfRecordBuilder b(0);
  b.U32(32).U32(RDH_RECTANGLES).U32(uint32_t(out.size())).U32(uint32_t(out.size() * 16)).Rect(bound);
  for (const RECT& r : out) b.Rect(r);
  std::vector<uint8_t> data = b.Finish();
  data.erase(data.begin(), data.begin() + 8);
  return data;
}

void WmfTranslation::EmitRegionRecord(DWORD type, const std::vector<RECT>& rects, std::optional<uint32_t> brush,
                                      SIZE stroke) {
  const std::vector<uint8_t> data = RegionData(rects, type == EMR_EXTSELECTCLIPRGN);
  EmfRecordBuilder b(type);
  if (type == EMR_EXTSELECTCLIPRGN) {
    b.U32(uint32_t(data.size())).U32(RGN_COPY);
  } else {
    RECTL bound{0, 0, -1, -1};
    if (data.size() >= 32)
      bound = RECTL{int32_t(Le32(data, 16)), int32_t(Le32(data, 20)), int32_t(Le32(data, 24)), int32_t(Le32(data, 28))};
    b.Rect(bound).U32(uint32_t(data.size()));
    if (brush) b.U32(*brush);
    if (type == EMR_FRAMERGN) b.I32(stroke.cx).I32(stroke.cy);
  }
  b.Bytes(data);
  Emit(b);
}

void WmfTranslation::Regions(const WmfRecord& r) {
  switch (r.function) {
    case META_INTERSECTCLIPRECT: case META_EXCLUDECLIPRECT: {
      EmfRecordBuilder b(r.function == META_INTERSECTCLIPRECT ? EMR_INTERSECTCLIPRECT : EMR_EXCLUDECLIPRECT);
      b.Rect(WmfRect(r, 0));
      return Emit(b);
    }
    case META_OFFSETCLIPRGN:
      return Emit(EMR_OFFSETCLIPRGN, {uint32_t(int32_t(r.W(1))), uint32_t(int32_t(r.W(0)))});
    default: break;
  }
  const uint16_t region = r.U16(0);
  if (region >= table_.size() || !table_[region] || table_[region]->kind != Kind::Region) return;
  const std::vector<RECT>& rects = table_[region]->rects;
  switch (r.function) {
    case META_SELECTCLIPREGION: return EmitRegionRecord(EMR_EXTSELECTCLIPRGN, rects, {}, {});
    case META_PAINTREGION: return EmitRegionRecord(EMR_PAINTRGN, rects, {}, {});
    case META_INVERTREGION: return EmitRegionRecord(EMR_INVERTRGN, rects, {}, {});
    case META_FILLREGION:
    case META_FRAMEREGION: {
      const uint16_t brush = r.U16(2);
      if (brush >= table_.size() || !table_[brush] || table_[brush]->kind != Kind::Brush) return;
      if (r.function == META_FILLREGION) return EmitRegionRecord(EMR_FILLRGN, rects, brush + 1u, {});
      return EmitRegionRecord(EMR_FRAMERGN, rects, brush + 1u, SIZE{r.W(3), r.W(2)});
    }
  }
}

void WmfTranslation::Blits(const WmfRecord& r) {
  // The bitmap-less forms of the blits are told apart by their size: (function >> 8) + 3 words.
  const size_t noBitmapBytes = size_t((r.function >> 8) + 3) * 2 - 6;
  switch (r.function) {
    case META_PATBLT: {
      EmfRecordBuilder b(EMR_BITBLT);
      const int32_t x = r.W(5), y = r.W(4), w = r.W(3), h = r.W(2);
      b.Rect(RECTL{x, y, x + w - 1, y + h - 1}).I32(x).I32(y).I32(w).I32(h).U32(r.U32(0));
      b.I32(0).I32(0);
      const XFORM identity;
      b.F32(identity.eM11).F32(0).F32(0).F32(identity.eM22).F32(0).F32(0);
      b.U32(0).U32(DIB_RGB_COLORS).U32(0).U32(0).U32(0).U32(0);
      return Emit(b);
    }
    case META_BITBLT: return BlitRecord(r, false, false, r.Size() != noBitmapBytes);
    case META_DIBBITBLT: return BlitRecord(r, false, true, r.Size() != noBitmapBytes);
    case META_STRETCHBLT: return BlitRecord(r, true, false, r.Size() != noBitmapBytes);
    case META_DIBSTRETCHBLT: return BlitRecord(r, true, true, r.Size() != noBitmapBytes);
    case META_STRETCHDIB: {
      // rop (32), usage, source height, width, y, x, destination height, width, y, x, DIB.
      const uint32_t usage = std::min<uint32_t>(r.U16(4), DIB_PAL_COLORS);
      auto dib = SplitPackedDib(r.params.subspan(std::min<size_t>(22, r.Size())), usage);
      if (!dib) return;
      const int32_t sh = r.W(3), sw = r.W(4), sy = r.W(5), sx = r.W(6), dh = r.W(7), dw = r.W(8), dy = r.W(9),
                    dx = r.W(10);
      EmfRecordBuilder b(EMR_STRETCHDIBITS);
      b.Rect(RECTL{dx, dy, dx + dw - 1, dy + dh - 1}).I32(dx).I32(dy).I32(sx).I32(sy).I32(sw).I32(sh);
      const uint32_t fields = DibFields(b);
      b.U32(usage).U32(r.U32(0)).I32(dw).I32(dh);
      AppendDib(b, fields, *dib);
      return Emit(b);
    }
    case META_SETDIBTODEV: {
      // usage, scan count, start scan, y source, x source, height, width, y, x, DIB.
      const uint32_t usage = std::min<uint32_t>(r.U16(0), DIB_PAL_COLORS);
      auto dib = SplitPackedDib(r.params.subspan(std::min<size_t>(18, r.Size())), usage);
      if (!dib) return;
      const int32_t scans = r.W(1), start = r.W(2), sy = r.W(3), sx = r.W(4), h = r.W(5), w = r.W(6), y = r.W(7),
                    x = r.W(8);
      EmfRecordBuilder b(EMR_SETDIBITSTODEVICE);
      b.Rect(RECTL{x, y, x + w - 1, y + h - 1}).I32(x).I32(y).I32(sx).I32(sy).I32(w).I32(h);
      const uint32_t fields = DibFields(b);
      b.U32(usage).U32(uint32_t(start)).U32(uint32_t(scans));
      AppendDib(b, fields, *dib);
      return Emit(b);
    }
  }
}

void WmfTranslation::BlitRecord(const WmfRecord& r, bool stretch, bool dib, bool withBitmap) {
  // rop (32), [source height, source width,] source y, source x, [reserved when without a
  // bitmap,] height, width, y, x, then the bitmap.
  size_t w = 2;  // word index after the rop
  int32_t sh = 0, sw = 0;
  if (stretch) {
    sh = r.W(w++);
    sw = r.W(w++);
  }
  const int32_t sy = r.W(w++), sx = r.W(w++);
  if (!withBitmap) ++w;
  const int32_t h = r.W(w++), width = r.W(w++), y = r.W(w++), x = r.W(w++);
  if (!stretch) {
    sh = h;
    sw = width;
  }
  std::optional<Dib> bitmap;
  if (withBitmap) {
    const size_t at = w * 2;
    bitmap = dib ? SplitPackedDib(r.params.subspan(std::min(at, r.Size())), DIB_RGB_COLORS)
                 : Bitmap16ToDib(r, at, at + 10);
    if (!bitmap) return;
  }
  EmfRecordBuilder b(stretch ? EMR_STRETCHBLT : EMR_BITBLT);
  b.Rect(RECTL{x, y, x + width - 1, y + h - 1}).I32(x).I32(y).I32(width).I32(h).U32(r.U32(0)).I32(sx).I32(sy);
  b.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0);
  b.U32(0).U32(DIB_RGB_COLORS);
  const uint32_t fields = DibFields(b);
  if (stretch) b.I32(sw).I32(sh);
  if (bitmap) AppendDib(b, fields, *bitmap);
  Emit(b);
}
