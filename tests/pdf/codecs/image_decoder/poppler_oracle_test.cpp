// The decoder's drawing of an image against poppler's rendering of a page that holds the same
// image XObject at one device pixel per sample (72 dpi): pdftocairo copies such an image
// exactly, pdftoppm (Splash) interpolates it over one extra pixel, so its interior is compared.
#include <gtest/gtest.h>

#include <functional>

#include "pdf/core/document/pdf_document.h"
#include "pdf/core/filters/flate.h"
#include "pdf/core/pagetree/page_tree.h"
#include "pdf/render/canvas/daubrix.h"
#include "tests/pdf/codecs/image_decoder/image_test_util.h"
#include "tests/pdf/end_to_end/raster_compare.h"
#include "tests/pdf/image_support/image_cases.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"
#include "tests/pdf/support/pdf_test_writer.h"

using namespace imgtest;
using testraster::Raster;

namespace {

// A one-page document of w x h points; the page paints the image XObject over the whole page
// after setting the fill colour.
class OracleDocument {
 public:
  OracleDocument(int w, int h) : w_(w), h_(h) {
    doc_.InitNewDocument();
    store().Decimals = 4;
  }
  TPDFStructure& store() { return doc_.Structure(); }
  // An indirect stream; its reference text.
  std::string Stream(const std::string& dictionary, const std::string& data, TPDFStream** made = nullptr) {
    TPDFStream* s = store().NewStream(data, false);
    if (auto* d = PDFCast<TPDFDictionary>(store().ParseObject(dictionary)))
      for (const auto& [k, v] : d->Pairs()) s->Dictionary()->SetValue(k->Name(), v);
    int num = 0, gen = 0;
    doc_.MakeIndirect(s, num, gen);
    if (made) *made = s;
    return std::to_string(num) + " 0 R";
  }
  // Writes the page around the image and the file; false when poppler is missing.
  void Write(const std::string& imageRef, const std::string& path, const std::string& fill = "0 0 0") {
    TPDFDictionary* page = doc_.PageTree().FindPage(1);
    page->SetValue("MediaBox", store().NewIntegerArray({0, 0, w_, h_}));
    const std::string content =
        fill + " rg q " + std::to_string(w_) + " 0 0 " + std::to_string(h_) + " 0 0 cm /Im0 Do Q";
    page->SetValue("Contents", store().ParseObject(Stream("<< >>", content)));
    page->SetValue("Resources", store().ParseObject("<< /XObject << /Im0 " + imageRef + " >> >>"));
    testpdf::WriteDocument(doc_, path);
  }

 private:
  TPDFDocument doc_;
  int w_, h_;
};

// The decoder's drawing on white, as the renderer would draw it (GDI+ canvas).
Raster DrawnByDecoder(TPDFStream* image, int w, int h, COLORREF fill) {
  auto d = Decode(image);
  Raster r;
  if (d->Failed) return r;
  auto bitmap = canvastest::WhiteBitmap(w, h);
  auto canvas = canvastest::CanvasOn(*bitmap, kBackEndGDIPlus);
  d->DrawImage(*canvas, {double(w), 0, 0, -double(h), 0, double(h)}, fill);
  canvas.reset();
  r.Width = w;
  r.Height = h;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t p = canvastest::Pixel(*bitmap, x, y);
      r.RGB.push_back(uint8_t(p >> 16));
      r.RGB.push_back(uint8_t(p >> 8));
      r.RGB.push_back(uint8_t(p));
    }
  return r;
}

struct OracleCase {
  const char* name;
  int w, h;
  // Builds the image (and what it refers to) in the document; returns the image's reference.
  std::function<std::string(OracleDocument&)> build;
  int tolerance = 2;
  const char* fill = "0 0 0";
  COLORREF fillColour = 0;
  // poppler's cairo back end compares colour keys of images below 8 bits on scaled samples;
  // Splash follows the PDF definition (raw samples), and so do we.
  bool cairoExact = true;
};

