#include "pdf/content/font/font_selection.h"

#include <algorithm>
#include <cstring>

#include "platform/gdi/gdi_object.h"
#include "platform/rtl/strings.h"

namespace {

bool CutSuffix(std::string& s, std::string_view suffix) {
  if (s.size() < suffix.size() || s.compare(s.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
  s.resize(s.size() - suffix.size());
  return true;
}

}  // namespace

TFontNameParts ParseFontName(std::string_view name) {
  TFontNameParts parts;
  std::string s(name);
  const size_t open = s.find('{');
  if (open != std::string::npos) {
    const size_t close = s.find('}', open);
    const std::string number = s.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
    if (!number.empty() && number.size() <= 5 && std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
      parts.CodePage = std::stoi(number);
    s.resize(open);
  }
  s = Trim(s);
  if (CutSuffix(s, ",BoldItalic") || CutSuffix(s, " [BoldItalic]")) {
    parts.Bold = parts.Italic = true;
  } else if (CutSuffix(s, ",Bold") || CutSuffix(s, " [Bold]")) {
    parts.Bold = true;
  } else if (CutSuffix(s, ",Italic") || CutSuffix(s, " [Italic]")) {
    parts.Italic = true;
  }
  parts.Face = Trim(s);
  return parts;
}

uint8_t CodePageCharset(int codePage) {
  switch (codePage) {
    case 437: case 850: case 852: return 255;
    case 874: return 222;
    case 932: return 128;
    case 936: return 134;
    case 949: return 129;
    case 950: return 136;
    case 1250: return 238;
    case 1251: return 204;
    case 1252: return 0;
    case 1253: return 161;
    case 1254: return 162;
    case 1255: return 177;
    case 1256: return 178;
    case 1257: return 186;
    case 1258: return 163;
    case 1361: return 130;
    default: return 1;
  }
}

TSelectedFont::TSelectedFont(const TFontNameParts& name, uint8_t charset, int emPixels) {
  LOGFONTA lf;
  lf.lfHeight = -emPixels;
  lf.lfWeight = name.Bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = name.Italic ? 1 : 0;
  lf.lfCharSet = charset;
  std::strncpy(lf.lfFaceName, name.Face.c_str(), LF_FACESIZE - 1);
  dc_ = CreateCompatibleDC(nullptr);
  font_ = CreateFontIndirectA(lf);
  if (dc_ != nullptr && font_ != nullptr) previous_ = SelectObject(dc_, font_);
}

TSelectedFont::~TSelectedFont() {
  if (dc_ != nullptr && previous_ != nullptr) SelectObject(dc_, previous_);
  if (font_ != nullptr) DeleteObject(font_);
  if (dc_ != nullptr) DeleteDC(dc_);
}
