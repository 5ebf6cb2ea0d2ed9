// Recording into an EMF+ metafile: the calls of a Graphics made on a recording come out as
// EMF+ records in EMF comments, checked field by field against the published layouts
// (offsets and values worked out by hand below), and the recording's refusals.
#include <cstring>
#include <filesystem>
#include <span>

#include "tests/platform/gdiplus/provider.h"
#include "tests/support/emf2svg_records.h"

namespace gptest {
namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= uint32_t(b.at(at + i)) << (8 * i);
  return v;
}
float F32(const std::vector<uint8_t>& b, size_t at) {
  const uint32_t u = U32(b, at);
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}
uint32_t Bits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

// A record's data, word by word.
void ExpectWords(const std::vector<uint8_t>& d, std::span<const uint32_t> words, const char* what) {
  ASSERT_EQ(d.size(), words.size() * 4) << what;
  for (size_t k = 0; k < words.size(); ++k) EXPECT_EQ(U32(d, 4 * k), words[k]) << what << " field " << k;
}

struct PlusRecord {
  uint16_t type = 0, flags = 0;
  uint32_t size = 0;
  std::vector<uint8_t> data;  // after the 12-byte head
};

// The EMF walked record by record: the framing must hold (header first, sizes adding up to
// the header's byte count, EOF last), and every EMF+ record in the comments is collected.
struct Walk {
  uint32_t emfRecords = 0;
  std::vector<PlusRecord> plus;
  std::vector<uint32_t> emfTypes;
};

Walk WalkEmf(const std::vector<uint8_t>& f) {
  Walk w;
  EXPECT_GE(f.size(), 108u);
  if (f.size() < 108) return w;
  EXPECT_EQ(U32(f, 0), 1u);                  // EMR_HEADER
  EXPECT_EQ(U32(f, 40), 0x464D4520u);        // " EMF"
  EXPECT_EQ(U32(f, 48), uint32_t(f.size()));  // nBytes
  size_t at = 0;
  while (at + 8 <= f.size()) {
    const uint32_t type = U32(f, at), size = U32(f, at + 4);
    EXPECT_TRUE(size >= 8 && size % 4 == 0 && at + size <= f.size()) << "record at " << at;
    if (size < 8 || at + size > f.size()) break;
    w.emfTypes.push_back(type);
    ++w.emfRecords;
    if (type == 70) {  // EMR_GDICOMMENT: data size, "EMF+", records
      const uint32_t dataSize = U32(f, at + 8);
      EXPECT_EQ(U32(f, at + 12), 0x2B464D45u);
      size_t p = at + 16;
      const size_t end = at + 12 + dataSize;
      while (p + 12 <= end) {
        PlusRecord r;
        r.type = uint16_t(U32(f, p));
        r.flags = uint16_t(U32(f, p) >> 16);
        r.size = U32(f, p + 4);
        EXPECT_EQ(U32(f, p + 8), r.size - 12) << "data size of " << std::hex << r.type;
        EXPECT_EQ(r.size % 4, 0u);
        if (r.size < 12 || p + r.size > end) break;
        r.data.assign(f.begin() + long(p + 12), f.begin() + long(p + r.size));
        w.plus.push_back(std::move(r));
        p += r.size;
      }
    }
    at += size;
  }
  EXPECT_EQ(at, f.size());
  EXPECT_EQ(U32(f, 52), w.emfRecords);  // nRecords
  EXPECT_EQ(w.emfTypes.back(), 14u);    // EMR_EOF
  return w;
}

// A recording of w x h pixels on a memory stream.
struct Recording {
  MemoryStream stream;
  GpMetafile* metafile = nullptr;
  GpGraphics* g = nullptr;
  int dc = 0;  // any non-null reference device

