#include "platform/gdi/printer/cups_destinations.h"

#include "platform/gdi/printer/cups_library.h"

#include <algorithm>
#include <memory>

namespace {

struct DestsDeleter {
  int count;
  void operator()(cups_dest_t* dests) const { Cups()->freeDests(count, dests); }
};
using DestList = std::unique_ptr<cups_dest_t, DestsDeleter>;

DestList GetDests() {
  cups_dest_t* dests = nullptr;
  if (!Cups()) return DestList(nullptr, DestsDeleter{0});
  const int count = Cups()->getDests2(CUPS_HTTP_DEFAULT, &dests);
  return DestList(dests, DestsDeleter{std::max(count, 0)});
}

std::string DestName(const cups_dest_t& dest) {
  std::string name = dest.name ? dest.name : "";
  if (dest.instance) name += "/" + std::string(dest.instance);
  return name;
}

struct DestInfoDeleter {
  void operator()(cups_dinfo_t* info) const { Cups()->freeDestInfo(info); }
};

void ReadDestDefaults(cups_dest_t* dest, PrinterDevice& device) {
  std::unique_ptr<cups_dinfo_t, DestInfoDeleter> info(Cups()->copyDestInfo(CUPS_HTTP_DEFAULT, dest));
  if (!info) return;
  cups_size_t size{};
  if (Cups()->getDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info.get(), 0, &size) && size.width > 0 && size.length > 0) {
    // Margins that leave nothing printable are not margins.
    const bool usable = size.left >= 0 && size.right >= 0 && size.top >= 0 && size.bottom >= 0 &&
                        size.left + size.right < size.width && size.top + size.bottom < size.length;
    device.media = usable ? PrinterMedia{size.width, size.length, size.left, size.right, size.top, size.bottom}
                          : PrinterMedia{size.width, size.length, 0, 0, 0, 0};
  }
  if (ipp_attribute_t* res = Cups()->findDestDefault(CUPS_HTTP_DEFAULT, dest, info.get(), "printer-resolution")) {
    int yres = 0;
    ipp_res_t units = IPP_RES_PER_INCH;
    int xres = Cups()->getResolution(res, 0, &yres, &units);
    if (units == IPP_RES_PER_CM) xres = int(xres * 2.54 + 0.5), yres = int(yres * 2.54 + 0.5);
    device.dpiX = PrinterDpiFromStated(xres);
    device.dpiY = PrinterDpiFromStated(yres);
  }
}

}  // namespace

int32_t PrinterDpiFromStated(int32_t stated) {
  if (stated <= 0) return kDefaultPrinterDpi;
  return std::clamp(stated, kMinPrinterDpi, kMaxPrinterDpi);
}

PrinterList ListCupsPrinters() {
  PrinterList list;
  DestList dests = GetDests();
  const int count = dests.get_deleter().count;
  for (int i = 0; i < count; ++i) {
    const cups_dest_t& dest = dests.get()[i];
    if (dest.is_default && list.defaultIndex < 0) list.defaultIndex = int(list.names.size());
    list.names.push_back(DestName(dest));
  }
  return list;
}

std::optional<PrinterDevice> QueryCupsPrinter(const std::string& name) {
  if (name.empty()) return std::nullopt;
  DestList dests = GetDests();
  const int count = dests.get_deleter().count;
  for (int i = 0; i < count; ++i) {
    cups_dest_t& dest = dests.get()[i];
    if (DestName(dest) != name) continue;
    PrinterDevice device;
    device.name = name;
    device.media = kDefaultPrinterMedia;
    device.dpiX = device.dpiY = kDefaultPrinterDpi;
    ReadDestDefaults(&dest, device);
    return device;
  }
  return std::nullopt;
}
