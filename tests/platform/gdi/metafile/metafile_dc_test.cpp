// Metafile device contexts: the same drawing calls made on a bitmap and recorded into a
// metafile must come out the same when the metafile is played back, as an EMF and as the WMF
// converted from it; pixels painted straight into the DC's bitmap are kept as an alpha blend.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "platform/gdi/dc.h"
#include "platform/gdi/metafile/emf_layer.h"
#include "platform/gdi/metafile/emf_reader.h"
#include "platform/gdi/metafile/emf_to_wmf.h"
#include "platform/gdi/metafile/enh_metafile.h"
#include "platform/gdi/metafile/metafile_dc.h"
#include "platform/gdi/path.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "tests/platform/gdi/metafile/metafile_test_util.h"

using namespace mftest;

namespace {

constexpr int kW = 96, kH = 72;
using Scene = std::function<void(HDC)>;

// A frame of kW x kH screen pixels in hundredths of a millimetre.
RECT Frame() { return RECT{0, 0, (kW * 2540 + 48) / 96, (kH * 2540 + 48) / 96}; }

std::shared_ptr<GdiBitmap> Direct(const Scene& scene) {
  auto bmp = std::make_shared<GdiBitmap>(kW, kH, 24);
  bmp->Fill(RGB(255, 255, 255));
  HBITMAP hb = static_cast<HBITMAP>(RegisterGdiObject(bmp));
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, hb);
  scene(dc);
  DeleteDC(dc);
  DeleteObject(hb);
  return bmp;
}

std::vector<uint8_t> Recorded(const Scene& scene) {
  const RECT frame = Frame();
  HDC dc = CreateEnhMetaFileA(nullptr, nullptr, &frame, nullptr);
  EXPECT_NE(dc, nullptr);
  EXPECT_TRUE(IsMetafileDC(dc));
  scene(dc);
  HENHMETAFILE h = CloseEnhMetaFile(dc);
  const UINT size = GetEnhMetaFileBits(h, 0, nullptr);
  std::vector<uint8_t> bytes(size);
  GetEnhMetaFileBits(h, size, bytes.data());
  DeleteEnhMetaFile(h);
  return bytes;
}

int Differences(const GdiBitmap& a, const GdiBitmap& b) {
  int n = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) n += a.GetColor(x, y) != b.GetColor(x, y);
  return n;
}

void WithObjects(HDC dc, HPEN pen, HBRUSH brush, const std::function<void()>& draw) {
  HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, brush);
  draw();
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(pen);
  DeleteObject(brush);
}

struct SceneCase {
  const char* name;
  Scene scene;
  int wmfAllowed;  // pixels the WMF may differ by (curves flattened before the player sees them)
};

