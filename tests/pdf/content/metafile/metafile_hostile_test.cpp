// Hostile metafiles on the whole road: imported as a form (the converter fills it), then the
// page rendered through the API as the application does. Records whose sizes or counts lie,
// missing EOF, huge extents and frames, overflowing WMF object tables, floods of saves, clips
// and drawing: no crash, no hang, content of bounded size with balanced q and Q and finite
// numbers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf/content/image_import/pdf_image.h"
#include "pdf/content/metafile/pdf_metafile.h"
#include "pdf/core/api/talvo_pdf.h"
#include "pdf/core/filters/flate.h"
#include "pdf/core/objects/pdf_objects.h"
#include "platform/rtl/strings.h"
#include "tests/pdf/content/metafile/metafile_test_support.h"
#include "tests/pdf/image_support/import_store.h"
#include "tests/support/limited_child.h"
#include "tests/support/test_support.h"

namespace {

using namespace mftest;

// An EMF of the 96 x 72 picture of Header() with the records, and EOF unless told otherwise.
std::string Emf(const std::vector<Record>& records, bool eof = true) { return EmfFile(records, 96, 72, eof); }

// A placeable WMF of 96 x 72 units at 96 an inch with an object table of `objects` entries.
std::string Wmf(const std::vector<WmfRecord>& records, uint16_t objects, bool eof = true) {
  return WmfFile(records, 96, 72, 96, objects, eof);
}

struct Imported {
  bool Loaded = false;
  std::string Content;
};

// The file through the import with options 0; the form's content, inflated.
Imported Import(const std::string& file) {
  const imagetest::ImportedImage imported = imagetest::ImportImage(file, 0, 0, false);
  Imported out;
  out.Loaded = imported.ok;
  if (!out.Loaded) return out;
  if (TPDFStream* form = imported.Main()) FlateDecompressBuffer(form->Data(), out.Content);
  return out;
}

// The content's q and Q balance and never close more than they opened.
bool Balanced(const std::string& content) {
  long depth = 0;
  for (size_t at = 0; at < content.size();) {
    size_t end = content.find('\n', at);
    if (end == std::string::npos) end = content.size();
    const std::string line = content.substr(at, end - at);
    if (line == "q") ++depth;
    if (line == "Q" && --depth < 0) return false;
    at = end + 1;
  }
  return depth == 0;
}

// The page the application makes of the file, rendered at 72 dpi (true when it rendered).
bool RenderPage(const std::string& file) {
  testsupport::TempDir dir;
  const std::string path = dir.File("picture");
  testsupport::WriteFile(path, file);
  TOrvanePDFLibrary0915 api;
  api.GDIPlusSettings.LibraryPath = Utf8ToWide(testsupport::BinaryDir() + "/libvelmora-gdiplus.so");
  api.SetCoordinateOrigin(1);
  api.SetUnits(0);
  const int32_t handle = api.LoadImageFile(FileNameToWide(path), 0);
  if (handle == 0 || api.SetCurrentImage(handle) != 1) return false;
  const int w = api.CurrentImageWidth(), h = api.CurrentImageHeight();
  if (api.SetPageSize(w, h) != 1 || api.PlaceImage(1, 1, w, h) != 1 || api.SetCurrentPage(1) != 1) return false;
  TMemoryStream bmp;
  return api.RenderPage(72, 1, 0, bmp) == 1;
}

uint16_t U(int v) { return uint16_t(int16_t(v)); }

TEST(MetafileHostile, LyingAndFloodingFilesEndQuicklyWithBoundedContent) {
  const int32_t big = INT32_MAX, small = INT32_MIN;
  const Record red = SolidBrush(1, 0x0000FF), pick = Select(1), rect = Rectangle(10, 10, 50, 40);
  struct Case {
    const char* name;
    std::string file;
  };
  std::vector<Case> cases = {
      {"record size beyond the file", Emf({red, pick, Rec(43, Bytes().Rect(1, 1, 9, 9), 4000), rect})},
      {"record size not a multiple of four", Emf({red, pick, Rec(43, Bytes().Rect(1, 1, 9, 9), 26), rect})},
      {"record size below eight", Emf({red, pick, Rec(43, Bytes().Rect(1, 1, 9, 9), 4), rect})},
      {"point count beyond the record", Emf({red, pick, Rec(3, Bytes().Rect(0, 0, 0, 0).U32(0x7FFFFFFF).Pt(1, 1))})},
      {"poly-polygon counts that lie",
       Emf({red, pick, Rec(8, Bytes().Rect(0, 0, 0, 0).U32(0x40000000).U32(3).U32(3).Pt(1, 1).Pt(9, 1).Pt(5, 9))})},
      {"gradient counts that lie",
       Emf({Rec(118, Bytes().Rect(0, 0, 0, 0).U32(0x10000000).U32(0x10000000).U32(2).I32(0).I32(0).U32(0).U32(0))})},
      {"region count that lies",
       Emf({red, Rec(71, Bytes().Rect(0, 0, 0, 0).U32(48).U32(1).U32(32).U32(1).U32(0x7FFFFFFF).U32(16).Rect(0, 0, 0, 0)
                               .Rect(5, 5, 20, 20))})},
      {"style entries that lie", Emf({Rec(95, Bytes().U32(2).U32(0).U32(0).U32(0).U32(0).U32(0x10007).U32(3).U32(0)
                                                 .U32(0).U32(0).U32(0xFFFFFFFF).U32(4)),
                                      Select(2), Rec(54, Bytes().Pt(90, 70))})},
      {"bitmap header that lies",
       Emf({Rec(81, Bytes().Rect(0, 0, 0, 0).I32(0).I32(0).I32(0).I32(0).I32(30000).I32(30000).U32(80).U32(40).U32(120)
                        .U32(16).U32(0).U32(0xCC0020).I32(90).I32(70).U32(40).I32(30000).I32(30000).U16(1).U16(24)
                        .U32(0).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0))})},
      {"text counts that lie",
       Emf({Rec(84, Bytes().Rect(0, 0, 0, 0).U32(1).F32(1).F32(1).Pt(5, 5).U32(0x7FFFFFFF).U32(76).U32(2)
                        .Rect(0, 0, 50, 50).U32(0))})},
      {"no EOF", Emf({red, pick, rect}, false)},
      {"cut inside a record", Emf({red, pick, rect}).substr(0, 108 + 24 + 12 + 10)},
      {"huge logical coordinates", Emf({red, pick, Rectangle(small, small, big, big), Rec(42, Bytes().Rect(small, small, big, big)),
                                        Rec(47, Bytes().Rect(small, small, big, big).Pt(big, 0).Pt(0, big))})},
      {"huge extents",
       Emf({Rec(17, Bytes().U32(8)), Rec(9, Bytes().I32(1).I32(1)), Rec(11, Bytes().I32(big).I32(big)), red, pick,
            rect, Rec(42, Bytes().Rect(0, 0, 5, 5)), Rec(32, Bytes().I32(big).I32(1).I32(big).I32(1))})},
      {"huge world transform", Emf({Rec(35, Bytes().F32(3e38f).F32(0).F32(0).F32(3e38f).F32(3e38f).F32(0)), red, pick,
                                    rect, Rec(45, Bytes().Rect(0, 0, 50, 50).Pt(50, 0).Pt(0, 50))})},
      {"huge pen", Emf({Rec(38, Bytes().U32(3).U32(1).I32(big).I32(0).U32(0)), Select(3), rect})},
      {"saves and clips without end", [&] {
         std::vector<Record> r;
         for (int i = 0; i < 5000; ++i) {
           r.push_back(Rec(33));
           r.push_back(Rec(30, Bytes().Rect(i % 50, 0, 96, 72)));
         }
         r.push_back(rect);
         r.push_back(Rec(34, Bytes().I32(-100000)));
         return Emf(r);
       }()},
      {"restores without saves", Emf({Rec(34, Bytes().I32(-7)), Rec(34, Bytes().I32(small)), Rec(34, Bytes().I32(big)), rect})},
      {"a flood of drawing", [&] {
         std::vector<Record> r = {red, pick};
         Bytes grad;
         grad.Rect(0, 0, 0, 0).U32(3).U32(4000).U32(2);
         for (int v = 0; v < 3; ++v) grad.I32(v * 40).I32(v == 1 ? 70 : 0).U16(uint16_t(v * 0x5000)).U16(0xFF00).U16(0).U16(0);
         for (int e = 0; e < 4000; ++e) grad.U32(0).U32(1).U32(2);
         for (int i = 0; i < 40; ++i) r.push_back(Rec(118, grad));
         return Emf(r);
       }()},
  };
  // WMF object tables that overflow, and objects out of range.
  std::vector<WmfRecord> many;
  for (int i = 0; i < 3000; ++i) many.push_back({0x02FC, {0, uint16_t(i), 0, 0}});  // CREATEBRUSHINDIRECT
  for (uint16_t i : {0, 7, 8, 2999, 65535}) {
    many.push_back({0x012D, {i}});  // SELECTOBJECT
    many.push_back({0x041B, {60, 80, 10, 10}});
    many.push_back({0x01F0, {i}});  // DELETEOBJECT
  }
  cases.push_back({"WMF object table overflow", Wmf(many, 8)});
  cases.push_back({"WMF without an object table", Wmf({{0x02FC, {0, 0xFF, 0, 0}}, {0x012D, {0}}, {0x041B, {60, 80, 10, 10}}}, 0)});
  cases.push_back({"WMF counts that lie", Wmf({{0x0324, {30000, 1, 1}}, {0x0538, {2, 30000, 30000, 1, 1}},
                                                {0x0324, {U(-5), 1, 1}}, {0x0A32, {1, 1, 999, 6}}}, 8)});
  cases.push_back({"WMF huge extents", Wmf({{0x020C, {1, 1}}, {0x020E, {32767, 32767}}, {0x0412, {1, 32767, 1, 32767}},
                                             {0x0418, {U(-32768), U(-32768), 32767, 32767}}}, 8)});
  cases.push_back({"WMF without EOF", Wmf({{0x041B, {60, 80, 10, 10}}}, 8, false)});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Imported imported = Import(c.file);
    if (imported.Loaded) {
      EXPECT_LE(imported.Content.size(), TPDFMetafile::kMaxContentBytes + (1 << 20));
      EXPECT_TRUE(Balanced(imported.Content));
      EXPECT_EQ(imported.Content.find("nan"), std::string::npos);
      EXPECT_EQ(imported.Content.find("inf"), std::string::npos);
      EXPECT_TRUE(RenderPage(c.file));
    }
  }
}

