// GDI paths: figures recorded between BeginPath and EndPath (in device coordinates, curves
// flattened), then stroked, filled, or turned into a region or clip.
#pragma once

#include <vector>

#include "platform/gdi/gdi_types.h"
#include "platform/gdi/raster.h"

struct GdiPath {
  struct Figure {
    std::vector<PointF> points;
    bool closed = false;
  };
  enum class Stage { None, Open, Closed } stage = Stage::None;
  std::vector<Figure> figures;

  void Start(PointF p);  // a new figure at p
  void LineTo(PointF p);
  void Close();
  void Clear() {
    figures.clear();
    stage = Stage::None;
  }
};

bool BeginPath(HDC dc);
bool EndPath(HDC dc);
bool AbortPath(HDC dc);
bool CloseFigure(HDC dc);
bool StrokePath(HDC dc);
bool FillPath(HDC dc);
bool StrokeAndFillPath(HDC dc);
bool FlattenPath(HDC dc);
HRGN PathToRegion(HDC dc);
bool SelectClipPath(HDC dc, int mode);
