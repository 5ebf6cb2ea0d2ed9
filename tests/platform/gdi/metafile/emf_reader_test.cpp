// The EMF record reader: enumeration against what an independent writer (libUEMF) says it
// wrote, the header's fields, and the reader's rule for records that fail their checks.
#include <gtest/gtest.h>

#include "platform/gdi/graphics_errors.h"
#include "platform/gdi/metafile/emf_reader.h"
#include "platform/gdi/metafile/enh_metafile.h"
#include "tests/platform/gdi/metafile/metafile_test_util.h"

using namespace mftest;

namespace {

std::vector<uint32_t> Types(const EmfDocument& doc) {
  std::vector<uint32_t> t;
  for (const auto& r : doc.Records()) t.push_back(r.type);
  return t;
}

#define REQUIRE_GENERATOR()                                          \
  do {                                                               \
    if (Generator().empty()) GTEST_SKIP() << "needs libuemf (uemf_gen)"; \
  } while (0)

}  // namespace

TEST(EmfReader, EnumeratesWhatLibUemfWrote) {
  REQUIRE_GENERATOR();
  for (const char* scene : {"emf_shapes", "emf_bitmaps", "emf_all"}) {
    const Generated g = Generate(scene);
    ASSERT_FALSE(g.types.empty()) << scene;
    auto doc = EmfDocument::Parse(g.bytes);
    EXPECT_EQ(Types(*doc), g.types) << scene;
    EXPECT_EQ(doc->SkippedRecords(), 0u) << scene;
    EXPECT_FALSE(doc->Truncated()) << scene;
    EXPECT_TRUE(doc->HasEof()) << scene;
    // The platform's enumeration hands out the same records.
    EXPECT_EQ(Enumerate(g.bytes), g.types) << scene;
  }
}

TEST(EmfReader, HeaderFieldsAndRecordParameters) {
  REQUIRE_GENERATOR();
  const Generated g = Generate("emf_shapes");
  auto doc = EmfDocument::Parse(g.bytes);
  const ENHMETAHEADER& h = doc->Header();
  EXPECT_EQ(h.rclFrame, (RECTL{0, 0, 2540, 1905}));
  EXPECT_EQ(h.rclBounds, (RECTL{0, 0, 95, 71}));
  EXPECT_EQ(h.szlDevice, (SIZEL{1920, 1440}));
  EXPECT_EQ(h.szlMillimeters, (SIZEL{508, 381}));
  EXPECT_EQ(h.nBytes, g.bytes.size());
  EXPECT_EQ(h.nRecords, g.types.size());
  EXPECT_GE(h.nHandles, 3);
  // RECTANGLE (10, 10, 50, 30): the parameters as dwords after type and size.
  for (size_t i = 0; i < doc->Records().size(); ++i) {
    const ENHMETARECORD r = doc->Record(i);
    EXPECT_EQ(r.nSize, r.bytes.size());
    EXPECT_EQ(r.dParm.size(), r.nSize / 4 - 2);
    if (r.iType == EMR_RECTANGLE) {
      EXPECT_EQ(r.dParm[0], 10u);
      EXPECT_EQ(r.dParm[3], 30u);
      EXPECT_EQ(r.Rect(8), (RECTL{10, 10, 50, 30}));
      break;
    }
  }
  // The header through the platform's call.
  HENHMETAFILE handle = SetEnhMetaFileBits(UINT(g.bytes.size()), g.bytes.data());
  ENHMETAHEADER copy;
  EXPECT_EQ(GetEnhMetaFileHeader(handle, sizeof copy, &copy), sizeof copy);
  EXPECT_EQ(copy.rclFrame, h.rclFrame);
  EXPECT_EQ(GetEnhMetaFileBits(handle, 0, nullptr), g.bytes.size());
  std::vector<uint8_t> back(g.bytes.size());
  EXPECT_EQ(GetEnhMetaFileBits(handle, UINT(back.size()), back.data()), back.size());
  EXPECT_EQ(back, g.bytes);
  EXPECT_TRUE(DeleteEnhMetaFile(handle));
  EXPECT_FALSE(DeleteEnhMetaFile(handle));
}

TEST(EmfReader, RefusesWhatIsNoEmf) {
  const std::vector<uint8_t> good = Emf({});
  EXPECT_NO_THROW(EmfDocument::Parse(good));
  struct Case {
    const char* name;
    size_t offset;
    uint32_t value;
  } cases[] = {
      {"type", 0, 2}, {"signature", 40, 0x12345678}, {"size below 88", 4, 84},
      {"size not a multiple of 4", 4, 110}, {"size past the data", 4, 4000},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bad = good;
    for (int i = 0; i < 4; ++i) bad[c.offset + i] = uint8_t(c.value >> (8 * i));
    EXPECT_THROW(EmfDocument::Parse(bad), EInvalidGraphic) << c.name;
    EXPECT_EQ(SetEnhMetaFileBits(UINT(bad.size()), bad.data()), nullptr) << c.name;
  }
  EXPECT_THROW(EmfDocument::Parse(std::vector<uint8_t>(good.begin(), good.begin() + 60)), EInvalidGraphic);
}

