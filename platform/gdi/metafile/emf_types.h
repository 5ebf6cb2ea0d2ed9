// Enhanced metafiles as the platform describes them: record types, the header, the record view
// handed to enumeration callbacks, the handle table, world transforms and mapping modes.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "platform/gdi/gdi_object.h"
#include "platform/gdi/gdi_types.h"

static_assert(std::endian::native == std::endian::little, "metafile records are read in place");

// Record types.
inline constexpr DWORD EMR_HEADER = 1, EMR_POLYBEZIER = 2, EMR_POLYGON = 3, EMR_POLYLINE = 4,
                       EMR_POLYBEZIERTO = 5, EMR_POLYLINETO = 6, EMR_POLYPOLYLINE = 7, EMR_POLYPOLYGON = 8,
                       EMR_SETWINDOWEXTEX = 9, EMR_SETWINDOWORGEX = 10, EMR_SETVIEWPORTEXTEX = 11,
                       EMR_SETVIEWPORTORGEX = 12, EMR_SETBRUSHORGEX = 13, EMR_EOF = 14, EMR_SETPIXELV = 15,
                       EMR_SETMAPPERFLAGS = 16, EMR_SETMAPMODE = 17, EMR_SETBKMODE = 18, EMR_SETPOLYFILLMODE = 19,
                       EMR_SETROP2 = 20, EMR_SETSTRETCHBLTMODE = 21, EMR_SETTEXTALIGN = 22,
                       EMR_SETCOLORADJUSTMENT = 23, EMR_SETTEXTCOLOR = 24, EMR_SETBKCOLOR = 25,
                       EMR_OFFSETCLIPRGN = 26, EMR_MOVETOEX = 27, EMR_SETMETARGN = 28, EMR_EXCLUDECLIPRECT = 29,
                       EMR_INTERSECTCLIPRECT = 30, EMR_SCALEVIEWPORTEXTEX = 31, EMR_SCALEWINDOWEXTEX = 32,
                       EMR_SAVEDC = 33, EMR_RESTOREDC = 34, EMR_SETWORLDTRANSFORM = 35,
                       EMR_MODIFYWORLDTRANSFORM = 36, EMR_SELECTOBJECT = 37, EMR_CREATEPEN = 38,
                       EMR_CREATEBRUSHINDIRECT = 39, EMR_DELETEOBJECT = 40, EMR_ANGLEARC = 41, EMR_ELLIPSE = 42,
                       EMR_RECTANGLE = 43, EMR_ROUNDRECT = 44, EMR_ARC = 45, EMR_CHORD = 46, EMR_PIE = 47,
                       EMR_SELECTPALETTE = 48, EMR_CREATEPALETTE = 49, EMR_SETPALETTEENTRIES = 50,
                       EMR_RESIZEPALETTE = 51, EMR_REALIZEPALETTE = 52, EMR_EXTFLOODFILL = 53, EMR_LINETO = 54,
                       EMR_ARCTO = 55, EMR_POLYDRAW = 56, EMR_SETARCDIRECTION = 57, EMR_SETMITERLIMIT = 58,
                       EMR_BEGINPATH = 59, EMR_ENDPATH = 60, EMR_CLOSEFIGURE = 61, EMR_FILLPATH = 62,
                       EMR_STROKEANDFILLPATH = 63, EMR_STROKEPATH = 64, EMR_FLATTENPATH = 65, EMR_WIDENPATH = 66,
                       EMR_SELECTCLIPPATH = 67, EMR_ABORTPATH = 68, EMR_GDICOMMENT = 70, EMR_FILLRGN = 71,
                       EMR_FRAMERGN = 72, EMR_INVERTRGN = 73, EMR_PAINTRGN = 74, EMR_EXTSELECTCLIPRGN = 75,
                       EMR_BITBLT = 76, EMR_STRETCHBLT = 77, EMR_MASKBLT = 78, EMR_PLGBLT = 79,
                       EMR_SETDIBITSTODEVICE = 80, EMR_STRETCHDIBITS = 81, EMR_EXTCREATEFONTINDIRECTW = 82,
                       EMR_EXTTEXTOUTA = 83, EMR_EXTTEXTOUTW = 84, EMR_POLYBEZIER16 = 85, EMR_POLYGON16 = 86,
                       EMR_POLYLINE16 = 87, EMR_POLYBEZIERTO16 = 88, EMR_POLYLINETO16 = 89,
                       EMR_POLYPOLYLINE16 = 90, EMR_POLYPOLYGON16 = 91, EMR_POLYDRAW16 = 92,
                       EMR_CREATEMONOBRUSH = 93, EMR_CREATEDIBPATTERNBRUSHPT = 94, EMR_EXTCREATEPEN = 95,
                       EMR_POLYTEXTOUTA = 96, EMR_POLYTEXTOUTW = 97, EMR_SETICMMODE = 98,
                       EMR_CREATECOLORSPACE = 99, EMR_SETCOLORSPACE = 100, EMR_DELETECOLORSPACE = 101,
                       EMR_GLSRECORD = 102, EMR_GLSBOUNDEDRECORD = 103, EMR_PIXELFORMAT = 104,
                       EMR_DRAWESCAPE = 105, EMR_EXTESCAPE = 106, EMR_SMALLTEXTOUT = 108,
                       EMR_FORCEUFIMAPPING = 109, EMR_NAMEDESCAPE = 110, EMR_COLORCORRECTPALETTE = 111,
                       EMR_SETICMPROFILEA = 112, EMR_SETICMPROFILEW = 113, EMR_ALPHABLEND = 114,
                       EMR_SETLAYOUT = 115, EMR_TRANSPARENTBLT = 116, EMR_GRADIENTFILL = 118,
                       EMR_SETLINKEDUFIS = 119, EMR_SETTEXTJUSTIFICATION = 120, EMR_COLORMATCHTOTARGETW = 121,
                       EMR_CREATECOLORSPACEW = 122;

