#include "platform/gdi/metafile/emf_to_wmf.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>

#include "platform/gdi/metafile/emf_dib.h"
#include "platform/gdi/metafile/enh_metafile.h"
#include "platform/gdi/metafile/wmf_records.h"
#include "platform/gdi/metafile/wmf_translator.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/raster.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/blit.h"

namespace {

constexpr uint32_t kStock = 0x80000000u;
constexpr uint32_t kSrcCopy = 0x00CC0020u;
constexpr int32_t kMaxCoordinate = 32767;
constexpr size_t kMaxWmfPoints = 32767;

// One WMF record: size in 16-bit words, function, parameter words.
class WmfRecordBuilder {
 public:
  explicit WmfRecordBuilder(uint16_t function) : function_(function) {}
  WmfRecordBuilder& W(int32_t v) {
    words_.push_back(uint16_t(v));
    return *this;
  }
  WmfRecordBuilder& D(uint32_t v) { return W(int32_t(v & 0xFFFF)).W(int32_t(v >> 16)); }
  WmfRecordBuilder& Bytes(std::span<const uint8_t> b) {
    for (size_t i = 0; i < b.size(); i += 2) W(b[i] | (i + 1 < b.size() ? b[i + 1] << 8 : 0));
    return *this;
  }
  uint16_t function() const { return function_; }
  const std::vector<uint16_t>& words() const { return words_; }

 private:
  uint16_t function_;
  std::vector<uint16_t> words_;
};

struct Figure {
  std::vector<POINT> points;
  bool closed = false;
};

// Columns [x0, x1) of a bitmap that show from row y0 on.
struct AlphaBlock {
  int32_t x0, x1, y0;
};

// Runs of pixels of row y whose alpha is at least one half.
std::vector<AlphaBlock> ShowingRuns(const GdiBitmap& b, int32_t y) {
  std::vector<AlphaBlock> runs;
  for (int32_t x = 0; x < b.Width();) {
    if ((b.GetRaw(x, y) >> 24) < 128) {
      ++x;
      continue;
    }
    const int32_t start = x;
    while (x < b.Width() && (b.GetRaw(x, y) >> 24) >= 128) ++x;
    runs.push_back(AlphaBlock{start, x, y});
  }
  return runs;
}

// A premultiplied pixel's colour.
COLORREF Unpremultiplied(uint32_t raw) {
  const uint32_t a = std::max<uint32_t>(raw >> 24, 1);
  auto un = [&](uint32_t c) { return uint8_t(std::min<uint32_t>(255, (c * 255 + a / 2) / a)); };
  return RGB(un((raw >> 16) & 0xFF), un((raw >> 8) & 0xFF), un(raw & 0xFF));
}

class WmfConverter {
 public:
  WmfConverter(double scale) : scale_(scale) {}
  void Header(int32_t width, int32_t height);
  // `picture`: what the EMF shows once this record is played (null when not kept).
  void Record(const ENHMETARECORD& r, const GdiBitmap* picture);
  std::vector<uint8_t> Finish();
  void AlphaBlocks(const GdiBitmap& bitmap, const RECT& dest);

 private:
  void Add(const WmfRecordBuilder& b);
  POINT Map(POINTL p) const { return POINT{Coord(p.x), Coord(p.y)}; }
  // A corner a record gives as a point plus an extent, which may lie past 32 bits.
  POINT Map(int64_t x, int64_t y) const { return POINT{Coord(double(x)), Coord(double(y))}; }
  int32_t Coord(double v) const {
    return int32_t(std::clamp(std::round(v * scale_), double(-kMaxCoordinate - 1), double(kMaxCoordinate)));
  }
  int Allocate();
  void Release(int slot);
  int Create(const WmfRecordBuilder& b);
  int StockSlot(uint32_t stock);
  void SelectSlot(int slot);
  void Objects(const ENHMETARECORD& r);
  void Lines(const ENHMETARECORD& r);
  void PathRecord(const ENHMETARECORD& r);
  void PaintFigures(DWORD type);
  void Poly(uint16_t function, const std::vector<POINT>& pts);
  void PolyPolygon(const std::vector<Figure>& figures);
  void Bitmap(const ENHMETARECORD& r);
  void StretchDib(const GdiBitmap& bitmap, const RECT& dest, uint32_t rop);
  void LineTo(POINT p);

