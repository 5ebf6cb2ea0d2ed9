// Playback of EMF records onto a DC: shapes, lines and bitmaps at known places, coordinate
// mapping, clipping, saved states, and hostile values that must neither crash nor hang.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/graphics_errors.h"
#include "platform/gdi/metafile.h"
#include "platform/gdi/metafile/enh_metafile.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/region.h"
#include "tests/platform/gdi/metafile/metafile_test_util.h"

using namespace mftest;

namespace {

#define REQUIRE_GENERATOR()                                              \
  do {                                                                   \
    if (Generator().empty()) GTEST_SKIP() << "needs libuemf (uemf_gen)"; \
  } while (0)

constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = 0, kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0),
                   kBlue = RGB(0, 0, 255);

std::vector<uint8_t> Brush(uint32_t index, COLORREF c) {
  return Rec(EMR_CREATEBRUSHINDIRECT, Bytes().U32(index).U32(BS_SOLID).U32(c).U32(0));
}
std::vector<uint8_t> Select(uint32_t index) { return Rec(EMR_SELECTOBJECT, Bytes().U32(index)); }
std::vector<uint8_t> Rect(DWORD type, int l, int t, int r, int b) {
  return Rec(type, Bytes().I32(l).I32(t).I32(r).I32(b));
}
std::vector<uint8_t> Two(DWORD type, int32_t a, int32_t b) { return Rec(type, Bytes().I32(a).I32(b)); }
std::vector<uint8_t> One(DWORD type, uint32_t a) { return Rec(type, Bytes().U32(a)); }
std::vector<uint8_t> Xform(DWORD type, XFORM x, int mode = -1) {
  Bytes b;
  for (float f : {x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy}) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    b.U32(u);
  }
  if (mode >= 0) b.U32(uint32_t(mode));
  return Rec(type, b);
}

// A red filled rectangle without outline, in the given logical box, after `setup`.
std::vector<uint8_t> RedBox(std::vector<std::vector<uint8_t>> setup, int l, int t, int r, int b) {
  setup.push_back(Brush(1, kRed));
  setup.push_back(Select(1));
  setup.push_back(Select(0x80000000u | NULL_PEN));
  setup.push_back(Rect(EMR_RECTANGLE, l, t, r, b));
  return Emf(setup);
}

// The bounding box of the pixels that are not white ((0,0,0,0) for none).
RECT Painted(const GdiBitmap& b) {
  RECT r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.GetColor(x, y) != kWhite) {
        r.left = std::min(r.left, x);
        r.top = std::min(r.top, y);
        r.right = std::max(r.right, x + 1);
        r.bottom = std::max(r.bottom, y + 1);
      }
  return r.left == INT32_MAX ? RECT{} : r;
}

}  // namespace

TEST(EmfPlayer, ShapesAndLinesOfLibUemfAtTheirPlaces) {
  REQUIRE_GENERATOR();
  auto b = Render(Generate("emf_shapes").bytes);
  // The rectangle without a pen fills [10, 49) x [10, 29) (right and bottom left out).
  EXPECT_EQ(b->GetColor(10, 10), kRed);
  EXPECT_EQ(b->GetColor(48, 28), kRed);
  EXPECT_EQ(b->GetColor(50, 30), kWhite);
  EXPECT_EQ(b->GetColor(9, 9), kWhite);
  EXPECT_EQ(b->GetColor(75, 25), kBlue);  // ellipse centre
  EXPECT_EQ(b->GetColor(61, 11), kWhite);  // ellipse corner stays out
  EXPECT_EQ(b->GetColor(15, 45), kGreen);  // brush made in the freed slot
  for (int x = 10; x < 90; ++x) {
    EXPECT_EQ(b->GetColor(x, 60), kBlack) << x;
    EXPECT_EQ(b->GetColor(x, 66), kBlack) << x;
  }
  EXPECT_EQ(b->GetColor(90, 60), kWhite);  // the last point of a line is not drawn
  EXPECT_EQ(b->GetColor(50, 61), kWhite);
}

TEST(EmfPlayer, BitmapsAreExact) {
  REQUIRE_GENERATOR();
  auto b = Render(Generate("emf_bitmaps").bytes);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      const COLORREF c = RGB(40 * x + 10, 60 * y + 5, 200 - 30 * x);
      EXPECT_EQ(b->GetColor(10 + x, 10 + y), c) << x << "," << y;
      for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i) EXPECT_EQ(b->GetColor(20 + 2 * x + i, 20 + 2 * y + j), c) << x << "," << y;
    }
  EXPECT_EQ(b->GetColor(14, 10), kWhite);
  EXPECT_EQ(b->GetColor(28, 20), kWhite);
  const COLORREF top[3] = {kRed, kGreen, kBlue}, bottom[3] = {RGB(255, 255, 0), kBlue, kGreen};
  for (int x = 0; x < 3; ++x) {
    EXPECT_EQ(b->GetColor(40 + x, 10), top[x]) << x;
    EXPECT_EQ(b->GetColor(40 + x, 11), bottom[x]) << x;
  }
}

