// Turning a device-space region into a cairo clip for one paint.
#pragma once

#include "platform/gdiplus/gp_internal.h"

namespace gdiplus {

// The integer device rectangle a paint works on.
struct ClipArea {
  int32_t x = 0, y = 0, w = 0, h = 0;
};

enum class ClipApplied { None, Clipped, Mask, Empty };

// Clips `cr` to the region, or, when plain clipping cannot express it, renders an A8 mask of
// `area` into `mask` (its pixel (0, 0) is the area's corner) for the caller to paint through.
ClipApplied ApplyClip(cairo_t* cr, const RegionPtr& clip, const ClipArea& area, double shift, SurfacePtr& mask);

// The device pixels a clip lets through when it is the intersection of axis-aligned rectangles
// whose edges fall on whole pixels (after the shift; none: everything): exactly the pixels of
// the box. False for any other clip.
bool PixelRectangleClip(const RegionPtr& clip, double shift, Box& box);

}  // namespace gdiplus
