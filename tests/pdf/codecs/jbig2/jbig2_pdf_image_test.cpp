// JBIG2 images in PDF: image XObjects with /JBIG2Decode (with and without JBIG2Globals)
// through the image decoder, and a page drawing one rendered by us and by poppler.
#include <gtest/gtest.h>

#include "tests/pdf/codecs/image_decoder/image_test_util.h"
#include "tests/pdf/codecs/jbig2/jbig2_text_encoder.h"
#include "tests/pdf/render/support/render_test_pdf.h"

using namespace jbig2_test;

namespace {

struct Embedded {
  std::string Globals, Page;
  Bitmap Picture;
};

// A page of text-like symbols from a dictionary in the globals, as PDF producers write it.
Embedded TextImage(int w, int h) {
  std::vector<Bitmap> symbols;
  for (int i = 0; i < 6; ++i) symbols.push_back(TextLike(4 + i, 7 + i / 2, uint32_t(i + 1)));
  std::vector<TextInstance> instances;
  for (int i = 0; i < 30; ++i) {
    TextInstance in;
    in.Id = uint32_t(i % 6);
    in.X = (i * 11) % (w - 8);
    in.Y = (i * 7) % (h - 10);
    instances.push_back(in);
  }
  Embedded e;
  StreamBuilder g;
  g.Add(0, SymbolDictionaryData({}, symbols, DictionaryOptions{}), {}, 0);
  e.Globals = g.Bytes;
  StreamBuilder p;
  p.Next = 1;
  p.Add(48, PageInfo(uint32_t(w), uint32_t(h)));
  p.Add(6, TextRegionData(uint32_t(w), uint32_t(h), 0, 0, 0, symbols, instances, TextOptions{}), {0});
  p.Add(49, "");
  e.Page = p.Bytes;
  e.Picture = DrawInstances(uint32_t(w), uint32_t(h), symbols, instances, TextOptions{});
  return e;
}

}  // namespace

TEST(JBIG2Image, DecodesWithGlobalsIntoGreyAndInvertedGrey) {
  const Embedded e = TextImage(40, 30);
  for (const std::string decode : {"", " /Decode [1 0]"}) {
    imgtest::TestStore t;
    TPDFStream* globals = t.Stream("<< >>", e.Globals);
    t.Register(7, globals);
    auto d = imgtest::Decode(t.Image("<< /Width 40 /Height 30 /BitsPerComponent 1 /ColorSpace /DeviceGray "
                                     "/Filter /JBIG2Decode /DecodeParms << /JBIG2Globals 7 0 R >>" + decode + " >>",
                                     e.Page));
    ASSERT_FALSE(d->Failed) << decode;
    const imgtest::Pixels px = imgtest::DecodedPixels(*d);
    ASSERT_EQ(px.width, 40);
    ASSERT_EQ(px.height, 30);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) {
        // A black JBIG2 pixel is a 0 sample: black in DeviceGray, white through [1 0].
        const bool dark = e.Picture.Get(x, y) != !decode.empty();
        ASSERT_EQ(px.Rgb(x, y), dark ? 0x000000u : 0xFFFFFFu) << x << "," << y << decode;
      }
  }
}

TEST(JBIG2Image, MissingGlobalsOrBrokenDataFail) {
  const Embedded e = TextImage(40, 30);
  imgtest::TestStore t;
  // Without its dictionary the text region has no symbols: a white page, still decoded.
  auto d = imgtest::Decode(t.Image(
      "<< /Width 40 /Height 30 /BitsPerComponent 1 /ColorSpace /DeviceGray /Filter /JBIG2Decode >>", e.Page));
  ASSERT_FALSE(d->Failed);
  // No page information: nothing decoded.
  auto broken = imgtest::Decode(t.Image(
      "<< /Width 40 /Height 30 /BitsPerComponent 1 /ColorSpace /DeviceGray /Filter /JBIG2Decode >>", "junk data"));
  EXPECT_TRUE(broken->Failed);
  EXPECT_FALSE(broken->Decoded);
}

TEST(JBIG2Image, StencilMaskBecomesTwoColourPNGWithEntriesExchanged) {
  const Embedded e = TextImage(24, 20);
  imgtest::TestStore t;
  t.Register(7, t.Stream("<< >>", e.Globals));
  // Asked to keep bitmaps: a stencil is its PNG data alone all the same.
  auto d = imgtest::Decode(t.Image("<< /Width 24 /Height 20 /ImageMask true /Filter /JBIG2Decode "
                                   "/DecodeParms << /JBIG2Globals 7 0 R >> >>",
                                   e.Page),
                           true);
  ASSERT_FALSE(d->Failed);
  ASSERT_NE(d->DataStream, nullptr);
  EXPECT_EQ(d->DataFormat, kDataNone);  // only pass-through data announce a format
  EXPECT_EQ(d->Bitmap, nullptr);
  const imgtest::Pixels px = imgtest::DecodedPixels(*d);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 24; ++x) ASSERT_EQ(px.Rgb(x, y), e.Picture.Get(x, y) ? 0xFFFFFFu : 0x000000u);
}

TEST(JBIG2Image, PageRendersLikePoppler) {
  REQUIRE_TOOL("pdftocairo");
  const Embedded e = TextImage(60, 40);
  rendertest::TestPdf pdf;
  const int image = pdf.AddStream(
      "<< /Type /XObject /Subtype /Image /Width 60 /Height 40 /BitsPerComponent 1 /ColorSpace /DeviceGray "
      "/Filter /JBIG2Decode /DecodeParms << /JBIG2Globals 2 0 R >> >>",
      e.Page);
  const int globals = pdf.AddStream("<< >>", e.Globals);
  ASSERT_EQ(image, 1);
  ASSERT_EQ(globals, 2);
  const int page = pdf.AddPage("q 60 0 0 40 0 0 cm /Im1 Do Q", "<< /XObject << /Im1 1 0 R >> >>", "[0 0 60 40]");
  std::string error;
  const auto ours = rendertest::RenderOurs(pdf, page, &error);
  // poppler's cairo back end copies images at whole pixels (Splash resamples them).
  const auto theirs = rendertest::RenderPopplerCairo(pdf);
  if (theirs.Width == 0) GTEST_SKIP() << "needs pdftocairo and Pillow";
  EXPECT_EQ(error, "");
  ASSERT_EQ(ours.Width, 60);
  ASSERT_EQ(ours.Height, 40);
  EXPECT_EQ(rendertest::CountDifferent(ours, theirs, 2), 0);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x)
      ASSERT_EQ(rendertest::PixelAt(ours, x, y), e.Picture.Get(x, y) ? 0x000000u : 0xFFFFFFu) << x << "," << y;
}
