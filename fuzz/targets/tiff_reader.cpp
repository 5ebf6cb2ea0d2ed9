// TIFF reader entry point: the directory walk over every page, then each page decoded (the
// pages the decoder takes on; large ones a row at a time), and the walk to one page by index.
// The same bytes read where they lie in a file (as a file past 64 MB is read) give the same
// pages and the same pictures.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "pdf/codecs/tiff/tiff_page_rows.h"
#include "pdf/codecs/tiff/tiff_reader.h"
#include "platform/rtl/file_at.h"

namespace {

// Pages up to this many pixels are also decoded into the reader's bitmap.
constexpr uint64_t kWholePagePixels = uint64_t(1) << 22;
// Of larger pages, read a row at a time, rows of up to this many bytes in all are read (the
// first band of a page at the size cap): every further row of a page at the cap costs the
// sanitizers as much again, seconds a page, while the page's layout, its first pieces and the
// rows past its data are all met within it; whole pages at every size are read by the
// hostile-file tests, in the program as built.
constexpr uint64_t kReadRowBytes = uint64_t(48) << 20;

// The pages of the bytes read where they lie, in a file of memory; nullptr without one.
std::unique_ptr<TPDFTIFF> InPlace(std::string_view bytes) {
  const int fd = memfd_create("tiff", MFD_CLOEXEC);
  if (fd < 0) return nullptr;
  bool written = true;
  for (size_t at = 0; written && at < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + at, bytes.size() - at);
    written = n > 0;
    at += written ? size_t(n) : 0;
  }
  std::unique_ptr<TPDFTIFF> t;
  if (written) {
    TFileStream file(FileNameToWide("/proc/self/fd/" + std::to_string(fd)), fmOpenRead);
    t = std::make_unique<TPDFTIFF>();
    t->LoadFromFile(TFileAt::Of(file), int64_t(bytes.size()), -1);
  }
  close(fd);
  return t;
}

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
  const std::unique_ptr<TPDFTIFF> inPlace = InPlace(bytes);
  if (inPlace && (inPlace->PageCount != all.PageCount || inPlace->Valid != all.Valid)) std::abort();
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
    if (!inPlace) continue;
    // libjpeg reads pieces held in memory: a JPEG page's pieces are read in first, as the
    // import reads them.
    TPDFTIFFPage& q = inPlace->Pages[size_t(i - 1)];
    if (q.Compression == kTIFFJPEG) q.Strips.ReadIn();
    const bool decoded = inPlace->DecodePage(i);
    if (decoded != (all.Bitmap->Width() != 0)) std::abort();
    if (!decoded) continue;
    const GdiBitmap &a = all.Bitmap->Dib(), &b = inPlace->Bitmap->Dib();
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.BitsPerPixel() != b.BitsPerPixel()) std::abort();
    const size_t used = (size_t(a.Width()) * size_t(a.BitsPerPixel()) + 7) / 8;
    for (int32_t y = 0; y < a.Height(); ++y)
      if (std::memcmp(a.Row(y), b.Row(y), used) != 0) std::abort();
  }
  TPDFTIFF one;
  one.ParseDirectory(bytes, size > 8 ? data[size - 1] % 4 : 0);
  if (one.PageCount > 1) std::abort();
  return 0;
}
