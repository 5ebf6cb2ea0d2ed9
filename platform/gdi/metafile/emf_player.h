// Playing EMF records onto a device context. The DC here knows only origins, so the player
// keeps the metafile's own coordinate state (mapping mode, window and viewport, world
// transform) and hands the DC points already mapped into its logical space; pens and fonts
// are realised at the size the current transform gives them.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/dc_internal.h"
#include "platform/gdi/metafile/emf_reader.h"
#include "platform/gdi/metafile/emf_types.h"

// A double as an int inside [lo, hi] (NaN gives lo): hostile transforms produce any value.
inline int ClampToInt(double v, int lo, int hi) {
  if (!(v >= lo)) return lo;
  if (v >= hi) return hi;
  return int(v);
}

class EmfPlayer {
 public:
  EmfPlayer(HDC dc, const EmfDocument& doc, const RECT& dest, HANDLETABLE& table);
  ~EmfPlayer();
  EmfPlayer(const EmfPlayer&) = delete;
  EmfPlayer& operator=(const EmfPlayer&) = delete;

  // Plays one record; false for records that could not be played.
  bool Play(const ENHMETARECORD& r);
  // Deletes the objects the metafile made (the platform does so at the end of a playback).
  void Finish();

  // An affine map in the platform's row-vector form: x' = x a + y c + e, y' = x b + y d + f.
  struct Matrix {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
    PointF Apply(double x, double y) const { return PointF{x * a + y * c + e, x * b + y * d + f}; }
    Matrix Then(const Matrix& m) const;
    bool AxisAligned() const { return b == 0 && c == 0; }
  };

 private:
  struct Logical {
    enum Kind { Pen, Brush, Font, Palette } kind;
    HGDIOBJ handle = nullptr;  // the object as created (pens and fonts at their logical size)
    DWORD penStyle = 0;
    int32_t penWidth = 0;
    COLORREF penColor = 0;
    std::vector<DWORD> dashes{};
    LOGFONTW font{};
  };
  struct State {
    int mapMode = MM_TEXT;
    POINT windowOrg{0, 0}, viewportOrg{0, 0};
    SIZE windowExt{1, 1}, viewportExt{1, 1};
    XFORM world;
    int arcDirection = AD_COUNTERCLOCKWISE;
    std::shared_ptr<Logical> pen, font;  // null: a stock object is selected as it is
  };

  // Coordinates.
  void Recompute();
  POINT Map(double x, double y) const;
  PointF MapF(double x, double y) const { return transform_.Apply(x, y); }
  double ScaleX() const;
  double ScaleY() const;
  void SetMapMode(int mode);
  // Pens and fonts at the current scale, selected into the DC before drawing.
  void Realize();
  COLORREF Color(COLORREF c) const;

  // Record families.
  bool PlayState(const ENHMETARECORD& r);
  bool PlayObject(const ENHMETARECORD& r);
  bool PlayLines(const ENHMETARECORD& r);
  bool PlayShape(const ENHMETARECORD& r);
  bool PlayPath(const ENHMETARECORD& r);
  bool PlayClip(const ENHMETARECORD& r);
  bool PlayText(const ENHMETARECORD& r);
  bool PlayBitmap(const ENHMETARECORD& r);
  bool PlayGradient(const ENHMETARECORD& r);
  bool PlayRegion(const ENHMETARECORD& r);

  // Helpers of the families.
  std::vector<POINT> Points(const ENHMETARECORD& r, uint64_t at, uint64_t count, bool small) const;
  void ArcPoints(const RECT& box, POINTL start, POINTL end, std::vector<PointF>& out) const;
  void DrawFigure(std::vector<PointF> logicalPoints, bool closed);
  // firstByte (empty for 16-bit text) gives each character's first byte of 8-bit text of
  // byteCount bytes, whose advances are one per byte.
  void TextOut(POINTL ref, UINT options, const RECTL* rect, std::u16string text, const ENHMETARECORD& r,
               uint64_t offDx, bool pdy, const std::vector<size_t>& firstByte = {}, size_t byteCount = 0);
  // 8-bit text read in the code page of the selected font's character set.
  std::u16string FromFontCodePage(std::span<const uint8_t> bytes, std::vector<size_t>& firstByte) const;
  // Region data (reference device units) as a region of DC device pixels.
  std::optional<Region> RegionData(const ENHMETARECORD& r, uint64_t at, uint64_t size) const;
  std::optional<Region> LogicalRegionData(const ENHMETARECORD& r, uint64_t at, uint64_t size) const;
  // The pixels of a clip rectangle's device corners that can matter to the current clip.
  Region ClipRectArea(const std::vector<PointF>& corners, const Region& current) const;
  // The clip combined with the one the DC had before playback (which nothing may widen).
  void SetClip(std::optional<Region> clip);
  HGDIOBJ SelectedBrushHandle() const;
  std::span<const PALETTEENTRY> Palette() const;

  HDC dc_;
  std::shared_ptr<GdiDC> d_;
  const EmfDocument& doc_;
  HANDLETABLE& table_;
  std::vector<std::shared_ptr<Logical>> objects_;
  State state_;
  std::vector<State> saved_;
  std::optional<Region> initialClip_;
  Matrix base_, transform_;
  double devicePxPerMM_x_ = 96 / 25.4, devicePxPerMM_y_ = 96 / 25.4;
  HGDIOBJ realizedPen_ = nullptr, realizedFont_ = nullptr;
  bool dirty_ = true;
  std::shared_ptr<Logical> palette_;
};
