// PNG pictures that need decoding (alpha, interlacing, reduced 16-bit samples) keep their image
// data and make their samples when needed: stored as the whole decode stores them, drawn a band
// at a time onto a page without being made.
#include "pdf/content/image_import/png_samples.h"

#include <gtest/gtest.h>

#include "pdf/codecs/png/png_reader.h"
#include "pdf/core/filters/flate.h"
#include "tests/pdf/end_to_end/raster_compare.h"
#include "tests/pdf/image_support/api_page.h"
#include "tests/pdf/image_support/image_cases.h"
#include "tests/pdf/image_support/import_store.h"
#include "tests/pdf/image_support/png_build.h"
#include "tests/support/allocation_watch.h"

using imagetest::ImageSet;

namespace {

// Pictures whose samples the import cannot hand on as the file holds them.
bool NeedsDecoding(const imagetest::ImageCase& c, int mode = 0) {
  const int type = c.Int("colortype");
  return type == 4 || type == 6 || c.Int("interlace") == 1 || (c.Int("depth") == 16 && (mode == 3 || mode == 5));
}

TPDFStream* MaskOf(imagetest::ImportedImage& l, TPDFStream* image) {
  return image ? PDFCast<TPDFStream>(l.store->Resolve(image->Dictionary()->GetValue("SMask"))) : nullptr;
}

// The oracle's colour samples as the pixels a page shows (16 bits by their high byte, grey and
// palette samples of fewer bits by their level or entry).
testraster::Raster OraclePixels(const ImageSet& set, const imagetest::ImageCase& c) {
  const std::string samples = set.Read(c.name + ".colour");
  const int w = c.Int("width"), h = c.Int("height"), depth = c.Int("depth"), type = c.Int("colortype");
  const int colours = type == 2 || type == 6 ? 3 : 1;
  TMemoryStream file(set.Read(c.Get("file")));
  TPNGReader header;
  header.HeaderOnly = true;
  header.ReadChunks(file);
  testraster::Raster r;
  r.Width = w, r.Height = h;
  const size_t rowBytes = (size_t(w) * colours * depth + 7) / 8;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int k = 0; k < 3; ++k) {
        const int channel = colours == 3 ? k : 0;
        const size_t bit = (size_t(x) * colours + channel) * depth;
        const auto* row = reinterpret_cast<const uint8_t*>(samples.data()) + size_t(y) * rowBytes;
        int v = depth >= 8 ? row[bit / 8] : (row[bit / 8] >> (8 - depth - bit % 8)) & ((1 << depth) - 1);
        if (type == 3) {
          v = uint8_t(header.Palette[size_t(v) * 3 + size_t(k)]);
        } else if (depth < 8) {
          v = v * 255 / ((1 << depth) - 1);
        }
        r.RGB.push_back(uint8_t(v));
      }
  return r;
}

}  // namespace

// Every mode and both sample storages: a picture whose samples wait for a source holds its
// source until they are asked for, and then stores the very bytes the whole decode stores.
TEST(PNGSamples, StoredAsTheWholeDecodeStoresThem) {
  REQUIRE_IMAGE_TOOLS();
  const ImageSet& set = ImageSet::Get("png");
  ASSERT_TRUE(set.ok()) << set.error();
  int deferred = 0;
  for (const auto& c : set.Cases())
    for (int mode = 0; mode <= 7; ++mode)
      for (const int compression : {0, 1}) {
        SCOPED_TRACE(c.name + " mode " + std::to_string(mode) + " compression " + std::to_string(compression));
        imagetest::ImportedImage lazy = imagetest::ImportImage(set.Read(c.Get("file")), mode, compression, false);
        imagetest::ImportedImage whole = imagetest::ImportImage(set.Read(c.Get("file")), mode, compression, true);
        ASSERT_EQ(lazy.ok, whole.ok);
        if (!lazy.ok) continue;
        TPDFStream* image = lazy.Main();
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->PendingSource() != nullptr, NeedsDecoding(c, mode));
        deferred += image->PendingSource() != nullptr;
        EXPECT_EQ(lazy.image->SixteenBit, whole.image->SixteenBit);
        EXPECT_EQ(image->Dictionary()->GetValueText("BitsPerComponent"),
                  whole.Main()->Dictionary()->GetValueText("BitsPerComponent"));
        EXPECT_TRUE(image->Data() == whole.Main()->Data());
        EXPECT_EQ(image->Dictionary()->GetValueText("Length"), whole.Main()->Dictionary()->GetValueText("Length"));
        TPDFStream* mask = MaskOf(lazy, image);
        ASSERT_EQ(mask != nullptr, MaskOf(whole, whole.Main()) != nullptr);
        if (mask) { EXPECT_TRUE(mask->Data() == MaskOf(whole, whole.Main())->Data()); }
      }
  EXPECT_GT(deferred, 40);
}

// The program's road (the file through the API, the page rendered at 72 dpi): pictures that
// need decoding are drawn band by band from their source, which never makes the samples (one-bit
// grey pictures too), and the page shows the oracle's colour samples.
TEST(PNGSamples, PagesShowTheOraclesPixelsWithoutMakingTheSamples) {
  REQUIRE_IMAGE_TOOLS();
  const ImageSet& set = ImageSet::Get("png");
  ASSERT_TRUE(set.ok()) << set.error();
  for (const auto& c : set.Cases()) {
    SCOPED_TRACE(c.name);
    TOrvanePDFLibrary0915 api;
    ASSERT_TRUE(imagetest::PlaceFile(api, set.Path(c.Get("file")), 0));
    TMemoryStream bmp;
    ASSERT_EQ(api.RenderPage(72, 1, 0, bmp), 1) << api.RenderMessage();
    auto* image = PDFCast<TPDFStream>(api.CurrentImage()->Ref->Resolve());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->PendingSource() != nullptr, NeedsDecoding(c));
    const testraster::Raster page = testraster::ReadBmp(bmp.DataString());
    EXPECT_EQ(testraster::MaxDifference(page, testraster::ShiftedOnWhite(OraclePixels(set, c))), 0);
  }
}

// An interlaced 16-bit RGBA picture of 1024 x 768 through the program's road: nothing the size
// of its samples (6 bytes a pixel of colour, 8 inflated) is allocated, only the page.
TEST(PNGSamples, APageIsDrawnWithoutTheWholeDecode) {
  REQUIRE_ALLOCATION_WATCH();
  const uint32_t w = 1024, h = 768;
  const TPNGFormat format{w, h, 16, 6, true};
  std::string raw(size_t(TPNGRows::InflatedBytes(format)), '\0');
  for (size_t i = 0; i < raw.size(); ++i) raw[i] = char(i % 4099 % 251);
  const std::string png = pngtest::MakePNG({pngtest::Chunk("IHDR", pngtest::IHDR(w, h, 16, 6, 1)),
                                            pngtest::Chunk("IDAT", FlateCompressString(raw)),
                                            pngtest::Chunk("IEND", "")});
  TMemoryStream file(png);
  testsupport::AllocationWatch watch;
  TOrvanePDFLibrary0915 api;
  imagetest::SetUpLikeTheProgram(api);
  ASSERT_TRUE(imagetest::PlaceLoaded(api, api.LoadImageStream(file, 0)));
  TMemoryStream bmp;
  ASSERT_EQ(api.RenderPage(72, 1, 0, bmp), 1) << api.RenderMessage();
  EXPECT_LT(watch.Largest(), size_t(w) * h * 4);
  EXPECT_GE(bmp.Size(), int64_t(w) * h * 3);
}
