// Lines, polylines, polygons, Bezier curves and the path bracket.
//
// As in the player: open figures (polylines, Beziers, POLYDRAW) are stroked, never filled; the
// "to" records start at the current position and move it; every polygon of a POLYPOLYGON is
// closed; inside a path bracket the records only add figures to the path.
#include "pdf/content/metafile/metafile_types.h"
#include "pdf/content/metafile/pdf_metafile.h"
#include "pdf/content/painter/pdf_painter.h"

namespace {

struct TPointReader {
  bool Wide;  // 32-bit coordinates, otherwise 16-bit
  uint64_t Stride() const { return Wide ? 8 : 4; }
  void Read(const TMetafileRecord& r, uint64_t off, double& x, double& y) const {
    if (Wide)
      x = r.I32(off), y = r.I32(off + 4);
    else
      x = r.I16(off), y = r.I16(off + 2);
  }
};

bool IsWide(uint32_t type) { return type < emr::PolyBezier16; }

}  // namespace

void TPDFMetafile::SetCurrent(double lx, double ly) {
  CurrentLogX = lx;
  CurrentLogY = ly;
}

void TPDFMetafile::Draw(TMetafilePath& figures, bool fill, bool stroke, bool continueFigure) {
  if (InPath) {
    if (continueFigure && Path.FigureOpen()) {
      // The figure goes on from the open figure's end: its leading move only restates that.
      const auto& segments = figures.Segments();
      for (size_t k = 1; k < segments.size(); ++k) {
        const auto& s = segments[k];
        switch (s.Op) {
          case TMetafilePath::TOp::Move: Path.MoveTo(s.P[0]); break;
          case TMetafilePath::TOp::Line: Path.LineTo(s.P[0]); break;
          case TMetafilePath::TOp::Curve: Path.CurveTo(s.P[0], s.P[1], s.P[2]); break;
          case TMetafilePath::TOp::Close: Path.Close(); break;
        }
      }
    } else {
      Path.Append(figures);
    }
    return;
  }
  PaintPath(figures, fill && Brush.Style != TBrush::None, stroke && !Pen.Null, PolyFillMode == 1);
}

TMetafilePoint TPDFMetafile::StartPoint() const {
  // Inside a path the open figure's end stands for the current position.
  if (InPath && Path.FigureOpen()) return Path.LastPoint();
  return Map(CurrentLogX, CurrentLogY);
}

void TPDFMetafile::MoveTo(int32_t x, int32_t y) {
  SetCurrent(x, y);
  if (InPath) Path.MoveTo(Map(x, y));
}

void TPDFMetafile::LineTo(int32_t x, int32_t y) {
  TMetafilePath figure;
  figure.MoveTo(StartPoint());
  figure.LineTo(Map(x, y));
  SetCurrent(x, y);
  Draw(figure, false, true, true);
}

void TPDFMetafile::HandlePoly(const TMetafileRecord& r) {
  const TPointReader pr{IsWide(r.Type)};
  const uint64_t n = r.Fit(28, r.U32(24), pr.Stride());
  if (n < 1) return;
  const uint32_t kind = IsWide(r.Type) ? r.Type : r.Type - (emr::PolyBezier16 - emr::PolyBezier);
  const bool fromCurrent = kind == emr::PolyBezierTo || kind == emr::PolylineTo;
  const bool bezier = kind == emr::PolyBezier || kind == emr::PolyBezierTo;
  TMetafilePath figure;
  uint64_t i = 0;
  double x = 0, y = 0;
  if (fromCurrent) {
    figure.MoveTo(StartPoint());
  } else {
    pr.Read(r, 28, x, y);
    figure.MoveTo(Map(x, y));
    i = 1;
  }
  if (bezier) {
    for (; i + 3 <= n; i += 3) {
      double x1, y1, x2, y2;
      pr.Read(r, 28 + i * pr.Stride(), x1, y1);
      pr.Read(r, 28 + (i + 1) * pr.Stride(), x2, y2);
      pr.Read(r, 28 + (i + 2) * pr.Stride(), x, y);
      figure.CurveTo(Map(x1, y1), Map(x2, y2), Map(x, y));
    }
  } else {
    for (; i < n; ++i) {
      pr.Read(r, 28 + i * pr.Stride(), x, y);
      figure.LineTo(Map(x, y));
    }
  }
  if (fromCurrent && bezier) {
    // The current position goes to the record's last point, also past an unfinished curve.
    pr.Read(r, 28 + (n - 1) * pr.Stride(), x, y);
    SetCurrent(x, y);
  } else if (fromCurrent && figure.Count() > 1) {
    SetCurrent(x, y);
  }
  if (kind == emr::Polygon) figure.Close();
  Draw(figure, kind == emr::Polygon, true, fromCurrent);
}

