// Inline images: the dictionary, where the data end for every kind of filter, colour spaces from
// the resources, and decoding the record.
#include <gtest/gtest.h>

#include <random>

#include "pdf/codecs/image_decoder/inline_image.h"
#include "pdf/core/filters/ascii85.h"
#include "pdf/core/filters/flate.h"
#include "tests/pdf/codecs/image_decoder/image_test_util.h"

using namespace imgtest;
using inlineimage::NextInlineToken;

namespace {

struct Parsed {
  bool ok = false;
  TPDFInlineImage image;
  int32_t position = 0;
};

// Parses the inline image whose "BI" starts the text.
Parsed Parse(const std::string& text, TPDFDictionary* resources = nullptr) {
  Parsed p;
  p.position = 3;  // just after "BI"
  p.ok = ParseInlineImage(text, p.position, p.image, resources, nullptr);
  return p;
}

}  // namespace

TEST(InlineImage, Tokens) {
  const std::string text = "  /W 12/H[ 1 0 ]<< /K -1 >>(a(b)c\\)d)<0A1F>'ID";
  size_t pos = 0;
  std::vector<std::string> tokens;
  for (std::string_view t = NextInlineToken(text, pos); !t.empty(); t = NextInlineToken(text, pos)) tokens.emplace_back(t);
  EXPECT_EQ(tokens, (std::vector<std::string>{"/W", "12", "/H", "[", "1", "0", "]", "<< /K -1 >>", "(a(b)c\\)d)", "<0A1F>",
                                              "'", "ID"}));
  EXPECT_EQ(inlineimage::ExpandInlineAbbreviation("/CCF"), "/CCITTFaxDecode");
  EXPECT_EQ(inlineimage::ExpandInlineAbbreviation("/I"), "/Indexed");
  EXPECT_EQ(inlineimage::ExpandInlineAbbreviation("/Gx"), "/Gx");
}

// Width 2, height 2, /G, 8 bits: the 4 bytes and the blank before EI are the data.
TEST(InlineImage, UnfilteredSamplesAreCountedOut) {
  const std::string text = "BI /W 2 /H 2 /CS /G /BPC 8 ID \x01\x02\x03\x04 EI Q";
  const Parsed p = Parse(text);
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.image.Data, "\x01\x02\x03\x04 ");
  EXPECT_EQ(p.image.ColorSpace, "DeviceGray");
  EXPECT_EQ(p.image.Width, 2);
  EXPECT_EQ(p.image.DataStart, int32_t(text.find("ID") + 3));
  // An end found by searching leaves the position at its "E".
  EXPECT_EQ(text.substr(size_t(p.position - 1)), "EI Q");
  // "EI" inside the samples is passed over: they are exactly width x height bytes.
  const Parsed q = Parse("BI /W 6 /H 1 /CS /RGB /BPC 8 ID EI EI EI EI EI EI\nEI\n");
  ASSERT_TRUE(q.ok);
  EXPECT_EQ(q.image.Data, "EI EI EI EI EI EI\n");
  // A row holds width x bits x components bits rounded up once: 4-bit RGB of width 3 is 5 bytes
  // a row, not 2 bytes of each component's samples (6), which would run past the real "EI".
  const Parsed r = Parse("BI /W 3 /H 2 /CS /RGB /BPC 4 ID abcdefghij EI Q EI ");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.image.Data, "abcdefghij ");
}

// Binary data: "EI" counts only with a white-space byte after it and text for 10 bytes more.
TEST(InlineImage, GeneralSearchLooksAtTheTextAround) {
  const std::string binary = std::string("\x80\x81" "EI \x01\x02\x03zzzzzz" "EI\x05" "EI", 18);
  const std::string text = "BI /W 8 /H 8 /BPC 8 /CS /G /F /LZW ID " + binary + "\nEI\nQ\nq 1 0 0 1 0 0 cm\n";
  const Parsed p = Parse(text);
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.image.Data, binary + "\n");
  EXPECT_EQ(p.image.Filter, "/LZWDecode");
  EXPECT_EQ(text.substr(size_t(p.position - 1), 5), "EI\nQ\n");
  EXPECT_TRUE(inlineimage::IsInlineImageEnd("EI Q", 2));
  EXPECT_FALSE(inlineimage::IsInlineImageEnd("EIQ", 2));
  EXPECT_FALSE(inlineimage::IsInlineImageEnd(std::string("EI \x01 and more text here", 23), 2));
}