// Samples in blocks of 4 x 4 pixels, so that Splash's interpolation leaves block interiors
// alone.
std::string BlockSamples(int w, int h, int components, int bits, uint32_t seed) {
  const auto blocks = RandomSamples(size_t((w / 4 + 1) * (h / 4 + 1) * components), bits, seed);
  std::vector<uint32_t> s;
  std::string out;
  for (int y = 0; y < h; ++y) {
    s.clear();
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < components; ++c)
        s.push_back(blocks[size_t(((y / 4) * (w / 4 + 1) + x / 4) * components + c)]);
    out += PackSamples(s, w * components, bits);
  }
  return out;
}

// A JPEG of 4 x 4 blocks saved by Pillow; empty without Pillow. Mode "CMYK-plain" is CMYK as
// libtiff stores it in a JPEG TIFF (the inks as they are, no Adobe segment), taken out of the
// TIFF Pillow writes through libtiff: its tables, then its one strip.
std::string JpegBytes(const std::string& mode, int w, int h) {
  if (imagetest::PilPython().empty()) return {};
  testsupport::TempDir dir;
  const std::string path = dir.File("p.jpg");
  imagetest::RunPython(R"(
mode, w, h, path = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
im = Image.new('RGB', (w, h))
im.putdata([(((x // 8) * 70) % 256, ((y // 8) * 90) % 256, ((x // 8 + y // 8) * 50) % 256) for y in range(h) for x in range(w)])
if mode == 'CMYK-plain':
    im.convert('CMYK').save(path + '.tif', compression='jpeg', quality=100)
    tif = Image.open(path + '.tif')
    start, length = tif.tag_v2[273][0], tif.tag_v2[279][0]
    strip = open(path + '.tif', 'rb').read()[start:start + length]
    open(path, 'wb').write(tif.tag_v2[347][:-2] + strip[2:])
else:
    im.convert(mode).save(path, quality=100, subsampling=0)
)",
                       {mode, std::to_string(w), std::to_string(h), path});
  return testsupport::ReadFile(path);
}

std::string Dict(int w, int h, int bits, const std::string& space, const std::string& extra = "") {
  return "<< /Type /XObject /Subtype /Image /Width " + std::to_string(w) + " /Height " + std::to_string(h) +
         " /BitsPerComponent " + std::to_string(bits) + " /ColorSpace " + space + " " + extra + " >>";
}

std::vector<OracleCase> Cases() {
  std::vector<OracleCase> v;
  for (int bits : {1, 2, 4, 8, 16}) {
    v.push_back({"gray", 24, 16, [bits](OracleDocument& d) {
                   return d.Stream(Dict(24, 16, bits, "/DeviceGray"), BlockSamples(24, 16, 1, bits, 3));
                 }});
    v.push_back({"gray_decode", 24, 16, [bits](OracleDocument& d) {
                   return d.Stream(Dict(24, 16, bits, "/DeviceGray", "/Decode [ 1 0 ]"),
                                   BlockSamples(24, 16, 1, bits, 4));
                 }});
    v.push_back({"rgb", 20, 12, [bits](OracleDocument& d) {
                   return d.Stream(Dict(20, 12, bits, "/DeviceRGB", "/Decode [ 0 1 1 0 0 1 ]"),
                                   BlockSamples(20, 12, 3, bits, 5));
                 }});
  }
  for (int bits : {1, 2, 4, 8})
    v.push_back({"indexed", 16, 16, [bits](OracleDocument& d) {
                   return d.Stream(
                       Dict(16, 16, bits, "[ /Indexed /DeviceRGB 5 <FF000000FF000000FFFFFF0000FFFF808080> ]"),
                       BlockSamples(16, 16, 1, bits, 6));
                 }});
  v.push_back({"indexed_gray_stream_lookup", 16, 8, [](OracleDocument& d) {
                 const std::string lut = d.Stream("<< >>", "\x00\x40\x80\xC0");
                 return d.Stream(Dict(16, 8, 2, "[ /Indexed /DeviceGray 3 " + lut + " ]"),
                                 BlockSamples(16, 8, 1, 2, 7));
               }});
  v.push_back({"separation", 16, 8, [](OracleDocument& d) {
                 return d.Stream(Dict(16, 8, 8,
                                      "[ /Separation /Spot /DeviceRGB << /FunctionType 2 /Domain [ 0 1 ] /C0 [ 1 1 1 ] "
                                      "/C1 [ 0 0.5 1 ] /N 1 >> ]"),
                                 BlockSamples(16, 8, 1, 8, 8));
               }});
  v.push_back(
      {"devicen_rgb", 16, 8, [](OracleDocument& d) {
         const std::string fn = d.Stream("<< /FunctionType 4 /Domain [ 0 1 0 1 ] /Range [ 0 1 0 1 0 1 ] >>", "{ 0.5 }");
         return d.Stream(Dict(16, 8, 8, "[ /DeviceN [ /A /B ] /DeviceRGB " + fn + " ]"), BlockSamples(16, 8, 2, 8, 9));
       }});
  v.push_back({"icc_rgb", 16, 8, [](OracleDocument& d) {
                 const std::string icc = d.Stream("<< /N 3 /Alternate /DeviceRGB >>", "no profile");
                 return d.Stream(Dict(16, 8, 8, "[ /ICCBased " + icc + " ]"), BlockSamples(16, 8, 3, 8, 10));
               }});
  // A real profile, far from sRGB: the colours go through colour management as poppler's do.
  v.push_back({"icc_rgb_profile", 16, 8, [](OracleDocument& d) {
                 const std::string icc =
                     d.Stream("<< /N 3 >>", testsupport::ReadFile(testsupport::DataPath("icc/wide-gamut-gamma18.icc")));
                 return d.Stream(Dict(16, 8, 8, "[ /ICCBased " + icc + " ]"), BlockSamples(16, 8, 3, 8, 12));
               }});
  v.push_back({"flate_png_predictor", 20, 8, [](OracleDocument& d) {
                 const std::string raw = BlockSamples(20, 8, 3, 8, 11);
                 std::string predicted;
                 for (int y = 0; y < 8; ++y) predicted += '\0' + raw.substr(size_t(y) * 60, 60);
                 return d.Stream(Dict(20, 8, 8, "/DeviceRGB",
                                      "/Filter /FlateDecode /DecodeParms << /Predictor 10 /Colors 3 /Columns 20 >>"),
                                 FlateCompressString(predicted));
               }});
  v.push_back({"runlength", 16, 8, [](OracleDocument& d) {
                 const std::string raw = BlockSamples(16, 8, 1, 8, 12);
                 std::string rl;
                 for (size_t i = 0; i < raw.size(); i += 4) rl += char(0xFD) + raw.substr(i, 1);
                 return d.Stream(Dict(16, 8, 8, "/DeviceGray", "/Filter /RunLengthDecode"), rl + char(128));
               }});
  v.push_back({"soft_mask", 16, 8, [](OracleDocument& d) {
                 const std::string smask = d.Stream(Dict(16, 8, 8, "/DeviceGray"), BlockSamples(16, 8, 1, 8, 13));
                 return d.Stream(Dict(16, 8, 8, "/DeviceRGB", "/SMask " + smask), BlockSamples(16, 8, 3, 8, 14));
               }});
  v.push_back({"mask_stream", 16, 8, [](OracleDocument& d) {
                 const std::string mask =
                     d.Stream("<< /Type /XObject /Subtype /Image /Width 16 /Height 8 /ImageMask true >>",
                              BlockSamples(16, 8, 1, 1, 15));
                 return d.Stream(Dict(16, 8, 8, "/DeviceRGB", "/Mask " + mask), BlockSamples(16, 8, 3, 8, 16));
               }});
  v.push_back({"colour_key_2", 16, 8,
               [](OracleDocument& d) {
                 return d.Stream(Dict(16, 8, 2, "/DeviceRGB", "/Mask [ 0 1 0 3 1 2 ]"), BlockSamples(16, 8, 3, 2, 17));
               },
               2, "0 0 0", 0, false});
  v.push_back({"colour_key_8", 16, 8, [](OracleDocument& d) {
                 return d.Stream(Dict(16, 8, 8, "/DeviceRGB", "/Mask [ 0 128 0 255 64 192 ]"),
                                 BlockSamples(16, 8, 3, 8, 17));
               }});
  v.push_back({"dct_rgb", 32, 16, [](OracleDocument& d) {
                 return d.Stream(Dict(32, 16, 8, "/DeviceRGB", "/Filter /DCTDecode"), JpegBytes("RGB", 32, 16));
               }});
  v.push_back({"dct_gray_decode", 32, 16, [](OracleDocument& d) {
                 return d.Stream(Dict(32, 16, 8, "/DeviceGray", "/Filter /DCTDecode /Decode [ 1 0 ]"),
                                 JpegBytes("L", 32, 16));
               }});
  // CMYK JPEGs: the Decode array applies to the samples as stored, whether or not an Adobe
  // segment says they are inverted (Pillow's are; libtiff's are not).
  for (const char* mode : {"CMYK", "CMYK-plain"})
    for (const char* decode : {"", "/Decode [ 1 0 1 0 1 0 1 0 ]"})
      v.push_back({decode[0] ? "dct_cmyk_decode" : "dct_cmyk", 32, 16, [mode, decode](OracleDocument& d) {
                     return d.Stream(Dict(32, 16, 8, "/DeviceCMYK", std::string("/Filter /DCTDecode ") + decode),
                                     JpegBytes(mode, 32, 16));
                   }});
  v.push_back({"stencil", 16, 8,
               [](OracleDocument& d) {
                 return d.Stream("<< /Type /XObject /Subtype /Image /Width 16 /Height 8 /ImageMask true >>",
                                 BlockSamples(16, 8, 1, 1, 18));
               },
               2, "1 0 0", RGB(255, 0, 0)});
  v.push_back({"stencil_inverted", 16, 8,
               [](OracleDocument& d) {
                 return d.Stream(
                     "<< /Type /XObject /Subtype /Image /Width 16 /Height 8 /ImageMask true /Decode [ 1 0 ] >>",
                     BlockSamples(16, 8, 1, 1, 19));
               },
               2, "0 0 1", RGB(0, 0, 255)});
  return v;
}

// Pixels whose 3 x 3 neighbourhood has one colour in the expected picture, away from the right
// and bottom edges that Splash stretches.
int SplashInteriorDifference(const Raster& splash, const Raster& expected) {
  if (splash.Width != expected.Width || splash.Height != expected.Height) return 256;
  int worst = 0;
  for (int y = 1; y + 2 < expected.Height; ++y)
    for (int x = 1; x + 2 < expected.Width; ++x) {
      bool flat = true;
      for (int dy = -1; dy <= 1 && flat; ++dy)
        for (int dx = -1; dx <= 1 && flat; ++dx)
          for (int c = 0; c < 3; ++c) flat = flat && expected.At(x + dx, y + dy)[c] == expected.At(x, y)[c];
      if (!flat) continue;
      for (int c = 0; c < 3; ++c)
        worst = std::max(worst, std::abs(int(splash.At(x, y)[c]) - int(expected.At(x, y)[c])));
    }
  return worst;
}

}  // namespace

TEST(ImagePopplerOracle, DecodedImagesMatchPoppler) {
  REQUIRE_TOOL("pdftoppm");
  REQUIRE_TOOL("pdftocairo");
  REQUIRE_IMAGE_TOOLS();
  for (const OracleCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    testsupport::TempDir dir;
    OracleDocument doc(c.w, c.h);
    const std::string ref = c.build(doc);
    const std::string pdf = dir.File("image.pdf");
    doc.Write(ref, pdf, c.fill);
    // The image as the decoder draws it, from the very objects of the document.
    TPDFStream* image = PDFCast<TPDFStream>(
        doc.store().ParseObject(ref) ? PDFCast<TPDFIndRef>(doc.store().ParseObject(ref))->Resolve() : nullptr);
    ASSERT_NE(image, nullptr);
    const Raster ours = DrawnByDecoder(image, c.w, c.h, c.fillColour);
    ASSERT_EQ(ours.Width, c.w);
    const Raster cairo = testraster::RenderWithPopplerCairo(pdf, dir.File("cairo"));
    if (c.cairoExact) {
      EXPECT_LE(testraster::MaxDifference(cairo, ours), c.tolerance);
    }
    const Raster splash = testraster::RenderWithPoppler(pdf, dir.File("splash"));
    EXPECT_LE(SplashInteriorDifference(splash, ours), c.tolerance);
  }
}