TEST(EmfPlayer, EveryRecordOfLibUemfPlays) {
  REQUIRE_GENERATOR();
  auto b = Render(Generate("emf_all").bytes);
  EXPECT_NE(Painted(*b), RECT{});
}

TEST(EmfPlayer, MappingModesAndTransforms) {
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    RECT painted;
  } cases[] = {
      {"text mode", RedBox({}, 10, 10, 20, 20), RECT{10, 10, 19, 19}},
      {"window origin", RedBox({Two(EMR_SETWINDOWORGEX, 5, 5)}, 10, 10, 20, 20), RECT{5, 5, 14, 14}},
      {"anisotropic doubles",
       RedBox({One(EMR_SETMAPMODE, MM_ANISOTROPIC), Two(EMR_SETWINDOWEXTEX, 10, 10), Two(EMR_SETVIEWPORTEXTEX, 20, 20)},
              5, 5, 10, 10),
       RECT{10, 10, 19, 19}},
      {"isotropic keeps the aspect",
       RedBox({One(EMR_SETMAPMODE, MM_ISOTROPIC), Two(EMR_SETWINDOWEXTEX, 10, 10), Two(EMR_SETVIEWPORTEXTEX, 20, 40)},
              5, 5, 10, 10),
       RECT{10, 10, 19, 19}},
      {"extents ignored in text mode", RedBox({Two(EMR_SETWINDOWEXTEX, 10, 10), Two(EMR_SETVIEWPORTEXTEX, 20, 20)}, 5, 5, 10, 10),
       RECT{5, 5, 9, 9}},
      {"world scale", RedBox({Xform(EMR_SETWORLDTRANSFORM, XFORM{2, 0, 0, 2, 1, 1})}, 5, 5, 10, 10), RECT{11, 11, 20, 20}},
      {"world identity again",
       RedBox({Xform(EMR_SETWORLDTRANSFORM, XFORM{2, 0, 0, 2, 1, 1}), Xform(EMR_MODIFYWORLDTRANSFORM, XFORM{}, MWT_IDENTITY)},
              5, 5, 10, 10),
       RECT{5, 5, 9, 9}},
      {"saved and restored",
       RedBox({Rec(EMR_SAVEDC, Bytes()), Xform(EMR_SETWORLDTRANSFORM, XFORM{3, 0, 0, 3, 0, 0}),
               One(EMR_RESTOREDC, uint32_t(-1))},
              5, 5, 10, 10),
       RECT{5, 5, 9, 9}},
      {"scaled window extent",
       RedBox({One(EMR_SETMAPMODE, MM_ANISOTROPIC), Two(EMR_SETWINDOWEXTEX, 10, 10), Two(EMR_SETVIEWPORTEXTEX, 10, 10),
               Rec(EMR_SCALEVIEWPORTEXTEX, Bytes().I32(2).I32(1).I32(2).I32(1))},
              5, 5, 10, 10),
       RECT{10, 10, 19, 19}},
      {"intersect clip", RedBox({Rect(EMR_INTERSECTCLIPRECT, 12, 12, 15, 15)}, 10, 10, 20, 20), RECT{12, 12, 15, 15}},
      {"exclude clip", RedBox({Rect(EMR_EXCLUDECLIPRECT, 0, 0, 15, 96)}, 10, 10, 20, 20), RECT{15, 10, 19, 19}},
  };
  for (const Case& c : cases) {
    auto b = Render(c.file);
    EXPECT_EQ(Painted(*b), c.painted) << c.name;
  }
  // Rotated by a quarter turn about the origin, then moved into view: a wide box turns tall.
  auto rotated = Render(RedBox({Xform(EMR_SETWORLDTRANSFORM, XFORM{0, 1, -1, 0, 40, 0})}, 10, 5, 30, 10));
  const RECT r = Painted(*rotated);
  EXPECT_NEAR(r.right - r.left, 5, 1);
  EXPECT_NEAR(r.bottom - r.top, 20, 1);
  EXPECT_EQ(rotated->GetColor(32, 20), kRed);
}