// JPEG data are walked marker by marker, entropy-coded data (with FF 00 and restart markers)
// to the end-of-image marker.
TEST(InlineImage, JPEGDataEndAtTheirEndMarker) {
  const std::string jpeg = std::string("\xFF\xD8\xFF\xE0\x00\x04" "ab" "\xFF\xDA\x00\x03" "x" "\x12\xFF\x00" "EI ok "
                                       "\xFF\xD0" "\x34\xFF\x00\x56" "\xFF\xD9",
                                       30);
  const std::string text = "BI /W 1 /H 1 /CS /RGB /BPC 8 /F /DCT ID " + jpeg + " EI Q";
  const Parsed p = Parse(text);
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.image.Data, jpeg);
  EXPECT_EQ(p.image.Filter, "/DCTDecode");
  EXPECT_EQ(text.substr(size_t(p.position - 1)), " Q") << "the end read as a token is passed";
}

// Fill bytes (FF) before a marker and markers that have no length (TEM, FF 01) are stepped
// over by the walk to the end-of-image marker.
TEST(InlineImage, JPEGFillBytesAndMarkersWithoutLengthAreWalked) {
  const std::string jpeg = std::string("\xFF\xD8\xFF\xFF\xE0\x00\x04", 7) + "ab\xFF\x01" +
                           std::string("\xFF\xDA\x00\x03", 4) + "x\x12 EI ok \xFF\xD9";
  const std::string text = "BI /W 1 /H 1 /CS /RGB /BPC 8 /F /DCT ID " + jpeg + " EI Q";
  const Parsed p = Parse(text);
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.image.Data, jpeg);
  EXPECT_EQ(text.substr(size_t(p.position - 1)), " Q");
}

// ASCII85 data end at "~>", even when "EI" stands inside them.
TEST(InlineImage, ASCII85DataEndAtTheirMarker) {
  const std::string a85 = "9jqo EI mnopqrstuvwxyz ^BlbD-~>";
  for (const std::string filter : {"/A85", "[ /A85 /Fl ]"}) {
    SCOPED_TRACE(filter);
    const std::string text = "BI /W 1 /H 1 /CS /G /BPC 8 /F " + filter + " ID " + a85 + "\nEI Q";
    const Parsed p = Parse(text);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.image.Data, a85);
    EXPECT_EQ(text.substr(size_t(p.position - 1)), " Q");
  }
  EXPECT_FALSE(Parse("BI /W 1 /H 1 /F [ /A85 /Fl ] ID x").ok);  // no end
}

// Flate data: a candidate is taken when the data before it inflate to (nearly) the expected
// size.
TEST(InlineImage, FlateDataEndWhereTheyInflateToTheSamples) {
  const std::string samples(300, 'A');
  // A stored block holds the bytes as they are, so its inside can look like an end.
  const std::string inside = samples.substr(0, 100) + "\nEI\nQ q 1 0 0 1 0 0 cm\n" + samples.substr(0, 177);
  ASSERT_EQ(inside.size(), 300u);
  const std::string flate = FlateStoreString(inside);
  const std::string text = "BI /W 300 /H 1 /CS /G /BPC 8 /F /Fl ID " + flate + "\nEI\nQ\n";
  const Parsed p = Parse(text);
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.image.Data, flate + "\n");
  EXPECT_EQ(text.substr(size_t(p.position - 1)), "EI\nQ\n");
  // Run-length data under Flate, the same way.
  const std::string rl = std::string("\x81" "A", 2) + std::string("\x80", 1);  // 128 x 'A', end
  const Parsed r = Parse("BI /W 128 /H 1 /CS /G /BPC 8 /F [ /Fl /RL ] ID " + FlateCompressString(rl) + "\nEI\n");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(FlateDecompressString(r.image.Data), rl);
  // Samples that do not compress: their run-length data are longer than they are, by a byte in
  // 128 in long literal runs, twice as long in runs of one. The image's own "EI" ends them, not
  // the one of the image after it.
  std::mt19937 random(48);
  for (const int run : {128, 1, 7}) {
    SCOPED_TRACE(run);
    std::string noise(3000, '\0'), coded;
    for (char& ch : noise) ch = char(random());
    for (size_t at = 0; at < noise.size(); at += size_t(run)) {
      const std::string piece = noise.substr(at, size_t(run));
      coded += char(piece.size() - 1);
      coded += piece;
    }
    coded += '\x80';
    const std::string data = FlateCompressString(coded);
    const std::string next = "Q\nq BI /W 2 /H 1 /CS /G /BPC 8 /F /AHx ID 00FF> EI Q\n";
    const std::string text = "BI /W 1000 /H 1 /CS /RGB /BPC 8 /F [ /Fl /RL ] ID " + data + "\nEI\n" + next;
    const Parsed n = Parse(text);
    ASSERT_TRUE(n.ok);
    EXPECT_EQ(n.image.Data, data + "\n");
    EXPECT_EQ(text.substr(size_t(n.position - 1)), "EI\n" + next);
  }
}

