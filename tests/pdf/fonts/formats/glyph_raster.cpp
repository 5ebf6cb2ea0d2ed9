#include "tests/pdf/fonts/formats/glyph_raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_BITMAP_H

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace glyphtest {

std::optional<TBounds> ControlBounds(const std::vector<TPathOp>& ops) {
  std::optional<TBounds> b;
  auto add = [&](double x, double y) {
    if (!b) {
      b = TBounds{x, y, x, y};
      return;
    }
    b->XMin = std::min(b->XMin, x);
    b->YMin = std::min(b->YMin, y);
    b->XMax = std::max(b->XMax, x);
    b->YMax = std::max(b->YMax, y);
  };
  for (const TPathOp& op : ops) {
    if (op.Kind == TPathOp::kClose) continue;
    add(op.X1, op.Y1);
    if (op.Kind == TPathOp::kCurve) {
      add(op.X2, op.Y2);
      add(op.X3, op.Y3);
    }
  }
  return b;
}

namespace {

class TFreeType {
 public:
  TFreeType() { FT_Init_FreeType(&library); }
  ~TFreeType() { FT_Done_FreeType(library); }
  FT_Library library = nullptr;
};

FT_Library Library() {
  static TFreeType ft;
  return ft.library;
}

TGrayBitmap Render(FT_Outline& outline, int width, int height) {
  TGrayBitmap out;
  out.Width = width;
  out.Height = height;
  out.Pixels.assign(size_t(width) * size_t(height), 0);
  FT_Bitmap bitmap;
  FT_Bitmap_Init(&bitmap);
  bitmap.rows = unsigned(height);
  bitmap.width = unsigned(width);
  bitmap.pitch = width;
  bitmap.buffer = out.Pixels.data();
  bitmap.num_grays = 256;
  bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
  FT_Outline_Get_Bitmap(Library(), &outline, &bitmap);
  return out;
}

FT_Pos To26Dot6(double v) { return FT_Pos(std::lround(v * 64)); }

}  // namespace

TGrayBitmap RenderPath(const std::vector<TPathOp>& ops, int width, int height) {
  std::vector<FT_Vector> points;
  std::vector<char> tags;
  std::vector<short> contours;
  bool open = false;
  auto endContour = [&] {
    if (open && !points.empty()) contours.push_back(short(points.size() - 1));
    open = false;
  };
  auto point = [&](double x, double y, char tag) {
    points.push_back({To26Dot6(x), To26Dot6(y)});
    tags.push_back(tag);
  };
  for (const TPathOp& op : ops) {
    switch (op.Kind) {
      case TPathOp::kMove:
        endContour();
        point(op.X1, op.Y1, FT_CURVE_TAG_ON);
        open = true;
        break;
      case TPathOp::kLine:
        if (!open) break;
        point(op.X1, op.Y1, FT_CURVE_TAG_ON);
        break;
      case TPathOp::kCurve:
        if (!open) break;
        point(op.X1, op.Y1, FT_CURVE_TAG_CUBIC);
        point(op.X2, op.Y2, FT_CURVE_TAG_CUBIC);
        point(op.X3, op.Y3, FT_CURVE_TAG_ON);
        break;
      case TPathOp::kClose: endContour(); break;
    }
  }
  endContour();
  // A contour of a lone move is dropped by the rasterizer; nothing else needs care.
  FT_Outline outline{};
  outline.n_points = short(points.size());
  outline.n_contours = short(contours.size());
  outline.points = points.data();
  outline.tags = tags.data();
  outline.contours = contours.data();
  outline.flags = FT_OUTLINE_NONE;
  return Render(outline, width, height);
}

bool RenderFreeTypeGlyph(const std::string& fontPath, const std::string& glyph, double ppem, double originX,
                         double originY, int width, int height, TGrayBitmap& out) {
  FT_Face face = nullptr;
  if (FT_New_Face(Library(), fontPath.c_str(), 0, &face) != 0) return false;
  bool ok = false;
  FT_UInt index = glyph.starts_with("#") ? FT_UInt(std::atoi(glyph.c_str() + 1))
                                         : FT_Get_Name_Index(face, const_cast<char*>(glyph.c_str()));
  if ((index != 0 || glyph == ".notdef" || glyph == "#0") &&
      FT_Set_Char_Size(face, 0, FT_F26Dot6(std::lround(ppem * 64)), 72, 72) == 0 &&
      FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0 &&
      face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
    FT_Outline_Translate(&face->glyph->outline, To26Dot6(originX), To26Dot6(originY));
    out = Render(face->glyph->outline, width, height);
    ok = true;
  }
  FT_Done_Face(face);
  return ok;
}

TBitmapDifference CompareBitmaps(const TGrayBitmap& a, const TGrayBitmap& b) {
  TBitmapDifference d;
  for (size_t i = 0; i < a.Pixels.size() && i < b.Pixels.size(); ++i) {
    const int diff = std::abs(int(a.Pixels[i]) - int(b.Pixels[i]));
    d.MaxDifference = std::max(d.MaxDifference, diff);
    d.Total += diff;
    d.Ink += b.Pixels[i];
  }
  return d;
}

}  // namespace glyphtest
