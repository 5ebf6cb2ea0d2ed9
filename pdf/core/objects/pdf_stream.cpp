#include "pdf/core/objects/pdf_stream.h"

#include <new>

#include "pdf/core/objects/pdf_dictionary.h"
#include "pdf/core/objects/pdf_scalars.h"
#include "pdf/core/objects/pdf_structure.h"
#include "pdf/core/objects/stream_codec.h"

TPDFStream::TPDFStream(TPDFStructure* owner) : TPDFObject(owner, kKind), dictionary_(owner->NewDictionary()) {}

namespace {

void SetLength(TPDFDictionary& dictionary, TPDFStructure& owner, size_t size) {
  const auto length = static_cast<double>(size);
  if (auto* number = PDFCast<TPDFNumeric>(dictionary.GetValue("Length"))) number->SetValue(length);
  else dictionary.SetValue("Length", owner.NewNumeric(length));
}

}  // namespace

const std::string& TPDFStream::Data() const {
  MakePendingSamples();
  if (deflatePending_) FinishDeflate();
  return data_;
}

void TPDFStream::SetData(std::string_view data) { TakeData(std::string(data)); }

void TPDFStream::TakeData(std::string&& data) {
  data_ = std::move(data);
  deflatePending_ = false;
  storedBlocks_ = false;
  source_.reset();
  SetLength(*dictionary_, *Owner(), data_.size());
}

void TPDFStream::TakeDataToDeflate(std::string&& samples) {
  TakeData(std::move(samples));
  deflatePending_ = !data_.empty();
}

void TPDFStream::TakeSampleSource(std::unique_ptr<TPDFSampleSource> source, bool deflate, bool storedBlocks) {
  const int64_t size = source ? source->RowBytes() * source->Rows() : 0;
  TakeData({});
  storedBlocks_ = storedBlocks;
  SetLength(*dictionary_, *Owner(), size_t(size));
  if (size == 0) return;
  source_ = std::move(source);
  deflatePending_ = deflate;
}

void TPDFStream::MakePendingSamples() const {
  if (!source_) return;
  data_ = source_->All();
  source_.reset();
}

void TPDFStream::FinishDeflate() const {
  std::string packed = storedBlocks_ ? StoreStreamData(data_) : CompressStreamData(data_);
  // Deflating into memory fails only when memory runs out.
  if (packed.empty()) throw std::bad_alloc();
  data_ = std::move(packed);
  deflatePending_ = false;
  SetLength(*dictionary_, *Owner(), data_.size());
}

void TPDFStream::Compress(std::string_view data, bool doCompress) {
  if (doCompress) {
    SetData(CompressStreamData(data));
    dictionary_->DeleteKey("Filter");
    dictionary_->SetValue("Filter", Owner()->NewName("FlateDecode"));
  } else {
    SetData(data);
    dictionary_->DeleteKey("Filter");
  }
}

void TPDFStream::Release() {
  // The dictionary is asked first, while this stream still holds it, so it stays in the store
  // (as the items of a released container do) until the store is cleared.
  Owner()->ReleaseObject(dictionary_);
  Owner()->ReleaseObject(this);  // may free this object: no member may be used below
}

void TPDFStream::Renumber(int delta) {
  if (Busy()) return;
  BusyGuard guard(*this);
  dictionary_->Renumber(delta);
}

bool TPDFStream::References(const TPDFObject* obj) const {
  return obj == dictionary_ || dictionary_->References(obj);
}

void TPDFStream::Write(std::string& out, int depth) const {
  // The final length belongs in the dictionary, which comes first.
  MakePendingSamples();
  if (deflatePending_) FinishDeflate();
  WriteChild(dictionary_, out, depth);
  out += "stream\n";
  out += data_;
  out += "\nendstream";
}
