// AES (FIPS-197) for the standard security handler. The block cipher is libcrypto's; the
// chaining of the modes is kept here because the stream modes (CFB, OFB, CTR) must continue
// inside a partly used block from one call to the next, with the IV owned by the caller.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

struct evp_cipher_ctx_st;

using TAESBlock = std::array<uint8_t, 16>;

class TAESContext {
 public:
  TAESContext();
  ~TAESContext();
  TAESContext(const TAESContext&) = delete;
  TAESContext& operator=(const TAESContext&) = delete;

  int Rounds() const { return rounds_; }  // 10, 12 or 14; 0 before a key is set
  bool Decrypting() const { return decrypting_; }
  // Position inside the current keystream block of the stream modes.
  uint8_t ModePosition = 0;
  // The keystream block of the counter mode, kept for a call that starts inside it.
  TAESBlock CounterStream{};

  // 0 success, 1 failure. A length of 16 or 128 selects AES-128, 24 or 192 AES-192, 32 or 256
  // AES-256; any other length, or a key shorter than it, fails.
  int SetEncryptKey(std::span<const uint8_t> key, int length);
  int SetDecryptKey(std::span<const uint8_t> key, int length);
  // One block through the schedule that was set; false when none is.
  bool Block(const uint8_t* in, uint8_t* out);
  // Whole blocks at once (ECB); count is a multiple of 16.
  bool Blocks(const uint8_t* in, uint8_t* out, size_t count);

 private:
  int SetKey(std::span<const uint8_t> key, int length, bool decrypt);

  struct CtxDeleter {
    void operator()(evp_cipher_ctx_st* ctx) const;
  };
  std::unique_ptr<evp_cipher_ctx_st, CtxDeleter> ctx_;
  int rounds_ = 0;
  bool decrypting_ = false;
};

// The mode routines answer 0 on success and 1 on failure. ECB and CBC need a length that is a
// multiple of 16; CFB, OFB and CTR take any length and use the encryption schedule in both
// directions. Input and output may be the same buffer; output holds at least the input's size.
int AESCryptECB(TAESContext& ctx, std::span<const uint8_t> in, std::span<uint8_t> out);
int AESCryptCBC(TAESContext& ctx, std::span<const uint8_t> in, std::span<uint8_t> out, TAESBlock& iv);
int AESCryptCFB(TAESContext& ctx, bool encrypt, std::span<const uint8_t> in, std::span<uint8_t> out,
                TAESBlock& iv);
int AESCryptOFB(TAESContext& ctx, std::span<const uint8_t> in, std::span<uint8_t> out, TAESBlock& iv);
int AESCryptCTR(TAESContext& ctx, std::span<const uint8_t> in, std::span<uint8_t> out, TAESBlock& counter);
// Starts the stream modes at the beginning of a block again.
void AESModeReset(TAESContext& ctx);

// CBC decryption with a key of the key's own length; the bytes of the data's length, or empty
// when the key length is not an AES length or the data is not whole blocks.
std::string AESDecryptCBC(std::string_view key, const TAESBlock& iv, std::string_view data);
// The first 16 bytes are the IV, the rest is decrypted and its PKCS#7 padding removed. Empty
// for data without a whole block after the IV or with bad padding; *ok (when given) tells such
// a failure from an empty plain text.
std::string AESDecryptWithIV(std::string_view key, std::string_view data, bool* ok = nullptr);
