// Block transfers with raster operations, stretch modes, masks and key colours, checked
// against values worked out by hand.
#include <gtest/gtest.h>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/shapes.h"

namespace {

// A 24-bit memory DC of the given size filled with one colour; freed with the object.
struct Surface {
  std::shared_ptr<GdiBitmap> bmp;
  HDC dc;
  HBITMAP handle;
  Surface(int w, int h, COLORREF fill, int bpp = 24) {
    bmp = std::make_shared<GdiBitmap>(w, h, bpp);
    bmp->Fill(fill);
    handle = static_cast<HBITMAP>(RegisterGdiObject(bmp));
    dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, handle);
  }
  ~Surface() {
    DeleteDC(dc);
    DeleteObject(handle);
  }
  COLORREF At(int x, int y) const { return bmp->GetColor(x, y); }
};

}  // namespace

TEST(BitBlt, RasterOperationsOnKnownColours) {
  const COLORREF s = RGB(0xF0, 0x0F, 0x55), d = RGB(0xCC, 0x3C, 0xAA), p = RGB(0x81, 0x18, 0xFF);
  const struct {
    const char* name;
    DWORD rop;
    COLORREF expected;
  } cases[] = {
      {"SRCCOPY", SRCCOPY, RGB(0xF0, 0x0F, 0x55)},
      {"SRCAND", SRCAND, RGB(0xC0, 0x0C, 0x00)},
      {"SRCPAINT", SRCPAINT, RGB(0xFC, 0x3F, 0xFF)},
      {"SRCINVERT", SRCINVERT, RGB(0x3C, 0x33, 0xFF)},
      {"SRCERASE", SRCERASE, RGB(0x30, 0x03, 0x55)},
      {"NOTSRCCOPY", NOTSRCCOPY, RGB(0x0F, 0xF0, 0xAA)},
      {"NOTSRCERASE", NOTSRCERASE, RGB(0x03, 0xC0, 0x00)},
      {"DSTINVERT", DSTINVERT, RGB(0x33, 0xC3, 0x55)},
      {"PATCOPY", PATCOPY, RGB(0x81, 0x18, 0xFF)},
      {"PATINVERT", PATINVERT, RGB(0x4D, 0x24, 0x55)},
      {"MERGECOPY", MERGECOPY, RGB(0x80, 0x08, 0x55)},
      {"MERGEPAINT", MERGEPAINT, RGB(0xCF, 0xFC, 0xAA)},
      {"BLACKNESS", BLACKNESS, RGB(0, 0, 0)},
      {"WHITENESS", WHITENESS, RGB(0xFF, 0xFF, 0xFF)},
      {"dest kept", 0x00AA0029, RGB(0xCC, 0x3C, 0xAA)},
  };
  for (const auto& c : cases) {
    Surface src(4, 4, s), dst(4, 4, d);
    HBRUSH brush = CreateSolidBrush(p);
    HGDIOBJ old = SelectObject(dst.dc, brush);
    ASSERT_TRUE(BitBlt(dst.dc, 1, 1, 2, 2, src.dc, 0, 0, c.rop)) << c.name;
    EXPECT_EQ(dst.At(1, 1), c.expected) << c.name;
    EXPECT_EQ(dst.At(2, 2), c.expected) << c.name;
    EXPECT_EQ(dst.At(0, 0), d) << c.name;  // outside the rectangle
    EXPECT_EQ(dst.At(3, 3), d) << c.name;
    SelectObject(dst.dc, old);
    DeleteObject(brush);
  }
}

TEST(StretchBlt, ModesAndMirroring) {
  Surface src(4, 1, 0);
  const COLORREF cols[4] = {RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200), RGB(100, 100, 100)};
  for (int x = 0; x < 4; ++x) src.bmp->SetColor(x, 0, cols[x]);
  {
    Surface dst(2, 1, 0);
    SetStretchBltMode(dst.dc, COLORONCOLOR);
    StretchBlt(dst.dc, 0, 0, 2, 1, src.dc, 0, 0, 4, 1, SRCCOPY);
    // Point sampling: each result is one of the source pixels, never a mix.
    EXPECT_EQ(dst.At(0, 0), cols[1]);
    EXPECT_EQ(dst.At(1, 0), cols[3]);
  }
  {
    Surface dst(2, 1, 0);
    SetStretchBltMode(dst.dc, HALFTONE);
    StretchBlt(dst.dc, 0, 0, 2, 1, src.dc, 0, 0, 4, 1, SRCCOPY);
    EXPECT_EQ(dst.At(0, 0), RGB(100, 100, 0));
    EXPECT_EQ(dst.At(1, 0), RGB(50, 50, 150));
  }
  {
    Surface dst(8, 1, 0);
    StretchBlt(dst.dc, 0, 0, 8, 1, src.dc, 0, 0, 4, 1, SRCCOPY);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(dst.At(x, 0), cols[x / 2]);
  }
  {
    Surface dst(4, 1, 0);
    StretchBlt(dst.dc, 3, 0, -4, 1, src.dc, 0, 0, 4, 1, SRCCOPY);  // mirrored onto columns 0 to 3
    EXPECT_EQ(dst.At(0, 0), cols[3]);
    EXPECT_EQ(dst.At(3, 0), cols[0]);
    Surface dst2(4, 1, 0);
    StretchBlt(dst2.dc, 0, 0, 4, 1, src.dc, 3, 0, -4, 1, SRCCOPY);
    EXPECT_EQ(dst2.At(1, 0), cols[2]);
  }
}

