// Reading enhanced metafiles from untrusted bytes: the header, then the records in order, each
// checked before anyone sees it.
//
// The reader's rule for a record that fails its checks:
// - A record whose frame is broken (size below 8, not a multiple of 4, or reaching past the
//   end of the data) ends the record list there: nothing after it can be found reliably.
// - A record whose frame is sound but whose contents lie (a count whose elements do not fit,
//   a bitmap whose header, colour table or bits fall outside the record, a string or advance
//   array outside it, a second header) is skipped; the records after it are kept.
// - EMR_EOF ends the list; what follows it is ignored. A file without EOF ends at its data.
// The data is the file's bytes, cut to the header's nBytes when that is smaller.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/gdi/metafile/emf_types.h"

// A metafile larger than this is refused.
inline constexpr uint64_t kMaxMetafileBytes = uint64_t(256) << 20;

class EmfDocument {
 public:
  struct RecordRef {
    uint32_t offset;  // from the start of the data
    uint32_t type;
    uint32_t size;
  };

  // Raises EInvalidGraphic when the bytes do not start with an EMF header (type 1, the " EMF"
  // signature, a size of at least 88 bytes inside the data) or are larger than the cap.
  static std::shared_ptr<const EmfDocument> Parse(std::span<const uint8_t> bytes);

  const ENHMETAHEADER& Header() const { return header_; }
  // The header's description (application and picture names, separated by 0), or empty.
  std::u16string Description() const;
  // The data as read (after the nBytes cut); records point into it.
  std::span<const uint8_t> Bytes() const {
    return {reinterpret_cast<const uint8_t*>(words_.data()), size_};
  }
  // Records that passed their checks, in file order: the header first, EOF last when present.
  const std::vector<RecordRef>& Records() const { return records_; }
  ENHMETARECORD Record(size_t index) const;
  size_t SkippedRecords() const { return skipped_; }
  // True when a broken record frame ended the list early.
  bool Truncated() const { return truncated_; }
  bool HasEof() const { return !records_.empty() && records_.back().type == EMR_EOF; }

 private:
  EmfDocument() = default;
  std::vector<uint32_t> words_;  // the bytes, four-byte aligned
  size_t size_ = 0;
  ENHMETAHEADER header_;
  std::vector<RecordRef> records_;
  size_t skipped_ = 0;
  bool truncated_ = false;
};

// A record carries no bitmap when its bitmap info is empty and either its offset is 0 or it
// has no bits either: writers set the offsets of an absent bitmap to 0 or to the record's end,
// and the offsets mean something only when a bitmap is there.
inline bool RecordCarriesNoDib(uint32_t offBmi, uint32_t cbBmi, uint32_t cbBits) {
  return cbBmi == 0 && (offBmi == 0 || cbBits == 0);
}

// The content checks of one record whose frame is sound (exposed for tests).
bool CheckEmfRecord(const ENHMETARECORD& record);

// Checks a bitmap that a record carries as offsets and sizes of its bitmap info and its bits:
// header, colour table (2 bytes an entry for DIB_PAL_COLORS) and bits inside the record, a
// known depth and compression, at most 2^28 pixels, and bits enough for the rows (`rows`
// limits them for records that carry only some scan lines; -1 for all). No bitmap is fine.
bool CheckRecordDib(const ENHMETARECORD& record, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits, uint32_t cbBits,
                    uint32_t usage, int64_t rows = -1);
