#include "pdf/core/security/rc4_cipher.h"

#include <utility>

void RC4Init(TRC4State& state, std::span<const uint8_t> key) {
  for (int i = 0; i < 256; ++i) state.S[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
  state.I = state.J = 0;
  if (key.empty()) return;
  uint8_t j = 0;
  for (size_t i = 0; i < 256; ++i) {
    j = static_cast<uint8_t>(j + state.S[i] + key[i % key.size()]);
    std::swap(state.S[i], state.S[j]);
  }
}

void RC4Process(TRC4State& state, std::span<const uint8_t> in, std::span<uint8_t> out) {
  auto& s = state.S;
  uint8_t i = state.I, j = state.J;
  for (size_t k = 0; k < in.size() && k < out.size(); ++k) {
    i = static_cast<uint8_t>(i + 1);
    j = static_cast<uint8_t>(j + s[i]);
    std::swap(s[i], s[j]);
    out[k] = static_cast<uint8_t>(in[k] ^ s[static_cast<uint8_t>(s[i] + s[j])]);
  }
  state.I = i;
  state.J = j;
}

std::string RC4Crypt(std::string_view key, std::string_view data) {
  std::string out(data);
  if (key.empty()) return out;
  TRC4State state;
  RC4Init(state, {reinterpret_cast<const uint8_t*>(key.data()), key.size()});
  auto* bytes = reinterpret_cast<uint8_t*>(out.data());
  RC4Process(state, {bytes, out.size()}, {bytes, out.size()});
  return out;
}
