// Hostile image dictionaries and data: every case ends quietly, with the failure flag where
// nothing worth drawing comes out, and nothing is allocated beyond what the image may have.
#include <gtest/gtest.h>

#include <stdexcept>

#include "pdf/core/filters/flate.h"
#include "pdf/render/colour/color_manager.h"
#include "tests/pdf/codecs/image_decoder/image_test_util.h"
#include "tests/support/limited_child.h"

using namespace imgtest;

TEST(ImageHostile, SizesThatCannotBeDecoded) {
  const char* sizes[] = {
      "/Width 0 /Height 4",         "/Width 4 /Height 0",         "/Width -4 /Height 4", "/Width 2147483648 /Height 1",
      "/Width 65536 /Height 65536", "/Width 16385 /Height 16385", "/Height 4",           "/Width (4) /Height 4"};
  for (const char* size : sizes) {
    SCOPED_TRACE(size);
    TestStore t;
    auto d = Decode(t.Image(std::string("<< ") + size + " /BitsPerComponent 8 /ColorSpace /DeviceRGB >>", "abc"));
    EXPECT_TRUE(d->Failed);
    EXPECT_FALSE(d->Decoded);
  }
  // 2^28 pixels exactly would be allowed; one row more is not (no sample data: it fails
  // without allocating the picture either way).
  TestStore t;
  auto d = Decode(t.Image("<< /Width 16384 /Height 16385 /BitsPerComponent 1 /ColorSpace /DeviceGray >>", ""));
  EXPECT_TRUE(d->Failed);
}

// Samples deeper than any picture file brings, so many that their filters' ceiling could not
// hold them (sixteen 16-bit colourants at 8,193 x 8,192: 2 GiB and 256 KiB), are refused before
// they are inflated, never decoded cut at the ceiling.
TEST(ImageHostile, SamplesPastEveryCeilingOfImagesAreRefused) {
  std::string names;
  for (char c = 'a'; c < 'a' + 16; ++c) names += std::string(" /") + c;
  TestStore t;
  auto d = Decode(t.Image("<< /Width 8193 /Height 8192 /BitsPerComponent 16 /ColorSpace [ /DeviceN [" + names +
                              " ] /DeviceGray << /FunctionType 2 /Domain [ 0 1 ] /N 1 >> ] /Filter /FlateDecode >>",
                          FlateCompressString(std::string(4096, '\x7F'))));
  EXPECT_TRUE(d->Failed);
  EXPECT_FALSE(d->Decoded);
}

TEST(ImageHostile, DepthsThatAreNotSampleDepths) {
  for (const char* bits : {"3", "0", "5", "32", "-8", "6.5"}) {
    SCOPED_TRACE(bits);
    TestStore t;
    auto d =
        Decode(t.Image(std::string("<< /Width 4 /Height 4 /BitsPerComponent ") + bits + " /ColorSpace /DeviceGray >>",
                       std::string(64, '\x55')));
    EXPECT_TRUE(d->Failed);
  }
  // Indexed samples are at most 8 bits.
  TestStore t;
  auto d = Decode(
      t.Image("<< /Width 1 /Height 1 /BitsPerComponent 16 /ColorSpace [ /Indexed /DeviceRGB 0 <000000> ] >>", "\0\0"));
  EXPECT_TRUE(d->Failed);
}

TEST(ImageHostile, DecodeArraysOfTheWrongLengthAreIgnored) {
  const std::string raw("\x10\x20\x30\x40\x50\x60", 6);
  TestStore t;
  auto plain = Decode(t.Image("<< /Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceRGB >>", raw));
  const Pixels want = DecodedPixels(*plain);
  for (const char* decode : {"[ ]", "[ 1 0 ]", "[ 1 0 1 0 ]", "[ 1 0 1 0 1 ]", "[ /a /b /c /d /e /f ]", "5"}) {
    SCOPED_TRACE(decode);
    auto d = Decode(t.Image(
        std::string("<< /Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Decode ") + decode + " >>",
        raw));
    ASSERT_FALSE(d->Failed);
    EXPECT_EQ(DecodedPixels(*d).argb, want.argb);
  }
}

TEST(ImageHostile, IndexedLookupsAndHiVal) {
  struct {
    const char* space;
    bool fails;
  } cases[] = {
      {"[ /Indexed /DeviceRGB 255 <FF> ]", false},     // lookup far shorter than HiVal
      {"[ /Indexed /DeviceRGB -5 <FFFFFF> ]", false},  // every entry black
      {"[ /Indexed /DeviceRGB 100000 <FFFFFF> ]", false},
      {"[ /Indexed /DeviceRGB /x <FFFFFF> ]", false},
      {"[ /Indexed /DeviceRGB 1 ]", false},              // no lookup at all
      {"[ /Indexed /Pattern 1 <FFFFFF000000> ]", true},  // a base nothing can show
      {"[ /Indexed ]", true},
      {"[ /Indexed [ /Indexed [ /Indexed /DeviceRGB 0 <> ] 0 <> ] 0 <> ]", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.space);
    TestStore t;
    auto d = Decode(t.Image(std::string("<< /Width 4 /Height 2 /BitsPerComponent 8 /ColorSpace ") + c.space + " >>",
                            std::string("\0\1\2\3\xFF\xFE\x80\x7F", 8)));
    EXPECT_EQ(d->Failed, c.fails);
  }
}

