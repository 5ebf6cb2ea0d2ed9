// An installed font selected into a work DC for reading its data and measuring it, and the
// parts of a font name that choose its style and code page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/gdi/dc.h"
#include "platform/gdi/font_data.h"
#include "platform/gdi/text.h"

struct TFontNameParts {
  std::string Face;       // trimmed, without style or code page
  bool Bold = false;
  bool Italic = false;
  int CodePage = 0;       // from "{" number "}"; 0 when none was given
};

// "Face", "Face,Bold" / ",Italic" / ",BoldItalic", "Face [Bold]" / " [Italic]" / " [BoldItalic]",
// each optionally followed by "{" code page "}".
TFontNameParts ParseFontName(std::string_view name);
// The character set of a code page (1, the default set, for code pages without their own).
uint8_t CodePageCharset(int codePage);

// Selects the face into a DC compatible with the screen at an em of `emPixels` pixels, so that
// metrics and widths come in 1/emPixels em; released with the object.
class TSelectedFont {
 public:
  TSelectedFont(const TFontNameParts& name, uint8_t charset, int emPixels);
  ~TSelectedFont();
  TSelectedFont(const TSelectedFont&) = delete;
  TSelectedFont& operator=(const TSelectedFont&) = delete;

  HDC DC() const { return dc_; }
  bool Valid() const { return dc_ != nullptr && font_ != nullptr; }

 private:
  HDC dc_ = nullptr;
  HFONT font_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};
