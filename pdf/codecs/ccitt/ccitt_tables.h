// Code tables of bi-level fax coding: the modified Huffman run-length codes shared by
// one-dimensional rows and horizontal mode, and the mode codes of two-dimensional rows.
#pragma once

#include <array>
#include <cstdint>

namespace ccitt {

enum class TCodeKind : uint8_t {
  Invalid,      // no code starts with these bits
  Terminating,  // a run of 0 to 63 pixels that ends the run
  MakeUp,       // a multiple of 64 pixels; a terminating code follows
  EOL,          // 000000000001, or the zeros of one (fill bits in front of it)
};

struct TRunCode {
  uint16_t Run;
  uint8_t Bits;  // code length; 0 for Invalid
  TCodeKind Kind;
};

// Run codes looked up by the next WhiteLookupBits / BlackLookupBits bits, most significant first.
inline constexpr unsigned WhiteLookupBits = 12;
inline constexpr unsigned BlackLookupBits = 13;
extern const std::array<TRunCode, 1u << WhiteLookupBits> kWhiteCodes;
extern const std::array<TRunCode, 1u << BlackLookupBits> kBlackCodes;
inline const TRunCode& WhiteCode(uint32_t next12) { return kWhiteCodes[next12 & ((1u << WhiteLookupBits) - 1)]; }
inline const TRunCode& BlackCode(uint32_t next13) { return kBlackCodes[next13 & ((1u << BlackLookupBits) - 1)]; }

enum class TMode : uint8_t {
  V0,
  VR1,
  VR2,
  VR3,
  VL1,
  VL2,
  VL3,
  Pass,
  Horizontal,
  Extension,  // 0000001: uncompressed mode follows when the next three bits are 111
  Invalid,    // 0000000
};

struct TModeCode {
  TMode Mode;
  uint8_t Bits;
};

// Mode codes looked up by the next ModeLookupBits bits.
inline constexpr unsigned ModeLookupBits = 7;
extern const std::array<TModeCode, 1u << ModeLookupBits> kModeCodes;
inline const TModeCode& ModeCode(uint32_t next7) { return kModeCodes[next7 & ((1u << ModeLookupBits) - 1)]; }

// Offset of a1 from b1 for the vertical modes (V0 to VL3).
inline int VerticalOffset(TMode mode) {
  static constexpr int offsets[] = {0, 1, 2, 3, -1, -2, -3};
  return offsets[static_cast<int>(mode)];
}

// 0000001111: the extension code followed by 111 enters uncompressed mode in a 2-D row.
inline constexpr uint32_t UncompressedEntrance = 0x00F;
inline constexpr unsigned UncompressedEntranceBits = 10;

inline constexpr uint32_t EOLCode = 0x001;
inline constexpr unsigned EOLBits = 12;
// An EOL is 11 or more zero bits followed by a 1 bit (fill bits are extra zeros in front).
inline constexpr unsigned EOLZeros = 11;

// Bit order reversal of one byte (fill order 2: least significant bit first).
extern const std::array<uint8_t, 256> kReversedBytes;
inline uint8_t ReverseBits(uint8_t b) { return kReversedBytes[b]; }

}  // namespace ccitt
