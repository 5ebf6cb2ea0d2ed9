// The whole road for TIFF and GIF files: the API object, the import, the page, the render at
// 72 dpi and the BMP in a memory stream, next to the plain decode of the same file by libtiff
// or giflib in the same run. Inputs are generated: a 12-megapixel LZW TIFF, a Group 4 fax page
// (A4 at 200 dpi) and a 4-megapixel GIF. Usage: bench_raster_road [runs [lzw|fax|gif]]; the
// environment variable BENCH_RPS sets the LZW file's rows per strip (libtiff's default else).
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <gif_lib.h>
#include <tiffio.h>

#include "bench/fax_files.h"
#include "bench/measure.h"
#include "bench/plain_decoders.h"
#include "pdf/core/api/talvo_pdf.h"
#include "platform/rtl/files.h"
#include "platform/rtl/streams.h"

namespace {

using benchmeasure::BestMs;
using benchmeasure::PeakMiB;

int gRuns = 3;

// A photo-like picture: smooth gradients with a little noise.
std::vector<uint8_t> Picture(int w, int h) {
  std::vector<uint8_t> rgb(size_t(w) * h * 3);
  std::mt19937 rng(1);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &rgb[(size_t(y) * w + x) * 3];
      p[0] = uint8_t(x / 16 + (rng() & 3));
      p[1] = uint8_t(y / 12);
      p[2] = uint8_t((x + y) / 28 + (rng() & 1));
    }
  return rgb;
}

void WriteLZWTIFF(const std::string& path, int w, int h) {
  const std::vector<uint8_t> rgb = Picture(w, h);
  TIFF* t = TIFFOpen(path.c_str(), "w");
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(t, TIFFTAG_PREDICTOR, 2);
  const char* rows = std::getenv("BENCH_RPS");
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, rows ? uint32_t(std::atoi(rows)) : TIFFDefaultStripSize(t, 0));
  for (int y = 0; y < h; ++y) TIFFWriteScanline(t, const_cast<uint8_t*>(&rgb[size_t(y) * w * 3]), uint32_t(y), 0);
  TIFFClose(t);
}

void WriteFaxTIFF(const std::string& path, int w, int h) {
  TIFF* t = benchfax::CreateGroup4Tiff(path, w, h);
  if (t == nullptr) return;
  std::vector<uint8_t> row(static_cast<size_t>(w + 7) / 8);
  std::mt19937 rng(2);
  for (int y = 0; y < h; ++y) {
    std::fill(row.begin(), row.end(), 0);
    // Lines of "text": short black runs in bands, blank between them.
    if (y % 40 < 24 && y > 100 && y < h - 100)
      for (int x = 80; x < w - 80; ++x)
        if ((x / 7 + y / 3 + int(rng() % 5)) % 4 == 0) row[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
    TIFFWriteScanline(t, row.data(), uint32_t(y), 0);
  }
  TIFFClose(t);
}

void WriteGIF(const std::string& path, int w, int h) {
  const std::vector<uint8_t> rgb = Picture(w, h);
  int error = 0;
  GifFileType* g = EGifOpenFileName(path.c_str(), false, &error);
  std::vector<GifColorType> colors(256);
  for (int i = 0; i < 256; ++i)
    colors[size_t(i)] = {uint8_t((i >> 5) * 36), uint8_t(((i >> 2) & 7) * 36), uint8_t((i & 3) * 85)};
  ColorMapObject* map = GifMakeMapObject(256, colors.data());
  EGifPutScreenDesc(g, w, h, 8, 0, map);
  EGifPutImageDesc(g, 0, 0, w, h, false, nullptr);
  std::vector<GifPixelType> line(static_cast<size_t>(w));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = &rgb[(size_t(y) * w + x) * 3];
      line[size_t(x)] = GifPixelType((p[0] >> 5) << 5 | (p[1] >> 5) << 2 | p[2] >> 6);
    }
    EGifPutLine(g, line.data(), w);
  }
  GifFreeMapObject(map);
  EGifCloseFile(g, &error);
}

