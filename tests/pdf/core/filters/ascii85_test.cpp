#include "pdf/core/filters/ascii85.h"

#include <gtest/gtest.h>

#include "tests/pdf/core/filters/filter_vectors.h"

using filtertest::Decoded;
using filtertest::Encoded;

namespace {

const char* const kVectors[] = {"a85_text",  "a85_zeros", "a85_binary",   "a85_tail1",
                                "a85_tail2", "a85_tail3", "a85_highbytes"};

std::string WithoutLineEnds(std::string s) {
  std::erase(s, '\r');
  std::erase(s, '\n');
  return s;
}

}  // namespace

TEST(Ascii85, DecodesPythonsEncoding) {
  for (const char* name : kVectors) EXPECT_TRUE(filtertest::SameBytes(ASCII85Decode(Encoded(name)), Decoded(name))) << name;
}

TEST(Ascii85, EncodesLikePythonWithCrLfLines) {
  for (const char* name : kVectors) {
    const std::string ours = ASCII85EncodeString(Decoded(name));
    EXPECT_EQ(WithoutLineEnds(ours), WithoutLineEnds(Encoded(name))) << name;
    EXPECT_TRUE(filtertest::SameBytes(ASCII85Decode(ours), Decoded(name))) << name;
  }
}

TEST(Ascii85, LinesHold71To75CharactersAndTheMarkerEndsTheText) {
  const std::string data = filtertest::Noise(1000, 11) + std::string(200, '\0');
  const std::string text = ASCII85EncodeString(data);
  size_t start = 0;
  int lines = 0;
  for (size_t eol; (eol = text.find("\r\n", start)) != std::string::npos; start = eol + 2, ++lines) {
    EXPECT_GE(eol - start, 71u);
    EXPECT_LE(eol - start, 75u);
  }
  EXPECT_GT(lines, 10);
  EXPECT_EQ(text.substr(text.size() - 2), "~>");
  EXPECT_LE(text.size() - start, 77u);
  EXPECT_EQ(ASCII85Decode(text), data);
}

TEST(Ascii85, SmallCases) {
  EXPECT_EQ(ASCII85EncodeString(std::string(4, '\0')), "z~>");
  EXPECT_EQ(ASCII85EncodeString(std::string(1, '\0')), "!!~>");
  EXPECT_EQ(ASCII85EncodeString(std::string(3, '\0')), "!!!!~>");
  EXPECT_EQ(ASCII85EncodeString(""), "~>");
  EXPECT_EQ(ASCII85EncodeString("\xFF\xFF\xFF\xFF"), "s8W-!~>");

  EXPECT_EQ(ASCII85Decode("z~>"), std::string(4, '\0'));
  EXPECT_EQ(ASCII85Decode("~>"), "");
  EXPECT_EQ(ASCII85Decode("87cURD]i,\"Ebo80~>"), "Hello World!");
  EXPECT_EQ(ASCII85Decode(" 87cU\r\nRD]i,\t\"Ebo80 ~> trailing text"), "Hello World!");
  // A missing end marker, or its ">" alone, cuts nothing short; a "~" ends the data whatever
  // follows it, a last partial group included.
  EXPECT_EQ(ASCII85Decode("87cURD]i,\"Ebo80"), "Hello World!") << "no end marker";
  EXPECT_EQ(ASCII85Decode("87cURD]i,\"Ebo80~"), "Hello World!");
  EXPECT_EQ(ASCII85Decode("87cURD]i,\"Ebo80~\r\n"), "Hello World!");
  EXPECT_EQ(ASCII85Decode("87cURD]i,\"Ebo~"), "Hello Worl");
  EXPECT_EQ(ASCII85Decode("87cURD]i,\"Ebo"), "Hello Worl");
  EXPECT_EQ(ASCII85Decode("87cUR~xyz~>"), "Hell");
  EXPECT_EQ(ASCII85Decode("87cUR!~>"), "Hell") << "a lone leftover character gives nothing";
  EXPECT_EQ(ASCII85Decode("s8W-!~>"), "\xFF\xFF\xFF\xFF");
  // A group above 2^32 - 1 cannot come from an encoder; it decodes to zeros.
  EXPECT_EQ(ASCII85Decode("uuuuu~>"), std::string(4, '\0'));
  EXPECT_EQ(ASCII85Decode("s8W-\"~>"), std::string(4, '\0'));
}

TEST(Ascii85, StreamEncoderRewindsItsInput) {
  TMemoryStream in(std::string_view("Hello World!"));
  in.SetPosition(5);
  TMemoryStream out;
  ASCII85EncodeStream(in, out);
  EXPECT_EQ(out.DataString(), "87cURD]i,\"Ebo80~>");
}
