// AES modes and RC4 against vectors from python3-cryptography, plus the handler's own rules for
// padding, key lengths and empty keys.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "pdf/core/security/aes_cipher.h"
#include "pdf/core/security/rc4_cipher.h"
#include "tests/support/test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Hex(const std::string& hex) {
  Bytes out;
  if (hex == "-") return out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

std::string Str(const Bytes& b) { return std::string(b.begin(), b.end()); }

TAESBlock Block(const Bytes& b) {
  TAESBlock out{};
  std::copy_n(b.begin(), std::min<size_t>(16, b.size()), out.begin());
  return out;
}

struct Vector {
  std::string kind;
  Bytes key, iv, plain, cipher;
};

std::vector<Vector> LoadVectors() {
  std::string out;
  const std::string script = testsupport::SourceDir() + "/tests/pdf/core/security/cipher_vectors.py";
  if (testsupport::Run("/usr/bin/python3 " + script + " 2>/dev/null", &out) != 0) return {};
  std::vector<Vector> vectors;
  std::istringstream lines(out);
  std::string kind, key, iv, plain, cipher;
  while (lines >> kind >> key >> iv >> plain >> cipher)
    vectors.push_back({kind, Hex(key), Hex(iv), Hex(plain), Hex(cipher)});
  return vectors;
}

// A stream mode run in uneven pieces, so that calls start inside a used block.
Bytes StreamMode(const Vector& v, bool encrypt) {
  TAESContext ctx;
  EXPECT_EQ(ctx.SetEncryptKey(v.key, static_cast<int>(v.key.size())), 0);
  const Bytes& in = encrypt ? v.plain : v.cipher;
  Bytes out(in.size());
  TAESBlock iv = Block(v.iv);
  for (size_t at = 0, piece = 7; at < in.size(); at += piece, piece = 13) {
    const size_t n = std::min(piece, in.size() - at);
    std::span<const uint8_t> src(in.data() + at, n);
    std::span<uint8_t> dst(out.data() + at, n);
    int rc = v.kind == "cfb" ? AESCryptCFB(ctx, encrypt, src, dst, iv)
             : v.kind == "ofb" ? AESCryptOFB(ctx, src, dst, iv)
                               : AESCryptCTR(ctx, src, dst, iv);
    EXPECT_EQ(rc, 0);
  }
  return out;
}

void CheckBlockMode(const Vector& v) {
  const int bits = static_cast<int>(v.key.size()) * 8;
  TAESContext enc, dec;
  ASSERT_EQ(enc.SetEncryptKey(v.key, bits), 0);
  ASSERT_EQ(dec.SetDecryptKey(v.key, bits), 0);
  EXPECT_EQ(enc.Rounds(), static_cast<int>(v.key.size()) / 4 + 6);
  Bytes out(v.plain.size());
  if (v.kind == "ecb") {
    ASSERT_EQ(AESCryptECB(enc, v.plain, out), 0);
    EXPECT_EQ(out, v.cipher);
    ASSERT_EQ(AESCryptECB(dec, out, out), 0);
    EXPECT_EQ(out, v.plain);
    return;
  }
  TAESBlock iv = Block(v.iv);
  ASSERT_EQ(AESCryptCBC(enc, v.plain, out, iv), 0);
  EXPECT_EQ(out, v.cipher);
  EXPECT_EQ(iv, Block(Bytes(v.cipher.end() - 16, v.cipher.end())));  // chains into the next call
  iv = Block(v.iv);
  ASSERT_EQ(AESCryptCBC(dec, out, out, iv), 0);  // in place
  EXPECT_EQ(out, v.plain);
  EXPECT_EQ(AESDecryptCBC(Str(v.key), Block(v.iv), Str(v.cipher)), Str(v.plain));
}

TEST(Ciphers, MatchPythonCryptography) {
  const std::vector<Vector> vectors = LoadVectors();
  if (vectors.empty()) GTEST_SKIP() << "needs python3-cryptography";
  for (const Vector& v : vectors) {
    SCOPED_TRACE(v.kind + " key bytes " + std::to_string(v.key.size()) + " length " + std::to_string(v.plain.size()));
    if (v.kind == "ecb" || v.kind == "cbc") {
      CheckBlockMode(v);
    } else if (v.kind == "cfb" || v.kind == "ofb" || v.kind == "ctr") {
      EXPECT_EQ(StreamMode(v, true), v.cipher);
      EXPECT_EQ(StreamMode(v, false), v.plain);
    } else if (v.kind == "withiv") {
      bool ok = false;
      EXPECT_EQ(AESDecryptWithIV(Str(v.key), Str(v.cipher), &ok), Str(v.plain));
      EXPECT_TRUE(ok);
    } else if (v.kind == "rc4") {
      EXPECT_EQ(RC4Crypt(Str(v.key), Str(v.plain)), Str(v.cipher));
      EXPECT_EQ(RC4Crypt(Str(v.key), Str(v.cipher)), Str(v.plain));
    }
  }
}

