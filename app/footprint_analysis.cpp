#include "app/footprint_analysis.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>

#include "app/footprint_pixels.h"
#include "app/heap_settings.h"
#include "app/page_samples.h"
#include "pdf/core/api/talvo_pdf.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/bmp_reader.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"

namespace Tarnwick1 {

namespace {

// The size an icon is asked for: its entry nearest 8 x 8 is read, as it shows on white.
constexpr int32_t kIconSide = 8;

// Options of the load: the TIFF page, the icon's side, 0 for the rest.
int32_t LoadOptions(const std::string& type) {
  if (type == ".TIF" || type == ".TIFF") return 1;
  return type == ".ICO" ? kIconSide : 0;
}

// Every step of the road must take: a step whose answer is dropped leaves the page of an
// earlier step (a page size refused renders the old 612 x 792 page and measures a corner of
// the picture), so each refusal ends the analysis with the step that refused.
[[noreturn]] void Refused(const std::string& fileName, const char* what, const std::string& detail = {}) {
  throw EUnreadableImage("Imagefile " + std::string(what) + ": " + fileName + (detail.empty() ? "" : " (" + detail + ")"));
}

// Only a plain file is read: opening a pipe waits for a writer that may never come, and a
// device may never end. One that may not be read says so, where the library would only fail.
void RequirePlainFile(const std::string& fileName) {
  struct stat st {};
  if (::stat(fileName.c_str(), &st) != 0) Refused(fileName, "could not be read", std::strerror(errno));
  if (!S_ISREG(st.st_mode)) Refused(fileName, "could not be read", "not a regular file");
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) Refused(fileName, "could not be read", std::strerror(errno));
  ::close(fd);
}

void RenderToStream(const std::string& fileName, TStream& bmp, int32_t& width, int32_t& height) {
  RequirePlainFile(fileName);
  TOrvanePDFLibrary0915 pdf;
  pdf.SetCoordinateOrigin(1);
  pdf.SetUnits(0);
  const int32_t handle = pdf.LoadImageFile(FileNameToWide(fileName), LoadOptions(ImageTypeOf(fileName)));
  // What the import needed and gave back (a file's copy that an earlier file's free heap took
  // in) does not stand beside the page.
  ReturnFreeHeapPages();
  if (handle == 0 || pdf.SetCurrentImage(handle) == 0) Refused(fileName, "could not be read");
  width = pdf.CurrentImageWidth();
  height = pdf.CurrentImageHeight();
  if (width <= 0 || height <= 0) Refused(fileName, "holds no pixels");
  if (pdf.SetPageSize(width, height) == 0 || pdf.PlaceImage(1.0, 1.0, width, height) == 0 ||
      pdf.SetCurrentPage(1) == 0)
    Refused(fileName, "could not be placed on a page");
  if (pdf.RenderPage(72, 1, 0, bmp) == 0) Refused(fileName, "could not be rendered", pdf.RenderMessage());
}

// The rendered page's BMP: its rows where they lie when they are 24-bit (the analysis samples
// a few pixels of them), else decoded into `page`. False without pixels.
bool ReadPage(TMemoryStream& bmp, BmpRows24& rows, TBitmap& page) {
  rows = ViewBmpRows24(bmp.Bytes());
  if (!rows.Empty()) return true;
  bmp.SetPosition(0);
  page.LoadFromStream(bmp);
  return !page.Empty();
}

void ClearFootprint(TFootprint& print) {
  print = TFootprint{};
}

}  // namespace

void AnalyseFootprint(const std::string& fileName, TFootprint& print, TUnreadable unreadable) {
  // Nothing an earlier file needed stands beside this one's buffers.
  ReturnIdleMemory();
  ClearFootprint(print);
  print.ImageType = ImageTypeOf(fileName);
  const timespec start = WallClockNow();
  TFileStamp stamp;
  const bool stamped = ReadFileStamp(fileName, stamp);
  // The page's BMP keeps only the sampled pixels; a BMP of another layout is read whole.
  TPageSamples page(PixelsSquare);
  BmpRows24 rows;
  TBitmap bitmap;
  int32_t width = 0, height = 0;
  try {
    RenderToStream(fileName, page, width, height);
    if (!(page.Sampling() ? page.Complete() : ReadPage(page.Whole(), rows, bitmap)))
      Refused(fileName, "could not be rendered", "the page holds no pixels");
  } catch (const std::exception& e) {
    // A candidate that cannot be decoded (corrupt, truncated, too large) is simply not an
    // image for the run: it must not end a run over a whole folder.
    if (unreadable == TUnreadable::LeavesEmptyFootprint) return;
    if (dynamic_cast<const EUnreadableImage*>(&e) != nullptr) throw;
    Refused(fileName, "could not be read", e.what());
  }
  SetFootprintSize(print, width, height);
  TBitmap square;
  if (page.Sampling())
    ReduceToSquare(page.Width(), page.Height(), PixelsSquare,
                   [&](int32_t x, int32_t y, uint8_t* bgr) { page.Pixel(x, y, bgr); }, square);
  else if (rows.Empty())
    ReduceToSquare(bitmap.Dib(), PixelsSquare, square);
  else
    ReduceToSquare(rows, PixelsSquare, square);
  print.ColourDistribution = MeasureCells(square, CellSize);
  print.ColourClass = ClassifyColours(square);
  print.Loaded = true;
  // A file that settled before the analysis began and has the same stamp after it was read
  // whole as it is now.
  TFileStamp after;
  if (stamped && SettledBefore(stamp, start) && ReadFileStamp(fileName, after) && after == stamp)
    print.Source = TFootprintSource{fileName, PixelsSquare, stamp};
}

std::string MissingProviderMessage() {
  const std::string problem = TOrvanePDFLibrary0915().GDIPlusLoadProblem();
  if (problem.empty()) return {};
  return "The GDI+ provider could not be loaded (" + problem +
         ").\rPictures are drawn without it, and metafiles (WMF, EMF) get other footprints.\r"
         "libvelmora-gdiplus.so belongs beside the program.";
}

bool ReuseFootprint(const std::string& fileName, const TFootprint& from, TFootprint& to) {
  if (!from.Loaded || !from.Source || from.Source->FileName != fileName || from.Source->Square != PixelsSquare)
    return false;
  TFileStamp now;
  if (!ReadFileStamp(fileName, now) || !(now == from.Source->Stamp)) return false;
  to = from;
  return true;
}

}  // namespace Tarnwick1
