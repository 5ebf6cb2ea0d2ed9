// GRADIENTFILL: rectangles shaded along one axis and Gouraud-shaded triangles.
//
// The number of bands and pieces follows what can be seen: no more than the colours differ in
// steps, the shape spans logical units, and the output has half pixels; content stays small
// whatever the coordinates.
#include <algorithm>
#include <array>
#include <cmath>

#include "pdf/content/metafile/pdf_metafile.h"
#include "pdf/content/painter/pdf_painter.h"
#include "platform/rtl/numbers.h"

namespace {

using TVertex = TPDFMetafile::TGradientVertex;

TVertex ReadVertex(const TMetafileRecord& r, uint64_t at) {
  // Channels are 16 bits; their high byte is the 8-bit value.
  return {double(r.I32(at)), double(r.I32(at + 4)), {double(r.U16(at + 8) >> 8), double(r.U16(at + 10) >> 8), double(r.U16(at + 12) >> 8)}};
}

TMetafileColor ColorOf(const std::array<double, 3>& c) {
  auto byte = [](double v) { return uint32_t(std::clamp<int64_t>(RoundHalfEven(v), 0, 255)); };
  return byte(c[0]) | byte(c[1]) << 8 | byte(c[2]) << 16;
}

double MaxDifference(const TVertex& a, const TVertex& b) {
  double d = 0;
  for (int i = 0; i < 3; ++i) d = std::max(d, std::abs(a.C[size_t(i)] - b.C[size_t(i)]));
  return d;
}

// Pieces of a gradient everywhere in a picture, across all its records.
constexpr double kMaxBands = 256;
constexpr double kMaxTrianglePieces = 32;
constexpr double kMaxPiecesPerRecord = 200000;

}  // namespace

void TPDFMetafile::HandleGradientFill(const TMetafileRecord& r) {
  const uint64_t claimedVertices = r.U32(24);
  const uint64_t nv = r.Fit(36, claimedVertices, 16);
  const uint32_t mode = r.U32(32);
  const uint64_t entriesAt = 36 + 16 * claimedVertices;
  const uint64_t entrySize = mode == 2 ? 12 : 8;
  const uint64_t ne = r.Fit(entriesAt, r.U32(28), entrySize);
  if (mode > 2 || nv == 0) return;
  if (mode == 2) {
    const double perTriangle = std::max(1.0, std::floor(std::sqrt(kMaxPiecesPerRecord / std::max<uint64_t>(ne, 1))));
    for (uint64_t e = 0; e < ne && !OverBudget(); ++e) {
      const uint32_t idx[3] = {r.U32(entriesAt + 12 * e), r.U32(entriesAt + 12 * e + 4), r.U32(entriesAt + 12 * e + 8)};
      if (idx[0] >= nv || idx[1] >= nv || idx[2] >= nv) continue;
      GradientTriangle(ReadVertex(r, 36 + 16 * uint64_t(idx[0])), ReadVertex(r, 36 + 16 * uint64_t(idx[1])),
                       ReadVertex(r, 36 + 16 * uint64_t(idx[2])), perTriangle);
    }
    return;
  }
  for (uint64_t e = 0; e < ne && !OverBudget(); ++e) {
    const uint32_t ul = r.U32(entriesAt + 8 * e), lr = r.U32(entriesAt + 8 * e + 4);
    if (ul >= nv || lr >= nv) continue;
    GradientRect(ReadVertex(r, 36 + 16 * uint64_t(ul)), ReadVertex(r, 36 + 16 * uint64_t(lr)), mode == 1);
  }
}

void TPDFMetafile::GradientRect(const TGradientVertex& a, const TGradientVertex& b, bool vertical) {
  const double span = vertical ? b.Y - a.Y : b.X - a.X;
  const TMetafilePoint p = Map(a.X, a.Y), q = Map(vertical ? a.X : b.X, vertical ? b.Y : a.Y);
  const double contentSpan = std::hypot(q.X - p.X, q.Y - p.Y);
  double bands = std::min(
      {MaxDifference(a, b) + 1, std::ceil(std::abs(span)), kMaxBands, std::ceil(2 * contentSpan / DevicePixel())});
  if (!(bands >= 1)) bands = 1;
  const int n = int(bands);
  for (int i = 0; i < n; ++i) {
    // Each band reaches to the far edge, so the next one covers its seam.
    const double f0 = double(i) / n, f = (i + 0.5) / n;
    std::array<double, 3> c;
    for (size_t k = 0; k < 3; ++k) c[k] = a.C[k] + (b.C[k] - a.C[k]) * (n == 1 ? 0 : f);
    TMetafilePath band;
    if (vertical)
      AddRectangle(band, a.X, a.Y + span * f0, b.X, b.Y);
    else
      AddRectangle(band, a.X + span * f0, a.Y, b.X, b.Y);
    FillWithColor(band, ColorOf(c), false);
  }
}

void TPDFMetafile::GradientTriangle(const TGradientVertex& a, const TGradientVertex& b, const TGradientVertex& c,
                                    double maxPieces) {
  const TMetafilePoint pa = Map(a.X, a.Y), pb = Map(b.X, b.Y), pc = Map(c.X, c.Y);
  const double extent = std::max({std::hypot(pb.X - pa.X, pb.Y - pa.Y), std::hypot(pc.X - pa.X, pc.Y - pa.Y),
                                  std::hypot(pc.X - pb.X, pc.Y - pb.Y)});
  const double diff = std::max({MaxDifference(a, b), MaxDifference(a, c), MaxDifference(b, c)});
  double pieces = std::min({diff / 4 + 1, kMaxTrianglePieces, maxPieces, std::ceil(extent / DevicePixel())});
  if (!(pieces >= 1)) pieces = 1;
  const int n = int(pieces);
  // Barycentric grid: point (i, j) lies at a + (b - a) i / n + (c - a) j / n.
  auto at = [&](double i, double j, TMetafilePoint& p, std::array<double, 3>& col) {
    const double u = i / n, v = j / n, w = 1 - u - v;
    p = {pa.X * w + pb.X * u + pc.X * v, pa.Y * w + pb.Y * u + pc.Y * v};
    for (size_t k = 0; k < 3; ++k) col[k] = a.C[k] * w + b.C[k] * u + c.C[k] * v;
  };
  TStroke edge;
  edge.Width = DevicePixel() / 2;  // covers the seams between pieces
  auto piece = [&](double i0, double j0, double i1, double j1, double i2, double j2) {
    TMetafilePoint p[3];
    std::array<double, 3> col[3];
    at(i0, j0, p[0], col[0]);
    at(i1, j1, p[1], col[1]);
    at(i2, j2, p[2], col[2]);
    std::array<double, 3> mean;
    for (size_t k = 0; k < 3; ++k) mean[k] = (col[0][k] + col[1][k] + col[2][k]) / 3;
    const TMetafileColor color = ColorOf(mean);
    TMetafilePath t;
    t.MoveTo(p[0]);
    t.LineTo(p[1]);
    t.LineTo(p[2]);
    t.Close();
    ApplyFill(color);
    ApplyStroke(edge, color);
    t.Emit(*painter_);
    painter_->FillStroke(true, n > 1);
  };
  for (int i = 0; i < n; ++i) {
    for (int j = 0; i + j < n; ++j) {
      piece(i, j, i + 1, j, i, j + 1);
      if (i + j + 1 < n) piece(i + 1, j, i + 1, j + 1, i, j + 1);
    }
  }
}
