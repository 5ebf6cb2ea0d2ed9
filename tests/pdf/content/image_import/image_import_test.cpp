#include "pdf/content/image_import/pdf_image.h"

#include <gtest/gtest.h>

#include "pdf/codecs/png/png_reader.h"
#include "pdf/core/filters/flate.h"
#include "tests/pdf/image_support/image_cases.h"
#include "tests/pdf/image_support/import_store.h"
#include "tests/pdf/image_support/png_build.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"

using imagetest::ImageSet;

namespace {

struct Loaded : imagetest::ImportedImage {
  std::string Text(const std::string& key) const { return image->Dict ? image->Dict->GetValueText(key) : ""; }
  int Int(const std::string& key) const { return image->Dict ? image->Dict->GetInteger(key, -1) : -1; }
};

Loaded Import(const std::string& bytes, int options = 0, int compression = 0, bool keep = false) {
  return imagetest::ImportImage<Loaded>(bytes, options, compression, keep);
}

// The keys of the image dictionary in order.
std::string Keys(const TPDFDictionary* d) {
  std::string keys;
  for (const auto& [k, v] : d->Pairs()) keys += (keys.empty() ? "" : " ") + k->Name();
  return keys;
}

TEST(ImageImport, NeedsAStoreThatMakesObjectsIndirect) {
  TPDFStructure bare;
  TPDFImage image(&bare, "x");
  TMemoryStream s(std::string("\xFF\xD8\xFF\xC0\x00\x11\x08\x00\x01\x00\x01\x03", 12));
  EXPECT_FALSE(image.LoadFromStream(s, 0));
  EXPECT_EQ(image.Name, "x");
  EXPECT_EQ(image.TransparentColor, 0xFFFFFFu);
}

// Every BMP kind: the samples, read back as RGB, equal Pillow's decode of the file.
TEST(ImageImport, BitmapsMatchPillow) {
  REQUIRE_IMAGE_TOOLS();
  const ImageSet& set = ImageSet::Get("bmp");
  ASSERT_TRUE(set.ok()) << set.error();
  const std::map<std::string, std::string> expected = {
      {"grey8", "DeviceGray 8"}, {"mono", "DeviceGray 1 [ 0 1 ]"}, {"mono_whitefirst", "DeviceGray 1 [ 1 0 ]"}};
  for (const auto& c : set.Cases()) {
    SCOPED_TRACE(c.name);
    for (int compression : {0, 1}) {
      const Loaded l = Import(set.Read(c.Get("file")), 0, compression);
      ASSERT_TRUE(l.ok);
      ASSERT_NE(l.image->Dict, nullptr);
      EXPECT_EQ(l.image->Kind, 2);
      EXPECT_EQ(l.image->Width, c.Int("width"));
      EXPECT_EQ(l.image->Height, c.Int("height"));
      EXPECT_EQ(l.Text("Type"), "XObject");
      EXPECT_EQ(l.Text("Subtype"), "Image");
      EXPECT_EQ(l.Int("Width"), c.Int("width"));
      std::string kind = l.Text("ColorSpace") + " " + std::to_string(l.Int("BitsPerComponent"));
      if (!l.Text("Decode").empty()) kind += " " + l.Text("Decode");
      auto it = expected.find(c.name);
      EXPECT_EQ(kind, it != expected.end() ? it->second : "DeviceRGB 8");
      EXPECT_EQ(Keys(l.image->Dict), std::string("Length Type Subtype Width Height ColorSpace BitsPerComponent") +
                                         (compression ? " Filter" : "") + (l.Text("Decode").empty() ? "" : " Decode"));
      ASSERT_NE(l.Main(), nullptr);
      // 5-bit channels widen by rounding in the bitmap layer and by bit replication in Pillow.
      const bool fiveBits = c.name == "rgb565" || c.name == "rgb555";
      EXPECT_LE(imagetest::MaxDifference(imagetest::ImageRGB(*l.Main()), set.Read(c.name + ".rgb")),
                fiveBits ? 1 : 0);
    }
  }
}

TEST(ImageImport, TopDownAndBottomUpGiveTheSameSamples) {
  REQUIRE_IMAGE_TOOLS();
  const ImageSet& set = ImageSet::Get("bmp");
  ASSERT_TRUE(set.ok()) << set.error();
  const Loaded up = Import(set.Read("rgb24.bmp"));
  const Loaded down = Import(set.Read("rgb24_topdown.bmp"));
  ASSERT_TRUE(up.ok && down.ok);
  EXPECT_TRUE(up.Main()->Data() == down.Main()->Data());
}

TEST(ImageImport, BitmapResolutionAndSource) {
  REQUIRE_IMAGE_TOOLS();
  const ImageSet& set = ImageSet::Get("bmp");
  ASSERT_TRUE(set.ok()) << set.error();
  const Loaded l = Import(set.Read("rgb24_res.bmp"), 0, 0, true);
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.image->ResolutionX, 300);
  EXPECT_EQ(l.image->ResolutionY, 150);
  EXPECT_EQ(l.image->ResolutionUnit, 0);
  EXPECT_EQ(l.image->SourceData.substr(0, 2), "BM");
  // A core (OS/2 1.x) header carries no resolution: the pixel bytes behind it are not read as one.
  std::string core = std::string("BM\x22\0\0\0\0\0\0\0\x1A\0\0\0", 14);
  core += std::string("\x0C\0\0\0\x01\0\x01\0\x01\0\x18\0", 12);
  core += std::string("\x10\x20\x30\0\x99\x99\x99\x99", 8) + std::string(16, '\x99');
  const Loaded c = Import(core);
  ASSERT_TRUE(c.ok);
  EXPECT_EQ(c.image->ResolutionX, 0);
  EXPECT_EQ(c.Main()->Data(), "\x30\x20\x10");
}