TEST(ImageHostile, ReferenceCyclesEnd) {
  TestStore t;
  // A colour space that names itself as its Indexed base, a reference to a reference to
  // itself, and an image that is its own soft mask.
  t.Register(5, t.Parse("[ /Indexed 5 0 R 1 <000000FFFFFF> ]"));
  t.Register(6, t.Parse("6 0 R"));
  auto d = Decode(t.Image("<< /Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace 5 0 R >>", "\1"));
  EXPECT_TRUE(d->Failed);
  d = Decode(t.Image("<< /Width 6 0 R /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray >>", "\1"));
  EXPECT_TRUE(d->Failed);
  TPDFStream* self =
      t.Image("<< /Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray /SMask 7 0 R >>", "\x80");
  t.Register(7, self);
  d = Decode(self);
  EXPECT_FALSE(d->Failed);
  EXPECT_EQ(d->MaskKind, kMaskSoft);
}

TEST(ImageHostile, TruncatedAndDamagedData) {
  std::string raw;
  for (int i = 0; i < 64 * 64 * 3; ++i) raw += char(i * 7);
  const std::string flate = FlateCompressString(raw);
  for (size_t cut : {size_t(0), size_t(1), size_t(2), flate.size() / 3, flate.size() - 1}) {
    SCOPED_TRACE(cut);
    TestStore t;
    auto d =
        Decode(t.Image("<< /Width 64 /Height 64 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /FlateDecode >>",
                       flate.substr(0, cut)));
    // Nothing at all is a failure; part of the picture is still a picture.
    if (cut <= 2) {
      EXPECT_TRUE(d->Failed);
    } else {
      EXPECT_FALSE(d->Failed);
    }
  }
  for (const char* filter : {"/FlateDecode", "/LZWDecode", "/ASCII85Decode", "/ASCIIHexDecode", "/RunLengthDecode",
                             "/DCTDecode", "/CCITTFaxDecode", "[ /FlateDecode /DCTDecode ]"}) {
    SCOPED_TRACE(filter);
    TestStore t;
    auto d = Decode(t.Image(
        std::string("<< /Width 8 /Height 8 /BitsPerComponent 8 /ColorSpace /DeviceGray /Filter ") + filter + " >>",
        std::string("\x81\x00\xFF\xD8garbage\x00\x01~>", 15)));
    (void)d;  // no exception, no crash; the answer depends on the filter
  }
}

// 64 MiB of zeros in 64 KiB: the image needs 256 bytes of them, and no more than a megabyte
// or so is inflated. A child shows the decode's own peak of memory (the bomb's making held
// 64 MiB here).
TEST(ImageHostile, FlateBombIsCutAtTheImageSize) {
  const std::string bomb = FlateCompressString(std::string(size_t(64) << 20, '\0'));
  TestStore t;
  TPDFStream* image =
      t.Image("<< /Width 16 /Height 16 /BitsPerComponent 8 /ColorSpace /DeviceGray /Filter /FlateDecode >>", bomb);
  auto d = Decode(image);
  EXPECT_FALSE(d->Failed);
  EXPECT_EQ(DecodedPixels(*d).Rgb(15, 15), 0u);
  const testsupport::ChildEnd end = testsupport::RunLimited([&] {
    const long before = testsupport::PeakResidentKiB();
    const bool decoded = !Decode(image)->Failed;
    const long grownKiB = testsupport::PeakResidentKiB() - before;
    return !decoded ? 1 : grownKiB > 16 * 1024 ? 2 : 0;
  });
  EXPECT_TRUE(end.Normal()) << testsupport::Describe(end) << " (1: not decoded, 2: past 16 MiB more held)";
}

// Each run-length stage turns "81 81" into 64 times as many such bytes (2 GiB after six):
// stages before a codec are cut at what an image of this size can need, not at the 512 MB
// every stage could produce.
TEST(ImageHostile, StagesBeforeACodecAreCutAtWhatTheImageCanNeed) {
  TestStore t;
  auto d = Decode(t.Image("<< /Width 4 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray "
                          "/Filter [ /RL /RL /RL /RL /RL /RL /DCT ] >>",
                          std::string("\x81\x81\x80", 3)));
  EXPECT_TRUE(d->Failed);
  EXPECT_LE(d->Data.size(), size_t(16) << 20 | 64);
  // Every further stage named would decode another 16 MiB: all stages together produce at most
  // twice one stage's ceiling, so a long chain ends with nothing left for the codec.
  std::string chain;
  for (int i = 0; i < 24; ++i) chain += "/RL ";
  auto longChain = Decode(t.Image("<< /Width 4 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray "
                                  "/Filter [ " + chain + "/DCT ] >>",
                                  std::string("\x81\x81\x80", 3)));
  EXPECT_TRUE(longChain->Failed);
  EXPECT_TRUE(longChain->Data.empty());
}

