// Reading a TIFF file: the directories are walked in one copy of the file, and the bytes the
// pages' pieces cover are held once for all of them; or, for a file too large to hold, the
// directories are read where they lie and the pieces left in the file.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "pdf/codecs/tiff/tiff_data.h"
#include "pdf/codecs/tiff/tiff_reader.h"
#include "platform/rtl/file_at.h"

namespace {

// Files up to this size are read into a block of the program's. When their pieces cover most
// of it the copy is their bytes (the import copies them into its images, and the page's picture
// takes the block over once the reader goes), else the pieces' bytes are copied out of it.
// Larger files are read where they lie. (Larger streams of no file are not held twice: their
// copy lies in the C library's memory, which goes back to the system when freed, and is kept
// as the pieces' bytes when they cover most of it, else freed before the pieces' bytes are
// read again.)
constexpr size_t kReadWhole = size_t(64) << 20;
// Stretches of the file read again go through a window of this size (many small stretches
// take few reads).
constexpr uint64_t kReadWindow = uint64_t(1) << 20;

}  // namespace

void TPDFTIFF::LoadFromStream(TStream& Stream, int32_t PageIndex) {
  Stream.SetPosition(0);
  const int64_t size = std::max<int64_t>(0, Stream.Size());
  if (size_t(size) > kReadWhole) {
    if (std::shared_ptr<const TFileAt> file = TFileAt::Of(Stream)) {
      LoadFromFile(std::move(file), size, PageIndex);
      Stream.SetPosition(size);
      return;
    }
  }
  std::vector<TTIFFSpan> spans;
  {
    // Not cleared before the file is read into it.
    const bool small = size_t(size) <= kReadWhole;
    std::shared_ptr<char[]> data =
        small ? std::shared_ptr<char[]>(new char[size_t(std::max<int64_t>(size, 1))])
              : std::shared_ptr<char[]>(static_cast<char*>(std::malloc(size_t(size))), &std::free);
    if (!data) return;
    const int64_t got = std::max<int64_t>(0, Stream.Read(data.get(), size));
    const std::string_view bytes(data.get(), size_t(got));
    TTIFFData walked(bytes);
    Parse(walked, PageIndex);
    spans = PieceSpans();
    const bool most = CoveredBytes(spans) >= uint64_t(got) / 2;
    if (most || small) {
      if (most)
        HoldPieces(std::move(data), got, {}, small);
      else
        HoldCopiedSpans(bytes, spans);
      Stream.SetPosition(Stream.Size());
      return;
    }
  }
  // The copy is gone: the stretches are read again, in file order.
  const uint64_t total = CoveredBytes(spans);
  std::shared_ptr<char[]> held(new char[size_t(std::max<uint64_t>(total, 1))]);
  std::string window;
  uint64_t windowStart = 0, at = 0;
  for (const TTIFFSpan& s : spans) {
    if (s.offset < windowStart || s.offset + s.length > windowStart + window.size()) {
      windowStart = s.offset;
      Stream.SetPosition(int64_t(windowStart));
      window = Stream.ReadString(int64_t(std::max(s.length, kReadWindow)));
    }
    // Bytes the file no longer has (it shrank since it was read) read as zeros.
    const uint64_t from = s.offset - windowStart;
    const uint64_t n = std::min<uint64_t>(s.length, window.size() > from ? window.size() - from : 0);
    std::memcpy(held.get() + at, window.data() + from, size_t(n));
    std::memset(held.get() + at + n, 0, size_t(s.length - n));
    at += s.length;
  }
  HoldPieces(std::move(held), int64_t(total), spans, false);
  Stream.SetPosition(Stream.Size());
}

void TPDFTIFF::LoadFromFile(std::shared_ptr<const TFileAt> File, int64_t Size, int32_t PageIndex) {
  TTIFFData data(File, File ? uint64_t(std::max<int64_t>(Size, 0)) : 0);
  Parse(data, PageIndex);
  for (TPDFTIFFPage& page : Pages) page.Strips.Hold(File);
}

void TPDFTIFF::ParseDirectory(std::string_view Data, int32_t PageIndex) {
  TTIFFData walked(Data);
  Parse(walked, PageIndex);
  HoldCopiedSpans(Data, PieceSpans());
}

std::vector<TTIFFSpan> TPDFTIFF::PieceSpans() const {
  std::vector<TTIFFSpan> spans;
  for (const TPDFTIFFPage& page : Pages) {
    const std::vector<TTIFFSpan> own = page.Strips.Spans();
    spans.insert(spans.end(), own.begin(), own.end());
  }
  JoinSpans(spans);
  return spans;
}

void TPDFTIFF::HoldCopiedSpans(std::string_view file, const std::vector<TTIFFSpan>& spans) {
  int64_t held = 0;
  std::shared_ptr<const char[]> own = SpanBytes(file, spans, held);
  HoldPieces(std::move(own), held, spans, false);
}

void TPDFTIFF::HoldPieces(std::shared_ptr<const char[]> bytes, int64_t size, const std::vector<TTIFFSpan>& spans,
                          bool fileCopy) {
  for (TPDFTIFFPage& page : Pages) page.Strips.Hold(bytes, size, spans, fileCopy);
}
