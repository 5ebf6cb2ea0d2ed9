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
  // Sources from 1 to 70 pixels wide placed at every bit offset, partly outside the
  // destination on either side, with all five operators.
  std::mt19937 rng(77);
  for (int round = 0; round < 600; ++round) {
    const Bitmap dst = ccitt_test::RandomBitmap(1 + int(rng() % 90), 1 + int(rng() % 6), rng(), 50);
    const Bitmap src = ccitt_test::RandomBitmap(1 + int(rng() % 70), 1 + int(rng() % 6), rng(), 50);
    const int64_t x = int64_t(rng() % 140) - 40, y = int64_t(rng() % 8) - 3;
    const int op = int(rng() % 5);
    jbig2::TJBIG2Bitmap ours = Packed(dst);
    ours.Combine(Packed(src), x, y, op);
    Bitmap expected = dst;
    CombineAt(expected, src, x, y, op);
    ASSERT_EQ(ccitt_test::Difference(expected, Unpacked(ours)), "")
        << "round " << round << " source " << src.Width << " at " << x << "," << y << " op " << op;
  }
}
