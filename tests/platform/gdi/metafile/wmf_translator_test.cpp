// WMF to EMF translation: the placeable header, the record mapping (checked against the record
// list that libUEMF wrote and against its EMF twin's pixels), the object table's lowest free
// slot, and hostile files.
#include <gtest/gtest.h>


#include "platform/gdi/dc.h"
#include "platform/gdi/graphics_errors.h"
#include "platform/gdi/metafile.h"
#include "platform/gdi/metafile/emf_reader.h"
#include "platform/gdi/metafile/enh_metafile.h"
#include "platform/gdi/metafile/wmf_records.h"
#include "platform/gdi/metafile/wmf_translator.h"
#include "tests/platform/gdi/metafile/metafile_test_util.h"

using namespace mftest;

namespace {

#define REQUIRE_GENERATOR()                                              \
  do {                                                                   \
    if (Generator().empty()) GTEST_SKIP() << "needs libuemf (uemf_gen)"; \
  } while (0)

std::vector<uint32_t> Translated(const std::vector<uint8_t>& wmf) {
  auto doc = EmfDocument::Parse(TranslatePlaceableWmf(wmf));
  EXPECT_EQ(doc->SkippedRecords(), 0u);
  std::vector<uint32_t> t;
  for (const auto& r : doc->Records()) t.push_back(r.type);
  return t;
}

uint16_t U(int v) { return uint16_t(int16_t(v)); }

// The records the translation opens with: the placeable bounds onto the frame's pixels.
const std::vector<uint32_t> kPrologue = {EMR_HEADER, EMR_SETMAPMODE, EMR_SETWINDOWORGEX, EMR_SETWINDOWEXTEX,
                                         EMR_SETVIEWPORTORGEX, EMR_SETVIEWPORTEXTEX};

}  // namespace

TEST(WmfTranslator, PlaceableHeader) {
  const std::vector<uint8_t> wmf = Wmf({}, 960, 720, 1440);
  PlaceableWmfHeader h;
  ASSERT_TRUE(ReadPlaceableWmfHeader(wmf, h));
  EXPECT_TRUE(h.checksumOk);
  EXPECT_EQ(h.right, 960);
  EXPECT_EQ(h.inch, 1440);
  EXPECT_EQ(PlaceableFrame(h), (RECT{0, 0, 1693, 1270}));  // 960 / 1440 inch = 16.93 mm

  std::vector<uint8_t> bad = wmf;
  bad[20] ^= 1;
  ASSERT_TRUE(ReadPlaceableWmfHeader(bad, h));
  EXPECT_FALSE(h.checksumOk);
  EXPECT_THROW(TranslatePlaceableWmf(bad), EInvalidGraphic);
  TMemoryStream s(std::string(bad.begin(), bad.end()));
  TMetafile m;
  EXPECT_THROW(m.LoadFromStream(s), EInvalidGraphic);

  bad = wmf;
  bad[22] = 7;  // WMF header type
  EXPECT_THROW(TranslatePlaceableWmf(bad), EInvalidGraphic);

  // The translated header: frame from the bounds, 96-dpi reference device.
  auto doc = EmfDocument::Parse(TranslatePlaceableWmf(wmf));
  EXPECT_EQ(doc->Header().rclFrame, (RECTL{0, 0, 1693, 1270}));
  EXPECT_EQ(doc->Header().szlDevice.cx * 254, doc->Header().szlMillimeters.cx * 960);
  EXPECT_EQ(doc->Header().nHandles, 9);
}

