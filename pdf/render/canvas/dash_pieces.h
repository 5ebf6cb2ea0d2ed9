// A GDI+ or cairo path cut into the dashes of a PDF dash pattern, each dash a figure of its own
// that a solid stroke caps at both ends. The back ends' own dashing draws the join of a corner
// where a dash only begins, cannot orient a square cap on a dash of no length, and GDI+ ends a
// dash flat, round or in a triangle, never square.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/gdi/dash_pieces.h"
#include "platform/gdiplus/gdiplus_flat.h"

// More dashes than a stroke may be cut into: finer dashing over a longer path draws solid.
inline constexpr double kMaxDashPieces = 1 << 20;

// A dash pattern as it is drawn: dash and gap lengths in turn, every gap above 0, and how far
// into itself it starts. Empty entries: a solid line.
struct DrawnDashes {
  std::vector<double> entries;
  double phase = 0;
};

// The pattern of a dash array (negative and undefined entries count as 0; an odd list runs
// through itself twice, dashes becoming gaps the second time). A gap of no length joins the
// dashes on both sides into one, also across the end of the list (the phase moves with it), so
// no seam shows where they meet; a dash of no length stays. A list with no gap left, or no
// length at all, draws a solid line.
DrawnDashes DashesAsDrawn(std::span<const double> pattern, double phase);

// Where the dashes are drawn: pieces that cannot reach the box (widened by `margin`, the
// farthest a stroke's ink lies from its line) are not made, and a stroke of more than
// `mostPieces` dashes there is drawn solid, as finer dashing is.
struct DashArea {
  RECT box{};
  double margin = 0;
  size_t mostPieces = size_t(kMaxDashPieces);
};

// Cuts the figures of a GDI+ path (points and point types) into dashes, the pattern starting
// anew at every figure, as PDF dashes. Curves are flattened first. With `dots` a dash of no
// length is a piece of its own; `reach` carries each open end of a piece further along the line
// (a square cap drawn by a flat one). False, with pieces empty, when the pattern is unusable or
// the path would give more dashes than the area admits.
bool CutIntoDashes(std::span<const gdiplus::GpPointF> points, std::span<const uint8_t> types,
                   const DrawnDashes& pattern, bool dots, double reach, const DashArea& area,
                   std::vector<DashPiece>& pieces);
