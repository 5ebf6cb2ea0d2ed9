#include "pdf/core/objects/pdf_object.h"

#include "pdf/core/objects/pdf_structure.h"

void TPDFObject::SetObjectNumber(int num, int gen) {
  hasNumber_ = true;
  objectNumber_ = num;
  generation_ = gen;
}

void TPDFObject::ClearObjectNumber() {
  hasNumber_ = false;
  objectNumber_ = 0;
  generation_ = 0;
}

void TPDFObject::WriteToString(std::string& s) const {
  s.clear();
  AppendToString(s);
}

void TPDFObject::AppendToString(std::string& s) const { WriteChild(this, s, 0); }

std::string TPDFObject::ToString() const {
  std::string s;
  AppendToString(s);
  return s;
}

void TPDFObject::WriteChild(const TPDFObject* child, std::string& out, int depth) {
  if (child == nullptr) return;
  if (child->busy_ || depth >= kPDFMaxWriteDepth) {
    out += "null";
    return;
  }
  BusyGuard guard(*child);
  child->Write(out, depth + 1);
}

void TPDFObject::Release() { owner_->ReleaseObject(this); }
