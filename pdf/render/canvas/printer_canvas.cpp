#include "pdf/render/canvas/printer_canvas.h"

#include <string>

#include "platform/gdi/dc.h"
#include "platform/gdi/printer/printer.h"

TLocalCanvas::TLocalCanvas(TPrinter* printer) : printer_(printer) {}

TLocalCanvas::~TLocalCanvas() {
  // The information context is this canvas's own: let it go with the canvas.
  if (ownIC_) {
    SetHandle(nullptr);
    DeleteDC(ownIC_);
  }
}

void TLocalCanvas::CreateHandle() {
  if (!printer_ || asked_) return;
  asked_ = true;
  std::string device, driver, port;
  HGLOBAL deviceMode = nullptr;
  printer_->GetPrinter(device, driver, port, deviceMode);
  void* mode = GlobalLock(deviceMode);
  ownIC_ = CreateICA(driver.c_str(), device.c_str(), port.c_str(), mode);
  SetHandle(ownIC_);
  GlobalUnlock(deviceMode);
  UpdateFont();
}

void TLocalCanvas::Changing() {
  TCanvas::Changing();
  UpdateFont();
}

void TLocalCanvas::UpdateFont() {
  HDC dc = RawHandle();
  if (!dc) return;
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  if (dpi <= 0 || dpi == Font().PixelsPerInch) return;
  const int points = Font().Size();
  Font().PixelsPerInch = dpi;
  Font().SetSize(points);
}

TCanvas* GetPrinterCanvas(TPDFPrinterTarget& target) {
  if (!target.Printer) return nullptr;
  if (!target.InformationContext) return target.Printer->Canvas();
  if (!target.LocalCanvas) target.LocalCanvas = std::make_unique<TLocalCanvas>(target.Printer);
  return target.LocalCanvas.get();
}

HDC GetPrinterHandle(const TPDFPrinterTarget& target) {
  if (!target.Printer) return nullptr;
  return target.InformationContext ? target.DC : target.Printer->Handle();
}

int32_t GetPrinterPageHeight(const TPDFPrinterTarget& target) {
  return target.Printer ? target.Printer->PageHeight() : 0;
}

int32_t GetPrinterPageWidth(const TPDFPrinterTarget& target) {
  return target.Printer ? target.Printer->PageWidth() : 0;
}
