// Clip and region records, path paints and shapes as the player carries them out: excluded
// rectangles and region differences, framed and painted regions, empty clips, clip paths by
// the fill mode, region rectangles in device units, widened paths, paints by the selected pen
// and brush, shapes under a turning world transform, and arcs joined to the current position.
// Drawn through our renderer; a logical unit is one pixel of the page.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "tests/pdf/content/metafile/metafile_test_support.h"

namespace {

using namespace mftest;

constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;  // COLORREF
constexpr uint32_t kRedRGB = 0xFF0000, kGreenRGB = 0x00FF00, kBlueRGB = 0x0000FF, kWhite = 0xFFFFFF;

Bytes Region(const std::vector<std::array<int, 4>>& rects) {
  Bytes r;
  r.U32(32).U32(1).U32(uint32_t(rects.size())).U32(uint32_t(rects.size() * 16)).Rect(0, 0, 0, 0);
  for (const auto& q : rects) r.Rect(q[0], q[1], q[2], q[3]);
  return r;
}
Record ClipRgn(uint32_t mode, const std::array<int, 4>& rect) {
  const Bytes data = Region({rect});
  return Rec(75, Bytes().U32(uint32_t(data.b.size())).U32(mode).Raw(data.b));
}
Record FrameRgn(uint32_t brush, const std::array<int, 4>& rect, int w, int h) {
  const Bytes data = Region({rect});
  return Rec(72, Bytes().Rect(0, 0, 0, 0).U32(uint32_t(data.b.size())).U32(brush).I32(w).I32(h).Raw(data.b));
}
Record PaintRgn(const std::array<int, 4>& rect) {
  const Bytes data = Region({rect});
  return Rec(74, Bytes().Rect(0, 0, 0, 0).U32(uint32_t(data.b.size())).Raw(data.b));
}
const Record kBeginPath = Rec(59), kEndPath = Rec(60);
Record PathPaint(uint32_t type) { return Rec(type, Bytes().Rect(0, 0, 0, 0)); }
std::vector<Record> Join(std::vector<std::vector<Record>> parts) {
  std::vector<Record> all;
  for (auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

struct Case {
  const char* name;
  std::vector<Record> records;
  std::vector<std::pair<std::pair<int, int>, uint32_t>> pixels;  // (x, y) and the colour expected there
};

void Check(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string content;
    const auto r = Draw(c.records, 96, 72, &content);
    for (const auto& [at, colour] : c.pixels)
      EXPECT_EQ(Pixel(r, at.first, at.second), colour) << at.first << "," << at.second << "\n" << content;
  }
}

// A red fill over the whole picture, without an outline.
const std::vector<Record> kRedEverywhere = {SolidBrush(1, kRed), Select(1), Select(kNullPen), Box(43, 0, 0, 96, 72)};

TEST(MetafileClipAndPaint, ClipAndRegionRecordsChangeWhatShows) {
  Check({
      {"EXCLUDECLIPRECT", Join({{Box(29, 10, 10, 50, 50)}, kRedEverywhere}),
       {{{30, 30}, kWhite}, {{70, 30}, kRedRGB}, {{30, 60}, kRedRGB}}},
      {"region difference", Join({{ClipRgn(4, {10, 10, 50, 50})}, kRedEverywhere}),
       {{{30, 30}, kWhite}, {{70, 30}, kRedRGB}}},
      {"region exclusive or with no clip yet", Join({{ClipRgn(3, {10, 10, 50, 50})}, kRedEverywhere}),
       {{{30, 30}, kWhite}, {{70, 30}, kRedRGB}}},
      {"INTERSECTCLIPRECT of no area", Join({{Box(30, 0, 0, 0, 0)}, kRedEverywhere}),
       {{{30, 30}, kWhite}, {{70, 30}, kWhite}}},
      // Region data are device pixels: the window origin does not move them.
      {"region under a window origin", Join({{Two(10, 20, 20), ClipRgn(5, {10, 10, 30, 30})}, kRedEverywhere}),
       {{{20, 20}, kRedRGB}, {{5, 20}, kWhite}, {{35, 20}, kWhite}}},
      // SELECTCLIPPATH clips by the fill mode: alternate leaves the inner rectangle out.
      {"clip path by the fill mode",
       Join({{kBeginPath, Box(43, 10, 10, 80, 60), Box(43, 30, 20, 60, 50), kEndPath, Rec(67, Bytes().U32(5))},
             kRedEverywhere}),
       {{{15, 35}, kRedRGB}, {{45, 35}, kWhite}, {{90, 35}, kWhite}}},
      // Saving writes no q of its own: a copied clip inside a saved level closes the clip of
      // before the save (not the save's level) and the restore brings that clip back.
      {"a copied region inside a saved level",
       Join({{Box(30, 0, 0, 40, 72), Rec(33), ClipRgn(5, {50, 10, 90, 60})}, kRedEverywhere,
             {One(34, uint32_t(-1)), SolidBrush(2, kGreen), Select(2), Box(43, 0, 0, 96, 72)}}),
       {{{70, 30}, kRedRGB}, {{20, 30}, kGreenRGB}, {{45, 30}, kWhite}}},
      {"region union", Join({{ClipRgn(5, {0, 0, 40, 72}), ClipRgn(2, {50, 10, 90, 60})}, kRedEverywhere}),
       {{{20, 30}, kRedRGB}, {{70, 30}, kRedRGB}, {{45, 30}, kWhite}, {{70, 65}, kWhite}}},
      // SELECTCLIPPATH combines as the region records do: a difference clips to the outside
      // of the path, a union widens the clip (here beyond the rectangle before it).
      {"clip path difference",
       Join({{kBeginPath, Box(43, 10, 10, 50, 50), kEndPath, Rec(67, Bytes().U32(4))}, kRedEverywhere}),
       {{{30, 30}, kWhite}, {{70, 30}, kRedRGB}, {{30, 60}, kRedRGB}}},
      {"clip path union",
       Join({{Box(30, 0, 0, 40, 72), kBeginPath, Box(43, 50, 10, 90, 60), kEndPath, Rec(67, Bytes().U32(2))},
             kRedEverywhere}),
       {{{70, 30}, kRedRGB}, {{45, 30}, kWhite}}},
      {"FRAMERGN", {SolidBrush(3, kGreen), FrameRgn(3, {10, 10, 50, 50}, 3, 3)},
       {{{11, 30}, kGreenRGB}, {{30, 11}, kGreenRGB}, {{48, 30}, kGreenRGB}, {{30, 30}, kWhite}}},
      {"PAINTRGN", {SolidBrush(1, kRed), Select(1), PaintRgn({10, 10, 50, 50})},
       {{{30, 30}, kRedRGB}, {{60, 30}, kWhite}}},
  });
}

TEST(MetafileClipAndPaint, PathsArePaintedByTheSelectionAndTheFillMode) {
  const std::vector<Record> nested = {kBeginPath, Box(43, 10, 10, 80, 60), Box(43, 30, 20, 60, 50), kEndPath};
  const std::vector<Record> vee = {kBeginPath, Poly(4, {{10, 60}, {48, 10}, {86, 60}}), kEndPath};
  Check({
      // STROKEANDFILLPATH by the alternate rule, with the null pen: a hole and no outline.
      {"STROKEANDFILLPATH", Join({{SolidBrush(1, kRed), Select(1), Select(kNullPen)}, nested, {PathPaint(63)}}),
       {{{15, 35}, kRedRGB}, {{45, 35}, kWhite}, {{10, 35}, kRedRGB}}},
      {"STROKEPATH with the null pen", Join({{Select(kNullPen)}, vee, {PathPaint(64)}}),
       {{{29, 35}, kWhite}, {{48, 11}, kWhite}}},
      // A widened path is the pen's outline: FILLPATH paints the line's band in the brush.
      {"WIDENPATH", Join({{SolidBrush(1, kRed), Select(1), Pen(2, 0, 9, kBlue), Select(2)}, vee,
                          {Rec(66), PathPaint(62)}}),
       {{{29, 35}, kRedRGB}, {{48, 50}, kWhite}}},
      // An open figure of POLYDRAW is stroked, never filled.
      {"POLYDRAW", {SolidBrush(1, kRed), Select(1), Pen(2, 0, 3, kBlue), Select(2),
                    Rec(56, Bytes().Rect(0, 0, 0, 0).U32(3).Pt(10, 60).Pt(48, 10).Pt(86, 60).U32(0x00020206))},
       {{{48, 50}, kWhite}, {{29, 35}, kBlueRGB}}},
      // A point of the 32-bit form that carries the close flag is drawn and closes its figure.
      {"POLYDRAW closing its figure", {Pen(2, 0, 3, kBlue), Select(2),
                                       Rec(56, Bytes().Rect(0, 0, 0, 0).U32(3).Pt(10, 60).Pt(48, 10).Pt(86, 60).U32(0x00030206))},
       {{{48, 60}, kBlueRGB}, {{67, 35}, kBlueRGB}, {{48, 50}, kWhite}}},
      // ABORTPATH ends the bracket: the next shape is painted at once.
      {"ABORTPATH", {SolidBrush(1, kRed), Select(1), Select(kNullPen), kBeginPath, Box(43, 10, 10, 40, 40), Rec(68),
                     Box(43, 50, 10, 80, 40)},
       {{{65, 25}, kRedRGB}, {{25, 25}, kWhite}}},
      // Shapes turn with the world transform (here a quarter turn: x' = 80 - y, y' = x).
      {"rectangle under a turning transform",
       {Rec(35, Bytes().F32(0).F32(1).F32(-1).F32(0).F32(80).F32(0)), SolidBrush(1, kRed), Select(1), Select(kNullPen),
        Box(43, 10, 10, 60, 30)},
       {{{60, 35}, kRedRGB}, {{40, 35}, kWhite}, {{60, 5}, kWhite}}},
      // ARCTO draws from the current position to the arc and leaves the position on the
      // ellipse, where the next line starts (not at the far radial point).
      {"ARCTO", {Pen(2, 0, 3, kBlue), Select(2), Two(27, 10, 10), Rec(55, Bytes().Rect(10, 40, 80, 80).Pt(10, 60).Pt(200, 60)),
                 Two(54, 80, 10)},
       {{{10, 35}, kBlueRGB}, {{80, 35}, kBlueRGB}}},
  });
}

// Clip levels the records leave open are closed at the end, so the form's q and Q balance.
TEST(MetafileClipAndPaint, OpenClipLevelsAreClosedAtTheEnd) {
  Converter c;
  const std::string content = c.Convert(Join({{Box(30, 10, 10, 50, 50), Rec(33), Box(30, 20, 20, 40, 40)}, kRedEverywhere}), 96, 72);
  size_t q = 0, bigQ = 0;
  for (size_t at = 0; (at = content.find("q\n", at)) != std::string::npos; ++at) ++q;
  for (size_t at = 0; (at = content.find("Q\n", at)) != std::string::npos; ++at) ++bigQ;
  EXPECT_EQ(q, 2u) << content;
  EXPECT_EQ(bigQ, q) << content;
}

}  // namespace
