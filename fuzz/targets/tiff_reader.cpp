// TIFF reader entry point: the directory walk over every page, then each page decoded (the
// pages the decoder takes on; large ones a row at a time), and the walk to one page by index.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "pdf/codecs/tiff/tiff_page_rows.h"
#include "pdf/codecs/tiff/tiff_reader.h"

namespace {

// Pages up to this many pixels are also decoded into the reader's bitmap.
constexpr uint64_t kWholePagePixels = uint64_t(1) << 22;
// Of larger pages, read a row at a time, rows of up to this many bytes in all are read (the
// first band of a page at the size cap): every further row of a page at the cap costs the
// sanitizers as much again, seconds a page, while the page's layout, its first pieces and the
// rows past its data are all met within it; whole pages at every size are read by the
// hostile-file tests, in the program as built.
constexpr uint64_t kReadRowBytes = uint64_t(48) << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  TPDFTIFF all;
  all.ParseDirectory(bytes, -1);
  if (all.PageCount != all.Pages.size() || all.PageCount > TPDFTIFF::MaxPages) std::abort();
  uint64_t viewed = 0;
  for (const TPDFTIFFPage& p : all.Pages) {
    // The pieces' bytes are held once for the file, never more than it has.
    if (p.Strips.HeldBytes() > int64_t(std::max<size_t>(size, 1))) std::abort();
    viewed += p.Strips.ViewedBytes();
  }
  if (viewed > 2 * uint64_t(size) + (uint64_t(64) << 20)) std::abort();
  for (int32_t i = 1; i <= all.PageCount && i <= 4; ++i) {
    const TPDFTIFFPage& p = all.Pages[size_t(i - 1)];
    // Large pages are read a row at a time, as the import reads them: a bitmap of the page
    // would only add its bytes.
    if (uint64_t(p.Width) * p.Height > kWholePagePixels) {
      TTIFFPageRows rows(p);
      if (!rows.Open()) continue;
      for (uint32_t y = 0; y < p.Height && y * uint64_t(rows.LineBytes()) < kReadRowBytes; ++y)
        if (rows.Next() == nullptr) std::abort();
      continue;
    }
    if (all.DecodePage(i)) {
      if (all.Bitmap->Width() != int(p.Width) || all.Bitmap->Height() != int(p.Height)) std::abort();
    } else if (all.Bitmap->Width() != 0) {
      std::abort();
    }
  }
  TPDFTIFF one;
  one.ParseDirectory(bytes, size > 8 ? data[size - 1] % 4 : 0);
  if (one.PageCount > 1) std::abort();
  return 0;
}
