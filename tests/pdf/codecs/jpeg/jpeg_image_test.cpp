#include "pdf/codecs/jpeg/pdf_jpeg_image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <sstream>
#include <stdexcept>

#include "pdf/render/colour/color_manager.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/graphics_errors.h"
#include "tests/pdf/image_support/image_cases.h"
#include "tests/support/test_support.h"

using imagetest::ImageSet;

namespace {

std::string RGBOf(TBitmap& b) {
  TBitmap copy;
  copy.Assign(b);
  copy.SetPixelFormat(pf24bit);
  std::string s;
  for (int y = 0; y < copy.Height(); ++y) {
    const uint8_t* row = copy.ScanLine(y);
    for (int x = 0; x < copy.Width(); ++x) {
      s += char(row[3 * x + 2]);
      s += char(row[3 * x + 1]);
      s += char(row[3 * x]);
    }
  }
  return s;
}

int MaxDifference(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return 1000;
  int worst = 0;
  for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(int(uint8_t(a[i])) - int(uint8_t(b[i]))));
  return worst;
}

double MeanDifference(const std::string& a, const std::string& b) {
  if (a.size() != b.size() || a.empty()) return 1000;
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += std::abs(int(uint8_t(a[i])) - int(uint8_t(b[i])));
  return sum / double(a.size());
}

std::unique_ptr<TPDFJPEGImage> Load(const std::string& bytes) {
  auto image = std::make_unique<TPDFJPEGImage>();
  TMemoryStream s(bytes);
  image->LoadFromStream(s);
  return image;
}

TEST(JPEGImage, DecodesLikePillow) {
  REQUIRE_IMAGE_TOOLS();
  const ImageSet& set = ImageSet::Get("jpeg");
  ASSERT_TRUE(set.ok()) << set.error();
  for (const char* name : {"baseline", "progressive", "sub444", "grey", "nojfif_exif"}) {
    SCOPED_TRACE(name);
    const auto& c = set.Case(name);
    auto image = Load(set.Read(c.Get("file")));
    // The size comes from the header before anything is decoded.
    EXPECT_EQ(image->Width(), c.Int("width"));
    EXPECT_EQ(image->Height(), c.Int("height"));
    EXPECT_EQ(image->ProgressiveEncoding, std::string(name) == "progressive");
    EXPECT_EQ(image->Image->Grayscale, c.Get("mode") == "L");
    TBitmap* b = image->Decode();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->PixelFormat(), c.Get("mode") == "L" ? pf8bit : pf24bit);
    EXPECT_LE(MaxDifference(RGBOf(*b), set.Read(name + std::string(".rgb"))), 2);
  }
}

// CMYK data goes through the colour manager: by default read as Adobe stores it (inverted),
// after DecodeRawCMYK as plain CMYK. The oracle applies the polynomial in Python.
TEST(JPEGImage, CMYKThroughTheColourManager) {
  REQUIRE_IMAGE_TOOLS();
  const ImageSet& set = ImageSet::Get("jpeg");
  ASSERT_TRUE(set.ok()) << set.error();
  auto image = Load(set.Read("cmyk.jpg"));
  TBitmap* b = image->Decode();
  EXPECT_EQ(b->PixelFormat(), pf24bit);
  EXPECT_LE(MaxDifference(RGBOf(*b), set.Read("cmyk.rgbpoly")), 2);
  image->DecodeRawCMYK();
  EXPECT_TRUE(image->RawCMYK);
  EXPECT_LE(MaxDifference(RGBOf(*image->Decode()), set.Read("cmyk.rgbpoly_raw")), 2);
  // A caller's manager replaces the own one and is not freed with the image.
  TPDFSimpleColorManager naive;
  naive.PolynomialCMYK = 0;
  auto second = Load(set.Read("cmyk.jpg"));
  second->SetColorManager(&naive);
  EXPECT_TRUE(second->ExternalColorManager);
  const std::string ink = set.Read("cmyk.cmyk");
  const std::string rgb = RGBOf(*second->Decode());
  ASSERT_EQ(rgb.size() / 3, ink.size() / 4);
  int worst = 0;
  for (size_t i = 0; i < rgb.size() / 3; ++i) {
    const double k = uint8_t(ink[4 * i + 3]) / 255.0;
    for (int ch = 0; ch < 3; ++ch) {
      const double v = uint8_t(ink[4 * i + size_t(ch)]) / 255.0;
      const int expected = int(std::lround((1 - std::min(1.0, v * (1 - k) + k)) * 255));
      worst = std::max(worst, std::abs(expected - int(uint8_t(rgb[3 * i + size_t(ch)]))));
    }
  }
  EXPECT_LE(worst, 2);
}