  double scale_;
  const GdiBitmap* picture_ = nullptr;
  std::vector<uint8_t> out_;
  uint32_t words_ = 0, maxRecord_ = 0;
  std::vector<bool> used_;
  std::map<uint32_t, int> emfToSlot_;       // EMF object index -> WMF slot
  std::map<uint32_t, int> stockSlots_;      // stock object -> WMF slot
  std::map<int, bool> slotIsPen_;
  int pen_ = -1, brush_ = -1;               // selected WMF slots
  POINT position_{0, 0};
  bool inPath_ = false;
  std::vector<Figure> path_;
};

void WmfConverter::Add(const WmfRecordBuilder& b) {
  const uint32_t size = uint32_t(b.words().size()) + 3;
  auto put16 = [&](uint16_t v) {
    out_.push_back(uint8_t(v));
    out_.push_back(uint8_t(v >> 8));
  };
  put16(uint16_t(size)), put16(uint16_t(size >> 16));
  put16(b.function());
  for (uint16_t w : b.words()) put16(w);
  words_ += size;
  maxRecord_ = std::max(maxRecord_, size);
}

void WmfConverter::Header(int32_t width, int32_t height) {
  Add(WmfRecordBuilder(META_SETMAPMODE).W(MM_ANISOTROPIC));
  Add(WmfRecordBuilder(META_SETWINDOWORG).W(0).W(0));
  Add(WmfRecordBuilder(META_SETWINDOWEXT).W(height).W(width));
}

int WmfConverter::Allocate() {
  for (size_t i = 0; i < used_.size(); ++i)
    if (!used_[i]) {
      used_[i] = true;
      return int(i);
    }
  used_.push_back(true);
  return int(used_.size() - 1);
}

void WmfConverter::Release(int slot) {
  if (slot < 0 || size_t(slot) >= used_.size() || !used_[size_t(slot)]) return;
  Add(WmfRecordBuilder(META_DELETEOBJECT).W(slot));
  used_[size_t(slot)] = false;
  if (pen_ == slot) pen_ = -1;
  if (brush_ == slot) brush_ = -1;
}

int WmfConverter::Create(const WmfRecordBuilder& b) {
  const int slot = Allocate();
  Add(b);
  slotIsPen_[slot] = b.function() == META_CREATEPENINDIRECT;
  return slot;
}

int WmfConverter::StockSlot(uint32_t stock) {
  auto it = stockSlots_.find(stock);
  if (it != stockSlots_.end()) return it->second;
  const uint32_t index = stock & 0x7FFFFFFF;
  std::optional<WmfRecordBuilder> b;
  switch (index) {
    case WHITE_BRUSH: b = WmfRecordBuilder(META_CREATEBRUSHINDIRECT).W(BS_SOLID).D(0xFFFFFF).W(0); break;
    case BLACK_BRUSH: b = WmfRecordBuilder(META_CREATEBRUSHINDIRECT).W(BS_SOLID).D(0).W(0); break;
    case NULL_BRUSH: b = WmfRecordBuilder(META_CREATEBRUSHINDIRECT).W(BS_NULL).D(0).W(0); break;
    case WHITE_PEN: b = WmfRecordBuilder(META_CREATEPENINDIRECT).W(PS_SOLID).W(0).W(0).D(0xFFFFFF); break;
    case BLACK_PEN: b = WmfRecordBuilder(META_CREATEPENINDIRECT).W(PS_SOLID).W(0).W(0).D(0); break;
    case NULL_PEN: b = WmfRecordBuilder(META_CREATEPENINDIRECT).W(PS_NULL).W(0).W(0).D(0); break;
    default: return -1;
  }
  const int slot = Create(*b);
  stockSlots_[stock] = slot;
  return slot;
}

void WmfConverter::SelectSlot(int slot) {
  if (slot < 0) return;
  Add(WmfRecordBuilder(META_SELECTOBJECT).W(slot));
  (slotIsPen_[slot] ? pen_ : brush_) = slot;
}

void WmfConverter::Objects(const ENHMETARECORD& r) {
  const uint32_t index = r.U32(8);
  switch (r.iType) {
    case EMR_CREATEPEN:
    case EMR_EXTCREATEPEN: {
      const bool ext = r.iType == EMR_EXTCREATEPEN;
      const uint32_t style = ext ? r.U32(28) : r.U32(12);
      const double width = ext ? r.U32(32) : r.I32(16);
      const uint32_t color = ext ? r.U32(40) : r.U32(24);
      if (emfToSlot_.count(index)) Release(emfToSlot_[index]);
      // WMF pens take the line style, cap and join but no user dash pattern.
      uint32_t wmfStyle = style & (PS_STYLE_MASK | PS_ENDCAP_MASK | PS_JOIN_MASK);
      if ((wmfStyle & PS_STYLE_MASK) == PS_USERSTYLE) wmfStyle = (wmfStyle & ~PS_STYLE_MASK) | PS_DASH;
      emfToSlot_[index] = Create(
          WmfRecordBuilder(META_CREATEPENINDIRECT).W(int32_t(wmfStyle)).W(Coord(width)).W(0).D(color & 0xFFFFFF));
      return;
    }
    case EMR_CREATEBRUSHINDIRECT: {
      if (emfToSlot_.count(index)) Release(emfToSlot_[index]);
      uint32_t style = r.U32(12);
      if (style != BS_NULL && style != BS_HATCHED) style = BS_SOLID;
      emfToSlot_[index] = Create(
          WmfRecordBuilder(META_CREATEBRUSHINDIRECT).W(int32_t(style)).D(r.U32(16) & 0xFFFFFF).W(int32_t(r.U32(20))));
      return;
    }
    case EMR_SELECTOBJECT: {
      if (index & kStock) SelectSlot(StockSlot(index));
      else if (emfToSlot_.count(index)) SelectSlot(emfToSlot_[index]);
      return;
    }
    case EMR_DELETEOBJECT: {
      auto it = emfToSlot_.find(index);
      if (it == emfToSlot_.end()) return;
      Release(it->second);
      emfToSlot_.erase(it);
      return;
    }
    default: return;
  }
}

void WmfConverter::LineTo(POINT p) {
  if (inPath_) {
    if (path_.empty() || path_.back().closed) path_.push_back(Figure{{position_}, false});
    path_.back().points.push_back(p);
  } else {
    Add(WmfRecordBuilder(META_LINETO).W(p.y).W(p.x));
  }
  position_ = p;
}

void WmfConverter::Lines(const ENHMETARECORD& r) {
  const uint32_t count = r.U32(24);
  std::vector<POINT> pts;
  if (r.Has(28, uint64_t(count) * 8))
    for (uint32_t i = 0; i < count; ++i) pts.push_back(Map(r.Point(28 + uint64_t(i) * 8)));
  switch (r.iType) {
    case EMR_POLYLINETO:
      for (const POINT& p : pts) LineTo(p);
      return;
    case EMR_POLYBEZIERTO:
    case EMR_POLYBEZIER: {
      size_t i = 0;
      if (r.iType == EMR_POLYBEZIER) {
        if (pts.empty()) return;
        if (inPath_) path_.push_back(Figure{{pts[0]}, false});
        position_ = pts[0];
        i = 1;
      }
      std::vector<PointF> flat;
      PointF from{double(position_.x), double(position_.y)};
      for (; i + 2 < pts.size(); i += 3) {
        flat.clear();
        const PointF c1{double(pts[i].x), double(pts[i].y)}, c2{double(pts[i + 1].x), double(pts[i + 1].y)},
            e{double(pts[i + 2].x), double(pts[i + 2].y)};
        FlattenBezier(from, c1, c2, e, flat);
        for (const PointF& f : flat) LineTo(POINT{int32_t(std::lround(f.x)), int32_t(std::lround(f.y))});
        position_ = pts[i + 2];
        from = e;
      }
      return;
    }
    case EMR_POLYLINE:
    case EMR_POLYGON:
      if (inPath_) {
        if (!pts.empty()) path_.push_back(Figure{pts, r.iType == EMR_POLYGON});
        return;
      }
      Poly(r.iType == EMR_POLYGON ? META_POLYGON : META_POLYLINE, pts);
      return;
    default: return;
  }
}

void WmfConverter::Poly(uint16_t function, const std::vector<POINT>& pts) {
  if (pts.size() < 2) return;
  // A point count is a 16-bit word: a longer polyline goes out in pieces that share their
  // ends; a polygon that long cannot be written.
  if (pts.size() > kMaxWmfPoints && function == META_POLYGON) return;
  for (size_t start = 0; start + 1 < pts.size(); start += kMaxWmfPoints - 1) {
    const size_t count = std::min(pts.size() - start, kMaxWmfPoints);
    WmfRecordBuilder b(function);
    b.W(int32_t(count));
    for (size_t i = start; i < start + count; ++i) b.W(pts[i].x).W(pts[i].y);
    Add(b);
  }
}

void WmfConverter::PolyPolygon(const std::vector<Figure>& figures) {
  WmfRecordBuilder b(META_POLYPOLYGON);
  std::vector<const Figure*> kept;
  for (const Figure& f : figures)
    if (f.points.size() >= 2 && f.points.size() <= kMaxWmfPoints && kept.size() < kMaxWmfPoints) kept.push_back(&f);
  if (kept.empty()) return;
  b.W(int32_t(kept.size()));
  for (const Figure* f : kept) b.W(int32_t(f->points.size()));
  for (const Figure* f : kept)
    for (const POINT& p : f->points) b.W(p.x).W(p.y);
  Add(b);
}

void WmfConverter::PaintFigures(DWORD type) {
  if (type == EMR_FILLPATH) {
    const int pen = pen_;
    SelectSlot(StockSlot(kStock | NULL_PEN));
    PolyPolygon(path_);
    SelectSlot(pen);
  } else if (type == EMR_STROKEANDFILLPATH) {
    PolyPolygon(path_);
  } else {
    const int brush = brush_;
    SelectSlot(StockSlot(kStock | NULL_BRUSH));
    for (const Figure& f : path_) Poly(f.closed ? META_POLYGON : META_POLYLINE, f.points);
    SelectSlot(brush);
  }
  path_.clear();
}

void WmfConverter::PathRecord(const ENHMETARECORD& r) {
  switch (r.iType) {
    case EMR_BEGINPATH: inPath_ = true, path_.clear(); return;
    case EMR_ENDPATH: inPath_ = false; return;
    case EMR_ABORTPATH: inPath_ = false, path_.clear(); return;
    case EMR_CLOSEFIGURE:
      if (!path_.empty() && !path_.back().closed) {
        path_.back().closed = true;
        position_ = path_.back().points.front();
      }
      return;
    default: PaintFigures(r.iType); return;
  }
}

void WmfConverter::StretchDib(const GdiBitmap& bitmap, const RECT& dest, uint32_t rop) {
  const int32_t w = bitmap.Width(), h = bitmap.Height();
  const uint32_t stride = uint32_t(DibStride(w, 24));
  std::vector<uint8_t> dib(40 + size_t(stride) * size_t(h));
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(dib.data() + at, &v, 4); };
  put32(0, 40), put32(4, uint32_t(w)), put32(8, uint32_t(h));
  dib[12] = 1, dib[14] = 24;
  put32(20, uint32_t(dib.size() - 40));
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* row = dib.data() + 40 + size_t(h - 1 - y) * stride;
    for (int32_t x = 0; x < w; ++x) {
      const COLORREF c = bitmap.GetColor(x, y);
      row[x * 3] = GetBValue(c), row[x * 3 + 1] = GetGValue(c), row[x * 3 + 2] = GetRValue(c);
    }
  }
  WmfRecordBuilder b(META_STRETCHDIB);
  b.D(rop).W(0).W(h).W(w).W(0).W(0);
  b.W(dest.bottom - dest.top).W(dest.right - dest.left).W(dest.top).W(dest.left);
  b.Bytes(dib);
  Add(b);
}