  explicit Recording(REAL w = 40, REAL h = 30) {
    const GpRectF frame{0, 0, w, h};
    EXPECT_EQ(GP(GdipRecordMetafileStream)(&stream, &dc, EmfTypeEmfPlusOnly, &frame, MetafileFrameUnitPixel, nullptr,
                                           &metafile),
              Ok);
    EXPECT_EQ(GP(GdipGetImageGraphicsContext)(reinterpret_cast<GpImage*>(metafile), &g), Ok);
  }
  Walk Finish() {
    EXPECT_EQ(GP(GdipDisposeImage)(reinterpret_cast<GpImage*>(metafile)), Ok);
    GP(GdipDeleteGraphics)(g);
    return WalkEmf(stream.bytes());
  }
};

GpPath* Triangle(GpFillMode mode) {
  GpPath* p = nullptr;
  EXPECT_EQ(GP(GdipCreatePath)(mode, &p), Ok);
  GP(GdipAddPathLine)(p, 1, 2, 10, 2);
  GP(GdipAddPathLine)(p, 10, 2, 5, 8);
  GP(GdipClosePathFigure)(p);
  return p;
}

// The path object of Triangle: version, 3 points, flags, the points, types start, line,
// line + close, one byte of padding.
void ExpectTrianglePath(const std::vector<uint8_t>& d, size_t at, uint32_t flags) {
  EXPECT_EQ(U32(d, at), 0xDBC01002u);
  EXPECT_EQ(U32(d, at + 4), 3u);
  EXPECT_EQ(U32(d, at + 8), flags);
  const float xy[6] = {1, 2, 10, 2, 5, 8};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(F32(d, at + 12 + 4 * i), xy[i]) << i;
  EXPECT_EQ(d.at(at + 36), 0x00);
  EXPECT_EQ(d.at(at + 37), 0x01);
  EXPECT_EQ(d.at(at + 38), 0x81);
}

TEST(GdiplusRecording, HeaderFrameAndStateRecords) {
  Recording rec(40.2f, 30);
  GP(GdipSetPageUnit)(rec.g, UnitPixel);
  GP(GdipSetSmoothingMode)(rec.g, SmoothingModeAntiAlias);
  GP(GdipSetInterpolationMode)(rec.g, InterpolationModeBicubic);
  GP(GdipSetPixelOffsetMode)(rec.g, PixelOffsetModeHalf);
  GpMatrix* m = nullptr;
  GP(GdipCreateMatrix2)(2, 0, 0, 3, 5, 7, &m);
  GP(GdipSetWorldTransform)(rec.g, m);
  GP(GdipDeleteMatrix)(m);
  GraphicsState state = 0;
  GP(GdipSaveGraphics)(rec.g, &state);
  GP(GdipResetClip)(rec.g);
  GP(GdipRestoreGraphics)(rec.g, state);
  GP(GdipGraphicsClear)(rec.g, 0xff102030);
  const std::vector<uint8_t>& f = rec.stream.bytes();
  EXPECT_TRUE(f.empty());  // nothing reaches the stream before the end
  const Walk w = rec.Finish();

  // The frame rounds up to whole pixels: 41 x 30, bounds inclusive, the frame in hundredths
  // of a millimetre at 96 dpi (41 x 2540 / 96 = 1084.8).
  const std::vector<uint8_t>& b = rec.stream.bytes();
  EXPECT_EQ(U32(b, 8), 0u);
  EXPECT_EQ(U32(b, 16), 40u);
  EXPECT_EQ(U32(b, 20), 29u);
  EXPECT_EQ(U32(b, 32), 1085u);
  EXPECT_EQ(U32(b, 36), 794u);  // 30 x 2540 / 96 = 793.75
  EXPECT_EQ(U32(b, 12 * 4 + 12), 0u);  // no description

  struct Expected {
    uint16_t type, flags;
    uint32_t size;
    std::vector<uint32_t> data;
  };
  const Expected table[] = {
      {0x4001, 0, 28, {0xDBC01002, 1, 96, 96}},                       // header: video display, 96 dpi
      {0x4030, 2, 16, {Bits(1.0f)}},                                  // page unit pixel, scale 1
      {0x401E, 4 << 1 | 1, 12, {}},                                   // anti-alias mode 4, on
      {0x4021, 4, 12, {}},                                            // bicubic
      {0x4022, 4, 12, {}},                                            // half
      {0x402A, 0, 36, {Bits(2), 0, 0, Bits(3), Bits(5), Bits(7)}},    // world transform
      {0x4025, 0, 16, {1}},                                           // save, stack index 1
      {0x4031, 0, 12, {}},                                            // reset clip
      {0x4026, 0, 16, {1}},                                           // restore 1
      {0x4009, 0, 16, {0xff102030}},                                  // clear
      {0x4002, 0, 12, {}},                                            // end of file
  };
  ASSERT_EQ(w.plus.size(), std::size(table));
  for (size_t i = 0; i < w.plus.size(); ++i) {
    const PlusRecord& r = w.plus[i];
    EXPECT_EQ(r.type, table[i].type) << i;
    EXPECT_EQ(r.flags, table[i].flags) << i;
    EXPECT_EQ(r.size, table[i].size) << i;
    for (size_t k = 0; k < table[i].data.size() && 4 * k + 4 <= r.data.size(); ++k)
      EXPECT_EQ(U32(r.data, 4 * k), table[i].data[k]) << i << " field " << k;
  }
  // One EMF+ record a comment, between the header and EOF.
  EXPECT_EQ(w.emfRecords, std::size(table) + 2);
}