TEST(InlineImage, DictionaryValues) {
  const Parsed p = Parse(
      "BI /Width 3 /Height 2 /BitsPerComponent 1 /ImageMask true /Decode [ 1 0 ] /DecodeParms << /K -1 /Columns 3 >> "
      "/Filter /CCF /Interpolate true /Unknown (x) ID ab EI ");
  ASSERT_TRUE(p.ok);
  EXPECT_TRUE(p.image.ImageMask);
  EXPECT_EQ(p.image.ColorSpace, "/DeviceGray");
  EXPECT_EQ(p.image.Decode, "[ 1 0 ]");
  EXPECT_EQ(p.image.DecodeParms, "[ << /K -1 /Columns 3 >> ]");
  EXPECT_EQ(p.image.Filter, "/CCITTFaxDecode");
  const Parsed q = Parse("BI /W 1 /H 1 /CS [ /I /RGB 1 <FF000000FF00> ] /F [ /AHx /Fl ] /DP [ null null ] ID x EI ");
  ASSERT_TRUE(q.ok);
  EXPECT_EQ(q.image.ColorSpace, "[ /Indexed /DeviceRGB 1 <FF000000FF00> ]");
  EXPECT_EQ(q.image.Filter, "[ /ASCIIHexDecode /FlateDecode ]");
  EXPECT_EQ(q.image.DecodeParms, "[ null null ]");
  // No ID, no EI: false.
  EXPECT_FALSE(Parse("BI /W 1 /H 1 /CS /G /BPC 8 x").ok);
  EXPECT_FALSE(Parse("BI /W 1 /H 1 /CS /G /BPC 8 ID \x01").ok);
  EXPECT_FALSE(Parse("BI /W 1 /H 1 /F /AHx ID 00>").ok);
  EXPECT_FALSE(Parse("").ok);
}

// Colour spaces named by the resources: their family, an indexed table as a string.
TEST(InlineImage, ColourSpacesFromTheResources) {
  TestStore t;
  auto* resources = PDFCast<TPDFDictionary>(t.Parse(
      "<< /ColorSpace << /P [ /Indexed /DeviceRGB 1 <FF000000FF00> ] /C [ /CalRGB << >> ] /N /DeviceCMYK "
      "/S [ /Indexed /DeviceRGB 300 (ab) ] >> >>"));
  const Parsed p = Parse(std::string("BI /W 2 /H 1 /CS /P /BPC 8 ID \x00\x01 EI ", 36), resources);
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.image.ColorSpace, "[ /Indexed /DeviceRGB 1 <FF000000FF00> ]");
  EXPECT_EQ(p.image.Data, std::string("\x00\x01 ", 3));
  EXPECT_EQ(Parse("BI /W 2 /H 1 /CS /C /BPC 8 ID abcdef EI ", resources).image.Data, "abcdef ");
  EXPECT_EQ(Parse("BI /W 1 /H 1 /CS /N /BPC 8 ID abcd EI ", resources).image.ColorSpace, "DeviceCMYK");
  // A short table is made up to HiVal's size (HiVal capped at 255).
  const std::string s = Parse("BI /W 1 /H 1 /CS /S /BPC 8 ID a EI ", resources).image.ColorSpace;
  EXPECT_EQ(s.size(), std::string("[ /Indexed /DeviceRGB 255 <> ]").size() + 256 * 6);
  // An unknown name without resources stays as given.
  EXPECT_EQ(Parse("BI /W 1 /H 1 /CS /Other /BPC 8 ID a EI ").image.ColorSpace, "/Other");
}