inline constexpr DWORD ENHMETA_SIGNATURE = 0x464D4520;  // " EMF"
inline constexpr uint32_t OBJ_ENHMETAFILE = 13;

// Mapping modes (MM_TEXT is in dc.h).
inline constexpr int MM_LOMETRIC = 2, MM_HIMETRIC = 3, MM_LOENGLISH = 4, MM_HIENGLISH = 5, MM_TWIPS = 6,
                     MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8;
inline constexpr int AD_COUNTERCLOCKWISE = 1, AD_CLOCKWISE = 2;
inline constexpr DWORD MWT_IDENTITY = 1, MWT_LEFTMULTIPLY = 2, MWT_RIGHTMULTIPLY = 3;
// Options of text records beyond those of text.h.
inline constexpr UINT ETO_NO_RECT = 0x100, ETO_SMALL_CHARS = 0x200, ETO_PDY = 0x2000;
// Point types of POLYDRAW.
inline constexpr uint8_t PT_CLOSEFIGURE = 1, PT_LINETO = 2, PT_BEZIERTO = 4, PT_MOVETO = 6;
inline constexpr DWORD GRADIENT_FILL_RECT_H = 0, GRADIENT_FILL_RECT_V = 1, GRADIENT_FILL_TRIANGLE = 2;

using RECTL = RECT;
using POINTL = POINT;
using SIZEL = SIZE;

struct XFORM {
  float eM11 = 1, eM12 = 0, eM21 = 0, eM22 = 1, eDx = 0, eDy = 0;
  friend bool operator==(const XFORM&, const XFORM&) = default;
};

// `out` = a then b: a point goes through `a` first. False (and `out` untouched) for null
// arguments.
bool CombineTransform(XFORM* out, const XFORM* a, const XFORM* b);

