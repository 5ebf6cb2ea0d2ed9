// Images whose samples still wait for their deflate: decoded, they give exactly the pixels of
// the same image deflated at once; where inflating is all the filter chain does, the decode
// reads the samples in place and leaves the deflate pending.
#include <gtest/gtest.h>

#include "pdf/core/filters/flate.h"
#include "tests/pdf/codecs/image_decoder/image_test_util.h"

using namespace imgtest;

namespace {

struct Case {
  const char* name;
  std::string dictionary;  // without Filter unless the case names one
  size_t samples;          // bytes of samples made (rows may be short or long)
  bool staysPending;       // the render reads the samples where they lie
};

std::string Bytes(size_t n, uint32_t seed) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) {
    seed = seed * 1664525 + 1013904223;
    s[i] = char(seed >> 24);
  }
  return s;
}

void ExpectSamePixels(const Pixels& a, const Pixels& b) {
  ASSERT_EQ(a.width, b.width);
  ASSERT_EQ(a.height, b.height);
  ASSERT_EQ(a.argb, b.argb);
}

}  // namespace

TEST(PendingDeflate, DecodesAsTheDeflatedImage) {
  const std::string rgb = "/Width 9 /Height 4 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /FlateDecode";
  const Case cases[] = {
      {"RGB", rgb, 9 * 3 * 4, true},
      {"RGB, rows missing (read as ones)", rgb, 9 * 3 * 2 + 5, true},
      {"RGB, bytes past the last row", rgb, 9 * 3 * 4 + 40, true},
      {"RGB with Decode", rgb + " /Decode [ 1 0 0 1 0.5 1 ]", 9 * 3 * 4, true},
      {"grey", "/Width 9 /Height 4 /BitsPerComponent 8 /ColorSpace /DeviceGray /Filter /FlateDecode", 36, true},
      {"4-bit Indexed", "/Width 9 /Height 4 /BitsPerComponent 4 /ColorSpace [ /Indexed /DeviceRGB 1 <FF000000FF00> ] "
       "/Filter /FlateDecode", 20, true},
      {"one-bit grey", "/Width 9 /Height 4 /BitsPerComponent 1 /ColorSpace /DeviceGray /Filter /FlateDecode", 8, true},
      {"stencil", "/Width 9 /Height 4 /ImageMask true /Filter /FlateDecode", 8, true},
      {"a predictor needs the inflated data", rgb + " /DecodeParms << /Predictor 12 /Colors 3 /Columns 9 >>", 112,
       false},
      {"two stages", "/Width 9 /Height 4 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter [ /FlateDecode /FlateDecode ]",
       108, false},
      {"no filter named: the stored bytes are the samples",
       "/Width 9 /Height 4 /BitsPerComponent 8 /ColorSpace /DeviceRGB", 108, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string samples = Bytes(c.samples, 7);
    TestStore t;
    TPDFStream* eager = t.Image("<< " + c.dictionary + " >>", FlateCompressString(samples));
    TPDFStream* pending = t.Image("<< " + c.dictionary + " >>", "");
    pending->TakeDataToDeflate(std::string(samples));
    auto expected = Decode(eager, true);
    auto got = Decode(pending, true);
    EXPECT_EQ(got->Failed, expected->Failed);
    EXPECT_EQ(got->Decoded, expected->Decoded);
    EXPECT_EQ(pending->PendingDeflate() != nullptr, c.staysPending);
    if (!expected->Failed) ExpectSamePixels(DecodedPixels(*got), DecodedPixels(*expected));
    // Whatever the decode did, the stored bytes are those of the immediate deflate.
    EXPECT_EQ(pending->Data(), eager->Data());
  }
}

TEST(PendingDeflate, TheDrawingRoadLeavesTheDeflatePending) {
  TestStore t;
  const std::string samples = Bytes(64 * 48 * 3, 3);
  TPDFStream* image =
      t.Image("<< /Width 64 /Height 48 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /FlateDecode >>", "");
  image->TakeDataToDeflate(std::string(samples));
  auto d = std::make_unique<TPDFImageDecoder>();
  d->DrawOnly = true;
  d->SetImage(image);
  ASSERT_TRUE(d->Decoded);
  ASSERT_NE(image->PendingDeflate(), nullptr);
  const Pixels p = BitmapPixels(*d->Bitmap);
  ASSERT_EQ(p.width, 64);
  for (int i : {0, 1, 64 * 47 + 63}) {
    const auto* s = reinterpret_cast<const uint8_t*>(samples.data()) + 3 * i;
    EXPECT_EQ(p.Rgb(i % 64, i / 64), Rgb(s[0], s[1], s[2])) << i;
  }
}
