// Images that are only drawn are decoded a band of rows at a time onto the page where they
// are placed pixel for pixel. On both back ends the page must come out as when the image is
// decoded whole first: stored, inflated and predicted samples, damaged and cut data, bands
// that do not divide the height, and placements that are not pixel for pixel.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include <jpeglib.h>

#include "pdf/codecs/jpeg/pdf_jpeg_image.h"
#include "pdf/core/filters/flate.h"
#include "pdf/core/objects/pdf_stream.h"
#include "pdf/render/canvas/daubrix.h"
#include "tests/pdf/codecs/ccitt/ccitt_test_util.h"
#include "tests/pdf/codecs/image_decoder/image_test_util.h"
#include "tests/pdf/image_support/image_cases.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"

using namespace imgtest;
using canvastest::CanvasOn;
using canvastest::Pixel;
using canvastest::WhiteBitmap;

namespace {

std::string Noise(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = char(rng());
  return s;
}

// A hexadecimal string of the bytes, as a palette is written.
std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out = "<";
  for (const char c : bytes) out += {kDigits[uint8_t(c) >> 4], kDigits[uint8_t(c) & 15]};
  return out + ">";
}

// Rows of samples each behind a PNG filter tag; tags beyond 4 leave their row as stored.
std::string Tagged(const std::string& samples, size_t rowBytes, uint32_t seed) {
  std::mt19937 rng(seed);
  std::string out;
  for (size_t at = 0; at < samples.size(); at += rowBytes) {
    out += char(rng() % 6);
    out += samples.substr(at, rowBytes);
  }
  return out;
}

// LZW data (9-bit codes, most significant bit first) that give the bytes back: every byte a
// literal code, with a clear code often enough that the codes never widen.
std::string LZWLiterals(const std::string& bytes) {
  std::string out;
  uint32_t bitsHeld = 0;
  int count = 0;
  auto put = [&](int code) {
    bitsHeld = ((bitsHeld << 9) | uint32_t(code)) & 0xFFFFFFu;
    count += 9;
    for (; count >= 8; count -= 8) out += char((bitsHeld >> (count - 8)) & 0xFF);
  };
  put(256);
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0 && i % 200 == 0) put(256);
    put(uint8_t(bytes[i]));
  }
  put(257);
  if (count > 0) out += char((bitsHeld << (8 - count)) & 0xFF);
  return out;
}

// Bytes in runs of 1 to 300 alike.
std::string Runs(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::string s;
  while (s.size() < n) s.append(std::min<size_t>(n - s.size(), 1 + rng() % 300), char(rng()));
  return s;
}

constexpr const char* kRGB = "/DeviceRGB";
constexpr const char* kGrey = "/DeviceGray";

struct Case {
  const char* name;
  int width, height;
  std::string space;
  int bits;
  std::string extra;  // more of the dictionary
  std::string data;
  bool streamed;  // drawn from its rows
};

std::string Dictionary(const Case& c) {
  return "<< /Width " + std::to_string(c.width) + " /Height " + std::to_string(c.height) +
         " /BitsPerComponent " + std::to_string(c.bits) + " /ColorSpace " + c.space + " " + c.extra + " >>";
}

// The image drawn onto a white page a little larger than its placement.
std::unique_ptr<TBitmap> Drawn(TPDFImageDecoder& d, uint8_t backEnd, const std::array<double, 6>& m, int w, int h) {
  auto page = WhiteBitmap(w + 4, h + 4);
  auto canvas = CanvasOn(*page, backEnd);
  d.DrawImage(*canvas, m, 0);
  return page;
}

void ExpectSamePage(TBitmap& a, TBitmap& b) {
  ASSERT_EQ(a.Width(), b.Width());
  ASSERT_EQ(a.Height(), b.Height());
  int differing = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (Pixel(a, x, y) != Pixel(b, x, y) && ++differing < 4) ADD_FAILURE() << "pixel " << x << "," << y;
  EXPECT_EQ(differing, 0);
}

class RowDrawing : public testing::TestWithParam<uint8_t> {};

}  // namespace

