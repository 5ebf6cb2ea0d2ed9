// Icons: made from pictures and from mask and colour bitmaps, copied, drawn with alpha.
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_object.h"
#include "platform/gdi/shapes.h"
#include "platform/user/icons.h"
#include "tests/platform/user/user_test_support.h"

using namespace usertest;

namespace {

class Icons : public UserTest {};

TEST_F(Icons, DrawnWithTheirAlphaOverTheWindow) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"I", WS_POPUP | WS_VISIBLE, 0, 0, 64, 64, nullptr, nullptr,
                              nullptr, nullptr);
  Pump();
  GdiBitmap picture(4, 1, 32);
  picture.SetRaw(0, 0, 0xffff0000);  // opaque red
  picture.SetRaw(1, 0, 0x00ff0000);  // transparent
  picture.SetRaw(2, 0, 0x800000ff);  // half blue
  picture.SetRaw(3, 0, 0xff00ff00);  // opaque green
  HICON icon = CreateIconFromPicture(picture);
  ASSERT_NE(icon, nullptr);
  HDC dc = GetDC(hwnd);
  ASSERT_TRUE(DrawIconEx(dc, 10, 10, icon, 0, 0, 0, nullptr, DI_NORMAL));
  ReleaseDC(hwnd, dc);
  Pump();
  EXPECT_EQ(screen->ScreenPixel(10, 10), 0xff0000u);
  EXPECT_EQ(screen->ScreenPixel(11, 10), 0xffffffu);
  EXPECT_EQ(screen->ScreenPixel(12, 10), 0x7f7fffu);
  EXPECT_EQ(screen->ScreenPixel(13, 10), 0x00ff00u);
  // Twice the size: each pixel doubles.
  HICON big = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, 8, 2, LR_COPYFROMRESOURCE));
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(IconPicture(big)->Width(), 8);
  dc = GetDC(hwnd);
  DrawIconEx(dc, 20, 20, big, 0, 0, 0, nullptr, DI_NORMAL);
  ReleaseDC(hwnd, dc);
  Pump();
  EXPECT_EQ(screen->ScreenPixel(21, 21), 0xff0000u);
  EXPECT_EQ(screen->ScreenPixel(27, 21), 0x00ff00u);
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_TRUE(DestroyIcon(big));
  EXPECT_FALSE(DestroyIcon(big));
}

TEST_F(Icons, MaskAndColourBitmapsRoundTrip) {
  GdiBitmap picture(2, 2, 32);
  picture.SetRaw(0, 0, 0xff112233);
  picture.SetRaw(1, 0, 0x00000000);
  picture.SetRaw(0, 1, 0xff445566);
  picture.SetRaw(1, 1, 0xff778899);
  HICON icon = CreateIconFromPicture(picture);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  auto mask = LookupGdi<GdiBitmap>(info.hbmMask);
  auto color = LookupGdi<GdiBitmap>(info.hbmColor);
  ASSERT_TRUE(mask && color);
  EXPECT_EQ(mask->BitsPerPixel(), 1);
  EXPECT_NE(mask->GetColor(1, 0), 0u);  // transparent
  EXPECT_EQ(mask->GetColor(0, 0), 0u);
  // Without alpha in the colour bitmap, the mask decides.
  auto opaque = LookupGdi<GdiBitmap>(info.hbmColor);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) opaque->SetRaw(x, y, opaque->GetRaw(x, y) & 0x00ffffff);
  HICON again = CreateIconIndirect(&info);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(IconPicture(again)->GetRaw(1, 0) >> 24, 0u);
  EXPECT_EQ(IconPicture(again)->GetRaw(1, 1), 0xff778899u);
  DeleteObject(info.hbmMask);
  DeleteObject(info.hbmColor);
  DestroyIcon(icon);
  DestroyIcon(again);
  HICON app = LoadIconW(nullptr, IDI_APPLICATION);
  ASSERT_NE(app, nullptr);
  EXPECT_EQ(LoadIconW(nullptr, IDI_APPLICATION), app);
  EXPECT_TRUE(DestroyIcon(app));
  EXPECT_NE(IconPicture(app), nullptr);  // the standard icons stay
  EXPECT_EQ(CreateIconIndirect(nullptr), nullptr);
  ICONINFO bad{TRUE, 0, 0, reinterpret_cast<HBITMAP>(0x33), nullptr};
  EXPECT_EQ(CreateIconIndirect(&bad), nullptr);
}

}  // namespace
