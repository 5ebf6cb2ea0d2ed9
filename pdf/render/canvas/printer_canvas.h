// What printer output needs from the printer: the canvas to draw on, its device context and
// the printable page size; and TLocalCanvas, a canvas on the printer's information context
// whose font keeps its point size at the printer's resolution. Nothing here starts or ends a
// print job: the caller does.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/gdi/canvas.h"

class TPrinter;

class TLocalCanvas : public TCanvas {
 public:
  explicit TLocalCanvas(TPrinter* printer);
  ~TLocalCanvas() override;

 protected:
  // An information context of the printer, made when the canvas first needs a DC.
  void CreateHandle() override;
  void Changing() override;

 private:
  // Gives the font the printer's vertical resolution, keeping its size in points.
  void UpdateFont();
  TPrinter* printer_;
  HDC ownIC_ = nullptr;
  bool asked_ = false;  // the printer is asked for its context once
};

// The printer that printer output draws on (the caller's; absent when there is none), and
// whether drawing goes to an information context (DC) instead of the printer's own canvas.
struct TPDFPrinterTarget {
  TPrinter* Printer = nullptr;
  std::unique_ptr<TLocalCanvas> LocalCanvas;
  HDC DC = nullptr;
  uint8_t InformationContext = 0;
};

TCanvas* GetPrinterCanvas(TPDFPrinterTarget& target);
HDC GetPrinterHandle(const TPDFPrinterTarget& target);
// The printable area in device pixels; 0 without a printer.
int32_t GetPrinterPageHeight(const TPDFPrinterTarget& target);
int32_t GetPrinterPageWidth(const TPDFPrinterTarget& target);