// A picture whose frame is kilometres wide still converts, but the page of its size is
// refused quickly rather than drawn at gigapixels.
TEST(MetafileHostile, HugeFramesDoNotMakeHugePages) {
  Record header = Header(96, 72);
  // Frame right and bottom (hundredths of a millimetre): about 1.7 km.
  for (int i = 0; i < 4; ++i) header[32 + i] = uint8_t(0x7FFFFFF0u >> (8 * i)), header[36 + i] = header[32 + i];
  std::string file(header.begin(), header.end());
  const Record rect = Rectangle(10, 10, 50, 40), eof = Rec(14, Bytes().U32(0).U32(16).U32(20));
  file.append(rect.begin(), rect.end());
  file.append(eof.begin(), eof.end());
  const Imported imported = Import(file);
  if (imported.Loaded) { EXPECT_TRUE(Balanced(imported.Content)); }
  EXPECT_TRUE(imported.Loaded);
  EXPECT_FALSE(RenderPage(file));
}

// Files that once ran away: a far world offset under a hatched brush (past 20 GB and five
// minutes in batch mode), and a finely dashed line reaching far off the picture. Imported and
// rendered through the API in a child under a 1 GiB address-space ceiling and an alarm, each
// ends normally.
TEST(MetafileHostile, RunawayFilesEndNormallyWithinLimits) {
  for (const char* name : {"regress-emf-runaway.emf", "regress-dashed-far-line.emf"}) {
    SCOPED_TRACE(name);
    const std::string file =
        testsupport::ReadFile(testsupport::SourceDir() + "/fuzz/corpus/metafile_converter/" + name);
    ASSERT_FALSE(file.empty());
    const testsupport::ChildEnd end = testsupport::RunLimited(
        [&file] {
          RenderPage(file);
          return 0;
        },
        {1ull << 30, 30});
    EXPECT_TRUE(end.Normal()) << testsupport::Describe(end);
  }
}

}  // namespace
