// Logical fonts (HFONT): the LOGFONT record a program asks for. Which installed face answers
// it, and how glyphs are drawn and measured, is the business of the text modules.
#pragma once

#include <memory>
#include <string>

#include "platform/gdi/gdi_object.h"

inline constexpr int LF_FACESIZE = 32;
inline constexpr int FW_DONTCARE = 0, FW_THIN = 100, FW_LIGHT = 300, FW_NORMAL = 400, FW_MEDIUM = 500,
                     FW_SEMIBOLD = 600, FW_BOLD = 700, FW_HEAVY = 900;
inline constexpr uint8_t ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, SHIFTJIS_CHARSET = 128,
                         HANGEUL_CHARSET = 129, GB2312_CHARSET = 134, CHINESEBIG5_CHARSET = 136,
                         OEM_CHARSET = 255;
inline constexpr uint8_t DEFAULT_QUALITY = 0, DRAFT_QUALITY = 1, PROOF_QUALITY = 2, NONANTIALIASED_QUALITY = 3,
                         ANTIALIASED_QUALITY = 4, CLEARTYPE_QUALITY = 5;
inline constexpr uint8_t DEFAULT_PITCH = 0, FIXED_PITCH = 1, VARIABLE_PITCH = 2, FF_DONTCARE = 0,
                         FF_ROMAN = 0x10, FF_SWISS = 0x20, FF_MODERN = 0x30, FF_SCRIPT = 0x40,
                         FF_DECORATIVE = 0x50;

template <class Char>
struct LOGFONTT {
  int32_t lfHeight = 0;  // < 0: character height in pixels; > 0: cell height
  int32_t lfWidth = 0;
  int32_t lfEscapement = 0;
  int32_t lfOrientation = 0;
  int32_t lfWeight = FW_NORMAL;
  uint8_t lfItalic = 0, lfUnderline = 0, lfStrikeOut = 0, lfCharSet = DEFAULT_CHARSET;
  uint8_t lfOutPrecision = 0, lfClipPrecision = 0, lfQuality = DEFAULT_QUALITY, lfPitchAndFamily = 0;
  Char lfFaceName[LF_FACESIZE] = {};
};
using LOGFONTA = LOGFONTT<char>;       // face name in UTF-8
using LOGFONTW = LOGFONTT<char16_t>;

class FontInstance;

class GdiFont : public GdiObject {
 public:
  uint32_t ObjectType() const override { return OBJ_FONT; }
  LOGFONTW logFont;
  std::string FaceUtf8() const;
  // The sized face behind the font, made on first use (see font_engine.h).
  mutable std::shared_ptr<FontInstance> instance;
};

HFONT CreateFontIndirectW(const LOGFONTW& lf);
HFONT CreateFontIndirectA(const LOGFONTA& lf);
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, const char* face);
LOGFONTW ToLogFontW(const LOGFONTA& lf);
LOGFONTA ToLogFontA(const LOGFONTW& lf);

// The stock fonts: "MS Sans Serif" 8 point for the GUI and system fonts, "Courier New" for the
// fixed ones (each resolved to an installed face when text is drawn).
HFONT StockFont(int index);
