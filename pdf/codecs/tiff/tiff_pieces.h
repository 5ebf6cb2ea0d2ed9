// The strips or tiles of a TIFF page: views into the bytes of the file that hold them, or
// places in a file too large to hold, read as the pieces are needed. The bytes are held once
// for every page of the file, however many pieces point at them, and a row of pieces that
// follow one another in the file at one length, or that all point at the same bytes (a crafted
// page sends a million tiles to one run), is kept as one entry: what a page costs grows with the
// bytes its pieces cover, not with the pieces it claims.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class TByteFeed;
class TFileAt;

// A stretch of the file that pieces cover.
struct TTIFFSpan {
  uint64_t offset = 0, length = 0;
};

// Sorts spans by their place and joins those that overlap or touch.
void JoinSpans(std::vector<TTIFFSpan>& spans);
// The bytes the spans cover (each counted once when they are joined).
uint64_t CoveredBytes(const std::vector<TTIFFSpan>& spans);
// The bytes of the file's spans one after another, copied out of `file` (the file's bytes from
// its start, which hold every span), and their count.
std::shared_ptr<const char[]> SpanBytes(std::string_view file, const std::vector<TTIFFSpan>& spans, int64_t& size);

class TTIFFPieces {
 public:
  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  // Piece i's bytes (empty for a piece without data, and for pieces in the file: see Feed);
  // i below size().
  std::string_view operator[](size_t i) const;
  // The same, raising std::out_of_range for any other i.
  std::string_view at(size_t i) const;

  // Bytes of all pieces, counted as often as pieces point at them: what reading every piece
  // costs.
  uint64_t ViewedBytes() const { return viewed_; }
  // Whether pieces share bytes (known once the bytes are held): a writer that copied every
  // piece would copy those bytes more than once.
  bool Overlapping() const { return overlapping_; }
  // Bytes held for the whole file.
  int64_t HeldBytes() const { return held_; }
  // Whether the bytes are the copy of a whole file that its reader read the file into.
  bool HeldInFileCopy() const { return fileCopy_; }
  // Holds the pieces' own bytes in a block of their own, for a page kept beyond its reader:
  // the file's copy goes back with the reader then.
  void HoldOwnBytes();
  // Whether the pieces lie in the file, read as they are needed.
  bool InFile() const { return file_ != nullptr; }
  // Reads the bytes of pieces that lie in the file into a block of their own.
  void ReadIn();
  // The length of piece i, and its place in the held bytes or in the file.
  uint64_t Length(size_t i) const;
  uint64_t Place(size_t i) const;
  const std::shared_ptr<const TFileAt>& File() const { return file_; }

  // Building, during the directory walk: the next piece at a place in the file (length 0: a
  // piece without data).
  void Append(uint64_t offset, uint64_t length);
  // The stretches of the file the pieces cover, sorted and joined where they touch.
  std::vector<TTIFFSpan> Spans() const;
  // Points the pieces at the file's held bytes: `spans` are the stretches of the file that
  // `bytes` hold one after another (sorted, apart, covering every piece), or empty when the
  // bytes are the file itself (`fileCopy`: the copy its reader made).
  void Hold(std::shared_ptr<const char[]> bytes, int64_t size, const std::vector<TTIFFSpan>& spans,
            bool fileCopy = false);
  // Leaves the pieces in the file, at the places the directory gives.
  void Hold(std::shared_ptr<const TFileAt> file);

 private:
  // Pieces from index `first` up to the next run's: each `length` bytes from `offset`, one
  // after another in the file or, when `repeats`, all at the same place.
  struct TRun {
    uint32_t first = 0, length = 0;
    uint64_t offset : 63 = 0;
    uint64_t repeats : 1 = 0;
  };
  const TRun& RunOf(size_t i) const;

  std::vector<TRun> runs_;
  size_t count_ = 0;
  uint64_t viewed_ = 0;
  bool overlapping_ = false;
  std::shared_ptr<const char[]> bytes_;
  int64_t held_ = 0;
  bool fileCopy_ = false;
  std::shared_ptr<const TFileAt> file_;
};
