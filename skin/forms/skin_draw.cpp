#include "skin/forms/skin_draw.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"

namespace {

constexpr DWORD kDestinationOnly = 0x00AA0029;  // the raster operation that leaves the destination
constexpr size_t kRegionBatch = 2000;           // rectangles per region made from region data
constexpr size_t kRegionGrowth = 500;

std::unique_ptr<TBitmap> NewBitmap(int width, int height) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(std::max(width, 0), std::max(height, 0));
  SetStretchBltMode(b->Canvas().Handle(), kSkinStretchMode);
  return b;
}

// A copy of one frame at its own size.
std::unique_ptr<TBitmap> FrameCopy(TBitmap& bitmap, const TRect& frame) {
  auto b = NewBitmap(frame.Width(), frame.Height());
  BitBlt(b->Canvas().Handle(), 0, 0, frame.Width(), frame.Height(), bitmap.Canvas().Handle(), frame.left, frame.top,
         SRCCOPY);
  return b;
}

// Drops a margin pair that does not leave room on its axis.
void FitMargins(int& a, int& b, int target, int frame) {
  a = std::max(a, 0);
  b = std::max(b, 0);
  if (int64_t(a) + b > target || int64_t(a) + b > frame) a = b = 0;
}

void CopyPiece(TCanvas& dst, const TRect& to, TCanvas& src, const TRect& from) {
  if (to.IsEmpty() || from.IsEmpty()) return;
  dst.CopyRect(to, src, from);
}

}  // namespace

TRect SkinFrameRect(const TBitmap& bitmap, bool stacked, int frames, int frame) {
  frames = std::max(frames, 1);
  frame = std::clamp(frame, 1, frames);
  if (stacked) {
    int h = bitmap.Height() / frames;
    return TRect{0, (frame - 1) * h, bitmap.Width(), frame * h};
  }
  int w = bitmap.Width() / frames;
  return TRect{(frame - 1) * w, 0, frame * w, bitmap.Height()};
}

std::unique_ptr<TBitmap> NinePartScale(SIZE target, TBitmap& bitmap, const TSkinMargins& margins, bool stacked,
                                       bool tile, int frames, int frame) {
  const int W = std::max(target.cx, 0), H = std::max(target.cy, 0);
  auto result = NewBitmap(W, H);
  const TRect f = SkinFrameRect(bitmap, stacked, frames, frame);
  if (W == 0 || H == 0 || f.IsEmpty()) return result;
  int L = margins.Left, T = margins.Top, R = margins.Right, B = margins.Bottom;
  FitMargins(L, R, W, f.Width());
  FitMargins(T, B, H, f.Height());
  TCanvas& dst = result->Canvas();
  TCanvas& src = bitmap.Canvas();
  const int x0 = f.left, y0 = f.top, x1 = f.right, y1 = f.bottom;
  CopyPiece(dst, TRect{0, 0, L, T}, src, TRect{x0, y0, x0 + L, y0 + T});
  CopyPiece(dst, TRect{0, H - B, L, H}, src, TRect{x0, y1 - B, x0 + L, y1});
  CopyPiece(dst, TRect{W - R, 0, W, T}, src, TRect{x1 - R, y0, x1, y0 + T});
  CopyPiece(dst, TRect{0, T, L, H - B}, src, TRect{x0, y0 + T, x0 + L, y1 - B});
  CopyPiece(dst, TRect{L, 0, W - R, T}, src, TRect{x0 + L, y0, x1 - R, y0 + T});
  const TRect middle{L, T, W - R, H - B}, middleSource{x0 + L, y0 + T, x1 - R, y1 - B};
  if (!middle.IsEmpty() && !middleSource.IsEmpty()) {
    if (tile) {
      TileDraw(dst, middle, bitmap, middleSource);
    } else {
      StretchBlt(dst.Handle(), middle.left, middle.top, middle.Width(), middle.Height(), src.Handle(),
                 middleSource.left, middleSource.top, middleSource.Width(), middleSource.Height(), SRCCOPY);
    }
  }
  CopyPiece(dst, TRect{W - R, H - B, W, H}, src, TRect{x1 - R, y1 - B, x1, y1});
  CopyPiece(dst, TRect{W - R, T, W, H - B}, src, TRect{x1 - R, y0 + T, x1, y1 - B});
  CopyPiece(dst, TRect{L, H - B, W - R, H}, src, TRect{x0 + L, y1 - B, x1 - R, y1});
  return result;
}

void DrawSkinElement(HDC dc, const TRect& rect, TBitmap& bitmap, bool stacked, bool tile, bool transparent,
                     int frames, int frame, const TSkinMargins& margins) {
  if (rect.right < rect.left || rect.bottom < rect.top) return;
  auto scaled = NinePartScale(SIZE{rect.Width(), rect.Height()}, bitmap, margins, stacked, tile, frames, frame);
  if (scaled->Empty()) return;
  if (transparent) {
    TransparentCopy(dc, rect, *scaled, kSkinKeyColor);
  } else {
    BitBlt(dc, rect.left, rect.top, rect.Width(), rect.Height(), scaled->Canvas().Handle(), 0, 0, SRCCOPY);
  }
}

