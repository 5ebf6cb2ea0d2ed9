// A GDI+ path cut into the dashes of a PDF dash pattern, each dash a figure of its own. GDI+
// ends a dash flat, round or in a triangle, never square: a line whose square caps belong to
// every dash is drawn as these figures with a solid pen, which caps each at both ends.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/gdi/dash_pieces.h"
#include "platform/gdiplus/gdiplus_flat.h"

// More dashes than a stroke may be cut into: finer dashing over a longer path draws solid.
inline constexpr double kMaxDashPieces = 1 << 20;

// Cuts the figures of a GDI+ path (points and point types) into dashes: dash and gap lengths
// in turn (each above 0), the pattern starting `phase` into itself at the start of every
// figure, as PDF dashes. Curves are flattened first. False, with pieces empty, when the
// pattern is unusable or the path would give more than kMaxDashPieces dashes.
bool CutIntoDashes(std::span<const gdiplus::GpPointF> points, std::span<const uint8_t> types,
                   std::span<const double> pattern, double phase, std::vector<DashPiece>& pieces);