TEST(EmfReader, BrokenFramesEndTheListAndLyingContentsAreSkipped) {
  const auto rect = Rec(EMR_RECTANGLE, Bytes().I32(1).I32(2).I32(3).I32(4));
  struct Case {
    const char* name;
    std::vector<uint8_t> record;
    bool endsList;  // otherwise skipped, the RECTANGLE after it kept
  } cases[] = {
      {"size 4", Rec(EMR_SAVEDC, Bytes(), 4), true},
      {"size not a multiple of 4", Rec(EMR_SAVEDC, Bytes().U32(0), 10), true},
      {"size past the end", Rec(EMR_SAVEDC, Bytes(), 1 << 20), true},
      {"polyline count lies", Rec(EMR_POLYLINE, Bytes().I32(0).I32(0).I32(0).I32(0).U32(1000).I32(1).I32(2)), false},
      {"polyline count overflows 32 bits",
       Rec(EMR_POLYLINE, Bytes().I32(0).I32(0).I32(0).I32(0).U32(0x20000000).I32(1).I32(2)), false},
      {"polyline16 count lies", Rec(EMR_POLYLINE16, Bytes().I32(0).I32(0).I32(0).I32(0).U32(3).I32(1)), false},
      {"polypolygon counts beyond the total",
       Rec(EMR_POLYPOLYGON, Bytes().I32(0).I32(0).I32(0).I32(0).U32(1).U32(1).U32(5).I32(0).I32(0)), false},
      {"polypolygon figure count lies",
       Rec(EMR_POLYPOLYGON16, Bytes().I32(0).I32(0).I32(0).I32(0).U32(0xFFFFFFFF).U32(0).U32(0)), false},
      {"rectangle too short", Rec(EMR_RECTANGLE, Bytes().I32(1).I32(2)), false},
      {"text string outside",
       Rec(EMR_EXTTEXTOUTW, Bytes().I32(0).I32(0).I32(0).I32(0).U32(1).U32(0).U32(0).I32(0).I32(0).U32(4)
                                .U32(200).U32(0).I32(0).I32(0).I32(0).I32(0).U32(0)),
       false},
      {"text advances outside",
       Rec(EMR_EXTTEXTOUTW, Bytes().I32(0).I32(0).I32(0).I32(0).U32(1).U32(0).U32(0).I32(0).I32(0).U32(2)
                                .U32(76).U32(0).I32(0).I32(0).I32(0).I32(0).U32(76).U32(0x00410041)),
       false},
      {"small text outside", Rec(EMR_SMALLTEXTOUT, Bytes().I32(0).I32(0).U32(50).U32(0x100).U32(1).U32(0).U32(0)), false},
      {"region count lies",
       Rec(EMR_EXTSELECTCLIPRGN, Bytes().U32(48).U32(5).U32(32).U32(1).U32(9).U32(16).I32(0).I32(0).I32(1).I32(1)
                                     .I32(0).I32(0).I32(1).I32(1)),
       false},
      {"region size lies", Rec(EMR_EXTSELECTCLIPRGN, Bytes().U32(4096).U32(5).U32(32).U32(1).U32(0).U32(16)), false},
      {"gradient vertex index outside",
       Rec(EMR_GRADIENTFILL, Bytes().I32(0).I32(0).I32(0).I32(0).U32(1).U32(1).U32(0).I32(0).I32(0).U32(0).U32(0)
                                 .U32(0).U32(5)),
       false},
      {"gradient vertex count lies", Rec(EMR_GRADIENTFILL, Bytes().I32(0).I32(0).I32(0).I32(0).U32(99).U32(0).U32(0)),
       false},
      {"extcreatepen style entries lie",
       Rec(EMR_EXTCREATEPEN, Bytes().U32(1).U32(0).U32(0).U32(0).U32(0).U32(7).U32(1).U32(0).U32(0).U32(0).U32(40)),
       false},
      {"palette entries lie", Rec(EMR_CREATEPALETTE, Bytes().U32(1).U16(0x300).U16(300)), false},
      {"second header", Rec(EMR_HEADER, Bytes().Raw(std::vector<uint8_t>(80))), false},
  };
  for (const Case& c : cases) {
    const std::vector<uint8_t> file = Emf({c.record, rect});
    auto doc = EmfDocument::Parse(file);
    const std::vector<uint32_t> types = Types(*doc);
    if (c.endsList) {
      EXPECT_EQ(types, std::vector<uint32_t>{EMR_HEADER}) << c.name;
      EXPECT_TRUE(doc->Truncated()) << c.name;
    } else {
      EXPECT_EQ(types, (std::vector<uint32_t>{EMR_HEADER, EMR_RECTANGLE, EMR_EOF})) << c.name;
      EXPECT_EQ(doc->SkippedRecords(), 1u) << c.name;
    }
  }
}