TEST(BitBlt, MonochromeConversionsUseTheDcColours) {
  Surface mono(2, 1, RGB(255, 255, 255), 1);
  mono.bmp->SetRaw(0, 0, 0);
  Surface colour(2, 1, 0);
  SetTextColor(colour.dc, RGB(10, 20, 30));
  SetBkColor(colour.dc, RGB(200, 210, 220));
  BitBlt(colour.dc, 0, 0, 2, 1, mono.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(colour.At(0, 0), RGB(10, 20, 30));     // 0 bits take the text colour
  EXPECT_EQ(colour.At(1, 0), RGB(200, 210, 220));  // 1 bits the background colour
  // Colour to monochrome: the source's background colour becomes white, the rest black.
  Surface src(2, 1, RGB(255, 0, 255));
  src.bmp->SetColor(1, 0, RGB(1, 2, 3));
  SetBkColor(src.dc, RGB(255, 0, 255));
  Surface mask(2, 1, 0, 1);
  BitBlt(mask.dc, 0, 0, 2, 1, src.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(mask.bmp->GetRaw(0, 0), 1u);
  EXPECT_EQ(mask.bmp->GetRaw(1, 0), 0u);
}

TEST(MaskBlt, ForegroundWhereTheMaskIsSet) {
  Surface src(3, 1, RGB(9, 9, 9)), dst(3, 1, RGB(100, 100, 100));
  auto mask = std::make_shared<GdiBitmap>(3, 1, 1);
  mask->SetRaw(0, 0, 1);
  mask->SetRaw(2, 0, 1);
  HBITMAP hm = static_cast<HBITMAP>(RegisterGdiObject(mask));
  ASSERT_TRUE(MaskBlt(dst.dc, 0, 0, 3, 1, src.dc, 0, 0, hm, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029)));
  EXPECT_EQ(dst.At(0, 0), RGB(9, 9, 9));
  EXPECT_EQ(dst.At(1, 0), RGB(100, 100, 100));
  EXPECT_EQ(dst.At(2, 0), RGB(9, 9, 9));
  // A colour mask is refused, as on the platform.
  HBITMAP colourMask = CreateCompatibleBitmap(src.dc, 3, 1);
  EXPECT_FALSE(MaskBlt(dst.dc, 0, 0, 3, 1, src.dc, 0, 0, colourMask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029)));
  DeleteObject(colourMask);
  DeleteObject(hm);
}

TEST(TransparentBlt, KeyColourIsLeftOut) {
  Surface src(2, 2, RGB(255, 0, 255)), dst(4, 4, RGB(1, 1, 1));
  src.bmp->SetColor(1, 1, RGB(0, 128, 0));
  ASSERT_TRUE(TransparentBlt(dst.dc, 0, 0, 4, 4, src.dc, 0, 0, 2, 2, RGB(255, 0, 255)));
  EXPECT_EQ(dst.At(0, 0), RGB(1, 1, 1));
  EXPECT_EQ(dst.At(2, 2), RGB(0, 128, 0));
  EXPECT_EQ(dst.At(3, 3), RGB(0, 128, 0));
  EXPECT_EQ(dst.At(1, 3), RGB(1, 1, 1));
}