TEST_P(RowDrawing, PagesAsWhenDecodedWhole) {
  // 4000 pixels wide: a band holds 43 rows, so 100 rows take three bands, the last short.
  const int W = 4000, H = 100, w = 37, h = 23;
  const std::string rgb = Noise(size_t(W) * 3 * H, 1), grey = Noise(size_t(w) * h, 2);
  const std::string small = Noise(size_t(w) * 3 * h, 3);
  const std::string png = FlateCompressString(Tagged(rgb, size_t(W) * 3, 4));
  const std::string pngParms = "/Filter /FlateDecode /DecodeParms << /Predictor 15 /Colors 3 /Columns 4000 >>";
  const std::string png16 = FlateCompressString(Tagged(rgb.substr(0, size_t(W) * 3 * H), size_t(W) * 3, 13));
  const std::string pngParms16 =
      "/Filter /FlateDecode /DecodeParms << /Predictor 15 /Colors 3 /BitsPerComponent 16 /Columns 2000 >>";
  // 200 entries: indexes 200 to 255 take the colour of entry 199.
  const std::string palette = "[ /Indexed /DeviceRGB 199 " + Hex(Noise(600, 10)) + " ]";
  const Case cases[] = {
      {"stored RGB in bands", W, H, kRGB, 8, "", rgb, true},
      {"stored grey", w, h, kGrey, 8, "", grey, true},
      {"stored, rows missing", w, h, kRGB, 8, "", small.substr(0, small.size() / 2 + 7), true},
      {"stored, bytes past the end", w, h, kRGB, 8, "", small + "tail", true},
      {"inflated", w, h, kRGB, 8, "/Filter /FlateDecode", FlateCompressString(small), true},
      {"inflated, cut short", w, h, kRGB, 8, "/Filter /Fl", FlateCompressString(small).substr(0, 900), true},
      {"inflated, damaged", w, h, kRGB, 8, "/Filter /FlateDecode",
       FlateCompressString(small).replace(600, 40, std::string(40, '\x5A')), true},
      {"PNG rows in bands", W, H, kRGB, 8, pngParms, png, true},
      {"PNG rows, cut inside a row", W, H, kRGB, 8, pngParms, png.substr(0, png.size() * 2 / 3), true},
      {"PNG rows, one tag and nothing after it", w, 2, kGrey, 8,
       "/Filter /FlateDecode /DecodeParms << /Predictor 10 /Columns 37 >>",
       FlateCompressString(Tagged(grey.substr(0, 37), 37, 5) + "\x02"), true},
      {"TIFF predictor", w, h, kRGB, 8,
       "/Filter /FlateDecode /DecodeParms << /Predictor 2 /Colors 3 /Columns 37 >>", FlateCompressString(small), true},
      {"LZW rows in bands", W, H, kRGB, 8, "/Filter /LZWDecode", LZWLiterals(rgb), true},
      {"LZW, cut short", w, h, kRGB, 8, "/Filter /LZW", LZWLiterals(small).substr(0, 1000), true},
      {"LZW with a TIFF predictor", w, h, kRGB, 8,
       "/Filter /LZWDecode /DecodeParms << /Predictor 2 /Colors 3 /Columns 37 /EarlyChange 0 >>",
       LZWLiterals(small), true},
      {"LZW with PNG rows", W, H, kRGB, 8,
       "/Filter /LZWDecode /DecodeParms << /Predictor 15 /Colors 3 /Columns 4000 >>",
       LZWLiterals(Tagged(rgb, size_t(W) * 3, 8)), true},
      {"LZW, predictor rows of another width", w, h, kRGB, 8,
       "/Filter /LZWDecode /DecodeParms << /Predictor 12 /Colors 3 /Columns 20 >>",
       LZWLiterals(Tagged(small, 60, 9)), true},
      {"run-length under Flate in bands", W, H, kRGB, 8, "/Filter [ /FlateDecode /RunLengthDecode ]",
       FlateCompressString(RunLengthEncode(rgb) + "\x80"), true},
      {"run-length repeats in bands", W, H, kRGB, 8, "/Filter [ /Fl /RL ]",
       FlateCompressString(RunLengthEncode(Runs(size_t(W) * 3 * H, 14))), true},
      {"run-length, cut inside a run", w, h, kRGB, 8, "/Filter [ /FlateDecode /RunLengthDecode ]",
       FlateCompressString(RunLengthEncode(Runs(small.size(), 15)).substr(0, 41)), true},
      {"run-length, cut inside a literal", w, h, kRGB, 8, "/Filter [ /FlateDecode /RunLengthDecode ]",
       FlateCompressString(RunLengthEncode(small).substr(0, 1500)), true},
      {"run-length, ended early and more after it", w, h, kRGB, 8, "/Filter [ /FlateDecode /RunLengthDecode ]",
       FlateCompressString(RunLengthEncode(small.substr(0, 1000)) + "\x80" + RunLengthEncode(small)), true},
      {"run-length, more than the samples", w, h, kGrey, 8, "/Filter [ /FlateDecode /RunLengthDecode ]",
       FlateCompressString(RunLengthEncode(Runs(grey.size() * 3, 16))), true},
      {"run-length, a repeat without its byte", w, h, kGrey, 8, "/Filter [ /FlateDecode /RunLengthDecode ]",
       FlateCompressString(RunLengthEncode(grey.substr(0, 300)) + "\xF0"), true},
      {"run-length, the inflate damaged", w, h, kRGB, 8, "/Filter [ /FlateDecode /RunLengthDecode ]",
       FlateCompressString(RunLengthEncode(small)).replace(500, 30, std::string(30, '\x33')), true},
      {"run-length under Flate with parameters: decoded whole", w, h, kRGB, 8,
       "/Filter [ /FlateDecode /RunLengthDecode ] /DecodeParms [ << /Predictor 1 >> null ]",
       FlateCompressString(RunLengthEncode(small)), false},
      {"LZW then Flate: decoded whole", w, h, kRGB, 8, "/Filter [ /LZWDecode /FlateDecode ]",
       LZWLiterals(FlateCompressString(small)), false},
      {"grey with its default Decode", w, h, kGrey, 8, "/Decode [ 0 1 ]", grey, true},
      {"inverted Decode", w, h, kGrey, 8, "/Decode [ 1 0 ]", grey, true},
      {"predictor rows of another width: decoded whole", w, h, kRGB, 8,
       "/Filter /FlateDecode /DecodeParms << /Predictor 12 /Colors 3 /Columns 20 >>",
       FlateCompressString(Tagged(small, 60, 6)), false},
      {"16-bit, their high bytes", w, h / 2, kRGB, 16, "", small, true},
      {"16-bit PNG rows in bands", W / 2, H, kRGB, 16, pngParms16, png16, true},
      {"16-bit grey, cut short", w, h, kGrey, 16, "/Filter /FlateDecode", FlateCompressString(small).substr(0, 700), true},
      {"Indexed, 8 bits", w, h, palette, 8, "", grey, true},
      {"Indexed PNG rows in bands, indexes past HiVal", W, H, palette, 8,
       "/Filter /FlateDecode /DecodeParms << /Predictor 15 /Columns 4000 >>",
       FlateCompressString(Tagged(rgb.substr(0, size_t(W) * H), size_t(W), 10)), true},
      {"Indexed, 4 bits under a Decode", w, h, palette, 4, "/Decode [ 15 0 ]", small, true},
      {"Indexed, 2 bits, odd width", w, h, palette, 2, "", small, true},
      {"Indexed, 1 bit", w, h, palette, 1, "", small, true},
      {"Indexed over grey", w, h, "[ /Indexed /DeviceGray 255 " + Hex(Noise(256, 11)) + " ]", 8, "", grey, true},
      {"Indexed over CMYK", w, h, "[ /Indexed /DeviceCMYK 3 " + Hex(Noise(16, 12)) + " ]", 2, "", small, true},
      {"CMYK", w, h, "/DeviceCMYK", 8, "", small.substr(0, size_t(w) * 4 * (h / 2)), true},
      {"RGB under a Decode", w, h, kRGB, 8, "/Decode [ 0 1 1 0 0.2 0.8 ]", small, true},
      {"one-bit grey", w, h, kGrey, 1, "", small, true},
      {"one-bit grey, inverted Decode, cut short", w, h, kGrey, 1, "/Decode [ 1 0 ]", small.substr(0, 50), true},
      {"one-bit grey in bands", W, H, kGrey, 1, "/Filter /LZWDecode", LZWLiterals(rgb.substr(0, size_t(W) / 8 * H)),
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestStore t;
    TPDFStream* image = t.Image(Dictionary(c), c.data);
    auto whole = Decoder(image, false);
    auto rows = Decoder(image, true);
    ASSERT_FALSE(whole->Failed);
    ASSERT_FALSE(rows->Failed);
    // Pixel for pixel at (2, 1), then a rounding error away from it (a placement made of
    // fractions), then scaled, then half a pixel off.
    const double w = c.width, h = c.height;
    const std::array<double, 6> places[] = {{w, 0, 0, -h, 2, 1.0 + h},
                                           {w * (1 + 1e-15), 0, 0, -h * (1 - 1e-15), 2 + 3e-9, 1.0 + h - 2e-9},
                                           {w / 2.0, 0, 0, -h * 1.5, 1, 1.5 * h},
                                           {w, 0, 0, -h, 2.5, 1.0 + h}};
    for (const auto& m : places) {
      auto expected = Drawn(*whole, GetParam(), m, c.width, int(c.height * 1.5));
      auto got = Drawn(*rows, GetParam(), m, c.width, int(c.height * 1.5));
      ExpectSamePage(*got, *expected);
      // The first two placements draw from the rows without a whole picture; any other decodes it.
      if (&m <= &places[1]) {
        EXPECT_EQ(rows->Bitmap->Empty(), c.streamed) << &m - places;
      }
      EXPECT_FALSE(rows->DrawFailed);
    }
  }
}

// Fax images, Group 4 data written by libtiff and Group 3 data of one-dimensional rows, are
// drawn from their decoded rows a band at a time where they are placed pixel for pixel, as the
// whole picture: every colour rule (grey, BlackIs1, an inverted Decode, an indexed space of two
// colours, the default), data that end early, rows wider than a band, rows of a byte or less and
// noise (runs of one to three pixels: every byte of bits).
TEST_P(RowDrawing, FaxPagesAsWhenDecodedWhole) {
  testsupport::TempDir dir;
  struct Fax {
    const char* name;
    int width, height;
    std::string space, parms, extra;
    int cut;          // bytes of the data kept (0: all)
    int maxRun = 40;  // the longest run of one colour
  };
  const std::string palette = "[ /Indexed /DeviceRGB 1 <FF2010 0030C0> ]";
  const Fax faxes[] = {
      {"grey", 301, 97, kGrey, "", "", 0},
      {"BlackIs1", 301, 97, kGrey, " /BlackIs1 true", "", 0},
      {"inverted Decode", 301, 97, kGrey, "", " /Decode [ 1 0 ]", 0},
      {"two-colour palette", 301, 97, palette, "", "", 0},
      {"RGB", 301, 97, kRGB, "", "", 0},
      {"data ending early", 301, 97, kGrey, "", "", 400},
      {"wider than a band", 5000, 40, kGrey, "", "", 0},
      {"one byte wide", 8, 33, palette, "", "", 0, 3},
      {"narrower than a byte", 5, 33, kGrey, " /BlackIs1 true", "", 0, 2},
      {"noise", 1027, 64, palette, "", "", 0, 3},
  };
  for (const Fax& f : faxes) {
    SCOPED_TRACE(f.name);
    const ccitt_test::TBitmap picture = ccitt_test::RandomRunsBitmap(f.width, f.height, 7, f.maxRun);
    std::string g4 = ccitt_test::LibtiffGroup4(dir, picture);
    ASSERT_FALSE(g4.empty());
    if (f.cut) g4.resize(size_t(f.cut));
    TestStore t;
    TPDFStream* image = t.Image("<< /Width " + std::to_string(f.width) + " /Height " + std::to_string(f.height) +
                                    " /BitsPerComponent 1 /ColorSpace " + f.space +
                                    " /Filter /CCITTFaxDecode /DecodeParms << /K -1 /Columns " +
                                    std::to_string(f.width) + " /Rows " + std::to_string(f.height) + f.parms + " >>" +
                                    f.extra + " >>",
                                g4);
    auto whole = Decoder(image, false);
    auto rows = Decoder(image, true);
    ASSERT_FALSE(whole->Failed);
    ASSERT_FALSE(rows->Failed);
    const double w = f.width, h = f.height;
    const std::array<double, 6> places[] = {{w, 0, 0, -h, 2, 1.0 + h}, {w / 2.0, 0, 0, -h * 1.5, 1, 1.5 * h}};
    for (const auto& m : places) {
      auto expected = Drawn(*whole, GetParam(), m, f.width, int(f.height * 1.5));
      auto got = Drawn(*rows, GetParam(), m, f.width, int(f.height * 1.5));
      ExpectSamePage(*got, *expected);
      // Pixel for pixel no bitmap of the picture is made.
      if (&m == &places[0]) { EXPECT_TRUE(rows->Bitmap == nullptr || rows->Bitmap->Empty()); }
      EXPECT_FALSE(rows->DrawFailed);
    }
  }
}

TEST_P(RowDrawing, PendingSamplesAreDrawnWithoutTheirDeflate) {
  TestStore t;
  const std::string samples = Noise(64 * 3 * 40, 7);
  TPDFStream* image =
      t.Image("<< /Width 64 /Height 40 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /FlateDecode >>", "");
  image->TakeDataToDeflate(std::string(samples));
  auto d = Decoder(image, true);
  auto page = Drawn(*d, GetParam(), {64, 0, 0, -40, 0, 40}, 64, 40);
  EXPECT_NE(image->PendingDeflate(), nullptr);
  EXPECT_TRUE(d->Bitmap->Empty());
  for (int i : {0, 63, 64 * 39 + 5}) {
    const auto* s = reinterpret_cast<const uint8_t*>(samples.data()) + 3 * i;
    EXPECT_EQ(Pixel(*page, i % 64, i / 64), Rgb(s[0], s[1], s[2])) << i;
  }
  // Deflated in between (the document written): drawn again from the deflated bytes.
  ASSERT_FALSE(image->Data().empty());
  auto again = Drawn(*d, GetParam(), {64, 0, 0, -40, 0, 40}, 64, 40);
  ExpectSamePage(*again, *page);
}

// Samples a source makes row by row from a string, counting the rows it was asked for.
class StringSource : public TPDFSampleSource {
 public:
  StringSource(std::string samples, int64_t rowBytes, int32_t rows, int* rowsMade)
      : TPDFSampleSource(rowBytes, rows), samples_(std::move(samples)), made_(rowsMade) {}
  std::unique_ptr<TRows> Open() const override { return std::make_unique<Rows>(*this); }
  int64_t HeldBytes() const override { return int64_t(samples_.size()); }

 private:
  struct Rows : TRows {
    explicit Rows(const StringSource& s) : source(s) {}
    const uint8_t* Next() override {
      ++*source.made_;
      return reinterpret_cast<const uint8_t*>(source.samples_.data()) + source.RowBytes() * y++;
    }
    const StringSource& source;
    int32_t y = 0;
  };
  std::string samples_;
  int* made_;
};

// Samples a source makes when needed are drawn from its rows where placed pixel for pixel,
// without being made; elsewhere they are made and drawn whole, stored or waiting for their
// deflate, and the page is the same either way.
TEST_P(RowDrawing, SourceSamplesAreDrawnRowByRowWithoutBeingMade) {
  const int w = 37, h = 23;
  const std::string samples = Noise(size_t(w) * 3 * h, 14);
  for (const bool deflate : {false, true}) {
    SCOPED_TRACE(deflate ? "to be deflated" : "stored");
    TestStore t;
    const std::string filter = deflate ? " /Filter /FlateDecode" : "";
    TPDFStream* image = t.Image("<< /Width 37 /Height 23 /BitsPerComponent 8 /ColorSpace /DeviceRGB" + filter + " >>", "");
    int rowsMade = 0;
    image->TakeSampleSource(std::make_unique<StringSource>(samples, w * 3, h, &rowsMade), deflate);
    EXPECT_EQ(image->Dictionary()->GetInteger("Length", 0), w * 3 * h);
    TestStore plain;
    auto expected = Drawn(*Decoder(plain.Image("<< /Width 37 /Height 23 /BitsPerComponent 8 /ColorSpace /DeviceRGB >>",
                                               samples), false), GetParam(), {37, 0, 0, -23, 2, 24}, w, h);
    auto d = Decoder(image, true);
    auto page = Drawn(*d, GetParam(), {37, 0, 0, -23, 2, 24}, w, h);
    ExpectSamePage(*page, *expected);
    EXPECT_NE(image->PendingSource(), nullptr);
    EXPECT_EQ(rowsMade, h);
    EXPECT_TRUE(d->Bitmap->Empty());
    // Scaled: the samples are made (once) and the image decoded whole.
    auto scaled = Decoder(image, true);
    auto half = Drawn(*scaled, GetParam(), {18.5, 0, 0, -23, 2, 24}, w, h);
    EXPECT_EQ(image->PendingSource(), nullptr);
    EXPECT_EQ(rowsMade, 2 * h);
    EXPECT_EQ(image->PendingDeflate() != nullptr, deflate);
    EXPECT_FALSE(scaled->Failed);
    // The first decoder, drawn again, reads the samples now made.
    ExpectSamePage(*Drawn(*d, GetParam(), {37, 0, 0, -23, 2, 24}, w, h), *expected);
    // Written: the stored bytes are the samples, deflated or not.
    std::string written;
    ASSERT_TRUE(image->Decode(written));
    EXPECT_TRUE(written == samples);
  }
}

TEST_P(RowDrawing, DataWithoutSamplesFailsAsTheWholeDecode) {
  for (const std::string& data : {std::string(), std::string("\x78\x9C", 2), std::string("\x78\x9C\x03", 3)}) {
    TestStore t;
    TPDFStream* image =
        t.Image("<< /Width 4 /Height 4 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /FlateDecode >>", data);
    EXPECT_TRUE(Decoder(image, true)->Failed);
    EXPECT_TRUE(Decoder(image, false)->Failed);
  }
  // Run-length data that end (or break off) before their first byte.
  for (const std::string& runs : {std::string("\x80"), std::string("\xF0"), std::string("\x05")}) {
    TestStore t;
    TPDFStream* image = t.Image(
        "<< /Width 4 /Height 4 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter [ /FlateDecode /RunLengthDecode ] >>",
        FlateCompressString(runs));
    EXPECT_EQ(Decoder(image, true)->Failed, Decoder(image, false)->Failed) << int(uint8_t(runs[0]));
  }
}

namespace {

// A smooth colour picture with grain, compressed by libjpeg with its defaults (4:2:0), grey
// when asked.
std::string JpegOf(int w, int h, bool grey = false) {
  TBitmap picture;
  picture.SetPixelFormat(pf24bit);
  picture.SetSize(w, h);
  std::mt19937 rng(uint32_t(w * 31 + h));
  for (int y = 0; y < h; ++y) {
    uint8_t* p = picture.ScanLine(y);
    for (int x = 0; x < w; ++x, p += 3) {
      p[0] = uint8_t(x * 255 / std::max(1, w - 1) + rng() % 16);
      p[1] = uint8_t(y * 255 / std::max(1, h - 1));
      p[2] = uint8_t((x + y) * 3 + rng() % 32);
    }
  }
  TPDFJPEGImage jpeg;
  jpeg.Assign(picture);
  jpeg.Grayscale = grey;
  jpeg.Quality = 85;
  TMemoryStream out;
  jpeg.SaveToStream(out);
  return std::string(out.View());
}

// A CMYK picture of smooth inks with grain, stored by libjpeg as CMYK or as YCCK (as Adobe's
// applications write them), progressive when asked.
std::string CmykJpegOf(int w, int h, J_COLOR_SPACE stored, bool progressive = false) {
  jpeg_compress_struct c;
  jpeg_error_mgr e;
  c.err = jpeg_std_error(&e);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = JDIMENSION(w);
  c.image_height = JDIMENSION(h);
  c.input_components = 4;
  c.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&c);
  jpeg_set_colorspace(&c, stored);
  if (progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  std::mt19937 rng(uint32_t(w * 7 + h));
  std::vector<uint8_t> row(size_t(w) * 4);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &row[size_t(x) * 4];
      p[0] = uint8_t(x * 255 / std::max(1, w - 1));
      p[1] = uint8_t(y * 255 / std::max(1, h - 1) + rng() % 8);
      p[2] = uint8_t((x + 2 * y) % 256);
      p[3] = uint8_t((x * y) % 97 + rng() % 16);
    }
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&c, &p, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::string bytes(reinterpret_cast<const char*>(out), size);
  std::free(out);
  return bytes;
}

// The same file written progressively by Pillow (libjpeg), or empty without the tools.
std::string ProgressiveOf(const std::string& jpeg) {
  if (!imagetest::HaveImageTools()) return {};
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("in.jpg"), jpeg);
  imagetest::RunPython("Image.open(sys.argv[1]).save(sys.argv[2], quality=90, progressive=True)",
                       {dir.File("in.jpg"), dir.File("out.jpg")});
  return testsupport::ReadFile(dir.File("out.jpg"));
}

}  // namespace

