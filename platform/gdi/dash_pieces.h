// The dashes of a geometric pen's user style: the outline cut into the pieces the pen draws.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "platform/gdi/raster.h"

// Cuts a polyline into its "on" pieces under a dash pattern of device-pixel lengths (on, off,
// on, ...), the pattern running on across vertices, so that a dash turning a corner stays one
// piece with its join. Only the part within `margin` pixels of `near` is cut: a hostile
// coordinate far away costs no pieces, only the pattern's advance. More than `mostPieces`
// pieces give nullopt, so that the caller's work stays bounded.
std::optional<std::vector<std::vector<PointF>>> DashPieces(const std::vector<PointF>& points, bool closed,
                                                           std::span<const double> pattern, const RECT& near,
                                                           double margin, size_t mostPieces);

// A pattern shorter than a pixel in all cannot be drawn as dashes (and would cost a piece for
// every fraction of a pixel): the pen draws solid then.
bool IsDashPattern(std::span<const double> pattern);
