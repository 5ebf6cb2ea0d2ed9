#include "platform/gdi/metafile/emf_reader.h"

#include <algorithm>

#include "platform/gdi/graphics_errors.h"

namespace {

constexpr uint32_t kMinHeaderSize = 88;

ENHMETARECORD ViewAt(const std::vector<uint32_t>& words, size_t size, uint32_t offset, uint32_t recordSize) {
  ENHMETARECORD r;
  const auto* base = reinterpret_cast<const uint8_t*>(words.data());
  r.bytes = std::span<const uint8_t>(base + offset, std::min<size_t>(recordSize, size - offset));
  r.iType = r.U32(0);
  r.nSize = r.U32(4);
  if (r.bytes.size() >= 8) r.dParm = std::span<const DWORD>(words.data() + offset / 4 + 2, (r.bytes.size() - 8) / 4);
  return r;
}

ENHMETAHEADER ReadHeader(const ENHMETARECORD& r) {
  ENHMETAHEADER h;
  h.iType = r.U32(0);
  h.nSize = r.U32(4);
  h.rclBounds = r.Rect(8);
  h.rclFrame = r.Rect(24);
  h.dSignature = r.U32(40);
  h.nVersion = r.U32(44);
  h.nBytes = r.U32(48);
  h.nRecords = r.U32(52);
  h.nHandles = r.U16(56);
  h.sReserved = r.U16(58);
  h.nDescription = r.U32(60);
  h.offDescription = r.U32(64);
  h.nPalEntries = r.U32(68);
  h.szlDevice = SIZEL{r.I32(72), r.I32(76)};
  h.szlMillimeters = SIZEL{r.I32(80), r.I32(84)};
  // The optional tail: pixel format (100 bytes and more), micrometres (108 and more), each
  // present only when the header's own size covers it.
  if (h.nSize >= 100) {
    h.cbPixelFormat = r.U32(88);
    h.offPixelFormat = r.U32(92);
    h.bOpenGL = r.U32(96);
  }
  if (h.nSize >= 108) h.szlMicrometers = SIZEL{r.I32(100), r.I32(104)};
  return h;
}

}  // namespace

std::shared_ptr<const EmfDocument> EmfDocument::Parse(std::span<const uint8_t> bytes) {
  if (bytes.size() > kMaxMetafileBytes) throw EInvalidGraphic("Metafile is too large");
  if (bytes.size() < kMinHeaderSize) throw EInvalidGraphic("Metafile is not valid");
  std::shared_ptr<EmfDocument> doc(new EmfDocument);
  doc->words_.assign((bytes.size() + 3) / 4, 0);
  std::memcpy(doc->words_.data(), bytes.data(), bytes.size());
  doc->size_ = bytes.size();

  const ENHMETARECORD first = ViewAt(doc->words_, doc->size_, 0, uint32_t(std::min<size_t>(doc->size_, UINT32_MAX)));
  const uint32_t headerSize = first.U32(4);
  if (first.U32(0) != EMR_HEADER || first.U32(40) != ENHMETA_SIGNATURE || headerSize < kMinHeaderSize ||
      headerSize % 4 != 0 || headerSize > doc->size_)
    throw EInvalidGraphic("Metafile is not valid");
  const ENHMETARECORD headerRecord = ViewAt(doc->words_, doc->size_, 0, headerSize);
  doc->header_ = ReadHeader(headerRecord);
  // Trailing bytes beyond the size the header declares are not part of the picture; a
  // declared size beyond the data is not believed.
  if (doc->header_.nBytes >= headerSize && doc->header_.nBytes < doc->size_) doc->size_ = doc->header_.nBytes;

  doc->records_.push_back(RecordRef{0, EMR_HEADER, headerSize});
  uint64_t pos = headerSize;
  while (pos < doc->size_) {
    if (doc->size_ - pos < 8) {
      doc->truncated_ = true;
      break;
    }
    const ENHMETARECORD probe = ViewAt(doc->words_, doc->size_, uint32_t(pos), 8);
    const uint32_t type = probe.U32(0), size = probe.U32(4);
    if (size < 8 || size % 4 != 0 || size > doc->size_ - pos) {
      doc->truncated_ = true;
      break;
    }
    const ENHMETARECORD record = ViewAt(doc->words_, doc->size_, uint32_t(pos), size);
    if (type != EMR_HEADER && CheckEmfRecord(record))
      doc->records_.push_back(RecordRef{uint32_t(pos), type, size});
    else
      ++doc->skipped_;
    pos += size;
    if (type == EMR_EOF && doc->records_.back().type == EMR_EOF) break;
  }
  return doc;
}

ENHMETARECORD EmfDocument::Record(size_t index) const {
  if (index >= records_.size()) return ENHMETARECORD{};
  return ViewAt(words_, size_, records_[index].offset, records_[index].size);
}

std::u16string EmfDocument::Description() const {
  const ENHMETARECORD h = Record(0);
  const uint64_t off = header_.offDescription, count = header_.nDescription;
  if (off == 0 || count == 0 || !h.Has(off, count * 2)) return {};
  std::u16string text(size_t(count), u'\0');
  for (uint64_t i = 0; i < count; ++i) text[size_t(i)] = char16_t(h.U16(off + 2 * i));
  while (!text.empty() && text.back() == 0) text.pop_back();
  return text;
}