// JPEG pictures drawn pixel for pixel go onto the page a band of libjpeg's rows at a time; the
// page is the one the whole decode draws. Pictures that are not plain colour (or CMYK in a CMYK
// image) of the image's size, or placed otherwise, are decoded whole.
TEST_P(RowDrawing, JpegPagesAsWhenDecodedWhole) {
  const std::string wide = JpegOf(4000, 100), small = JpegOf(37, 23);
  const std::string cmyk = CmykJpegOf(300, 130, JCS_CMYK), cmykWide = CmykJpegOf(4000, 100, JCS_CMYK);
  const std::string inverted = "/DeviceCMYK /Decode [ 1 0 1 0 1 0 1 0 ]";
  const std::string progressive = ProgressiveOf(JpegOf(300, 130));
  struct JpegCase {
    const char* name;
    int width, height;
    std::string space, data;
    bool streamed;
  };
  std::vector<JpegCase> cases = {
      {"4000 wide: bands of 48 rows, the last short", 4000, 100, "/DeviceRGB", wide, true},
      {"small", 37, 23, "/DeviceRGB", small, true},
      {"written after a line feed", 37, 23, "/DeviceRGB", "\n" + small, true},
      {"cut short: the missing rows white", 4000, 100, "/DeviceRGB", wide.substr(0, wide.size() / 2), true},
      {"another size than the image's: decoded whole", 40, 23, "/DeviceRGB", small, false},
      {"a grey picture: decoded whole", 37, 23, "/DeviceRGB", JpegOf(37, 23, true), false},
      {"a grey picture in a grey image", 37, 23, "/DeviceGray", JpegOf(37, 23, true), true},
      {"a grey picture 4000 wide in a grey image", 4000, 100, "/DeviceGray", JpegOf(4000, 100, true), true},
      {"a grey image: decoded whole", 37, 23, "/DeviceGray", small, false},
      {"CMYK", 300, 130, "/DeviceCMYK", cmyk, true},
      {"CMYK of Adobe's inverted inks", 300, 130, inverted, cmyk, true},
      {"YCCK", 300, 130, inverted, CmykJpegOf(300, 130, JCS_YCCK), true},
      {"CMYK progressive", 300, 130, "/DeviceCMYK", CmykJpegOf(300, 130, JCS_CMYK, true), true},
      {"YCCK progressive, 37 x 23", 37, 23, inverted, CmykJpegOf(37, 23, JCS_YCCK, true), true},
      {"CMYK 4000 wide, cut short", 4000, 100, "/DeviceCMYK",
       cmykWide.substr(0, cmykWide.size() / 2), true},
      {"CMYK in an RGB image: decoded whole", 300, 130, "/DeviceRGB", cmyk, false},
      {"CMYK of another size: decoded whole", 301, 130, "/DeviceCMYK", cmyk, false},
      {"colour in a CMYK image: decoded whole", 37, 23, "/DeviceCMYK", small, false},
  };
  if (!progressive.empty()) cases.push_back({"progressive", 300, 130, "/DeviceRGB", progressive, true});
  for (const JpegCase& c : cases) {
    SCOPED_TRACE(c.name);
    TestStore t;
    TPDFStream* image = t.Image("<< /Width " + std::to_string(c.width) + " /Height " + std::to_string(c.height) +
                                    " /BitsPerComponent 8 /ColorSpace " + c.space + " /Filter /DCTDecode >>",
                                c.data);
    auto whole = Decoder(image, false);
    auto rows = Decoder(image, true);
    ASSERT_FALSE(whole->Failed);
    ASSERT_FALSE(rows->Failed);
    EXPECT_EQ(rows->Bitmap == nullptr || rows->Bitmap->Empty(), c.streamed);
    const std::array<double, 6> places[] = {{double(c.width), 0, 0, -double(c.height), 2, 1.0 + c.height},
                                           {c.width / 2.0, 0, 0, -c.height * 1.5, 1, 1.5 * c.height}};
    for (const auto& m : places) {
      auto expected = Drawn(*whole, GetParam(), m, c.width, int(c.height * 1.5));
      auto got = Drawn(*rows, GetParam(), m, c.width, int(c.height * 1.5));
      ExpectSamePage(*got, *expected);
      if (&m == &places[0]) { EXPECT_EQ(rows->Bitmap == nullptr || rows->Bitmap->Empty(), c.streamed); }
      EXPECT_FALSE(rows->DrawFailed);
    }
  }
}