TEST(GdiplusRecording, FillsAndStrokesCarryTheirPathsBrushesAndPens) {
  Recording rec;
  GpPath* even = Triangle(FillModeAlternate);
  GpPath* winding = Triangle(FillModeWinding);
  GpSolidFill* solid = nullptr;
  GP(GdipCreateSolidFill)(0x80ff0000, &solid);
  EXPECT_EQ(GP(GdipFillPath)(rec.g, reinterpret_cast<GpBrush*>(solid), even), Ok);
  GpPen* pen = nullptr;
  GP(GdipCreatePen1)(0xff0000ff, 2.5f, UnitPixel, &pen);
  GP(GdipSetPenLineJoin)(pen, LineJoinRound);
  GP(GdipSetPenStartCap)(pen, LineCapSquare);
  GP(GdipSetPenEndCap)(pen, LineCapSquare);
  GP(GdipSetPenMiterLimit)(pen, 4);
  const REAL dashes[2] = {3, 1};
  GP(GdipSetPenDashArray)(pen, dashes, 2);
  GP(GdipSetPenDashOffset)(pen, 0.5f);
  EXPECT_EQ(GP(GdipDrawPath)(rec.g, pen, winding), Ok);
  const GpPointF p1{0, 0}, p2{10, 0};
  GpLineGradient* line = nullptr;
  GP(GdipCreateLineBrush)(&p1, &p2, 0xff000000, 0xffffffff, WrapModeTile, &line);
  const ARGB colours[3] = {0xffff0000, 0xff00ff00, 0xff0000ff};
  const REAL positions[3] = {0, 0.5f, 1};
  GP(GdipSetLinePresetBlend)(line, colours, positions, 3);
  EXPECT_EQ(GP(GdipFillPath)(rec.g, reinterpret_cast<GpBrush*>(line), even), Ok);
  GP(GdipDeletePen)(pen);
  GP(GdipDeleteBrush)(reinterpret_cast<GpBrush*>(solid));
  GP(GdipDeleteBrush)(reinterpret_cast<GpBrush*>(line));
  GP(GdipDeletePath)(even);
  GP(GdipDeletePath)(winding);
  const Walk w = rec.Finish();
  ASSERT_EQ(w.plus.size(), 10u);

  // Solid fill: the path in slot 0 (object type 3 in bits 8-14), the colour in the record.
  EXPECT_EQ(w.plus[1].type, 0x4008);
  EXPECT_EQ(w.plus[1].flags, 0x0300);
  EXPECT_EQ(w.plus[1].size, 12u + 40u);
  ExpectTrianglePath(w.plus[1].data, 0, 0);
  EXPECT_EQ(w.plus[2].type, 0x4014);
  EXPECT_EQ(w.plus[2].flags, 0x8000);
  EXPECT_EQ(U32(w.plus[2].data, 0), 0x80ff0000u);

  // Stroke: the winding path in slot 1, the pen in slot 2, DrawPath names both.
  EXPECT_EQ(w.plus[3].flags, 0x0301);
  ExpectTrianglePath(w.plus[3].data, 0, 0x2000);
  EXPECT_EQ(w.plus[4].flags, 0x0202);
  const std::vector<uint8_t>& pd = w.plus[4].data;
  // version, type 0, flags (caps, join, miter, line style, dash cap, offset, dashes = 0x1FE),
  // unit pixel, width; start cap, end cap, join, miter limit; custom style 5, dash cap 0,
  // offset, 2 dashes; the solid brush of the colour.
  const uint32_t pen_fields[] = {0xDBC01002, 0, 0x1FE, 2, Bits(2.5f), 1, 1, 2, Bits(4), 5, 0, Bits(0.5f), 2,
                                 Bits(3), Bits(1), 0xDBC01002, 0, 0xff0000ff};
  ExpectWords(pd, pen_fields, "pen");
  EXPECT_EQ(w.plus[5].type, 0x4015);
  EXPECT_EQ(w.plus[5].flags, 1);
  EXPECT_EQ(U32(w.plus[5].data, 0), 2u);

  // Gradient fill: path slot 3, brush slot 4 (object type 1). The brush: linear gradient (4),
  // flags transform + preset colours, wrap tile, the unit rectangle, end colours, two
  // reserved words, the transform carrying (0,0)-(1,0) onto (0,0)-(10,0), three stops. The
  // end colours are those of the blend, which replaced the brush's own.
  EXPECT_EQ(w.plus[7].flags, 0x0104);
  const uint32_t brush_fields[] = {0xDBC01002, 4, 0x06, 0, 0, 0, Bits(1), Bits(1), 0xffff0000, 0xff0000ff, 0, 0,
                                   Bits(10), 0, 0, Bits(10), 0, 0, 3, 0, Bits(0.5f), Bits(1),
                                   0xffff0000, 0xff00ff00, 0xff0000ff};
  const std::vector<uint8_t>& bd = w.plus[7].data;
  ExpectWords(bd, brush_fields, "brush");
  EXPECT_EQ(w.plus[8].type, 0x4014);
  EXPECT_EQ(w.plus[8].flags, 3);
  EXPECT_EQ(U32(w.plus[8].data, 0), 4u);
}

