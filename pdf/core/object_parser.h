// Reading PDF object syntax into objects of a store, and the token functions other readers
// use on single literal strings, hexadecimal strings and numbers. Nothing here raises on bad
// input. The store's parse methods (TPDFStructure::ParseObject and friends) are defined with
// the parser; their declarations stand in pdf_structure.h.
#pragma once

#include <string>
#include <string_view>

// The bytes of a literal string token given with its parentheses (which are not checked):
// escapes resolved, octal escapes of up to three digits.
std::string DecodeLiteralString(std::string_view token);
// The bytes of a hexadecimal string token with its angle brackets; "" unless the token starts
// with "<" and ends with ">". Letters and digits are kept, an odd count padded with "0", and a
// pair that is not hexadecimal gives 0.
std::string DecodeHexString(std::string_view token);
// A number token: "-" only first, digits, at most one "."; the integer part and at most nine
// fraction digits read separately. Any other text reads as 0.
double ParsePDFNumber(std::string_view text);
inline double StrToFloatPDF(std::string_view text) { return ParsePDFNumber(text); }
bool IsPDFNumberText(std::string_view text);
// 1 to 3 digits whose decimal value is at most 7, 77 or 777 for their length.
bool IsOctalText(std::string_view text);
