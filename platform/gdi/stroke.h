// Drawing with the DC's pen and brush along device-space outlines (shared by shapes and paths).
#pragma once

#include <vector>

#include "platform/gdi/dc_internal.h"

void StrokeOutline(GdiDC& dc, const std::vector<PointF>& points, bool closed);
void FillOutlines(GdiDC& dc, const std::vector<std::vector<PointF>>& polygons, int fillMode);
// Region covered by a pen along an outline (for the platform's wide pens and paths).
Region PenCoverage(const GdiDC& dc, const std::vector<PointF>& points, bool closed, Region* gaps);