TEST(GdiplusRecording, ClipsAsPathsAndRegions) {
  Recording rec;
  GpPath* path = Triangle(FillModeAlternate);
  EXPECT_EQ(GP(GdipSetClipPath)(rec.g, path, CombineModeIntersect), Ok);
  EXPECT_EQ(GP(GdipSetClipPath)(rec.g, path, CombineModeXor), Ok);
  // A region holding the clip so far comes back as an "xor" of two path nodes.
  GpRegion* region = nullptr;
  GP(GdipCreateRegion)(&region);
  EXPECT_EQ(GP(GdipGetClip)(rec.g, region), Ok);
  EXPECT_EQ(GP(GdipSetClipRegion)(rec.g, region, CombineModeReplace), Ok);
  GP(GdipDeleteRegion)(region);
  GP(GdipDeletePath)(path);
  const Walk w = rec.Finish();
  ASSERT_EQ(w.plus.size(), 8u);
  EXPECT_EQ(w.plus[1].flags, 0x0300);
  EXPECT_EQ(w.plus[2].type, 0x4033);
  EXPECT_EQ(w.plus[2].flags, 0x0100);  // intersect (1) in bits 8-11, path slot 0
  EXPECT_EQ(w.plus[4].flags, 0x0301);  // xor (3), path slot 1
  EXPECT_EQ(w.plus[5].flags, 0x0402);  // region object in slot 2
  EXPECT_EQ(w.plus[6].type, 0x4034);
  EXPECT_EQ(w.plus[6].flags, 0x0002);  // replace (0), slot 2
  // Region: version, 2 child nodes, root "xor" (3), then two path nodes, each with its
  // length (the 40 bytes of the path object) and the path.
  const std::vector<uint8_t>& d = w.plus[5].data;
  ASSERT_EQ(d.size(), 3u * 4 + 2 * (8 + 40));
  EXPECT_EQ(U32(d, 0), 0xDBC01002u);
  EXPECT_EQ(U32(d, 4), 2u);
  EXPECT_EQ(U32(d, 8), 3u);
  for (size_t node : {12u, 60u}) {
    EXPECT_EQ(U32(d, node), 0x10000001u);
    EXPECT_EQ(U32(d, node + 4), 40u);
    ExpectTrianglePath(d, node + 8, 0);
  }
}