// Unfiltered samples are counted by the components of the space the name stands for (Lab,
// ICCBased, DeviceN as much as the device spaces), a stencil without /BPC by one bit a sample:
// an "EI" inside them is passed over.
TEST(InlineImage, SamplesAreCountedByTheSpaceTheNameStandsFor) {
  TestStore t;
  t.Register(4, t.Stream("<< /N 3 >>", "profile"));
  t.Register(5, t.Stream("<< /Filter /FlateDecode >>", FlateCompressString("\x11\x22\x33\x44\x55\x66")));
  auto* resources = PDFCast<TPDFDictionary>(t.Parse(
      "<< /ColorSpace << /L [ /Lab << /WhitePoint [ 0.95 1 1.09 ] >> ] /C [ /ICCBased 4 0 R ] "
      "/D [ /DeviceN [ /a /b ] /DeviceRGB << /FunctionType 2 /Domain [ 0 1 ] /N 1 >> ] "
      "/X [ /Indexed /DeviceRGB 1 5 0 R ] >> >>"));
  struct {
    std::string text, data;
  } cases[] = {
      {"BI /W 2 /H 1 /CS /L /BPC 8 ID abEIcd EI ", "abEIcd "},
      {"BI /W 2 /H 1 /CS /C /BPC 8 ID abEIcd EI ", "abEIcd "},
      {"BI /W 2 /H 1 /CS /D /BPC 8 ID aEIb EI ", "aEIb "},
      {"BI /W 16 /H 1 /IM true ID EI EI ", "EI "},
      {"BI /W 16 /H 1 /ImageMask true /CS /L ID EI EI ", "EI "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const Parsed p = Parse(c.text, resources);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.image.Data, c.data);
  }
  // A table given as a stream is the stream's decoded data.
  const Parsed x = Parse(std::string("BI /W 1 /H 1 /CS /X /BPC 8 ID \x01 EI ", 35), resources);
  ASSERT_TRUE(x.ok);
  EXPECT_EQ(x.image.ColorSpace, "[ /Indexed /DeviceRGB 1 <112233445566> ]");
}

// Each "EI" in Flate data costs an inflate of the data before it; after 64 of them the first
// "EI" that the text around it accepts ends the data, so that a content stream of many
// candidates costs no more than 64 inflates of it.
TEST(InlineImage, InflatingStopsAfterSixtyFourCandidates) {
  const std::string samples(4000, 'A');
  std::string inside;
  for (int i = 0; i < 70; ++i) inside += "xx\nEI\nQ q 1 0 0 1 0 0 cm\n";
  inside += samples.substr(inside.size());
  const std::string flate = FlateStoreString(inside);
  const std::string text = "BI /W 4000 /H 1 /CS /G /BPC 8 /F /Fl ID " + flate + "\nEI\nQ\n";
  const Parsed p = Parse(text);
  ASSERT_TRUE(p.ok);
  // The 65th candidate ends the data, unasked.
  const size_t start = text.find(" ID ") + 4;
  size_t at = start;
  for (int i = 0; i < 65; ++i) at = text.find("\nEI\n", at) + 1;
  EXPECT_EQ(p.image.Data.size(), at - start);
  EXPECT_TRUE(text.compare(start, at - start, p.image.Data) == 0);
}

