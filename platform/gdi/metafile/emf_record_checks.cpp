// The content checks of the record reader: every fixed field inside the record, every count
// times its element size inside it, every bitmap, string and advance array inside it.
#include <algorithm>

#include "platform/gdi/dib.h"
#include "platform/gdi/metafile/emf_reader.h"

namespace {

// Size of the fixed part of each record type (type and size included); 8 for records
// without parameters; 0 for types this table does not know (only the frame is checked).
uint32_t MinimumSize(uint32_t type) {
  switch (type) {
    case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO: case EMR_POLYLINETO:
    case EMR_POLYDRAW: case EMR_POLYBEZIER16: case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16: case EMR_POLYDRAW16:
      return 28;
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16:
      return 32;
    case EMR_SETWINDOWEXTEX: case EMR_SETWINDOWORGEX: case EMR_SETVIEWPORTEXTEX: case EMR_SETVIEWPORTORGEX:
    case EMR_SETBRUSHORGEX: case EMR_OFFSETCLIPRGN: case EMR_MOVETOEX: case EMR_LINETO:
      return 16;
    case EMR_EOF: return 20;
    case EMR_SETPIXELV: return 20;
    case EMR_SETMAPPERFLAGS: case EMR_SETMAPMODE: case EMR_SETBKMODE: case EMR_SETPOLYFILLMODE: case EMR_SETROP2:
    case EMR_SETSTRETCHBLTMODE: case EMR_SETTEXTALIGN: case EMR_SETTEXTCOLOR: case EMR_SETBKCOLOR:
    case EMR_RESTOREDC: case EMR_SELECTOBJECT: case EMR_DELETEOBJECT: case EMR_SELECTPALETTE:
    case EMR_SETARCDIRECTION: case EMR_SETMITERLIMIT: case EMR_SELECTCLIPPATH: case EMR_SETICMMODE:
    case EMR_SETLAYOUT: case EMR_SETCOLORSPACE: case EMR_DELETECOLORSPACE:
      return 12;
    case EMR_SETCOLORADJUSTMENT: return 32;
    case EMR_SETMETARGN: case EMR_SAVEDC: case EMR_REALIZEPALETTE: case EMR_BEGINPATH: case EMR_ENDPATH:
    case EMR_CLOSEFIGURE: case EMR_FLATTENPATH: case EMR_WIDENPATH: case EMR_ABORTPATH:
      return 8;
    case EMR_EXCLUDECLIPRECT: case EMR_INTERSECTCLIPRECT: case EMR_ELLIPSE: case EMR_RECTANGLE:
    case EMR_FILLPATH: case EMR_STROKEANDFILLPATH: case EMR_STROKEPATH:
      return 24;
    case EMR_SCALEVIEWPORTEXTEX: case EMR_SCALEWINDOWEXTEX: return 24;
    case EMR_SETWORLDTRANSFORM: return 32;
    case EMR_MODIFYWORLDTRANSFORM: return 36;
    case EMR_CREATEPEN: return 28;
    case EMR_CREATEBRUSHINDIRECT: return 24;
    case EMR_ANGLEARC: return 28;
    case EMR_ROUNDRECT: return 32;
    case EMR_ARC: case EMR_CHORD: case EMR_PIE: case EMR_ARCTO: return 40;
    case EMR_CREATEPALETTE: return 16;
    case EMR_SETPALETTEENTRIES: return 20;
    case EMR_RESIZEPALETTE: return 16;
    case EMR_EXTFLOODFILL: return 24;
    case EMR_GDICOMMENT: return 12;
    case EMR_FILLRGN: return 32;
    case EMR_FRAMERGN: return 40;
    case EMR_INVERTRGN: case EMR_PAINTRGN: return 28;
    case EMR_EXTSELECTCLIPRGN: return 16;
    case EMR_BITBLT: return 100;
    case EMR_STRETCHBLT: case EMR_ALPHABLEND: case EMR_TRANSPARENTBLT: return 108;
    case EMR_MASKBLT: return 128;
    case EMR_PLGBLT: return 140;
    case EMR_SETDIBITSTODEVICE: return 76;
    case EMR_STRETCHDIBITS: return 80;
    case EMR_EXTCREATEFONTINDIRECTW: return 12 + 92;
    case EMR_EXTTEXTOUTA: case EMR_EXTTEXTOUTW: return 76;
    case EMR_CREATEMONOBRUSH: case EMR_CREATEDIBPATTERNBRUSHPT: return 32;
    case EMR_EXTCREATEPEN: return 52;
    case EMR_POLYTEXTOUTA: case EMR_POLYTEXTOUTW: return 40;
    case EMR_SMALLTEXTOUT: return 36;
    case EMR_GRADIENTFILL: return 36;
    case EMR_SETTEXTJUSTIFICATION: return 16;
    case EMR_PIXELFORMAT: return 48;
    default: return 0;
  }
}

bool Fits(const ENHMETARECORD& r, uint64_t offset, uint64_t count, uint64_t elementSize) {
  // count < 2^32 and elementSize is small: the product cannot overflow 64 bits.
  return r.Has(offset, count * elementSize);
}

// Region data: a 32-byte header whose rectangle count fits the given size.
bool CheckRegion(const ENHMETARECORD& r, uint64_t offset, uint64_t size) {
  if (size == 0) return true;
  if (size < 32 || !r.Has(offset, size)) return false;
  const uint64_t count = r.U32(offset + 8);
  return r.U32(offset) >= 32 && count * 16 <= size - 32 && r.U32(offset) + count * 16 <= size;
}

// One EMRTEXT block at `at`: the string (`charSize` bytes a character) and the advances (4
// bytes each, 8 with ETO_PDY), both at offsets from the record's start.
bool CheckText(const ENHMETARECORD& r, uint64_t at, uint64_t charSize) {
  const uint64_t count = r.U32(at + 8), offString = r.U32(at + 12), options = r.U32(at + 16),
                 offDx = r.U32(at + 36);
  if (count == 0) return true;
  if (!Fits(r, offString, count, charSize)) return false;
  if (offDx != 0 && !Fits(r, offDx, count, (options & ETO_PDY) ? 8 : 4)) return false;
  return true;
}

bool CheckPoly(const ENHMETARECORD& r, uint64_t pointSize, bool types) {
  const uint64_t count = r.U32(24);
  if (!Fits(r, 28, count, pointSize)) return false;
  return !types || Fits(r, 28 + count * pointSize, count, 1);
}

bool CheckPolyPoly(const ENHMETARECORD& r, uint64_t pointSize) {
  const uint64_t polys = r.U32(24), total = r.U32(28);
  if (!Fits(r, 32, polys, 4) || !Fits(r, 32 + polys * 4, total, pointSize)) return false;
  uint64_t sum = 0;
  for (uint64_t i = 0; i < polys; ++i) sum += r.U32(32 + 4 * i);
  return sum <= total;
}

bool CheckGradient(const ENHMETARECORD& r) {
  const uint64_t vertices = r.U32(24), objects = r.U32(28), mode = r.U32(32);
  if (!Fits(r, 36, vertices, 16)) return false;
  const uint64_t at = 36 + vertices * 16;
  const uint64_t corners = mode == GRADIENT_FILL_TRIANGLE ? 3 : 2;
  if (mode > GRADIENT_FILL_TRIANGLE || !Fits(r, at, objects, corners * 4)) return false;
  for (uint64_t i = 0; i < objects * corners; ++i)
    if (r.U32(at + 4 * i) >= vertices) return false;
  return true;
}

}  // namespace

