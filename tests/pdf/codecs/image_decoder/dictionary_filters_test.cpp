// Reading the image dictionary: filters and their parameters, references and decryption
// hooks, masks (SMask, Mask streams, colour-key arrays), image masks.
#include <gtest/gtest.h>

#include "pdf/core/filters/ascii85.h"
#include "pdf/core/filters/flate.h"
#include "tests/pdf/codecs/ccitt/ccitt_test_util.h"
#include "tests/pdf/codecs/image_decoder/image_test_util.h"

using namespace imgtest;

namespace {

// 4 x 3 RGB samples.
std::string RgbSamples() {
  std::string s;
  for (int i = 0; i < 12; ++i) {
    s += char(i * 20);
    s += char(255 - i * 20);
    s += char(i * 7);
  }
  return s;
}

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string h;
  for (unsigned char c : bytes) {
    h += digits[c >> 4];
    h += digits[c & 15];
  }
  return h + ">";
}

// PNG "Up" predictor rows (filter byte 2), then Flate.
std::string UpPredicted(const std::string& raw, size_t rowBytes) {
  std::string out;
  for (size_t r = 0; r * rowBytes < raw.size(); ++r) {
    out += '\2';
    for (size_t i = 0; i < rowBytes; ++i) {
      const uint8_t above = r ? uint8_t(raw[(r - 1) * rowBytes + i]) : 0;
      out += char(uint8_t(raw[r * rowBytes + i]) - above);
    }
  }
  return FlateCompressString(out);
}

// Run-length coding of the data as literal runs of up to 128 bytes.
std::string RunLength(const std::string& raw) {
  std::string out;
  for (size_t i = 0; i < raw.size(); i += 128) {
    const size_t n = std::min<size_t>(128, raw.size() - i);
    out += char(n - 1);
    out += raw.substr(i, n);
  }
  return out + char(128);
}

void ExpectRgbSamples(TPDFImageDecoder& d) {
  ASSERT_FALSE(d.Failed);
  const Pixels p = DecodedPixels(d);
  ASSERT_EQ(p.width, 4);
  ASSERT_EQ(p.height, 3);
  for (int i = 0; i < 12; ++i)
    ASSERT_EQ(p.Rgb(i % 4, i / 4), Rgb(uint32_t(i * 20) & 0xFF, uint32_t(255 - i * 20) & 0xFF, uint32_t(i * 7))) << i;
}

const std::string kRgbDict = "/Width 4 /Height 3 /BitsPerComponent 8 /ColorSpace /DeviceRGB";

}  // namespace