std::unique_ptr<TBitmap> Gradient(int w, int h) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = b->ScanLine(y);
    for (int x = 0; x < w; ++x) {
      row[3 * x] = uint8_t(x * 255 / (w - 1));
      row[3 * x + 1] = uint8_t(y * 255 / (h - 1));
      row[3 * x + 2] = uint8_t((x + y) * 2);
    }
  }
  return b;
}

TEST(JPEGImage, CompressesABitmapThatPillowReads) {
  if (imagetest::PilPython().empty()) GTEST_SKIP() << "needs PIL";
  auto bitmap = Gradient(40, 30);
  for (bool grey : {false, true}) {
    TPDFJPEGImage image;
    AssignGraphic(image, *bitmap);
    image.Grayscale = grey;
    if (grey) image.Resolution = 300;
    TMemoryStream out;
    image.SaveToStream(out);
    testsupport::TempDir tmp;
    testsupport::WriteFile(tmp.File("x.jpg"), out.DataString());
    const std::string py = imagetest::RunPython(
        "im = Image.open(sys.argv[1]); print(im.mode, im.size[0], im.size[1], im.info.get('jfif_unit'), "
        "im.info.get('jfif_density')); print(im.convert('RGB').tobytes().hex())",
        {tmp.File("x.jpg")});
    std::istringstream in(py);
    std::string mode, unit, density, hex;
    int w = 0, h = 0;
    in >> mode >> w >> h >> unit;
    std::getline(in, density);
    in >> hex;
    EXPECT_EQ(mode, grey ? "L" : "RGB");
    EXPECT_EQ(w, 40);
    EXPECT_EQ(h, 30);
    EXPECT_EQ(unit, "1");
    EXPECT_EQ(density, grey ? " (300, 300)" : " (96, 96)");
    std::string pixels;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) pixels += char(std::stoi(hex.substr(i, 2), nullptr, 16));
    if (!grey) { EXPECT_LT(MeanDifference(pixels, RGBOf(*bitmap)), 3.0); }
    EXPECT_EQ(image.Image->Width, 40);
    EXPECT_EQ(image.Image->Grayscale, grey);
  }
}

TEST(JPEGImage, DataRecordAndEmptyImages) {
  TPDFJPEGImage empty;
  TMemoryStream out;
  empty.WriteData(out);
  EXPECT_EQ(out.DataString(), std::string(4, '\0'));
  EXPECT_TRUE(empty.Empty());
  EXPECT_EQ(empty.Width(), 0);
  TBitmap* b = empty.Decode();
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(b->Empty());

  auto bitmap = Gradient(16, 8);
  TPDFJPEGImage image;
  image.Assign(*bitmap);
  image.Compress();
  TMemoryStream record;
  image.WriteData(record);
  record.SetPosition(0);
  TPDFJPEGImage back;
  back.ReadData(record);
  EXPECT_TRUE(back.Equals(image));
  EXPECT_EQ(back.Width(), 16);
  EXPECT_EQ(back.Height(), 8);
  back.SetWidth(3);
  back.SetHeight(3);
  EXPECT_EQ(back.Width(), 16);
  // Sharing: an assigned image holds the same data.
  TPDFJPEGImage shared;
  shared.Assign(back);
  EXPECT_EQ(shared.Image, back.Image);
  EXPECT_FALSE(shared.Equals(*bitmap));
  // The scaled size comes from the header at the chosen scale (rounded up).
  TPDFJPEGImage scaled;
  scaled.Assign(back);
  scaled.Scale = 2;
  EXPECT_EQ(scaled.Width(), 4);
  EXPECT_EQ(scaled.Height(), 2);
  EXPECT_EQ(scaled.Decode()->Width(), 4);
  // A decoded image answers with the bitmap; a bitmap target takes a copy.
  TBitmap target;
  back.AssignTo(target);
  EXPECT_EQ(target.Width(), 16);
  TMemoryStream bmp;
  back.SaveBitmapToStream(bmp);
  EXPECT_EQ(bmp.DataString().substr(0, 2), "BM");
}

