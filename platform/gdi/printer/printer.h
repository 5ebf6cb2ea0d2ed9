// TPrinter: the class library's printer over CUPS. It lists the CUPS printers with the default
// one selected; its handle is a DC over one page at the printer's resolution and its canvas
// draws there; BeginDoc, NewPage and EndDoc turn the pages into one PDF document that EndDoc
// hands to CUPS. Without a CUPS server or printer there is no printer: the handle and the
// canvas are null and the sizes 0.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdi/canvas.h"
#include "platform/gdi/global_memory.h"
#include "platform/gdi/printer/cups_destinations.h"

class PrintJob;

// The leading part of the device mode record, as far as a printer here fills it.
struct DEVMODEA {
  char dmDeviceName[32];
  uint16_t dmSpecVersion, dmDriverVersion, dmSize, dmDriverExtra;
  uint32_t dmFields;
  int16_t dmOrientation, dmPaperSize, dmPaperLength, dmPaperWidth, dmScale, dmCopies, dmDefaultSource,
      dmPrintQuality;
  int16_t dmColor, dmDuplex, dmYResolution, dmTTOption, dmCollate;
};
inline constexpr uint32_t DM_ORIENTATION = 0x1, DM_PAPERLENGTH = 0x4, DM_PAPERWIDTH = 0x8, DM_COPIES = 0x100,
                          DM_PRINTQUALITY = 0x400, DM_YRESOLUTION = 0x2000;
inline constexpr int16_t DMORIENT_PORTRAIT = 1;

class TPrinter {
 public:
  TPrinter();
  ~TPrinter();
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  const std::vector<std::string>& Printers() const { return list_.names; }
  int PrinterIndex() const { return index_; }
  // Selects a printer of the list (-1: the default one); not while a document is printing.
  void SetPrinterIndex(int index);

  // nullptr without a printer.
  HDC Handle();
  TCanvas* Canvas();
  // The printable area in device pixels (0 without a printer).
  int PageWidth();
  int PageHeight();
  // The selected printer's names and its device mode (a block this object keeps and frees);
  // empty names and a null block without a printer.
  void GetPrinter(std::string& device, std::string& driver, std::string& port, HGLOBAL& deviceMode);

  std::string Title;
  bool Printing() const { return job_ != nullptr; }
  int PageNumber() const { return pageNumber_; }
  // Starts a document on a white first page; false without a printer or while printing.
  bool BeginDoc();
  // Ends the page drawn so far and starts a white one.
  void NewPage();
  // Ends the document and sends it: the CUPS job's id, 0 when it was not taken.
  int EndDoc();
  // Drops the document unsent.
  void Abort();

 private:
  const PrinterDevice* Device();
  void ReleaseDevice();
  bool AddPage();

  PrinterList list_;
  int index_ = -1;
  std::optional<PrinterDevice> device_;
  bool queried_ = false;
  HDC dc_ = nullptr;
  std::unique_ptr<TCanvas> canvas_;
  HGLOBAL deviceMode_ = nullptr;
  std::unique_ptr<PrintJob> job_;
  int pageNumber_ = 0;
};
