// The fixed texts of the fax decoder's failures (raised as EInvalidOperation).
#pragma once

namespace ccitt {

inline constexpr const char* kInvalidCode = "Invalid code encountered.";
inline constexpr const char* kEOLInWhiteRun = "EOL code word encountered in White run.";
inline constexpr const char* kEOLInBlackRun = "EOL code word encountered in Black run.";
inline constexpr const char* kFirstRowNotOneD = "First scanline must be 1D encoded.";
inline constexpr const char* kInvalidGroup3TwoD =
    "Invalid code encountered while decoding 2D group 3 compressed data.";
inline constexpr const char* kInvalidGroup4 =
    "Invalid code encountered while decoding 2D group 4 compressed data.";
inline constexpr const char* kBadFillOrder = "tag must be either 1 or 2.";
inline constexpr const char* kEOLNotFound = "EOL not found";
inline constexpr const char* kNoEOLAtScanline = "Scanline must begin with EOL code word.";
inline constexpr const char* kFillBitsNotZero = "All fill bits preceding EOL code must be 0.";
inline constexpr const char* kZeroBitsExpected = "0 bits expected before EOL";
// Limits on hostile parameters, checked before anything is allocated.
inline constexpr const char* kBadColumns = "Columns out of range.";
inline constexpr const char* kImageTooLarge = "Image too large.";

}  // namespace ccitt
