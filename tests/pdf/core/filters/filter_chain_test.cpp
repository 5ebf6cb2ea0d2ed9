#include "pdf/core/filters/filter_chain.h"

#include <gtest/gtest.h>

#include "pdf/core/filters/ascii85.h"
#include "pdf/core/filters/flate.h"
#include "pdf/core/objects/pdf_objects.h"
#include "tests/pdf/core/filters/filter_vectors.h"

using filtertest::Decoded;
using filtertest::Encoded;
using filtertest::Hex;
using filtertest::SameBytes;

namespace {

class FilterChain : public ::testing::Test {
 protected:
  TPDFStream* Stream(const std::string& data) { return st_.NewStream(data, false); }
  TPDFName* Name(const char* n) { return st_.NewName(n); }
  TPDFArray* Names(std::initializer_list<const char*> names) {
    TPDFArray* a = st_.NewArray();
    for (const char* n : names) a->Add(st_.NewName(n));
    return a;
  }
  TPDFDictionary* Params(std::initializer_list<std::pair<const char*, double>> entries) {
    TPDFDictionary* d = st_.NewDictionary();
    for (const auto& [key, value] : entries) d->SetValue(key, st_.NewNumeric(value));
    return d;
  }
  static std::string Decode(const TPDFStream* s) {
    std::string out;
    EXPECT_TRUE(s->Decode(out));
    return out;
  }

  TPDFStructure st_;
};

}  // namespace

TEST_F(FilterChain, FiltersApplyInTheirListOrder) {
  const std::string text = Decoded("flate_text");
  TPDFStream* s = Stream(ASCII85EncodeString(Encoded("flate_text")));
  s->Dictionary()->SetValue("Filter", Names({"ASCII85Decode", "FlateDecode"}));
  EXPECT_TRUE(SameBytes(Decode(s), text));
  // The short names, and items that are not names are passed over.
  TPDFArray* shortNames = Names({"A85"});
  shortNames->Add(st_.NewNumeric(5));
  shortNames->Add(Name("Fl"));
  s->Dictionary()->SetValue("Filter", shortNames);
  EXPECT_TRUE(SameBytes(Decode(s), text));
  EXPECT_EQ(s->Data(), ASCII85EncodeString(Encoded("flate_text"))) << "the stream is not changed";
}

TEST_F(FilterChain, AsciiHexData) {
  TPDFStream* s = Stream("48 65 6c\n6C 6F>");
  s->Dictionary()->SetValue("Filter", Name("ASCIIHexDecode"));
  EXPECT_EQ(Decode(s), "Hello");
  s->SetData("414>");
  EXPECT_EQ(Decode(s), "A@") << "an odd last digit counts as followed by 0";
  // Hexadecimal text of Flate data, as the stamp appearances are stored.
  std::string hex;
  for (const unsigned char c : Encoded("flate_text")) hex += "0123456789ABCDEF"[c >> 4], hex += "0123456789ABCDEF"[c & 15];
  s->SetData(hex + ">");
  s->Dictionary()->SetValue("Filter", Names({"ASCIIHexDecode", "FlateDecode"}));
  EXPECT_TRUE(SameBytes(Decode(s), Decoded("flate_text")));
}

TEST_F(FilterChain, PredictorParametersReachTheirFilter) {
  TPDFStream* s = Stream(FlateCompressString(Hex("02 01 02 03 04 05 02 01 01 01 01 01")));
  s->Dictionary()->SetValue("Filter", Name("FlateDecode"));
  s->Dictionary()->SetValue("DecodeParms", Params({{"Predictor", 12}, {"Columns", 5}}));
  EXPECT_EQ(Decode(s), Hex("01 02 03 04 05 02 03 04 05 06"));
  // "DP" stands in for an absent "DecodeParms".
  s->Dictionary()->RemoveKey("DecodeParms");
  s->Dictionary()->SetValue("DP", Params({{"Predictor", 12}, {"Columns", 5}}));
  EXPECT_EQ(Decode(s), Hex("01 02 03 04 05 02 03 04 05 06"));
  // Predictor 1 (the default) is plain Flate.
  s->Dictionary()->SetValue("DP", Params({{"Columns", 5}}));
  EXPECT_EQ(Decode(s), Hex("02 01 02 03 04 05 02 01 01 01 01 01"));

  // An array gives its entries to the filters in order; the PNG rows of a real file.
  TPDFStream* png = Stream(ASCII85EncodeString(Encoded("png_rgb8_paeth")));
  png->Dictionary()->SetValue("Filter", Names({"ASCII85Decode", "FlateDecode"}));
  TPDFArray* parms = st_.NewArray();
  parms->Add(st_.NewNull());
  parms->Add(Params({{"Predictor", 15}, {"Colors", 3}, {"BitsPerComponent", 8}, {"Columns", 41}}));
  png->Dictionary()->SetValue("DecodeParms", parms);
  EXPECT_TRUE(SameBytes(Decode(png), Decoded("png_rgb8_paeth")));
}