// JPEG data goes into the document as it is.
TEST(ImageImport, JPEGPassesThroughByteForByte) {
  REQUIRE_IMAGE_TOOLS();
  const ImageSet& set = ImageSet::Get("jpeg");
  ASSERT_TRUE(set.ok()) << set.error();
  // CMYK data are inverted (Decode [1 0 ...]) where their Adobe segment says they are.
  struct {
    const char* name;
    const char* space;
    int unit, rx, ry;
    bool inverted = false;
  } cases[] = {{"baseline", "DeviceRGB", 2, 300, 300},   {"progressive", "DeviceRGB", 1, 1, 1},
               {"grey", "DeviceGray", 1, 1, 1},          {"cmyk", "DeviceCMYK", 0, 0, 0, true},
               {"cmyk_plain", "DeviceCMYK", 0, 0, 0},    {"nojfif_exif", "DeviceRGB", 0, 0, 0},
               {"jfif0_exif", "DeviceRGB", 2, 200, 150}};
  for (const auto& t : cases) {
    SCOPED_TRACE(t.name);
    const std::string file = set.Read(t.name + std::string(".jpg"));
    const Loaded l = Import(file, 0, 1, true);
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.image->Kind, 1);
    EXPECT_TRUE(l.Main()->Data() == file);
    EXPECT_TRUE(l.image->SourceData == file);
    EXPECT_EQ(l.image->ColorSpaceName, t.space);
    EXPECT_EQ(l.Text("ColorSpace"), t.space);
    EXPECT_EQ(l.Text("Filter"), "DCTDecode");
    EXPECT_EQ(l.Int("BitsPerComponent"), 8);
    EXPECT_EQ(l.Int("Length"), int(file.size()));
    EXPECT_EQ(Keys(l.image->Dict), std::string("Length Type Subtype Width Height ColorSpace ") +
                                       (t.inverted ? "Decode " : "") + "BitsPerComponent Filter");
    if (t.inverted) {
      EXPECT_EQ(l.Text("Decode"), "[ 1 0 1 0 1 0 1 0 ]");
    }
    EXPECT_EQ(l.image->Width, 45);
    EXPECT_EQ(l.image->Height, 31);
    EXPECT_EQ(l.image->ResolutionUnit, t.unit);
    EXPECT_EQ(l.image->ResolutionX, t.rx);
    EXPECT_EQ(l.image->ResolutionY, t.ry);
  }
}

std::string Frame(int marker, int precision, int height, int width, int components) {
  std::string f = "\xFF\xD8\xFF";
  f += char(marker);
  f += std::string("\x00\x11", 2);
  f += char(precision);
  f += char(height >> 8), f += char(height), f += char(width >> 8), f += char(width);
  f += char(components);
  return f + std::string(9, '\x11');
}

