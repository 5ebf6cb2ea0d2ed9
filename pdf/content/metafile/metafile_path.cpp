#include "pdf/content/metafile/metafile_path.h"

#include <algorithm>

#include "pdf/content/painter/pdf_painter.h"

void TMetafilePath::MoveTo(TMetafilePoint p) {
  // A move that follows a move replaces it: a figure of one point draws nothing.
  if (!segments_.empty() && segments_.back().Op == TOp::Move) segments_.pop_back();
  segments_.push_back({TOp::Move, {p}});
  last_ = p;
}

void TMetafilePath::LineTo(TMetafilePoint p) {
  if (!FigureOpen()) segments_.push_back({TOp::Move, {last_}});
  segments_.push_back({TOp::Line, {p}});
  last_ = p;
}

void TMetafilePath::CurveTo(TMetafilePoint c1, TMetafilePoint c2, TMetafilePoint p) {
  if (!FigureOpen()) segments_.push_back({TOp::Move, {last_}});
  segments_.push_back({TOp::Curve, {c1, c2, p}});
  last_ = p;
}

void TMetafilePath::Close() {
  if (FigureOpen() && segments_.back().Op != TOp::Move) {
    segments_.push_back({TOp::Close, {}});
    // After a close the pen is back at the figure's start.
    for (size_t i = segments_.size(); i-- > 0;) {
      if (segments_[i].Op == TOp::Move) {
        last_ = segments_[i].P[0];
        break;
      }
    }
  }
}

void TMetafilePath::Append(const TMetafilePath& other) {
  if (other.Empty()) return;
  segments_.insert(segments_.end(), other.segments_.begin(), other.segments_.end());
  last_ = other.last_;
}

void TMetafilePath::CloseAll() {
  std::vector<TSegment> out;
  out.reserve(segments_.size() + 8);
  bool open = false;
  for (const TSegment& s : segments_) {
    if (s.Op == TOp::Move && open) out.push_back({TOp::Close, {}});
    if (s.Op == TOp::Move)
      open = false;
    else
      open = s.Op != TOp::Close;
    out.push_back(s);
  }
  if (open) out.push_back({TOp::Close, {}});
  segments_ = std::move(out);
}

TMetafilePath TMetafilePath::Translated(double dx, double dy) const {
  TMetafilePath out = *this;
  for (TSegment& s : out.segments_)
    for (TMetafilePoint& p : s.P) p.X += dx, p.Y += dy;
  out.last_.X += dx, out.last_.Y += dy;
  return out;
}

std::vector<TMetafilePath::TFigure> TMetafilePath::Figures() const {
  constexpr int kCurvePieces = 16;
  std::vector<TFigure> out;
  TFigure figure;
  TMetafilePoint at{};
  auto flush = [&]() {
    if (!figure.Points.empty()) out.push_back(std::move(figure));
    figure = TFigure{};
  };
  for (const TSegment& s : segments_) {
    switch (s.Op) {
      case TOp::Move:
        flush();
        figure.Points.push_back(s.P[0]);
        at = s.P[0];
        break;
      case TOp::Line:
        if (figure.Points.empty()) figure.Points.push_back(at);
        figure.Points.push_back(s.P[0]);
        at = s.P[0];
        break;
      case TOp::Curve: {
        if (figure.Points.empty()) figure.Points.push_back(at);
        const TMetafilePoint a = at, c1 = s.P[0], c2 = s.P[1], b = s.P[2];
        for (int i = 1; i <= kCurvePieces; ++i) {
          const double t = double(i) / kCurvePieces, u = 1 - t;
          const double w0 = u * u * u, w1 = 3 * u * u * t, w2 = 3 * u * t * t, w3 = t * t * t;
          figure.Points.push_back(
              {w0 * a.X + w1 * c1.X + w2 * c2.X + w3 * b.X, w0 * a.Y + w1 * c1.Y + w2 * c2.Y + w3 * b.Y});
        }
        at = b;
        break;
      }
      case TOp::Close: {
        // The next figure starts where this one did.
        const TMetafilePoint start = figure.Points.empty() ? at : figure.Points.front();
        figure.Closed = true;
        flush();
        at = start;
        break;
      }
    }
  }
  flush();
  return out;
}

bool TMetafilePath::Bounds(double& minX, double& minY, double& maxX, double& maxY) const {
  bool any = false;
  for (const TSegment& s : segments_) {
    const int n = s.Op == TOp::Curve ? 3 : (s.Op == TOp::Close ? 0 : 1);
    for (int i = 0; i < n; ++i) {
      const TMetafilePoint& p = s.P[i];
      if (!any) {
        minX = maxX = p.X;
        minY = maxY = p.Y;
        any = true;
      } else {
        minX = std::min(minX, p.X), maxX = std::max(maxX, p.X);
        minY = std::min(minY, p.Y), maxY = std::max(maxY, p.Y);
      }
    }
  }
  return any;
}

void TMetafilePath::Emit(TPDFPainter& painter) const {
  bool first = true;
  for (const TSegment& s : segments_) {
    switch (s.Op) {
      case TOp::Move:
        if (first)
          painter.NewPath(s.P[0].X, s.P[0].Y);
        else
          painter.MoveTo(s.P[0].X, s.P[0].Y);
        first = false;
        break;
      case TOp::Line: painter.LineTo(s.P[0].X, s.P[0].Y); break;
      case TOp::Curve: painter.CurveTo(s.P[0].X, s.P[0].Y, s.P[1].X, s.P[1].Y, s.P[2].X, s.P[2].Y); break;
      case TOp::Close: painter.ClosePath(); break;
    }
  }
}

std::string TMetafilePath::Text(const TPDFPainter& painter) const {
  std::string text;
  for (const TSegment& s : segments_) {
    switch (s.Op) {
      case TOp::Move: text += painter.Number(s.P[0].X) + painter.Number(s.P[0].Y) + "m\n"; break;
      case TOp::Line: text += painter.Number(s.P[0].X) + painter.Number(s.P[0].Y) + "l\n"; break;
      case TOp::Curve:
        text += painter.Number(s.P[0].X) + painter.Number(s.P[0].Y) + painter.Number(s.P[1].X) +
                painter.Number(s.P[1].Y) + painter.Number(s.P[2].X) + painter.Number(s.P[2].Y) + "c\n";
        break;
      case TOp::Close: text += "h\n"; break;
    }
  }
  return text;
}