TEST(ImageFilters, ChainsAndAbbreviations) {
  const std::string raw = RgbSamples();
  struct {
    const char* name;
    std::string filter, data;
    bool fails = false;
  } cases[] = {
      {"none", "", raw},
      {"Flate", "/Filter /FlateDecode", FlateCompressString(raw)},
      {"Fl in an array", "/Filter [ /Fl ]", FlateCompressString(raw)},
      {"Flate with the Up predictor", "/Filter /FlateDecode /DecodeParms << /Predictor 12 /Colors 3 /Columns 4 >>",
       UpPredicted(raw, 12)},
      {"predictor parameters in an array",
       "/Filter [ /FlateDecode ] /DecodeParms [ << /Predictor 12 /Colors 3 /Columns 4 >> ]", UpPredicted(raw, 12)},
      {"RunLength", "/Filter /RunLengthDecode", RunLength(raw)},
      {"RL", "/Filter /RL", RunLength(raw)},
      {"ASCIIHex then Flate", "/Filter [ /AHx /Fl ]", Hex(FlateCompressString(raw))},
      {"ASCII85 then RunLength", "/Filter [ /A85 /RunLengthDecode ]", ASCII85EncodeString(RunLength(raw))},
      {"parameters shorter than the filters", "/Filter [ /ASCIIHexDecode /FlateDecode ] /DecodeParms [ null ]",
       Hex(FlateCompressString(raw))},
      // The security handler has decrypted the data before the chain runs.
      {"Crypt before Flate", "/Filter [ /Crypt /FlateDecode ]", FlateCompressString(raw)},
      // A filter that cannot be decoded leaves no samples: the image is not drawn from bytes
      // still encoded, wherever the filter stands in the chain and whatever else names it.
      {"an unknown filter", "/Filter [ /NoSuchDecode /FlateDecode ]", FlateCompressString(raw), true},
      {"an unknown filter last", "/Filter [ /FlateDecode /NoSuchDecode ]", FlateCompressString(raw), true},
      {"an unknown filter alone", "/Filter /NoSuchDecode", raw, true},
      {"a filter that is no name", "/Filter [ /FlateDecode 5 ]", FlateCompressString(raw), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestStore t;
    auto d = Decode(t.Image("<< " + kRgbDict + " " + c.filter + " >>", c.data));
    if (c.fails) EXPECT_TRUE(d->Failed);
    else ExpectRgbSamples(*d);
  }
}

TEST(ImageFilters, FilterAndParametersThroughReferences) {
  TestStore t;
  t.Register(3, t.Parse("/FlateDecode"));
  t.Register(4, t.Parse("<< /Predictor 12 /Colors 3 /Columns 4 >>"));
  t.Register(5, t.Parse("4"));
  auto d =
      Decode(t.Image("<< /Width 5 0 R /Height 3 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter 3 0 R "
                     "/DecodeParms 4 0 R >>",
                     UpPredicted(RgbSamples(), 12)));
  EXPECT_EQ(d->Width, 4);
  ExpectRgbSamples(*d);
}

TEST(ImageFilters, DictionaryTextsAsTheObjectWriterWritesThem) {
  TestStore t;
  auto d = Decode(t.Image("<< " + kRgbDict +
                              " /Decode [ 1 0.5 1 0 1 0 ] /Filter /FlateDecode "
                              "/DecodeParms << /Columns 4 >> >>",
                          FlateCompressString(RgbSamples())),
                  true);
  EXPECT_EQ(d->Filter, "/FlateDecode");
  EXPECT_EQ(d->DecodeParms.substr(0, 2), "[ ");
  EXPECT_NE(d->DecodeParms.find("/Columns 4"), std::string::npos);
  // After unpacking, Decode describes the bitmap.
  EXPECT_EQ(d->Decode, "[ 0 1 0 1 0 1 ]");
  EXPECT_EQ(d->BitsPerComponent, 8);
}

TEST(ImageMasks, SoftMaskIsDecodedByASecondDecoder) {
  TestStore t;
  TPDFStream* smask = t.Image("<< /Width 4 /Height 3 /BitsPerComponent 8 /ColorSpace /DeviceGray >>",
                              std::string("\x00\x10\x20\x30\x40\x50\x60\x70\x80\x90\xA0\xB0", 12));
  t.Register(8, smask);
  int before = 0, after = 0;
  auto d = std::make_unique<TPDFImageDecoder>();
  d->OnBeforeDecode = [&](TPDFStream& s, TPDFObject* ref) {
    EXPECT_EQ(&s, smask);
    EXPECT_NE(PDFCast<TPDFIndRef>(ref), nullptr);
    ++before;
  };
  d->OnAfterDecode = [&](TPDFStream&, TPDFObject*) { ++after; };
  d->SetImage(t.Image("<< " + kRgbDict + " /SMask 8 0 R /Mask [ 0 255 0 255 0 255 ] >>", RgbSamples()));
  ASSERT_FALSE(d->Failed);
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 1);
  // The soft mask wins; /Mask is not read.
  EXPECT_EQ(d->MaskKind, kMaskSoft);
  EXPECT_TRUE(d->ColorKey.empty());
  ASSERT_NE(d->MaskBitmap, nullptr);
  EXPECT_EQ(d->MaskDecode, "[ 0 1 ]");
  const Pixels m = BitmapPixels(*d->MaskBitmap);
  EXPECT_EQ(m.Rgb(1, 0), 0x101010u);
  EXPECT_EQ(m.Rgb(3, 2), 0xB0B0B0u);
  // With a mask the picture stays a bitmap until it is drawn.
  EXPECT_EQ(d->DataStream, nullptr);
  ASSERT_NE(d->Bitmap, nullptr);
}

TEST(ImageMasks, MaskStreamIsAStencilOfTheImage) {
  TestStore t;
  for (const std::string decode : {"", " /Decode [ 1 0 ]"}) {
    SCOPED_TRACE(decode);
    TPDFStream* mask =
        t.Image("<< /Width 4 /Height 3 /ImageMask true" + decode + " >>", std::string("\x50\xA0\xF0", 3));
    auto d = Decode(t.Image("<< " + kRgbDict + " /Mask " + mask->ToString().substr(0, 0) + "[ ] >>", RgbSamples()));
    // Direct stream value.
    TPDFStream* image = t.Image("<< " + kRgbDict + " >>", RgbSamples());
    image->Dictionary()->SetValue("Mask", mask);
    d = Decode(image);
    ASSERT_FALSE(d->Failed);
    EXPECT_EQ(d->MaskKind, kMaskBitmap);
    ASSERT_NE(d->MaskBitmap, nullptr);
    // The mask decoder showed set samples black (masked out) under the default Decode.
    EXPECT_EQ(d->MaskDecode, "[ 0 1 ]");
    const Pixels m = BitmapPixels(*d->MaskBitmap);
    const uint32_t rows[3] = {0x5, 0xA, 0xF};
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) {
        const bool set = (rows[y] >> (3 - x)) & 1;
        const bool masked = decode.empty() ? set : !set;
        EXPECT_EQ(m.Rgb(x, y), masked ? 0u : 0xFFFFFFu) << x << "," << y;
      }
  }
}

