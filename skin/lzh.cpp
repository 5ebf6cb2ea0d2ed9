#include "skin/lzh.h"

namespace {

// Upper six bits of a match position by the first byte of its code, and the code's length
// in bits (including the two bits of the lower six that share that byte).
struct PositionTables {
  std::array<uint8_t, 256> code{};
  std::array<uint8_t, 256> len{};
  constexpr PositionTables() {
    // (entries per value, first value, last value, code length)
    constexpr int groups[6][4] = {{32, 0, 0, 3}, {16, 1, 3, 4}, {8, 4, 11, 5},
                                  {4, 12, 23, 6}, {2, 24, 47, 7}, {1, 48, 63, 8}};
    int i = 0;
    for (const auto& g : groups)
      for (int v = g[1]; v <= g[2]; ++v)
        for (int k = 0; k < g[0]; ++k, ++i) {
          code[i] = static_cast<uint8_t>(v);
          len[i] = static_cast<uint8_t>(g[3]);
        }
  }
};
constexpr PositionTables kPosition;
static_assert(kPosition.code[255] == 63 && kPosition.len[255] == 8 && kPosition.len[31] == 3);

}  // namespace

void TLZH::StartHuff() {
  for (int i = 0; i < N_CHAR; ++i) {
    freq_[i] = 1;
    son_[i] = static_cast<uint16_t>(i + T);
    prnt_[i + T] = static_cast<uint16_t>(i);
  }
  for (int i = 0, j = N_CHAR; j <= R; i += 2, ++j) {
    freq_[j] = static_cast<uint16_t>(freq_[i] + freq_[i + 1]);
    son_[j] = static_cast<uint16_t>(i);
    prnt_[i] = prnt_[i + 1] = static_cast<uint16_t>(j);
  }
  freq_[T] = 0xFFFF;
  prnt_[R] = 0;
}

// Halves every count and rebuilds the tree from its leaves, keeping the nodes ordered by count.
void TLZH::Reconst() {
  int j = 0;
  for (int i = 0; i < T; ++i) {
    if (son_[i] >= T) {
      freq_[j] = static_cast<uint16_t>((freq_[i] + 1) / 2);
      son_[j] = son_[i];
      ++j;
    }
  }
  for (int i = 0, n = N_CHAR; n < T; i += 2, ++n) {
    uint16_t f = static_cast<uint16_t>(freq_[i] + freq_[i + 1]);
    freq_[n] = f;
    int k = n - 1;
    while (f < freq_[k]) --k;  // stops at i + 1 at the latest: f >= freq[i + 1]
    ++k;
    for (int m = n; m > k; --m) {
      freq_[m] = freq_[m - 1];
      son_[m] = son_[m - 1];
    }
    freq_[k] = f;
    son_[k] = static_cast<uint16_t>(i);
  }
  for (int i = 0; i < T; ++i) {
    int k = son_[i];
    if (k >= T) {
      prnt_[k] = static_cast<uint16_t>(i);
    } else {
      prnt_[k] = prnt_[k + 1] = static_cast<uint16_t>(i);
    }
  }
}

void TLZH::Update(int symbol) {
  if (freq_[R] == MAX_FREQ) Reconst();
  int c = prnt_[symbol + T];
  do {
    int k = ++freq_[c];
    int l = c + 1;
    if (k > freq_[l]) {
      // The sentinel (0xFFFF) ends the scan: no count passes MAX_FREQ.
      while (k > freq_[++l]) {
      }
      --l;
      freq_[c] = freq_[l];
      freq_[l] = static_cast<uint16_t>(k);
      int i = son_[c];
      prnt_[i] = static_cast<uint16_t>(l);
      if (i < T) prnt_[i + 1] = static_cast<uint16_t>(l);
      int j = son_[l];
      son_[l] = static_cast<uint16_t>(i);
      prnt_[j] = static_cast<uint16_t>(c);
      if (j < T) prnt_[j + 1] = static_cast<uint16_t>(c);
      son_[c] = static_cast<uint16_t>(j);
      c = l;
    }
    c = prnt_[c];
  } while (c != 0);
}

int TLZH::PositionCode(int firstByte) { return kPosition.code[static_cast<size_t>(firstByte & 0xFF)]; }

int TLZH::PositionLength(int firstByte) { return kPosition.len[static_cast<size_t>(firstByte & 0xFF)]; }
