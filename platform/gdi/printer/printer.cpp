#include "platform/gdi/printer/printer.h"

#include <algorithm>
#include <cstring>

#include "platform/gdi/dib.h"
#include "platform/gdi/printer/print_job.h"
#include "platform/gdi/printer/printer_dc.h"

namespace {

void ClearPage(HDC dc) {
  if (auto page = GetDCBitmap(dc)) page->Fill(RGB(255, 255, 255));
}

int16_t Clamp16(int64_t v) { return int16_t(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX)); }

}  // namespace

TPrinter::TPrinter() : list_(ListCupsPrinters()), index_(list_.defaultIndex) {
  if (index_ < 0 && !list_.names.empty()) index_ = 0;
}

TPrinter::~TPrinter() {
  Abort();
  ReleaseDevice();
}

void TPrinter::ReleaseDevice() {
  canvas_.reset();
  if (dc_) DeleteDC(dc_);
  dc_ = nullptr;
  if (deviceMode_) GlobalFree(deviceMode_);
  deviceMode_ = nullptr;
  device_.reset();
  queried_ = false;
}

void TPrinter::SetPrinterIndex(int index) {
  if (Printing()) return;
  if (index < 0) index = list_.defaultIndex;
  if (index >= int(list_.names.size())) return;
  ReleaseDevice();
  index_ = index;
}

const PrinterDevice* TPrinter::Device() {
  if (!queried_) {
    queried_ = true;
    if (index_ >= 0) device_ = QueryCupsPrinter(list_.names[size_t(index_)]);
  }
  return device_ ? &*device_ : nullptr;
}

HDC TPrinter::Handle() {
  if (!dc_ && Device()) dc_ = CreatePrinterDC(*device_, false);
  return dc_;
}

TCanvas* TPrinter::Canvas() {
  if (!canvas_ && Handle()) {
    canvas_ = std::make_unique<TCanvas>();
    canvas_->SetHandle(dc_);
    canvas_->Font().PixelsPerInch = GetDeviceCaps(dc_, LOGPIXELSY);
  }
  return canvas_.get();
}

int TPrinter::PageWidth() { return Handle() ? GetDeviceCaps(dc_, HORZRES) : 0; }
int TPrinter::PageHeight() { return Handle() ? GetDeviceCaps(dc_, VERTRES) : 0; }

void TPrinter::GetPrinter(std::string& device, std::string& driver, std::string& port, HGLOBAL& deviceMode) {
  device.clear(), driver.clear(), port.clear();
  deviceMode = nullptr;
  const PrinterDevice* d = Device();
  if (!d) return;
  device = d->name;
  driver = "WINSPOOL";
  port = "CUPS";
  if (!deviceMode_) {
    deviceMode_ = GlobalAlloc(GHND, sizeof(DEVMODEA));
    if (auto* mode = static_cast<DEVMODEA*>(GlobalLock(deviceMode_))) {
      std::strncpy(mode->dmDeviceName, d->name.c_str(), sizeof(mode->dmDeviceName) - 1);
      mode->dmSize = sizeof(DEVMODEA);
      mode->dmFields = DM_ORIENTATION | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES | DM_PRINTQUALITY | DM_YRESOLUTION;
      mode->dmOrientation = DMORIENT_PORTRAIT;
      mode->dmPaperLength = Clamp16(d->media.length / 10);  // tenths of a millimetre
      mode->dmPaperWidth = Clamp16(d->media.width / 10);
      mode->dmCopies = 1;
      mode->dmPrintQuality = Clamp16(d->dpiX);
      mode->dmYResolution = Clamp16(d->dpiY);
      GlobalUnlock(deviceMode_);
    }
  }
  deviceMode = deviceMode_;
}

bool TPrinter::BeginDoc() {
  if (Printing() || !Handle()) return false;
  job_ = std::make_unique<PrintJob>(device_->name, Title);
  pageNumber_ = 1;
  ClearPage(dc_);
  return true;
}

bool TPrinter::AddPage() {
  auto page = GetDCBitmap(dc_);
  return page && job_->AddPage(*page, device_->dpiX, device_->dpiY);
}

void TPrinter::NewPage() {
  if (!Printing()) return;
  AddPage();
  ClearPage(dc_);
  ++pageNumber_;
}

int TPrinter::EndDoc() {
  if (!Printing()) return 0;
  const int job = AddPage() ? job_->Submit() : 0;
  job_.reset();
  pageNumber_ = 0;
  ClearPage(dc_);
  return job;
}

void TPrinter::Abort() {
  if (!Printing()) return;
  job_.reset();
  pageNumber_ = 0;
  ClearPage(dc_);
}