TEST(WmfTranslator, EveryRecordOfLibUemfHasItsCounterpart) {
  REQUIRE_GENERATOR();
  const Generated g = Generate("wmf_all");
  // What each WMF function becomes (0: nothing; ESCAPE is skipped and EOF closes).
  const std::map<uint32_t, std::vector<uint32_t>> mapping = {
      {META_SETMAPMODE, {EMR_SETMAPMODE}}, {META_SETWINDOWORG, {EMR_SETWINDOWORGEX}},
      {META_SETWINDOWEXT, {EMR_SETWINDOWEXTEX}}, {META_SETBKCOLOR, {EMR_SETBKCOLOR}},
      {META_SETBKMODE, {EMR_SETBKMODE}}, {META_SETPOLYFILLMODE, {EMR_SETPOLYFILLMODE}}, {META_SETROP2, {EMR_SETROP2}},
      {META_SETSTRETCHBLTMODE, {EMR_SETSTRETCHBLTMODE}}, {META_SETTEXTCOLOR, {EMR_SETTEXTCOLOR}},
      {META_SETTEXTALIGN, {EMR_SETTEXTALIGN}}, {META_SAVEDC, {EMR_SAVEDC}}, {META_OFFSETWINDOWORG, {EMR_SETWINDOWORGEX}},
      {META_SCALEWINDOWEXT, {EMR_SCALEWINDOWEXTEX}}, {META_RESTOREDC, {EMR_RESTOREDC}},
      {META_CREATEBRUSHINDIRECT, {EMR_CREATEBRUSHINDIRECT}}, {META_SELECTOBJECT, {EMR_SELECTOBJECT}},
      {META_CREATEPENINDIRECT, {EMR_CREATEPEN}}, {META_POLYGON, {EMR_POLYGON16}}, {META_POLYPOLYGON, {EMR_POLYPOLYGON16}},
      {META_ROUNDRECT, {EMR_ROUNDRECT}}, {META_ARC, {EMR_ARC}}, {META_CHORD, {EMR_CHORD}}, {META_PIE, {EMR_PIE}},
      {META_SETPIXEL, {EMR_SETPIXELV}}, {META_INTERSECTCLIPRECT, {EMR_INTERSECTCLIPRECT}},
      {META_EXCLUDECLIPRECT, {EMR_EXCLUDECLIPRECT}}, {META_OFFSETCLIPRGN, {EMR_OFFSETCLIPRGN}},
      {META_CREATEFONTINDIRECT, {EMR_EXTCREATEFONTINDIRECTW}}, {META_TEXTOUT, {EMR_EXTTEXTOUTA}},
      {META_EXTTEXTOUT, {EMR_EXTTEXTOUTA}}, {META_CREATEPALETTE, {EMR_CREATEPALETTE}},
      {META_SELECTPALETTE, {EMR_SELECTPALETTE}}, {META_STRETCHDIB, {EMR_STRETCHDIBITS}},
      {META_DIBSTRETCHBLT, {EMR_STRETCHBLT}}, {META_DIBBITBLT, {EMR_BITBLT}},
      {META_DIBCREATEPATTERNBRUSH, {EMR_CREATEDIBPATTERNBRUSHPT}}, {META_PATBLT, {EMR_BITBLT}}, {META_ESCAPE, {}},
      {META_DELETEOBJECT, {EMR_DELETEOBJECT}}, {META_EOF, {}},
  };
  std::vector<uint32_t> expected = kPrologue;
  for (uint32_t f : g.types) {
    auto it = mapping.find(f);
    ASSERT_NE(it, mapping.end()) << "function " << f;
    expected.insert(expected.end(), it->second.begin(), it->second.end());
  }
  expected.push_back(EMR_EOF);
  EXPECT_EQ(Translated(g.bytes), expected);
}

TEST(WmfTranslator, DrawsLikeItsEmfTwin) {
  REQUIRE_GENERATOR();
  auto wmf = Render(Generate("wmf_shapes").bytes);
  auto emf = Render(Generate("emf_shapes").bytes);
  int differences = 0;
  for (int y = 0; y < 72; ++y)
    for (int x = 0; x < 96; ++x) differences += wmf->GetColor(x, y) != emf->GetColor(x, y);
  EXPECT_EQ(differences, 0);
  EXPECT_EQ(wmf->GetColor(15, 45), RGB(0, 255, 0));

  // Through TMetafile: size from the placeable bounds and units per inch.
  const Generated g = Generate("wmf_shapes");
  TMemoryStream s(std::string(g.bytes.begin(), g.bytes.end()));
  TMetafile m;
  m.LoadFromStream(s);
  EXPECT_FALSE(m.Enhanced());
  EXPECT_EQ(m.Inch(), 96);
  EXPECT_EQ(m.Width(), 96);
  EXPECT_EQ(m.Height(), 72);
  EXPECT_EQ(m.MMWidth(), 2540);
  EXPECT_EQ(m.MMHeight(), 1905);
  TMemoryStream out;
  m.SaveToStream(out);
  EXPECT_EQ(out.DataString(), std::string(g.bytes.begin(), g.bytes.end()));
  m.SetEnhanced(true);
  TMemoryStream asEmf;
  m.SaveToStream(asEmf);
  EXPECT_NO_THROW(EmfDocument::Parse(asEmf.Bytes()));
}

