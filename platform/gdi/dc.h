// Device contexts: drawing state over a bitmap. Memory DCs draw into whatever bitmap is
// selected into them; a DC made by CreateDCOverBitmap draws into a bitmap that someone else
// owns (a window's back buffer), with a device origin and a visible region set by that owner.
// Coordinates are logical units of MM_TEXT: device = logical - window origin + viewport origin.
#pragma once

#include <memory>

#include "platform/gdi/dib.h"
#include "platform/gdi/gdi_types.h"
#include "platform/gdi/region.h"

// Memory DC; its bitmap is a 1 x 1 monochrome one until another is selected. The reference
// DC is ignored (every DC here is compatible with every other).
HDC CreateCompatibleDC(HDC reference);
// A DC over a bitmap that the caller owns and keeps (e.g. a window's back buffer). Selecting
// another bitmap into it is refused.
HDC CreateDCOverBitmap(std::shared_ptr<GdiBitmap> target);
// For CreateDCOverBitmap DCs: where logical (0, 0) lands in the bitmap before the viewport
// origin applies, and the device-space region outside of which nothing is drawn (null for
// the whole bitmap). Used by the window layer for child windows and overlapping windows.
void SetDCDeviceOrigin(HDC dc, int32_t x, int32_t y);
void SetDCVisibleRegion(HDC dc, const Region* region);
// Replaces the bitmap of a CreateDCOverBitmap DC (a window's back buffer after a resize).
void SetDCTarget(HDC dc, std::shared_ptr<GdiBitmap> target);
// The bitmap a DC draws into (null for a bad handle).
std::shared_ptr<GdiBitmap> GetDCBitmap(HDC dc);
// CreateDC / CreateIC: "DISPLAY" gives a screen-like memory DC; the name of a printer (the
// device, with any driver such as "WINSPOOL") gives that printer's DC: a page at the printer's
// resolution, or for CreateIC an information context that only answers questions.
HDC CreateDCA(const char* driver, const char* device, const char* output, const void* initData);
HDC CreateICA(const char* driver, const char* device, const char* output, const void* initData);
bool DeleteDC(HDC dc);

// Selecting a pen, brush, font or bitmap returns the one it replaces; a region sets the clip
// and returns its complexity cast to a handle, as the platform does.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
HGDIOBJ GetCurrentObject(HDC dc, UINT objectType);

int SaveDC(HDC dc);
// A negative level counts back from the newest saved state.
bool RestoreDC(HDC dc, int savedDC);

bool SetViewportOrgEx(HDC dc, int x, int y, POINT* old);
bool GetViewportOrgEx(HDC dc, POINT* org);
bool OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* old);
bool SetWindowOrgEx(HDC dc, int x, int y, POINT* old);
bool GetWindowOrgEx(HDC dc, POINT* org);
bool OffsetWindowOrgEx(HDC dc, int dx, int dy, POINT* old);
bool SetBrushOrgEx(HDC dc, int x, int y, POINT* old);
bool LPtoDP(HDC dc, POINT* points, int count);
bool DPtoLP(HDC dc, POINT* points, int count);
inline constexpr int MM_TEXT = 1;
int GetMapMode(HDC dc);
int SetMapMode(HDC dc, int mode);  // only MM_TEXT is supported

COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
inline constexpr int TRANSPARENT = 1, OPAQUE = 2;
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
inline constexpr int R2_BLACK = 1, R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4, R2_MASKPENNOT = 5,
                     R2_NOT = 6, R2_XORPEN = 7, R2_NOTMASKPEN = 8, R2_MASKPEN = 9, R2_NOTXORPEN = 10, R2_NOP = 11,
                     R2_MERGENOTPEN = 12, R2_COPYPEN = 13, R2_MERGEPENNOT = 14, R2_MERGEPEN = 15, R2_WHITE = 16;
int SetROP2(HDC dc, int rop2);
int GetROP2(HDC dc);
inline constexpr int BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4,
                     STRETCH_ANDSCANS = 1, STRETCH_ORSCANS = 2, STRETCH_DELETESCANS = 3, STRETCH_HALFTONE = 4;
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
int SetPolyFillMode(HDC dc, int mode);  // ALTERNATE or WINDING (region.h)
int GetPolyFillMode(HDC dc);
inline constexpr UINT TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0,
                      TA_BOTTOM = 8, TA_BASELINE = 24;
UINT SetTextAlign(HDC dc, UINT align);
UINT GetTextAlign(HDC dc);
int SetTextCharacterExtra(HDC dc, int extra);
int GetTextCharacterExtra(HDC dc);
inline constexpr int ICM_OFF = 1, ICM_ON = 2, ICM_QUERY = 3;
int SetICMMode(HDC dc, int mode);  // colour management is always off here

bool MoveToEx(HDC dc, int x, int y, POINT* old);
bool GetCurrentPositionEx(HDC dc, POINT* pos);

// Clipping (logical coordinates in, device coordinates kept).
int SelectClipRgn(HDC dc, HRGN rgn);  // null removes the clip
int ExtSelectClipRgn(HDC dc, HRGN rgn, int mode);
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
int OffsetClipRgn(HDC dc, int dx, int dy);
int GetClipBox(HDC dc, RECT* box);  // logical; the whole surface when there is no clip
// 1 with the clip copied into `rgn`, 0 when there is no clip, -1 on error.
int GetClipRgn(HDC dc, HRGN rgn);
bool RectVisible(HDC dc, const RECT* r);
bool PtVisible(HDC dc, int x, int y);

// What GetDeviceCaps answers for a device other than the screen (a printer): sizes in device
// pixels and millimetres, resolution in dots per inch.
struct DeviceCaps {
  int32_t technology = 0;
  int32_t horzRes = 0, vertRes = 0, logPixelsX = 0, logPixelsY = 0;
  int32_t physicalWidth = 0, physicalHeight = 0, physicalOffsetX = 0, physicalOffsetY = 0;
  int32_t horzSizeMm = 0, vertSizeMm = 0;
};
// A DC that draws into surface (which the caller may keep) and reports caps.
HDC CreateDeviceDC(std::shared_ptr<GdiBitmap> surface, const DeviceCaps& caps);

// Device capabilities: 96 dpi, the bitmap's size and depth (the screen's for DCs without one).
inline constexpr int DRIVERVERSION = 0, TECHNOLOGY = 2, HORZSIZE = 4, VERTSIZE = 6, HORZRES = 8, VERTRES = 10,
                     BITSPIXEL = 12, PLANES = 14, NUMBRUSHES = 16, NUMPENS = 18, NUMFONTS = 22, NUMCOLORS = 24,
                     RASTERCAPS = 38, LOGPIXELSX = 88, LOGPIXELSY = 90, SIZEPALETTE = 104,
                     PHYSICALWIDTH = 110, PHYSICALHEIGHT = 111, PHYSICALOFFSETX = 112, PHYSICALOFFSETY = 113,
                     VREFRESH = 116, DESKTOPVERTRES = 117, DESKTOPHORZRES = 118, SHADEBLENDCAPS = 120;
inline constexpr int DT_RASDISPLAY = 1, DT_RASPRINTER = 2, RC_BITBLT = 1, RC_BITMAP64 = 8, RC_DI_BITMAP = 0x80,
                     RC_DIBTODEV = 0x200, RC_STRETCHBLT = 0x800, RC_STRETCHDIB = 0x2000;
int GetDeviceCaps(HDC dc, int index);
// The screen the DCs without a bitmap stand for.
inline constexpr int kScreenWidth = 1280, kScreenHeight = 1024, kScreenDpi = 96;
