// Generic and refinement regions written by the test encoder, decoded by jbig2dec as the
// expected picture and by our decoder.
#include <gtest/gtest.h>

#include "tests/pdf/codecs/jbig2/jbig2_test_encoder.h"

using namespace jbig2_test;

namespace {

std::string OnePage(const Bitmap& b, const std::string& regionData, uint8_t regionType = 38) {
  StreamBuilder s;
  s.Add(48, PageInfo(uint32_t(b.Width), uint32_t(b.Height)));
  s.Add(regionType, regionData);
  s.Add(49, "");
  return s.Bytes;
}

}  // namespace

TEST(JBIG2Generic, ArithmeticTemplatesWithAndWithoutTypicalPrediction) {
  REQUIRE_TOOL("jbig2dec");
  for (int t = 0; t < 4; ++t) {
    for (bool tpgdon : {false, true}) {
      SCOPED_TRACE("template " + std::to_string(t) + (tpgdon ? " TPGDON" : ""));
      const Bitmap b = TextLike(77, 41, uint32_t(t * 2 + tpgdon + 1));
      const GenericOptions o = NominalGeneric(t, tpgdon);
      ExpectSame(OnePage(b, GenericRegionData(b, 0, 0, 0, o)), "", &b);
    }
  }
}

TEST(JBIG2Generic, AdaptivePixelsAwayFromTheirNominalPlaces) {
  REQUIRE_TOOL("jbig2dec");
  const Bitmap b = TextLike(64, 30, 7);
  for (int t = 0; t < 4; ++t) {
    GenericOptions o = NominalGeneric(t, false);
    const int8_t at[8] = {-5, 0, 1, -3, -7, -1, 4, -2};
    std::copy(at, at + 8, o.AT);
    ExpectSame(OnePage(b, GenericRegionData(b, 0, 0, 0, o)), "", &b);
  }
}

TEST(JBIG2Generic, MMRCodedRegion) {
  REQUIRE_TOOL("jbig2dec");
  const Bitmap b = TextLike(203, 57, 11);
  const std::string mmr = EncodeMMR(b);
  ASSERT_FALSE(mmr.empty());
  ExpectSame(OnePage(b, GenericMMRData(b, 0, 0, 0, mmr)), "", &b);
}

TEST(JBIG2Generic, RegionsPlacedAndCombinedOnAPage) {
  REQUIRE_TOOL("jbig2dec");
  for (uint8_t defaultPixel : {0, 1}) {
    StreamBuilder s;
    // Page flags: default pixel, and regions may use their own operator.
    s.Add(48, PageInfo(100, 70, uint8_t(defaultPixel << 2 | 0x40)));
    for (uint8_t op = 0; op < 5; ++op) {
      const Bitmap b = TextLike(40 + op * 3, 20 + op, 100 + op);
      s.Add(38, GenericRegionData(b, op * 13u, op * 9u, op, NominalGeneric(op % 4, op % 2 == 1)));
    }
    // Parts of these lie beyond the page's right and bottom edges.
    const Bitmap edge = TextLike(30, 30, 5);
    s.Add(38, GenericRegionData(edge, 85, 60, 2, NominalGeneric(0, false)));
    s.Add(49, "");
    ExpectSame(s.Bytes, "");
  }
}

namespace {

// A refinement region (immediate, at x, y) of target over reference.
std::string RefinementData(const Bitmap& target, const Bitmap& reference, uint32_t x, uint32_t y, uint8_t op,
                           const RefinementOptions& o) {
  MQEncoder e;
  auto stats = RefinementStats(o.Template);
  EncodeRefinementPixels(e, stats, target, reference, o);
  std::string data = RegionInfo(uint32_t(target.Width), uint32_t(target.Height), x, y, op) +
                     char(o.Template | (o.TPGRON ? 2 : 0));
  if (o.Template == 0)
    for (int8_t a : o.AT) data += char(a);
  return data + e.Finish();
}

Bitmap Altered(const Bitmap& b, int count) {
  Bitmap out = b;
  for (int i = 0; i < count; ++i) out.Set((i * 37) % b.Width, (i * 11) % b.Height, i % 3 != 0);
  return out;
}

// A page of one refinement region (replacing) over a generic region, its reference.
std::string RefinedPage(int t, bool tpgron, const Bitmap& target, const Bitmap& reference) {
  StreamBuilder s;
  s.Add(48, PageInfo(uint32_t(reference.Width), uint32_t(reference.Height)));
  s.Add(38, GenericRegionData(reference, 0, 0, 0, NominalGeneric(1, false)));
  RefinementOptions o;
  o.Template = t;
  o.TPGRON = tpgron;
  s.Add(42, RefinementData(target, reference, 0, 0, 4, o));
  s.Add(49, "");
  return s.Bytes;
}

}  // namespace

