#include "pdf/core/security/aes_cipher.h"

#include <openssl/evp.h>

#include <algorithm>
#include <vector>

namespace {

// Key bytes for a length given in bytes or bits; 0 when it is no AES length.
int KeyBytes(int length) {
  switch (length) {
    case 16: case 128: return 16;
    case 24: case 192: return 24;
    case 32: case 256: return 32;
    default: return 0;
  }
}

const EVP_CIPHER* EcbCipher(int keyBytes) {
  switch (keyBytes) {
    case 16: return EVP_aes_128_ecb();
    case 24: return EVP_aes_192_ecb();
    default: return EVP_aes_256_ecb();
  }
}

void XorInto(uint8_t* out, const uint8_t* a, const uint8_t* b, size_t n) {
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(a[i] ^ b[i]);
}

}  // namespace

void TAESContext::CtxDeleter::operator()(evp_cipher_ctx_st* ctx) const { EVP_CIPHER_CTX_free(ctx); }

TAESContext::TAESContext() : ctx_(EVP_CIPHER_CTX_new()) {}
TAESContext::~TAESContext() = default;

int TAESContext::SetEncryptKey(std::span<const uint8_t> key, int length) { return SetKey(key, length, false); }
int TAESContext::SetDecryptKey(std::span<const uint8_t> key, int length) { return SetKey(key, length, true); }

int TAESContext::SetKey(std::span<const uint8_t> key, int length, bool decrypt) {
  rounds_ = 0;
  ModePosition = 0;
  const int bytes = KeyBytes(length);
  if (bytes == 0 || key.size() < static_cast<size_t>(bytes) || !ctx_) return 1;
  if (EVP_CipherInit_ex(ctx_.get(), EcbCipher(bytes), nullptr, key.data(), nullptr, decrypt ? 0 : 1) != 1)
    return 1;
  EVP_CIPHER_CTX_set_padding(ctx_.get(), 0);
  rounds_ = bytes / 4 + 6;
  decrypting_ = decrypt;
  return 0;
}

bool TAESContext::Block(const uint8_t* in, uint8_t* out) { return Blocks(in, out, 16); }

bool TAESContext::Blocks(const uint8_t* in, uint8_t* out, size_t count) {
  if (rounds_ == 0 || count % 16 != 0) return false;
  // libcrypto takes an int length; large buffers go in pieces.
  constexpr size_t kPiece = size_t{1} << 24;
  for (size_t done = 0; done < count; done += kPiece) {
    const int n = static_cast<int>(std::min(kPiece, count - done));
    int written = 0;
    if (EVP_CipherUpdate(ctx_.get(), out + done, &written, in + done, n) != 1 || written != n) return false;
  }
  return true;
}

int AESCryptECB(TAESContext& ctx, std::span<const uint8_t> in, std::span<uint8_t> out) {
  if (in.size() % 16 != 0 || out.size() < in.size()) return 1;
  return ctx.Blocks(in.data(), out.data(), in.size()) ? 0 : 1;
}

