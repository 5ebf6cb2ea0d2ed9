// The whole road of a file the program analyses: the bytes after the first are a file of the
// type the first byte picks, imported into a one-page document, the page rendered through the
// GDI+ provider and cairo (found and bound as the program binds them), read back as a BMP and
// measured into a footprint, as a candidate is (a file the road refuses leaves no footprint).
#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/footprint.h"
#include "app/footprint_analysis.h"
#include "pdf/core/api/talvo_pdf.h"
#include "platform/gdi/icon.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/rtl/strings.h"

namespace {

const char* const kTypes[] = {".tif", ".png", ".jpg", ".gif", ".bmp", ".ico", ".wmf", ".emf"};

// Pages of up to this many pixels are rendered. A file of a few bytes honestly makes a page at
// the size cap (a fax page, a metafile's frame): its raster (768 MiB) and its drawing take the
// sanitizers past the fuzzer's memory limit and timeout, which the program's own limits allow.
// Such pages are left to the hostile-file tests, which run every corpus file through the
// program as built under those limits.
constexpr int64_t kMostPagePixels = int64_t(1) << 24;

// The page the road would render the file on, in pixels (0 when the library does not read it:
// a refusal the analysis meets as an exception too).
int64_t PagePixels(const std::string& file, const std::string& type) try {
  if (type == ".ico") {
    TIcon icon;
    icon.LoadFromFile(FileNameToWide(file));
    return int64_t(icon.Width()) * icon.Height();
  }
  TOrvanePDFLibrary0915 pdf;
  pdf.SetCoordinateOrigin(1);
  pdf.SetUnits(0);
  const int32_t handle = pdf.LoadImageFile(FileNameToWide(file), type == ".tif" ? 1 : 0);
  if (handle == 0 || pdf.SetCurrentImage(handle) == 0) return 0;
  return int64_t(pdf.CurrentImageWidth()) * pdf.CurrentImageHeight();
} catch (const std::exception&) {
  return 0;
}

// A folder of this process's own for the file, removed at the end.
class Scratch {
 public:
  Scratch() : folder_(std::filesystem::temp_directory_path() / ("velmora-road-" + std::to_string(getpid()))) {
    std::filesystem::create_directories(folder_);
    // The provider the renderer binds, mapped before the first input so that the fuzzer sees
    // its code from the start (the binding finds it mapped, beside this program's build).
    dlopen(gdiplus::kGdiplusLibraryName, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    Tarnwick1::PixelsSquare = 4;
    Tarnwick1::CellSize = 1;
  }
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  std::string File(const char* type) const { return (folder_ / ("road" + std::string(type))).string(); }

 private:
  std::filesystem::path folder_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Scratch scratch;
  if (size < 1) return 0;
  const char* type = kTypes[data[0] % 8];
  const std::string file = scratch.File(type);
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data) + 1, std::streamsize(size - 1));
  }
  const int64_t pixels = PagePixels(file, type);
  if (pixels > 0 && pixels <= kMostPagePixels) {
    Tarnwick1::TFootprint print;
    Tarnwick1::AnalyseFootprint(file, print, Tarnwick1::TUnreadable::LeavesEmptyFootprint);
    // A footprint measures the page the import made.
    if (print.Loaded && int64_t(print.Width) * print.Height != pixels) std::abort();
  }
  std::remove(file.c_str());
  return 0;
}