TEST(WmfTranslator, LowestFreeSlotAndTableOverflow) {
  auto brush = [](COLORREF c) {
    return WmfRec{META_CREATEBRUSHINDIRECT, {0, uint16_t(c & 0xFFFF), uint16_t(c >> 16), 0}};
  };
  const WmfRec rect{META_RECTANGLE, {40, 40, 0, 0}};
  const WmfRec nullPen{META_CREATEPENINDIRECT, {5, 0, 0, 0, 0}};
  // Slots: pen 0, red 1, blue 2; red freed; green takes slot 1; a table of three is then full,
  // so yellow is not made and selecting slot 3 changes nothing.
  const std::vector<uint8_t> wmf = Wmf(
      {nullPen, {META_SELECTOBJECT, {0}}, brush(RGB(255, 0, 0)), brush(RGB(0, 0, 255)), {META_DELETEOBJECT, {1}},
       brush(RGB(0, 255, 0)), brush(RGB(255, 255, 0)), {META_SELECTOBJECT, {1}}, {META_SELECTOBJECT, {3}}, rect},
      96, 72, 96, 3);
  auto b = Render(wmf);
  EXPECT_EQ(b->GetColor(5, 5), RGB(0, 255, 0));
  // The EMF indices are the slots plus one.
  auto doc = EmfDocument::Parse(TranslatePlaceableWmf(wmf));
  std::vector<uint32_t> selected;
  for (size_t i = 0; i < doc->Records().size(); ++i)
    if (doc->Record(i).iType == EMR_SELECTOBJECT) selected.push_back(doc->Record(i).U32(8));
  EXPECT_EQ(selected, (std::vector<uint32_t>{1, 2}));
}

TEST(WmfTranslator, MappingRecords) {
  const WmfRec rect{META_RECTANGLE, {20, 20, 10, 10}};
  const WmfRec nullPen{META_CREATEPENINDIRECT, {5, 0, 0, 0, 0}};
  const WmfRec black{META_CREATEBRUSHINDIRECT, {0, 0, 0, 0}};
  auto painted = [](const GdiBitmap& b) {
    RECT r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x)
        if (b.GetColor(x, y) != RGB(255, 255, 255)) {
          r.left = std::min(r.left, x), r.top = std::min(r.top, y);
          r.right = std::max(r.right, x + 1), r.bottom = std::max(r.bottom, y + 1);
        }
    return r;
  };
  struct Case {
    const char* name;
    std::vector<WmfRec> setup;
    RECT expected;
  } cases[] = {
      {"bounds map onto the frame", {}, RECT{10, 10, 19, 19}},
      {"window origin", {{META_SETWINDOWORG, {5, 5}}}, RECT{5, 5, 14, 14}},
      {"window origin offset", {{META_OFFSETWINDOWORG, {2, 3}}}, RECT{7, 8, 16, 17}},
      {"window extent halves", {{META_SETWINDOWEXT, {144, 192}}}, RECT{5, 5, 9, 9}},
      {"zero window extent ignored", {{META_SETWINDOWEXT, {0, 192}}}, RECT{10, 10, 19, 19}},
      {"scaled window extent", {{META_SCALEWINDOWEXT, {1, 2, 1, 2}}}, RECT{5, 5, 9, 9}},
      {"zero denominators ignored", {{META_SCALEWINDOWEXT, {0, 2, 0, 2}}}, RECT{10, 10, 19, 19}},
      {"text mode stays anisotropic", {{META_SETMAPMODE, {MM_TEXT}}, {META_SETWINDOWEXT, {144, 192}}}, RECT{5, 5, 9, 9}},
      {"saved and restored",
       {{META_SAVEDC, {}}, {META_SETWINDOWORG, {5, 5}}, {META_RESTOREDC, {U(-1)}}}, RECT{10, 10, 19, 19}},
      {"clip", {{META_INTERSECTCLIPRECT, {15, 15, 0, 0}}}, RECT{10, 10, 15, 15}},
  };
  for (const Case& c : cases) {
    std::vector<WmfRec> records = c.setup;
    records.push_back(nullPen);
    records.push_back({META_SELECTOBJECT, {0}});
    records.push_back(black);
    records.push_back({META_SELECTOBJECT, {1}});
    records.push_back(rect);
    EXPECT_EQ(painted(*Render(Wmf(records))), c.expected) << c.name;
  }
  // A region selected as the clip lands in device units.
  const WmfRec region{META_CREATEREGION, {0, 6, 0, 0, 0, 1, 0, 10, 10, 15, 15, 2, 10, 15, 10, 15, 2}};
  EXPECT_EQ(painted(*Render(Wmf({region, {META_SELECTCLIPREGION, {0}}, nullPen, {META_SELECTOBJECT, {1}}, black,
                                 {META_SELECTOBJECT, {2}}, rect}))),
            (RECT{10, 10, 15, 15}));
}

