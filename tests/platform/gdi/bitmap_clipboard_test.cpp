// Bitmaps handed over in the clipboard's bitmap format.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/graphics_errors.h"
#include "platform/gdi/icon.h"
#include "platform/gdi/palette.h"

namespace {

void Fill(TBitmap& b, TPixelFormat format, int w, int h) {
  b.SetPixelFormat(format);
  b.SetSize(w, h);
  const int rowBytes = (w * PixelFormatBits(format) + 7) / 8;
  for (int y = 0; y < h; ++y)
    for (int i = 0; i < rowBytes; ++i) b.ScanLine(y)[i] = uint8_t(y * 31 + i * 7);
}

bool SamePixels(TBitmap& a, TBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.PixelFormat() != b.PixelFormat()) return false;
  const size_t rowBytes = size_t(a.Width() * PixelFormatBits(a.PixelFormat()) + 7) / 8;
  for (int y = 0; y < a.Height(); ++y)
    if (std::memcmp(a.ScanLine(y), b.ScanLine(y), rowBytes) != 0) return false;
  return true;
}

TEST(BitmapClipboard, RoundTripsEveryDepthWithItsColours) {
  for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit}) {
    SCOPED_TRACE(PixelFormatBits(format));
    TBitmap source;
    Fill(source, format, 13, 5);
    if (PixelFormatBits(format) <= 8) source.Dib().Colors()[1] = RGBQUAD{10, 20, 30, 0};
    UINT format_ = 0;
    HANDLE data = nullptr;
    HPALETTE palette = nullptr;
    source.SaveToClipboardFormat(format_, data, palette);
    EXPECT_EQ(format_, CF_BITMAP);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(palette != nullptr, PixelFormatBits(format) <= 8);

    // The handles are copies: changing the source later leaves them alone.
    TBitmap kept;
    kept.Assign(source);
    source.ScanLine(0)[0] ^= 0xFF;
    TBitmap target;
    target.LoadFromClipboardFormat(format_, data, palette);
    EXPECT_TRUE(SamePixels(target, kept));
    if (palette) { EXPECT_EQ(target.Dib().Colors()[1], (RGBQUAD{10, 20, 30, 0})); }
    // And the loaded bitmap does not share the handle's pixels.
    target.ScanLine(1)[0] ^= 0xFF;
    TBitmap again;
    again.LoadFromClipboardFormat(format_, data, nullptr);
    EXPECT_TRUE(SamePixels(again, kept));
    EXPECT_TRUE(DeleteObject(data));
    if (palette) { EXPECT_TRUE(DeleteObject(palette)); }
  }
}

TEST(BitmapClipboard, OtherFormatsAndHandlesAreRefused) {
  TBitmap source;
  Fill(source, pf24bit, 4, 4);
  HBITMAP handle = source.Handle();
  HPALETTE palette = CreatePalette(std::vector<PALETTEENTRY>(2));
  struct Case {
    UINT format;
    HANDLE data;
  };
  for (const Case& c : {Case{8, handle}, Case{CF_BITMAP, nullptr}, Case{CF_BITMAP, palette}}) {
    TBitmap target;
    Fill(target, pf8bit, 2, 2);
    try {
      target.LoadFromClipboardFormat(c.format, c.data, nullptr);
      ADD_FAILURE() << "loaded format " << c.format;
    } catch (const EInvalidGraphic& e) {
      EXPECT_STREQ(e.what(), "Unsupported clipboard format");
    }
    EXPECT_EQ(target.Width(), 2);
  }
  DeleteObject(palette);
  // A graphic of another kind offers nothing.
  TIcon icon;
  UINT format = 99;
  HANDLE data = handle;
  HPALETTE pal = palette;
  icon.SaveToClipboardFormat(format, data, pal);
  EXPECT_EQ(format, 0u);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(pal, nullptr);
}

}  // namespace
