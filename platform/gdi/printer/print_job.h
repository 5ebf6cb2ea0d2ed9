// One printed document: each page's raster goes onto a page of a PDF document drawn with
// cairo's PDF surface at the page's physical size, and the finished document becomes one CUPS
// job for the printer.
#pragma once

#include <memory>
#include <string>

class GdiBitmap;
struct _cairo_surface;

class PrintJob {
 public:
  PrintJob(std::string printer, std::string title);
  ~PrintJob();
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;

  // One page: the raster of a 24-bit page at dpiX by dpiY dots per inch.
  bool AddPage(const GdiBitmap& page, int dpiX, int dpiY);
  // Ends the document and hands it to CUPS: the job's id, or 0 when it was not taken.
  int Submit();
  // The document so far (the whole PDF once Submit has run).
  const std::string& Document() const { return pdf_; }
  int Pages() const { return pages_; }

 private:
  void Finish();
  std::string printer_, title_;
  std::string pdf_;
  _cairo_surface* surface_ = nullptr;
  int pages_ = 0;
  bool failed_ = false;
};

// Sends a PDF document to a CUPS printer as one job: its id, or 0 when it was not taken.
int SubmitPDFJob(const std::string& printer, const std::string& title, const std::string& pdf);
