// Invalidation, WM_PAINT, device contexts of windows and window regions.
//
// Each top-level window draws into a back buffer of its own size (frame included); a window's
// device context is a DC over that buffer with the window's origin and clip, and the display
// back end shows the buffer. GetDC and BeginPaint give the client area, GetWindowDC the whole
// window including the non-client area.
#pragma once

#include <cstddef>

#include "platform/user/wintypes.h"

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase);
BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags);
BOOL UpdateWindow(HWND hwnd);
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
HDC GetDC(HWND hwnd);
HDC GetWindowDC(HWND hwnd);
HDC GetDCEx(HWND hwnd, HRGN clip, DWORD flags);
int ReleaseDC(HWND hwnd, HDC dc);
HWND WindowFromDC(HDC dc);

// The window takes ownership of the region (window coordinates); nullptr removes it.
int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw);
// The same with the region given as rectangles (window coordinates, may overlap); rects
// nullptr removes the region. At most 20000 rectangles.
int SetWindowRegionRects(HWND hwnd, const RECT* rects, size_t count, BOOL redraw);
// Copies the window's region into an existing region; returns the region type or ERROR (0).
int GetWindowRgn(HWND hwnd, HRGN region);

// Leaves the pixels on the screen now instead of at the next message retrieval.
void FlushWindowPixels(HWND hwnd);
