#include "platform/gdi/font.h"

#include <cstring>

#include "platform/gdi/pen_brush.h"
#include "platform/rtl/strings.h"

std::string GdiFont::FaceUtf8() const {
  std::u16string face;
  for (int i = 0; i < LF_FACESIZE && logFont.lfFaceName[i]; ++i) face.push_back(logFont.lfFaceName[i]);
  return WideToUtf8(face);
}

namespace {

template <class To, class From>
void CopyFields(To& t, const From& f) {
  t.lfHeight = f.lfHeight;
  t.lfWidth = f.lfWidth;
  t.lfEscapement = f.lfEscapement;
  t.lfOrientation = f.lfOrientation;
  t.lfWeight = f.lfWeight;
  t.lfItalic = f.lfItalic;
  t.lfUnderline = f.lfUnderline;
  t.lfStrikeOut = f.lfStrikeOut;
  t.lfCharSet = f.lfCharSet;
  t.lfOutPrecision = f.lfOutPrecision;
  t.lfClipPrecision = f.lfClipPrecision;
  t.lfQuality = f.lfQuality;
  t.lfPitchAndFamily = f.lfPitchAndFamily;
}

}  // namespace

LOGFONTW ToLogFontW(const LOGFONTA& a) {
  LOGFONTW w;
  CopyFields(w, a);
  size_t n = 0;
  while (n < LF_FACESIZE && a.lfFaceName[n]) ++n;
  const std::u16string face = Utf8ToWide(std::string_view(a.lfFaceName, n));
  for (size_t i = 0; i < face.size() && i < LF_FACESIZE - 1; ++i) w.lfFaceName[i] = face[i];
  return w;
}

LOGFONTA ToLogFontA(const LOGFONTW& w) {
  LOGFONTA a;
  CopyFields(a, w);
  std::u16string face;
  for (int i = 0; i < LF_FACESIZE && w.lfFaceName[i]; ++i) face.push_back(w.lfFaceName[i]);
  const std::string utf8 = WideToUtf8(face);
  for (size_t i = 0; i < utf8.size() && i < LF_FACESIZE - 1; ++i) a.lfFaceName[i] = utf8[i];
  return a;
}

HFONT CreateFontIndirectW(const LOGFONTW& lf) {
  auto f = std::make_shared<GdiFont>();
  f->logFont = lf;
  f->logFont.lfFaceName[LF_FACESIZE - 1] = 0;
  return static_cast<HFONT>(RegisterGdiObject(f));
}

HFONT CreateFontIndirectA(const LOGFONTA& lf) { return CreateFontIndirectW(ToLogFontW(lf)); }

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, const char* face) {
  LOGFONTA lf;
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = uint8_t(italic);
  lf.lfUnderline = uint8_t(underline);
  lf.lfStrikeOut = uint8_t(strikeOut);
  lf.lfCharSet = uint8_t(charSet);
  lf.lfOutPrecision = uint8_t(outPrecision);
  lf.lfClipPrecision = uint8_t(clipPrecision);
  lf.lfQuality = uint8_t(quality);
  lf.lfPitchAndFamily = uint8_t(pitchAndFamily);
  if (face) std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return CreateFontIndirectA(lf);
}

HFONT StockFont(int index) {
  LOGFONTA lf;
  const bool fixed = index == OEM_FIXED_FONT || index == ANSI_FIXED_FONT || index == SYSTEM_FIXED_FONT;
  lf.lfHeight = fixed ? -13 : -11;  // 8 point at 96 dpi for the proportional ones
  std::strncpy(lf.lfFaceName, fixed ? "Courier New" : "MS Sans Serif", LF_FACESIZE - 1);
  if (index == SYSTEM_FONT) {
    lf.lfWeight = FW_BOLD;
    lf.lfHeight = 16;
  }
  auto f = std::make_shared<GdiFont>();
  f->logFont = ToLogFontW(lf);
  return static_cast<HFONT>(RegisterGdiObject(f, true));
}