bool CheckRecordDib(const ENHMETARECORD& r, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits, uint32_t cbBits,
                    uint32_t usage, int64_t rows) {
  if (RecordCarriesNoDib(offBmi, cbBmi, cbBits)) return true;
  if (!r.Has(offBmi, cbBmi) || !r.Has(offBits, cbBits) || cbBmi < 12) return false;
  const uint64_t headerSize = r.U32(offBmi);
  if (headerSize > cbBmi || (headerSize != 12 && headerSize < 16)) return false;
  int64_t width, height;
  uint32_t bpp, compression = BI_RGB, clrUsed = 0, sizeImage = 0;
  if (headerSize == 12) {
    width = r.U16(offBmi + 4);
    height = r.U16(offBmi + 6);
    bpp = r.U16(offBmi + 10);
  } else {
    width = r.I32(offBmi + 4);
    height = r.I32(offBmi + 8);
    bpp = r.U16(offBmi + 14);
    if (headerSize >= 20) compression = r.U32(offBmi + 16);
    if (headerSize >= 24) sizeImage = r.U32(offBmi + 20);
    if (headerSize >= 36) clrUsed = r.U32(offBmi + 32);
  }
  if (height < 0) height = -height;
  if (width <= 0 || height <= 0 || width * height > kMaxBitmapPixels) return false;
  const bool compressed = compression == BI_RLE8 || compression == BI_RLE4 || compression == BI_JPEG ||
                          compression == BI_PNG;
  if (compression > BI_ALPHABITFIELDS) return false;
  if (!compressed && bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  // The colour table (or the bit-field masks that a 40-byte header leaves to follow it).
  uint64_t table = 0;
  const uint64_t entrySize = usage == DIB_PAL_COLORS ? 2 : (headerSize == 12 ? 3 : 4);
  if (bpp >= 1 && bpp <= 8) {
    const uint64_t max = uint64_t(1) << bpp;
    table = (clrUsed == 0 || clrUsed > max ? max : clrUsed) * entrySize;
  }
  if ((compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS) && headerSize < 52)
    table = compression == BI_BITFIELDS ? 12 : 16;
  if (headerSize + table > cbBmi) return false;
  // The bits: whole rows, or the compressed size the header gives.
  if (rows < 0 || rows > height) rows = height;
  const uint64_t needed = compressed ? sizeImage : uint64_t(DibStride(width, int(bpp))) * uint64_t(rows);
  return needed <= cbBits;
}

bool CheckEmfRecord(const ENHMETARECORD& r) {
  const uint32_t min = MinimumSize(r.iType);
  if (r.nSize < min || r.bytes.size() < min) return false;
  switch (r.iType) {
    case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO: case EMR_POLYLINETO:
      return CheckPoly(r, 8, false);
    case EMR_POLYBEZIER16: case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYBEZIERTO16: case EMR_POLYLINETO16:
      return CheckPoly(r, 4, false);
    case EMR_POLYDRAW: return CheckPoly(r, 8, true);
    case EMR_POLYDRAW16: return CheckPoly(r, 4, true);
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: return CheckPolyPoly(r, 8);
    case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16: return CheckPolyPoly(r, 4);
    case EMR_EOF: {
      const uint64_t n = r.U32(8), off = r.U32(12);
      return n == 0 || Fits(r, off, n, 4);
    }
    case EMR_CREATEPALETTE: return Fits(r, 16, r.U16(14), 4);
    case EMR_SETPALETTEENTRIES: return Fits(r, 20, r.U32(16), 4);
    case EMR_GDICOMMENT: return Fits(r, 12, r.U32(8), 1);
    case EMR_FILLRGN: return CheckRegion(r, 32, r.U32(24));
    case EMR_FRAMERGN: return CheckRegion(r, 40, r.U32(24));
    case EMR_INVERTRGN: case EMR_PAINTRGN: return CheckRegion(r, 28, r.U32(24));
    case EMR_EXTSELECTCLIPRGN: return CheckRegion(r, 16, r.U32(8));
    case EMR_BITBLT: case EMR_STRETCHBLT: case EMR_ALPHABLEND: case EMR_TRANSPARENTBLT:
      return CheckRecordDib(r, r.U32(84), r.U32(88), r.U32(92), r.U32(96), r.U32(80));
    case EMR_MASKBLT:
      return CheckRecordDib(r, r.U32(84), r.U32(88), r.U32(92), r.U32(96), r.U32(80)) &&
             CheckRecordDib(r, r.U32(112), r.U32(116), r.U32(120), r.U32(124), r.U32(108));
    case EMR_PLGBLT:
      return CheckRecordDib(r, r.U32(96), r.U32(100), r.U32(104), r.U32(108), r.U32(92)) &&
             CheckRecordDib(r, r.U32(124), r.U32(128), r.U32(132), r.U32(136), r.U32(120));
    case EMR_SETDIBITSTODEVICE:
      return CheckRecordDib(r, r.U32(48), r.U32(52), r.U32(56), r.U32(60), r.U32(64), r.U32(72));
    case EMR_STRETCHDIBITS:
      return CheckRecordDib(r, r.U32(48), r.U32(52), r.U32(56), r.U32(60), r.U32(64));
    case EMR_CREATEMONOBRUSH: case EMR_CREATEDIBPATTERNBRUSHPT:
      return CheckRecordDib(r, r.U32(16), r.U32(20), r.U32(24), r.U32(28), r.U32(12));
    case EMR_EXTCREATEPEN:
      return Fits(r, 52, r.U32(48), 4) && CheckRecordDib(r, r.U32(12), r.U32(16), r.U32(20), r.U32(24), DIB_RGB_COLORS);
    case EMR_EXTTEXTOUTA: return CheckText(r, 36, 1);
    case EMR_EXTTEXTOUTW: return CheckText(r, 36, 2);
    case EMR_POLYTEXTOUTA: case EMR_POLYTEXTOUTW: {
      const uint64_t strings = r.U32(36);
      if (!Fits(r, 40, strings, 40)) return false;
      for (uint64_t i = 0; i < strings; ++i)
        if (!CheckText(r, 40 + 40 * i, r.iType == EMR_POLYTEXTOUTA ? 1 : 2)) return false;
      return true;
    }
    case EMR_SMALLTEXTOUT: {
      const uint64_t count = r.U32(16), options = r.U32(20);
      const uint64_t at = (options & ETO_NO_RECT) ? 36 : 52;
      return Fits(r, at, count, (options & ETO_SMALL_CHARS) ? 1 : 2);
    }
    case EMR_GRADIENTFILL: return CheckGradient(r);
    default: return true;
  }
}
