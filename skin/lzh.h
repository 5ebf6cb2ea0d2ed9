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

  static constexpr int N = 4096;                      // ring size
  static constexpr int F = 60;                        // longest match
  static constexpr int THRESHOLD = 2;                 // matches are longer than this
  static constexpr int N_CHAR = 256 - THRESHOLD + F;  // 314 symbols: bytes, then lengths 3..60
  static constexpr int T = N_CHAR * 2 - 1;            // 627 tree nodes
  static constexpr int R = T - 1;                     // the root
  static constexpr uint16_t MAX_FREQ = 0x8000;        // the root's count that halves all counts

  // Decodes `size` bytes, handing each to `write`. Input that ends early reads as zero bits.
  // The size is tested before each symbol only, so a match that crosses it is written whole.
  // `read` and `write` are called as TReadProc and TWriteProc are.
  template <class Write, class Read>
  void Decode(uint32_t size, Write&& write, Read&& read);

  // The upper six bits of a match position by the first byte of its code, and the length of
  // that code in bits (3 to 8; the rest of the eight plus the further bits are the lower six).
  static int PositionCode(int firstByte);
  static int PositionLength(int firstByte);

 private:
  void StartHuff();
  void Update(int symbol);
  void Reconst();

  std::array<uint8_t, N + F - 1> ring_{};
  std::array<uint16_t, T + 1> freq_{};       // node counts and the sentinel
  std::array<uint16_t, T + N_CHAR> prnt_{};  // parents of nodes, then of the leaves
  std::array<uint16_t, T> son_{};
};

template <class Write, class Read>
void TLZH::Decode(uint32_t size, Write&& write, Read&& read) {
  // Bits are taken from the top of a 16-bit buffer, refilled a byte at a time.
  uint16_t buf = 0;
  int len = 0;
  auto refill = [&] {
    while (len <= 8) {
      uint8_t b = 0;
      if (read(b) < 1) b = 0;
      buf = static_cast<uint16_t>(buf | (b << (8 - len)));
      len += 8;
    }
  };
  auto bit = [&] {
    refill();
    int v = buf >> 15;
    buf = static_cast<uint16_t>(buf << 1);
    --len;
    return v;
  };
  auto byte = [&] {
    refill();
    int v = buf >> 8;
    buf = static_cast<uint16_t>(buf << 8);
    len -= 8;
    return v;
  };

  StartHuff();
  ring_.fill(0);
  for (int i = 0; i < N - F; ++i) ring_[static_cast<size_t>(i)] = ' ';
  int r = N - F;
  for (uint32_t count = 0; count < size;) {
    int c = son_[R];
    while (c < T) c = son_[static_cast<size_t>(c + bit())];
    c -= T;
    Update(c);
    if (c < 256) {
      write(static_cast<uint8_t>(c));
      ring_[static_cast<size_t>(r)] = static_cast<uint8_t>(c);
      r = (r + 1) & (N - 1);
      ++count;
      continue;
    }
    int first = byte();
    int position = PositionCode(first) << 6;
    for (int j = PositionLength(first) - 2; j > 0; --j) first = (first << 1) + bit();
    position |= first & 0x3F;
    const int from = (r - position - 1) & (N - 1);
    const int length = c - 255 + THRESHOLD;
    for (int k = 0; k < length; ++k) {
      const uint8_t b = ring_[static_cast<size_t>((from + k) & (N - 1))];
      write(b);
      ring_[static_cast<size_t>(r)] = b;
      r = (r + 1) & (N - 1);
      ++count;
    }
  }
}
