// The samples of an image stream made only when they are needed, from what the source holds
// (a file's bytes): row after row for a render that draws them a band at a time, or all at
// once when the stored bytes are asked for.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TPDFSampleSource {
 public:
  // Rows one after another from the first; each valid until the next call.
  class TRows {
   public:
    virtual ~TRows() = default;
    virtual const uint8_t* Next() = 0;
  };

  TPDFSampleSource(int64_t rowBytes, int32_t rows) : rowBytes_(rowBytes), rows_(rows) {}
  virtual ~TPDFSampleSource() = default;
  TPDFSampleSource(const TPDFSampleSource&) = delete;
  TPDFSampleSource& operator=(const TPDFSampleSource&) = delete;

  int64_t RowBytes() const { return rowBytes_; }
  int32_t Rows() const { return rows_; }
  // A fresh reading from the first row.
  virtual std::unique_ptr<TRows> Open() const = 0;
  // Bytes the source itself holds.
  virtual int64_t HeldBytes() const = 0;

  // Every row, one after another.
  std::string All() const {
    std::string samples;
    samples.reserve(size_t(rowBytes_ * rows_));
    const std::unique_ptr<TRows> rows = Open();
    for (int32_t y = 0; y < rows_; ++y) samples.append(reinterpret_cast<const char*>(rows->Next()), size_t(rowBytes_));
    return samples;
  }

 private:
  int64_t rowBytes_;
  int32_t rows_;
};