TEST(ImageImport, JPEGsADocumentCannotCarryAreNotLoaded) {
  EXPECT_TRUE(Import(Frame(0xC0, 8, 10, 20, 3)).ok);
  EXPECT_TRUE(Import(Frame(0xC2, 8, 10, 20, 1)).ok);
  EXPECT_FALSE(Import(Frame(0xC0, 8, 0, 20, 3)).ok);    // no height
  EXPECT_FALSE(Import(Frame(0xC0, 8, 10, 0, 3)).ok);    // no width
  EXPECT_FALSE(Import(Frame(0xC0, 8, 10, 20, 2)).ok);   // two components
  EXPECT_FALSE(Import(Frame(0xC1, 12, 10, 20, 3)).ok);  // 12-bit samples
  EXPECT_FALSE(Import(Frame(0xC3, 8, 10, 20, 3)).ok);   // lossless
  EXPECT_FALSE(Import(std::string("\xFF\xD8", 2)).ok);
}

// A file cannot describe more than 512 pixels a byte (every 8 x 8 block of Huffman data takes
// a bit): beyond 4 megapixels, a picture whose file holds not even a quarter of that is not
// taken; one cut short, or padded out by its scan data, is.
TEST(ImageImport, JPEGsTheirDataCannotDescribeAreNotLoaded) {
  const std::string lying = Frame(0xC0, 8, 16000, 16000, 3);
  ASSERT_LT(lying.size(), 100u);
  EXPECT_FALSE(Import(lying).ok);
  EXPECT_FALSE(Import(Frame(0xC2, 8, 4000, 2000, 1) + std::string(3000, '\x55')).ok);
  // 8 megapixels need at least 4 KB (a quarter at 512 pixels a byte).
  EXPECT_TRUE(Import(Frame(0xC2, 8, 4000, 2000, 1) + std::string(4100, '\x55')).ok);
  EXPECT_TRUE(Import(Frame(0xC0, 8, 2048, 2048, 3)).ok);  // 4 megapixels are always taken
  // A picture of several scans is held as its coefficients, two bytes a sample, and its data give
  // each 8 x 8 block at least a bit: 64 megapixels of grey over 66 KB describe their pixels, not
  // the 128 MiB of coefficients they would need progressive. Refused from the header; the same
  // picture in one scan is taken.
  const auto grey = [](char frame, char lastCoefficient) {
    return std::string("\xFF\xD8\xFF", 3) + frame + std::string("\x00\x0B\x08\x20\x00\x20\x00\x01\x01\x11\x00", 11) +
           std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00", 8) + lastCoefficient + std::string(1, '\0') +
           std::string(66000, '\x55');
  };
  EXPECT_FALSE(Import(grey('\xC2', '\x00')).ok);
  EXPECT_TRUE(Import(grey('\xC0', '\x3F')).ok);
}

struct PNGMode {
  const char* file;
  int mode;
  bool loads;
  bool smask;
  bool sixteen;
  const char* space;  // ColorSpace text ("" when not checked)
};

