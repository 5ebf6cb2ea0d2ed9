// SystemParametersInfo: the desktop settings the class library and the skins ask for.
#pragma once

#include "platform/gdi/font.h"
#include "platform/user/wintypes.h"

inline constexpr UINT SPI_GETICONTITLELOGFONT = 0x001F;
inline constexpr UINT SPI_GETMENUDROPALIGNMENT = 0x001B;
inline constexpr UINT SPI_GETDRAGFULLWINDOWS = 0x0026;
inline constexpr UINT SPI_GETNONCLIENTMETRICS = 0x0029;
inline constexpr UINT SPI_GETWORKAREA = 0x0030;
inline constexpr UINT SPI_GETKEYBOARDCUES = 0x100A;
inline constexpr UINT SPI_GETFLATMENU = 0x1022;

template <class LogFont>
struct NONCLIENTMETRICST {
  UINT cbSize;
  int iBorderWidth;
  int iScrollWidth;
  int iScrollHeight;
  int iCaptionWidth;
  int iCaptionHeight;
  LogFont lfCaptionFont;
  int iSmCaptionWidth;
  int iSmCaptionHeight;
  LogFont lfSmCaptionFont;
  int iMenuWidth;
  int iMenuHeight;
  LogFont lfMenuFont;
  LogFont lfStatusFont;
  LogFont lfMessageFont;
  int iPaddedBorderWidth;  // absent from the older, shorter form of the record
};
using NONCLIENTMETRICSW = NONCLIENTMETRICST<LOGFONTW>;
using NONCLIENTMETRICSA = NONCLIENTMETRICST<LOGFONTA>;  // face names in UTF-8

// Reads a setting into `param`. The non-client metrics accept both the current record and
// the older one without iPaddedBorderWidth (cbSize tells which). FALSE for unknown settings.
BOOL SystemParametersInfoW(UINT action, UINT uiParam, void* param, UINT winIni);
BOOL SystemParametersInfoA(UINT action, UINT uiParam, void* param, UINT winIni);