TEST(EmfPlayer, PlaysIntoAnyRectangle) {
  // The 96 x 72 frame onto a rectangle twice as large and moved.
  const std::vector<uint8_t> file = RedBox({}, 10, 10, 20, 20);
  auto bmp = std::make_shared<GdiBitmap>(300, 200, 24);
  bmp->Fill(kWhite);
  HBITMAP hb = static_cast<HBITMAP>(RegisterGdiObject(bmp));
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, hb);
  HENHMETAFILE h = SetEnhMetaFileBits(UINT(file.size()), file.data());
  const RECT dest{100, 50, 292, 194};
  ASSERT_TRUE(PlayEnhMetaFile(dc, h, &dest));
  EXPECT_EQ(Painted(*bmp), (RECT{120, 70, 139, 89}));
  // The DC's own state is as it was.
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  DeleteEnhMetaFile(h);
  DeleteDC(dc);
  DeleteObject(hb);
}

TEST(EmfPlayer, ObjectsAreFreedAfterPlayback) {
  REQUIRE_GENERATOR();
  const Generated g = Generate("emf_all");
  Render(g.bytes);  // first use may create stock objects
  const size_t before = GdiHandleCount();
  Render(g.bytes);
  EXPECT_EQ(GdiHandleCount(), before);
}

TEST(EmfPlayer, HostileValuesNeitherCrashNorHang) {
  const int32_t big = INT32_MAX, small = INT32_MIN;
  struct Case {
    const char* name;
    std::vector<std::vector<uint8_t>> records;
  } cases[] = {
      {"huge rectangle", {Brush(1, kRed), Select(1), Rect(EMR_RECTANGLE, small, small, big, big)}},
      {"huge ellipse", {Rect(EMR_ELLIPSE, small, small, big, big)}},
      {"huge round rect", {Rec(EMR_ROUNDRECT, Bytes().I32(small).I32(small).I32(big).I32(big).I32(big).I32(big))}},
      {"huge arc", {Rec(EMR_PIE, Bytes().I32(small).I32(small).I32(big).I32(big).I32(0).I32(0).I32(1).I32(1))}},
      {"huge angle arc", {Rec(EMR_ANGLEARC, Bytes().I32(0).I32(0).U32(0xFFFFFFFF).U32(0).U32(0x43b40000))}},
      {"huge line", {Two(EMR_MOVETOEX, small, small), Two(EMR_LINETO, big, big)}},
      {"huge world scale", {Xform(EMR_SETWORLDTRANSFORM, XFORM{1e30f, 0, 0, 1e30f, 0, 0}), Rect(EMR_ELLIPSE, 0, 0, 5, 5)}},
      {"NaN world transform",
       {Xform(EMR_SETWORLDTRANSFORM, XFORM{NAN, 0, 0, 1, 0, 0}), Rect(EMR_RECTANGLE, 0, 0, 5, 5)}},
      {"singular world transform",
       {Xform(EMR_MODIFYWORLDTRANSFORM, XFORM{0, 0, 0, 0, 0, 0}, MWT_LEFTMULTIPLY), Rect(EMR_RECTANGLE, 0, 0, 5, 5)}},
      {"zero extents",
       {One(EMR_SETMAPMODE, MM_ANISOTROPIC), Two(EMR_SETWINDOWEXTEX, 0, 0), Two(EMR_SETVIEWPORTEXTEX, 0, 5),
        Rect(EMR_RECTANGLE, 0, 0, 5, 5)}},
      {"zero denominators",
       {One(EMR_SETMAPMODE, MM_ANISOTROPIC), Rec(EMR_SCALEWINDOWEXTEX, Bytes().I32(1).I32(0).I32(1).I32(0)),
        Rec(EMR_SCALEVIEWPORTEXTEX, Bytes().I32(0).I32(1).I32(0).I32(1)), Rect(EMR_RECTANGLE, 0, 0, 5, 5)}},
      {"huge extents ratio",
       {One(EMR_SETMAPMODE, MM_ANISOTROPIC), Two(EMR_SETWINDOWEXTEX, 1, 1), Two(EMR_SETVIEWPORTEXTEX, big, big),
        Rect(EMR_ELLIPSE, 0, 0, 5, 5), Two(EMR_LINETO, 100, 100)}},
      {"font of height 0 and text",
       {Rec(EMR_EXTCREATEFONTINDIRECTW, Bytes().U32(2).Raw(std::vector<uint8_t>(92, 0))), Select(2),
        Rec(EMR_SMALLTEXTOUT, Bytes().I32(1).I32(1).U32(2).U32(0x300).U32(1).U32(0).U32(0).U32(0x4141))}},
      {"huge pen", {Rec(EMR_CREATEPEN, Bytes().U32(3).U32(0).I32(big).I32(0).U32(0)), Select(3), Two(EMR_LINETO, 50, 50)}},
      {"user-style wide pen along a huge line",
       {Rec(EMR_EXTCREATEPEN, Bytes().U32(3).U32(0).U32(0).U32(0).U32(0).U32(PS_GEOMETRIC | PS_USERSTYLE).U32(3)
                                  .U32(BS_SOLID).U32(0).U32(0).U32(2).U32(1).U32(1)),
        Select(3), Two(EMR_MOVETOEX, small, small), Two(EMR_LINETO, big, big), Two(EMR_LINETO, small, 5),
        Two(EMR_LINETO, 5, 5)}},
      {"restore beyond saved", {One(EMR_RESTOREDC, uint32_t(-5)), One(EMR_RESTOREDC, 3), Rect(EMR_RECTANGLE, 0, 0, 5, 5)}},
      {"objects out of the table",
       {Brush(5000, kRed), Select(5000), Select(0), Select(0x8000FFFF), One(EMR_DELETEOBJECT, 77), Select(15)}},
      {"deleted while selected", {Brush(1, kRed), Select(1), One(EMR_DELETEOBJECT, 1), Rect(EMR_RECTANGLE, 0, 0, 5, 5)}},
      {"many saves", std::vector<std::vector<uint8_t>>(6000, Rec(EMR_SAVEDC, Bytes()))},
      {"gradient over everything",
       {Rec(EMR_GRADIENTFILL, Bytes().I32(0).I32(0).I32(0).I32(0).U32(2).U32(1).U32(0).I32(small).I32(small).U32(0).U32(0)
                                  .I32(big).I32(big).U32(0xFF00).U32(0).U32(0).U32(1))}},
      {"clip region far away",
       {Rec(EMR_EXTSELECTCLIPRGN, Bytes().U32(48).U32(5).U32(32).U32(1).U32(1).U32(16).I32(0).I32(0).I32(1).I32(1)
                                      .I32(small).I32(small).I32(big).I32(big)),
        Rect(EMR_RECTANGLE, 0, 0, 5, 5), Rec(EMR_OFFSETCLIPRGN, Bytes().I32(big).I32(big))}},
  };
  for (const Case& c : cases) {
    Render(Emf(c.records));
  }
}