int AESCryptCBC(TAESContext& ctx, std::span<const uint8_t> in, std::span<uint8_t> out, TAESBlock& iv) {
  if (in.size() % 16 != 0 || out.size() < in.size() || ctx.Rounds() == 0) return 1;
  const size_t n = in.size();
  if (ctx.Decrypting()) {
    // Each plain block needs the cipher block before it, which an in-place run overwrites.
    std::vector<uint8_t> cipher(in.begin(), in.end());
    if (!ctx.Blocks(cipher.data(), out.data(), n)) return 1;
    for (size_t at = 0; at < n; at += 16)
      XorInto(out.data() + at, out.data() + at, at == 0 ? iv.data() : cipher.data() + at - 16, 16);
    if (n > 0) std::copy_n(cipher.end() - 16, 16, iv.begin());
    return 0;
  }
  for (size_t at = 0; at < n; at += 16) {
    TAESBlock x;
    XorInto(x.data(), in.data() + at, iv.data(), 16);
    if (!ctx.Block(x.data(), iv.data())) return 1;
    std::copy(iv.begin(), iv.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
  }
  return 0;
}

int AESCryptCFB(TAESContext& ctx, bool encrypt, std::span<const uint8_t> in, std::span<uint8_t> out,
                TAESBlock& iv) {
  if (out.size() < in.size() || ctx.Rounds() == 0 || ctx.Decrypting()) return 1;
  uint8_t& n = ctx.ModePosition;
  for (size_t k = 0; k < in.size(); ++k) {
    if (n == 0 && !ctx.Block(iv.data(), iv.data())) return 1;
    const uint8_t c = in[k];
    out[k] = static_cast<uint8_t>(c ^ iv[n]);
    iv[n] = encrypt ? out[k] : c;
    n = static_cast<uint8_t>((n + 1) & 15);
  }
  return 0;
}

int AESCryptOFB(TAESContext& ctx, std::span<const uint8_t> in, std::span<uint8_t> out, TAESBlock& iv) {
  if (out.size() < in.size() || ctx.Rounds() == 0 || ctx.Decrypting()) return 1;
  uint8_t& n = ctx.ModePosition;
  for (size_t k = 0; k < in.size(); ++k) {
    if (n == 0 && !ctx.Block(iv.data(), iv.data())) return 1;
    out[k] = static_cast<uint8_t>(in[k] ^ iv[n]);
    n = static_cast<uint8_t>((n + 1) & 15);
  }
  return 0;
}

int AESCryptCTR(TAESContext& ctx, std::span<const uint8_t> in, std::span<uint8_t> out, TAESBlock& counter) {
  if (out.size() < in.size() || ctx.Rounds() == 0 || ctx.Decrypting()) return 1;
  uint8_t& n = ctx.ModePosition;
  for (size_t k = 0; k < in.size(); ++k) {
    if (n == 0) {
      if (!ctx.Block(counter.data(), ctx.CounterStream.data())) return 1;
      // The counter is one 128-bit big-endian number.
      for (int i = 15; i >= 0 && ++counter[static_cast<size_t>(i)] == 0; --i) {
      }
    }
    out[k] = static_cast<uint8_t>(in[k] ^ ctx.CounterStream[n]);
    n = static_cast<uint8_t>((n + 1) & 15);
  }
  return 0;
}

void AESModeReset(TAESContext& ctx) { ctx.ModePosition = 0; }

std::string AESDecryptCBC(std::string_view key, const TAESBlock& iv, std::string_view data) {
  TAESContext ctx;
  const auto* k = reinterpret_cast<const uint8_t*>(key.data());
  if (ctx.SetDecryptKey({k, key.size()}, static_cast<int>(key.size()) * 8) != 0) return {};
  std::string out(data.size(), '\0');
  TAESBlock chain = iv;
  const auto* in = reinterpret_cast<const uint8_t*>(data.data());
  if (AESCryptCBC(ctx, {in, data.size()}, {reinterpret_cast<uint8_t*>(out.data()), out.size()}, chain) != 0)
    return {};
  return out;
}

std::string AESDecryptWithIV(std::string_view key, std::string_view data, bool* ok) {
  if (ok != nullptr) *ok = data.empty();
  if (data.size() <= 16 || (data.size() - 16) % 16 != 0) return {};
  TAESBlock iv;
  std::copy_n(data.begin(), 16, iv.begin());
  std::string plain = AESDecryptCBC(key, iv, data.substr(16));
  if (plain.empty()) return {};
  const auto pad = static_cast<uint8_t>(plain.back());
  if (pad < 1 || pad > 16 ||
      !std::all_of(plain.end() - pad, plain.end(), [pad](char c) { return static_cast<uint8_t>(c) == pad; }))
    return {};
  plain.resize(plain.size() - pad);
  if (ok != nullptr) *ok = true;
  return plain;
}
