// Reading a TIFF file: the directories are walked in one copy of the file, and the bytes the
// pages' pieces cover are held once for all of them.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "pdf/codecs/tiff/tiff_reader.h"

namespace {

// Files up to this size are read into a block of the program's, and the bytes of their pieces
// copied out of it; the copy is freed before the page is drawn, and the page's picture takes
// its block over. Larger files are not held twice: their copy lies in the C library's memory,
// which goes back to the system when freed, and is kept as the pieces' bytes when they cover
// most of it (an honest file), else freed before the pieces' bytes are read again.
constexpr size_t kHeldAsCopied = size_t(64) << 20;
// Stretches of the file read again go through a window of this size (many small stretches
// take few reads).
constexpr uint64_t kReadWindow = uint64_t(1) << 20;

uint64_t Covered(const std::vector<TTIFFSpan>& spans) {
  uint64_t n = 0;
  for (const TTIFFSpan& s : spans) n += s.length;
  return n;
}

// A block for the pieces' bytes, at least one byte so that pieces of none still hold a block.
std::unique_ptr<char[]> NewBytes(uint64_t size) { return std::unique_ptr<char[]>(new char[size_t(std::max<uint64_t>(size, 1))]); }

}  // namespace

void TPDFTIFF::LoadFromStream(TStream& Stream, int32_t PageIndex) {
  Stream.SetPosition(0);
  const int64_t size = std::max<int64_t>(0, Stream.Size());
  std::vector<TTIFFSpan> spans;
  if (size_t(size) <= kHeldAsCopied) {
    // Not cleared before the file is read into it.
    const std::unique_ptr<char[]> data = NewBytes(uint64_t(size));
    const int64_t got = std::max<int64_t>(0, Stream.Read(data.get(), size));
    const std::string_view bytes(data.get(), size_t(got));
    Parse(bytes, PageIndex);
    HoldPiecesOf(bytes);
    Stream.SetPosition(Stream.Size());
    return;
  }
  {
    std::shared_ptr<char[]> data(static_cast<char*>(std::malloc(size_t(size))), &std::free);
    if (!data) return;
    const int64_t got = std::max<int64_t>(0, Stream.Read(data.get(), size));
    Parse(std::string_view(data.get(), size_t(got)), PageIndex);
    spans = PieceSpans();
    if (Covered(spans) >= uint64_t(got) / 2) {
      HoldPieces(std::move(data), got, {});
      Stream.SetPosition(Stream.Size());
      return;
    }
  }
  // The copy is gone: the stretches are read again, in file order.
  const uint64_t total = Covered(spans);
  std::unique_ptr<char[]> held = NewBytes(total);
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
  HoldPieces(std::shared_ptr<const char[]>(std::move(held)), int64_t(total), spans);
  Stream.SetPosition(Stream.Size());
}

void TPDFTIFF::ParseDirectory(std::string_view Data, int32_t PageIndex) {
  Parse(Data, PageIndex);
  HoldPiecesOf(Data);
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

void TPDFTIFF::HoldPieces(std::shared_ptr<const char[]> bytes, int64_t size, const std::vector<TTIFFSpan>& spans) {
  for (TPDFTIFFPage& page : Pages) page.Strips.Hold(bytes, size, spans);
}

void TPDFTIFF::HoldPiecesOf(std::string_view Data) {
  const std::vector<TTIFFSpan> spans = PieceSpans();
  const uint64_t total = Covered(spans);
  std::unique_ptr<char[]> held = NewBytes(total);
  uint64_t at = 0;
  // The walk clipped every piece to the data.
  for (const TTIFFSpan& s : spans) {
    std::memcpy(held.get() + at, Data.data() + s.offset, size_t(s.length));
    at += s.length;
  }
  HoldPieces(std::shared_ptr<const char[]>(std::move(held)), int64_t(total), spans);
}
