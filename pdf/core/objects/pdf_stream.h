// A PDF stream: a dictionary (a separate object of the same store) and the stored, still
// encoded bytes.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "pdf/core/objects/pdf_object.h"
#include "pdf/core/objects/sample_source.h"

class TPDFDictionary;

class TPDFStream : public TPDFObject {
 public:
  static constexpr char kKind = kPDFKindStream;

  TPDFDictionary* Dictionary() const { return dictionary_; }
  // The stored bytes; samples left to deflate (TakeDataToDeflate) are deflated first.
  const std::string& Data() const;
  // Stores data as is and sets "Length" to its byte count (a numeric Length is updated in
  // place, anything else is replaced by a new number).
  void SetData(std::string_view data);
  // The same, taking the bytes over without copying them (large image samples).
  void TakeData(std::string&& data);
  // Takes samples to be stored deflated (the caller names /FlateDecode in the dictionary):
  // "Length" is set now and updated when the deflate, left until the stored bytes are first
  // asked for, has run. A render that only draws the samples then never deflates them.
  void TakeDataToDeflate(std::string&& samples);
  // The samples still waiting for their deflate, or nullptr once the stored bytes are final
  // (or while they wait for their source).
  const std::string* PendingDeflate() const { return deflatePending_ && !source_ ? &data_ : nullptr; }
  // Takes a source of samples to be made when the stored bytes are first asked for, and then
  // deflated when `deflate` (the caller names /FlateDecode in the dictionary; in stored blocks
  // when `storedBlocks`), else stored as they are. "Length" is the samples' size until then. A
  // render that draws the rows a band at a time never makes them all.
  void TakeSampleSource(std::unique_ptr<TPDFSampleSource> source, bool deflate, bool storedBlocks = false);
  // The source whose samples are still to be made, or nullptr.
  const TPDFSampleSource* PendingSource() const { return source_.get(); }
  // Makes the samples of a pending source: they are then stored, or wait for their deflate.
  void MakePendingSamples() const;
  // With doCompress the data is deflated and "Filter" becomes /FlateDecode; otherwise the data
  // is stored as given and "Filter" is removed.
  void Compress(std::string_view data, bool doCompress);
  // The data decoded through the dictionary's filter chain; the stream is not changed.
  bool Decode(std::string& out) const;

  // A caller's integer carried with the stream (0 at creation).
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  // Asks the store to release its dictionary (which this stream still holds, so it stays until
  // the store is cleared), then frees the stream unless something holds it.
  void Release() override;
  void Renumber(int delta) override;
  // True for the stream's own dictionary and for whatever that dictionary holds.
  bool References(const TPDFObject* obj) const override;

 protected:
  // dictionary, "stream", LF, data, LF, "endstream"
  void Write(std::string& out, int depth) const override;

 private:
  friend class TPDFStructure;
  explicit TPDFStream(TPDFStructure* owner);

  // Replaces the pending samples by their deflated bytes and "Length" by their count.
  void FinishDeflate() const;

  TPDFDictionary* dictionary_;
  // Deflating changes what is stored, not what the stream stands for: both may happen on a
  // const stream.
  mutable std::string data_;
  mutable bool deflatePending_ = false;
  // The pending deflate writes stored blocks.
  bool storedBlocks_ = false;
  mutable std::unique_ptr<TPDFSampleSource> source_;
  int tag_ = 0;
};