// A JPEG whose tables end without a scan is no image either way; one whose scan has no data
// is drawn from what libjpeg makes of it, the same either way.
TEST_P(RowDrawing, JpegWithoutScanDataAsTheWholeDecode) {
  const std::string jpeg = JpegOf(37, 23);
  const size_t scan = jpeg.find("\xFF\xDA");
  ASSERT_NE(scan, std::string::npos);
  const std::string dictionary =
      "<< /Width 37 /Height 23 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /DCTDecode >>";
  {
    TestStore t;
    TPDFStream* image = t.Image(dictionary, jpeg.substr(0, scan) + "\xFF\xD9");
    EXPECT_TRUE(Decoder(image, false)->Failed);
    EXPECT_TRUE(Decoder(image, true)->Failed);
  }
  TestStore t;
  const size_t scanHeader = 2 + (uint8_t(jpeg[scan + 2]) << 8 | uint8_t(jpeg[scan + 3]));
  TPDFStream* image = t.Image(dictionary, jpeg.substr(0, scan + scanHeader) + "\xFF\xD9");
  auto whole = Decoder(image, false);
  auto rows = Decoder(image, true);
  ASSERT_FALSE(whole->Failed);
  ASSERT_FALSE(rows->Failed);
  auto expected = Drawn(*whole, GetParam(), {37, 0, 0, -23, 2, 24}, 37, 23);
  auto got = Drawn(*rows, GetParam(), {37, 0, 0, -23, 2, 24}, 37, 23);
  EXPECT_TRUE(rows->Bitmap == nullptr || rows->Bitmap->Empty());
  ExpectSamePage(*got, *expected);
}

