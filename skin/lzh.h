// The LZHUF decoder of packed skins: LZ77 over a 4,096-byte ring with matches of 3 to 60
// bytes, whose literals and match lengths are coded by an adaptive Huffman tree and whose
// match positions carry a fixed prefix code for their upper six bits.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

class TLZH {
 public:
  // Delivers one byte into the argument; returns how many it delivered (0 at the end).
  using TReadProc = std::function<int(uint8_t&)>;
  using TWriteProc = std::function<void(uint8_t)>;

  static constexpr int N = 4096;                    // ring size
  static constexpr int F = 60;                      // longest match
  static constexpr int THRESHOLD = 2;               // matches are longer than this
  static constexpr int N_CHAR = 256 - THRESHOLD + F;  // 314 symbols: bytes, then lengths 3..60
  static constexpr int T = N_CHAR * 2 - 1;          // 627 tree nodes
  static constexpr int R = T - 1;                   // the root
  static constexpr uint16_t MAX_FREQ = 0x8000;      // the root's count that halves all counts

  // Decodes `size` bytes, handing each to `write`. Input that ends early reads as zero bits.
  // The size is tested before each symbol only, so a match that crosses it is written whole.
  void Decode(uint32_t size, const TWriteProc& write, const TReadProc& read);

 private:
  void StartHuff();
  void Update(int symbol);
  void Reconst();
  int GetBit();
  int GetByte();
  void Refill();
  int DecodeChar();
  int DecodePosition();

  const TReadProc* read_ = nullptr;
  uint16_t getbuf_ = 0;
  int getlen_ = 0;
  std::array<uint8_t, N + F - 1> ring_{};
  std::array<uint16_t, T + 1> freq_{};      // node counts and the sentinel
  std::array<uint16_t, T + N_CHAR> prnt_{};  // parents of nodes, then of the leaves
  std::array<uint16_t, T> son_{};
};