void DrawHorzBar(TCanvas& canvas, const TRect& rect, TBitmap& bitmap, bool stacked, bool transparent, int frames,
                 int frame, const TSkinMargins& margins) {
  if (rect.right < rect.left || rect.bottom < rect.top) return;
  const int W = rect.Width(), H = rect.Height();
  const TRect f = SkinFrameRect(bitmap, stacked, frames, frame);
  if (W == 0 || H == 0 || f.IsEmpty()) return;
  const int L = std::clamp(margins.Left, 0, f.Width()), R = std::clamp(margins.Right, 0, f.Width() - L);
  auto bar = NewBitmap(W, H);
  TCanvas& dst = bar->Canvas();
  TCanvas& src = bitmap.Canvas();
  CopyPiece(dst, TRect{0, 0, L, H}, src, TRect{f.left, f.top, f.left + L, f.bottom});
  // A frame without a middle has nothing to repeat.
  const int mw = f.Width() - L - R;
  if (mw > 0)
    for (int x = L; x < W - R; x += mw)
      CopyPiece(dst, TRect{x, 0, x + mw, H}, src, TRect{f.left + L, f.top, f.right - R, f.bottom});
  CopyPiece(dst, TRect{W - R, 0, W, H}, src, TRect{f.right - R, f.top, f.right, f.bottom});
  if (transparent) {
    bar->SetTransparentColor(kSkinKeyColor);
    bar->SetTransparent(true);
    canvas.Draw(rect.left, rect.top, *bar);
  } else {
    BitBlt(canvas.Handle(), rect.left, rect.top, W, H, dst.Handle(), 0, 0, SRCCOPY);
  }
}

void DrawSkinFrame(HDC dc, const TRect& rect, TBitmap& bitmap, bool transparent, int frames, int frame) {
  if (rect.IsEmpty()) return;
  const TRect f = SkinFrameRect(bitmap, false, frames, frame);
  if (f.IsEmpty()) return;
  auto b = NewBitmap(rect.Width(), rect.Height());
  b->Canvas().CopyRect(TRect{0, 0, rect.Width(), rect.Height()}, bitmap.Canvas(), f);
  if (transparent) {
    TransparentCopy(dc, rect, *b, kSkinKeyColor);
  } else {
    BitBlt(dc, rect.left, rect.top, rect.Width(), rect.Height(), b->Canvas().Handle(), 0, 0, SRCCOPY);
  }
}

void DrawSkinFrameCentred(HDC dc, const TRect& rect, TBitmap& bitmap, bool transparent, int frames, int frame) {
  const TRect f = SkinFrameRect(bitmap, false, frames, frame);
  if (f.IsEmpty()) return;
  const int x = rect.left + (rect.Width() - f.Width()) / 2, y = rect.top + (rect.Height() - f.Height()) / 2;
  const TRect to{x, y, x + f.Width(), y + f.Height()};
  if (transparent) {
    auto piece = FrameCopy(bitmap, f);
    TransparentCopy(dc, to, *piece, kSkinKeyColor);
  } else {
    BitBlt(dc, x, y, f.Width(), f.Height(), bitmap.Canvas().Handle(), f.left, f.top, SRCCOPY);
  }
}

void DrawThreePart(HDC dc, const TRect& rect, TBitmap& bitmap, bool stacked, int frames, int frame,
                   const TSkinMargins& margins) {
  const TRect f = SkinFrameRect(bitmap, stacked, frames, frame);
  if (f.IsEmpty() || rect.IsEmpty()) return;
  HDC src = bitmap.Canvas().Handle();
  const int saved = SetStretchBltMode(dc, kSkinStretchMode);
  const int W = rect.Width(), H = rect.Height();
  int L = margins.Left, R = margins.Right;
  FitMargins(L, R, W, f.Width());
  if (f.Width() <= W) {
    StretchBlt(dc, rect.left, rect.top, L, H, src, f.left, f.top, L, f.Height(), SRCCOPY);
    StretchBlt(dc, rect.left + L, rect.top, W - L - R, H, src, f.left + L, f.top, f.Width() - L - R, f.Height(),
               SRCCOPY);
    StretchBlt(dc, rect.right - R, rect.top, R, H, src, f.right - R, f.top, R, f.Height(), SRCCOPY);
  } else {
    StretchBlt(dc, rect.left, rect.top, W, H, src, f.left, f.top, f.Width(), f.Height(), SRCCOPY);
  }
  SetStretchBltMode(dc, saved);
}

