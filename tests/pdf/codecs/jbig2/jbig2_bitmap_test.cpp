// Combining packed bitmaps, checked pixel by pixel against the tests' own per-pixel drawing.
#include <gtest/gtest.h>

#include <random>

#include "pdf/codecs/jbig2/jbig2_bitmap.h"
#include "tests/pdf/codecs/jbig2/jbig2_test_encoder.h"

using namespace jbig2_test;

namespace {

jbig2::TJBIG2Bitmap Packed(const Bitmap& b) {
  jbig2::TJBIG2Bitmap out(b.Width, b.Height);
  for (int y = 0; y < b.Height; ++y)
    for (int x = 0; x < b.Width; ++x) out.SetPixel(x, y, b.Get(x, y));
  return out;
}

Bitmap Unpacked(const jbig2::TJBIG2Bitmap& b) {
  Bitmap out(b.Width(), b.Height());
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) out.Set(x, y, b.GetPixel(x, y));
  return out;
}

}  // namespace

TEST(JBIG2Bitmap, CombineAtEveryOffsetAndOperator) {
  std::mt19937 rng(77);
  // Random bitmaps of widths from the first to the first plus the span, the source placed
  // within the spans of offsets given, with a random operator.
  struct Spans {
    int dstWidth, dstSpan, srcWidth, srcSpan, heightSpan, x, xSpan, y, ySpan;
  };
  const auto combine = [&](const Spans& c, int round) {
    const Bitmap dst = ccitt_test::RandomBitmap(c.dstWidth + int(rng() % c.dstSpan), 1 + int(rng() % c.heightSpan), rng(), 50);
    const Bitmap src = ccitt_test::RandomBitmap(c.srcWidth + int(rng() % c.srcSpan), 1 + int(rng() % c.heightSpan), rng(), 50);
    const int64_t x = int64_t(rng() % c.xSpan) + c.x, y = int64_t(rng() % c.ySpan) + c.y;
    const int op = int(rng() % 5);
    jbig2::TJBIG2Bitmap ours = Packed(dst);
    ours.Combine(Packed(src), x, y, op);
    Bitmap expected = dst;
    CombineAt(expected, src, x, y, op);
    ASSERT_EQ(ccitt_test::Difference(expected, Unpacked(ours)), "")
        << "round " << round << " source " << src.Width << " at " << x << "," << y << " op " << op;
  };
  // Sources from 1 to 70 pixels wide placed at every bit offset, partly outside the
  // destination on either side, with all five operators.
  for (int round = 0; round < 600 && !HasFailure(); ++round) combine({1, 90, 1, 70, 6, -40, 140, -3, 8}, round);
  // Rows wide enough to be combined eight bytes at a time, each byte of a word from two source
  // bytes, with the bytes left over after the last word.
  for (int round = 0; round < 300 && !HasFailure(); ++round) combine({100, 500, 64, 400, 3, -200, 600, -1, 4}, round);
}
