// The class library's image list over the window layer's image lists.
#include <gtest/gtest.h>

#include "platform/forms/image_list.h"

namespace {

TEST(TImageList, AddsStripsAndDrawsEnabledAndDisabled) {
  TComponentPtr<TImageList> list(CreateComponent<TImageList>(nullptr));
  EXPECT_EQ(list->Width(), 16);
  list->SetWidth(4);
  list->SetHeight(2);
  TBitmap strip;
  strip.SetPixelFormat(pf24bit);
  strip.SetSize(8, 2);
  strip.Dib().Fill(RGB(255, 255, 255));
  strip.Dib().SetColor(5, 1, RGB(0, 0, 0));
  EXPECT_EQ(list->AddMasked(strip, clWhite), 0);
  EXPECT_EQ(list->Count(), 2);
  TBitmap empty;
  EXPECT_EQ(list->AddMasked(empty, clWhite), -1);

  TBitmap dst;
  dst.SetPixelFormat(pf24bit);
  dst.SetSize(4, 2);
  dst.Dib().Fill(RGB(9, 9, 9));
  list->Draw(dst.Canvas(), 0, 0, 1);
  EXPECT_EQ(dst.Dib().GetColor(1, 1) & 0xFFFFFF, RGB(0, 0, 0));
  EXPECT_EQ(dst.Dib().GetColor(0, 0) & 0xFFFFFF, RGB(9, 9, 9));
  dst.Dib().Fill(RGB(9, 9, 9));
  list->Draw(dst.Canvas(), 0, 0, 1, false);
  EXPECT_EQ(dst.Dib().GetColor(1, 1) & 0xFFFFFF, ColorToRGB(clBtnShadow));
  EXPECT_EQ(dst.Dib().GetColor(2, 1) & 0xFFFFFF, RGB(9, 9, 9));
  list->Draw(dst.Canvas(), 0, 0, 7);  // no such image: nothing
  list->Clear();
  EXPECT_EQ(list->Count(), 0);
}

}  // namespace
