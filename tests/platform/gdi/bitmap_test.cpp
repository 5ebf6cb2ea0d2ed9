// TBitmap: formats, conversion, resizing, scan lines, transparency, streaming, and BMP files
// we write read back by Pillow.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/graphics_errors.h"
#include "platform/gdi/palette.h"
#include "platform/rtl/large_blocks.h"
#include "tests/platform/gdi/gdi_test_util.h"
#include "tests/support/test_support.h"

using namespace gditest;

namespace {

COLORREF Sample(int x, int y) { return RGB(uint8_t(x * 37), uint8_t(y * 51), uint8_t((x + y) * 23)); }

void Paint(TBitmap& b) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.Dib().SetColor(x, y, Sample(x, y));
}

}  // namespace

TEST(TBitmap, NewBitmapIsDeviceAndEmpty) {
  TBitmap b;
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.PixelFormat(), pfDevice);
  b.SetSize(3, 2);
  EXPECT_EQ(b.PixelFormat(), pfDevice);
  EXPECT_EQ(b.Dib().GetColor(2, 1), RGB(255, 255, 255));
  b.ScanLine(0);
  EXPECT_EQ(b.PixelFormat(), pf32bit);
}

TEST(TBitmap, ScanLineZeroIsTheTopRowAndRowsAreAligned) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(5, 3);
  b.Dib().SetColor(0, 0, RGB(1, 2, 3));
  uint8_t* top = b.ScanLine(0);
  EXPECT_EQ(top[0], 3);  // blue first
  EXPECT_EQ(top[2], 1);
  EXPECT_EQ(b.ScanLine(1) - b.ScanLine(0), 16);  // 15 bytes padded to 16
  EXPECT_THROW(b.ScanLine(3), EInvalidGraphic);
  EXPECT_THROW(b.ScanLine(-1), EInvalidGraphic);
}

TEST(TBitmap, ResizeKeepsTheOverlap) {
  for (TPixelFormat pf : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
    TBitmap b;
    b.SetPixelFormat(pf);
    b.SetSize(9, 5);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 9; ++x) b.Dib().SetRaw(x, y, uint32_t(x * 7 + y * 3) & b.Dib().RawMask());
    b.SetSize(6, 7);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x) ASSERT_EQ(b.Dib().GetRaw(x, y), uint32_t(x * 7 + y * 3) & b.Dib().RawMask()) << pf;
    EXPECT_EQ(b.Dib().GetColor(0, 6), RGB(255, 255, 255)) << pf;
  }
}

// Pixel memory is not cleared on allocation: a bitmap sized from nothing, and a cleared one,
// still hold exactly white pixels with zero padding (or zeros) in memory that held other bytes.
TEST(TBitmap, NewPixelsAreWhiteWithZeroPaddingInReusedMemory) {
  for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf24bit, pf32bit}) {
    for (int width : {1, 3, 13}) {
      {
        // Freed just before the bitmap takes memory of the same size.
        std::vector<uint8_t> dirty(size_t(DibStride(width, PixelFormatBits(format)) * 5), 0xAB);
        ASSERT_EQ(dirty.back(), 0xAB);
      }
      TBitmap b;
      b.SetPixelFormat(format);
      b.SetSize(width, 5);
      const GdiBitmap& d = b.Dib();
      const int64_t used = (int64_t(width) * d.BitsPerPixel() + 7) / 8;
      for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < width; ++x) ASSERT_EQ(d.GetColor(x, y), RGB(255, 255, 255)) << format << " " << x;
        for (int64_t i = used; i < d.Stride(); ++i) ASSERT_EQ(d.Row(y)[i], 0) << format << " padding " << i;
      }
      GdiBitmap cleared;
      cleared.Reset(width, 5, d.BitsPerPixel());
      for (uint8_t byte : cleared.Bits()) ASSERT_EQ(byte, 0);
    }
  }
}

