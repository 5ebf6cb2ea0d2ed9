// The graphics types that the window layer shares with the graphics layer below it
// (geometry, colours and drawing handles). They belong to platform/gdi; this header holds
// them only until the graphics layer's own header is available, and then includes it instead.
#pragma once

#include <cstdint>

struct POINT {
  std::int32_t x;
  std::int32_t y;
};

struct SIZE {
  std::int32_t cx;
  std::int32_t cy;
};

struct RECT {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
};

using COLORREF = std::uint32_t;  // 0x00BBGGRR

using HGDIOBJ = void*;
using HDC = struct HDC__*;
using HBRUSH = struct HBRUSH__*;
using HRGN = struct HRGN__*;
using HBITMAP = struct HBITMAP__*;
using HFONT = struct HFONT__*;
using HICON = struct HICON__*;
using HCURSOR = HICON;

constexpr COLORREF RGB(int r, int g, int b) {
  return static_cast<COLORREF>((r & 0xff) | ((g & 0xff) << 8) | ((b & 0xff) << 16));
}
constexpr int GetRValue(COLORREF c) { return c & 0xff; }
constexpr int GetGValue(COLORREF c) { return (c >> 8) & 0xff; }
constexpr int GetBValue(COLORREF c) { return (c >> 16) & 0xff; }
