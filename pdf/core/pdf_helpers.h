// Number, date, tag and stream helpers shared by the PDF library's writers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/rtl/datetime.h"

class TStream;

// value rounded (halves to even) to `decimals` places, "." as separator, trailing zeros and a
// bare "." removed, "0" for zero; decimals below 1 give the rounded integer. Never writes NaN,
// infinity or a wrapped integer: NaN writes "0", infinities the largest PDF real, and a value
// too large for its decimals keeps as many decimals as 64 bits allow.
std::string FormatPDFNumber(double value, int decimals);
inline std::string FormatPDFFloat(double value, int decimals) { return FormatPDFNumber(value, decimals); }

// The current local time as a PDF date, e.g. D:20131013143000+02'00' (the clock is read once).
std::string PDFDateString();
// The same for a given local time and its offset in minutes east of UTC.
std::string FormatPDFDate(TDateTime local, int offsetMinutes);

// True when the 32-bit float pattern is a NaN (exponent all ones, mantissa not zero).
bool IsNaNSingle(uint32_t bits);
// The class library's SameValue with its default tolerance.
bool SameDouble(double a, double b);

// Eight lower-case hexadecimal characters that do not repeat in practice (resource names).
std::string NewUniqueTag();

// Inserts bytes at position (clamped into the stream), moving the tail up in 64 KiB blocks,
// last block first. The stream position moves with the data when it stood at or after position.
void InsertIntoStream(TStream& stream, std::string_view bytes, int64_t position);

inline std::string BoolToTF(bool b) { return b ? "T" : "F"; }
inline bool TFToBool(std::string_view s) { return s == "T"; }
