// The printers CUPS offers: their names, the default one, and for one of them the default
// media (size and margins) and resolution. Without a reachable server there are none.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Sizes in hundredths of a millimetre, as CUPS states media.
struct PrinterMedia {
  int32_t width = 0, length = 0;
  int32_t left = 0, right = 0, top = 0, bottom = 0;
};

struct PrinterDevice {
  std::string name;
  PrinterMedia media;
  int32_t dpiX = 0, dpiY = 0;
};

// A destination that states no resolution prints at this many dots per inch, and a stated one
// is held within these bounds so that a page's raster stays a sane size.
inline constexpr int32_t kDefaultPrinterDpi = 300;
inline constexpr int32_t kMinPrinterDpi = 72, kMaxPrinterDpi = 600;
// A destination that states no media prints on ISO A4 without margins.
inline constexpr PrinterMedia kDefaultPrinterMedia{21000, 29700, 0, 0, 0, 0};

struct PrinterList {
  std::vector<std::string> names;  // "queue" or "queue/instance"
  int defaultIndex = -1;
};

PrinterList ListCupsPrinters();
// The named destination's media and resolution; nothing when CUPS does not know it.
std::optional<PrinterDevice> QueryCupsPrinter(const std::string& name);
// The resolution kept from what a destination states (0 for nothing stated).
int32_t PrinterDpiFromStated(int32_t stated);