TEST(GdiplusRecording, ImagesKeepTheDrawnPartWithTheirColourKeysApplied) {
  // A 3 x 2 picture; the source rectangle takes its right two columns.
  uint32_t px[6] = {0xff000001, 0xff00ff00, 0xffff0000, 0xff000002, 0xff0000ff, 0xff00ff00};
  GpBitmap* bitmap = nullptr;
  ASSERT_EQ(GP(GdipCreateBitmapFromScan0)(3, 2, 12, PixelFormat32bppARGB, reinterpret_cast<uint8_t*>(px), &bitmap),
            Ok);
  GpImageAttributes* attributes = nullptr;
  GP(GdipCreateImageAttributes)(&attributes);
  GP(GdipSetImageAttributesColorKeys)(attributes, ColorAdjustTypeBitmap, 1, 0xff00ff00, 0xff00ff00);
  Recording rec;
  const GpPointF corners[3] = {{10, 20}, {30, 20}, {10, 24}};
  EXPECT_EQ(GP(GdipDrawImagePointsRect)(rec.g, reinterpret_cast<GpImage*>(bitmap), corners, 3, 1, 0, 2, 2,
                                        UnitPixel, attributes, nullptr, nullptr),
            Ok);
  GP(GdipDisposeImageAttributes)(attributes);
  GP(GdipDisposeImage)(reinterpret_cast<GpImage*>(bitmap));
  const Walk w = rec.Finish();
  ASSERT_EQ(w.plus.size(), 4u);
  // Image object (type 5) in slot 0: bitmap (1), 2 x 2, stride 8, 32bpp ARGB, raw pixels;
  // the keyed green pixels have become transparent.
  EXPECT_EQ(w.plus[1].flags, 0x0500);
  const uint32_t image_fields[] = {0xDBC01002, 1, 2, 2, 8, 0x0026200A, 0, 0, 0xffff0000, 0xff0000ff, 0};
  const std::vector<uint8_t>& d = w.plus[1].data;
  ExpectWords(d, image_fields, "image");
  // DrawImagePoints: no attributes, source unit pixel, source (0, 0, 2, 2), three points.
  EXPECT_EQ(w.plus[2].type, 0x401B);
  EXPECT_EQ(w.plus[2].flags, 0);
  const uint32_t draw_fields[] = {0, 2, 0, 0, Bits(2), Bits(2), 3, Bits(10), Bits(20), Bits(30), Bits(20), Bits(10), Bits(24)};
  ExpectWords(w.plus[2].data, draw_fields, "draw");
}

TEST(GdiplusRecording, ObjectSlotsGoRoundTheTable) {
  Recording rec;
  GpPath* path = Triangle(FillModeAlternate);
  for (int i = 0; i < 70; ++i) GP(GdipSetClipPath)(rec.g, path, CombineModeReplace);
  GP(GdipDeletePath)(path);
  const Walk w = rec.Finish();
  ASSERT_EQ(w.plus.size(), 2u + 140u);
  for (int i = 0; i < 70; ++i) EXPECT_EQ(w.plus[1 + 2 * i].flags & 0xff, i % 64) << i;
}