TEST(JBIG2Generic, RefinementOfWhatThePageHolds) {
  REQUIRE_TOOL("jbig2dec");
  for (int t = 0; t < 2; ++t) {
    for (bool tpgron : {false, true}) {
      SCOPED_TRACE("refinement template " + std::to_string(t) + (tpgron ? " TPGRON" : ""));
      // Large uniform areas, so that typical prediction has rows to skip.
      Bitmap first = TextLike(50, 40, 31);
      for (int y = 15; y < 30; ++y)
        for (int x = 0; x < 50; ++x) first.Set(x, y, y > 22);
      const Bitmap target = Altered(first, 25);
      const std::string page = RefinedPage(t, tpgron, target, first);
      if (t == 1 && tpgron) {
        // jbig2dec reads this decision with another context; see TypicalPrediction below.
        Bitmap ours;
        ASSERT_TRUE(Ours(page, "", ours));
        EXPECT_EQ(ccitt_test::Difference(target, ours), "");
        continue;
      }
      ExpectSame(page, "", &target);
    }
  }
}

TEST(JBIG2Generic, IntermediateRegionRefinedOntoThePage) {
  // jbig2dec leaves intermediate generic regions out; the picture is the encoder's target,
  // whose coding the test above checks against jbig2dec.
  for (int t = 0; t < 2; ++t) {
    const Bitmap reference = TextLike(60, 33, 21);
    const Bitmap target = Altered(reference, 40);
    StreamBuilder s;
    s.Add(48, PageInfo(70, 40));
    const uint32_t ref = s.Add(36, GenericRegionData(reference, 0, 0, 0, NominalGeneric(0, false)));
    RefinementOptions o;
    o.Template = t;
    o.TPGRON = t == 1;
    s.Add(42, RefinementData(target, reference, 5, 4, 0, o), {ref});
    s.Add(49, "");
    Bitmap expected(70, 40);
    for (int y = 0; y < 33; ++y)
      for (int x = 0; x < 60; ++x) expected.Set(x + 5, y + 4, target.Get(x, y));
    Bitmap ours;
    ASSERT_TRUE(Ours(s.Bytes, "", ours));
    EXPECT_EQ(ccitt_test::Difference(expected, ours), "");
  }
}

// Typical prediction: one decision per row, coded with a context of its own that the standard
// gives as a pixel pattern of the template. A decoder that reads another context shares that
// context's statistics with the pixels and goes astray.
namespace {

// A picture with bands of uniform rows, which typical prediction can pass over.
Bitmap Banded(int w, int h, uint32_t seed) {
  Bitmap b = TextLike(w, h, seed);
  for (int y = h / 3; y < 2 * h / 3; ++y)
    for (int x = 0; x < w; ++x) b.Set(x, y, (y / 4) % 2 == 1);
  return b;
}

}  // namespace

TEST(JBIG2TypicalPrediction, GenericTemplate3TakesItsAdaptivePixel) {
  REQUIRE_TOOL("jbig2dec");
  // The standard's context for template 3 is 0x0195 in its numbering: its adaptive pixel
  // is 1, which this decoder's numbering keeps in bit 0 (0x18B, not 0x18A).
  for (uint32_t seed : {3u, 4u, 5u}) {
    const Bitmap b = TextLike(90, 60, seed);
    ExpectSame(OnePage(b, GenericRegionData(b, 0, 0, 0, NominalGeneric(3, true))), "", &b);
  }
}

TEST(JBIG2TypicalPrediction, RefinementTemplate0ReadsTheReferencePixelInPlace) {
  REQUIRE_TOOL("jbig2dec");
  // Only the reference pixel at the current place is 1: 0x0040 in this decoder's numbering
  // (0x0010 would be the reference pixel below left of it).
  for (uint32_t seed : {31u, 32u}) {
    const Bitmap reference = Banded(50, 40, seed);
    const Bitmap target = Altered(reference, 25);
    ExpectSame(RefinedPage(0, true, target, reference), "", &target);
  }
}

TEST(JBIG2TypicalPrediction, RefinementTemplate1ReadsTheReferencePixelInPlace) {
  // The same pattern for template 1: 0x0008 in this decoder's numbering. jbig2dec 0.19 reads
  // the reference pixel right of it (0x0004 here), so the picture is the one coded.
  for (uint32_t seed : {31u, 32u}) {
    const Bitmap reference = Banded(50, 40, seed);
    const Bitmap target = Altered(reference, 25);
    Bitmap ours;
    ASSERT_TRUE(Ours(RefinedPage(1, true, target, reference), "", ours));
    EXPECT_EQ(ccitt_test::Difference(target, ours), "");
  }
}