TEST(TMetafile, LoadsEmfAndReportsItsSize) {
  REQUIRE_GENERATOR();
  const Generated g = Generate("emf_shapes");
  TMemoryStream s(std::string(g.bytes.begin(), g.bytes.end()));
  TMetafile m;
  m.LoadFromStream(s);
  EXPECT_TRUE(m.Enhanced());
  EXPECT_EQ(m.MMWidth(), 2540);
  EXPECT_EQ(m.MMHeight(), 1905);
  EXPECT_EQ(m.Width(), 96);
  EXPECT_EQ(m.Height(), 72);
  EXPECT_EQ(m.Inch(), 0);
  ASSERT_NE(m.Handle(), nullptr);
  EXPECT_EQ(GetObjectType(m.Handle()), OBJ_ENHMETAFILE);
  TMemoryStream out;
  m.SaveToStream(out);
  EXPECT_EQ(out.DataString(), std::string(g.bytes.begin(), g.bytes.end()));

  // Drawn stretched into a bitmap canvas of twice the size.
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(192, 144);
  bitmap.Canvas().Draw(0, 0, m);  // natural size first
  EXPECT_EQ(bitmap.Dib().GetColor(12, 12), kRed);
  bitmap.Dib().Fill(kWhite);
  m.Draw(bitmap.Canvas(), TRect{0, 0, 192, 144});
  EXPECT_EQ(bitmap.Dib().GetColor(20, 20), kRed);
  EXPECT_EQ(bitmap.Dib().GetColor(97, 57), kRed);
  EXPECT_EQ(bitmap.Dib().GetColor(150, 50), kBlue);

  TMetafile copy;
  copy.Assign(m);
  EXPECT_EQ(copy.Width(), 96);
  EXPECT_NE(copy.Handle(), m.Handle());
  copy.Clear();
  EXPECT_TRUE(copy.Empty());
  EXPECT_EQ(copy.Handle(), nullptr);
}

TEST(TMetafile, RefusesOtherFiles) {
  for (const std::string& bytes : {std::string("BM not a metafile at all, not even close......."), std::string(),
                                   std::string(200, '\0')}) {
    TMemoryStream s(bytes);
    TMetafile m;
    EXPECT_THROW(m.LoadFromStream(s), EInvalidGraphic);
  }
}