TEST(EmfReader, EofMissingTrailingAndCut) {
  const auto save = Rec(EMR_SAVEDC, Bytes());
  // Without EOF the list ends with the data.
  auto doc = EmfDocument::Parse(Emf({save, save}, false));
  EXPECT_EQ(Types(*doc), (std::vector<uint32_t>{EMR_HEADER, EMR_SAVEDC, EMR_SAVEDC}));
  EXPECT_FALSE(doc->HasEof());
  // Records after EOF are not part of the picture.
  std::vector<uint8_t> file = Emf({save});
  const std::vector<uint8_t> extra = Rec(EMR_RESTOREDC, Bytes().I32(-1));
  file.insert(file.end(), extra.begin(), extra.end());
  EXPECT_EQ(Types(*EmfDocument::Parse(file)), (std::vector<uint32_t>{EMR_HEADER, EMR_SAVEDC, EMR_EOF}));
  // A truncated file keeps what is whole.
  file = Emf({save, save});
  file.erase(file.end() - 6, file.end());
  doc = EmfDocument::Parse(file);
  EXPECT_EQ(Types(*doc), (std::vector<uint32_t>{EMR_HEADER, EMR_SAVEDC, EMR_SAVEDC}));
  EXPECT_TRUE(doc->Truncated());
  // A header that declares fewer bytes cuts the data there.
  file = Emf({save, save});
  const uint32_t cut = 108 + 8;
  for (int i = 0; i < 4; ++i) file[48 + i] = uint8_t(cut >> (8 * i));
  EXPECT_EQ(Types(*EmfDocument::Parse(file)), (std::vector<uint32_t>{EMR_HEADER, EMR_SAVEDC}));
  // One that declares more is not believed.
  for (int i = 0; i < 4; ++i) file[48 + i] = 0xFF;
  EXPECT_EQ(EmfDocument::Parse(file)->Records().size(), 4u);
}

namespace {

// A STRETCHDIBITS record carrying a DIB; `mutate` edits the record bytes (offsets from the
// record's start; the bitmap info sits at 80, the bits after it).
std::vector<uint8_t> StretchDib(int w, int h, int bpp, uint32_t compression, uint32_t clrUsed, uint32_t bitsBytes,
                                uint32_t tableEntries, uint32_t usage = DIB_RGB_COLORS) {
  Bytes info;
  info.U32(40).I32(w).I32(h).U16(1).U16(uint16_t(bpp)).U32(compression).U32(bitsBytes).U32(0).U32(0).U32(clrUsed).U32(0);
  for (uint32_t i = 0; i < tableEntries; ++i) info.U32(0x00FF00FF);
  Bytes p;
  p.I32(0).I32(0).I32(9).I32(9).I32(0).I32(0).I32(0).I32(0).I32(w).I32(h);
  const uint32_t offBmi = 80, offBits = 80 + uint32_t(info.size());
  p.U32(offBmi).U32(uint32_t(info.size())).U32(offBits).U32(bitsBytes).U32(usage).U32(0x00CC0020).I32(w).I32(h);
  p.Raw(info.b).Raw(std::vector<uint8_t>(bitsBytes, 0x11));
  while (p.size() % 4) p.b.push_back(0);
  return Rec(EMR_STRETCHDIBITS, p);
}

}  // namespace

