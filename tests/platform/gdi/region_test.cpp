// Regions against a per-pixel reference: combining, rectangles by the thousand, region data.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>

#include "platform/gdi/region.h"

namespace {

using PixelSet = std::set<std::pair<int, int>>;

PixelSet Pixels(const Region& r) {
  PixelSet s;
  for (const RECT& rc : r.Rects())
    for (int y = rc.top; y < rc.bottom; ++y)
      for (int x = rc.left; x < rc.right; ++x) s.insert({x, y});
  return s;
}

PixelSet Pixels(const std::vector<RECT>& rects) {
  PixelSet s;
  for (const RECT& rc : rects)
    for (int y = rc.top; y < rc.bottom; ++y)
      for (int x = rc.left; x < rc.right; ++x) s.insert({x, y});
  return s;
}

std::vector<RECT> RandomRects(std::mt19937& rng, int n) {
  std::uniform_int_distribution<int> pos(0, 40), size(0, 15);
  std::vector<RECT> v;
  for (int i = 0; i < n; ++i) {
    const int x = pos(rng), y = pos(rng);
    v.push_back(RECT{x, y, x + size(rng), y + size(rng)});
  }
  return v;
}

// Bands are sorted, disjoint and coalesced; spans inside a band are sorted and separated.
void ExpectCanonical(const Region& r) {
  int32_t lastBottom = INT32_MIN;
  const Region::Band* prev = nullptr;
  for (const Region::Band& b : r.Bands()) {
    ASSERT_LT(b.top, b.bottom);
    ASSERT_GE(b.top, lastBottom);
    ASSERT_FALSE(b.xs.empty());
    for (size_t i = 0; i + 1 < b.xs.size(); ++i) ASSERT_LT(b.xs[i], b.xs[i + 1]);
    if (prev && prev->bottom == b.top) { ASSERT_NE(prev->xs, b.xs); }
    lastBottom = b.bottom;
    prev = &b;
  }
}

TEST(RegionTest, OffsetsSaturateAtTheCoordinateRange) {
  Region r = Region::Combine(Region::FromRect({0, 0, 10, 10}), Region::FromRect({20, 0, 30, 10}), Region::Or);
  r.Offset(INT32_MAX - 25, 0);
  // The first rectangle stays whole, the second is cut at the limit.
  ASSERT_EQ(r.Rects().size(), 2u);
  EXPECT_EQ(r.Rects()[0].left, INT32_MAX - 25);
  EXPECT_EQ(r.Rects()[0].right, INT32_MAX - 15);
  EXPECT_EQ(r.Rects()[1].left, INT32_MAX - 5);
  EXPECT_EQ(r.Rects()[1].right, INT32_MAX);
  // Pushed wholly past the limit, nothing is left rather than coordinates wrapping round.
  Region far = Region::FromRect({100, 100, 200, 200});
  far.Offset(0, INT32_MAX);
  EXPECT_TRUE(far.Empty());
  Region back = Region::FromRect({-200, -200, -100, -100});
  back.Offset(INT32_MIN + 10, INT32_MIN + 10);
  EXPECT_TRUE(back.Empty());
}

}  // namespace

TEST(Region, UnionOfRandomRectanglesMatchesPixels) {
  std::mt19937 rng(7);
  for (int round = 0; round < 30; ++round) {
    const auto rects = RandomRects(rng, 12);
    const Region r = Region::FromRects(rects);
    ExpectCanonical(r);
    EXPECT_EQ(Pixels(r), Pixels(rects));
  }
}

TEST(Region, CombineModesMatchSetOperations) {
  std::mt19937 rng(11);
  for (int round = 0; round < 40; ++round) {
    const Region a = Region::FromRects(RandomRects(rng, 5)), b = Region::FromRects(RandomRects(rng, 5));
    const PixelSet pa = Pixels(a), pb = Pixels(b);
    PixelSet both, either, diff, sym;
    for (auto& p : pa) (pb.count(p) ? both : diff).insert(p);
    either = pa;
    either.insert(pb.begin(), pb.end());
    for (auto& p : either)
      if (pa.count(p) != pb.count(p)) sym.insert(p);
    const struct {
      int op;
      const PixelSet& expected;
    } cases[] = {{RGN_AND, both}, {RGN_OR, either}, {RGN_DIFF, diff}, {RGN_XOR, sym}, {RGN_COPY, pa}};
    for (const auto& c : cases) {
      const Region r = Region::Combine(a, b, c.op);
      ExpectCanonical(r);
      ASSERT_EQ(Pixels(r), c.expected) << "op " << c.op;
    }
  }
}

