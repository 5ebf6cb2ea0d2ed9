// Device contexts of printers: a page raster at the printer's resolution, white, that drawing
// fills and a print job takes; or an information context that only answers GetDeviceCaps.
#pragma once

#include "platform/gdi/dc.h"
#include "platform/gdi/printer/cups_destinations.h"

// The capabilities of a printer's device: its media and margins turned into device pixels.
DeviceCaps PrinterDeviceCaps(const PrinterDevice& device);
// One capability by GetDeviceCaps index (0 for those a printer does not have).
int DeviceCapsValue(const DeviceCaps& caps, int index);
// The DC of a printer; nullptr when its page would be larger than a bitmap may be.
HDC CreatePrinterDC(const PrinterDevice& device, bool informationOnly);
// The DC of the CUPS printer of that name; nullptr when CUPS has none.
HDC CreatePrinterDC(const char* name, bool informationOnly);
