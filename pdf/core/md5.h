// MD5 message digest (RFC 1321) over byte strings and streams.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

class TStream;

using TMD5Digest = std::array<uint8_t, 16>;

struct TMD5Context {
  std::array<uint32_t, 4> State{};
  std::array<uint32_t, 2> Count{};  // bit count, low word first
  std::array<uint8_t, 64> Buffer{};
};

void MD5Init(TMD5Context& context);
void MD5Update(TMD5Context& context, const void* bytes, size_t count);
// Writes the digest and wipes the context.
void MD5Final(TMD5Context& context, TMD5Digest& digest);
void MD5Buffer(std::string_view bytes, TMD5Digest& digest);

// The digest of the bytes of s (also of none: the empty message's digest).
void MD5String(std::string_view s, TMD5Digest& digest);
// Rewinds the stream and digests it whole; digest receives the 16 bytes as a byte string, or
// nothing for an empty stream.
void MD5Stream(TStream& stream, std::string& digest);

// 32 lower-case hexadecimal digits, first byte first.
std::string MD5DigestToHex(const TMD5Digest& digest);
std::string MD5DigestToString(const TMD5Digest& digest);