TEST(ImageHostile, CCITTParametersOutOfRange) {
  for (const char* parms : {"/K -1 /Columns 0", "/K -1 /Columns -3", "/K -1 /Columns 1048577", "/K -1 /Columns 70000",
                            "/K (x) /Columns 8"}) {
    SCOPED_TRACE(parms);
    TestStore t;
    auto d = Decode(t.Image(std::string("<< /Width 8 /Height 70000 /BitsPerComponent 1 /ColorSpace /DeviceGray /Filter "
                                        "/CCITTFaxDecode /DecodeParms << ") +
                                parms + " >> >>",
                            std::string(16, '\0')));
    (void)d;
  }
}

TEST(ImageHostile, StencilsAndMasksOfOddShapes) {
  TestStore t;
  // An 8-bit stencil is thresholded; a mask whose own data are missing leaves no mask.
  auto d = Decode(t.Image("<< /Width 2 /Height 1 /ImageMask true /BitsPerComponent 8 >>", std::string("\x00\xFF", 2)));
  ASSERT_FALSE(d->Failed);
  EXPECT_EQ(DecodedPixels(*d).Rgb(0, 0), 0xFFFFFFu);
  EXPECT_EQ(DecodedPixels(*d).Rgb(1, 0), 0u);
  TPDFStream* emptyMask = t.Image("<< /Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray >>", "");
  TPDFStream* image = t.Image("<< /Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray >>", "\1\2");
  image->Dictionary()->SetValue("SMask", emptyMask);
  d = Decode(image);
  EXPECT_FALSE(d->Failed);
  EXPECT_EQ(d->MaskKind, kMaskNone);
  // A colour key of thousands of numbers, a key with names.
  std::string key = "[";
  for (int i = 0; i < 5000; ++i) key += " 1";
  d = Decode(
      t.Image("<< /Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray /Mask " + key + " ] >>", "\1\2"));
  EXPECT_FALSE(d->Failed);
  d = Decode(t.Image("<< /Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray /Mask [ /a /b ] >>", "\1\2"));
  EXPECT_FALSE(d->Failed);
}

TEST(ImageHostile, NoStreamOrNoDictionary) {
  TPDFImageDecoder d;
  d.SetImage(nullptr);
  EXPECT_TRUE(d.Failed);
  std::string bytes = "x";
  d.GetData(bytes);
  EXPECT_TRUE(bytes.empty());
  TPDFInlineImage inlineImage;
  TPDFImageDecoder e;
  e.SetInlineImage(inlineImage, nullptr);
  EXPECT_TRUE(e.Failed);
}

namespace {

// A colour manager that cannot convert: every conversion raises.
class TRaisingColorManager : public TPDFColorManager {
 public:
  void CMYKToRGB(double, double, double, double, double&, double&, double&) const override {
    throw std::runtime_error("no conversion");
  }
  COLORREF RGBToColor(double&, double&, double&) const override { throw std::runtime_error("no conversion"); }
  void LabToRGB(double&, double&, double&, double&, double&, double&) const override {
    throw std::runtime_error("no conversion");
  }
};

}  // namespace

// Whatever raises while one image is decoded ends that image only: the decoder reports it as
// failed, and the caller (a page render) goes on with the next one.
TEST(ImageHostile, AnExceptionWhileDecodingFailsThatImageOnly) {
  TRaisingColorManager manager;
  TestStore t;
  for (const std::string space : {"/DeviceCMYK", "[ /Indexed /DeviceCMYK 0 <00000000> ]"}) {
    SCOPED_TRACE(space);
    auto d = std::make_unique<TPDFImageDecoder>();
    d->SetColorManager(&manager);
    TPDFStream* image =
        t.Image("<< /Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace " + space + " >>", std::string(8, '\x40'));
    EXPECT_NO_THROW(d->SetImage(image));
    EXPECT_TRUE(d->Failed);
    EXPECT_FALSE(d->Decoded);
  }
}

// Handed no colour manager, the decoder converts with one of its own.
TEST(ImageHostile, NoColourManagerMeansTheDecodersOwn) {
  TestStore t;
  auto d = std::make_unique<TPDFImageDecoder>();
  d->SetColorManager(nullptr);
  ASSERT_NE(d->ColorManager, nullptr);
  EXPECT_TRUE(d->OwnsColorManager);
  d->SetImage(t.Image("<< /Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceCMYK >>", std::string(4, '\0')));
  ASSERT_FALSE(d->Failed);
  EXPECT_EQ(DecodedPixels(*d).Rgb(0, 0), 0xFFFFFFu);
}