INSTANTIATE_TEST_SUITE_P(BackEnds, RowDrawing, testing::Values(uint8_t(kBackEndGDI), uint8_t(kBackEndGDIPlus)),
                         [](const testing::TestParamInfo<uint8_t>& info) {
                           return info.param == kBackEndGDI ? std::string("GDI") : std::string("GDIPlus");
                         });

// LZW data without a sample, or under a predictor that cannot be undone, fail as the whole
// decode does; the first sample alone is an image.
TEST_P(RowDrawing, LZWWithoutSamplesFailsAsTheWholeDecode) {
  const std::string lzw = "<< /Width 4 /Height 4 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /LZWDecode";
  const struct {
    std::string dictionary, data;
    bool fails;
  } cases[] = {
      {lzw + " >>", "", true},
      {lzw + " >>", LZWLiterals(""), true},
      {lzw + " /DecodeParms << /Predictor 2 /Colors 3 /Columns 4 /BitsPerComponent 3 >> >>", LZWLiterals("abcdef"),
       true},
      {lzw + " /DecodeParms << /Predictor 11 /Colors 0 /Columns 4 >> >>", LZWLiterals("abcdef"), true},
      {lzw + " >>", LZWLiterals("a"), false},
      {lzw + " /DecodeParms << /Predictor 12 /Colors 3 /Columns 4 >> >>", LZWLiterals("\x02"), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dictionary);
    TestStore t;
    TPDFStream* image = t.Image(c.dictionary, c.data);
    auto whole = Decoder(image, false);
    auto rows = Decoder(image, true);
    EXPECT_EQ(whole->Failed, c.fails);
    EXPECT_EQ(rows->Failed, c.fails);
    if (c.fails) continue;
    auto expected = Drawn(*whole, GetParam(), {4, 0, 0, -4, 0, 4}, 4, 4);
    auto got = Drawn(*rows, GetParam(), {4, 0, 0, -4, 0, 4}, 4, 4);
    EXPECT_TRUE(rows->Bitmap->Empty());
    ExpectSamePage(*got, *expected);
  }
}