// The eight modes over colour, alpha, 16-bit and palette files.
TEST(ImageImport, PNGModes) {
  REQUIRE_IMAGE_TOOLS();
  const ImageSet& set = ImageSet::Get("png");
  ASSERT_TRUE(set.ok()) << set.error();
  const PNGMode cases[] = {
      {"rgb8", 0, true, false, false, "DeviceRGB"},  {"rgb8", 1, false, false, false, ""},
      {"rgba8", 0, true, false, false, "DeviceRGB"}, {"rgba8", 1, true, false, false, "DeviceGray"},
      {"rgba8", 2, true, true, false, "DeviceRGB"},  {"rgba8", 5, true, true, false, "DeviceRGB"},
      {"la8", 6, true, true, false, "DeviceGray"},   {"c6_16", 0, true, false, true, "DeviceRGB"},
      {"c6_16", 1, true, false, true, "DeviceGray"}, {"c6_16", 2, true, true, true, "DeviceRGB"},
      {"c6_16", 3, true, false, false, "DeviceRGB"}, {"c6_16", 4, true, false, false, "DeviceGray"},
      {"c6_16", 5, true, true, false, "DeviceRGB"},  {"c6_16", 6, true, true, true, "DeviceRGB"},
      {"c2_16", 7, true, false, true, "DeviceRGB"},  {"c2_16", 8, false, false, false, ""},
      {"c2_16", -3, true, false, true, "DeviceRGB"}, {"pal4", 0, true, false, false, ""},
      {"grey1_il", 0, true, false, false, "DeviceGray"},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(std::string(t.file) + " mode " + std::to_string(t.mode));
    const auto& c = set.Case(t.file);
    const Loaded l = Import(set.Read(c.Get("file")), t.mode);
    EXPECT_EQ(l.ok, t.loads);
    if (!l.ok) continue;
    EXPECT_EQ(l.image->Kind, 4);
    EXPECT_EQ(l.image->ResolutionUnit, 2);
    EXPECT_EQ(l.image->SixteenBit, t.sixteen);
    EXPECT_EQ(l.image->Dict->GetValue("SMask") != nullptr, t.smask);
    if (*t.space) {
      EXPECT_EQ(l.Text("ColorSpace"), t.space);
    }
    EXPECT_EQ(l.Text("Filter"), "FlateDecode");
    // The samples decode (with the predictor where the data passed through) to the oracle's.
    std::string samples;
    ASSERT_TRUE(l.Main()->Decode(samples));
    const bool alphaImage = t.mode == 1 || t.mode == 4;
    std::string expected = set.Read(c.name + (alphaImage ? ".alpha" : ".colour"));
    const bool reduce = c.Int("depth") == 16 && (alphaImage ? t.mode == 4 : (t.mode == 3 || t.mode == 5));
    if (reduce) {
      std::string high;
      for (size_t i = 0; i < expected.size(); i += 2) high += expected[i];
      expected = high;
    }
    EXPECT_TRUE(samples == expected);
    if (t.smask) {
      auto* mask = PDFCast<TPDFStream>(l.store->Resolve(l.image->Dict->GetValue("SMask")));
      ASSERT_NE(mask, nullptr);
      EXPECT_EQ(mask->Dictionary()->GetValueText("ColorSpace"), "DeviceGray");
      std::string alpha;
      ASSERT_TRUE(mask->Decode(alpha));
      std::string want = set.Read(c.name + ".alpha");
      if (c.Int("depth") == 16 && (t.mode == 2 || t.mode == 5)) {
        std::string high;
        for (size_t i = 0; i < want.size(); i += 2) high += want[i];
        want = high;
      }
      EXPECT_TRUE(alpha == want);
    }
  }
}

TEST(ImageImport, PNGPassThroughParametersAndIndexedSpace) {
  REQUIRE_IMAGE_TOOLS();
  const ImageSet& set = ImageSet::Get("png");
  ASSERT_TRUE(set.ok()) << set.error();
  const std::string file = set.Read("rgb8.png");
  const Loaded l = Import(file);
  ASSERT_TRUE(l.ok);
  EXPECT_TRUE(l.Main()->Data() == pngtest::JoinedIDAT(file));
  EXPECT_EQ(l.Text("DecodeParms"), "");  // a dictionary: look inside
  auto* parms = PDFCast<TPDFDictionary>(l.image->Dict->GetValue("DecodeParms"));
  ASSERT_NE(parms, nullptr);
  EXPECT_EQ(parms->GetInteger("Predictor", 0), 15);
  EXPECT_EQ(parms->GetInteger("Colors", 0), 3);
  EXPECT_EQ(parms->GetInteger("Columns", 0), 29);
  EXPECT_EQ(parms->GetInteger("BitsPerComponent", 0), 8);
  EXPECT_EQ(Keys(l.image->Dict), "Length Type Subtype Width Height ColorSpace BitsPerComponent Filter DecodeParms");

  const std::string pal = set.Read("pal2.png");
  const Loaded p = Import(pal);
  ASSERT_TRUE(p.ok);
  TMemoryStream s(pal);
  TPNGReader r;
  r.ReadChunks(s);
  std::string tail;
  r.GetIndexedColorSpace(tail);
  const std::string space = p.image->Dict->GetValue("ColorSpace")->ToString();
  EXPECT_EQ(space.substr(0, 21), "[ /Indexed /DeviceRGB");
  auto* arr = PDFCast<TPDFArray>(p.image->Dict->GetValue("ColorSpace"));
  ASSERT_NE(arr, nullptr);
  ASSERT_EQ(arr->Count(), 4);
  EXPECT_EQ(PDFCast<TPDFNumeric>(arr->GetItem(2))->AsInteger(), int(r.PaletteCount) - 1);
  EXPECT_TRUE(PDFCast<TPDFString>(arr->GetItem(3))->Value() == r.Palette);
  // No Colors entry for palette data.
  auto* pp = PDFCast<TPDFDictionary>(p.image->Dict->GetValue("DecodeParms"));
  ASSERT_NE(pp, nullptr);
  EXPECT_EQ(pp->GetValue("Colors"), nullptr);
  EXPECT_EQ(pp->GetInteger("BitsPerComponent", 0), 2);
}