TEST(Clipping, ClipSaveRestoreAndOrigins) {
  Surface s(10, 10, 0);
  HRGN clip = CreateRectRgn(2, 2, 5, 5);
  const int level = SaveDC(s.dc);
  SelectClipRgn(s.dc, clip);
  RECT all{0, 0, 10, 10};
  FillRect(s.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(s.At(1, 1), 0u);
  EXPECT_EQ(s.At(2, 2), RGB(255, 255, 255));
  EXPECT_EQ(s.At(5, 5), 0u);
  RECT box;
  GetClipBox(s.dc, &box);
  EXPECT_EQ(box, (RECT{2, 2, 5, 5}));
  ASSERT_TRUE(RestoreDC(s.dc, level));
  GetClipBox(s.dc, &box);
  EXPECT_EQ(box, (RECT{0, 0, 10, 10}));
  // The viewport origin moves logical (0, 0).
  SetViewportOrgEx(s.dc, 6, 6, nullptr);
  RECT one{0, 0, 1, 1};
  FillRect(s.dc, &one, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  EXPECT_EQ(s.At(6, 6), RGB(128, 128, 128));
  EXPECT_EQ(GetPixel(s.dc, 0, 0), RGB(128, 128, 128));
  EXPECT_EQ(GetPixel(s.dc, 10, 10), CLR_INVALID);
  DeleteObject(clip);
}

TEST(DCOverBitmap, DeviceOriginAndVisibleRegion) {
  auto backBuffer = std::make_shared<GdiBitmap>(20, 20, 32);
  HDC dc = CreateDCOverBitmap(backBuffer);
  SetDCDeviceOrigin(dc, 5, 5);
  const Region visible = Region::FromRect(RECT{5, 5, 10, 10});
  SetDCVisibleRegion(dc, &visible);
  RECT r{0, 0, 100, 100};
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(backBuffer->GetColor(4, 4), 0u);
  EXPECT_EQ(backBuffer->GetColor(5, 5), RGB(255, 255, 255));
  EXPECT_EQ(backBuffer->GetColor(9, 9), RGB(255, 255, 255));
  EXPECT_EQ(backBuffer->GetColor(10, 10), 0u);
  EXPECT_EQ(SelectObject(dc, CreateCompatibleBitmap(dc, 2, 2)), nullptr);  // its bitmap is fixed
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 20);
  DeleteDC(dc);
}

TEST(DIBits, SectionPointerAndGetDIBits) {
  BITMAPINFO info{};
  info.bmiHeader.biWidth = 3;
  info.bmiHeader.biHeight = 2;  // bottom-up
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  static_cast<uint32_t*>(bits)[0] = 0x00112233;  // first in memory: the bottom-left pixel
  auto b = LookupGdi<GdiBitmap>(section);
  EXPECT_EQ(b->GetColor(0, 1), RGB(0x11, 0x22, 0x33));
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, section);
  SetPixel(dc, 2, 0, RGB(1, 2, 3));
  BITMAPINFO want{};
  want.bmiHeader.biWidth = 3;
  want.bmiHeader.biHeight = -2;  // top-down
  want.bmiHeader.biBitCount = 24;
  uint8_t out[2 * 12] = {};
  EXPECT_EQ(GetDIBits(dc, section, 0, 2, out, &want, DIB_RGB_COLORS), 2);
  EXPECT_EQ(out[6], 3);  // top row, third pixel, blue first
  EXPECT_EQ(out[8], 1);
  EXPECT_EQ(out[12], 0x33);  // second row starts with the bottom-left pixel
  DeleteDC(dc);
  DeleteObject(section);
}

TEST(StretchDIBits, DrawsABottomUpDib) {
  Surface dst(2, 2, 0);
  BITMAPINFO info{};
  info.bmiHeader.biWidth = 1;
  info.bmiHeader.biHeight = 2;
  info.bmiHeader.biBitCount = 24;
  const uint8_t bits[8] = {0, 0, 255, 0, 255, 0, 0, 0};  // bottom red, top blue
  EXPECT_EQ(StretchDIBits(dst.dc, 0, 0, 2, 2, 0, 0, 1, 2, bits, &info, DIB_RGB_COLORS, SRCCOPY), 2);
  EXPECT_EQ(dst.At(1, 0), RGB(0, 0, 255));
  EXPECT_EQ(dst.At(1, 1), RGB(255, 0, 0));
}

TEST(BitBlt, OverlappingMoveWithinOneBitmap) {
  Surface s(6, 1, 0);
  for (int x = 0; x < 6; ++x) s.bmp->SetColor(x, 0, RGB(uint8_t(x * 10), 0, 0));
  ASSERT_TRUE(BitBlt(s.dc, 1, 0, 5, 1, s.dc, 0, 0, SRCCOPY));
  for (int x = 1; x < 6; ++x) EXPECT_EQ(s.At(x, 0), RGB(uint8_t((x - 1) * 10), 0, 0)) << x;
}

TEST(BitBlt, ConvertsBetweenDepths) {
  Surface src(3, 2, RGB(10, 20, 30), 32), dst(3, 2, 0, 24), pal(3, 2, 0, 8);
  src.bmp->SetColor(2, 1, RGB(255, 0, 0));
  BitBlt(dst.dc, 0, 0, 3, 2, src.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(dst.At(0, 0), RGB(10, 20, 30));
  EXPECT_EQ(dst.At(2, 1), RGB(255, 0, 0));
  BitBlt(pal.dc, 0, 0, 3, 2, dst.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(pal.At(2, 1), RGB(255, 0, 0));  // an exact entry of the default colour table
}
