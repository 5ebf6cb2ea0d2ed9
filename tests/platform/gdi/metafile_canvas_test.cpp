// TMetafileCanvas and TMetafile's output: the recorded picture keeps the metafile's size,
// saves as an EMF or, not enhanced, as a placeable WMF that reads back at the same size.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/gdi/metafile.h"
#include "platform/gdi/metafile/wmf_translator.h"
#include "platform/gdi/metafile_canvas.h"
#include "platform/rtl/streams.h"

namespace {

std::string Saved(TMetafile& m) {
  TMemoryStream s;
  m.SaveToStream(s);
  s.SetPosition(0);
  return s.ReadToEnd();
}

void Record(TMetafile& m, HDC reference = nullptr) {
  TMetafileCanvas canvas(m, reference);
  canvas.Brush().SetColor(TColor(0x0000FF));
  canvas.FillRect(TRect{0, 0, m.Width() / 2, m.Height()});
}

TEST(MetafileCanvas, ThePictureKeepsTheMetafilesSizeInEitherFormat) {
  struct Case {
    int width, height;
    bool enhanced;
  };
  for (const Case c : {Case{123, 45, true}, Case{123, 45, false}, Case{612, 792, false}, Case{1, 1, true}}) {
    TMetafile m;
    m.SetSize(c.width, c.height);
    m.SetEnhanced(c.enhanced);
    Record(m);
    EXPECT_EQ(m.Width(), c.width);
    EXPECT_EQ(m.Height(), c.height);
    EXPECT_EQ(m.Enhanced(), c.enhanced);
    const std::string bytes = Saved(m);
    ASSERT_GE(bytes.size(), 44u);
    const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    PlaceableWmfHeader header;
    EXPECT_EQ(ReadPlaceableWmfHeader(data, header), !c.enhanced);
    if (!c.enhanced) {
      EXPECT_TRUE(header.checksumOk);
      EXPECT_EQ(header.inch, 96);
      EXPECT_EQ(header.right - header.left, c.width);
    } else {
      EXPECT_EQ(std::memcmp(bytes.data() + 40, " EMF", 4), 0);
    }
    TMemoryStream again;
    again.WriteString(bytes);
    again.SetPosition(0);
    TMetafile loaded;
    loaded.LoadFromStream(again);
    EXPECT_EQ(loaded.Width(), c.width);
    EXPECT_EQ(loaded.Height(), c.height);
    EXPECT_EQ(loaded.Enhanced(), c.enhanced);
  }
}

TEST(MetafileCanvas, AWindowsMetafileWiderThanItsCoordinatesReachIsScaledDown) {
  TMetafile m;
  m.SetSize(40000, 300);
  m.SetEnhanced(false);
  Record(m);
  const std::string bytes = Saved(m);
  const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  PlaceableWmfHeader header;
  ASSERT_TRUE(ReadPlaceableWmfHeader(data, header));
  EXPECT_LE(header.right, 32767);
  TMemoryStream again;
  again.WriteString(bytes);
  again.SetPosition(0);
  TMetafile loaded;
  loaded.LoadFromStream(again);
  EXPECT_NEAR(loaded.Width(), 40000, 40000 / 96 + 1);
}

TEST(MetafileCanvas, MillimetreSizesWinOverPixels) {
  TMetafile m;
  m.SetSize(10, 10);
  m.SetMMWidth(2540);  // one inch: 96 pixels
  m.SetMMHeight(1270);
  Record(m);
  EXPECT_EQ(m.Width(), 96);
  EXPECT_EQ(m.Height(), 48);
}

}  // namespace