std::string WithICCP(const std::string& png, const std::string& profile) {
  // After the signature (8) and the IHDR chunk (25).
  return png.substr(0, 33) + pngtest::Chunk("iCCP", std::string("test\0\0", 6) + FlateCompressString(profile)) +
         png.substr(33);
}

TEST(ImageImport, PNGProfileInMode7) {
  REQUIRE_IMAGE_TOOLS();
  const ImageSet& set = ImageSet::Get("png");
  ASSERT_TRUE(set.ok()) << set.error();
  struct {
    const char* file;
    int n;
    bool indexed;
  } cases[] = {{"rgb8.png", 3, false}, {"grey8.png", 1, false}, {"pal8.png", 3, true}};
  for (const auto& t : cases) {
    SCOPED_TRACE(t.file);
    const std::string png = WithICCP(set.Read(t.file), "the profile");
    const Loaded l = Import(png, 7);
    ASSERT_TRUE(l.ok);
    auto* space = PDFCast<TPDFArray>(l.image->Dict->GetValue("ColorSpace"));
    ASSERT_NE(space, nullptr);
    auto* based = t.indexed ? PDFCast<TPDFArray>(space->GetItem(1)) : space;
    ASSERT_NE(based, nullptr);
    EXPECT_EQ(PDFCast<TPDFName>(based->GetItem(0))->Name(), "ICCBased");
    auto* profile = PDFCast<TPDFStream>(l.store->Resolve(based->GetItem(1)));
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(profile->Dictionary()->GetInteger("N", 0), t.n);
    std::string decoded;
    ASSERT_TRUE(profile->Decode(decoded));
    EXPECT_EQ(decoded, "the profile");
    // Other modes leave the profile out.
    const std::string plain = Import(png, 0).Text("ColorSpace");
    EXPECT_EQ(plain.substr(0, 21), t.indexed ? "[ /Indexed /DeviceRGB" : (t.n == 1 ? "DeviceGray" : "DeviceRGB"));
  }
}

TEST(ImageImport, PalettePNGWithoutPaletteIsNotLoaded) {
  const std::string png = pngtest::MakePNG({pngtest::Chunk("IHDR", pngtest::IHDR(2, 2, 8, 3)),
                                            pngtest::Chunk("IDAT", FlateCompressString(std::string(6, '\0'))),
                                            pngtest::Chunk("IEND", "")});
  EXPECT_FALSE(Import(png).ok);
}

TEST(ImageImport, TypesWithoutTheirReadersAreNotLoaded) {
  EXPECT_FALSE(Import("GIF89a\x01\x00\x01\x00\x00\x00\x00;").ok);
  EXPECT_FALSE(Import(std::string("II*\0\x08\0\0\0", 8)).ok);
  EXPECT_FALSE(Import("plain text").ok);
  EXPECT_FALSE(Import("").ok);
}