TEST_F(FilterChain, LzwWithItsParameters) {
  TPDFStream* s = Stream(Encoded("lzw_rgb8_pred2"));
  s->Dictionary()->SetValue("Filter", Name("LZWDecode"));
  s->Dictionary()->SetValue("DecodeParms", Params({{"Predictor", 2}, {"Colors", 3}, {"Columns", 41}}));
  EXPECT_TRUE(SameBytes(Decode(s), Decoded("lzw_rgb8_pred2")));
  // EarlyChange 0: codes widen one entry later than the default.
  filtertest::CodeWriter w(true);
  std::string expected;
  for (int i = 0; i < 300; ++i) {
    w.Put(i % 256, i <= 254 ? 9 : 10);  // entries 258..511 are made by literals 1..254
    expected.push_back(static_cast<char>(i % 256));
  }
  w.Put(257, 10);
  TPDFStream* late = Stream(w.Bytes());
  late->Dictionary()->SetValue("Filter", Name("LZWDecode"));
  std::string out;
  late->Decode(out);
  EXPECT_NE(out, expected) << "the default is early change";
  late->Dictionary()->SetValue("DecodeParms", Params({{"EarlyChange", 0}}));
  EXPECT_TRUE(SameBytes(Decode(late), expected));
}

// Run-length data as content streams carry it (the decoder's own cases are its tests'):
// literal runs, repeats, the end marker, under hexadecimal text, by long and short names.
TEST_F(FilterChain, RunLengthData) {
  TPDFStream* s = Stream("02 31 20 30 FE 20 01 72 67 80 58>");
  s->Dictionary()->SetValue("Filter", Names({"ASCIIHexDecode", "RunLengthDecode"}));
  EXPECT_EQ(Decode(s), "1 0   rg");
  s->Dictionary()->SetValue("Filter", Names({"AHx", "RL"}));
  EXPECT_EQ(Decode(s), "1 0   rg");
  // The caller's ceiling cuts a run.
  std::string out;
  s->SetData("FD 41 80>");
  EXPECT_FALSE(DecodeStreamData(*s, out, 2));
  EXPECT_EQ(out, "AA");
}

// Filters the chain cannot decode (the image codecs, which only the image decoder reads, and
// names no reader knows) leave their bytes as they are and fail the decoding, and the chain
// names the first of them.
TEST_F(FilterChain, ImageCodecsAndUnknownNamesFail) {
  TPDFStream* s = Stream(FlateCompressString("jpeg bytes"));
  s->Dictionary()->SetValue("Filter", Names({"FlateDecode", "DCTDecode"}));
  std::string out;
  EXPECT_FALSE(s->Decode(out));
  EXPECT_EQ(out, "jpeg bytes");
  EXPECT_EQ(FirstUndecodableFilter(*s), "DCTDecode");
  for (const char* name : {"DCTDecode", "CCITTFaxDecode", "JBIG2Decode", "JPXDecode", "NoSuchFilter"}) {
    s->Dictionary()->SetValue("Filter", Name(name));
    EXPECT_FALSE(s->Decode(out)) << name;
    EXPECT_EQ(out, s->Data()) << name;
    EXPECT_EQ(FirstUndecodableFilter(*s), name);
  }
  s->Dictionary()->SetValue("Filter", Names({"FlateDecode"}));
  EXPECT_EQ(FirstUndecodableFilter(*s), "");
  // A crypt filter (Identity, or one the security handler has applied) passes its bytes on.
  s->Dictionary()->SetValue("Filter", Names({"Crypt", "FlateDecode"}));
  EXPECT_TRUE(s->Decode(out));
  EXPECT_EQ(out, "jpeg bytes");
  EXPECT_EQ(FirstUndecodableFilter(*s), "");
  s->Dictionary()->SetValue("Filter", st_.NewNumeric(3));
  EXPECT_EQ(Decode(s), s->Data());
  EXPECT_EQ(FirstUndecodableFilter(*s), "");
}