// Decoding the record: samples, an indexed image, a stencil without /BPC.
TEST(InlineImage, DecodesLikeAnImageXObject) {
  TestStore t;
  auto decode = [&](const std::string& text, TPDFDictionary* resources = nullptr) {
    const Parsed p = Parse(text, resources);
    auto d = std::make_unique<TPDFImageDecoder>();
    EXPECT_TRUE(p.ok) << text;
    d->SetInlineImage(p.image, &t.store());
    return d;
  };
  auto rgb = decode(std::string("BI /W 2 /H 1 /CS /RGB /BPC 8 ID \xFF\x00\x00\x00\x00\xFF EI ", 42));
  ASSERT_FALSE(rgb->Failed);
  Pixels px = DecodedPixels(*rgb);
  ASSERT_EQ(px.width, 2);
  EXPECT_EQ(px.Rgb(0, 0), Rgb(255, 0, 0));
  EXPECT_EQ(px.Rgb(1, 0), Rgb(0, 0, 255));

  // Indexes beyond HiVal take HiVal's colour.
  auto indexed = decode(std::string("BI /W 3 /H 1 /CS [ /I /RGB 1 <FF000000FF00> ] /BPC 8 ID \x00\x01\x07 EI ", 63));
  ASSERT_FALSE(indexed->Failed);
  px = DecodedPixels(*indexed);
  EXPECT_EQ(px.Rgb(0, 0), Rgb(255, 0, 0));
  EXPECT_EQ(px.Rgb(1, 0), Rgb(0, 255, 0));
  EXPECT_EQ(px.Rgb(2, 0), Rgb(0, 255, 0));

  auto hex = decode("BI /W 2 /H 1 /CS /G /BPC 8 /F /AHx ID 00FF> EI ");
  ASSERT_FALSE(hex->Failed);
  px = DecodedPixels(*hex);
  EXPECT_EQ(px.Rgb(0, 0), 0u);
  EXPECT_EQ(px.Rgb(1, 0), Rgb(255, 255, 255));

  // A stencil mask without /BPC is one bit a sample: 8 pixels from one byte.
  auto stencil = decode("BI /W 8 /H 1 /IM true ID \x0F EI ");
  ASSERT_FALSE(stencil->Failed);
  EXPECT_EQ(stencil->BitsPerComponent, 1);
  EXPECT_EQ(stencil->MaskKind, kMaskStencil);

  // A highest index that is no number reads as 0: every index takes entry 0.
  auto named = decode("BI /W 2 /H 1 /CS [ /I /RGB /x <FF000000FF00> ] /BPC 8 ID " + std::string("\x00\x01", 2) + " EI ");
  ASSERT_FALSE(named->Failed);
  px = DecodedPixels(*named);
  EXPECT_EQ(px.Rgb(0, 0), Rgb(255, 0, 0));
  EXPECT_EQ(px.Rgb(1, 0), Rgb(255, 0, 0));
  // A negative one names no entry: black.
  auto* resources = PDFCast<TPDFDictionary>(
      t.Parse("<< /ColorSpace << /N [ /Indexed /DeviceRGB -3 <FF0000> ] /M [ /Indexed1 /DeviceRGB -3 <FF0000> ] >> >>"));
  for (const char* name : {"/N", "/M"}) {
    SCOPED_TRACE(name);
    auto none = decode(std::string("BI /W 1 /H 1 /CS ") + name + " /BPC 8 ID " + std::string(1, '\0') + " EI ", resources);
    ASSERT_FALSE(none->Failed);
    EXPECT_EQ(DecodedPixels(*none).Rgb(0, 0), 0u);
  }

  // Nothing decodable: failed, nothing raised.
  EXPECT_TRUE(decode("BI /W 0 /H 1 /CS /G /BPC 8 ID x EI ")->Failed);
  EXPECT_TRUE(decode("BI /W 2 /H 1 /CS /G /BPC 8 /F /DCT ID xy EI ")->Failed);
}

// An "Indexed1" resource space is expanded into its base space at once, indexes clamped.
TEST(InlineImage, Indexed1IsExpandedAtOnce) {
  TestStore t;
  auto* resources = PDFCast<TPDFDictionary>(
      t.Parse("<< /ColorSpace << /X [ /Indexed1 /DeviceRGB 1 <0A0B0C1A1B1C> ] >> >>"));
  const Parsed p = Parse(std::string("BI /W 3 /H 1 /CS /X /BPC 8 ID \x01\x00\x09 EI ", 37), resources);
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.image.ColorSpace, "DeviceRGB");
  EXPECT_EQ(p.image.Filter, "");
  // Three pixels, and the blank before EI read as a fourth index (beyond HiVal: entry 1).
  EXPECT_EQ(p.image.Data, "\x1A\x1B\x1C\x0A\x0B\x0C\x1A\x1B\x1C\x1A\x1B\x1C");
}

// Random damage to inline images never crashes or runs away.
TEST(InlineImage, RandomDamage) {
  const std::string base =
      "BI /W 4 /H 3 /CS [ /I /RGB 1 <FF000000FF00> ] /BPC 8 /F [ /Fl /RL ] /DP [ null null ] ID " +
      FlateCompressString(std::string("\x0B" "abcdefghijkl\x80", 14)) + "\nEI\nQ\nBI /W 2 /H 2 /IM true /F /A85 ID " +
      "9jqo^~>\nEI\n";
  std::mt19937 rng(3);
  TestStore t;
  for (int round = 0; round < 3000; ++round) {
    std::string s = base;
    const int edits = 1 + int(rng() % 5);
    for (int e = 0; e < edits; ++e) s[rng() % s.size()] = char(rng());
    Parsed p = Parse(s);
    if (p.ok) {
      EXPECT_GE(p.position, 3);
      EXPECT_LE(size_t(p.position), s.size() + 1);
      if (int64_t(p.image.Width) * p.image.Height < 4096) {
        TPDFImageDecoder d;
        d.SetInlineImage(p.image, &t.store());
      }
    }
  }
}
