#include "pdf/core/md5.h"

#include <gtest/gtest.h>

#include "platform/rtl/streams.h"

namespace {

std::string HexOf(std::string_view s) {
  TMD5Digest d;
  MD5String(s, d);
  return MD5DigestToHex(d);
}

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + 3) & 255);
  return s;
}

}  // namespace

TEST(MD5, Rfc1321TestSuite) {
  const struct { const char* in; const char* hex; } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& c : cases) EXPECT_EQ(HexOf(c.in), c.hex) << '"' << c.in << '"';
}

// Lengths around the padding boundaries (a 56-byte message needs a second block); expected
// values computed once with Python's hashlib.
TEST(MD5, PaddingBoundaries) {
  const struct { size_t n; const char* hex; } cases[] = {
      {55, "52c0e574e1198de5fe3f8f11440dcb1b"}, {56, "46c9907fc908ee68b1e7b8e71286a518"},
      {57, "1c805dd236c35cab25fcb1bc73802c51"}, {63, "a62f6d59e837867693f042f5b8f5a236"},
      {64, "7160b8fb5e9e4023d549c3971fbaeead"}, {65, "70bd662e7aefbda85a0f7244167b7897"},
      {1000000, "4e8560dbecc9d8178fccd03632c646cb"},
  };
  for (const auto& c : cases) EXPECT_EQ(HexOf(Pattern(c.n)), c.hex) << c.n;
}

TEST(MD5, UpdateInPiecesEqualsOneCall) {
  const std::string data = Pattern(1000);
  for (size_t step : {1u, 3u, 63u, 64u, 65u, 200u}) {
    TMD5Context ctx;
    MD5Init(ctx);
    for (size_t i = 0; i < data.size(); i += step) MD5Update(ctx, data.data() + i, std::min(step, data.size() - i));
    TMD5Digest d;
    MD5Final(ctx, d);
    EXPECT_EQ(MD5DigestToHex(d), HexOf(data)) << step;
    EXPECT_EQ(ctx.State[0], 0u) << "context is wiped";
  }
}

TEST(MD5, StreamRewindsAndDigestsWhole) {
  TMemoryStream s("abc");
  s.SetPosition(2);
  std::string digest;
  MD5Stream(s, digest);
  ASSERT_EQ(digest.size(), 16u);
  TMD5Digest d;
  std::copy(digest.begin(), digest.end(), d.begin());
  EXPECT_EQ(MD5DigestToHex(d), "900150983cd24fb0d6963f7d28e17f72");
}

// A stream with nothing to read has no digest; the empty string has the empty message's.
TEST(MD5, EmptyStreamGivesNoDigestAndTheEmptyStringItsDigest) {
  TMemoryStream s;
  std::string digest = "junk";
  MD5Stream(s, digest);
  EXPECT_EQ(digest, "");
  TMD5Digest empty;
  MD5String("", empty);
  EXPECT_EQ(MD5DigestToHex(empty), "d41d8cd98f00b204e9800998ecf8427e");
}