// The fixed part of the header record, with the platform's field names. Fields that a short
// header lacks read as 0.
struct ENHMETAHEADER {
  DWORD iType = EMR_HEADER;
  DWORD nSize = 0;
  RECTL rclBounds;  // device pixels, inclusive
  RECTL rclFrame;   // hundredths of a millimetre, inclusive
  DWORD dSignature = ENHMETA_SIGNATURE;
  DWORD nVersion = 0x10000;
  DWORD nBytes = 0;
  DWORD nRecords = 0;
  WORD nHandles = 0;
  WORD sReserved = 0;
  DWORD nDescription = 0;  // UTF-16 code units
  DWORD offDescription = 0;
  DWORD nPalEntries = 0;
  SIZEL szlDevice;       // reference device, pixels
  SIZEL szlMillimeters;  // reference device, millimetres
  DWORD cbPixelFormat = 0;
  DWORD offPixelFormat = 0;
  DWORD bOpenGL = 0;
  SIZEL szlMicrometers;
};

// One record as the enumeration hands it out: a view into the metafile's bytes, which live as
// long as the metafile. Every read below is bounds-checked and gives 0 outside the record.
struct ENHMETARECORD {
  DWORD iType = 0;
  DWORD nSize = 0;
  std::span<const DWORD> dParm;    // nSize / 4 - 2 parameters after type and size
  std::span<const uint8_t> bytes;  // the whole record, type and size included

  bool Has(uint64_t offset, uint64_t length) const {
    return offset <= bytes.size() && length <= bytes.size() - offset;
  }
  uint8_t U8(uint64_t off) const { return Has(off, 1) ? bytes[off] : 0; }
  uint16_t U16(uint64_t off) const { return Has(off, 2) ? uint16_t(bytes[off] | (bytes[off + 1] << 8)) : 0; }
  int16_t I16(uint64_t off) const { return int16_t(U16(off)); }
  uint32_t U32(uint64_t off) const {
    uint32_t v = 0;
    if (Has(off, 4)) std::memcpy(&v, bytes.data() + off, 4);
    return v;
  }
  int32_t I32(uint64_t off) const { return int32_t(U32(off)); }
  float F32(uint64_t off) const { return std::bit_cast<float>(U32(off)); }
  POINTL Point(uint64_t off) const { return POINTL{I32(off), I32(off + 4)}; }
  RECTL Rect(uint64_t off) const { return RECTL{I32(off), I32(off + 4), I32(off + 8), I32(off + 12)}; }
  XFORM Xform(uint64_t off) const {
    return XFORM{F32(off), F32(off + 4), F32(off + 8), F32(off + 12), F32(off + 16), F32(off + 20)};
  }
  // A byte range of the record (empty when it does not lie inside).
  std::span<const uint8_t> Slice(uint64_t off, uint64_t length) const {
    return Has(off, length) ? bytes.subspan(size_t(off), size_t(length)) : std::span<const uint8_t>{};
  }
};

class EmfPlayer;

// The objects a metafile creates, by the index its records give (index 0 is the metafile
// itself and never holds an object). Playback keeps its drawing state beside it.
struct HANDLETABLE {
  std::vector<HGDIOBJ> objectHandle;
  std::shared_ptr<EmfPlayer> player;  // set while a playback runs
};

// The callback of EnumEnhMetaFile: a non-zero result continues the enumeration.
using ENHMFENUMPROC = int (*)(HDC dc, HANDLETABLE* table, const ENHMETARECORD* record, int handles, void* data);

struct GdiHandleEnhMetaFile_;
using HENHMETAFILE = GdiHandleEnhMetaFile_*;

// What SetWinMetaFileBits is told about the picture: a mapping mode and its extents (for the
// isotropic and anisotropic modes in hundredths of a millimetre).
struct METAFILEPICT {
  LONG mm = MM_ANISOTROPIC;
  LONG xExt = 0;
  LONG yExt = 0;
};
