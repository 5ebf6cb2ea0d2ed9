#include "platform/gdiplus/emfplus_objects.h"

#include <algorithm>

namespace gdiplus::emfplus {
namespace {

constexpr uint32_t kBrushSolid = 0, kBrushTexture = 2, kBrushLinearGradient = 4;
constexpr uint32_t kBrushDataTransform = 0x02, kBrushDataPresetColours = 0x04;
constexpr uint32_t kPenTransform = 0x01, kPenStartCap = 0x02, kPenEndCap = 0x04, kPenJoin = 0x08,
                   kPenMiterLimit = 0x10, kPenLineStyle = 0x20, kPenDashedLineCap = 0x40, kPenDashOffset = 0x80,
                   kPenDashedLine = 0x100;
constexpr int32_t kLineStyleCustom = 5;
constexpr uint32_t kImageBitmap = 1, kBitmapPixels = 0;
constexpr uint32_t kPixelFormat32bppARGB = 0x0026200A;
constexpr uint32_t kNodeRect = 0x10000000, kNodePath = 0x10000001, kNodeEmpty = 0x10000002,
                   kNodeInfinite = 0x10000003;

// The nodes below the root: the count the region object states.
uint32_t ChildNodes(const RegionPtr& node) {
  if (!node || node->kind != RegionNode::Combine) return 0;
  if (node->op == CombineModeReplace) return ChildNodes(node->right);
  return 2 + ChildNodes(node->left) + ChildNodes(node->right);
}

void WriteNode(EmfRecordBuilder& out, const RegionPtr& node) {
  if (!node) return void(out.U32(kNodeEmpty));
  switch (node->kind) {
    case RegionNode::Infinite:
      out.U32(kNodeInfinite);
      return;
    case RegionNode::Empty:
      out.U32(kNodeEmpty);
      return;
    case RegionNode::Shape: {
      out.U32(kNodePath);
      const uint32_t lengthAt = out.Offset();
      out.U32(0);
      WritePath(out, node->points, node->types, node->fillMode);
      out.Patch(lengthAt, out.Offset() - lengthAt - 4);
      return;
    }
    case RegionNode::Combine:
      // Replacing keeps only the second operand; the other modes share their numbers with
      // the node types (intersect 1 ... complement 5).
      if (node->op == CombineModeReplace) return WriteNode(out, node->right);
      out.U32(uint32_t(node->op));
      WriteNode(out, node->left);
      WriteNode(out, node->right);
      return;
  }
}

// The line gradient runs from p1 to p2; the format's gradient runs across a rectangle, so the
// unit square's x axis is carried onto p1 -> p2 (the brush's own transform after that).
Affine UnitSquareToLine(const GpLineGradient& b) {
  const double dx = double(b.p2.X) - b.p1.X, dy = double(b.p2.Y) - b.p1.Y;
  return Then(Affine{{dx, dy, -dy, dx, b.p1.X, b.p1.Y}}, b.transform);
}

void WriteLineGradient(EmfRecordBuilder& out, const GpLineGradient& b) {
  const size_t stops = std::min(b.colors.size(), b.positions.size());
  const bool preset = stops > 2 || (stops == 2 && (b.positions[0] != 0 || b.positions[1] != 1));
  out.U32(kGraphicsVersion).U32(kBrushLinearGradient);
  out.U32(kBrushDataTransform | (preset ? kBrushDataPresetColours : 0)).I32(b.wrap);
  out.F32(0).F32(0).F32(1).F32(1);
  out.U32(stops ? b.colors.front() : 0).U32(stops ? b.colors[stops - 1] : 0);
  out.U32(0).U32(0);  // reserved
  WriteMatrix(out, UnitSquareToLine(b));
  if (!preset) return;
  out.U32(uint32_t(stops));
  for (size_t i = 0; i < stops; ++i) out.F32(b.positions[i]);
  for (size_t i = 0; i < stops; ++i) out.U32(b.colors[i]);
}

void WriteTexture(EmfRecordBuilder& out, const GpTexture& b) {
  int32_t w = 0, h = 0;
  const std::vector<ARGB> pixels = SurfacePixels(b.tile.get(), w, h);
  // The tile already holds the mirror images of the one-axis flips.
  const GpWrapMode wrap = b.wrap == WrapModeTileFlipX || b.wrap == WrapModeTileFlipY ? WrapModeTile : b.wrap;
  out.U32(kGraphicsVersion).U32(kBrushTexture).U32(kBrushDataTransform).I32(wrap);
  WriteMatrix(out, b.transform);
  WriteBitmap(out, w, h, pixels);
}

}  // namespace

Record::Record(uint16_t type, uint16_t flags) : builder_(uint32_t(type) | uint32_t(flags) << 16) {
  builder_.U32(0);  // data size, completed by Finish
}

std::vector<uint8_t> Record::Finish() {
  builder_.Pad4();
  builder_.Patch(8, builder_.Offset() - 12);
  return builder_.Finish();
}

void WriteMatrix(EmfRecordBuilder& out, const Affine& m) {
  for (double v : m.m) out.F32(float(v));
}

void WritePath(EmfRecordBuilder& out, std::span<const GpPointF> points, std::span<const uint8_t> types,
               GpFillMode fillMode) {
  const size_t n = std::min(points.size(), types.size());
  out.U32(kGraphicsVersion).U32(uint32_t(n)).U32(fillMode == FillModeWinding ? kWindingPathFlag : 0);
  for (size_t i = 0; i < n; ++i) out.F32(points[i].X).F32(points[i].Y);
  out.Bytes(types.first(n));
  out.Pad4();
}

void WriteSolidBrush(EmfRecordBuilder& out, ARGB colour) {
  out.U32(kGraphicsVersion).U32(kBrushSolid).U32(colour);
}

void WriteBrush(EmfRecordBuilder& out, const GpBrush& brush) {
  switch (brush.kind) {
    case BrushKind::Solid:
      return WriteSolidBrush(out, static_cast<const GpSolidFill&>(brush).color);
    case BrushKind::LineGradient:
      return WriteLineGradient(out, static_cast<const GpLineGradient&>(brush));
    case BrushKind::Texture:
      return WriteTexture(out, static_cast<const GpTexture&>(brush));
  }
}

void WritePen(EmfRecordBuilder& out, const GpPen& pen) {
  const bool dashed = !pen.dashes.empty();
  const bool transformed = !pen.transform.IsIdentity();
  uint32_t flags = kPenStartCap | kPenEndCap | kPenJoin | kPenMiterLimit;
  if (transformed) flags |= kPenTransform;
  if (dashed) flags |= kPenLineStyle | kPenDashedLineCap | kPenDashOffset | kPenDashedLine;
  out.U32(kGraphicsVersion).U32(0);  // the one pen type
  out.U32(flags).U32(uint32_t(pen.unit)).F32(pen.width);
  if (transformed) WriteMatrix(out, pen.transform);
  out.I32(pen.startCap).I32(pen.endCap).I32(pen.join).F32(pen.miterLimit);
  if (dashed) {
    out.I32(kLineStyleCustom).I32(pen.dashCap).F32(pen.dashOffset);
    out.U32(uint32_t(pen.dashes.size()));
    for (REAL d : pen.dashes) out.F32(d);
  }
  WriteSolidBrush(out, pen.color);
}

void WriteRegion(EmfRecordBuilder& out, const RegionPtr& root) {
  out.U32(kGraphicsVersion).U32(ChildNodes(root));
  WriteNode(out, root);
}

void WriteBitmap(EmfRecordBuilder& out, int32_t width, int32_t height, std::span<const ARGB> pixels) {
  out.U32(kGraphicsVersion).U32(kImageBitmap);
  out.I32(width).I32(height).I32(width * 4).U32(kPixelFormat32bppARGB).U32(kBitmapPixels);
  for (ARGB p : pixels) out.U32(p);
}

std::vector<ARGB> SurfacePixels(cairo_surface_t* surface, int32_t& width, int32_t& height) {
  width = height = 0;
  if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return {};
  cairo_surface_flush(surface);
  const uint8_t* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
  if (!data || w <= 0 || h <= 0) return {};
  std::vector<ARGB> pixels;
  pixels.reserve(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
    for (int x = 0; x < w; ++x) pixels.push_back(Unpremultiply(row[x]));
  }
  width = w;
  height = h;
  return pixels;
}

}  // namespace gdiplus::emfplus