TEST_F(FilterChain, ReferencesAreResolved) {
  TPDFArray* chain = Names({"FlateDecode"});
  TPDFDictionary* parms = Params({{"Predictor", 12}, {"Columns", 2}});
  st_.OnResolve = [&](TPDFIndRef&, int num, int) -> TPDFObject* {
    if (num == 7) return chain;
    if (num == 8) return parms;
    return nullptr;
  };
  TPDFStream* s = Stream(FlateCompressString(Hex("00 05 06 02 01 01")));
  s->Dictionary()->SetValue("Filter", st_.NewIndRef(7, 0));
  s->Dictionary()->SetValue("DecodeParms", st_.NewIndRef(8, 0));
  EXPECT_EQ(Decode(s), Hex("05 06 06 07"));
  TPDFArray* parmsArray = st_.NewArray();
  parmsArray->Add(st_.NewIndRef(8, 0));
  s->Dictionary()->SetValue("DecodeParms", parmsArray);
  EXPECT_EQ(Decode(s), Hex("05 06 06 07"));
}

TEST_F(FilterChain, CompressedStreamsDecodeBack) {
  const std::string text = Decoded("flate_mixed_best");
  TPDFStream* s = st_.NewStream(text, true);
  EXPECT_TRUE(SameBytes(Decode(s), text));
  EXPECT_LT(s->Data().size(), text.size());
}

TEST_F(FilterChain, FailuresAreReportedWithWhatWasDecoded) {
  TPDFStream* s = Stream("not zlib data");
  s->Dictionary()->SetValue("Filter", Name("FlateDecode"));
  std::string out;
  EXPECT_FALSE(s->Decode(out));
  EXPECT_EQ(out, "");
  // Unusable predictor parameters.
  s->SetData(FlateCompressString("abcdef"));
  s->Dictionary()->SetValue("DecodeParms", Params({{"Predictor", 12}, {"Colors", 0}}));
  EXPECT_FALSE(s->Decode(out));
  EXPECT_EQ(out, "");
  // Truncated data decodes as far as it goes and counts as decoded.
  s->Dictionary()->RemoveKey("DecodeParms");
  const std::string packed = Encoded("flate_text");
  s->SetData(packed.substr(0, packed.size() - 6));
  EXPECT_TRUE(s->Decode(out));
  EXPECT_FALSE(out.empty());
  // The caller's ceiling.
  s->SetData(FlateCompressString(std::string(100000, 'x')));
  EXPECT_FALSE(DecodeStreamData(*s, out, 4096));
  EXPECT_EQ(out, std::string(4096, 'x'));
  s->Dictionary()->SetValue("Filter", Name("ASCII85Decode"));
  s->SetData(std::string(1000, 'z') + "~>");
  EXPECT_FALSE(DecodeStreamData(*s, out, 1000));
  EXPECT_EQ(out, std::string(1000, '\0'));
  // Text without its end marker decodes to its end; text that holds no digit gives nothing.
  s->SetData("87cURD]i,\"Ebo80");
  EXPECT_TRUE(s->Decode(out));
  EXPECT_EQ(out, "Hello World!");
  s->SetData("{|}");
  EXPECT_FALSE(s->Decode(out));
}

// Each stage stays under the ceiling, and all stages together under twice it plus the input:
// three stages of some 900 bytes each pass a ceiling of 2,000 but not one of 1,000.
TEST_F(FilterChain, AllStagesTogetherShareABudget) {
  const std::string plain(900, 'x');
  const std::string middle = FlateCompressToString(FlateCompressToString(plain, 0), 0);  // stored blocks
  TPDFStream* s = Stream(FlateCompressString(middle));
  s->Dictionary()->SetValue("Filter", Names({"FlateDecode", "FlateDecode", "FlateDecode"}));
  ASSERT_LT(s->Data().size(), 100u);
  ASSERT_GT(middle.size(), 900u);
  std::string out;
  EXPECT_TRUE(DecodeStreamData(*s, out, 2000));
  EXPECT_EQ(out, plain);
  EXPECT_FALSE(DecodeStreamData(*s, out, 1000));
  EXPECT_LT(out.size(), plain.size());
}