void WmfConverter::Bitmap(const ENHMETARECORD& r) {
  std::shared_ptr<GdiBitmap> bitmap;
  RECT dest{};
  bool alpha = false;
  try {
    if (r.iType == EMR_ALPHABLEND) {
      bitmap = DecodeRecordDib(r, r.U32(84), r.U32(88), r.U32(92), r.U32(96), r.U32(80));
      alpha = bitmap && bitmap->BitsPerPixel() == 32 && ((r.U32(40) >> 24) & 1);
    } else if (r.iType == EMR_STRETCHDIBITS) {
      bitmap = DecodeRecordDib(r, r.U32(48), r.U32(52), r.U32(56), r.U32(60), r.U32(64));
    } else if (r.iType == EMR_BITBLT && r.U32(88) == 0) {
      // A pattern fill without a source bitmap.
      const POINT a = Map(POINTL{r.I32(24), r.I32(28)});
      const POINT z = Map(int64_t{r.I32(24)} + r.I32(32), int64_t{r.I32(28)} + r.I32(36));
      Add(WmfRecordBuilder(META_PATBLT).D(r.U32(40)).W(z.y - a.y).W(z.x - a.x).W(a.y).W(a.x));
      return;
    }
  } catch (const std::exception&) {
    return;
  }
  if (!bitmap || bitmap->Empty()) return;
  const int64_t x = r.I32(24), y = r.I32(28);
  const int64_t w = r.iType == EMR_STRETCHDIBITS ? r.I32(72) : r.I32(32);
  const int64_t h = r.iType == EMR_STRETCHDIBITS ? r.I32(76) : r.I32(36);
  const POINT a = Map(x, y), z = Map(x + w, y + h);
  dest = RECT{a.x, a.y, z.x, z.y};
  if (!alpha) {
    StretchDib(*bitmap, dest, r.iType == EMR_STRETCHDIBITS ? r.U32(68) : kSrcCopy);
    return;
  }
  // WMF has no alpha: what the blend left on the picture goes out as an opaque copy.
  if (picture_ && w > 0 && h > 0) {
    const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(x + w, picture_->Width()), bottom = std::min<int64_t>(y + h, picture_->Height());
    if (right <= left || bottom <= top) return;
    GdiBitmap part(int32_t(right - left), int32_t(bottom - top), 24);
    for (int64_t yy = top; yy < bottom; ++yy)
      for (int64_t xx = left; xx < right; ++xx)
        part.SetColor(int32_t(xx - left), int32_t(yy - top), picture_->GetColor(int32_t(xx), int32_t(yy)));
    const POINT a2 = Map(POINTL{int32_t(left), int32_t(top)}), z2 = Map(POINTL{int32_t(right), int32_t(bottom)});
    StretchDib(part, RECT{a2.x, a2.y, z2.x, z2.y}, kSrcCopy);
    return;
  }
  AlphaBlocks(*bitmap, dest);
}

