// An outline cut into the dashes of a dash pattern, each dash an open line of its own (or a
// closed figure the pattern never breaks), for strokes whose caps or widths the drawing road
// cannot put on every dash itself: a geometric pen's user style, PDF's square-capped dashes.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "platform/gdi/raster.h"

struct DashPiece {
  std::vector<PointF> points;
  bool closed = false;  // a closed figure the pattern never breaks
};

struct DashRule {
  std::span<const double> pattern;  // on, off, on, ... lengths (none negative, not all 0)
  double phase = 0;                  // how far into the pattern every figure starts
  // When given, only the part within `margin` of this box is cut: a hostile coordinate far away
  // costs no pieces, only the pattern's advance.
  const RECT* near = nullptr;
  double margin = 0;
  size_t mostPieces = size_t(1) << 20;
  // A dash of no length is a piece of its own (its caps alone) rather than nothing.
  bool dots = false;
  // Every end of an open piece is carried this much further along the line there: a square cap
  // drawn as a flat one, also on a dash of no length, which a stroke cannot orient.
  double reach = 0;
};

// Appends the dashes of one figure (a polyline, closed or open) to `pieces`. The pattern runs on
// across vertices, so that a dash turning a corner stays one piece with its join, and on a closed
// figure the dash through the starting point is one piece too; a dash that only begins or ends at
// a vertex does not turn it. A dash does not begin where the figure ends. False once `pieces`
// would hold more than rule.mostPieces (the caller's work on them stays bounded), or for a
// pattern of no length.
bool CutFigureIntoDashes(std::span<const PointF> points, bool closed, const DashRule& rule,
                         std::vector<DashPiece>& pieces);