TEST(ImageImport, ColourKeyAndMaskReferences) {
  REQUIRE_IMAGE_TOOLS();
  const ImageSet& bmp = ImageSet::Get("bmp");
  ASSERT_TRUE(bmp.ok()) << bmp.error();
  Loaded rgb = Import(bmp.Read("rgb24.bmp"));
  rgb.image->SetColorKeyMask(0.5, 1.5, -1, 0.2, 0.4, 0.6);
  EXPECT_EQ(rgb.Text("Mask"), "[ 128 51 255 102 0 153 ]");
  EXPECT_EQ(rgb.image->GetMaskKind(), 0);
  Loaded grey = Import(bmp.Read("grey8.bmp"));
  EXPECT_EQ(grey.image->GetMaskKind(), 2);
  grey.image->SetColorKeyMask(0.1, 0, 0, 0.3, 0, 0);
  EXPECT_EQ(grey.Text("Mask"), "[ 26 76 ]");
  EXPECT_EQ(grey.image->GetMaskKind(), 0);
  Loaded mono = Import(bmp.Read("mono.bmp"));
  mono.image->SetColorKeyMask(0.4, 0, 0, 0.6, 0, 0);
  EXPECT_EQ(mono.Text("Mask"), "[ 0 1 ]");
  EXPECT_TRUE(mono.image->SetMaskReference(12, 0, 2));
  EXPECT_EQ(mono.image->Dict->GetValue("SMask")->ToString(), "12 0 R");
  EXPECT_FALSE(mono.image->SetMaskReference(12, 0, 3));
  // A stencil mask.
  TPDFDictionary* d = mono.image->Dict;
  d->DeleteKey("SMask");
  d->DeleteKey("Mask");
  d->DeleteKey("ColorSpace");
  d->SetValue("ImageMask", mono.store->store.NewBoolean(true));
  EXPECT_EQ(mono.image->GetMaskKind(), 1);
  d->SetValue("Decode", mono.store->store.NewIntegerArray({0, 2}));
  EXPECT_EQ(mono.image->GetMaskKind(), 0);
  TPDFImage fresh(&rgb.store->store, "n");
  EXPECT_EQ(fresh.GetMaskKind(), 0);
  EXPECT_FALSE(fresh.SetMaskReference(1, 0, 1));
  fresh.SetColorKeyMask(0, 0, 0, 1, 1, 1);  // no dictionary: nothing happens
}

}  // namespace

namespace {

// Options below 0 draw the file through the canvas (GDI+, or GDI when the provider is missing)
// into a 24-bit bitmap; at identity scale the samples equal Pillow's decode.
TEST(ImageImport, RasterisedBitmapsMatchPillow) {
  REQUIRE_IMAGE_TOOLS();
  const ImageSet& set = ImageSet::Get("bmp");
  ASSERT_TRUE(set.ok()) << set.error();
  for (const std::string& provider : {canvastest::ProviderPath(), std::string("/nonexistent/provider.so")}) {
    for (const char* name : {"rgb24", "rgb24_topdown", "pal8", "pal4", "mono_colour", "grey8", "rle8", "rgb32"}) {
      SCOPED_TRACE(provider + " " + name);
      Loaded l;
      l.image = std::make_unique<TPDFImage>(&l.store->store, "n");
      l.image->GDIPlusSettings = canvastest::SettingsFor(provider);
      TMemoryStream s(set.Read(name + std::string(".bmp")));
      ASSERT_TRUE(l.image->LoadFromStream(s, -1));
      EXPECT_EQ(l.image->Compression, 0);  // forced to 1 only while writing
      EXPECT_EQ(l.Text("Filter"), "FlateDecode");
      // Deflated only when the stored bytes are asked for (ImageRGB below).
      EXPECT_NE(l.Main()->PendingDeflate(), nullptr);
      EXPECT_EQ(l.Text("ColorSpace"), "DeviceRGB");
      EXPECT_EQ(l.image->GDIPlusSettings.HighQualityImages, 1);
      EXPECT_EQ(imagetest::MaxDifference(imagetest::ImageRGB(*l.Main()), set.Read(name + std::string(".rgb"))), 0);
      EXPECT_EQ(l.image->ResolutionX, 0);
    }
  }
  // A BMP has one frame.
  Loaded l;
  l.image = std::make_unique<TPDFImage>(&l.store->store, "n");
  l.image->GDIPlusSettings = canvastest::SettingsFor(canvastest::ProviderPath());
  TMemoryStream s(set.Read("rgb24.bmp"));
  EXPECT_FALSE(l.image->LoadFromStream(s, -2));
}

}  // namespace