void WmfConverter::AlphaBlocks(const GdiBitmap& alphaBitmap, const RECT& dest) {
  const GdiBitmap* bitmap = &alphaBitmap;
  // WMF has no alpha, and readers do not all honour raster operations on bitmaps: the pixels
  // that show (alpha at least one half) go out as opaque pictures, one for each block of rows
  // whose runs of such pixels span the same columns.
  const int32_t bw = bitmap->Width(), bh = bitmap->Height();
  const double sx = double(dest.right - dest.left) / bw, sy = double(dest.bottom - dest.top) / bh;
  auto emit = [&](const AlphaBlock& b, int32_t yEnd) {
    GdiBitmap part(b.x1 - b.x0, yEnd - b.y0, 24);
    for (int32_t y = b.y0; y < yEnd; ++y)
      for (int32_t x = b.x0; x < b.x1; ++x) part.SetColor(x - b.x0, y - b.y0, Unpremultiplied(bitmap->GetRaw(x, y)));
    const RECT at{dest.left + int32_t(std::lround(b.x0 * sx)), dest.top + int32_t(std::lround(b.y0 * sy)),
                  dest.left + int32_t(std::lround(b.x1 * sx)), dest.top + int32_t(std::lround(yEnd * sy))};
    StretchDib(part, at, kSrcCopy);
  };
  std::vector<AlphaBlock> open;
  for (int32_t y = 0; y <= bh; ++y) {
    std::vector<AlphaBlock> runs = y < bh ? ShowingRuns(*bitmap, y) : std::vector<AlphaBlock>{};
    std::vector<AlphaBlock> next;
    for (const AlphaBlock& b : open) {
      auto same = std::find_if(runs.begin(), runs.end(), [&](const AlphaBlock& r) { return r.x0 == b.x0 && r.x1 == b.x1; });
      if (same == runs.end()) {
        emit(b, y);
      } else {
        next.push_back(b);
        runs.erase(same);
      }
    }
    next.insert(next.end(), runs.begin(), runs.end());
    open = std::move(next);
  }
}