namespace {

// A 2 x 2 24-bit DIB: red, green on top; blue, white below.
std::vector<uint8_t> Dib2x2() {
  Bytes b;
  b.U32(40).I32(2).I32(2).U16(1).U16(24).U32(BI_RGB).U32(16).U32(0).U32(0).U32(0).U32(0);
  for (uint8_t v : {0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0, 0}) b.b.push_back(v);
  return b.b;
}
// A 2 x 2 monochrome mask: 1 at the top-left and bottom-right.
std::vector<uint8_t> Mask2x2() {
  Bytes b;
  b.U32(40).I32(2).I32(2).U16(1).U16(1).U32(BI_RGB).U32(8).U32(0).U32(0).U32(2).U32(0);
  b.U32(0).U32(0xFFFFFF);
  for (uint8_t v : {0x40, 0, 0, 0, 0x80, 0, 0, 0}) b.b.push_back(v);
  return b.b;
}
void Identity(Bytes& b) {
  for (float f : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f}) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    b.U32(u);
  }
}
// A blit record of `type` (BITBLT, STRETCHBLT, ALPHABLEND, TRANSPARENTBLT) of the 2 x 2 DIB to
// (x, y) at size (w, h); `op` is the raster operation, blend function or key colour.
std::vector<uint8_t> Blit(DWORD type, int x, int y, int w, int h, uint32_t op) {
  const bool stretched = type != EMR_BITBLT;
  const uint32_t fixed = stretched ? 108 : 100;
  const std::vector<uint8_t> dib = Dib2x2();
  Bytes b;
  b.I32(x).I32(y).I32(x + w).I32(y + h).I32(x).I32(y).I32(w).I32(h).U32(op).I32(0).I32(0);
  Identity(b);
  b.U32(0).U32(DIB_RGB_COLORS).U32(fixed).U32(40).U32(fixed + 40).U32(16);
  if (stretched) b.I32(2).I32(2);
  b.Raw(dib);
  return Rec(type, b);
}

}  // namespace

TEST(EmfPlayer, BitmapRecordFamilies) {
  const COLORREF top[2] = {kRed, kGreen}, bottom[2] = {kBlue, kWhite};
  {
    auto b = Render(Emf({Blit(EMR_BITBLT, 5, 5, 2, 2, SRCCOPY), Blit(EMR_STRETCHBLT, 10, 10, 4, 4, SRCCOPY)}));
    for (int x = 0; x < 2; ++x) {
      EXPECT_EQ(b->GetColor(5 + x, 5), top[x]);
      EXPECT_EQ(b->GetColor(5 + x, 6), bottom[x]);
      EXPECT_EQ(b->GetColor(10 + 2 * x + 1, 11), top[x]);
      EXPECT_EQ(b->GetColor(10 + 2 * x, 12), bottom[x]);
    }
  }
  {
    // Half the source over white; the key colour green left out.
    auto b = Render(Emf({Blit(EMR_ALPHABLEND, 5, 5, 2, 2, 128u << 16), Blit(EMR_TRANSPARENTBLT, 10, 10, 2, 2, kGreen)}));
    EXPECT_NEAR(GetGValue(b->GetColor(5, 5)), 127, 1);
    EXPECT_NEAR(GetRValue(b->GetColor(5, 5)), 255, 1);
    EXPECT_NEAR(GetRValue(b->GetColor(5, 6)), 127, 1);
    EXPECT_EQ(b->GetColor(10, 10), kRed);
    EXPECT_EQ(b->GetColor(11, 10), kWhite);
    EXPECT_EQ(b->GetColor(10, 11), kBlue);
  }
  {
    // A pattern fill without a bitmap, with the selected brush.
    Bytes p;
    p.I32(0).I32(0).I32(4).I32(4).I32(20).I32(20).I32(4).I32(4).U32(PATCOPY).I32(0).I32(0);
    Identity(p);
    p.U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
    auto b = Render(Emf({Brush(1, kBlue), Select(1), Rec(EMR_BITBLT, p)}));
    EXPECT_EQ(b->GetColor(20, 20), kBlue);
    EXPECT_EQ(b->GetColor(23, 23), kBlue);
    EXPECT_EQ(b->GetColor(24, 24), kWhite);
  }
  {
    // MASKBLT: the source shows where the mask has 1.
    const std::vector<uint8_t> dib = Dib2x2(), mask = Mask2x2();
    Bytes p;
    p.I32(5).I32(5).I32(7).I32(7).I32(5).I32(5).I32(2).I32(2).U32(MAKEROP4(SRCCOPY, 0x00AA0029)).I32(0).I32(0);
    Identity(p);
    p.U32(0).U32(0).U32(128).U32(40).U32(168).U32(16).I32(0).I32(0).U32(0).U32(184).U32(48).U32(232).U32(8);
    p.Raw(dib).Raw(mask);
    auto b = Render(Emf({Rec(EMR_MASKBLT, p)}));
    EXPECT_EQ(b->GetColor(5, 5), kRed);
    EXPECT_EQ(b->GetColor(6, 5), kWhite);
    EXPECT_EQ(b->GetColor(5, 6), kWhite);
  }
  {
    // PLGBLT onto a parallelogram that is a plain rectangle twice the size.
    const std::vector<uint8_t> dib = Dib2x2();
    Bytes p;
    p.I32(0).I32(0).I32(0).I32(0).I32(30).I32(30).I32(34).I32(30).I32(30).I32(34).I32(0).I32(0).I32(2).I32(2);
    Identity(p);
    p.U32(0).U32(0).U32(140).U32(40).U32(180).U32(16).I32(0).I32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
    p.Raw(dib);
    auto b = Render(Emf({Rec(EMR_PLGBLT, p)}));
    EXPECT_EQ(b->GetColor(30, 30), kRed);
    EXPECT_EQ(b->GetColor(33, 31), kGreen);
    EXPECT_EQ(b->GetColor(31, 33), kBlue);
    EXPECT_EQ(b->GetColor(34, 34), kWhite);
  }
  {
    // SETDIBITSTODEVICE and STRETCHDIBITS: source rectangles count from the lower-left.
    const std::vector<uint8_t> dib = Dib2x2();
    Bytes s;
    s.I32(0).I32(0).I32(0).I32(0).I32(40).I32(40).I32(0).I32(0).I32(2).I32(2).U32(76).U32(40).U32(116).U32(16);
    s.U32(0).U32(0).U32(2).Raw(dib);
    Bytes t;
    t.I32(0).I32(0).I32(0).I32(0).I32(50).I32(50).I32(1).I32(1).I32(1).I32(1).U32(80).U32(40).U32(120).U32(16);
    t.U32(0).U32(SRCCOPY).I32(1).I32(1).Raw(dib);
    auto b = Render(Emf({Rec(EMR_SETDIBITSTODEVICE, s), Rec(EMR_STRETCHDIBITS, t)}));
    EXPECT_EQ(b->GetColor(40, 40), kRed);
    EXPECT_EQ(b->GetColor(41, 41), kWhite);
    EXPECT_EQ(b->GetColor(50, 50), kGreen);  // source (1, 1) from the bottom: the top-right pixel
  }
}

