// The class library's colour values (TColor) and the system colours behind the negative ones.
#pragma once

#include <cstdint>

#include "platform/gdi/gdi_types.h"

// 0x00BBGGRR for plain colours; 0xFF0000nn names system colour nn; clNone and clDefault are
// markers.
using TColor = int32_t;

inline constexpr TColor clSystemColor = int32_t(0xFF000000);
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

inline constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                        clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                        clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                        clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
                        clLtGray = 0xC0C0C0, clDkGray = 0x808080;

// System colour indices (GetSysColor).
enum : int {
  COLOR_SCROLLBAR = 0, COLOR_BACKGROUND, COLOR_ACTIVECAPTION, COLOR_INACTIVECAPTION, COLOR_MENU,
  COLOR_WINDOW, COLOR_WINDOWFRAME, COLOR_MENUTEXT, COLOR_WINDOWTEXT, COLOR_CAPTIONTEXT,
  COLOR_ACTIVEBORDER, COLOR_INACTIVEBORDER, COLOR_APPWORKSPACE, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT,
  COLOR_BTNFACE, COLOR_BTNSHADOW, COLOR_GRAYTEXT, COLOR_BTNTEXT, COLOR_INACTIVECAPTIONTEXT,
  COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT, COLOR_INFOTEXT, COLOR_INFOBK,
  COLOR_HOTLIGHT = 26, COLOR_GRADIENTACTIVECAPTION, COLOR_GRADIENTINACTIVECAPTION, COLOR_MENUHILIGHT,
  COLOR_MENUBAR,
  COLOR_DESKTOP = COLOR_BACKGROUND, COLOR_3DFACE = COLOR_BTNFACE, COLOR_3DSHADOW = COLOR_BTNSHADOW,
  COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT, COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT,
  COLOR_BTNHILIGHT = COLOR_BTNHIGHLIGHT,
};

inline constexpr TColor clScrollBar = clSystemColor | COLOR_SCROLLBAR,
                        clBackground = clSystemColor | COLOR_BACKGROUND,
                        clActiveCaption = clSystemColor | COLOR_ACTIVECAPTION,
                        clInactiveCaption = clSystemColor | COLOR_INACTIVECAPTION,
                        clMenu = clSystemColor | COLOR_MENU, clWindow = clSystemColor | COLOR_WINDOW,
                        clWindowFrame = clSystemColor | COLOR_WINDOWFRAME,
                        clMenuText = clSystemColor | COLOR_MENUTEXT,
                        clWindowText = clSystemColor | COLOR_WINDOWTEXT,
                        clCaptionText = clSystemColor | COLOR_CAPTIONTEXT,
                        clActiveBorder = clSystemColor | COLOR_ACTIVEBORDER,
                        clInactiveBorder = clSystemColor | COLOR_INACTIVEBORDER,
                        clAppWorkSpace = clSystemColor | COLOR_APPWORKSPACE,
                        clHighlight = clSystemColor | COLOR_HIGHLIGHT,
                        clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT,
                        clBtnFace = clSystemColor | COLOR_BTNFACE, clBtnShadow = clSystemColor | COLOR_BTNSHADOW,
                        clGrayText = clSystemColor | COLOR_GRAYTEXT, clBtnText = clSystemColor | COLOR_BTNTEXT,
                        clInactiveCaptionText = clSystemColor | COLOR_INACTIVECAPTIONTEXT,
                        clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT,
                        cl3DDkShadow = clSystemColor | COLOR_3DDKSHADOW, cl3DLight = clSystemColor | COLOR_3DLIGHT,
                        clInfoText = clSystemColor | COLOR_INFOTEXT, clInfoBk = clSystemColor | COLOR_INFOBK,
                        clHotLight = clSystemColor | COLOR_HOTLIGHT,
                        clMenuHighlight = clSystemColor | COLOR_MENUHILIGHT,
                        clMenuBar = clSystemColor | COLOR_MENUBAR;

// The default look of the platform's system colours (its standard scheme).
COLORREF GetSysColor(int index);
// Resolves a system colour; other values pass through.
COLORREF ColorToRGB(TColor color);
