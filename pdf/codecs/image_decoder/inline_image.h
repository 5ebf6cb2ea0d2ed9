// The pieces of the inline-image parser (ParseInlineImage in image_decoder.h): its tokens, the
// abbreviations of inline dictionaries and the test for where "EI" ends the data.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "pdf/codecs/image_decoder/image_decoder.h"

namespace inlineimage {

// The token at Pos (0-based), which moves past it; empty at the end of the text. White space
// (0, 9, 10, 12, 13, 32) before it is skipped. A literal string runs to its matching ")"; "<"
// runs to the first ">" and over any further ">" (a dictionary or a hex string is one token);
// "[", "]" and "'" stand alone; anything else runs to white space or "/", "<", "[", "]", "(".
std::string_view NextInlineToken(std::string_view Content, size_t& Pos);
// "/G" -> "/DeviceGray", "/Fl" -> "/FlateDecode" and the other inline abbreviations; other
// values as they are.
std::string ExpandInlineAbbreviation(std::string_view Value);
// Whether "EI" ending just before P (0-based) ends the data: a white-space byte at P and,
// unless the text ends within 10 bytes, 10 more bytes of text (white space or 0x20 to 0x7A).
bool IsInlineImageEnd(std::string_view Content, size_t P);
bool IsInlineWhite(char c);

// A colour space named by an inline image, as the parser takes it.
struct TInlineColorSpace {
  std::string Name;        // "DeviceRGB", "Indexed", ... or the value as given
  std::string Base;        // Indexed: the base space's name
  int32_t HiVal = 255;     // Indexed
  std::string Lookup;      // Indexed: the table bytes, extended to (HiVal + 1) entries
  int32_t Components = 1;  // samples per pixel
  TPDFObject* Entry = nullptr;  // the resource entry the name stands for (not for Indexed1)
};
// Device names stand for themselves; other names are looked up in the resources' ColorSpace
// dictionary (without resources the value stays as given).
TInlineColorSpace InlineColorSpace(std::string_view Value, TPDFDictionary* Resources,
                                   const TPDFImageResolveEvent& Resolver);

// At most this many "EI" candidates are tried by inflating the data before them; after that
// the first acceptable one ends the data.
inline constexpr int kMaxInflateTries = 64;

}  // namespace inlineimage