// A soft mask that cannot be decoded (a colour space no mask can have) is left out: the /Mask
// entry is read as if there were no soft mask, and without one the image is drawn opaque.
TEST(ImageMasks, ASoftMaskThatCannotBeDecodedIsLeftOut) {
  TestStore t;
  TPDFStream* broken = t.Image("<< /Width 4 /Height 3 /BitsPerComponent 8 /ColorSpace /Pattern >>", std::string(12, 'x'));
  TPDFStream* image = t.Image("<< " + kRgbDict + " /Mask [ 0 255 0 255 0 255 ] >>", RgbSamples());
  image->Dictionary()->SetValue("SMask", broken);
  auto d = Decode(image);
  ASSERT_FALSE(d->Failed);
  EXPECT_EQ(d->MaskKind, kMaskBitmap);  // the colour key, every pixel inside it
  ASSERT_NE(d->MaskBitmap, nullptr);
  EXPECT_EQ(BitmapPixels(*d->MaskBitmap).Rgb(2, 1), 0u);
  TPDFStream* alone = t.Image("<< " + kRgbDict + " >>", RgbSamples());
  alone->Dictionary()->SetValue("SMask", broken);
  d = Decode(alone);
  ASSERT_FALSE(d->Failed);
  EXPECT_EQ(d->MaskKind, kMaskNone);
  EXPECT_EQ(d->MaskBitmap, nullptr);
}

// A /Mask stream reached through a reference is decoded between the caller's hooks, as the
// image and its soft mask are: in an encrypted document they decrypt it.
TEST(ImageMasks, AMaskStreamIsDecodedBetweenTheHooks) {
  TestStore t;
  const std::string plain("\x50\xA0\xF0", 3);
  std::string cipher = plain;
  for (char& c : cipher) c = char(c ^ 0x5A);
  TPDFStream* mask = t.Image("<< /Width 4 /Height 3 /ImageMask true >>", cipher);
  t.Register(8, mask);
  int calls = 0;
  auto d = std::make_unique<TPDFImageDecoder>();
  auto flip = [&](TPDFStream& s, TPDFObject* ref) {
    if (&s != mask || PDFCast<TPDFIndRef>(ref) == nullptr) return;
    std::string data = s.Data();
    for (char& c : data) c = char(c ^ 0x5A);
    s.SetData(data);
    ++calls;
  };
  d->OnBeforeDecode = flip;
  d->OnAfterDecode = flip;
  d->SetImage(t.Image("<< " + kRgbDict + " /Mask 8 0 R >>", RgbSamples()));
  ASSERT_FALSE(d->Failed);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(mask->Data(), cipher);
  ASSERT_EQ(d->MaskKind, kMaskBitmap);
  const Pixels m = BitmapPixels(*d->MaskBitmap);
  const uint32_t rows[3] = {0x5, 0xA, 0xF};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(m.Rgb(x, y), (rows[y] >> (3 - x)) & 1 ? 0u : 0xFFFFFFu) << x << "," << y;
}