// A fill writes the colour's raw value into every pixel of every row, whatever the number of
// bytes a pixel takes and the width, and leaves the padding zero.
TEST(TBitmap, FillsEveryPixelWithTheColoursRawValue) {
  const COLORREF colour = RGB(0x12, 0x9A, 0xE7);
  for (const auto& [bits, rgb565] : {std::pair{1, false}, {4, false}, {8, false}, {16, false}, {16, true},
                                     {24, false}, {32, false}}) {
    for (int width : {1, 2, 3, 5, 8, 13, 64, 100, 1001}) {
      GdiBitmap d(width, 3, bits, rgb565);
      d.Fill(colour);
      const uint32_t raw = d.ColorToRaw(colour);
      const int64_t used = (int64_t(width) * bits + 7) / 8;
      for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < width; ++x) {
          ASSERT_EQ(d.GetRaw(x, y), raw) << bits << " bits, width " << width << " x " << x;
        }
        for (int64_t i = used; i < d.Stride(); ++i) ASSERT_EQ(d.Row(y)[i], 0) << bits << " padding " << i;
      }
    }
  }
}

// Pictures of a megabyte and more are large blocks, on huge-page boundaries (not under
// AddressSanitizer, which keeps every block in its own heap), and hold their pixels like any
// other; small ones come from the heap.
TEST(TBitmap, LargePicturesLieOnHugePageBoundaries) {
  TBitmap large;
  large.SetPixelFormat(pf32bit);
  large.SetSize(3000, 3000);  // 36 MB
  if (VELMORA_LARGE_BLOCKS) {
    EXPECT_EQ(reinterpret_cast<uintptr_t>(large.Dib().Bits().data()) % (uintptr_t(2) << 20), 0u);
  }
  EXPECT_EQ(large.Dib().GetColor(2999, 2999), RGB(255, 255, 255));
  large.Dib().SetColor(1234, 2345, RGB(1, 2, 3));
  EXPECT_EQ(large.Dib().GetColor(1234, 2345), RGB(1, 2, 3));
  large.SetSize(10, 10);
  EXPECT_EQ(large.Dib().GetColor(9, 9), RGB(255, 255, 255));
  void* small = AllocatePixelMemory(100);
  ASSERT_NE(small, nullptr);
  FreePixelMemory(small, 100);
}

TEST(TBitmap, FormatChangesConvertPixels) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(4, 4);
  const COLORREF colours[4] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 0, 0), RGB(0, 0, 255)};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) b.Dib().SetColor(x, y, colours[(x + y) % 4]);
  for (TPixelFormat pf : {pf32bit, pf16bit, pf15bit, pf8bit, pf4bit, pf24bit}) {
    b.SetPixelFormat(pf);
    ASSERT_EQ(b.PixelFormat(), pf);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) ASSERT_EQ(b.Dib().GetColor(x, y), colours[(x + y) % 4]) << pf;
  }
  b.SetPixelFormat(pf1bit);
  EXPECT_EQ(b.Dib().GetColor(1, 0), RGB(255, 255, 255));
  EXPECT_EQ(b.Dib().GetColor(0, 0), RGB(0, 0, 0));
  EXPECT_THROW(b.SetPixelFormat(pfCustom), EInvalidGraphic);
}

TEST(TBitmap, AllocationOverTheCapRaises) {
  TBitmap b;
  b.SetPixelFormat(pf1bit);
  EXPECT_THROW(b.SetSize(1 << 15, (1 << 13) + 1), EOutOfMemory);
  EXPECT_TRUE(b.Empty());
  EXPECT_NO_THROW(b.SetSize(1 << 14, 1 << 14));  // exactly 2^28 pixels is allowed
}

TEST(TBitmap, PaletteRoundTrip) {
  TBitmap b;
  b.SetPixelFormat(pf8bit);
  b.SetSize(2, 1);
  std::vector<PALETTEENTRY> entries(256);
  for (int i = 0; i < 256; ++i) entries[size_t(i)] = PALETTEENTRY{uint8_t(i), uint8_t(i), uint8_t(i), 0};
  b.SetPalette(CreatePalette(entries));
  b.ScanLine(0)[1] = 200;
  EXPECT_EQ(b.Dib().GetColor(1, 0), RGB(200, 200, 200));
  PALETTEENTRY got[256];
  ASSERT_EQ(GetPaletteEntries(b.Palette(), 0, 256, got), 256u);
  EXPECT_EQ(got[77].peGreen, 77);
}