void WmfConverter::Record(const ENHMETARECORD& r, const GdiBitmap* picture) {
  picture_ = picture;
  switch (r.iType) {
    case EMR_CREATEPEN: case EMR_EXTCREATEPEN: case EMR_CREATEBRUSHINDIRECT: case EMR_SELECTOBJECT:
    case EMR_DELETEOBJECT:
      return Objects(r);
    case EMR_MOVETOEX: {
      position_ = Map(r.Point(8));
      if (inPath_) path_.push_back(Figure{{position_}, false});
      else Add(WmfRecordBuilder(META_MOVETO).W(position_.y).W(position_.x));
      return;
    }
    case EMR_LINETO: return LineTo(Map(r.Point(8)));
    case EMR_POLYLINETO: case EMR_POLYBEZIERTO: case EMR_POLYBEZIER: case EMR_POLYLINE: case EMR_POLYGON:
      return Lines(r);
    case EMR_POLYPOLYGON: {
      const uint32_t polys = r.U32(24), total = r.U32(28);
      if (!r.Has(32, uint64_t(polys) * 4 + uint64_t(total) * 8)) return;
      std::vector<Figure> figures;
      uint64_t at = 32 + uint64_t(polys) * 4;
      for (uint32_t i = 0; i < polys; ++i) {
        Figure f{{}, true};
        for (uint32_t k = r.U32(32 + uint64_t(i) * 4); k > 0 && at + 8 <= 32 + uint64_t(polys) * 4 + uint64_t(total) * 8;
             --k, at += 8)
          f.points.push_back(Map(r.Point(at)));
        figures.push_back(std::move(f));
      }
      if (inPath_) path_.insert(path_.end(), figures.begin(), figures.end());
      else PolyPolygon(figures);
      return;
    }
    case EMR_BEGINPATH: case EMR_ENDPATH: case EMR_ABORTPATH: case EMR_CLOSEFIGURE: case EMR_FILLPATH:
    case EMR_STROKEPATH: case EMR_STROKEANDFILLPATH:
      return PathRecord(r);
    case EMR_RECTANGLE: case EMR_ELLIPSE: {
      const POINT a = Map(POINTL{r.I32(8), r.I32(12)}), z = Map(POINTL{r.I32(16), r.I32(20)});
      Add(WmfRecordBuilder(r.iType == EMR_RECTANGLE ? META_RECTANGLE : META_ELLIPSE).W(z.y).W(z.x).W(a.y).W(a.x));
      return;
    }
    case EMR_SETPOLYFILLMODE: Add(WmfRecordBuilder(META_SETPOLYFILLMODE).W(int32_t(r.U32(8)))); return;
    case EMR_SETROP2: Add(WmfRecordBuilder(META_SETROP2).W(int32_t(r.U32(8)))); return;
    case EMR_SETBKMODE: Add(WmfRecordBuilder(META_SETBKMODE).W(int32_t(r.U32(8)))); return;
    case EMR_SETBKCOLOR: Add(WmfRecordBuilder(META_SETBKCOLOR).D(r.U32(8))); return;
    case EMR_SETTEXTCOLOR: Add(WmfRecordBuilder(META_SETTEXTCOLOR).D(r.U32(8))); return;
    case EMR_SAVEDC: Add(WmfRecordBuilder(META_SAVEDC)); return;
    case EMR_RESTOREDC: Add(WmfRecordBuilder(META_RESTOREDC).W(r.I32(8))); return;
    case EMR_ALPHABLEND: case EMR_STRETCHDIBITS: case EMR_BITBLT: return Bitmap(r);
    default: return;
  }
}

