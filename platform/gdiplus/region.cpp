// Regions: trees of outlines and combinations, their bounds, and their use as a clip.
#include <algorithm>
#include <cmath>

#include "platform/gdiplus/gp_internal.h"
#include "platform/gdiplus/gp_region_clip.h"

namespace gdiplus {
namespace {

constexpr double kHuge = 1.0e9;

// Combined trees stay shallow enough to walk recursively.
constexpr int kMaxRegionDepth = 200;

int Depth(const RegionPtr& r) {
  if (!r || r->kind != RegionNode::Combine) return 1;
  return 1 + std::max(Depth(r->left), Depth(r->right));
}

cairo_operator_t OperatorFor(CombineMode op) {
  switch (op) {
    case CombineModeIntersect:
      return CAIRO_OPERATOR_IN;
    case CombineModeUnion:
      return CAIRO_OPERATOR_OVER;
    case CombineModeXor:
      return CAIRO_OPERATOR_XOR;
    case CombineModeExclude:
      return CAIRO_OPERATOR_DEST_OUT;
    default:
      return CAIRO_OPERATOR_SOURCE;
  }
}

void FillShape(cairo_t* cr, const RegionNode& n, double shift) {
  cairo_new_path(cr);
  AppendPath(cr, n.points, n.types, Affine::Translation(shift, shift));
  cairo_set_fill_rule(cr, n.fillMode == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
}

SurfacePtr RenderMask(const RegionPtr& r, const ClipArea& area, double shift) {
  SurfacePtr s(cairo_image_surface_create(CAIRO_FORMAT_A8, area.w, area.h));
  if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  CairoPtr cr(cairo_create(s.get()));
  cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_NONE);
  switch (r->kind) {
    case RegionNode::Infinite:
      cairo_paint(cr.get());
      break;
    case RegionNode::Empty:
      break;
    case RegionNode::Shape:
      cairo_translate(cr.get(), -area.x, -area.y);
      FillShape(cr.get(), *r, shift);
      cairo_fill(cr.get());
      break;
    case RegionNode::Combine: {
      SurfacePtr left = RenderMask(r->left, area, shift);
      SurfacePtr right = RenderMask(r->right, area, shift);
      if (!left || !right) return nullptr;
      if (r->op == CombineModeComplement) std::swap(left, right);
      const CombineMode op = r->op == CombineModeComplement ? CombineModeExclude : r->op;
      cairo_set_source_surface(cr.get(), left.get(), 0, 0);
      cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
      cairo_paint(cr.get());
      cairo_set_source_surface(cr.get(), right.get(), 0, 0);
      cairo_set_operator(cr.get(), OperatorFor(op));
      cairo_paint(cr.get());
      break;
    }
  }
  cr.reset();
  cairo_surface_flush(s.get());
  return s;
}

// Collects the outlines of a region made only of intersections; false for anything else.
bool CollectIntersections(const RegionPtr& r, std::vector<const RegionNode*>& shapes) {
  switch (r->kind) {
    case RegionNode::Infinite:
      return true;
    case RegionNode::Shape:
      shapes.push_back(r.get());
      return true;
    case RegionNode::Combine:
      return r->op == CombineModeIntersect && CollectIntersections(r->left, shapes) &&
             CollectIntersections(r->right, shapes);
    default:
      return false;
  }
}

// The box of an outline that is an axis-aligned rectangle (four corners, a fifth closing on
// the first allowed); false for any other outline.
bool AxisAlignedRectangle(const RegionNode& n, Box& box) {
  const auto& p = n.points;
  if (p.size() != 4 && !(p.size() == 5 && p[4].X == p[0].X && p[4].Y == p[0].Y)) return false;
  if (n.types.size() != p.size() || (n.types[0] & PathPointTypePathTypeMask) != PathPointTypeStart) return false;
  for (size_t i = 1; i < n.types.size(); ++i)
    if ((n.types[i] & PathPointTypePathTypeMask) != PathPointTypeLine) return false;
  const bool across = p[0].Y == p[1].Y && p[1].X == p[2].X && p[2].Y == p[3].Y && p[3].X == p[0].X;
  const bool down = p[0].X == p[1].X && p[1].Y == p[2].Y && p[2].X == p[3].X && p[3].Y == p[0].Y;
  if (!across && !down) return false;
  box = Box{std::min<double>(p[0].X, p[2].X), std::min<double>(p[0].Y, p[2].Y), std::max<double>(p[0].X, p[2].X),
            std::max<double>(p[0].Y, p[2].Y)};
  return true;
}

}  // namespace

bool PixelRectangleClip(const RegionPtr& clip, double shift, Box& box) {
  box = Box{-kHuge, -kHuge, kHuge, kHuge};
  std::vector<const RegionNode*> shapes;
  if (!CollectIntersections(clip, shapes)) return false;
  for (const RegionNode* n : shapes) {
    Box r;
    if (!AxisAlignedRectangle(*n, r)) return false;
    r = Box{r.x0 + shift, r.y0 + shift, r.x1 + shift, r.y1 + shift};
    // Edges between pixels cover the pixels whose centres they enclose, which is left to the
    // rasterizer.
    for (const double edge : {r.x0, r.y0, r.x1, r.y1})
      if (!(std::fabs(edge) < kHuge) || edge != std::floor(edge)) return false;
    box = box.Intersect(r);
  }
  return true;
}

Box Box::Intersect(const Box& o) const {
  return Box{std::max(x0, o.x0), std::max(y0, o.y0), std::min(x1, o.x1), std::min(y1, o.y1)};
}

Box Box::Union(const Box& o) const {
  if (Empty()) return o;
  if (o.Empty()) return *this;
  return Box{std::min(x0, o.x0), std::min(y0, o.y0), std::max(x1, o.x1), std::max(y1, o.y1)};
}

RegionPtr MakeInfiniteRegion() {
  static const RegionPtr infinite = std::make_shared<RegionNode>();
  return infinite;
}

RegionPtr MakeEmptyRegion() {
  auto n = std::make_shared<RegionNode>();
  n->kind = RegionNode::Empty;
  return n;
}

RegionPtr MakeShapeRegion(const GpPath& path) {
  auto n = std::make_shared<RegionNode>();
  n->kind = RegionNode::Shape;
  n->points = path.points;
  n->types = path.types;
  n->fillMode = path.fillMode;
  return n;
}

RegionPtr MakeRectRegion(double x, double y, double w, double h) {
  if (!(w > 0) || !(h > 0)) return MakeEmptyRegion();
  GpPath p;
  p.points = {{REAL(x), REAL(y)}, {REAL(x + w), REAL(y)}, {REAL(x + w), REAL(y + h)}, {REAL(x), REAL(y + h)}};
  p.types = {PathPointTypeStart, PathPointTypeLine, PathPointTypeLine,
             uint8_t(PathPointTypeLine | PathPointTypeCloseSubpath)};
  return MakeShapeRegion(p);
}

RegionPtr CombineRegions(const RegionPtr& a, const RegionPtr& b, CombineMode op) {
  const bool aInf = a->kind == RegionNode::Infinite, bInf = b->kind == RegionNode::Infinite;
  const bool aEmpty = a->kind == RegionNode::Empty, bEmpty = b->kind == RegionNode::Empty;
  switch (op) {
    case CombineModeReplace:
      return b;
    case CombineModeIntersect:
      if (aInf) return b;
      if (bInf) return a;
      if (aEmpty || bEmpty) return MakeEmptyRegion();
      break;
    case CombineModeUnion:
      if (aInf || bInf) return MakeInfiniteRegion();
      if (aEmpty) return b;
      if (bEmpty) return a;
      break;
    case CombineModeXor:
      if (aEmpty) return b;
      if (bEmpty) return a;
      break;
    case CombineModeExclude:
      if (bEmpty) return a;
      if (aEmpty || bInf) return MakeEmptyRegion();
      break;
    case CombineModeComplement:
      if (aEmpty) return b;
      if (bEmpty || aInf) return MakeEmptyRegion();
      break;
  }
  // Very deep trees come from endless combination loops; past the limit keep the newest part.
  if (Depth(a) >= kMaxRegionDepth) return op == CombineModeIntersect ? b : a;
  auto n = std::make_shared<RegionNode>();
  n->kind = RegionNode::Combine;
  n->op = op;
  n->left = a;
  n->right = b;
  return n;
}

RegionPtr TransformRegion(const RegionPtr& r, const Affine& m) {
  if (m.IsIdentity()) return r;
  switch (r->kind) {
    case RegionNode::Infinite:
    case RegionNode::Empty:
      return r;
    case RegionNode::Shape: {
      auto n = std::make_shared<RegionNode>(*r);
      for (GpPointF& p : n->points) p = m.Apply(p.X, p.Y);
      return n;
    }
    case RegionNode::Combine: {
      auto n = std::make_shared<RegionNode>(*r);
      n->left = TransformRegion(r->left, m);
      n->right = TransformRegion(r->right, m);
      return n;
    }
  }
  return r;
}

Box RegionBounds(const RegionPtr& r) {
  switch (r->kind) {
    case RegionNode::Infinite:
      return Box{-kHuge, -kHuge, kHuge, kHuge};
    case RegionNode::Empty:
      return Box{0, 0, 0, 0};
    case RegionNode::Shape:
      return PathDeviceBounds(r->points, Affine{});
    case RegionNode::Combine: {
      const Box l = RegionBounds(r->left), rb = RegionBounds(r->right);
      switch (r->op) {
        case CombineModeIntersect:
          return l.Intersect(rb);
        case CombineModeExclude:
          return l;
        case CombineModeComplement:
          return rb;
        default:
          return l.Union(rb);
      }
    }
  }
  return Box{};
}

ClipApplied ApplyClip(cairo_t* cr, const RegionPtr& clip, const ClipArea& area, double shift, SurfacePtr& mask) {
  if (clip->kind == RegionNode::Infinite) return ClipApplied::None;
  if (clip->kind == RegionNode::Empty) return ClipApplied::Empty;
  std::vector<const RegionNode*> shapes;
  if (CollectIntersections(clip, shapes)) {
    cairo_new_path(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);  // clip edges fall on whole pixels
    for (const RegionNode* n : shapes) {
      FillShape(cr, *n, shift);
      cairo_clip(cr);
    }
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    return ClipApplied::Clipped;
  }
  mask = RenderMask(clip, area, shift);
  return mask ? ClipApplied::Mask : ClipApplied::Empty;
}

extern "C" {

GpStatus GdipCreateRegion(GpRegion** region) {
  if (!region) return InvalidParameter;
  return Guarded([&] {
    *region = new GpRegion;
    return Ok;
  });
}

GpStatus GdipDeleteRegion(GpRegion* region) {
  if (!region) return InvalidParameter;
  delete region;
  return Ok;
}

}  // extern "C"
}  // namespace gdiplus
