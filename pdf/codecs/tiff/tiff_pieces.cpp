#include "pdf/codecs/tiff/tiff_pieces.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/rtl/file_at.h"

void JoinSpans(std::vector<TTIFFSpan>& spans) {
  // Writers put pieces in file order: most lists are sorted already.
  const auto before = [](const TTIFFSpan& a, const TTIFFSpan& b) { return a.offset < b.offset; };
  if (!std::is_sorted(spans.begin(), spans.end(), before)) std::sort(spans.begin(), spans.end(), before);
  size_t joined = 0;
  for (const TTIFFSpan& s : spans) {
    if (joined > 0 && s.offset <= spans[joined - 1].offset + spans[joined - 1].length) {
      TTIFFSpan& last = spans[joined - 1];
      last.length = std::max(last.length, s.offset + s.length - last.offset);
    } else {
      spans[joined++] = s;
    }
  }
  spans.resize(joined);
}

uint64_t CoveredBytes(const std::vector<TTIFFSpan>& spans) {
  uint64_t n = 0;
  for (const TTIFFSpan& s : spans) n += s.length;
  return n;
}

std::shared_ptr<const char[]> SpanBytes(std::string_view file, const std::vector<TTIFFSpan>& spans, int64_t& size) {
  const uint64_t total = CoveredBytes(spans);
  // At least a byte, so that pieces without data still hold a block. In the C library's memory,
  // which holds them as they are (a block of the program's rounds them up to whole huge pages).
  std::shared_ptr<char[]> bytes(static_cast<char*>(std::malloc(size_t(std::max<uint64_t>(total, 1)))), &std::free);
  if (!bytes) throw std::bad_alloc();
  uint64_t at = 0;
  for (const TTIFFSpan& s : spans) {
    std::memcpy(bytes.get() + at, file.data() + s.offset, size_t(s.length));
    at += s.length;
  }
  size = int64_t(total);
  return bytes;
}

std::string_view TTIFFPieces::operator[](size_t i) const {
  const TRun& run = RunOf(i);
  if (run.length == 0 || !bytes_) return {};
  return std::string_view(bytes_.get() + Place(i), run.length);
}

uint64_t TTIFFPieces::Length(size_t i) const { return RunOf(i).length; }

uint64_t TTIFFPieces::Place(size_t i) const {
  const TRun& run = RunOf(i);
  return run.offset + (run.repeats ? 0 : uint64_t(i - run.first) * run.length);
}

std::string_view TTIFFPieces::at(size_t i) const {
  if (i >= count_) throw std::out_of_range("TIFF piece");
  return (*this)[i];
}

const TTIFFPieces::TRun& TTIFFPieces::RunOf(size_t i) const {
  // The last run that starts at or before piece i.
  const auto after = std::upper_bound(runs_.begin(), runs_.end(), i,
                                      [](size_t index, const TRun& run) { return index < run.first; });
  return *(after - 1);
}

void TTIFFPieces::Append(uint64_t offset, uint64_t length) {
  const uint32_t n = uint32_t(length);
  // Pieces without data are alike wherever they claim to be.
  if (n == 0) offset = 0;
  const size_t index = count_++;
  viewed_ += n;
  if (!runs_.empty()) {
    TRun& last = runs_.back();
    const uint64_t pieces = index - last.first;
    if (last.length == n) {
      // A second piece decides what kind of run it is; later ones must follow it.
      if (pieces == 1 && offset == last.offset) {
        last.repeats = 1;
        return;
      }
      if (last.repeats ? offset == last.offset : offset == last.offset + pieces * n) return;
    }
  }
  TRun run;
  run.first = uint32_t(index);
  run.length = n;
  run.offset = offset;
  runs_.push_back(run);
}

std::vector<TTIFFSpan> TTIFFPieces::Spans() const {
  std::vector<TTIFFSpan> spans;
  spans.reserve(runs_.size());
  for (size_t k = 0; k < runs_.size(); ++k) {
    const TRun& run = runs_[k];
    const uint64_t pieces = (k + 1 < runs_.size() ? runs_[k + 1].first : count_) - run.first;
    const uint64_t length = run.repeats ? run.length : pieces * run.length;
    if (length) spans.push_back({run.offset, length});
  }
  JoinSpans(spans);
  return spans;
}

void TTIFFPieces::HoldOwnBytes() {
  if (!fileCopy_) return;
  const std::vector<TTIFFSpan> spans = Spans();
  int64_t size = 0;
  std::shared_ptr<const char[]> own = SpanBytes(std::string_view(bytes_.get(), size_t(held_)), spans, size);
  Hold(std::move(own), size, spans);
}

void TTIFFPieces::Hold(std::shared_ptr<const TFileAt> file) {
  overlapping_ = viewed_ > CoveredBytes(Spans());
  file_ = std::move(file);
}

void TTIFFPieces::ReadIn() {
  if (!file_) return;
  const std::vector<TTIFFSpan> spans = Spans();
  const uint64_t total = CoveredBytes(spans);
  // In the C library's memory, as SpanBytes holds them.
  std::shared_ptr<char[]> bytes(static_cast<char*>(std::malloc(size_t(std::max<uint64_t>(total, 1)))), &std::free);
  if (!bytes) throw std::bad_alloc();
  uint64_t at = 0;
  for (const TTIFFSpan& s : spans) {
    // Bytes the file no longer has (it shrank since it was opened) read as zeros.
    const int64_t got = std::max<int64_t>(0, file_->Read(int64_t(s.offset), bytes.get() + at, int64_t(s.length)));
    std::memset(bytes.get() + at + got, 0, size_t(s.length - uint64_t(got)));
    at += s.length;
  }
  file_.reset();
  Hold(std::move(bytes), int64_t(total), spans);
}

void TTIFFPieces::Hold(std::shared_ptr<const char[]> bytes, int64_t size, const std::vector<TTIFFSpan>& spans,
                       bool fileCopy) {
  overlapping_ = viewed_ > CoveredBytes(Spans());
  if (!spans.empty()) {
    // Where each stretch of the file begins in the held bytes.
    std::vector<uint64_t> at(spans.size());
    for (size_t k = 1; k < spans.size(); ++k) at[k] = at[k - 1] + spans[k - 1].length;
    for (TRun& run : runs_) {
      if (run.length == 0) continue;
      const auto after = std::upper_bound(spans.begin(), spans.end(), uint64_t(run.offset),
                                          [](uint64_t offset, const TTIFFSpan& s) { return offset < s.offset; });
      const size_t k = size_t(after - spans.begin()) - 1;
      run.offset = at[k] + (run.offset - spans[k].offset);
    }
  }
  bytes_ = std::move(bytes);
  held_ = size;
  fileCopy_ = fileCopy;
  file_.reset();
}