std::vector<uint8_t> WmfConverter::Finish() {
  Add(WmfRecordBuilder(META_EOF));
  std::vector<uint8_t> file(18);
  const uint32_t total = words_ + 9;
  auto put16 = [&](size_t at, uint16_t v) { file[at] = uint8_t(v), file[at + 1] = uint8_t(v >> 8); };
  put16(0, 1), put16(2, 9), put16(4, 0x0300);
  put16(6, uint16_t(total)), put16(8, uint16_t(total >> 16));
  put16(10, uint16_t(std::max<size_t>(used_.size(), 1)));
  put16(12, uint16_t(maxRecord_)), put16(14, uint16_t(maxRecord_ >> 16));
  put16(16, 0);
  file.insert(file.end(), out_.begin(), out_.end());
  return file;
}

struct Playback {
  WmfConverter* converter;
  std::shared_ptr<GdiBitmap> picture;
};

int PlayAndConvert(HDC dc, HANDLETABLE* table, const ENHMETARECORD* r, int handles, void* data) {
  auto* p = static_cast<Playback*>(data);
  PlayEnhMetaFileRecord(dc, table, r, UINT(handles));
  p->converter->Record(*r, p->picture.get());
  return 1;
}

// Converts every record, playing the EMF alongside onto a white picture of its size so that
// alpha blends can be written as what they leave (a picture too large to keep goes without).
void PlayAlong(const EmfDocument& emf, int32_t width, int32_t height, WmfConverter& converter) {
  const auto bytes = emf.Bytes();
  HENHMETAFILE handle = SetEnhMetaFileBits(UINT(bytes.size()), bytes.data());
  Playback p{&converter, nullptr};
  if (handle && int64_t(width) * height <= kMaxBitmapPixels / 4) {
    p.picture = std::make_shared<GdiBitmap>(width, height, 24);
    p.picture->Fill(RGB(255, 255, 255));
    HBITMAP hb = static_cast<HBITMAP>(RegisterGdiObject(p.picture));
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, hb);
    const RECT all{0, 0, width, height};
    EnumEnhMetaFile(dc, handle, PlayAndConvert, &p, &all);
    DeleteDC(dc);
    DeleteObject(hb);
  } else {
    for (size_t i = 0; i < emf.Records().size(); ++i) converter.Record(emf.Record(i), nullptr);
  }
  if (handle) DeleteEnhMetaFile(handle);
}

}  // namespace