const SceneCase kScenes[] = {
    {"filled path with a curve",
     [](HDC dc) {
       WithObjects(dc, CreatePen(PS_NULL, 0, 0), CreateSolidBrush(RGB(200, 0, 0)), [&] {
         BeginPath(dc);
         MoveToEx(dc, 10, 10, nullptr);
         LineTo(dc, 80, 10);
         const POINT c[3] = {{90, 30}, {60, 60}, {20, 60}};
         PolyBezierTo(dc, c, 3);
         CloseFigure(dc);
         EndPath(dc);
         FillPath(dc);
       });
     },
     40},
    {"stroked and filled path, winding",
     [](HDC dc) {
       SetPolyFillMode(dc, WINDING);
       WithObjects(dc, CreatePen(PS_SOLID, 3, RGB(0, 0, 255)), CreateSolidBrush(RGB(0, 160, 0)), [&] {
         BeginPath(dc);
         const POINT star[5] = {{48, 5}, {20, 65}, {85, 25}, {10, 25}, {75, 65}};
         MoveToEx(dc, star[0].x, star[0].y, nullptr);
         PolylineTo(dc, star + 1, 4);
         CloseFigure(dc);
         EndPath(dc);
         StrokeAndFillPath(dc);
       });
     },
     0},
    {"lines, rectangle, ellipse and polygon",
     [](HDC dc) {
       WithObjects(dc, CreatePen(PS_SOLID, 1, RGB(255, 0, 255)), CreateSolidBrush(RGB(255, 200, 0)), [&] {
         MoveToEx(dc, 2, 2, nullptr);
         LineTo(dc, 90, 70);
         Rectangle(dc, 5, 40, 30, 65);
         Ellipse(dc, 40, 5, 90, 35);
         const POINT tri[3] = {{50, 60}, {90, 40}, {90, 70}};
         Polygon(dc, tri, 3);
       });
     },
     0},
    {"filled rectangles with brushes not selected",
     [](HDC dc) {
       HBRUSH red = CreateSolidBrush(RGB(255, 0, 0)), blue = CreateSolidBrush(RGB(0, 0, 255));
       const RECT a{0, 0, 50, 30}, b{30, 20, 96, 72};
       FillRect(dc, &a, red);
       FillRect(dc, &b, blue);
       DeleteObject(red);
       DeleteObject(blue);
     },
     0},
    {"a polyline longer than a WMF point count reaches",
     [](HDC dc) {
       std::vector<POINT> zigzag;
       for (int i = 0; i < 40000; ++i) zigzag.push_back(POINT{5 + (i % 2) * 80, 5 + (i * 60) / 40000});
       Polyline(dc, zigzag.data(), int(zigzag.size()));
     },
     0},
    {"stroked open path",
     [](HDC dc) {
       WithObjects(dc, CreatePen(PS_SOLID, 1, RGB(0, 0, 0)), CreateSolidBrush(RGB(255, 0, 0)), [&] {
         BeginPath(dc);
         MoveToEx(dc, 5, 60, nullptr);
         LineTo(dc, 40, 10);
         LineTo(dc, 80, 60);
         EndPath(dc);
         StrokePath(dc);
       });
     },
     0},
};

void PrintTo(const SceneCase& c, std::ostream* os) { *os << c.name; }

class MetafileDCScenes : public ::testing::TestWithParam<SceneCase> {};

TEST_P(MetafileDCScenes, PlaybackDrawsWhatTheCallsDrawOnABitmap) {
  const SceneCase& c = GetParam();
  const auto direct = Direct(c.scene);
  const std::vector<uint8_t> emf = Recorded(c.scene);
  EXPECT_EQ(Differences(*direct, *Render(emf, kW, kH)), 0) << c.name;
  auto doc = EmfDocument::Parse(emf);
  const std::vector<uint8_t> wmf = PlaceableWmfFromEmf(*doc, kW, kH, 96);
  EXPECT_LE(Differences(*direct, *Render(wmf, kW, kH)), c.wmfAllowed) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Scenes, MetafileDCScenes, ::testing::ValuesIn(kScenes));

TEST(MetafileDC, RecordsTheCallsAsTheirOwnRecords) {
  const std::vector<uint8_t> emf = Recorded([](HDC dc) {
    BeginPath(dc);
    MoveToEx(dc, 1, 1, nullptr);
    LineTo(dc, 20, 1);
    const POINT c[3] = {{30, 10}, {30, 20}, {20, 30}};
    PolyBezierTo(dc, c, 3);
    CloseFigure(dc);
    EndPath(dc);
    FillPath(dc);
  });
  std::vector<uint32_t> types = Enumerate(emf);
  std::erase_if(types, [](uint32_t t) {
    return t == EMR_SELECTOBJECT || t == EMR_CREATEPEN || t == EMR_CREATEBRUSHINDIRECT;
  });
  EXPECT_EQ(types, (std::vector<uint32_t>{EMR_HEADER, EMR_BEGINPATH, EMR_MOVETOEX, EMR_LINETO, EMR_POLYBEZIERTO,
                                          EMR_CLOSEFIGURE, EMR_ENDPATH, EMR_FILLPATH, EMR_EOF}));
  auto doc = EmfDocument::Parse(emf);
  EXPECT_EQ(doc->Header().rclBounds.right, kW - 1);
  EXPECT_EQ(doc->Header().rclBounds.bottom, kH - 1);
  EXPECT_EQ(doc->SkippedRecords(), 0u);
}