void TPDFMetafile::HandlePolyPoly(const TMetafileRecord& r) {
  const TPointReader pr{IsWide(r.Type)};
  const bool polygon = r.Type == emr::PolyPolygon || r.Type == emr::PolyPolygon16;
  const uint64_t figures = r.Fit(32, r.U32(24), 4);
  const uint64_t pointsAt = 32 + 4 * uint64_t(r.U32(24));
  uint64_t available = r.Fit(pointsAt, r.U32(28), pr.Stride());
  TMetafilePath path;
  uint64_t at = pointsAt;
  for (uint64_t f = 0; f < figures && available > 0; ++f) {
    const uint64_t count = std::min<uint64_t>(r.U32(32 + 4 * f), available);
    available -= count;
    for (uint64_t i = 0; i < count; ++i, at += pr.Stride()) {
      double x, y;
      pr.Read(r, at, x, y);
      if (i == 0)
        path.MoveTo(Map(x, y));
      else
        path.LineTo(Map(x, y));
    }
    if (polygon) path.Close();
  }
  Draw(path, polygon, true, false);
}

void TPDFMetafile::HandlePolyDraw(const TMetafileRecord& r) {
  const TPointReader pr{IsWide(r.Type)};
  const uint64_t claimed = r.U32(24);
  const uint64_t typesAt = 28 + claimed * pr.Stride();
  const uint64_t n = std::min(r.Fit(28, claimed, pr.Stride()), r.Fit(typesAt, claimed, 1));
  auto type = [&](uint64_t i) { return r.U8(typesAt + i); };
  auto kind = [&](uint64_t i) { return uint8_t(type(i) & ~emr::PtCloseFigure); };
  // The figure starts at the current position. A close draws back to the figure's start,
  // where drawing goes on. A point the player does not accept (a close flag on no line or on
  // a move, an unknown type, curve points not in threes) ends the record: what came before
  // it is drawn and the current position stays where it was.
  TMetafilePath figure;
  figure.MoveTo(StartPoint());
  double x = CurrentLogX, y = CurrentLogY, startX = x, startY = y;
  bool accepted = true;
  for (uint64_t i = 0; i < n; ++i) {
    if (kind(i) == emr::PtBezierTo) {
      if (!(i + 2 < n && type(i + 1) == emr::PtBezierTo && kind(i + 2) == emr::PtBezierTo)) {
        accepted = false;
        break;
      }
      double x1, y1, x2, y2;
      pr.Read(r, 28 + i * pr.Stride(), x1, y1);
      pr.Read(r, 28 + (i + 1) * pr.Stride(), x2, y2);
      pr.Read(r, 28 + (i + 2) * pr.Stride(), x, y);
      figure.CurveTo(Map(x1, y1), Map(x2, y2), Map(x, y));
      i += 2;
    } else if (type(i) == emr::PtMoveTo) {
      pr.Read(r, 28 + i * pr.Stride(), x, y);
      figure.MoveTo(Map(x, y));
      startX = x, startY = y;
      continue;
    } else if (kind(i) == emr::PtLineTo) {
      pr.Read(r, 28 + i * pr.Stride(), x, y);
      figure.LineTo(Map(x, y));
    } else {
      accepted = false;
      break;
    }
    if (type(i) & emr::PtCloseFigure) {
      figure.Close();
      x = startX, y = startY;
    }
  }
  if (accepted) SetCurrent(x, y);
  Draw(figure, false, true, true);
}

void TPDFMetafile::HandlePathRecord(const TMetafileRecord& r) {
  switch (r.Type) {
    case emr::BeginPath:
      Path.Clear();
      InPath = true;
      return;
    case emr::EndPath: InPath = false; return;
    case emr::CloseFigure: Path.Close(); return;
    case emr::AbortPath:
      Path.Clear();
      InPath = false;
      return;
    case emr::WidenPath: {
      // The path becomes the outline of what the pen would draw along it; the player refuses
      // this for the null pen and for plain pens of one device pixel.
      const TStroke pen = ResolvePen(Pen);
      if (Pen.Null || (!Pen.Geometric && Pen.Width * LineScale() <= DevicePixel() * 1.0000001)) return;
      // Every point of the path gives at most a round join's or cap's worth of outline.
      if (!Spend(int64_t(Path.Count()) * 64)) return;
      const TMetafilePath widened = OnPixelCentres(Path, pen.Width).Widened(pen.Width, Pen.Cap, Pen.Join, MiterLimit);
      Path = widened;
      return;
    }
    case emr::FillPath:
    case emr::StrokeAndFillPath:
    case emr::StrokePath: {
      const bool fill = r.Type != emr::StrokePath && Brush.Style != TBrush::None;
      const bool stroke = r.Type != emr::FillPath && !Pen.Null;
      TMetafilePath path;
      path.Append(Path);
      Path.Clear();
      InPath = false;
      if (!fill && !stroke) {
        // Nothing paints (the null brush, the null pen): the path is ended unpainted.
        if (r.Type == emr::StrokeAndFillPath) path.CloseAll();
        if (!path.Empty()) {
          path.Emit(*painter_);
          painter_->FillStroke(false, false);
        }
      } else {
        if (r.Type == emr::StrokeAndFillPath) path.CloseAll();
        PaintPath(path, fill, stroke, PolyFillMode == 1);
      }
      return;
    }
    default: return;  // FLATTENPATH: curves stay curves
  }
}