WmfPicture ConvertEmfToWmf(const EmfDocument& emf, int32_t width, int32_t height, int dpi) {
  width = std::max(width, 1), height = std::max(height, 1), dpi = std::max(dpi, 1);
  const double scale = std::min(1.0, double(kMaxCoordinate) / double(std::max(width, height)));
  WmfConverter converter(scale);
  WmfPicture picture;
  picture.width = std::max(1, int32_t(std::lround(width * scale)));
  picture.height = std::max(1, int32_t(std::lround(height * scale)));
  picture.inch = uint16_t(std::clamp<long>(std::lround(dpi * scale), 1, 65535));
  converter.Header(picture.width, picture.height);
  PlayAlong(emf, width, height, converter);
  picture.bytes = converter.Finish();
  return picture;
}

std::vector<uint8_t> PlaceableWmfFromEmf(const EmfDocument& emf, int32_t width, int32_t height, int dpi) {
  const WmfPicture wmf = ConvertEmfToWmf(emf, width, height, dpi);
  std::vector<uint8_t> file;
  file.reserve(kPlaceableHeaderSize + wmf.bytes.size());
  file.resize(kPlaceableHeaderSize);
  auto put16 = [&](size_t at, uint16_t v) { file[at] = uint8_t(v), file[at + 1] = uint8_t(v >> 8); };
  put16(0, uint16_t(kPlaceableWmfKey)), put16(2, uint16_t(kPlaceableWmfKey >> 16));
  put16(4, 0);
  put16(6, 0), put16(8, 0), put16(10, uint16_t(wmf.width)), put16(12, uint16_t(wmf.height));
  put16(14, wmf.inch);
  uint16_t checksum = 0;
  for (size_t i = 0; i < 20; i += 2) checksum ^= uint16_t(file[i] | file[i + 1] << 8);
  put16(20, checksum);
  file.insert(file.end(), wmf.bytes.begin(), wmf.bytes.end());
  return file;
}

UINT GetWinMetaFileBits(HENHMETAFILE emf, UINT size, BYTE* data, int /*mapMode*/, HDC /*reference*/) {
  auto doc = EnhMetaFileDocument(emf);
  if (!doc) return 0;
  const RECTL& b = doc->Header().rclBounds;
  const WmfPicture wmf = ConvertEmfToWmf(*doc, int32_t(std::clamp<int64_t>(int64_t(b.right) + 1, 1, INT32_MAX)),
                                         int32_t(std::clamp<int64_t>(int64_t(b.bottom) + 1, 1, INT32_MAX)), 96);
  if (!data) return UINT(wmf.bytes.size());
  if (size < wmf.bytes.size()) return 0;
  std::memcpy(data, wmf.bytes.data(), wmf.bytes.size());
  return UINT(wmf.bytes.size());
}