TEST(EmfPlayer, GradientsRegionsPolyDrawAndText) {
  {
    Bytes g;
    g.I32(0).I32(0).I32(0).I32(0).U32(2).U32(1).U32(GRADIENT_FILL_RECT_H);
    g.I32(0).I32(0).U32(0).U32(0);             // black at (0, 0)
    g.I32(10).I32(4).U32(0xFF00FF00).U32(0xFF00);  // white at (10, 4)
    g.U32(0).U32(1);
    auto b = Render(Emf({Rec(EMR_GRADIENTFILL, g)}));
    EXPECT_LT(GetRValue(b->GetColor(0, 0)), 20);
    EXPECT_GT(GetRValue(b->GetColor(9, 3)), 230);
    EXPECT_NEAR(GetRValue(b->GetColor(5, 2)), 140, 10);
    EXPECT_EQ(b->GetColor(10, 0), kWhite);
  }
  {
    Bytes rgn;
    rgn.I32(0).I32(0).I32(0).I32(0).U32(48).U32(1).U32(32).U32(1).U32(1).U32(16).I32(0).I32(0).I32(9).I32(9)
        .I32(20).I32(20).I32(25).I32(30);
    Bytes clip;
    clip.U32(48).U32(RGN_COPY).U32(32).U32(1).U32(1).U32(16).I32(0).I32(0).I32(9).I32(9).I32(60).I32(0).I32(70).I32(72);
    auto b = Render(Emf({Brush(1, kGreen), Rec(EMR_FILLRGN, rgn), Rec(EMR_EXTSELECTCLIPRGN, clip), Brush(2, kRed),
                         Select(2), Rect(EMR_RECTANGLE, 50, 10, 80, 20)}));
    EXPECT_EQ(Painted(*b), (RECT{20, 10, 70, 30}));
    EXPECT_EQ(b->GetColor(22, 25), kGreen);
    EXPECT_EQ(b->GetColor(65, 15), kRed);
    EXPECT_EQ(b->GetColor(55, 15), kWhite);
  }
  {
    // POLYDRAW: a move, two lines and a closing line.
    Bytes p;
    p.I32(0).I32(0).I32(0).I32(0).U32(4).I32(10).I32(10).I32(30).I32(10).I32(30).I32(20).I32(10).I32(20);
    for (uint8_t t : {PT_MOVETO, PT_LINETO, PT_LINETO, uint8_t(PT_LINETO | PT_CLOSEFIGURE)}) p.b.push_back(t);
    auto b = Render(Emf({Rec(EMR_POLYDRAW, p)}));
    EXPECT_EQ(b->GetColor(20, 10), kBlack);
    EXPECT_EQ(b->GetColor(30, 15), kBlack);
    EXPECT_EQ(b->GetColor(10, 15), kBlack);  // the figure closed back to its start
    EXPECT_EQ(b->GetColor(20, 15), kWhite);
  }
  {
    // Text in a font 20 pixels high lands near its reference point, in the text colour.
    Bytes font;
    font.U32(1).I32(-20).I32(0).I32(0).I32(0).I32(700).U32(0);
    for (int i = 0; i < 8; ++i) font.U32(0);
    const std::u16string face = u"DejaVu Sans";
    for (size_t i = 0; i < 32; ++i) font.U16(i < face.size() ? face[i] : 0);
    Bytes text;
    text.I32(0).I32(0).I32(0).I32(0).U32(1).U32(0).U32(0).I32(10).I32(10).U32(2).U32(76).U32(0).I32(0).I32(0).I32(-1)
        .I32(-1).U32(0).U16('H').U16('H');
    auto b = Render(Emf({Rec(EMR_EXTCREATEFONTINDIRECTW, font), Select(1), One(EMR_SETTEXTCOLOR, kBlue),
                         One(EMR_SETBKMODE, TRANSPARENT), Rec(EMR_EXTTEXTOUTW, text)}));
    const RECT r = Painted(*b);
    EXPECT_GE(r.left, 10);
    EXPECT_GE(r.top, 10);
    EXPECT_LE(r.bottom, 32);
    EXPECT_GT(r.right - r.left, 15);
    int blue = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) blue += b->GetColor(x, y) == kBlue;
    EXPECT_GT(blue, 20);
  }
}

