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
#include "tests/support/test_support.h"

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
Record FillRgn(uint32_t brush, const std::array<int, 4>& rect) {
  const Bytes data = Region({rect});
  return Rec(71, Bytes().Rect(0, 0, 0, 0).U32(uint32_t(data.b.size())).U32(brush).Raw(data.b));
}
// Logical units twice the size of a pixel (window 100 x 100 onto a viewport of 200 x 200).
const std::vector<Record> kDoubled = {One(17, 8), Two(9, 100, 100), Two(11, 200, 200)};
// A world transform that moves by (dx, dy).
Record WorldMove(float dx, float dy) { return Rec(35, Bytes().F32(1).F32(0).F32(0).F32(1).F32(dx).F32(dy)); }
// POLYDRAW of the 32-bit form.
Record PolyDraw(const std::vector<std::pair<int, int>>& points, const std::vector<uint8_t>& types) {
  Bytes b;
  b.Rect(0, 0, 0, 0).U32(uint32_t(points.size()));
  for (auto [x, y] : points) b.Pt(x, y);
  for (uint8_t t : types) b.b.push_back(t);
  while (b.b.size() % 4) b.b.push_back(0);
  return Rec(56, b);
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
       {{{70, 30}, kRedRGB}, {{45, 30}, kWhite}, {{20, 30}, kRedRGB}}},
      // A union keeps the old clip whatever it is made of: here two nested rectangles, then a
      // region and a path over other places.
      {"region union with nested rectangles",
       Join({{Box(30, 0, 0, 60, 72), Box(30, 0, 0, 40, 40), ClipRgn(2, {60, 40, 90, 70})}, kRedEverywhere}),
       {{{20, 20}, kRedRGB}, {{50, 20}, kWhite}, {{20, 60}, kWhite}, {{75, 55}, kRedRGB}, {{75, 20}, kWhite}}},
      {"path union with a rectangle",
       Join({{Box(30, 0, 0, 40, 40), kBeginPath, Rec(42, Bytes().Rect(50, 10, 90, 70)), kEndPath,
              Rec(67, Bytes().U32(2))},
             kRedEverywhere}),
       {{{20, 20}, kRedRGB}, {{70, 40}, kRedRGB}, {{20, 60}, kWhite}, {{52, 12}, kWhite}}},
      // OFFSETCLIPRGN moves the clip by logical units: (20, 20) - (60, 60) moved by (30, 30),
      // and a doubled mapping's (10, 10) - (20, 20) moved by (10, 10) logical units.
      {"OFFSETCLIPRGN", Join({{Box(30, 20, 20, 60, 60), Two(26, 30, 30)}, kRedEverywhere}),
       {{{70, 65}, kRedRGB}, {{30, 30}, kWhite}, {{55, 55}, kRedRGB}, {{45, 45}, kWhite}}},
      {"OFFSETCLIPRGN in doubled units",
       Join({kDoubled, {Box(30, 10, 10, 20, 20), Two(26, 10, 10), SolidBrush(1, kRed), Select(1), Select(kNullPen),
                        Box(43, 0, 0, 48, 36)}}),
       {{{50, 50}, kRedRGB}, {{30, 30}, kWhite}, {{62, 50}, kWhite}}},
      // SETMETARGN makes the clip a limit: a reset keeps it, a copy cannot reach past it.
      {"SETMETARGN and a reset",
       Join({{Box(30, 10, 10, 50, 50), Rec(28), Rec(75, Bytes().U32(0).U32(5))}, kRedEverywhere}),
       {{{30, 30}, kRedRGB}, {{70, 30}, kWhite}}},
      {"SETMETARGN and a copy",
       Join({{Box(30, 10, 10, 50, 50), Rec(28), ClipRgn(5, {40, 10, 90, 60})}, kRedEverywhere}),
       {{{45, 30}, kRedRGB}, {{70, 30}, kWhite}, {{20, 30}, kWhite}}},
      // The region fills take logical units: the mapping, the window origin and the world
      // transform move and size them (device (20, 20) - (40, 40), then (50, 25) - (60, 35)).
      {"FILLRGN in doubled units", Join({kDoubled, {SolidBrush(1, kRed), FillRgn(1, {10, 10, 20, 20})}}),
       {{{21, 21}, kRedRGB}, {{38, 38}, kRedRGB}, {{15, 15}, kWhite}, {{41, 30}, kWhite}}},
      {"FILLRGN under a window origin and a world move",
       {Two(10, -30, -10), WorldMove(10, 5), SolidBrush(1, kRed), FillRgn(1, {10, 10, 20, 20})},
       {{{55, 30}, kRedRGB}, {{15, 15}, kWhite}, {{45, 30}, kWhite}}},
      {"PAINTRGN in doubled units", Join({kDoubled, {SolidBrush(1, kRed), Select(1), PaintRgn({10, 10, 20, 20})}}),
       {{{30, 30}, kRedRGB}, {{15, 15}, kWhite}, {{42, 30}, kWhite}}},
      {"FRAMERGN in doubled units", Join({kDoubled, {SolidBrush(3, kGreen), FrameRgn(3, {10, 10, 40, 30}, 2, 2)}}),
       {{{21, 40}, kGreenRGB}, {{23, 40}, kGreenRGB}, {{26, 40}, kWhite}, {{50, 21}, kGreenRGB}, {{50, 26}, kWhite},
        {{78, 40}, kGreenRGB}, {{50, 40}, kWhite}}},
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
      // Every record that uses the path takes the outline: a clip to the 20-pixel band, the
      // band filled and outlined with the pen selected after the widening, the outline alone.
      {"WIDENPATH then SELECTCLIPPATH",
       Join({{Pen(2, 0, 20, kBlue), Select(2), kBeginPath, Two(27, 10, 36), Two(54, 86, 36), kEndPath, Rec(66),
              Rec(67, Bytes().U32(5))},
             kRedEverywhere}),
       {{{48, 36}, kRedRGB}, {{48, 28}, kRedRGB}, {{48, 44}, kRedRGB}, {{48, 22}, kWhite}, {{48, 50}, kWhite},
        {{2, 28}, kWhite}, {{94, 28}, kWhite}}},
      {"WIDENPATH then STROKEANDFILLPATH",
       {SolidBrush(1, kRed), Select(1), Pen(2, 0, 20, kBlue), Select(2), kBeginPath, Two(27, 10, 36), Two(54, 86, 36),
        kEndPath, Rec(66), Pen(3, 0, 3, kBlue), Select(3), PathPaint(63)},
       {{{48, 36}, kRedRGB}, {{48, 31}, kRedRGB}, {{48, 26}, kBlueRGB}, {{48, 46}, kBlueRGB}, {{48, 21}, kWhite},
        {{0, 36}, kBlueRGB}}},
      {"WIDENPATH then STROKEPATH",
       {Pen(2, 0, 20, kBlue), Select(2), kBeginPath, Two(27, 10, 36), Two(54, 86, 36), kEndPath, Rec(66),
        Pen(3, 0, 3, kBlue), Select(3), PathPaint(64)},
       {{{48, 36}, kWhite}, {{48, 26}, kBlueRGB}, {{48, 46}, kBlueRGB}}},
      // An open figure of POLYDRAW is stroked, never filled.
      {"POLYDRAW", {SolidBrush(1, kRed), Select(1), Pen(2, 0, 3, kBlue), Select(2),
                    Rec(56, Bytes().Rect(0, 0, 0, 0).U32(3).Pt(10, 60).Pt(48, 10).Pt(86, 60).U32(0x00020206))},
       {{{48, 50}, kWhite}, {{29, 35}, kBlueRGB}}},
      // A point of the 32-bit form that carries the close flag is drawn and closes its figure.
      {"POLYDRAW closing its figure", {Pen(2, 0, 3, kBlue), Select(2),
                                       Rec(56, Bytes().Rect(0, 0, 0, 0).U32(3).Pt(10, 60).Pt(48, 10).Pt(86, 60).U32(0x00030206))},
       {{{48, 60}, kBlueRGB}, {{67, 35}, kBlueRGB}, {{48, 50}, kWhite}}},
      // A close flag draws back to the figure's start and leaves the position there, where the
      // next line starts.
      {"POLYDRAW's close leaves the position at the figure's start",
       {Pen(2, 0, 3, kBlue), Select(2), PolyDraw({{10, 10}, {50, 10}, {50, 50}}, {6, 2, 3}), Two(54, 10, 66)},
       {{{10, 40}, kBlueRGB}, {{30, 30}, kBlueRGB}, {{30, 58}, kWhite}}},
      // A point the player does not accept (a close flag on no line) ends the record: the
      // line before it is drawn, the current position stays (10, 60) for the next line.
      {"POLYDRAW with a lone close point",
       {Pen(2, 0, 3, kBlue), Select(2), Two(27, 10, 60), PolyDraw({{20, 20}, {50, 20}, {50, 50}}, {6, 2, 1}),
        Two(54, 90, 60)},
       {{{35, 20}, kBlueRGB}, {{50, 60}, kBlueRGB}, {{50, 35}, kWhite}}},
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

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// What the records write. Content units: 1000 to the picture's 72 pixels, y up, so that the
// pixel (20, 20) is "277.7778 722.2222".
TEST(MetafileClipAndPaint, RecordsWriteTheContentThePlayerDrawsBy) {
  const Record bandPath[] = {kBeginPath, Two(27, 10, 36), Two(54, 86, 36), kEndPath};
  Bytes monoDib;
  monoDib.U32(40).I32(8).I32(8).U16(1).U16(1).U32(0).U32(32).U32(0).U32(0).U32(2).U32(0).U32(0).U32(0xFFFFFF);
  for (int y = 0; y < 8; ++y) monoDib.U32(0x0F);
  const Record mono = Rec(93, Bytes().U32(2).U32(0).U32(32).U32(48).U32(80).U32(32).Raw(monoDib.b));
  struct Case {
    const char* name;
    std::vector<Record> records;
    std::vector<std::pair<std::string, int>> counts;  // text and how often the content holds it
  } cases[] = {
      {"FILLRGN in logical units", Join({kDoubled, {SolidBrush(1, kRed), FillRgn(1, {10, 10, 20, 20})}}),
       {{"277.7778 722.2222 m\n", 1}, {"555.5556 444.4444 l\n", 1}, {"138.8889 861.1111 m\n", 0}}},
      {"OFFSETCLIPRGN", Join({{Box(30, 20, 20, 60, 60), Two(26, 30, 30)}, kRedEverywhere}),
       {{"277.7778 722.2222 m\n", 1}, {"694.4444 305.5556 m\n", 1}, {"W n\n", 2}}},
      // Under the meta region a reset closes no level: the only Q is the one that closes the
      // clip at the end, after the fill.
      {"SETMETARGN", Join({{Box(30, 10, 10, 50, 50), Rec(28), Rec(75, Bytes().U32(0).U32(5))}, kRedEverywhere}),
       {{"q\n", 1}, {"Q\n", 1}, {"W n\nQ\n", 0}}},
      // The clip is the band's outline (round ends of many points), not a path of no area.
      {"WIDENPATH then SELECTCLIPPATH",
       Join({{Pen(2, 0, 20, kBlue), Select(2)}, {std::begin(bandPath), std::end(bandPath)}, {Rec(66),
              Rec(67, Bytes().U32(5))}, kRedEverywhere}),
       {{"0 0 m\nh\nW", 0}, {"138.8889 500 m\n", 0}}},
      // After the close the line starts where the figure did: (10, 10) on the pixel centres.
      {"POLYDRAW", {Pen(2, 0, 3, kBlue), Select(2), PolyDraw({{10, 10}, {50, 10}, {50, 50}}, {6, 2, 3}), Two(54, 10, 66)},
       {{"145.8333 854.1667 m\n", 2}}},
      {"user style of three entries",
       {Rec(95, Bytes().U32(2).U32(0).U32(0).U32(0).U32(0).U32(0x10000 | 0x200 | 7).U32(4).U32(0).U32(kBlue).U32(0)
                    .U32(3).U32(12).U32(4).U32(8)),
        Select(2), Two(27, 0, 36), Two(54, 96, 36)},
       {{"[ 166.6667 55.5556 111.1111 ] 0 d\n", 1}}},
      // The monochrome brush is coloured anew when the colours change between two fills.
      {"monochrome brush", {mono, Select(2), Select(kNullPen), Rec(24, Bytes().U32(kRed)), Box(43, 0, 0, 40, 40),
                            Rec(24, Bytes().U32(kGreen)), Box(43, 50, 0, 90, 40), Rec(25, Bytes().U32(kBlue)),
                            Box(43, 0, 50, 40, 70), Box(43, 50, 50, 90, 70)},
       {{"/Pattern cs /ZRXP", 3}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Converter conv;
    const std::string content = conv.Convert(c.records, 96, 72);
    for (const auto& [text, n] : c.counts) EXPECT_EQ(Count(content, text), n) << text << "\n" << content;
  }
  // The widened band is one closed outline of many points.
  Converter conv;
  const std::string clip = conv.Convert(Join({{Pen(2, 0, 20, kBlue), Select(2)}, {std::begin(bandPath), std::end(bandPath)},
                                              {Rec(66), Rec(67, Bytes().U32(5))}}),
                                        96, 72);
  EXPECT_GT(Count(clip, " l\n"), 20) << clip;
  EXPECT_EQ(Count(clip, "h\n"), 1) << clip;
}

// One picture stored as an EMF and as a WMF gives one page: the region fills in logical units
// (the WMF's regions and the EMF's alike), a clip moved by OFFSETCLIPRGN, and a monochrome
// brush in the text and background colours set after it was made. Logical units are two
// pixels (the EMF's anisotropic mapping, the WMF's 48 units an inch). The document goes
// through the application's road; qpdf reads its content, our renderer and poppler draw it.
TEST(MetafileClipAndPaint, EmfAndWmfTwinsDrawAlike) {
  REQUIRE_TOOL("qpdf");
  const std::vector<Record> doubled = {One(17, 8), Two(9, 100, 100), Two(11, 200, 200)};
  auto rgb = [](uint32_t c) { return std::vector<uint16_t>{uint16_t(c & 0xFFFF), uint16_t(c >> 16)}; };
  auto words = [](std::initializer_list<std::vector<uint16_t>> parts) {
    std::vector<uint16_t> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  };
  // WMF objects: a solid brush (index 0) and a region (index 1).
  const WmfRecord wmfRedBrush{0x02FC, words({{0}, rgb(kRed), {0}})};
  auto wmfRegion = [](int16_t l, int16_t t, int16_t r, int16_t b) {
    return WmfRecord{0x06FF, {0, 6, 0, 0, 22, 0, 0, uint16_t(l), uint16_t(t), uint16_t(r), uint16_t(b)}};
  };
  const WmfRecord wmfNullPen{0x02FA, words({{5, 0, 0}, rgb(0)})};
  // An 8 x 8 monochrome picture whose right half is set (rows of two bytes, top row first).
  std::vector<uint16_t> mono = {0, 8, 8, 2, 0x0101, 0, 0};
  mono.resize(mono.size() + 9, 0);
  for (int y = 0; y < 8; ++y) mono.push_back(0x000F);
  Bytes monoDib;
  monoDib.U32(40).I32(8).I32(8).U16(1).U16(1).U32(0).U32(32).U32(0).U32(0).U32(2).U32(0);
  monoDib.U32(0).U32(0xFFFFFF);
  for (int y = 0; y < 8; ++y) monoDib.U32(0x0F);
  const uint32_t infoSize = 48;
  Bytes monoBrush;
  monoBrush.U32(2).U32(0).U32(32).U32(infoSize).U32(32 + infoSize).U32(32).Raw(monoDib.b);
  struct Case {
    const char* name;
    std::vector<Record> emf;
    std::vector<WmfRecord> wmf;
    std::vector<std::pair<std::pair<int, int>, uint32_t>> pixels;
    const char* content;  // what the form's content holds (qpdf's reading of it)
  } cases[] = {
      {"FILLREGION",
       {doubled[0], doubled[1], doubled[2], SolidBrush(1, kRed), FillRgn(1, {10, 10, 20, 20})},
       {wmfRedBrush, wmfRegion(10, 10, 20, 20), {0x0228, {1, 0}}},
       {{{21, 21}, kRedRGB}, {{38, 38}, kRedRGB}, {{15, 15}, kWhite}, {{42, 30}, kWhite}},
       // The corner (20, 20) of 72 pixels to the thousand, y up.
       "277.7778 722.2222 m"},
      {"OFFSETCLIPRGN",
       {doubled[0], doubled[1], doubled[2], Box(30, 10, 10, 30, 30), Two(26, 15, 15), SolidBrush(1, kRed), Select(1),
        Select(kNullPen), Box(43, 0, 0, 48, 36)},
       {wmfRedBrush, wmfNullPen, {0x012D, {0}}, {0x012D, {1}}, {0x0416, {30, 30, 10, 10}}, {0x0220, {15, 15}},
        {0x041B, {36, 48, 0, 0}}},
       {{{70, 65}, kRedRGB}, {{55, 55}, kRedRGB}, {{30, 30}, kWhite}, {{45, 45}, kWhite}},
       // The corner (50, 50).
       "694.4444 305.5556 m"},
      {"monochrome brush coloured when it paints",
       {doubled[0], doubled[1], doubled[2], Rec(93, monoBrush), Rec(24, Bytes().U32(kBlue)),
        Rec(25, Bytes().U32(kGreen)), Select(2), Select(kNullPen), Box(43, 0, 0, 48, 36)},
       {{0x01F9, mono}, wmfNullPen, {0x0209, rgb(kBlue)}, {0x0201, rgb(kGreen)}, {0x012D, {0}}, {0x012D, {1}},
        {0x041B, {36, 48, 0, 0}}},
       {{{1, 1}, kBlueRGB}, {{5, 1}, kGreenRGB}, {{9, 40}, kBlueRGB}, {{13, 40}, kGreenRGB}},
       "/Pattern cs"},
  };
  for (const Case& c : cases) {
    for (const bool wmf : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (wmf ? " (WMF)" : " (EMF)"));
      testsupport::TempDir dir;
      const std::string file = dir.File(wmf ? "twin.wmf" : "twin.emf");
      testsupport::WriteFile(file, wmf ? WmfFile(c.wmf, 48, 36, 48) : EmfFile(c.emf, 96, 72));
      std::string message;
      const auto r = RenderThroughApi(file, 96, 0, &message, dir.File("twin.pdf"));
      ASSERT_EQ(r.Width, 96) << message;
      ASSERT_EQ(r.Height, 72) << message;
      for (const auto& [at, colour] : c.pixels)
        EXPECT_EQ(Pixel(r, at.first, at.second), colour) << at.first << "," << at.second;
      const std::string qdf = QdfText(dir.File("twin.pdf"));
      ASSERT_FALSE(qdf.empty());
      EXPECT_NE(qdf.find(c.content), std::string::npos) << qdf;
      // poppler draws the same document alike, and so does the platform's player drawing
      // the file into a bitmap (options -1).
      if (!testraster::PythonWithPIL().empty() && testsupport::HaveTool("pdftocairo")) {
        const auto poppler = testraster::RenderWithPopplerCairo(dir.File("twin.pdf"), dir.File("poppler"), 96);
        for (const auto& [at, colour] : c.pixels)
          EXPECT_EQ(Pixel(poppler, at.first, at.second), colour) << "poppler " << at.first << "," << at.second;
      }
      const auto played = RenderThroughApi(file, 72, 0, &message, "", -1);
      ASSERT_EQ(played.Width, 96) << message;
      for (const auto& [at, colour] : c.pixels)
        EXPECT_EQ(Pixel(played, at.first, at.second), colour) << "player " << at.first << "," << at.second;
    }
  }
}

}  // namespace