TEST(JPEGImage, ProgressIsRaisedAndItsExceptionsReachTheCaller) {
  auto bitmap = Gradient(64, 64);
  TPDFJPEGImage image;
  image.Assign(*bitmap);
  std::vector<int> seen;
  image.OnProgress = [&](TPDFJPEGImage&, int percent) { seen.push_back(percent); };
  image.Compress();
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen.front(), 0);
  EXPECT_EQ(seen.back(), 100);
  TMemoryStream data;
  image.SaveToStream(data);
  auto loaded = Load(data.DataString());
  loaded->OnProgress = [](TPDFJPEGImage&, int) { throw std::runtime_error("stop"); };
  EXPECT_THROW(loaded->Decode(), std::runtime_error);
}

// Damaged and hostile data: no libjpeg error escapes, no crash, no huge allocation.
TEST(JPEGImage, HostileData) {
  auto bitmap = Gradient(64, 48);
  TPDFJPEGImage source;
  source.Assign(*bitmap);
  TMemoryStream out;
  source.SaveToStream(out);
  const std::string good = out.DataString();
  // Truncated anywhere.
  for (size_t cut = 0; cut < good.size(); cut += 7) {
    auto image = Load(good.substr(0, cut));
    TBitmap* b = image->Decode();
    ASSERT_NE(b, nullptr);
    if (!b->Empty()) {
      EXPECT_EQ(b->Width(), 64);
      EXPECT_EQ(b->Height(), 48);
    }
  }
  // Bytes changed anywhere.
  std::mt19937 rng(11);
  for (int i = 0; i < 300; ++i) {
    std::string bad = good;
    for (int k = 0; k < 4; ++k) bad[rng() % bad.size()] = char(rng());
    auto image = Load(bad);
    image->Decode();
  }
  // A header claiming 65000 x 60000 pixels over a few bytes of data is refused.
  std::string huge = good;
  const size_t sof = huge.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  huge[sof + 5] = char(0xFD), huge[sof + 6] = char(0xE8);  // height 65000
  huge[sof + 7] = char(0xEA), huge[sof + 8] = char(0x60);  // width 60000
  auto image = Load(huge);
  EXPECT_EQ(image->Width(), 60000);
  EXPECT_TRUE(image->Decode()->Empty());
  EXPECT_TRUE(Load("not a jpeg at all")->Decode()->Empty());
}

}  // namespace