// 8-bit text plays in the code page of the font's character set, as its characters would: the
// twin written as 16-bit text draws the same pixels, a character of two bytes advancing by the
// advances of both.
TEST(EmfPlayer, EightBitTextReadsInTheFontsCodePage) {
  auto font = [](uint8_t charset, const std::u16string& face) {
    Bytes f;
    f.U32(1).I32(-20).I32(0).I32(0).I32(0).I32(400).U32(uint32_t(charset) << 24);
    f.U32(0);  // precisions, quality, pitch
    for (size_t i = 0; i < 32; ++i) f.U16(i < face.size() ? face[i] : 0);
    return Rec(EMR_EXTCREATEFONTINDIRECTW, f);
  };
  // EXTTEXTOUTA or W of the units at (5, 30), with advances.
  auto text = [](DWORD type, const std::vector<uint16_t>& units, const std::vector<int32_t>& dx) {
    const uint32_t unit = type == EMR_EXTTEXTOUTA ? 1 : 2, dxAt = uint32_t(76 + (units.size() * unit + 3) / 4 * 4);
    Bytes t;
    t.I32(0).I32(0).I32(0).I32(0).U32(1).U32(0).U32(0).I32(5).I32(30).U32(uint32_t(units.size())).U32(76).U32(0);
    t.I32(0).I32(0).I32(-1).I32(-1).U32(dxAt);
    for (uint16_t u : units) unit == 1 ? (void)t.b.push_back(uint8_t(u)) : (void)t.U16(u);
    while (t.b.size() + 8 < dxAt) t.b.push_back(0);
    for (int32_t d : dx) t.I32(d);
    return Rec(type, t);
  };
  struct Case {
    uint8_t charset;
    std::u16string face;
    std::vector<uint16_t> bytes, chars;
    std::vector<int32_t> byteDx, charDx;
  };
  const std::vector<Case> cases = {
      {204, u"Arial", {0xC6, 0xF3}, {0x0416, 0x0443}, {14, 12}, {14, 12}},
      {161, u"Arial", {0xE1, 0xE2}, {0x03B1, 0x03B2}, {14, 12}, {14, 12}},
      {128, u"MS Gothic", {0x93, 0xFA, 'a'}, {0x65E5, 'a'}, {10, 11, 9}, {21, 9}},
      {2, u"Symbol", {'a', 'b'}, {0xF061, 0xF062}, {14, 12}, {14, 12}},
  };
  for (const Case& k : cases) {
    auto a = Render(Emf({font(k.charset, k.face), Select(1), One(EMR_SETBKMODE, TRANSPARENT),
                         text(EMR_EXTTEXTOUTA, k.bytes, k.byteDx)}));
    auto w = Render(Emf({font(k.charset, k.face), Select(1), One(EMR_SETBKMODE, TRANSPARENT),
                         text(EMR_EXTTEXTOUTW, k.chars, k.charDx)}));
    int inked = 0, differing = 0;
    for (int y = 0; y < 72; ++y)
      for (int x = 0; x < 96; ++x) {
        inked += w->GetColor(x, y) != kWhite;
        differing += a->GetColor(x, y) != w->GetColor(x, y);
      }
    EXPECT_GT(inked, 40) << int(k.charset);
    EXPECT_EQ(differing, 0) << int(k.charset);
  }
}