TEST(MetafileDC, APathLeftOpenIsEndedAndDropped) {
  const std::vector<uint8_t> emf = Recorded([](HDC dc) {
    BeginPath(dc);
    MoveToEx(dc, 1, 1, nullptr);
    LineTo(dc, 20, 1);
    BeginPath(dc);  // drops the first
    LineTo(dc, 20, 20);
  });
  const std::vector<uint32_t> types = Enumerate(emf);
  const std::vector<uint32_t> tail(types.end() - 4, types.end());
  EXPECT_EQ(tail, (std::vector<uint32_t>{EMR_LINETO, EMR_ENDPATH, EMR_ABORTPATH, EMR_EOF}));
  EXPECT_EQ(std::count(types.begin(), types.end(), EMR_ENDPATH), 2);
}

TEST(MetafileDC, PixelsPaintedIntoItsBitmapBecomeAnAlphaBlendInOrder) {
  const std::vector<uint8_t> emf = Recorded([](HDC dc) {
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    const RECT all{0, 0, kW, kH};
    FillRect(dc, &all, red);
    DeleteObject(red);
    // Half-transparent blue over the left half, opaque green in one corner.
    std::shared_ptr<GdiBitmap> layer = GetDCBitmap(dc);
    ASSERT_EQ(layer->BitsPerPixel(), 32);
    ASSERT_EQ(layer->Width(), kW);
    for (int y = 10; y < 20; ++y)
      for (int x = 0; x < kW / 2; ++x) {
        uint8_t* p = layer->Row(y) + x * 4;
        p[0] = 255, p[1] = 0, p[2] = 0, p[3] = 128;
      }
    uint8_t* corner = layer->Row(kH - 1) + (kW - 1) * 4;
    corner[0] = 0, corner[1] = 255, corner[2] = 0, corner[3] = 255;
    // A later drawing covers the layer's pixels.
    HBRUSH black = CreateSolidBrush(0);
    const RECT strip{0, 15, kW, 16};
    FillRect(dc, &strip, black);
    DeleteObject(black);
  });
  const std::vector<uint32_t> types = Enumerate(emf);
  EXPECT_EQ(std::count(types.begin(), types.end(), EMR_ALPHABLEND), 1);
  const auto out = Render(emf, kW, kH);
  const COLORREF half = out->GetColor(5, 12);
  EXPECT_NEAR(GetRValue(half), 127, 2);
  EXPECT_EQ(GetGValue(half), 0);
  EXPECT_NEAR(GetBValue(half), 128, 2);
  EXPECT_EQ(out->GetColor(kW / 2 + 5, 12), RGB(255, 0, 0));
  EXPECT_EQ(out->GetColor(5, 15), RGB(0, 0, 0));
  EXPECT_EQ(out->GetColor(kW - 1, kH - 1), RGB(0, 255, 0));
  // The WMF keeps what shows at least half.
  auto doc = EmfDocument::Parse(emf);
  const auto wmf = Render(PlaceableWmfFromEmf(*doc, kW, kH, 96), kW, kH);
  EXPECT_EQ(wmf->GetColor(kW - 1, kH - 1), RGB(0, 255, 0));
  EXPECT_EQ(wmf->GetColor(kW / 2 + 5, 12), RGB(255, 0, 0));
  EXPECT_EQ(wmf->GetColor(5, 15), RGB(0, 0, 0));
}

