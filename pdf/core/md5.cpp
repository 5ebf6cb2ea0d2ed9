#include "pdf/core/md5.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/rtl/streams.h"

namespace {

constexpr uint32_t kSines[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

constexpr int kShifts[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

inline uint32_t RotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

void Transform(std::array<uint32_t, 4>& state, const uint8_t* block) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i)
    x[i] = uint32_t{block[4 * i]} | uint32_t{block[4 * i + 1]} << 8 | uint32_t{block[4 * i + 2]} << 16 |
           uint32_t{block[4 * i + 3]} << 24;
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (int i = 0; i < 64; ++i) {
    const int round = i / 16;
    uint32_t f;
    int k;
    switch (round) {
      case 0: f = (b & c) | (~b & d); k = i; break;
      case 1: f = (b & d) | (c & ~d); k = (5 * i + 1) % 16; break;
      case 2: f = b ^ c ^ d; k = (3 * i + 5) % 16; break;
      default: f = c ^ (b | ~d); k = (7 * i) % 16; break;
    }
    const uint32_t sum = a + f + kSines[i] + x[k];
    a = d;
    d = c;
    c = b;
    b = b + RotateLeft(sum, kShifts[round][i % 4]);
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

}  // namespace

void MD5Init(TMD5Context& context) {
  context.State = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  context.Count = {0, 0};
  context.Buffer.fill(0);
}

void MD5Update(TMD5Context& context, const void* bytes, size_t count) {
  const auto* in = static_cast<const uint8_t*>(bytes);
  size_t used = (context.Count[0] >> 3) & 63;
  const uint64_t bits = (uint64_t{context.Count[1]} << 32 | context.Count[0]) + (uint64_t{count} << 3);
  context.Count[0] = static_cast<uint32_t>(bits);
  context.Count[1] = static_cast<uint32_t>(bits >> 32);
  if (used > 0) {
    const size_t take = std::min(count, 64 - used);
    std::memcpy(context.Buffer.data() + used, in, take);
    in += take;
    count -= take;
    used += take;
    if (used < 64) return;
    Transform(context.State, context.Buffer.data());
  }
  for (; count >= 64; in += 64, count -= 64) Transform(context.State, in);
  if (count > 0) std::memcpy(context.Buffer.data(), in, count);
}

void MD5Final(TMD5Context& context, TMD5Digest& digest) {
  uint8_t length[8];
  for (int i = 0; i < 4; ++i) {
    length[i] = static_cast<uint8_t>(context.Count[0] >> (8 * i));
    length[4 + i] = static_cast<uint8_t>(context.Count[1] >> (8 * i));
  }
  const size_t used = (context.Count[0] >> 3) & 63;
  static const uint8_t kPadding[64] = {0x80};
  MD5Update(context, kPadding, used < 56 ? 56 - used : 120 - used);
  MD5Update(context, length, 8);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) digest[4 * i + j] = static_cast<uint8_t>(context.State[i] >> (8 * j));
  context = TMD5Context{};
}

void MD5Buffer(std::string_view bytes, TMD5Digest& digest) {
  TMD5Context context;
  MD5Init(context);
  MD5Update(context, bytes.data(), bytes.size());
  MD5Final(context, digest);
}

void MD5String(std::string_view s, TMD5Digest& digest) { MD5Buffer(s, digest); }

void MD5Stream(TStream& stream, std::string& digest) {
  stream.SetPosition(0);
  TMD5Context context;
  MD5Init(context);
  std::vector<uint8_t> block(65536);
  bool read = false;
  for (;;) {
    const int64_t n = stream.Read(block.data(), static_cast<int64_t>(block.size()));
    if (n <= 0) break;
    MD5Update(context, block.data(), static_cast<size_t>(n));
    read = true;
  }
  // Nothing to digest: no digest (the empty message's digest comes from MD5String).
  if (!read) {
    digest.clear();
    return;
  }
  TMD5Digest d;
  MD5Final(context, d);
  digest = MD5DigestToString(d);
}

std::string MD5DigestToHex(const TMD5Digest& digest) {
  static const char kHex[] = "0123456789abcdef";
  std::string s;
  s.reserve(32);
  for (const uint8_t b : digest) {
    s += kHex[b >> 4];
    s += kHex[b & 15];
  }
  return s;
}

std::string MD5DigestToString(const TMD5Digest& digest) {
  return std::string(reinterpret_cast<const char*>(digest.data()), digest.size());
}
