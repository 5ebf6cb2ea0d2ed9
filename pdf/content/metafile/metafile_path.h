// A path of the metafile converter in content units: the figures a drawing record or a path
// bracket builds before they are painted, used as a clip, or dropped. Keeping the geometry here
// (not in the painter's buffer) lets one path be filled, hatched, stroked and clipped in turn.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TPDFPainter;

struct TMetafilePoint {
  double X = 0, Y = 0;
};

class TMetafilePath {
 public:
  enum class TOp : uint8_t { Move, Line, Curve, Close };
  struct TSegment {
    TOp Op;
    TMetafilePoint P[3];  // Move and Line use P[0]; Curve two controls and the end point
  };

  void Clear() { segments_.clear(); }
  bool Empty() const { return segments_.empty(); }
  size_t Count() const { return segments_.size(); }
  const std::vector<TSegment>& Segments() const { return segments_; }

  void MoveTo(TMetafilePoint p);
  // Starts a figure at the last point when none is open.
  void LineTo(TMetafilePoint p);
  void CurveTo(TMetafilePoint c1, TMetafilePoint c2, TMetafilePoint p);
  void Close();
  void Append(const TMetafilePath& other);
  // Closes every open figure (the player does so before it strokes and fills a path).
  void CloseAll();
  // The same path moved by (dx, dy).
  TMetafilePath Translated(double dx, double dy) const;
  // The outline of what a pen of this width draws along the path, as closed figures (curves
  // flattened). Caps: 0 flat, 1 round, 2 square; joins: 0 miter, 1 round, 2 bevel.
  TMetafilePath Widened(double width, int cap, int join, double miterLimit) const;
  // A figure is open: its last operation is not a close.
  bool FigureOpen() const { return !segments_.empty() && segments_.back().Op != TOp::Close; }
  TMetafilePoint LastPoint() const { return last_; }

  // The figures as polylines, curves cut into straight pieces; closed ones flagged.
  struct TFigure {
    std::vector<TMetafilePoint> Points;
    bool Closed = false;
  };
  std::vector<TFigure> Figures() const;

  // Smallest box holding every point (controls included); false for an empty path.
  bool Bounds(double& minX, double& minY, double& maxX, double& maxY) const;

  // Hands the path to the painter's buffer (a new path), ready for FillStroke or Clip.
  void Emit(TPDFPainter& painter) const;
  // The path as content lines (each ending in LF), written directly without the painter's
  // pending state: used for clip levels.
  std::string Text(const TPDFPainter& painter) const;

 private:
  std::vector<TSegment> segments_;
  TMetafilePoint last_;
};