// The skins build window regions from thousands of one-row rectangles, OR-ed in batches.
TEST(Region, ThousandsOfScanLineRectanglesThroughHandles) {
  const int w = 300, h = 400;
  auto opaque = [](int x, int y) { return (x / 7 + y / 5) % 3 != 0 && (x - 150) * (x - 150) + (y - 200) * (y - 200) < 150 * 150; };
  std::vector<RECT> rects;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w;) {
      if (!opaque(x, y)) {
        ++x;
        continue;
      }
      int x1 = x;
      while (x1 < w && opaque(x1, y)) ++x1;
      rects.push_back(RECT{x, y, x1, y + 1});
      x = x1;
    }
  ASSERT_GT(rects.size(), 3000u);
  HRGN result = CreateRectRgn(0, 0, 0, 0);
  for (size_t start = 0; start < rects.size(); start += 2000) {
    const size_t n = std::min<size_t>(2000, rects.size() - start);
    std::vector<uint8_t> data(sizeof(RGNDATAHEADER) + n * sizeof(RECT));
    RGNDATAHEADER hdr;
    hdr.nCount = DWORD(n);
    std::memcpy(data.data(), &hdr, sizeof hdr);
    std::memcpy(data.data() + sizeof hdr, &rects[start], n * sizeof(RECT));
    HRGN part = ExtCreateRegion(nullptr, DWORD(data.size()), data.data());
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(CombineRgn(result, result, part, RGN_OR), COMPLEXREGION);
    DeleteObject(part);
  }
  const Region* r = RegionOf(result);
  ExpectCanonical(*r);
  for (int y = 0; y < h; y += 3)
    for (int x = 0; x < w; x += 3) ASSERT_EQ(r->Contains(x, y), opaque(x, y)) << x << "," << y;
  // Region data round trip.
  const DWORD need = GetRegionData(result, 0, nullptr);
  std::vector<uint8_t> buf(need);
  ASSERT_EQ(GetRegionData(result, need, buf.data()), need);
  HRGN again = ExtCreateRegion(nullptr, need, buf.data());
  EXPECT_TRUE(EqualRgn(result, again));
  DeleteObject(again);
  DeleteObject(result);
}

TEST(Region, HandleFunctions) {
  HRGN a = CreateRectRgn(10, 10, 0, 0);  // corners in any order
  RECT box;
  EXPECT_EQ(GetRgnBox(a, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{0, 0, 10, 10}));
  EXPECT_TRUE(PtInRegion(a, 9, 9));
  EXPECT_FALSE(PtInRegion(a, 10, 5));
  HRGN b = CreateRectRgn(5, 5, 15, 15);
  HRGN c = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(c, a, b, RGN_AND), SIMPLEREGION);
  EXPECT_EQ(CombineRgn(c, a, b, RGN_XOR), COMPLEXREGION);
  EXPECT_EQ(CombineRgn(c, a, a, RGN_DIFF), NULLREGION);
  EXPECT_EQ(CombineRgn(nullptr, a, b, RGN_OR), ERROR_REGION);
  EXPECT_EQ(OffsetRgn(b, -5, -5), SIMPLEREGION);
  EXPECT_TRUE(EqualRgn(a, b));
  const RECT probe{9, 9, 20, 20};
  EXPECT_TRUE(RectInRegion(a, &probe));
  // Malformed region data is refused.
  RGNDATAHEADER bad;
  bad.nCount = 1000;
  EXPECT_EQ(ExtCreateRegion(nullptr, sizeof bad + 16, &bad), nullptr);
  HRGN e = CreateEllipticRgn(0, 0, 20, 10);
  EXPECT_TRUE(PtInRegion(e, 10, 5));
  EXPECT_FALSE(PtInRegion(e, 0, 0));
  for (HRGN r : {a, b, c, e}) DeleteObject(r);
}
