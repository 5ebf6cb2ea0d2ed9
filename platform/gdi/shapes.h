// Lines and shapes drawn with the DC's pen and brush, and the rectangle helpers that take a
// brush of their own (FillRect, FrameRect) or none (InvertRect, DrawFocusRect, DrawEdge).
#pragma once

#include "platform/gdi/gdi_types.h"

bool LineTo(HDC dc, int x, int y);
bool Polyline(HDC dc, const POINT* points, int count);
bool PolylineTo(HDC dc, const POINT* points, DWORD count);
bool Polygon(HDC dc, const POINT* points, int count);
bool PolyPolygon(HDC dc, const POINT* points, const int* counts, int polygons);
bool PolyBezier(HDC dc, const POINT* points, DWORD count);    // 1 + 3n points
bool PolyBezierTo(HDC dc, const POINT* points, DWORD count);  // 3n points from the position
// The right and bottom edges are not drawn (the platform's rule).
bool Rectangle(HDC dc, int left, int top, int right, int bottom);
bool Ellipse(HDC dc, int left, int top, int right, int bottom);
bool RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height);

// `brush` may also be a system colour index + 1.
int FillRect(HDC dc, const RECT* r, HBRUSH brush);
int FrameRect(HDC dc, const RECT* r, HBRUSH brush);
bool InvertRect(HDC dc, const RECT* r);
// Dotted XOR outline: drawing it twice restores the pixels.
bool DrawFocusRect(HDC dc, const RECT* r);
bool FillRgn(HDC dc, HRGN rgn, HBRUSH brush);
bool FrameRgn(HDC dc, HRGN rgn, HBRUSH brush, int width, int height);
bool PaintRgn(HDC dc, HRGN rgn);
bool InvertRgn(HDC dc, HRGN rgn);

inline constexpr UINT BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2, BDR_RAISEDINNER = 0x4, BDR_SUNKENINNER = 0x8,
                      BDR_OUTER = 0x3, BDR_INNER = 0xC, EDGE_RAISED = 0x5, EDGE_SUNKEN = 0xA, EDGE_ETCHED = 0x6,
                      EDGE_BUMP = 0x9;
inline constexpr UINT BF_LEFT = 0x1, BF_TOP = 0x2, BF_RIGHT = 0x4, BF_BOTTOM = 0x8, BF_TOPLEFT = 0x3,
                      BF_BOTTOMRIGHT = 0xC, BF_RECT = 0xF, BF_DIAGONAL = 0x10, BF_MIDDLE = 0x800,
                      BF_SOFT = 0x1000, BF_ADJUST = 0x2000, BF_FLAT = 0x4000, BF_MONO = 0x8000;
// Edges in the system colours; with BF_ADJUST the rectangle shrinks by what was drawn.
bool DrawEdge(HDC dc, RECT* r, UINT edge, UINT flags);

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);  // the colour set, or CLR_INVALID
bool SetPixelV(HDC dc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC dc, int x, int y);  // CLR_INVALID outside the clip or the bitmap