// The GDI+ provider that the application finds beside its executable sits one folder up from
// the benchmarks in the build tree.
WideString ProviderPath() {
  std::string exe(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", exe.data(), exe.size() - 1);
  exe.resize(n > 0 ? size_t(n) : 0);
  const size_t slash = exe.rfind('/');
  return FileNameToWide(exe.substr(0, slash == std::string::npos ? 0 : slash) + "/../libvelmora-gdiplus.so");
}

// The application's road; the BMP's size.
int64_t Road(const std::string& path, int32_t options) {
  TOrvanePDFLibrary0915 api;
  api.GDIPlusSettings.LibraryPath = ProviderPath();
  api.SetCoordinateOrigin(1);
  api.SetUnits(0);
  const int32_t handle = api.LoadImageFile(FileNameToWide(path), options);
  if (handle == 0) return 0;
  api.SetCurrentImage(handle);
  const int w = api.CurrentImageWidth(), h = api.CurrentImageHeight();
  api.SetPageSize(w, h);
  api.PlaceImage(1, 1, w, h);
  api.SetCurrentPage(1);
  TMemoryStream bmp;
  if (api.RenderPage(72, 1, 0, bmp) != 1) return 0;
  return bmp.Size();
}

// The import alone (no page, no render).
bool Import(const std::string& path, int32_t options) {
  TOrvanePDFLibrary0915 api;
  return api.LoadImageFile(FileNameToWide(path), options) != 0;
}

// libtiff's decode of the whole picture into RGBA.
void PlainTIFF(const std::string& path) {
  TIFF* t = TIFFOpen(path.c_str(), "r");
  uint32_t w = 0, h = 0;
  TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h);
  std::vector<uint32_t> raster(size_t(w) * h);
  TIFFReadRGBAImageOriented(t, w, h, raster.data(), ORIENTATION_TOPLEFT, 0);
  TIFFClose(t);
}

void Report(const char* what, const std::string& path, int32_t options, const std::function<void()>& plain) {
  const int64_t bmp = Road(path, options);
  const double road = BestMs([&] { Road(path, options); }, gRuns);
  const double import = BestMs([&] { Import(path, options); }, gRuns);
  const double reference = BestMs(plain, gRuns);
  std::printf("%-28s road %8.1f ms (import %7.1f ms), plain decode %7.1f ms, ratio %5.2f%s\n", what, road, import,
              reference, road / reference, bmp > 0 ? "" : "  [render failed]");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) gRuns = std::max(1, std::atoi(argv[1]));
  TIFFSetWarningHandler(nullptr);
  char dirTemplate[] = "/tmp/velmora-bench-XXXXXX";
  const std::string dir = mkdtemp(dirTemplate);
  const std::string lzw = dir + "/photo_lzw.tif", fax = dir + "/fax_g4.tif", gif = dir + "/picture.gif";
  WriteLZWTIFF(lzw, 4000, 3000);
  WriteFaxTIFF(fax, 1728, 2292);
  WriteGIF(gif, 2000, 2000);
  std::printf("inputs: LZW TIFF 4000 x 3000 %lld bytes, Group 4 fax 1728 x 2292 %lld bytes, GIF 2000 x 2000 %lld bytes\n",
              (long long)ReadFileBytes(FileNameToWide(lzw)).size(), (long long)ReadFileBytes(FileNameToWide(fax)).size(),
              (long long)ReadFileBytes(FileNameToWide(gif)).size());
  // A second argument names one road to run alone (for a profiler): lzw, fax or gif.
  const std::string only = argc > 2 ? argv[2] : "";
  if (only.empty() || only == "lzw") Report("12 MP LZW TIFF (libtiff)", lzw, 1, [&] { PlainTIFF(lzw); });
  if (only.empty() || only == "fax") Report("Group 4 fax page (libtiff)", fax, 1, [&] { benchplain::PlainTiffStrips(fax); });
  if (only.empty() || only == "gif") Report("4 MP GIF (giflib)", gif, 0, [&] { benchplain::PlainGif(gif); });
  std::printf("peak memory %ld MiB\n", PeakMiB());
  for (const std::string& f : {lzw, fax, gif}) std::remove(f.c_str());
  std::remove(dir.c_str());
  return 0;
}