// What emf2svg reads of a recording must be what was drawn, record by record.
TEST(GdiplusRecording, Emf2svgReadsEveryRecordAsDrawn) {
  REQUIRE_TOOL("emf2svg-conv");
  Recording rec;
  GP(GdipSetPageUnit)(rec.g, UnitPixel);
  GpPath* path = Triangle(FillModeWinding);
  GpSolidFill* solid = nullptr;
  GP(GdipCreateSolidFill)(0xff336699, &solid);
  GP(GdipFillPath)(rec.g, reinterpret_cast<GpBrush*>(solid), path);
  GP(GdipDeleteBrush)(reinterpret_cast<GpBrush*>(solid));
  GpPen* pen = nullptr;
  GP(GdipCreatePen1)(0xff00ff00, 3, UnitPixel, &pen);
  GP(GdipDrawPath)(rec.g, pen, path);
  GP(GdipDeletePen)(pen);
  GP(GdipSetClipPath)(rec.g, path, CombineModeIntersect);
  GP(GdipSetClipRect)(rec.g, 2, 3, 4, 5, CombineModeUnion);
  uint32_t px[2] = {0xff0000ff, 0x80ff0000};
  GpBitmap* bitmap = nullptr;
  GP(GdipCreateBitmapFromScan0)(2, 1, 8, PixelFormat32bppARGB, reinterpret_cast<uint8_t*>(px), &bitmap);
  const GpPointF corners[3] = {{4, 5}, {24, 5}, {4, 15}};
  GP(GdipDrawImagePoints)(rec.g, reinterpret_cast<GpImage*>(bitmap), corners, 3);
  GpTexture* texture = nullptr;
  GP(GdipCreateTexture2)(reinterpret_cast<GpImage*>(bitmap), WrapModeTileFlipXY, 0, 0, 2, 1, &texture);
  GpMatrix* m = nullptr;
  GP(GdipCreateMatrix2)(3, 0, 0, 3, 1, 2, &m);
  GP(GdipSetTextureTransform)(texture, m);
  GP(GdipDeleteMatrix)(m);
  GP(GdipFillPath)(rec.g, reinterpret_cast<GpBrush*>(texture), path);
  GP(GdipDeleteBrush)(reinterpret_cast<GpBrush*>(texture));
  GP(GdipDisposeImage)(reinterpret_cast<GpImage*>(bitmap));
  GP(GdipDeletePath)(path);
  rec.Finish();

  const std::string points = "+  Points(Float): 0:{1.000000,2.000000} 1:{10.000000,2.000000} 2:{5.000000,8.000000}";
  const std::string types = "+  Types: 0:{Flags:0 Type:Start} 1:{Flags:0 Type:Line} 2:{Flags:8 Type:Line}";
  const std::vector<std::string> expected = {
      "U_PMR_Header", "+  MetaFileSig:DBC01 GraphicsVersion:2 IsDual:N IsVideo:1 LogicalDpiX,y:{96,96}",
      "U_PMR_SetPageTransform", "+  UTenum:2 Scale:1.000000",
      "U_PMR_Object", "+  ObjID:0 ObjType:3(Path) ntype:0 ContinueD:N ContinueB:N",
      "+  Path: Version:DBC01002 Count:3 Flags:2000", points, types,
      "U_PMR_FillPath", "+  PathID:0 btype:1 Color: RGBA{33,66,99,FF}",
      "U_PMR_Object", "+  ObjID:1 ObjType:3(Path) ntype:0 ContinueD:N ContinueB:N",
      "+  Path: Version:DBC01002 Count:3 Flags:2000", points, types,
      "U_PMR_Object", "+  ObjID:2 ObjType:2(Pen) ntype:0 ContinueD:N ContinueB:N", "+  Pen: Version:DBC01002 Type:0",
      "+  Pendata: Flags:1E Unit:2 Width:3.000000 StartCap:0 EndCap:0 Join:0 MiterLimit:10.000000",
      "+  Brush: MetaFileSig:DBC01 GraphicsVersion:2 Type:0(SolidColor) RGBA{00,FF,00,FF}",
      "U_PMR_DrawPath", "+  PathIdx:1 PenIdx:2",
      "U_PMR_Object", "+  ObjID:3 ObjType:3(Path) ntype:0 ContinueD:N ContinueB:N",
      "+  Path: Version:DBC01002 Count:3 Flags:2000", points, types,
      "U_PMR_SetClipPath", "+  PathID:3 CMenum:1",
      "U_PMR_Object", "+  ObjID:4 ObjType:4(Region) ntype:0 ContinueD:N ContinueB:N",
      "+  MetaFileSig:DBC01 GraphicsVersion:2 ChildNodes:0", "+  RegionNode(Level:1) { Type:10000001(Path) RegionNodePath:",
      "+  Path: Version:DBC01002 Count:4 Flags:0",
      "+  Points(Float): 0:{2.000000,3.000000} 1:{6.000000,3.000000} 2:{6.000000,8.000000} 3:{2.000000,8.000000}",
      "+  Types: 0:{Flags:0 Type:Start} 1:{Flags:0 Type:Line} 2:{Flags:0 Type:Line} 3:{Flags:8 Type:Line}",
      "+  RegionNode(Level:1) }",
      "U_PMR_SetClipRegion", "+  PathID:4 CMenum:2(Union)",
      "U_PMR_Object", "+  ObjID:5 ObjType:5(Image) ntype:0 ContinueD:N ContinueB:N",
      "+  Image: MetaFileSig:DBC01 GraphicsVersion:2 Type:1", "+  Bitmap: Width:2 Height:1 Stride:8",
      "U_PMR_DrawImagePoints",
      "+  ImgID:5 ctype:0 etype:0 ImgAttrID:0 SrcUnit:2 Elements:3 SrcRect:{UL{0.000000,0.000000},WH{2.000000,1.000000}}",
      "+  Points: 0:{4.000000,5.000000} 1:{24.000000,5.000000} 2:{4.000000,15.000000}",
      "U_PMR_Object", "+  ObjID:6 ObjType:3(Path) ntype:0 ContinueD:N ContinueB:N",
      "+  Path: Version:DBC01002 Count:3 Flags:2000", points, types,
      "U_PMR_Object", "+  ObjID:7 ObjType:1(Brush) ntype:0 ContinueD:N ContinueB:N",
      "+  Brush: MetaFileSig:DBC01 GraphicsVersion:2 Type:2(TextureFill)", "+  TBdata: Flags:2 WrapMode:3",
      "U_PMR_FillPath", "+  PathID:6 btype:0 BrushID:7",
      "U_PMR_EndOfFile"};
  const std::vector<std::string> got = testsupport::Emf2svgPlusRecords(rec.stream.str());
  for (size_t i = 0; i < std::max(got.size(), expected.size()); ++i)
    EXPECT_EQ(i < got.size() ? got[i] : "(none)", i < expected.size() ? expected[i] : "(none)") << "line " << i;

  // What emf2svg does not print of the texture: its matrix and its picture (straight ARGB).
  const Walk w = WalkEmf(rec.stream.bytes());
  ASSERT_GE(w.plus.size(), 3u);
  const uint32_t texture_fields[] = {0xDBC01002, 2, 2, 3, Bits(3), 0, 0, Bits(3), Bits(1), Bits(2),
                                     0xDBC01002, 1, 2, 1, 8, 0x0026200A, 0, 0xff0000ff, 0x80ff0000};
  ExpectWords(w.plus[w.plus.size() - 3].data, texture_fields, "texture");
}