TEST(TBitmap, TransparentColourAutoIsBottomLeft) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(3, 3);
  b.Dib().SetColor(0, 2, RGB(255, 0, 255));
  EXPECT_EQ(b.TransparentMode(), tmAuto);
  EXPECT_EQ(b.TransparentColor() & 0xFFFFFF, 0xFF00FF);
  b.SetTransparentColor(clLime);
  EXPECT_EQ(b.TransparentMode(), tmFixed);
  EXPECT_EQ(b.TransparentColor(), clLime);
  b.SetTransparentColor(clDefault);
  EXPECT_EQ(b.TransparentMode(), tmAuto);
}

TEST(TBitmap, AssignIsADeepCopy) {
  TBitmap a, b;
  a.SetPixelFormat(pf24bit);
  a.SetSize(3, 2);
  Paint(a);
  b.Assign(a);
  a.Dib().SetColor(0, 0, 0);
  EXPECT_EQ(b.Dib().GetColor(0, 0), Sample(0, 0));
  EXPECT_EQ(b.PixelFormat(), pf24bit);
  EXPECT_EQ(b.Width(), 3);
}

TEST(TBitmap, StreamRoundTripEveryFormat) {
  for (TPixelFormat pf : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
    TBitmap a;
    a.SetPixelFormat(pf);
    a.SetSize(7, 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 7; ++x) a.Dib().SetRaw(x, y, uint32_t(x * 5 + y) & a.Dib().RawMask() & 0xFFFFFF);
    TMemoryStream m;
    a.SaveToStream(m);
    m.WriteString("trailing");
    m.SetPosition(0);
    TBitmap b;
    b.LoadFromStream(m);
    EXPECT_EQ(m.ReadString(8), "trailing") << pf;  // the stream is left after the file
    ASSERT_EQ(b.PixelFormat(), pf);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 7; ++x) ASSERT_EQ(b.Dib().GetRaw(x, y), a.Dib().GetRaw(x, y)) << pf;
  }
}

TEST(TBitmap, SavedFilesReadBackByPillow) {
  REQUIRE_PIL();
  testsupport::TempDir tmp;
  for (TPixelFormat pf : {pf1bit, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit}) {
    TBitmap a;
    a.SetPixelFormat(pf24bit);
    a.SetSize(11, 6);
    Paint(a);
    a.SetPixelFormat(pf);
    a.Dib().xPelsPerMeter = 2835;
    a.Dib().yPelsPerMeter = 3780;
    const std::string file = tmp.File("w.bmp");
    a.SaveToFile(FileNameToWide(file));
    const std::string bytes = testsupport::ReadFile(file);
    uint32_t infoSize, xppm, yppm, fileSize;
    std::memcpy(&fileSize, &bytes[2], 4);
    std::memcpy(&infoSize, &bytes[14], 4);
    std::memcpy(&xppm, &bytes[38], 4);
    std::memcpy(&yppm, &bytes[42], 4);
    EXPECT_EQ(fileSize, bytes.size());
    EXPECT_EQ(infoSize, 40u);
    EXPECT_EQ(xppm, 2835u);
    EXPECT_EQ(yppm, 3780u);
    const Pixels pil = PilDecode(file);
    ASSERT_EQ(pil.width, 11);
    ASSERT_EQ(pil.height, 6);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 11; ++x) {
        const uint32_t ours = OurPixel(a.Dib(), x, y);
        const uint32_t theirs = pil.At(x, y) | 0xFF000000u;
        if (pf == pf16bit) {
          // Pillow widens 5 and 6 bits by its own rounding: compare within one step.
          for (int k = 0; k < 3; ++k)
            ASSERT_LE(std::abs(int((ours >> (8 * k)) & 0xFF) - int((theirs >> (8 * k)) & 0xFF)), 4);
        } else {
          ASSERT_EQ(ours, theirs) << pf << " at " << x << "," << y;
        }
      }
  }
}
