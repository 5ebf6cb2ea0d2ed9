// Image lists: pictures cut from a strip, masked by a key colour, drawn with and without the
// mask and with a background colour.
#include <gtest/gtest.h>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/dc.h"
#include "platform/user/image_list.h"

namespace {

COLORREF At(TBitmap& b, int x, int y) { return b.Dib().GetColor(x, y) & 0xFFFFFF; }

TEST(ImageList, AddsMasksAndDraws) {
  // Two 3 x 2 images side by side (plus a column that makes no image); white is the key.
  TBitmap strip;
  strip.SetPixelFormat(pf24bit);
  strip.SetSize(7, 2);
  strip.Dib().Fill(RGB(255, 255, 255));
  strip.Dib().SetColor(0, 0, RGB(10, 20, 30));
  strip.Dib().SetColor(4, 1, RGB(40, 50, 60));
  HIMAGELIST list = ImageList_Create(3, 2, ILC_MASK | ILC_COLOR24, 1, 1);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ImageList_AddMasked(list, strip.Handle(), RGB(255, 255, 255)), 0);
  EXPECT_EQ(ImageList_GetImageCount(list), 2);
  int cx = 0, cy = 0;
  EXPECT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
  EXPECT_EQ(cx, 3);
  EXPECT_EQ(cy, 2);

  TBitmap dst;
  dst.SetPixelFormat(pf24bit);
  dst.SetSize(8, 2);
  dst.Dib().Fill(RGB(1, 2, 3));
  HDC dc = dst.Canvas().Handle();
  EXPECT_TRUE(ImageList_Draw(list, 1, dc, 1, 0, ILD_TRANSPARENT));
  EXPECT_EQ(At(dst, 2, 1), RGB(40, 50, 60));
  EXPECT_EQ(At(dst, 1, 1), RGB(1, 2, 3));  // masked: the destination stays
  EXPECT_EQ(At(dst, 3, 0), RGB(1, 2, 3));
  // With a background colour the masked pixels take it.
  ImageList_SetBkColor(list, RGB(7, 7, 7));
  EXPECT_TRUE(ImageList_Draw(list, 0, dc, 4, 0, ILD_NORMAL));
  EXPECT_EQ(At(dst, 4, 0), RGB(10, 20, 30));
  EXPECT_EQ(At(dst, 5, 0), RGB(7, 7, 7));
  // The mask: black where opaque.
  EXPECT_TRUE(ImageList_Draw(list, 0, dc, 0, 0, ILD_MASK));
  EXPECT_EQ(At(dst, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(At(dst, 1, 0), RGB(255, 255, 255));
  EXPECT_FALSE(ImageList_Draw(list, 2, dc, 0, 0, ILD_NORMAL));
  EXPECT_TRUE(ImageList_Remove(list, 0));
  EXPECT_EQ(ImageList_GetImageCount(list), 1);
  EXPECT_TRUE(ImageList_Remove(list, -1));
  EXPECT_EQ(ImageList_GetImageCount(list), 0);
  EXPECT_TRUE(ImageList_Destroy(list));
  EXPECT_FALSE(ImageList_Destroy(list));
  EXPECT_EQ(ImageList_GetImageCount(list), 0);
  EXPECT_EQ(ImageList_Create(0, 5, ILC_MASK, 1, 1), nullptr);
}

}  // namespace