TEST(ImageMasks, ColourKeyArraysBecomeMaskBitmaps) {
  struct {
    const char* name;
    std::string dict, data, key;
    std::vector<bool> masked;
  } cases[] = {
      {"indexed",
       "/Width 8 /Height 1 /BitsPerComponent 8 /ColorSpace [ /Indexed /DeviceGray 7 <0010203040506070> ]",
       std::string("\0\1\2\3\4\5\6\7", 8),
       "[ 2 5 ]",
       {0, 0, 1, 1, 1, 1, 0, 0}},
      {"rgb",
       "/Width 3 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceRGB",
       std::string("\x05\x05\x05\x05\x0B\x05\xFF\xFF\xFF", 9),
       "[ 0 10 0 10 0 10 ]",
       {1, 0, 0}},
      {"grey 4 bits, key in sample units",
       "/Width 4 /Height 1 /BitsPerComponent 4 /ColorSpace /DeviceGray",
       "\x0F\xE1",
       "[ 14 15 ]",
       {0, 1, 1, 0}},
      {"grey 16 bits compares whole samples",
       "/Width 2 /Height 1 /BitsPerComponent 16 /ColorSpace /DeviceGray",
       std::string("\x01\x00\x01\x01", 4),
       "[ 257 300 ]",
       {0, 1}},
      {"cmyk",
       "/Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceCMYK",
       std::string("\0\0\0\0\0\0\0\xFF", 8),
       "[ 0 0 0 0 0 0 0 0 ]",
       {1, 0}},
      {"decode does not move the key",
       "/Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray /Decode [ 1 0 ]",
       std::string("\x00\xFF", 2),
       "[ 0 0 ]",
       {1, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestStore t;
    auto d = Decode(t.Image("<< " + c.dict + " /Mask " + c.key + " >>", c.data));
    ASSERT_FALSE(d->Failed);
    EXPECT_EQ(d->MaskKind, kMaskBitmap);
    ASSERT_NE(d->MaskBitmap, nullptr);
    const Pixels m = BitmapPixels(*d->MaskBitmap);
    for (size_t x = 0; x < c.masked.size(); ++x) EXPECT_EQ(m.Rgb(int(x), 0), c.masked[x] ? 0u : 0xFFFFFFu) << x;
  }
  // A key with too few numbers for the space is no mask.
  TestStore t;
  auto d = Decode(t.Image("<< " + kRgbDict + " /Mask [ 0 10 ] >>", RgbSamples()));
  EXPECT_FALSE(d->Failed);
  EXPECT_EQ(d->MaskKind, kMaskNone);
  EXPECT_EQ(d->MaskBitmap, nullptr);
}

TEST(ImageMasks, ImageMaskIsAStencil) {
  TestStore t;
  // Without /BitsPerComponent one bit per sample.
  auto d = Decode(t.Image("<< /Width 4 /Height 1 /ImageMask true >>", "\x50"));
  ASSERT_FALSE(d->Failed);
  EXPECT_EQ(d->BitsPerComponent, 1);
  EXPECT_EQ(d->MaskKind, kMaskStencil);
  EXPECT_EQ(d->ImageMask, 1);
  ASSERT_NE(d->DataStream, nullptr);
  EXPECT_EQ(d->Bitmap, nullptr);
  // A two-colour PNG: 0 samples (painted) are index 1, white.
  const Pixels p = DecodedPixels(*d);
  EXPECT_EQ(p.Rgb(0, 0), 0xFFFFFFu);
  EXPECT_EQ(p.Rgb(1, 0), 0x000000u);
  EXPECT_EQ(p.Rgb(2, 0), 0xFFFFFFu);
  EXPECT_EQ(p.Rgb(3, 0), 0x000000u);
  // A stencil is its PNG data alone, also for a caller that keeps the bitmaps of images.
  EXPECT_EQ(Decode(t.Image("<< /Width 4 /Height 1 /ImageMask true >>", "\x50"), true)->Bitmap, nullptr);
  d = Decode(t.Image("<< /Width 4 /Height 1 /ImageMask true /Decode [ 1 0 ] >>", "\x50"));
  const Pixels q = DecodedPixels(*d);
  EXPECT_EQ(q.Rgb(0, 0), 0x000000u);
  EXPECT_EQ(q.Rgb(1, 0), 0xFFFFFFu);
}

TEST(ImageFilters, LZWDataWrittenByLibtiff) {
  REQUIRE_TOOL("convert");
  REQUIRE_TOOL("tiffcp");
  testsupport::TempDir dir;
  // A grey picture as PGM, LZW-coded into a one-strip TIFF by ImageMagick (libtiff).
  std::string pgm = "P5\n13 7\n255\n";
  for (int i = 0; i < 13 * 7; ++i) pgm += char((i * 37) % 251);
  testsupport::WriteFile(dir.File("in.pgm"), pgm);
  ASSERT_EQ(testsupport::Run("convert " + dir.File("in.pgm") + " -compress none " + dir.File("plain.tif")), 0);
  for (const std::string predictor : {"", ":2"}) {
    SCOPED_TRACE(predictor);
    ASSERT_EQ(
        testsupport::Run("tiffcp -c lzw" + predictor + " -r 64 " + dir.File("plain.tif") + " " + dir.File("out.tif")),
        0);
    ccitt_test::TTiffStrip strip;
    ASSERT_TRUE(ccitt_test::ReadTiffStrip(testsupport::ReadFile(dir.File("out.tif")), strip));
    TestStore t;
    const std::string parms = predictor.empty() ? "" : " /DecodeParms << /Predictor 2 /Columns 13 >>";
    auto d = Decode(
        t.Image("<< /Width 13 /Height 7 /BitsPerComponent 8 /ColorSpace /DeviceGray /Filter /LZWDecode" + parms + " >>",
                strip.Data));
    ASSERT_FALSE(d->Failed);
    const Pixels p = DecodedPixels(*d);
    for (int i = 0; i < 13 * 7; ++i) {
      const uint32_t v = uint32_t((i * 37) % 251);
      ASSERT_EQ(p.Rgb(i % 13, i / 13), Rgb(v, v, v)) << i;
    }
  }
}
