// System metrics and colours: the graphics layer holds both (GetSystemMetrics, GetSysColor,
// GetSysColorBrush); the window layer's frame geometry follows them.
#pragma once

#include "platform/gdi/colors.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/system_metrics.h"