// Each look at a layer handed out without an area reads all of it: after a bounded number of
// such looks the rest of the painting comes out once, at the end, still all there.
TEST(MetafileDC, LooksAtTheWholeLayerAreBounded) {
  constexpr int kRounds = 300;
  const std::vector<uint8_t> emf = Recorded([](HDC dc) {
    HBRUSH grey = CreateSolidBrush(RGB(128, 128, 128));
    for (int i = 0; i < kRounds; ++i) {
      std::shared_ptr<GdiBitmap> layer = GetDCBitmap(dc);
      uint8_t* p = layer->Row(i % kH) + (i / kH) * 4;
      p[0] = 255, p[1] = 0, p[2] = 0, p[3] = 255;
      const RECT dot{kW - 1, 0, kW, 1};
      FillRect(dc, &dot, grey);
    }
    DeleteObject(grey);
  });
  const std::vector<uint32_t> types = Enumerate(emf);
  EXPECT_LE(std::count(types.begin(), types.end(), EMR_ALPHABLEND), EmfLayer::kUnnamedLooks + 1);
  const auto out = Render(emf, kW, kH);
  for (int i = 0; i < kRounds; ++i) EXPECT_EQ(out->GetColor(i / kH, i % kH), RGB(0, 0, 255)) << i;
}

// A layer handed out for an area is looked at there only.
TEST(MetafileDC, ANamedAreaIsWhatIsLookedAt) {
  const std::vector<uint8_t> emf = Recorded([](HDC dc) {
    for (int i = 0; i < 3; ++i) {
      std::shared_ptr<GdiBitmap> layer = GetMetafileLayer(dc, RECT{10 * i, 10, 10 * i + 5, 15});
      uint8_t* p = layer->Row(12) + (10 * i + 2) * 4;
      p[0] = 0, p[1] = 0, p[2] = 255, p[3] = 255;
      HBRUSH black = CreateSolidBrush(0);
      const RECT dot{kW - 1, kH - 1, kW, kH};
      FillRect(dc, &dot, black);
      DeleteObject(black);
    }
  });
  const std::vector<uint32_t> types = Enumerate(emf);
  EXPECT_EQ(std::count(types.begin(), types.end(), EMR_ALPHABLEND), 3);
  const auto out = Render(emf, kW, kH);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(out->GetColor(10 * i + 2, 12), RGB(255, 0, 0)) << i;
}

TEST(MetafileDC, ManyPensReuseAFewTableSlots) {
  constexpr int kPens = 150;
  auto colour = [](int i) { return RGB(i, 255 - i, (i * 7) % 256); };
  const std::vector<uint8_t> emf = Recorded([&](HDC dc) {
    for (int i = 0; i < kPens; ++i) {
      HPEN pen = CreatePen(PS_SOLID, 1, colour(i));
      HGDIOBJ old = SelectObject(dc, pen);
      MoveToEx(dc, 0, i % kH, nullptr);
      LineTo(dc, kW, i % kH);
      SelectObject(dc, old);
      DeleteObject(pen);
    }
  });
  auto doc = EmfDocument::Parse(emf);
  EXPECT_LE(doc->Header().nHandles, 66);
  const std::vector<uint32_t> types = Enumerate(emf);
  EXPECT_GE(std::count(types.begin(), types.end(), EMR_DELETEOBJECT), kPens - 66);
  const auto out = Render(emf, kW, kH);
  for (int i = kPens - kH; i < kPens; ++i) EXPECT_EQ(out->GetColor(10, i % kH), colour(i)) << i;
}

TEST(MetafileDC, RefusesWhatItCannotRecord) {
  const RECT frame = Frame(), empty{0, 0, 0, 10};
  EXPECT_EQ(CreateEnhMetaFileA(nullptr, "picture.emf", &frame, nullptr), nullptr);
  EXPECT_EQ(CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(CreateEnhMetaFileA(nullptr, nullptr, &empty, nullptr), nullptr);
  HDC plain = CreateCompatibleDC(nullptr);
  EXPECT_FALSE(IsMetafileDC(plain));
  EXPECT_EQ(CloseEnhMetaFile(plain), nullptr);
  DeleteDC(plain);
}

}  // namespace
