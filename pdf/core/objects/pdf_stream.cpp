#include "pdf/core/objects/pdf_stream.h"

#include "pdf/core/objects/pdf_dictionary.h"
#include "pdf/core/objects/pdf_scalars.h"
#include "pdf/core/objects/pdf_structure.h"
#include "pdf/core/objects/stream_codec.h"

TPDFStream::TPDFStream(TPDFStructure* owner) : TPDFObject(owner, kKind), dictionary_(owner->NewDictionary()) {}

void TPDFStream::SetData(std::string_view data) { TakeData(std::string(data)); }

void TPDFStream::TakeData(std::string&& data) {
  data_ = std::move(data);
  const auto length = static_cast<double>(data_.size());
  if (auto* number = PDFCast<TPDFNumeric>(dictionary_->GetValue("Length"))) number->SetValue(length);
  else dictionary_->SetValue("Length", Owner()->NewNumeric(length));
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
  // The stream goes first: its dictionary can only go once no stream holds it any more.
  TPDFStructure* owner = Owner();
  TPDFDictionary* dictionary = dictionary_;
  owner->ReleaseObject(this);  // may free this object: no member may be used below
  owner->ReleaseObject(dictionary);
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
  WriteChild(dictionary_, out, depth);
  out += "stream\n";
  out += data_;
  out += "\nendstream";
}
