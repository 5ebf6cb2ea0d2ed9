// RC4 for the standard security handler. libcrypto keeps RC4 in its legacy provider, which a
// default installation does not load, so the few lines of the cipher live here.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

struct TRC4State {
  std::array<uint8_t, 256> S{};
  uint8_t I = 0;
  uint8_t J = 0;
};

// Key scheduling with the key repeated over the 256 positions; an empty key gives a state that
// RC4Process never uses (see RC4Crypt).
void RC4Init(TRC4State& state, std::span<const uint8_t> key);
void RC4Process(TRC4State& state, std::span<const uint8_t> in, std::span<uint8_t> out);
// The keystream XOR the data; an empty key leaves the data unchanged.
std::string RC4Crypt(std::string_view key, std::string_view data);