TEST(Ciphers, Rc4PublishedVectorsAndEmptyKey) {
  struct Case {
    const char* key;
    const char* plain;
    const char* cipher;
  } cases[] = {{"Key", "Plaintext", "bbf316e8d940af0ad3"},
               {"Wiki", "pedia", "1021bf0420"},
               {"Secret", "Attack at dawn", "45a01f645fc35b383552544b9bf5"}};
  for (const Case& c : cases) EXPECT_EQ(RC4Crypt(c.key, c.plain), Str(Hex(c.cipher))) << c.key;
  EXPECT_EQ(RC4Crypt("", "unchanged"), "unchanged");
}

TEST(Ciphers, KeyLengthsAndBlockSizes) {
  const Bytes key(32, 7);
  TAESContext ctx;
  for (int length : {16, 128, 24, 192, 32, 256}) EXPECT_EQ(ctx.SetEncryptKey(key, length), 0) << length;
  for (int length : {0, 8, 15, 17, 20, 40, 64, 512}) EXPECT_EQ(ctx.SetEncryptKey(key, length), 1) << length;
  EXPECT_EQ(ctx.Rounds(), 0);
  EXPECT_EQ(ctx.SetEncryptKey(Bytes(16, 1), 256), 1) << "key shorter than its length";

  ASSERT_EQ(ctx.SetEncryptKey(key, 128), 0);
  Bytes odd(17), out(17);
  TAESBlock iv{};
  EXPECT_EQ(AESCryptECB(ctx, odd, out), 1);
  EXPECT_EQ(AESCryptCBC(ctx, odd, out, iv), 1);
  EXPECT_EQ(AESCryptCTR(ctx, odd, out, iv), 0);
  EXPECT_EQ(AESDecryptCBC(std::string(20, 'k'), iv, std::string(16, 'x')), "") << "20-byte key";
}

// An AES string as a writer stores it: IV then whole blocks whose last byte counts the padding.
std::string Encrypted(const std::string& key, const Bytes& plainBlocks) {
  TAESContext ctx;
  EXPECT_EQ(ctx.SetEncryptKey({reinterpret_cast<const uint8_t*>(key.data()), key.size()}, 128), 0);
  TAESBlock iv{};
  iv.fill(0x5A);
  Bytes out(plainBlocks.size());
  EXPECT_EQ(AESCryptCBC(ctx, plainBlocks, out, iv), 0);
  return std::string(16, '\x5A') + Str(out);
}

TEST(Ciphers, AesWithIvRefusesWhatDoesNotDecrypt) {
  const std::string key(16, 'k');
  bool ok = true;
  EXPECT_EQ(AESDecryptWithIV(key, "", &ok), "");
  EXPECT_TRUE(ok) << "an empty string stays empty";
  struct Case {
    const char* what;
    std::string data;
  } cases[] = {
      {"shorter than a block", std::string(9, 'a')},
      {"the IV only", std::string(16, 'a')},
      {"a cut block", std::string(16 + 20, 'a')},
      {"padding byte 0", Encrypted(key, Bytes(16, 0))},
      {"padding byte 17", Encrypted(key, Bytes(16, 17))},
      {"padding bytes that differ", Encrypted(key, [] { Bytes b(16, 4); b[13] = 3; return b; }())},
  };
  for (const Case& c : cases) {
    ok = true;
    EXPECT_EQ(AESDecryptWithIV(key, c.data, &ok), "") << c.what;
    EXPECT_FALSE(ok) << c.what;
  }
  Bytes full(32, 'p');
  std::fill(full.begin() + 16, full.end(), 16);  // a whole block of padding
  EXPECT_EQ(AESDecryptWithIV(key, Encrypted(key, full), &ok), std::string(16, 'p'));
  EXPECT_TRUE(ok);
}

}  // namespace
