// The graphics types that the window layer shares with the graphics layer below it, plus the
// icon and cursor handles, which belong to the window layer.
#pragma once

#include "platform/gdi/gdi_types.h"

using HICON = struct HICON__*;
using HCURSOR = HICON;