// A stream that takes the first n bytes and refuses the rest.
class ShortStream : public MemoryStream {
 public:
  explicit ShortStream(size_t room) : room_(room) {}
  HRESULT Write(const void* buffer, uint32_t count, uint32_t* written) override {
    if (count > room_) return E_FAIL;
    room_ -= count;
    return MemoryStream::Write(buffer, count, written);
  }

 private:
  size_t room_;
};

TEST(GdiplusRecording, RefusalsAndAStreamThatWillNotTakeTheFile) {
  MemoryStream stream;
  int dc = 0;
  GpMetafile* m = nullptr;
  const GpRectF frame{0, 0, 10, 10};
  const GpRectF empty{0, 0, 0, 10};
  EXPECT_EQ(GP(GdipRecordMetafileStream)(nullptr, &dc, EmfTypeEmfPlusOnly, &frame, MetafileFrameUnitPixel, nullptr, &m),
            InvalidParameter);
  EXPECT_EQ(GP(GdipRecordMetafileStream)(&stream, &dc, EmfTypeEmfPlusOnly, &empty, MetafileFrameUnitPixel, nullptr, &m),
            InvalidParameter);
  EXPECT_EQ(GP(GdipRecordMetafileStream)(&stream, &dc, EmfTypeEmfOnly, &frame, MetafileFrameUnitPixel, nullptr, &m),
            NotImplemented);
  EXPECT_EQ(m, nullptr);

  // One Graphics per recording.
  Recording rec;
  GpGraphics* second = nullptr;
  EXPECT_EQ(GP(GdipGetImageGraphicsContext)(reinterpret_cast<GpImage*>(rec.metafile), &second), InvalidParameter);
  rec.Finish();

  ShortStream tight(100);
  ASSERT_EQ(GP(GdipRecordMetafileStream)(&tight, &dc, EmfTypeEmfPlusOnly, &frame, MetafileFrameUnitPixel, nullptr, &m),
            Ok);
  EXPECT_NE(GP(GdipDisposeImage)(reinterpret_cast<GpImage*>(m)), Ok);
}