TEST(WmfTranslator, HostileFiles) {
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
  };
  std::vector<Case> cases;
  const WmfRec rect{META_RECTANGLE, {20, 20, 10, 10}};
  cases.push_back({"no EOF", Wmf({rect}, 96, 72, 96, 8, false)});
  cases.push_back({"zero inch", Wmf({rect}, 96, 72, 0)});
  cases.push_back({"empty bounds", Wmf({rect}, 0, 0, 96)});
  cases.push_back({"huge bounds", Wmf({rect}, 32767, 32767, 1)});
  cases.push_back({"no object table", Wmf({{META_CREATEBRUSHINDIRECT, {0, 0, 0, 0}}, {META_SELECTOBJECT, {0}}, rect},
                                          96, 72, 96, 0)});
  std::vector<WmfRec> many(3000, WmfRec{META_CREATEPENINDIRECT, {0, 1, 0, 0, 0}});
  many.push_back({META_SELECTOBJECT, {2999}});
  cases.push_back({"object table overflow", Wmf(many, 96, 72, 96, 10)});
  cases.push_back({"polygon count lies", Wmf({{META_POLYGON, {30000, 1, 1}}})});
  cases.push_back({"polygon count negative", Wmf({{META_POLYGON, {U(-5), 1, 1}}})});
  cases.push_back({"polypolygon counts lie", Wmf({{META_POLYPOLYGON, {2, 30000, 30000, 1, 1}}})});
  cases.push_back({"text length lies", Wmf({{META_TEXTOUT, {500, 0x4141, 1, 1}}, {META_EXTTEXTOUT, {1, 1, 999, 6}}})});
  cases.push_back({"region scans lie", Wmf({{META_CREATEREGION, {0, 6, 0, 0, 0, 900, 0, 0, 0, 5, 5, 2000}},
                                            {META_SELECTCLIPREGION, {0}}, rect})});
  cases.push_back({"bitmap sizes lie", Wmf({{META_DIBBITBLT, {0x20, 0xCC, 0, 0, 4, 4, 0, 0, 40, 0, 4000, 0, 4000, 0, 1, 24}},
                                            {META_STRETCHDIB, {0x20, 0xCC, 0, 3, 3, 0, 0, 3, 3, 0, 0, 12, 0}},
                                            {META_BITBLT, {0x20, 0xCC, 0, 0, 9, 9, 0, 0, 1, 9000, 9000, 8000, 0x0101}},
                                            {META_CREATEPATTERNBRUSH, {0, 8, 8, 2000, 0x0101}}})});
  cases.push_back({"huge extents", Wmf({{META_SETWINDOWEXT, {1, 1}}, {META_SETVIEWPORTEXT, {32767, 32767}},
                                        {META_SCALEVIEWPORTEXT, {1, 32767, 1, 32767}}, {META_ELLIPSE, {U(-32768), U(-32768), 32767, 32767}}})});
  cases.push_back({"deep restore", Wmf({{META_RESTOREDC, {U(-30000)}}, {META_RESTOREDC, {5}}, rect})});
  for (Case& c : cases) {
    std::vector<uint8_t> emf;
    ASSERT_NO_THROW(emf = TranslatePlaceableWmf(c.file)) << c.name;
    ASSERT_NO_THROW(EmfDocument::Parse(emf)) << c.name;
    Render(c.file);
  }
  // A record whose size lies ends the picture where it stands.
  std::vector<uint8_t> lying = Wmf({rect, rect});
  lying[22 + 18 + 14] = 0xFF;  // size of the second record
  const std::vector<uint32_t> fromLying = Translated(lying);
  EXPECT_EQ(fromLying.back(), EMR_EOF);
  EXPECT_EQ(std::count(fromLying.begin(), fromLying.end(), EMR_RECTANGLE), 1);
  // A file cut inside a record keeps what came before.
  std::vector<uint8_t> cut = Wmf({rect, rect});
  cut.resize(cut.size() - 10);
  const std::vector<uint32_t> fromCut = Translated(cut);
  EXPECT_EQ(std::count(fromCut.begin(), fromCut.end(), EMR_RECTANGLE), 1);
}
