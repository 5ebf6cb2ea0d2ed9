// The rendered page's BMP taken by the sampling stream: the pixels it keeps are the page's at
// the sampled places, whatever the chunks it is written in; other layouts are kept whole.
#include "app/page_samples.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "app/footprint_pixels.h"
#include "platform/gdi/bitmap.h"

using namespace Tarnwick1;

namespace {

void RandomPage(TBitmap& page, int w, int h, TPixelFormat format) {
  page.SetPixelFormat(pf24bit);
  page.SetSize(w, h);
  std::mt19937 rng(uint32_t(w * 7 + h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < 3 * w; ++x) page.ScanLine(y)[x] = uint8_t(rng());
  page.SetPixelFormat(format);
}

std::string BmpOf(TBitmap& page) {
  TMemoryStream s;
  page.SaveToStream(s);
  return s.DataString();
}

// Writes the file in chunks of `chunk` bytes, then patches the resolution as the page output does.
void WriteInChunks(TStream& to, const std::string& file, size_t chunk) {
  for (size_t at = 0; at < file.size(); at += chunk) to.WriteBuffer(file.data() + at, int64_t(std::min(chunk, file.size() - at)));
  const uint8_t ppm[4] = {0x13, 0x0B, 0, 0};
  to.SetPosition(38);
  to.WriteBuffer(ppm, 4);
}

}  // namespace

TEST(PageSamples, SampledPixelsAreThePagesInAnyChunks) {
  for (int side : {1, 4, 7, 20}) {
    for (size_t chunk : {size_t(5), size_t(54), size_t(1000), size_t(1) << 20}) {
      TBitmap page;
      RandomPage(page, 13, 9, pf24bit);
      const std::string file = BmpOf(page);
      TPageSamples samples(side);
      WriteInChunks(samples, file, chunk);
      ASSERT_TRUE(samples.Sampling());
      EXPECT_TRUE(samples.Complete());
      EXPECT_EQ(samples.Size(), int64_t(file.size()));
      EXPECT_EQ(samples.Width(), 13);
      EXPECT_EQ(samples.Height(), 9);
      TBitmap fromSamples, fromPage;
      ReduceToSquare(13, 9, side, [&](int32_t x, int32_t y, uint8_t* bgr) { samples.Pixel(x, y, bgr); }, fromSamples);
      ReduceToSquare(page.Dib(), side, fromPage);
      for (int y = 0; y < side; ++y)
        ASSERT_EQ(std::memcmp(fromSamples.ScanLine(y), fromPage.ScanLine(y), size_t(side) * 3), 0)
            << "side " << side << " chunk " << chunk << " row " << y;
      // The header is kept as written, the patch included.
      samples.SetPosition(38);
      EXPECT_EQ(samples.ReadString(4), std::string("\x13\x0B\0\0", 4));
    }
  }
}

TEST(PageSamples, OtherLayoutsAreKeptWholeAndCutPagesAreIncomplete) {
  TBitmap deep;
  RandomPage(deep, 6, 4, pf32bit);
  const std::string file32 = BmpOf(deep);
  TPageSamples whole(4);
  whole.WriteString(file32);
  EXPECT_FALSE(whole.Sampling());
  EXPECT_EQ(whole.Whole().DataString(), file32);
  // Pixels written before the header leave a header of zeros: kept whole too.
  TBitmap page;
  RandomPage(page, 6, 4, pf24bit);
  const std::string file = BmpOf(page);
  TPageSamples late(4);
  late.SetPosition(54);
  late.WriteString(file.substr(54));
  late.SetPosition(0);
  late.WriteString(file.substr(0, 54));
  EXPECT_FALSE(late.Sampling());
  EXPECT_EQ(late.Whole().DataString(), file);
  // A page whose last row did not arrive is not complete; without its padding it is.
  const int64_t stride = 20;  // 6 pixels of 3 bytes, padded to 4
  TPageSamples cut(4), unpadded(4);
  cut.WriteString(file.substr(0, file.size() - stride + 1));
  unpadded.WriteString(file.substr(0, file.size() - 2));
  EXPECT_TRUE(cut.Sampling());
  EXPECT_FALSE(cut.Complete());
  EXPECT_TRUE(unpadded.Complete());
}