TEST(EmfReader, BitmapChecks) {
  struct Case {
    const char* name;
    std::vector<uint8_t> record;
    bool ok;
  } cases[] = {
      {"24 bit, whole rows", StretchDib(3, 2, 24, BI_RGB, 0, 24, 0), true},
      {"24 bit, a row short", StretchDib(3, 2, 24, BI_RGB, 0, 20, 0), false},
      {"8 bit, full table", StretchDib(4, 2, 8, BI_RGB, 0, 8, 256), true},
      {"8 bit, table cut short", StretchDib(4, 2, 8, BI_RGB, 0, 8, 16), false},
      {"8 bit, clrUsed table", StretchDib(4, 2, 8, BI_RGB, 16, 8, 16), true},
      {"8 bit, palette indices", StretchDib(4, 2, 8, BI_RGB, 4, 8, 2, DIB_PAL_COLORS), true},
      {"1 bit", StretchDib(33, 2, 1, BI_RGB, 0, 16, 2), true},
      {"4 bit run-length within", StretchDib(4, 4, 4, BI_RLE4, 0, 12, 16), true},
      {"8 bit run-length size lies", StretchDib(4, 4, 8, BI_RLE8, 0, 12, 256), true},
      {"bit fields need masks", StretchDib(2, 2, 16, BI_BITFIELDS, 0, 8, 3), true},
      {"bit fields without masks", StretchDib(2, 2, 16, BI_BITFIELDS, 0, 8, 0), false},
      {"depth 7", StretchDib(2, 2, 7, BI_RGB, 0, 8, 0), false},
      {"unknown compression", StretchDib(2, 2, 24, 9, 0, 16, 0), false},
      {"zero width", StretchDib(0, 2, 24, BI_RGB, 0, 16, 0), false},
      {"over 2^28 pixels", StretchDib(1 << 15, 1 << 14, 1, BI_RGB, 0, 0, 2), false},
      {"JPEG inside", StretchDib(2, 2, 0, BI_JPEG, 0, 8, 0), true},
  };
  for (const Case& c : cases) {
    auto doc = EmfDocument::Parse(Emf({c.record}));
    EXPECT_EQ(doc->SkippedRecords(), c.ok ? 0u : 1u) << c.name;
  }
  // RLE data whose declared size exceeds what the record carries.
  std::vector<uint8_t> lying = StretchDib(4, 4, 8, BI_RLE8, 0, 12, 256);
  const uint32_t big = 4000;
  for (int i = 0; i < 4; ++i) lying[8 + 80 + 20 - 8 + i] = uint8_t(big >> (8 * i));
  EXPECT_EQ(EmfDocument::Parse(Emf({lying}))->SkippedRecords(), 1u);
  // Offsets pointing out of the record.
  std::vector<uint8_t> outside = StretchDib(3, 2, 24, BI_RGB, 0, 24, 0);
  outside[56] = 0xF0;  // offBitsSrc
  EXPECT_EQ(EmfDocument::Parse(Emf({outside}))->SkippedRecords(), 1u);
  outside = StretchDib(3, 2, 24, BI_RGB, 0, 24, 0);
  outside[48] = 0xFC, outside[49] = 0xFF, outside[50] = 0xFF, outside[51] = 0xFF;  // offBmiSrc near 2^32
  EXPECT_EQ(EmfDocument::Parse(Emf({outside}))->SkippedRecords(), 1u);
}

TEST(EmfReader, EnumerationStopsWhenTheCallbackSaysSo) {
  const std::vector<uint8_t> file = Emf({Rec(EMR_SAVEDC, Bytes()), Rec(EMR_SAVEDC, Bytes())});
  HENHMETAFILE h = SetEnhMetaFileBits(UINT(file.size()), file.data());
  int seen = 0;
  auto proc = [](HDC, HANDLETABLE* table, const ENHMETARECORD*, int handles, void* data) {
    EXPECT_EQ(size_t(handles), table->objectHandle.size());
    return ++*static_cast<int*>(data) < 2 ? 1 : 0;
  };
  EXPECT_FALSE(EnumEnhMetaFile(nullptr, h, proc, &seen, nullptr));
  EXPECT_EQ(seen, 2);
  EXPECT_FALSE(EnumEnhMetaFile(nullptr, h, nullptr, &seen, nullptr));
  EXPECT_FALSE(EnumEnhMetaFile(nullptr, nullptr, proc, &seen, nullptr));
  DeleteEnhMetaFile(h);
}

TEST(CombineTransform, AppliesTheFirstOperandFirst) {
  const XFORM scale{2, 0, 0, 3, 0, 0}, move{1, 0, 0, 1, 10, 20};
  XFORM out;
  ASSERT_TRUE(CombineTransform(&out, &scale, &move));
  EXPECT_EQ(out, (XFORM{2, 0, 0, 3, 10, 20}));
  ASSERT_TRUE(CombineTransform(&out, &move, &scale));
  EXPECT_EQ(out, (XFORM{2, 0, 0, 3, 20, 60}));
  const XFORM rot{0, 1, -1, 0, 0, 0};
  ASSERT_TRUE(CombineTransform(&out, &rot, &rot));
  EXPECT_EQ(out, (XFORM{-1, 0, 0, -1, 0, 0}));
  EXPECT_FALSE(CombineTransform(nullptr, &rot, &rot));
}
