#include "platform/gdi/printer/printer_dc.h"

#include <cmath>
#include <memory>

#include "platform/gdi/dib.h"

namespace {

// Hundredths of a millimetre to device pixels.
int32_t ToPixels(int64_t hundredthsOfMm, int32_t dpi) {
  return int32_t(std::llround(double(hundredthsOfMm) * dpi / 2540.0));
}

}  // namespace

DeviceCaps PrinterDeviceCaps(const PrinterDevice& device) {
  const PrinterMedia& m = device.media;
  DeviceCaps caps;
  caps.technology = DT_RASPRINTER;
  caps.logPixelsX = device.dpiX;
  caps.logPixelsY = device.dpiY;
  caps.physicalWidth = ToPixels(m.width, device.dpiX);
  caps.physicalHeight = ToPixels(m.length, device.dpiY);
  caps.physicalOffsetX = ToPixels(m.left, device.dpiX);
  caps.physicalOffsetY = ToPixels(m.top, device.dpiY);
  // The printable area is what the margins leave, each edge rounded on its own.
  caps.horzRes = caps.physicalWidth - caps.physicalOffsetX - ToPixels(m.right, device.dpiX);
  caps.vertRes = caps.physicalHeight - caps.physicalOffsetY - ToPixels(m.bottom, device.dpiY);
  caps.horzSizeMm = int32_t(std::lround((m.width - m.left - m.right) / 100.0));
  caps.vertSizeMm = int32_t(std::lround((m.length - m.top - m.bottom) / 100.0));
  return caps;
}

int DeviceCapsValue(const DeviceCaps& caps, int index) {
  switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return caps.technology;
    case HORZSIZE: return caps.horzSizeMm;
    case VERTSIZE: return caps.vertSizeMm;
    case HORZRES: return caps.horzRes;
    case VERTRES: return caps.vertRes;
    case BITSPIXEL: return 24;
    case PLANES: return 1;
    case NUMBRUSHES:
    case NUMPENS:
    case NUMCOLORS: return -1;
    case RASTERCAPS: return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
    case LOGPIXELSX: return caps.logPixelsX;
    case LOGPIXELSY: return caps.logPixelsY;
    case PHYSICALWIDTH: return caps.physicalWidth;
    case PHYSICALHEIGHT: return caps.physicalHeight;
    case PHYSICALOFFSETX: return caps.physicalOffsetX;
    case PHYSICALOFFSETY: return caps.physicalOffsetY;
    default: return 0;
  }
}

HDC CreatePrinterDC(const PrinterDevice& device, bool informationOnly) {
  const DeviceCaps caps = PrinterDeviceCaps(device);
  if (informationOnly) return CreateDeviceDC(std::make_shared<GdiBitmap>(1, 1, 24), caps);
  const int64_t w = caps.physicalWidth, h = caps.physicalHeight;
  if (w <= 0 || h <= 0 || w > kMaxBitmapPixels / h) return nullptr;
  auto page = std::make_shared<GdiBitmap>(int32_t(w), int32_t(h), 24);
  page->Fill(RGB(255, 255, 255));
  return CreateDeviceDC(std::move(page), caps);
}

HDC CreatePrinterDC(const char* name, bool informationOnly) {
  if (!name) return nullptr;
  auto device = QueryCupsPrinter(name);
  return device ? CreatePrinterDC(*device, informationOnly) : nullptr;
}