namespace {

// The DC's clip (device pixels) after the last record but EOF has played onto a 96 x 72
// surface; playback restores the DC's own clip when it ends.
Region ClipAfter(const std::vector<std::vector<uint8_t>>& records) {
  const std::vector<uint8_t> file = Emf(records);
  auto bmp = std::make_shared<GdiBitmap>(96, 72, 24);
  HBITMAP hb = static_cast<HBITMAP>(RegisterGdiObject(bmp));
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, hb);
  HENHMETAFILE h = SetEnhMetaFileBits(UINT(file.size()), file.data());
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  const RECT dest{0, 0, 96, 72};
  auto keep = [](HDC d, HANDLETABLE* t, const ENHMETARECORD* r, int n, void* rgn) {
    PlayEnhMetaFileRecord(d, t, r, UINT(n));
    if (r->iType != EMR_EOF) GetClipRgn(d, static_cast<HRGN>(rgn));
    return 1;
  };
  EnumEnhMetaFile(dc, h, keep, clip, &dest);
  Region out = *RegionOf(clip);
  DeleteObject(clip);
  DeleteEnhMetaFile(h);
  DeleteDC(dc);
  DeleteObject(hb);
  return out;
}

// A clip region of one rectangle, copied in.
std::vector<uint8_t> ClipRegion(int32_t l, int32_t t, int32_t r, int32_t b) {
  return Rec(EMR_EXTSELECTCLIPRGN,
             Bytes().U32(48).U32(RGN_COPY).U32(32).U32(1).U32(1).U32(16).I32(l).I32(t).I32(r).I32(b).I32(l).I32(t).I32(r).I32(b));
}

}  // namespace

TEST(EmfPlayer, ClipRectanglesCostWhatTheSurfaceShows) {
  constexpr int32_t kFar = 1 << 29;  // where the player's coordinates stop
  // A clip region stated half a billion rows tall, then cut by a rectangle: along the axes the
  // result is exact however far it reaches; turned, only the surface's rows are scanned, so
  // the region holds a band for each of them and no more.
  const std::vector<uint8_t> tall = ClipRegion(0, 0, 40, kFar), wide = ClipRegion(-kFar, 0, kFar, kFar);
  const struct Case {
    const char* name;
    std::vector<std::vector<uint8_t>> records;
    RECT bounds;
    size_t bands;
  } cases[] = {
      {"intersected along the axes", {tall, Rect(EMR_INTERSECTCLIPRECT, 10, 0, INT32_MAX, INT32_MAX)},
       RECT{10, 0, 40, kFar}, 1},
      {"excluded along the axes", {tall, Rect(EMR_EXCLUDECLIPRECT, 0, 100, INT32_MAX, INT32_MAX)}, RECT{0, 0, 40, 100}, 1},
      {"intersected turned",
       {wide, Xform(EMR_SETWORLDTRANSFORM, XFORM{1, 0, 1, 1, 0, 0}), Rect(EMR_INTERSECTCLIPRECT, 0, 0, 1 << 28, 1 << 28)},
       RECT{0, 0, (1 << 28) + 72, 73}, 73},
  };
  for (const Case& c : cases) {
    const Region clip = ClipAfter(c.records);
    EXPECT_EQ(clip.Bounds(), c.bounds) << c.name;
    EXPECT_EQ(clip.Bands().size(), c.bands) << c.name;
  }
  // The turned rectangle still clips the rows that show: its left side runs at 45 degrees.
  const Region turned = ClipAfter(cases[2].records);
  EXPECT_TRUE(turned.Contains(10, 10));
  EXPECT_FALSE(turned.Contains(9, 10));
  EXPECT_TRUE(turned.Contains(70, 70));
  EXPECT_FALSE(turned.Contains(69, 70));
}
