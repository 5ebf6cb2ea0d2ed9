// The converter's ceilings: work that numbers in the file merely state (far transforms, huge
// shapes, bitmaps that run-length coding makes large) stays within what the picture can show,
// and a file that spends the whole work budget fails its import instead of passing for whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf/content/image_import/pdf_image.h"
#include "pdf/content/metafile/pdf_metafile.h"
#include "pdf/core/objects/pdf_objects.h"
#include "platform/gdi/metafile.h"
#include "tests/pdf/content/metafile/metafile_test_support.h"

namespace {

using namespace mftest;

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

Record HatchBrush(uint32_t index, uint32_t hatch) {
  return Rec(39, Bytes().U32(index).U32(2).U32(0x0000FF).U32(hatch));
}

Record WorldTransform(float m11, float m22, float dx, float dy) {
  return Rec(35, Bytes().F32(m11).F32(0).F32(0).F32(m22).F32(dx).F32(dy));
}

// An 8-bit run-length bitmap of w x h pixels whose data ends at once (all pixels index 0).
std::vector<uint8_t> EmptyRunLengthDib(int w, int h, uint32_t& infoSize) {
  Bytes info;
  info.U32(40).I32(w).I32(h).U16(1).U16(8).U32(1).U32(2).U32(0).U32(0).U32(1).U32(0).U32(0x00FF00);
  infoSize = uint32_t(info.b.size());
  info.U16(0x0100).U16(0);  // end of bitmap, then padding to whole words
  return info.b;
}

// STRETCHDIBITS of one source pixel of that bitmap onto a 10 x 10 square.
Record StretchOnePixel(int w, int h) {
  uint32_t infoSize = 0;
  const std::vector<uint8_t> dib = EmptyRunLengthDib(w, h, infoSize);
  Bytes p;
  p.Rect(0, 0, 0, 0).I32(5).I32(5).I32(0).I32(0).I32(1).I32(1);
  p.U32(80).U32(infoSize).U32(80 + infoSize).U32(uint32_t(dib.size() - infoSize));
  p.U32(0).U32(0xCC0020).I32(10).I32(10).Raw(dib);
  return Rec(81, p);
}

TEST(MetafileBudget, HatchesCoverOnlyWhatThePictureCanShow) {
  struct Case {
    const char* name;
    std::vector<Record> records;
  };
  const int32_t big = INT32_MAX, small = INT32_MIN;
  const std::vector<Case> cases = {
      // An offset of 2^55 made line numbers too large to count by one.
      {"far world offset", {WorldTransform(1, 1, 3.6e16f, 3.6e16f), HatchBrush(1, 5), Select(1), Rectangle(5, 5, 90, 60)}},
      {"far offset, shape reaching back", {WorldTransform(1, 1, 3.6e16f, 0), HatchBrush(1, 4), Select(1),
                                           Rectangle(small, small, big, big)}},
      {"huge scale", {WorldTransform(1e30f, 1e30f, 0, 0), HatchBrush(1, 2), Select(1), Rectangle(-5, -5, 5, 5)}},
      {"every style over the whole range", [&] {
         std::vector<Record> r;
         for (uint32_t h = 0; h < 6; ++h) {
           r.push_back(HatchBrush(h + 1, h));
           r.push_back(Select(h + 1));
           r.push_back(Rectangle(small, small, big, big));
         }
         return r;
       }()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Converter conv;
    const std::string content = conv.Convert(c.records, 96, 72);
    EXPECT_FALSE(conv.converter->Stopped);
    // A few thousand lines at most per fill, and stencils no larger than the picture's margins.
    EXPECT_LT(Count(content, " l\n"), 6 * 4100u);
    for (const auto& image : conv.lists->images)
      EXPECT_LE(int64_t(image->Width) * image->Height, (2 * 96 + 4) * (2 * 72 + 4));
  }
}

TEST(MetafileBudget, HugeHatchedFillStillHatchesThePicture) {
  // Red horizontal hatch lines 8 pixels apart across the whole picture, wherever the shape ends.
  const int32_t big = INT32_MAX, small = INT32_MIN;
  const auto raster = Draw({HatchBrush(1, 0), Select(1), Rec(38, Bytes().U32(2).U32(5).I32(0).I32(0).U32(0)),
                            Select(2), Rectangle(small, small, big, big)},
                           96, 72);
  int redRows = 0;
  for (int y = 0; y < 72; ++y) redRows += CountColor(raster, 0, y, 96, y + 1, 0xFF0000) > 80;
  EXPECT_GE(redRows, 72 / 8 - 1);
  EXPECT_LE(redRows, 72 / 8 + 1);
}

TEST(MetafileBudget, RunLengthBitmapsSpendTheWorkBudget) {
  // Each record's bitmap is a million pixels made of two bytes.
  const int side = 1024;
  const int64_t perRecord = int64_t(side) * side;
  const int within = int(TPDFMetafile::kMaxWork / perRecord) - 1;
  for (const int records : {within, within + 3}) {
    SCOPED_TRACE(records);
    std::vector<Record> list(size_t(records), StretchOnePixel(side, side));
    Converter conv;
    conv.Convert(list, 96, 72);
    EXPECT_EQ(conv.converter->Stopped, records > within);
    if (records <= within) {
      EXPECT_EQ(conv.lists->images.size(), size_t(records));
    }
  }
}

TEST(MetafileBudget, AConversionCutShortFailsTheImport) {
  const int side = 1024;
  const int records = int(TPDFMetafile::kMaxWork / (int64_t(side) * side)) + 2;
  std::string file;
  const Record header = Header(96, 72), rec = StretchOnePixel(side, side), eof = Rec(14, Bytes().U32(0).U32(16).U32(20));
  file.append(header.begin(), header.end());
  for (int i = 0; i < records; ++i) file.append(rec.begin(), rec.end());
  file.append(eof.begin(), eof.end());
  TPDFStructure store;
  int next = 1;
  store.OnMakeIndirect = [&next](TPDFObject*, int& num, int& gen) { num = next++, gen = 0; };
  TMemoryStream stream(file);
  TPDFImage image(&store, "TalvoPDFIm00000001");
  EXPECT_FALSE(image.LoadFromStream(stream, 0));
  // The same file without the flood loads.
  std::string small;
  small.append(header.begin(), header.end());
  small.append(rec.begin(), rec.end());
  small.append(eof.begin(), eof.end());
  TMemoryStream smallStream(small);
  TPDFImage whole(&store, "TalvoPDFIm00000002");
  EXPECT_TRUE(whole.LoadFromStream(smallStream, 0));
}

}  // namespace
