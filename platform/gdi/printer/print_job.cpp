#include "platform/gdi/printer/print_job.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include "platform/gdi/printer/cups_library.h"

#include <algorithm>

#include "platform/gdi/dib.h"

namespace {

cairo_status_t AppendToString(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

// The page's pixels on an image surface of cairo's own (32-bit words 0x00RRGGBB), which the
// PDF surface may keep for as long as it needs.
cairo_surface_t* PageImage(const GdiBitmap& page) {
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, page.Width(), page.Height());
  if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) return image;
  cairo_surface_flush(image);
  unsigned char* data = cairo_image_surface_get_data(image);
  const int stride = cairo_image_surface_get_stride(image);
  for (int32_t y = 0; y < page.Height(); ++y) {
    const uint8_t* in = page.Row(y);
    auto* out = reinterpret_cast<uint32_t*>(data + size_t(y) * size_t(stride));
    for (int32_t x = 0; x < page.Width(); ++x, in += 3) out[x] = uint32_t(in[2]) << 16 | uint32_t(in[1]) << 8 | in[0];
  }
  cairo_surface_mark_dirty(image);
  return image;
}

// The queue of a "queue/instance" name.
std::string QueueName(const std::string& printer) { return printer.substr(0, printer.find('/')); }

}  // namespace

PrintJob::PrintJob(std::string printer, std::string title) : printer_(std::move(printer)), title_(std::move(title)) {
  surface_ = cairo_pdf_surface_create_for_stream(AppendToString, &pdf_, 612, 792);
  failed_ = cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS;
}

PrintJob::~PrintJob() { Finish(); }

void PrintJob::Finish() {
  if (!surface_) return;
  cairo_surface_finish(surface_);
  failed_ = failed_ || cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface_);
  surface_ = nullptr;
}

bool PrintJob::AddPage(const GdiBitmap& page, int dpiX, int dpiY) {
  if (!surface_ || failed_ || page.BitsPerPixel() != 24 || page.Empty() || dpiX <= 0 || dpiY <= 0) return false;
  cairo_pdf_surface_set_size(surface_, page.Width() * 72.0 / dpiX, page.Height() * 72.0 / dpiY);
  cairo_surface_t* image = PageImage(page);
  cairo_t* cr = cairo_create(surface_);
  cairo_scale(cr, 72.0 / dpiX, 72.0 / dpiY);
  cairo_set_source_surface(cr, image, 0, 0);
  // Device pixels stay device pixels: a reader at the printer's resolution gets them back.
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  cairo_show_page(cr);
  failed_ = cairo_status(cr) != CAIRO_STATUS_SUCCESS || cairo_surface_status(image) != CAIRO_STATUS_SUCCESS;
  cairo_destroy(cr);
  cairo_surface_destroy(image);
  if (!failed_) ++pages_;
  return !failed_;
}

int PrintJob::Submit() {
  Finish();
  if (failed_ || pages_ == 0) return 0;
  return SubmitPDFJob(printer_, title_, pdf_);
}

int SubmitPDFJob(const std::string& printer, const std::string& title, const std::string& pdf) {
  const CupsLibrary* cups = Cups();
  if (!cups) return 0;
  const std::string queue = QueueName(printer);
  const int job = cups->createJob(CUPS_HTTP_DEFAULT, queue.c_str(), title.c_str(), 0, nullptr);
  if (job <= 0) return 0;
  const bool started = cups->startDocument(CUPS_HTTP_DEFAULT, queue.c_str(), job, title.c_str(), CUPS_FORMAT_PDF, 1) ==
                       HTTP_STATUS_CONTINUE;
  bool sent = started;
  for (size_t at = 0; sent && at < pdf.size();) {
    const size_t chunk = std::min<size_t>(pdf.size() - at, 65536);
    sent = cups->writeRequestData(CUPS_HTTP_DEFAULT, pdf.data() + at, chunk) == HTTP_STATUS_CONTINUE;
    at += chunk;
  }
  // A document that never started has no answer to read.
  const bool finished = started && cups->finishDocument(CUPS_HTTP_DEFAULT, queue.c_str()) == IPP_STATUS_OK;
  if (sent && finished) return job;
  cups->cancelJob2(CUPS_HTTP_DEFAULT, queue.c_str(), job, 0);
  return 0;
}