namespace {

TEST(JPEGImage, ClipboardFormatGoesThroughABitmap) {
  auto bitmap = Gradient(40, 30);
  TPDFJPEGImage source;
  AssignGraphic(source, *bitmap);
  TMemoryStream jpeg;
  source.SaveToStream(jpeg);
  auto loaded = Load(jpeg.DataString());

  // Saving decodes: the handle holds the decoded picture.
  UINT format = 0;
  HANDLE data = nullptr;
  HPALETTE palette = nullptr;
  loaded->SaveToClipboardFormat(format, data, palette);
  EXPECT_EQ(format, CF_BITMAP);
  EXPECT_EQ(palette, nullptr);
  TBitmap fromClipboard;
  fromClipboard.LoadFromClipboardFormat(format, data, palette);
  EXPECT_EQ(RGBOf(fromClipboard), RGBOf(*loaded->Decode()));

  // Loading takes the bitmap and compresses it when asked for JPEG bytes.
  TPDFJPEGImage target;
  target.LoadFromClipboardFormat(format, data, palette);
  EXPECT_EQ(target.Width(), 40);
  TMemoryStream again;
  target.SaveToStream(again);
  ASSERT_GT(again.Size(), 2);
  EXPECT_EQ(uint8_t(again.DataString()[0]), 0xFF);
  EXPECT_LT(MeanDifference(RGBOf(*Load(again.DataString())->Decode()), RGBOf(*bitmap)), 3.0);
  EXPECT_TRUE(DeleteObject(data));
  EXPECT_THROW(target.LoadFromClipboardFormat(8, nullptr, nullptr), EInvalidGraphic);
}

// Asked to, bands give a grey picture as rows of blue = green = red, each its level as djpeg
// decodes it (not quantised as the whole decode's palette is); otherwise a grey picture gives no
// band. Colour pictures come out alike either way.
TEST(JPEGImage, GreyPicturesInBandsAsColourRows) {
  REQUIRE_TOOL("djpeg");
  testsupport::TempDir dir;
  auto bitmap = Gradient(61, 50);
  for (const bool grey : {true, false}) {
    SCOPED_TRACE(grey ? "grey" : "colour");
    TPDFJPEGImage source;
    source.Grayscale = grey;
    source.Assign(*bitmap);
    TMemoryStream data;
    source.SaveToStream(data);
    testsupport::WriteFile(dir.File("p.jpg"), data.DataString());
    std::string pnm;
    ASSERT_EQ(testsupport::Run("djpeg -pnm '" + dir.File("p.jpg") + "'", &pnm), 0);
    const std::string header = std::string(grey ? "P5" : "P6") + "\n61 50\n255\n";
    ASSERT_EQ(pnm.substr(0, header.size()), header);
    const std::string samples = pnm.substr(header.size());
    ASSERT_EQ(samples.size(), size_t(61 * 50 * (grey ? 1 : 3)));
    for (const bool asColour : {true, false}) {
      auto image = Load(data.DataString());
      int next = 0, differing = 0;
      const int32_t drawn = image->DecodeBands(
          16, 61, 50,
          [&](TBitmap& band, int32_t top, int32_t rows) {
            EXPECT_EQ(top, next);
            for (int r = 0; r < rows; ++r)
              for (int x = 0; x < 61; ++x) {
                const uint8_t* p = band.Dib().Row(r) + 3 * x;
                const size_t at = size_t(top + r) * 61 + size_t(x);
                const uint8_t red = uint8_t(samples[grey ? at : 3 * at]);
                const uint8_t green = uint8_t(samples[grey ? at : 3 * at + 1]);
                const uint8_t blue = uint8_t(samples[grey ? at : 3 * at + 2]);
                differing += p[0] != blue || p[1] != green || p[2] != red;
              }
            next = top + rows;
            return true;
          },
          asColour ? TPDFJPEGImage::TPictureKind::Grey : TPDFJPEGImage::TPictureKind::Colour);
      EXPECT_EQ(drawn, grey && !asColour ? 0 : 50);
      EXPECT_EQ(differing, 0);
    }
  }
}

TEST(JPEGImage, DefaultPixelFormatFollowsTheScreen) {
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  const int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
  DeleteDC(screen);
  EXPECT_EQ(JPEGDefaults.PixelFormat, bits > 8 ? jf24Bit : jf8Bit);
  EXPECT_EQ(TPDFJPEGImage().PixelFormat, JPEGDefaults.PixelFormat);
}

}  // namespace
