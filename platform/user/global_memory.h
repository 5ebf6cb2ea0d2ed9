// The GlobalAlloc family lives with the graphics layer, which printers' device modes need too.
#pragma once

#include "platform/gdi/global_memory.h"
#include "platform/user/wintypes.h"
