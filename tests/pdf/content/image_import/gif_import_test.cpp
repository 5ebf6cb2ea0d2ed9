// GIF files imported as image XObjects: the samples are giftopnm's pixels whether the picture
// goes straight into the samples or, when the source copy is kept, through a bitmap.
#include <gtest/gtest.h>

#include "pdf/content/image_import/pdf_image.h"
#include "tests/pdf/image_support/import_store.h"
#include "tests/pdf/image_support/raster_sets.h"
#include "tests/pdf/image_support/tiff_build.h"

using imagetest::IndirectStore;
using rastertest::RasterSet;

namespace {

struct Imported {
  std::unique_ptr<IndirectStore> store = std::make_unique<IndirectStore>();
  std::unique_ptr<TPDFImage> image;
  bool ok = false;
  TPDFStream* Stream() const { return image->Ref ? PDFCast<TPDFStream>(store->Resolve(image->Ref)) : nullptr; }
};

Imported Import(const std::string& bytes, bool keepSource, int32_t compression) {
  Imported i;
  i.image = std::make_unique<TPDFImage>(&i.store->store, "TalvoPDFImGIF");
  i.image->KeepSource = keepSource;
  i.image->Compression = compression;
  TMemoryStream s(bytes);
  i.ok = i.image->LoadFromStream(s, 0);
  return i;
}

TEST(GIFImport, SamplesAreGiftopnmsPixelsEitherWay) {
  REQUIRE_RASTER_TOOLS();
  const RasterSet& set = RasterSet::Get("gif");
  ASSERT_TRUE(set.ok()) << set.error();
  for (const auto& c : set.Cases()) {
    const std::string expected = set.Read(c.name + ".rgb");
    for (const bool keep : {false, true}) {
      // 0 and 1 compress; any other setting stores the samples as they are.
      for (const int32_t compression : {0, 1, 2}) {
        SCOPED_TRACE(c.name + (keep ? " kept" : " not kept") + " compression " + std::to_string(compression));
        const Imported i = Import(set.Read(c.Get("file")), keep, compression);
        ASSERT_TRUE(i.ok);
        EXPECT_EQ(i.image->Kind, 2);
        EXPECT_EQ(i.image->Compression, compression);
        EXPECT_EQ(i.image->Width, c.Int("width"));
        EXPECT_EQ(i.image->Height, c.Int("height"));
        EXPECT_EQ(i.image->SourceData.substr(0, 2), keep ? "BM" : "");
        const TPDFDictionary* d = i.image->Dict;
        EXPECT_EQ(d->GetValueText("ColorSpace"), "DeviceRGB");
        EXPECT_EQ(d->GetInteger("BitsPerComponent", 0), 8);
        EXPECT_EQ(d->GetValueText("Filter"), compression == 2 ? "" : "FlateDecode");
        EXPECT_EQ(i.Stream()->PendingDeflate() != nullptr, compression != 2);
        EXPECT_EQ(tifftest::FirstDifference(imagetest::ImageRGB(*i.Stream()), expected, c.Int("width")), "");
      }
    }
  }
}

}  // namespace