// Recording by file name writes the file a stream recording of the same drawing holds, when
// the metafile is disposed of; what a stream recording refuses it refuses before making a file.
TEST(GdiplusRecording, ByFileNameTheFileHoldsWhatAStreamRecordingHolds) {
  auto draw = [](GpGraphics* g) {
    GpPath* p = Triangle(FillModeAlternate);
    GpSolidFill* brush = nullptr;
    GP(GdipCreateSolidFill)(0xFF336699, &brush);
    EXPECT_EQ(GP(GdipFillPath)(g, reinterpret_cast<GpBrush*>(brush), p), Ok);
    GP(GdipDeleteBrush)(reinterpret_cast<GpBrush*>(brush));
    GP(GdipDeletePath)(p);
  };
  Recording byStream;
  draw(byStream.g);
  ASSERT_EQ(GP(GdipDisposeImage)(reinterpret_cast<GpImage*>(byStream.metafile)), Ok);
  GP(GdipDeleteGraphics)(byStream.g);

  testsupport::TempDir dir;
  const std::string path = dir.File("rec.emf");
  const std::u16string name(path.begin(), path.end());
  int dc = 0;
  const GpRectF frame{0, 0, 40, 30};
  GpMetafile* m = nullptr;
  ASSERT_EQ(GP(GdipRecordMetafileFileName)(name.c_str(), &dc, EmfTypeEmfPlusOnly, &frame, MetafileFrameUnitPixel,
                                           nullptr, &m),
            Ok);
  GpGraphics* g = nullptr;
  ASSERT_EQ(GP(GdipGetImageGraphicsContext)(reinterpret_cast<GpImage*>(m), &g), Ok);
  draw(g);
  ASSERT_EQ(GP(GdipDisposeImage)(reinterpret_cast<GpImage*>(m)), Ok);
  GP(GdipDeleteGraphics)(g);
  const std::string file = testsupport::ReadFile(path);
  EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.end()), byStream.stream.bytes());
  WalkEmf(std::vector<uint8_t>(file.begin(), file.end()));

  const std::string refused = dir.File("refused.emf");
  const std::u16string refusedName(refused.begin(), refused.end());
  const GpRectF empty{0, 0, 0, 10};
  EXPECT_EQ(GP(GdipRecordMetafileFileName)(refusedName.c_str(), &dc, EmfTypeEmfPlusOnly, &empty, MetafileFrameUnitPixel,
                                           nullptr, &m),
            InvalidParameter);
  EXPECT_EQ(GP(GdipRecordMetafileFileName)(refusedName.c_str(), &dc, EmfTypeEmfOnly, &frame, MetafileFrameUnitPixel,
                                           nullptr, &m),
            NotImplemented);
  EXPECT_EQ(m, nullptr);
  EXPECT_FALSE(std::filesystem::exists(refused));
  const std::u16string unwritable = u"/no/such/folder/rec.emf";
  EXPECT_EQ(GP(GdipRecordMetafileFileName)(unwritable.c_str(), &dc, EmfTypeEmfPlusOnly, &frame, MetafileFrameUnitPixel,
                                           nullptr, &m),
            Win32Error);
}

}  // namespace
}  // namespace gptest
