// Fuzz entry point: a file of any type through the image import (type detection, JPEG marker
// scan, BMP and PNG reading, the XObject writers) with a few of its options; samples left to be
// made when needed are made.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "pdf/codecs/tiff/tiff_reader.h"
#include "pdf/content/image_import/pdf_image.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/core/objects/sample_source.h"

namespace {

// Samples made whole up to this many bytes (a picture of 2^24 pixels).
constexpr int64_t kMadeSampleBytes = int64_t(3) << 24;

// The pixels of the raster a TIFF file's first page is drawn into with options -1 (0 for
// other files).
int64_t CanvasRasterPixels(const std::string& bytes) {
  if (bytes.size() < 2 || !(bytes.starts_with("II") || bytes.starts_with("MM"))) return 0;
  TPDFTIFF reader;
  reader.ParseDirectory(bytes, 0);
  const TPDFTIFFPage* page = reader.Page(1);
  return page ? int64_t(page->Width) * page->Height : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // -1 draws a BMP or a TIFF page through the canvas (plain GDI here: no GDI+ provider is
  // named) into a 24-bit raster of the page's size. A fax page of a few bytes honestly backs
  // 2^28 pixels, whose raster (768 MiB) the fuzzer's memory limit cannot hold beside its own:
  // such pages are left to the hostile-file tests, which run them under a limit of their own.
  const bool hugeDrawnPage = CanvasRasterPixels(bytes) > (int64_t{1} << 24);
  for (int options : {0, 1, 5, 7, -1}) {
    if (options == -1 && hugeDrawnPage) continue;
    TPDFStructure store;
    int next = 1;
    std::vector<TPDFStream*> streams;
    store.OnMakeIndirect = [&next, &streams](TPDFObject* obj, int& num, int& gen) {
      num = next++;
      gen = 0;
      obj->SetObjectNumber(num, gen);
      if (auto* stream = PDFCast<TPDFStream>(obj)) streams.push_back(stream);
    };
    TPDFImage image(&store, "n");
    image.GDIPlusSettings.LibraryPath = u"/nonexistent/provider.so";
    image.Compression = options == 1 ? 1 : 0;
    TMemoryStream stream(bytes);
    const bool loaded = image.LoadFromStream(stream, options);
    if (loaded && (image.Dict == nullptr || image.Ref == nullptr || image.Width <= 0 || image.Height <= 0))
      std::abort();
    if (!loaded) continue;
    std::string text;
    image.Dict->WriteToString(text);
    // Samples left to a source (TIFF pages the reader decodes, GIF pictures) are made now;
    // of large ones, as many rows as a picture of kMadeSampleBytes has are read as a render
    // reads them, without being kept (all of them cost only their bytes and time, which the
    // hostile-file tests measure).
    for (TPDFStream* stream : streams) {
      const TPDFSampleSource* source = stream->PendingSource();
      if (source && source->RowBytes() * source->Rows() > kMadeSampleBytes) {
        const std::unique_ptr<TPDFSampleSource::TRows> rows = source->Open();
        for (int64_t y = 0; y * source->RowBytes() < kMadeSampleBytes; ++y) rows->Next();
      } else {
        stream->MakePendingSamples();
      }
    }
    image.SetColorKeyMask(0.1, 0.2, 0.3, 0.4, 0.5, 0.6);
    image.GetMaskKind();
  }
  return 0;
}