void TileDraw(TCanvas& canvas, const TRect& rect, TBitmap& bitmap, const TRect& source) {
  if (source.IsEmpty()) return;
  auto piece = FrameCopy(bitmap, source);
  HDC dst = canvas.Handle();
  HDC src = piece->Canvas().Handle();
  for (int y = rect.top; y < rect.bottom; y += source.Height())
    for (int x = rect.left; x < rect.right; x += source.Width())
      BitBlt(dst, x, y, source.Width(), source.Height(), src, 0, 0, SRCCOPY);
}

void TransparentCopy(HDC dc, const TRect& rect, TBitmap& bitmap, TColor key) {
  if (bitmap.Empty() || rect.IsEmpty()) return;
  TBitmap copy;
  copy.Assign(bitmap);
  copy.SetTransparentColor(key);
  // The mask is set where the key colour is: those pixels keep the destination.
  HBITMAP mask = copy.MaskHandle();
  HDC src = copy.Canvas().Handle();
  if (rect.Width() == copy.Width() && rect.Height() == copy.Height()) {
    MaskBlt(dc, rect.left, rect.top, rect.Width(), rect.Height(), src, 0, 0, mask, 0, 0,
            MAKEROP4(kDestinationOnly, SRCCOPY));
  } else {
    TransparentBlt(dc, rect.left, rect.top, rect.Width(), rect.Height(), src, 0, 0, copy.Width(), copy.Height(),
                   ColorToRGB(key) & 0xFFFFFF);
  }
}

HRGN BitmapToRegion(TBitmap& bitmap, int xOffset, int yOffset, int blueTolerance, int greenTolerance,
                    int redTolerance, TColor key) {
  const COLORREF k = ColorToRGB(key);
  const int kr = GetRValue(k), kg = GetGValue(k), kb = GetBValue(k);
  const int hr = std::min(255, kr + std::max(redTolerance, 0)), hg = std::min(255, kg + std::max(greenTolerance, 0)),
            hb = std::min(255, kb + std::max(blueTolerance, 0));
  const GdiBitmap& d = bitmap.Dib();
  HRGN result = CreateRectRgn(0, 0, 0, 0);

  // Region data: the header, then the rectangles; flushed into the result in batches.
  std::vector<RECT> rects;
  rects.reserve(kRegionGrowth);
  RGNDATAHEADER header;
  auto flush = [&]() {
    if (rects.empty()) return;
    header.nCount = static_cast<DWORD>(rects.size());
    header.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
    std::vector<uint8_t> data(sizeof(RGNDATAHEADER) + header.nRgnSize);
    std::memcpy(data.data(), &header, sizeof(RGNDATAHEADER));
    std::memcpy(data.data() + sizeof(RGNDATAHEADER), rects.data(), header.nRgnSize);
    HRGN part = ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), data.data());
    if (part) {
      CombineRgn(result, result, part, RGN_OR);
      DeleteObject(part);
    }
    rects.clear();
    header = RGNDATAHEADER{};
  };
  auto transparentAt = [&](int x, int y) {
    COLORREF c = d.GetColor(x, y);
    int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    return r >= kr && r <= hr && g >= kg && g <= hg && b >= kb && b <= hb;
  };
  for (int y = 0; y < d.Height(); ++y) {
    for (int x = 0; x < d.Width();) {
      while (x < d.Width() && transparentAt(x, y)) ++x;
      const int x0 = x;
      while (x < d.Width() && !transparentAt(x, y)) ++x;
      if (x == x0) continue;
      RECT r{x0 + xOffset, y + yOffset, x + xOffset, y + 1 + yOffset};
      if (rects.empty()) {
        header.rcBound = r;
      } else {
        UnionRect(header.rcBound, header.rcBound, r);
      }
      if (rects.size() == rects.capacity()) rects.reserve(rects.size() + kRegionGrowth);
      rects.push_back(r);
      if (rects.size() == kRegionBatch) flush();
    }
  }
  flush();
  return result;
}

void PaintParentBackground(TControl* control, HDC dc) {
  if (!control || !control->Parent()) return;
  const int saved = SaveDC(dc);
  OffsetViewportOrgEx(dc, -control->Left(), -control->Top(), nullptr);
  TRect r = control->ClientRect();
  OffsetRect(r, control->Left(), control->Top());
  IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
  TWinControl* parent = control->Parent();
  parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  RestoreDC(dc, saved);
}

TBitmap& SkinScratchBitmap() {
  // Kept to the end of the program and never destroyed: its device context lives in tables that
  // may be gone by the time static objects are destroyed.
  static TBitmap* const bitmap = [] {
    auto* b = new TBitmap;
    b->SetPixelFormat(pf24bit);
    SetStretchBltMode(b->Canvas().Handle(), kSkinStretchMode);
    return b;
  }();
  return *bitmap;
}
